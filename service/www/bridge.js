// Calls into the desktop program when the page runs inside it. A plain
// browser has no such methods on window.external, and the calls do nothing.
window.murmelApp = {
  call(name, ...args) {
    const ext = window.external;
    if (!ext || typeof ext[name] !== 'function') return false;
    try {
      ext[name](...args);
      return true;
    } catch (e) {
      console.warn('murmel: ' + name + ' failed', e);
      return false;
    }
  },
};
