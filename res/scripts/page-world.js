(function () {
  if (window.external && window.external.__murmelHints) return;
  let hints = __HINTS__;
  const text = v => {
    if (v === undefined || v === null) return '';
    if (typeof v === 'object') { try { return JSON.stringify(v); } catch (e) { } }
    return String(v);
  };
  const call = (method, args) => {
    const detail = JSON.stringify({ m: method, a: Array.prototype.map.call(args, text) });
    document.dispatchEvent(new CustomEvent('murmel-external', { detail: detail }));
  };
  const external = {
    Signin() { call('Signin', arguments); },
    SigninReady() { call('SigninReady', arguments); },
    SigninOk() { call('SigninOk', arguments); },
    ScriptToApp() { call('ScriptToApp', arguments); },
    onFocus(value) { const t = text(value); return t === hints[0] || t === hints[1]; },
    onBlur(isEmail) { return isEmail ? hints[0] : hints[1]; },
  };
  Object.defineProperty(external, '__murmelHints', {
    value(first, second) { hints = [text(first), text(second)]; } });
  Object.defineProperty(window, 'external', { value: external, configurable: false });
})();
