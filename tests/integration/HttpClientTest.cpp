// The request operation, the credential check and the version check against
// a real HTTP and HTTPS server on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "fakes/FakeNetworkStatus.h"
#include "fakes/RecordingPorts.h"
#include "integration/support/LoopbackHttpServer.h"
#include "integration/support/TestCertificates.h"
#include "net/CookieStore.h"
#include "net/HttpRequest.h"
#include "net/PingSite.h"
#include "net/VersionCheck.h"
#include "platform/linux/GlibEventLoop.h"
#include "signin/CredentialCheck.h"

namespace {

const std::string kFormHeader = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// Accepts connections on 127.0.0.1 and never answers, until it lets go of
// them all at once.
class SilentServer {
public:
    SilentServer() {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_fd, 8);
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { LetGo(); }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    // Closing the listener resets the connections it never accepted.
    void LetGo() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

std::size_t Arrivals(LoopbackHttpServer& server, const std::string& path) {
    const auto seen = server.Requests();
    return static_cast<std::size_t>(std::count_if(
        seen.begin(), seen.end(), [&](const SeenRequest& r) { return r.path == path; }));
}

class HttpClient : public testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates = std::make_unique<TestCertificates>();
        server =
            std::make_unique<LoopbackHttpServer>(certificates->CertFile(), certificates->KeyFile());
        otherOrigin =
            std::make_unique<LoopbackHttpServer>(certificates->CertFile(), certificates->KeyFile());
    }
    static void TearDownTestSuite() {
        otherOrigin.reset();
        server.reset();
        certificates.reset();
    }
    void SetUp() override {
        ClearCookieStore();
        unsetenv("MURMEL_CA_FILE");
        unsetenv("MURMEL_AUTH_URL");
    }

    int Get(const std::string& url, std::string& response, std::uint32_t* status = nullptr,
            const StringList& cookies = {}) {
        return HttpRequest(network, HttpVerb::Get, url, cookies, {}, {}, response, status);
    }

    static inline std::unique_ptr<TestCertificates> certificates;
    static inline std::unique_ptr<LoopbackHttpServer> server;
    static inline std::unique_ptr<LoopbackHttpServer> otherOrigin;
    FakeNetworkStatus network{true};
};

TEST_F(HttpClient, PostSendsBodyAndFirstHeaderOfEachNameAsGiven) {
    server->SetReply("/form", 200, "ok");
    const std::string body = "username=a%40b.example&password=p%26%3D";
    std::string response;
    std::uint32_t status = 0;
    ASSERT_EQ(HttpRequest(network, HttpVerb::Post, server->HttpBase() + "/form", {},
                          {kFormHeader, "whoami:murmel_notifier", "WHOAMI:other", "broken"}, body,
                          response, &status),
              kNetOk);
    EXPECT_EQ(response, "ok");
    EXPECT_EQ(status, 200u);
    const SeenRequest seen = server->LastRequest();
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.body, body);
    EXPECT_EQ(seen.Header("content-type"), "application/x-www-form-urlencoded;charset=UTF-8");
    EXPECT_EQ(seen.headers.count("content-type"), 1u);
    EXPECT_EQ(seen.headers.count("whoami"), 1u);
    EXPECT_EQ(seen.Header("whoami"), "murmel_notifier");
    EXPECT_EQ(seen.headers.count("expect"), 0u);
    EXPECT_EQ(seen.Header("user-agent"), "Murmel Alarm");
}

TEST_F(HttpClient, GetWithoutBodySendsNone) {
    std::string response;
    ASSERT_EQ(Get(server->HttpBase() + "/plain?a=1&b=*", response), kNetOk);
    const SeenRequest seen = server->LastRequest();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.query, "a=1&b=*");
    EXPECT_EQ(seen.body, "");
    EXPECT_EQ(seen.headers.count("content-type"), 0u);
}

TEST_F(HttpClient, CookieListIsStoredAndSentToMatchingAddressesLater) {
    std::string response;
    ASSERT_EQ(Get(server->HttpBase() + "/site/first", response, nullptr, {"sid=a=b", "flag", ""}),
              kNetOk);
    const std::string sent = server->LastRequest().Header("cookie");
    EXPECT_NE(sent.find("sid=a"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("sid=a="), std::string::npos) << sent;
    EXPECT_NE(sent.find("flag"), std::string::npos) << sent;

    ASSERT_EQ(Get(server->HttpBase() + "/site/second", response), kNetOk);
    EXPECT_EQ(server->LastRequest().Header("cookie"), sent);

    ASSERT_EQ(Get(server->HttpBase() + "/elsewhere", response), kNetOk);
    EXPECT_EQ(server->LastRequest().Header("cookie"), "");

    ClearCookieStore();
    ASSERT_EQ(Get(server->HttpBase() + "/site/third", response), kNetOk);
    EXPECT_EQ(server->LastRequest().Header("cookie"), "");
}

TEST_F(HttpClient, CookiesTheServerSetsComeBack) {
    server->SetReply("/setter", 200, "", {{"Set-Cookie", "srv=42; Path=/"}});
    std::string response;
    ASSERT_EQ(Get(server->HttpBase() + "/setter", response), kNetOk);
    ASSERT_EQ(Get(server->HttpBase() + "/any/where", response), kNetOk);
    EXPECT_EQ(server->LastRequest().Header("cookie"), "srv=42");
}

TEST_F(HttpClient, AnyStatusWithBodyIsSuccessAndLineEndsBecomeLineFeeds) {
    server->SetReply("/fail", 500, "<html>\r\nbroken\r\n</html>\r\n");
    std::string response;
    std::uint32_t status = 0;
    ASSERT_EQ(Get(server->HttpBase() + "/fail", response, &status), kNetOk);
    EXPECT_EQ(status, 500u);
    EXPECT_EQ(response, "<html>\nbroken\n</html>\n");

    server->SetReply("/missing", 404, "gone");
    ASSERT_EQ(Get(server->HttpBase() + "/missing", response, &status), kNetOk);
    EXPECT_EQ(status, 404u);
    EXPECT_EQ(response, "gone");
}

TEST_F(HttpClient, MultibyteCharactersSurvivePieceBoundaries) {
    // Two-, three- and four-byte characters at every offset against 2,046.
    std::string body;
    for (int i = 0; body.size() < 3 * 2046 + 100; ++i) {
        body += std::string(static_cast<std::size_t>(i % 5), 'x');
        body += i % 3 == 0 ? "\xC3\xA9" : i % 3 == 1 ? "\xE2\x82\xAC" : "\xF0\x9F\x98\x80";
        if (i % 97 == 0) body += "\n";
    }
    server->SetReply("/text", 200, body);
    std::string response;
    ASSERT_EQ(Get(server->HttpBase() + "/text", response), kNetOk);
    EXPECT_EQ(response, body);
}

TEST_F(HttpClient, FailuresLeaveResponseAndStatusAlone) {
    std::string response = "before";
    std::uint32_t status = 1;
    EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", response, &status), 0);
    EXPECT_EQ(response, "before");
    EXPECT_EQ(status, 1u);

    const std::size_t count = server->Requests().size();
    network.online = false;
    EXPECT_EQ(Get(server->HttpBase() + "/x", response, &status), 0);
    EXPECT_EQ(server->Requests().size(), count);
    EXPECT_EQ(response, "before");
}

TEST_F(HttpClient, HttpsTrustsOnlyKnownAuthorities) {
    server->SetReply("/secure", 200, "secret");
    std::string response = "before";
    EXPECT_EQ(Get(server->HttpsBase() + "/secure", response), 0);
    EXPECT_EQ(response, "before");

    setenv("MURMEL_CA_FILE", certificates->CaFile().c_str(), 1);
    ASSERT_EQ(Get(server->HttpsBase() + "/secure", response), kNetOk);
    EXPECT_EQ(response, "secret");
    // Without a scheme the address is asked for over https.
    ASSERT_EQ(Get(server->HttpsBase().substr(8) + "/secure", response), kNetOk);
    EXPECT_EQ(response, "secret");
}

TEST_F(HttpClient, CredentialCheckPostsTrimmedEncodedFieldsAndReadsTheAnswer) {
    setenv("MURMEL_CA_FILE", certificates->CaFile().c_str(), 1);
    setenv("MURMEL_AUTH_URL", server->HttpsBase().c_str(), 1);
    const std::string path = "/auth/user/isvalid";
    std::string userId;

    server->SetReply(path, 200, "<User><UserID>u-77</UserID></User>");
    EXPECT_EQ(CheckCredentials(network, {}, " a@b.example", "p&w=x \t", userId), kNetOk);
    EXPECT_EQ(userId, "u-77");
    const SeenRequest seen = server->LastRequest();
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.body, "username=a%40b.example&password=p%26w%3Dx");
    EXPECT_EQ(seen.Header("content-type"), "application/x-www-form-urlencoded;charset=UTF-8");

    server->SetReply(path, 400, "<Error><ErrorCode>AUT_1804</ErrorCode></Error>");
    EXPECT_EQ(CheckCredentials(network, {}, "a@b.example", "pw", userId), kCredentialsCode1804);
    server->SetReply(path, 400, "<Error><ErrorCode>1805</ErrorCode></Error>");
    EXPECT_EQ(CheckCredentials(network, {}, "a@b.example", "pw", userId), kCredentialsCode1805);
    server->SetReply(path, 503, "<Error><ErrorCode>1804</ErrorCode></Error>");
    EXPECT_EQ(CheckCredentials(network, {}, "a@b.example", "pw", userId), kCredentialsServiceError);
    EXPECT_EQ(userId, "u-77");

    unsetenv("MURMEL_CA_FILE");
    EXPECT_EQ(CheckCredentials(network, {}, "a@b.example", "pw", userId), 0);
}

TEST_F(HttpClient, VersionCheckSendsSessionCookiesAndPromptsForTheAnswer) {
    server->SetReply("/plugin/version.json", 200,
                     R"({"success":true,"data":{"uptodate":false,"critical":"no",)"
                     R"("downloadurl":"https://dl.example/setup","newversion":"1.0.9"}})");
    ScriptedMessageBox box;
    box.answer = MessageBoxAnswer::No;
    RecordingShell shell;
    RecordingLoop loop;
    int signOuts = 0;
    CVersionCheck check({network, box, shell, loop, 3, "Murmel Alarm",
                         [](unsigned id) { return std::to_string(id); }, [&] { ++signOuts; }});

    EXPECT_EQ(check.CheckVersion(server->HttpBase(), "JSESSIONID=s1; lang=en"), 1);
    const SeenRequest seen = server->LastRequest();
    EXPECT_EQ(seen.path, "/plugin/version.json");
    EXPECT_EQ(seen.query, "platform=web&osversion=windows&model=*&appversion=1.0.2");
    EXPECT_EQ(seen.Header("whoami"), "murmel_notifier");
    EXPECT_NE(seen.Header("cookie").find("JSESSIONID=s1"), std::string::npos);
    EXPECT_NE(seen.Header("cookie").find("lang=en"), std::string::npos);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "201");
    EXPECT_EQ(signOuts, 1);

    VersionInfo info;
    EXPECT_EQ(QueryVersion(network, server->HttpBase(), {""}, info), kNetOk);
    EXPECT_EQ(info.newversion, "1.0.9");
    EXPECT_EQ(info.critical, 1);

    server->SetReply("/plugin/version.json", 500, "<html>Internal error</html>");
    VersionInfo defaults;
    EXPECT_EQ(QueryVersion(network, server->HttpBase(), {""}, defaults), kNetOk);
    EXPECT_EQ(defaults.uptodate, 1);
    EXPECT_EQ(defaults.newversion, "");
    EXPECT_EQ(QueryVersion(network, "127.0.0.1:" + std::to_string(ClosedPort()), {""}, defaults),
              0);
}

TEST_F(HttpClient, RedirectsAreFollowedOnlyWhereNothingLeaks) {
    setenv("MURMEL_CA_FILE", certificates->CaFile().c_str(), 1);
    const std::string site = server->HttpsBase(), elsewhere = otherOrigin->HttpsBase();
    server->SetReply("/r/landing", 200, "landed");
    server->SetReply("/r/auth", 200, "checked");
    otherOrigin->SetReply("/auth", 200, "elsewhere");
    server->SetReply("/r/same", 302, "", {{"Location", "/r/landing"}});
    server->SetReply("/r/to-http", 302, "", {{"Location", server->HttpBase() + "/r/landing"}});
    server->SetReply("/r/loop", 302, "", {{"Location", site + "/r/loop"}});
    for (int i = 1; i <= 5; ++i)
        server->SetReply("/r/hop" + std::to_string(i), 301, "",
                         {{"Location", i < 5 ? "/r/hop" + std::to_string(i + 1) : "/r/landing"}});
    server->SetReply("/r/post-away", 307, "", {{"Location", elsewhere + "/auth"}});
    server->SetReply("/r/post-308-away", 308, "", {{"Location", elsewhere + "/auth"}});
    server->SetReply("/r/post-here", 307, "", {{"Location", site + "/r/auth"}});
    server->SetReply("/r/see-other", 303, "", {{"Location", elsewhere + "/auth"}});

    const std::string form = "username=kim&password=secret";
    struct Case {
        const char* name;
        HttpVerb verb;
        std::string start;
        int result;
        std::string response;
        LoopbackHttpServer* watched;  // where the request would end up
        std::string watchedPath;
        std::size_t arrivals;  // new requests seen there
        std::string lastBody;  // of the last one, when any arrived
    };
    const Case cases[] = {
        {"same-origin 302", HttpVerb::Get, site + "/r/same", kNetOk, "landed", server.get(),
         "/r/landing", 1, ""},
        {"https to http", HttpVerb::Get, site + "/r/to-http", 0, "", server.get(), "/r/landing", 0,
         ""},
        {"five redirects", HttpVerb::Get, site + "/r/hop1", kNetOk, "landed", server.get(),
         "/r/landing", 1, ""},
        {"endless loop ends after five", HttpVerb::Get, site + "/r/loop", 0, "", server.get(),
         "/r/loop", 6, ""},
        {"POST 307 to another origin", HttpVerb::Post, site + "/r/post-away", 0, "",
         otherOrigin.get(), "/auth", 0, ""},
        {"POST 308 to another origin", HttpVerb::Post, site + "/r/post-308-away", 0, "",
         otherOrigin.get(), "/auth", 0, ""},
        {"POST 307 to the same origin", HttpVerb::Post, site + "/r/post-here", kNetOk, "checked",
         server.get(), "/r/auth", 1, form},
        {"POST 303 elsewhere goes on as a bare GET", HttpVerb::Post, site + "/r/see-other", kNetOk,
         "elsewhere", otherOrigin.get(), "/auth", 1, ""},
    };
    for (const Case& c : cases) {
        const std::size_t before = Arrivals(*c.watched, c.watchedPath);
        std::string response = "untouched";
        std::uint32_t status = 0;
        const std::string body = c.verb == HttpVerb::Post ? form : "";
        EXPECT_EQ(HttpRequest(network, c.verb, c.start, {}, {kFormHeader}, body, response, &status),
                  c.result)
            << c.name;
        EXPECT_EQ(response, c.result == kNetOk ? c.response : "untouched") << c.name;
        EXPECT_EQ(status, c.result == kNetOk ? 200u : 0u) << c.name;
        EXPECT_EQ(Arrivals(*c.watched, c.watchedPath) - before, c.arrivals) << c.name;
        if (c.arrivals > 0) {
            EXPECT_EQ(c.watched->LastRequest().body, c.lastBody) << c.name;
        }
    }
}

TEST_F(HttpClient, CookiesSetOnTheWayGoWithTheNextHop) {
    server->SetReply("/c/start", 302, "",
                     {{"Location", "/c/end"}, {"Set-Cookie", "hop=1; Path=/"}});
    server->SetReply("/c/end", 200, "end");
    std::string response;
    ASSERT_EQ(Get(server->HttpBase() + "/c/start", response), kNetOk);
    EXPECT_EQ(response, "end");
    EXPECT_EQ(server->LastRequest().path, "/c/end");
    EXPECT_EQ(server->LastRequest().Header("cookie"), "hop=1");
}

TEST_F(HttpClient, KeepAliveTriesTheSiteAndFollowsTheSameRule) {
    setenv("MURMEL_CA_FILE", certificates->CaFile().c_str(), 1);
    server->SetReply("/k/ping", 503, "busy");
    server->SetReply("/k/moved", 302, "", {{"Location", "/k/ping"}});
    server->SetReply("/k/loop", 302, "", {{"Location", "/k/loop"}});
    server->SetReply("/k/to-http", 302, "", {{"Location", server->HttpBase() + "/k/ping"}});
    struct Case {
        const char* name;
        bool monitorOnline;
        std::string address;
        bool alive;
    };
    const Case cases[] = {
        // No default route, as on an intranet host: the site is still asked.
        {"monitor offline, site on this machine", false, server->HttpBase() + "/k/ping", true},
        {"an error status is an answer", true, server->HttpsBase() + "/k/ping", true},
        {"same-origin redirect", true, server->HttpsBase() + "/k/moved", true},
        {"endless redirect", true, server->HttpsBase() + "/k/loop", false},
        {"https to http", true, server->HttpsBase() + "/k/to-http", false},
        {"nobody listens", true, "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", false},
    };
    for (const Case& c : cases) {
        network.online = c.monitorOnline;
        std::string error;
        EXPECT_EQ(PingSite(network, c.address, error), c.alive) << c.name;
        EXPECT_EQ(error.empty(), c.alive) << c.name << ": " << error;
    }
}

// A request the UI thread waits for against a server that accepts and never
// answers: the UI loop keeps dispatching (a timer of its own keeps firing)
// until the request ends, by the server, by the caller or by its bound.
TEST_F(HttpClient, TheUiLoopRunsWhileARequestWaitsForASilentServer) {
    struct Ticker : IMessageTarget {
        std::intptr_t OnMessage(unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
        void OnTimer(unsigned) override {
            if (++ticks == 3 && onThirdTick) onThirdTick();
        }
        int ticks = 0;
        std::function<void()> onThirdTick;
    };
    struct Case {
        const char* name;
        bool serverLetsGo, callerCancels;
        long totalSeconds;  // of the request, when it runs on its own
    };
    const Case cases[] = {
        {"version check, service gives up", true, false, 0},
        {"credential check, cancelled", false, true, 0},
        {"request bounded in all", false, false, 1},
    };
    for (const Case& c : cases) {
        GlibEventLoop loop;
        SilentServer silent;
        std::atomic<bool> cancel = false;
        Ticker ticker;
        ticker.onThirdTick = [&] {
            if (c.serverLetsGo) silent.LetGo();
            if (c.callerCancels) cancel = true;
        };
        const WindowHandle handle = loop.Register(&ticker);
        loop.SetTimer(handle, 1, 20);
        if (c.serverLetsGo) {
            ScriptedMessageBox box;
            RecordingShell shell;
            CVersionCheck check({network, box, shell, loop, handle, "Murmel Alarm",
                                 [](unsigned id) { return std::to_string(id); }, [] {}});
            EXPECT_EQ(check.CheckVersion(silent.Base(), ""), 0) << c.name;
            EXPECT_TRUE(box.shown.empty()) << c.name;
        } else {
            RequestLimits limits;
            limits.totalSeconds = c.totalSeconds;
            limits.stallSeconds = 0;
            limits.cancel = &cancel;
            std::string response = "untouched";
            int result = -1;
            loop.Await([&] {
                result =
                    HttpRequest(network, HttpVerb::Post, silent.Base() + "/auth/user/isvalid", {},
                                {kFormHeader}, "username=a&password=b", response, nullptr, limits);
            });
            EXPECT_EQ(result, 0) << c.name;
            EXPECT_EQ(response, "untouched") << c.name;
        }
        if (c.totalSeconds == 0) {
            EXPECT_GE(ticker.ticks, 3) << c.name;
        }
        loop.Unregister(handle);
    }
}

}  // namespace
