// Tells the desktop program how the sign-in page stands: ready for its
// form, or a failed sign-in.
document.addEventListener('DOMContentLoaded', () => {
  const body = document.body;
  const delay = parseInt(body.dataset.readyDelay || '0', 10) || 0;
  setTimeout(() => {
    let made = false;
    switch (body.dataset.report) {
      case 'SigninReady': made = murmelApp.call('SigninReady', '1'); break;
      case 'ScriptToApp': made = murmelApp.call('ScriptToApp', 101, '1'); break;
      case 'fail': made = murmelApp.call('ScriptToApp', 300, body.dataset.message || ''); break;
      default: break;
    }
    // Tells the service the call was made, so tests know when it is over.
    if (made) {
      fetch('/account/reported?call=' + encodeURIComponent(body.dataset.report),
            {method: 'POST'}).catch(() => {});
    }
  }, delay);
});
