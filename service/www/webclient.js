// The Murmel web client: conversations, messages and a box to write, with
// the two channels to the desktop program: AppToScript in, ScriptToApp out.
(() => {
  const boot = window.murmelBoot;
  const state = {
    conversations: [],
    current: '',
    unread: {},
    cursor: boot.cursor,
    polling: true,
    received: [],
  };
  window.murmelClient = state;

  const $ = (id) => document.getElementById(id);

  const mediaKinds = [
    ['image', 'Photo'], ['zumble', 'Zumble'], ['ams', 'Vellumo'], ['video', 'Video'],
    ['audio', 'Audio'], ['contact', 'Contact'], ['calendar', 'Event'], ['geo', 'Location'],
    ['doc', 'Document'], ['file', 'File'], ['mixed', 'Attachments'],
  ];

  function describe(message) {
    if (message.msgtype !== 1) return message.msg;
    const lines = String(message.msg).split('\n');
    const kind = mediaKinds.find(([key]) => lines[0].includes(key));
    const label = kind ? kind[1] : 'Attachment';
    return lines[1] ? label + ': ' + lines[1] : label;
  }

  // Links in a text message: "[label](address)" opens in the page itself,
  // a bare address ("scheme://…" or "mailto:…") in a new window. Script
  // and data addresses stay plain text.
  const linkPattern =
      /\[([^\]\n]+)\]\(([a-zA-Z][\w+.-]*:[^\s)]+)\)|([a-zA-Z][\w+.-]*:\/\/[^\s]+|mailto:[^\s]+)/g;
  const unsafeSchemes = /^(javascript|data|vbscript):/i;

  function withLinks(text) {
    const parts = [];
    let at = 0;
    for (const match of text.matchAll(linkPattern)) {
      const href = match[2] || match[3];
      if (unsafeSchemes.test(href)) continue;
      parts.push(document.createTextNode(text.slice(at, match.index)));
      const link = document.createElement('a');
      link.href = href;
      link.textContent = match[1] || href;
      if (match[3]) {
        link.target = '_blank';
        link.rel = 'noopener';
      }
      parts.push(link);
      at = match.index + match[0].length;
    }
    parts.push(document.createTextNode(text.slice(at)));
    return parts;
  }

  function timeText(ms) {
    const d = new Date(ms);
    return d.getHours() + ':' + String(d.getMinutes()).padStart(2, '0');
  }

  function findConversation(sessionid, name) {
    let c = state.conversations.find((x) => x.sessionid === sessionid);
    if (!c) {
      c = {sessionid, name: name || sessionid, messages: []};
      state.conversations.unshift(c);
    }
    return c;
  }

  function renderList() {
    const list = $('conversation_list');
    list.textContent = '';
    for (const c of state.conversations) {
      const item = document.createElement('li');
      item.dataset.sessionid = c.sessionid;
      if (c.sessionid === state.current) item.classList.add('active');
      const avatar = document.createElement('span');
      avatar.className = 'avatar';
      avatar.textContent = (c.name || '?').trim().charAt(0).toUpperCase();
      const text = document.createElement('span');
      text.className = 'summary';
      const name = document.createElement('strong');
      name.textContent = c.name;
      const last = document.createElement('span');
      const lastMessage = c.messages[c.messages.length - 1];
      last.textContent = lastMessage ? describe(lastMessage) : '';
      text.append(name, last);
      item.append(avatar, text);
      if (state.unread[c.sessionid]) {
        const badge = document.createElement('span');
        badge.className = 'badge';
        badge.textContent = state.unread[c.sessionid];
        item.append(badge);
      }
      item.addEventListener('click', () => open(c.sessionid));
      list.append(item);
    }
  }

  function renderChat() {
    const c = state.conversations.find((x) => x.sessionid === state.current);
    $('chat_title').textContent = c ? c.name : 'No conversation';
    const list = $('message_list');
    list.textContent = '';
    if (!c) return;
    for (const m of c.messages) {
      const item = document.createElement('li');
      item.className = m.mine ? 'mine' : 'theirs';
      if (m.msgtype === 1) item.classList.add('media');
      const bubble = document.createElement('div');
      bubble.className = 'bubble';
      if (m.msgtype === 1) bubble.textContent = describe(m);
      else bubble.append(...withLinks(String(m.msg)));
      const time = document.createElement('time');
      time.textContent = timeText(m.time);
      item.append(bubble, time);
      list.append(item);
    }
    list.scrollTop = list.scrollHeight;
  }

  function open(sessionid) {
    if (!state.conversations.some((x) => x.sessionid === sessionid)) return false;
    state.current = sessionid;
    delete state.unread[sessionid];
    renderList();
    renderChat();
    return true;
  }

  function showEvent(text) {
    $('app_event').textContent = text;
  }

  function banner(text, kind) {
    const b = $('banner');
    b.textContent = text;
    b.className = 'banner ' + kind;
    b.hidden = false;
  }

  function receive(event) {
    if (event.code === 304) {
      let message = {};
      try {
        message = JSON.parse(event.data);
      } catch (e) {
        message = {};
      }
      if (message && typeof message === 'object' && message.sessionid !== undefined) {
        const c = findConversation(String(message.sessionid), message.sender);
        c.messages.push({from: message.sender, msg: String(message.msg || ''),
                         msgtype: message.msgtype, time: Date.now(), mine: false});
        state.conversations = [c, ...state.conversations.filter((x) => x !== c)];
        if (c.sessionid !== state.current) {
          state.unread[c.sessionid] = (state.unread[c.sessionid] || 0) + 1;
        }
        renderList();
        renderChat();
      }
    } else if (event.code === 302) {
      state.polling = false;
      banner('Your session has ended. Please sign in again.', 'warning');
    } else if (event.code === 401) {
      banner('Something went wrong on this page.', 'error');
    }
    murmelApp.call('ScriptToApp', event.code, event.data);
  }

  async function poll() {
    while (state.polling) {
      try {
        const response = await fetch('/client/events?after=' + state.cursor, {cache: 'no-store'});
        if (!response.ok) throw new Error('status ' + response.status);
        const answer = await response.json();
        $('link_state').className = 'dot online';
        for (const event of answer.events) {
          state.cursor = Math.max(state.cursor, event.id);
          receive(event);
          if (!state.polling) break;
        }
        state.cursor = Math.max(state.cursor, answer.next);
      } catch (e) {
        $('link_state').className = 'dot';
        await new Promise((resolve) => setTimeout(resolve, 3000));
      }
    }
  }

  // Called by the desktop program with the code as text.
  window.AppToScript = function (code, data) {
    code = String(code);
    state.received.push({code, data: data === undefined ? '' : String(data)});
    const query = new URLSearchParams(state.received[state.received.length - 1]);
    fetch('/client/received?' + query, {method: 'POST'}).catch(() => {});
    switch (code) {
      case '102':
        showEvent('Connected to Murmel Alarm');
        break;
      case '103':
        showEvent('Signed out by Murmel Alarm');
        state.polling = false;
        fetch('/client/signout', {method: 'POST'}).catch(() => {});
        break;
      case '307':
        showEvent(open(String(data)) ? 'Opened the conversation from a notification'
                                     : 'That conversation is not here');
        break;
      case '308':
        showEvent('Window closed: new messages arrive as notifications');
        break;
      default:
        break;
    }
  };

  $('composer').addEventListener('submit', (e) => {
    e.preventDefault();
    const input = $('send_text');
    const text = input.value.trim();
    if (!text || !state.current) return;
    input.value = '';
    const c = findConversation(state.current);
    c.messages.push({from: 'me', msg: text, msgtype: 0, time: Date.now(), mine: true});
    renderChat();
    renderList();
    fetch('/client/send', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({sessionid: state.current, msg: text}),
    }).catch(() => banner('The message could not be sent.', 'error'));
  });

  async function start() {
    $('user_name').textContent = boot.name;
    try {
      const response = await fetch('/client/conversations', {cache: 'no-store'});
      const server = await response.json();
      // Messages that arrived while the list was loading stay in front.
      const known = new Set(state.conversations.map((x) => x.sessionid));
      state.conversations.push(...server.filter((x) => !known.has(x.sessionid)));
    } catch (e) {
      banner('The conversations could not be loaded.', 'error');
    }
    if (!state.current && state.conversations.length) open(state.conversations[0].sessionid);
    renderList();
    renderChat();
  }

  start();
  poll();
  if (boot.announce) murmelApp.call('SigninOk', 'SUCCESS,' + boot.token + ',' + boot.userId);
})();
