#pragma once
// The service: one libsoup server listening on 127.0.0.1 over HTTP and HTTPS,
// serving the web-client site, the authentication service, the account web
// site and the control endpoint under /_control/.
#include <libsoup/soup.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "Certificates.h"
#include "EventHub.h"
#include "RequestLog.h"
#include "Scenario.h"

namespace svc {

struct Options {
    int httpPort = 0;
    int httpsPort = 0;
    std::string portFile;
    std::string scenarioFile;
    std::string stateDir;
    std::string wwwDir;
};

struct Session {
    std::string email;
    std::string userId;
    bool announced = false;  // the web client has already reported SigninOk
};

// Largest request body the service reads; larger ones get 413 unread.
constexpr gint64 kMaxRequestBody = 1 << 20;
constexpr const char* kSessionCookie = "MURMEL_SID";

class Server {
public:
    explicit Server(Options options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Start(std::string& error);

    // Shared with the request handlers.
    Scenario& GetScenario() { return m_scenario; }
    RequestLog& Log() { return *m_log; }
    EventHub& Hub() { return m_hub; }
    std::map<std::string, Session>& Sessions() { return m_sessions; }
    const Options& GetOptions() const { return m_options; }
    const Certificates& Certs() const { return m_certs; }
    int HttpPort() const { return m_httpPort; }
    int HttpsPort() const { return m_httpsPort; }
    // Applies a scenario change to the parts that run on their own (the bot).
    void ScenarioChanged();
    // Holds `msg` for `ms` milliseconds, then runs `then`; the response is
    // sent when it returns true (false: `then` closed the connection).
    void Later(SoupServerMessage* msg, guint ms, std::function<bool()> then);
    // Holds `msg` unanswered until its connection goes.
    static void Hold(SoupServerMessage* msg);
    // Closes the connection of `msg` without an answer.
    static void CloseConnection(SoupServerMessage* msg);
    // Notes that `msg` gets no answer, so the log shows status 0.
    static void MarkClosed(SoupServerMessage* msg);
    static int LoggedStatus(SoupServerMessage* msg);
    std::string ReadPage(const std::string& name) const;

private:
    static void OnRequest(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                          gpointer self);
    static void OnEarly(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                        gpointer self);
    static void OnAborted(SoupServer*, SoupServerMessage* msg, gpointer self);
    bool WritePortFile(std::string& error) const;

    Options m_options;
    Scenario m_scenario;
    std::unique_ptr<RequestLog> m_log;
    EventHub m_hub;
    std::map<std::string, Session> m_sessions;
    std::set<SoupServerMessage*> m_held;
    Certificates m_certs;
    SoupServer* m_server = nullptr;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};

// Request handlers; each answers the message (or holds it with Later).
void HandleSite(Server& server, SoupServerMessage* msg, const std::string& path);
void HandleControl(Server& server, SoupServerMessage* msg, const std::string& path);
std::string SchemeOf(SoupServerMessage* msg);

}  // namespace svc
