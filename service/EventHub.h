#pragma once
// The events the web client receives (new messages, session end, page error),
// delivered by long polling, and the conversations the web client shows. The
// demo bot writes through it now and then and answers what the user sends.
#include <json/json.h>
#include <libsoup/soup.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace svc {

class EventHub {
public:
    EventHub() = default;
    ~EventHub();
    EventHub(const EventHub&) = delete;
    EventHub& operator=(const EventHub&) = delete;

    // Queues an event for every web client; `data` is the exact text the
    // page hands to ScriptToApp. Returns the event's id.
    long long Post(int code, const std::string& data);
    // A new message from someone: recorded in its conversation and posted as
    // code 304 with the sender, text, type and conversation id.
    long long PostMessage(const std::string& sender, const std::string& msg, int msgtype,
                          const std::string& sessionid);
    // Events posted between Hold and Release reach the waiting web clients
    // together, in one answer, as a burst from the site would.
    void Hold() { m_holding = true; }
    void Release();
    // A message the signed-in user sends from the web client.
    void AddOwnMessage(const std::string& sessionid, const std::string& msg);

    // Answers at once with the events after `after`, or holds the request
    // until one arrives or the poll times out.
    void Poll(SoupServerMessage* msg, long long after);
    void Forget(SoupServerMessage* msg);

    long long LastId() const { return m_nextId - 1; }
    int Pollers() const { return static_cast<int>(m_waiters.size()); }
    Json::Value Conversations() const;

    // The bot: writes every `intervalSeconds` (0: never) and answers in its
    // own conversation after `replyDelayMs`.
    void ConfigureBot(const Json::Value& bot);

private:
    struct Event {
        long long id;
        int code;
        std::string data;
    };
    struct Waiter {
        SoupServerMessage* msg;
        long long after;
        guint timeout;
    };
    struct Conversation {
        std::string name;
        Json::Value messages{Json::arrayValue};
        long long lastActivity = 0;
    };

    Json::Value EventsAfter(long long after) const;
    void Answer(const Waiter& waiter);
    Conversation& ConversationFor(const std::string& sessionid, const std::string& name);
    void BotSpeak(const std::string& text);
    void Seed(const std::string& sessionid, const std::string& name,
              const std::vector<std::string>& lines);
    static gboolean OnPollTimeout(gpointer self);
    static gboolean OnBotTick(gpointer self);

    std::deque<Event> m_events;
    long long m_nextId = 1;
    long long m_activity = 0;
    std::vector<Waiter> m_waiters;
    bool m_holding = false;
    std::map<std::string, Conversation> m_conversations;
    Json::Value m_bot;
    guint m_botTimer = 0;
    int m_botLine = 0;
    std::vector<guint> m_replyTimers;
};

}  // namespace svc
