#include "platform/linux/PageScripts.h"

namespace {
const char* kPageWorld = R"JS((function () {
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
})();)JS";

const char* kBridgeWorldScript = R"JS((function () {
  window.__murmelConfig = __CONFIG__;
  const top = window === window.top;
  const values = () => {
    const out = {};
    const bind = window.__murmelConfig.bind;
    for (const id in bind) {
      const el = document.getElementById(id);
      if (!el) continue;
      const kind = bind[id];
      if (kind === 'text') out[id] = el.innerText;
      else if (kind === 'value') out[id] = el.value === undefined ? '' : String(el.value);
      else out[id] = el.checked ? '1' : '0';
    }
    return out;
  };
  const post = message => {
    message.href = location.href;
    message.top = top;
    try { message.data = values(); } catch (e) { message.data = {}; }
    message.written = window.__murmelWritten || 0;
    window.webkit.messageHandlers.murmel.postMessage(JSON.stringify(message));
  };
  document.addEventListener('murmel-external', e => {
    let call;
    try { call = JSON.parse(e.detail); } catch (x) { return; }
    if (call && typeof call.m === 'string' && Array.isArray(call.a))
      post({ kind: 'external', method: call.m, args: call.a.map(String) });
  }, true);
  const element = (name, e) => {
    const id = e.target && e.target.id;
    if (!id) return;
    post({ kind: 'element', event: name, id: id });
    if (name === 'mousedown' && e.button === 0 &&
        window.__murmelConfig.drag.indexOf(id) >= 0)
      post({ kind: 'drag', id: id });
  };
  window.addEventListener('click', e => element('click', e), true);
  window.addEventListener('mousedown', e => element('mousedown', e), true);
  window.addEventListener('load', () => post({ kind: 'load' }));
})();)JS";

std::string Replace(std::string text, const std::string& marker, const std::string& value) {
    const auto at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), value);
    return text;
}
}  // namespace

std::string PageWorldScript(const std::string& hintsJson) {
    return Replace(kPageWorld, "__HINTS__", hintsJson);
}

std::string BridgeWorldScript(const std::string& configJson) {
    return Replace(kBridgeWorldScript, "__CONFIG__", configJson);
}
