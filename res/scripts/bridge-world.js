(function () {
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
})();
