#include "EventHub.h"

#include <algorithm>

#include "HttpUtil.h"

namespace svc {
namespace {
constexpr guint kPollSeconds = 25;
constexpr std::size_t kMaxEvents = 1000;
constexpr Json::ArrayIndex kMaxMessagesPerConversation = 200;

const char* const kBotLines[] = {
    "Hi! I am the Murmel demo bot. I write now and then so you can see the toasts.",
    "Did you know? Clicking a toast opens this conversation.",
    "Lunch at noon? \xF0\x9F\x8D\x9C",
    "The quarterly figures are in the shared folder.",
    "Ping! Just checking that notifications still work.",
};

struct Reply {
    EventHub* hub;
    std::string text;
};

Json::Value Entry(const std::string& from, const std::string& msg, int msgtype, bool mine) {
    Json::Value entry;
    entry["from"] = from;
    entry["msg"] = msg;
    entry["msgtype"] = msgtype;
    entry["time"] = Json::Int64(g_get_real_time() / 1000);
    entry["mine"] = mine;
    return entry;
}
}  // namespace

EventHub::~EventHub() {
    if (m_botTimer) g_source_remove(m_botTimer);
    for (guint id : m_replyTimers) g_source_remove(id);
    for (const auto& waiter : m_waiters) g_source_remove(waiter.timeout);
}

long long EventHub::Post(int code, const std::string& data) {
    m_events.push_back({m_nextId++, code, data});
    if (m_events.size() > kMaxEvents) m_events.pop_front();
    if (!m_holding) Release();
    return m_nextId - 1;
}

void EventHub::Release() {
    m_holding = false;
    std::vector<Waiter> waiters;
    waiters.swap(m_waiters);
    for (const auto& waiter : waiters) {
        g_source_remove(waiter.timeout);
        Answer(waiter);
    }
}

long long EventHub::PostMessage(const std::string& sender, const std::string& msg, int msgtype,
                                const std::string& sessionid) {
    Conversation& conversation = ConversationFor(sessionid, sender);
    conversation.messages.append(Entry(sender, msg, msgtype, false));
    Json::Value data;
    data["sender"] = sender;
    data["msg"] = msg;
    data["msgtype"] = msgtype;
    data["sessionid"] = sessionid;
    return Post(304, ToJson(data));
}

void EventHub::AddOwnMessage(const std::string& sessionid, const std::string& msg) {
    Conversation& conversation = ConversationFor(sessionid, sessionid);
    conversation.messages.append(Entry("me", msg, 0, true));
    if (sessionid != m_bot.get("sessionid", "bot").asString()) return;
    auto* reply = new Reply{this, "You said: \"" + msg + "\". I am only a bot, but I read it."};
    guint delay = m_bot.get("replyDelayMs", 1500).asUInt();
    guint id = g_timeout_add_full(
        G_PRIORITY_DEFAULT, delay,
        [](gpointer data) -> gboolean {
            auto* r = static_cast<Reply*>(data);
            auto& timers = r->hub->m_replyTimers;
            guint self = g_source_get_id(g_main_current_source());
            timers.erase(std::remove(timers.begin(), timers.end(), self), timers.end());
            r->hub->BotSpeak(r->text);
            return G_SOURCE_REMOVE;
        },
        reply, [](gpointer data) { delete static_cast<Reply*>(data); });
    m_replyTimers.push_back(id);
}

EventHub::Conversation& EventHub::ConversationFor(const std::string& sessionid,
                                                  const std::string& name) {
    auto [it, added] = m_conversations.try_emplace(sessionid);
    if (added) it->second.name = name.empty() ? sessionid : name;
    it->second.lastActivity = ++m_activity;
    Json::Value& messages = it->second.messages;
    if (messages.size() >= kMaxMessagesPerConversation) {
        Json::Value dropped;
        messages.removeIndex(0, &dropped);
    }
    return it->second;
}

Json::Value EventHub::Conversations() const {
    std::vector<std::pair<std::string, const Conversation*>> sorted;
    for (const auto& [id, conversation] : m_conversations) sorted.emplace_back(id, &conversation);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.second->lastActivity > b.second->lastActivity;
    });
    Json::Value out(Json::arrayValue);
    for (const auto& [id, conversation] : sorted) {
        Json::Value item;
        item["sessionid"] = id;
        item["name"] = conversation->name;
        item["messages"] = conversation->messages;
        out.append(item);
    }
    return out;
}

Json::Value EventHub::EventsAfter(long long after) const {
    Json::Value events(Json::arrayValue);
    for (const auto& event : m_events) {
        if (event.id <= after) continue;
        Json::Value item;
        item["id"] = Json::Int64(event.id);
        item["code"] = event.code;
        item["data"] = event.data;
        events.append(item);
    }
    return events;
}

void EventHub::Answer(const Waiter& waiter) {
    Json::Value answer;
    answer["next"] = Json::Int64(LastId());
    answer["events"] = EventsAfter(waiter.after);
    RespondJson(waiter.msg, SOUP_STATUS_OK, answer);
    soup_server_message_unpause(waiter.msg);
}

void EventHub::Poll(SoupServerMessage* msg, long long after) {
    // A cursor from before a restart of the service starts over at the end.
    if (after > LastId() || after < 0) after = LastId();
    Json::Value events = EventsAfter(after);
    if (!events.empty()) {
        Json::Value answer;
        answer["next"] = Json::Int64(LastId());
        answer["events"] = events;
        RespondJson(msg, SOUP_STATUS_OK, answer);
        return;
    }
    Respond(msg, SOUP_STATUS_OK, "application/json", "");
    soup_server_message_pause(msg);
    guint timeout = g_timeout_add_seconds(kPollSeconds, &EventHub::OnPollTimeout, this);
    m_waiters.push_back({msg, after, timeout});
}

gboolean EventHub::OnPollTimeout(gpointer self) {
    auto* hub = static_cast<EventHub*>(self);
    guint id = g_source_get_id(g_main_current_source());
    auto it = std::find_if(hub->m_waiters.begin(), hub->m_waiters.end(),
                           [id](const Waiter& w) { return w.timeout == id; });
    if (it != hub->m_waiters.end()) {
        Waiter waiter = *it;
        hub->m_waiters.erase(it);
        hub->Answer(waiter);
    }
    return G_SOURCE_REMOVE;
}

void EventHub::Forget(SoupServerMessage* msg) {
    auto it = std::find_if(m_waiters.begin(), m_waiters.end(),
                           [msg](const Waiter& w) { return w.msg == msg; });
    if (it == m_waiters.end()) return;
    g_source_remove(it->timeout);
    m_waiters.erase(it);
}

void EventHub::ConfigureBot(const Json::Value& bot) {
    m_bot = bot;
    if (m_botTimer) g_source_remove(m_botTimer);
    m_botTimer = 0;
    const std::string sessionid = bot.get("sessionid", "bot").asString();
    if (!m_conversations.count(sessionid)) {
        Seed("ada", "Ada Berg", {"Are we still on for Friday?", "I booked the table for seven."});
        Seed(sessionid, bot.get("sender", "").asString(),
             {"Welcome to Murmel! Write me something and I will answer."});
    }
    int interval = bot.get("intervalSeconds", 0).asInt();
    if (interval > 0)
        m_botTimer =
            g_timeout_add_seconds(static_cast<guint>(interval), &EventHub::OnBotTick, this);
}

void EventHub::Seed(const std::string& sessionid, const std::string& name,
                    const std::vector<std::string>& lines) {
    Conversation& conversation = ConversationFor(sessionid, name);
    for (const auto& line : lines)
        conversation.messages.append(Entry(conversation.name, line, 0, false));
}

gboolean EventHub::OnBotTick(gpointer self) {
    auto* hub = static_cast<EventHub*>(self);
    constexpr int count = sizeof(kBotLines) / sizeof(kBotLines[0]);
    hub->BotSpeak(kBotLines[hub->m_botLine++ % count]);
    return G_SOURCE_CONTINUE;
}

void EventHub::BotSpeak(const std::string& text) {
    PostMessage(m_bot.get("sender", "Murmel Bot").asString(), text, 0,
                m_bot.get("sessionid", "bot").asString());
}

}  // namespace svc
