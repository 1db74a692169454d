// The request operation, the credential check and the version check against
// a real HTTP and HTTPS server on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "fakes/FakeNetworkStatus.h"
#include "fakes/RecordingPorts.h"
#include "integration/support/LoopbackHttpServer.h"
#include "integration/support/TestCertificates.h"
#include "net/CookieStore.h"
#include "net/HttpRequest.h"
#include "net/VersionCheck.h"
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

class HttpClient : public testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates = std::make_unique<TestCertificates>();
        server =
            std::make_unique<LoopbackHttpServer>(certificates->CertFile(), certificates->KeyFile());
    }
    static void TearDownTestSuite() {
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

}  // namespace
