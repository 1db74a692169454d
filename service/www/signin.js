// Tells the desktop program how the sign-in page stands: ready for its
// form, or a failed sign-in.
document.addEventListener('DOMContentLoaded', () => {
  const body = document.body;
  const delay = parseInt(body.dataset.readyDelay || '0', 10) || 0;
  setTimeout(() => {
    switch (body.dataset.report) {
      case 'SigninReady': murmelApp.call('SigninReady', '1'); break;
      case 'ScriptToApp': murmelApp.call('ScriptToApp', 101, '1'); break;
      case 'fail': murmelApp.call('ScriptToApp', 300, body.dataset.message || ''); break;
      default: break;
    }
  }, delay);
});
