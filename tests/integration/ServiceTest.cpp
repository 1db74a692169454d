// The local Murmel service against a real HTTP client (libcurl) over
// HTTP and HTTPS on 127.0.0.1.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <fstream>
#include <future>
#include <pugixml.hpp>

#include "support/MurmelService.h"

using murmeltest::HttpAnswer;
using murmeltest::MurmelService;
using murmeltest::Request;

namespace {

const char* const kForm = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()) << service.Errors(); }
    void TearDown() override {
        // A crash (or a sanitizer report) of the service fails the test.
        int status = service.Stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << service.Errors();
    }

    HttpAnswer Auth(const std::string& body) const {
        return service.Https({"POST", "/auth/user/isvalid", body, {kForm}});
    }
    // The text of a child of the XML root, or "(none)".
    static std::string RootChild(const std::string& xml, const char* name) {
        pugi::xml_document doc;
        if (!doc.load_string(xml.c_str())) return "(not xml)";
        pugi::xml_node child = doc.document_element().child(name);
        return child ? child.text().get() : "(none)";
    }
    bool Alive() const { return service.Get("/ping").status == 200; }

    MurmelService service;
};

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

}  // namespace

TEST_F(ServiceTest, HttpsIsTrustedThroughItsOwnCaOnly) {
    ASSERT_TRUE(std::ifstream(service.CaFile()).good());
    EXPECT_EQ(service.Get("/ping").status, 200);
    // The certificate names both loopback spellings.
    HttpAnswer byName =
        murmeltest::Fetch({"GET",
                           "https://localhost:" + service.Ports()["https"].asString() + "/ping",
                           "",
                           {},
                           service.CaFile()});
    EXPECT_EQ(byName.status, 200) << curl_easy_strerror(byName.error);
    // Without the CA the system's trust store refuses it.
    HttpAnswer untrusted = murmeltest::Fetch({"GET", service.HttpsBase() + "/ping"});
    EXPECT_NE(untrusted.error, CURLE_OK);
    EXPECT_EQ(murmeltest::Fetch({"GET", service.HttpBase() + "/ping"}).status, 200);
    EXPECT_NE(service.Output().find(service.CaFile()), std::string::npos);
}

TEST_F(ServiceTest, FixedPortsAndCertificatesSurviveARestart) {
    std::ifstream firstIn(service.CaFile());
    const std::string firstCa(std::istreambuf_iterator<char>(firstIn), {});
    service.Stop();
    int http = FreePort(), https = FreePort();
    ASSERT_TRUE(service.Start(
        "", {"--http-port", std::to_string(http), "--https-port", std::to_string(https)}))
        << service.Errors();
    EXPECT_EQ(service.Ports()["http"].asInt(), http);
    EXPECT_EQ(service.Ports()["https"].asInt(), https);
    std::ifstream in(service.CaFile());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), firstCa);
    EXPECT_TRUE(Alive());

    // A port in use is a clear failure, not a silent other port.
    MurmelService second;
    EXPECT_FALSE(second.Start("", {"--https-port", std::to_string(https)}));
    EXPECT_NE(second.Errors().find("cannot listen"), std::string::npos) << second.Errors();
}

TEST_F(ServiceTest, AuthServiceAnswersAsTheProgramReadsIt) {
    HttpAnswer ok = Auth("username=demo%40murmel.test&password=demo1234");
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(RootChild(ok.body, "UserID"), "u-1001");

    HttpAnswer unknown = Auth("username=nobody%40murmel.test&password=demo1234");
    EXPECT_EQ(unknown.status, 400);
    EXPECT_NE(RootChild(unknown.body, "ErrorCode").find("1804"), std::string::npos);

    HttpAnswer wrong = Auth("username=demo%40murmel.test&password=demo12345");
    EXPECT_EQ(wrong.status, 400);
    EXPECT_NE(RootChild(wrong.body, "ErrorCode").find("1805"), std::string::npos);

    // Malformed forms are rejected with neither account code.
    for (const char* body :
         {"", "username=%zz&password=x", "garbage", "username=%C3%28&password="}) {
        HttpAnswer bad = Auth(body);
        EXPECT_EQ(bad.status, 400) << body;
        std::string code = RootChild(bad.body, "ErrorCode");
        EXPECT_EQ(code.find("1804"), std::string::npos) << body;
        EXPECT_EQ(code.find("1805"), std::string::npos) << body;
    }
    EXPECT_EQ(service.Get("/auth/user/isvalid").status, 405);

    // Scenario: forced statuses and an account with its own code.
    ASSERT_TRUE(service.SetScenario(R"({"auth": {"status": 503}})"));
    EXPECT_EQ(Auth("username=demo%40murmel.test&password=demo1234").status, 503);
    ASSERT_TRUE(service.SetScenario(R"({"auth": {"status": 0},
        "accounts": [{"email": "a&b=c@murmel.test", "password": "p&ss=1 +x"},
                     {"email": "new@murmel.test", "password": "pw", "authErrorCode": "X_1804_1805"}]})"));
    EXPECT_EQ(Auth("username=a%26b%3Dc%40murmel.test&password=p%26ss%3D1%20%2Bx").status, 200);
    HttpAnswer both = Auth("username=new%40murmel.test&password=pw");
    EXPECT_EQ(RootChild(both.body, "ErrorCode"), "X_1804_1805");
    EXPECT_EQ(Auth("username=demo%40murmel.test&password=demo1234").status, 400);

    Json::Value logged = service.Log("/auth/user/isvalid");
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged[0]["body"].asString(), "username=demo%40murmel.test&password=demo1234");
    EXPECT_EQ(logged[0]["headers"]["Content-Type"].asString(),
              "application/x-www-form-urlencoded;charset=UTF-8");
}

TEST_F(ServiceTest, PingFollowsTheScenario) {
    EXPECT_EQ(service.Get("/ping").status, 200);
    ASSERT_TRUE(service.SetScenario(R"({"ping": {"status": 503}})"));
    EXPECT_EQ(service.Get("/ping").status, 503);
    ASSERT_TRUE(service.SetScenario(R"({"ping": {"status": 200, "delayMs": 300}})"));
    EXPECT_EQ(service.Get("/ping").status, 200);
    ASSERT_TRUE(service.SetScenario(R"({"ping": {"close": true, "delayMs": 0}})"));
    HttpAnswer closed = service.Get("/ping");
    EXPECT_NE(closed.error, CURLE_OK);
    EXPECT_EQ(closed.status, 0);
    ASSERT_TRUE(service.SetScenario(R"({"ping": {"close": true, "delayMs": 200}})"));
    EXPECT_NE(service.Get("/ping").error, CURLE_OK);
    ASSERT_TRUE(service.SetScenario(R"({"ping": {"close": false}})"));
    EXPECT_TRUE(Alive());
    Json::Value log = service.Log("/ping");
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[3]["status"].asInt(), 0);  // closed without an answer
}

TEST_F(ServiceTest, VersionFileAnswersEveryScenario) {
    const std::string path =
        "/plugin/version.json?platform=web&osversion=windows&model=*&appversion=1.0.2";
    Json::Value current = service.Https({"GET", path, "", {"whoami:murmel_notifier"}}).Json();
    EXPECT_TRUE(current["success"].asBool());
    EXPECT_EQ(current["data"]["uptodate"].asString(), "true");
    EXPECT_EQ(current["data"]["newversion"].asString(), "1.0.2");
    Json::Value logged = service.Log("/plugin/version.json")[0];
    EXPECT_EQ(logged["query"].asString(),
              "platform=web&osversion=windows&model=*&appversion=1.0.2");
    EXPECT_EQ(logged["headers"]["whoami"].asString(), "murmel_notifier");

    ASSERT_TRUE(service.SetScenario(
        R"({"version": {"answer": "optional", "downloadurl": "https://127.0.0.1/get"}})"));
    Json::Value optional = service.Get(path).Json()["data"];
    EXPECT_EQ(optional["uptodate"].asString(), "false");
    EXPECT_EQ(optional["critical"].asString(), "false");
    EXPECT_EQ(optional["newversion"].asString(), "1.0.3");
    EXPECT_EQ(optional["downloadurl"].asString(), "https://127.0.0.1/get");

    ASSERT_TRUE(service.SetScenario(R"({"version": {"answer": "mandatory"}})"));
    EXPECT_EQ(service.Get(path).Json()["data"]["critical"].asString(), "true");

    ASSERT_TRUE(service.SetScenario(R"({"version": {"answer": "notjson", "status": 500}})"));
    HttpAnswer html = service.Get(path);
    EXPECT_EQ(html.status, 500);
    Json::Value ignored;
    EXPECT_FALSE(Json::Reader().parse(html.body, ignored));

    ASSERT_TRUE(service.SetScenario(
        R"({"version": {"answer": "raw", "status": 200, "body": "{\"success\":\"false\",\"data\":7}"}})"));
    EXPECT_EQ(service.Get(path).body, R"({"success":"false","data":7})");
}

TEST_F(ServiceTest, RoutesRedirectAsTheScenarioSays) {
    const std::string http = std::to_string(service.Ports()["http"].asInt());
    const std::string https = std::to_string(service.Ports()["https"].asInt());
    struct Case {
        const char* route;
        const char* redirect;
        const char* path;  // asked over HTTPS
        long status;
        std::string location;
    };
    const std::string version = "/plugin/version.json?model=*";
    for (const Case& c : {
             Case{"version", R"({"to": "self"})", version.c_str(), 302,
                  "https://127.0.0.1:" + https + version},
             Case{"version", R"({"to": "self", "count": 2})", version.c_str(), 302,
                  "https://127.0.0.1:" + https + version + "&hop=1"},
             Case{"version", R"({"to": "self", "count": 2})", "/plugin/version.json?hop=1", 302,
                  "https://127.0.0.1:" + https + "/plugin/version.json?hop=2"},
             Case{"version", R"({"to": "self", "count": 2})", "/plugin/version.json?hop=2", 200,
                  ""},
             Case{"auth", R"({"to": "http", "count": 1, "status": 307})", "/auth/user/isvalid", 307,
                  "http://127.0.0.1:" + http + "/auth/user/isvalid?hop=1"},
             Case{"ping", R"({"to": "https://127.0.0.1:9/elsewhere", "status": 308})", "/ping", 308,
                  "https://127.0.0.1:9/elsewhere"},
         }) {
        ASSERT_TRUE(service.SetScenario(std::string("{\"") + c.route +
                                        "\": {\"redirect\": " + c.redirect + "}}"))
            << c.redirect;
        const char* method = std::string(c.route) == "auth" ? "POST" : "GET";
        HttpAnswer answer = service.Https(
            {method, c.path, "username=demo%40murmel.test&password=demo1234", {kForm}});
        EXPECT_EQ(answer.status, c.status) << c.route << " " << c.redirect << " " << c.path;
        EXPECT_EQ(answer.Header("Location"), c.location) << c.route << " " << c.redirect;
        ASSERT_TRUE(service.SetScenario(std::string("{\"") + c.route +
                                        "\": {\"redirect\": {\"to\": \"\", \"count\": 0}}}"));
    }
    // The hop over to plain HTTP is answered there as usual.
    HttpAnswer there = murmeltest::Fetch({"POST",
                                          service.HttpBase() + "/auth/user/isvalid?hop=1",
                                          "username=demo%40murmel.test&password=demo1234",
                                          {kForm}});
    EXPECT_EQ(there.status, 200);

    for (const char* bad : {R"({"auth": {"redirect": {"to": "ftp://x"}}})",
                            R"({"ping": {"redirect": {"status": 200}}})",
                            R"({"version": {"redirect": {"count": -1}}})"})
        EXPECT_EQ(service.Control("POST", "scenario", bad).status, 400) << bad;
}

TEST_F(ServiceTest, RoutesFailAsTheScenarioSays) {
    const std::string version = "/plugin/version.json?appversion=1.0.2";
    const std::string form = "username=demo%40murmel.test&password=demo1234";
    struct Case {
        const char* scenario;
        const char* method;
        std::string path;
        CURLcode error;
        long status;
        const char* body;  // expected in full, when the answer is whole
    };
    for (const Case& c : {
             Case{R"({"version": {"silent": true}})", "GET", version, CURLE_OPERATION_TIMEDOUT, 0,
                  ""},
             Case{R"({"auth": {"silent": true}})", "POST", "/auth/user/isvalid",
                  CURLE_OPERATION_TIMEDOUT, 0, ""},
             Case{R"({"ping": {"silent": true}})", "GET", "/ping", CURLE_OPERATION_TIMEDOUT, 0, ""},
             Case{R"({"version": {"closeMidBody": true, "answer": "mandatory"}})", "GET", version,
                  CURLE_PARTIAL_FILE, 200, nullptr},
             Case{R"({"auth": {"closeMidBody": true}})", "POST", "/auth/user/isvalid",
                  CURLE_PARTIAL_FILE, 200, nullptr},
             Case{R"({"ping": {"closeMidBody": true}})", "GET", "/ping", CURLE_PARTIAL_FILE, 200,
                  nullptr},
             Case{R"({"auth": {"body": "<User><UserID>u-1"}})", "POST", "/auth/user/isvalid",
                  CURLE_OK, 200, "<User><UserID>u-1"},
             Case{R"({"auth": {"body": "not xml", "status": 400}})", "POST", "/auth/user/isvalid",
                  CURLE_OK, 400, "not xml"},
             Case{R"({"version": {"answer": "raw", "body": "{\"success\": tr", "status": 502}})",
                  "GET", version, CURLE_OK, 502, "{\"success\": tr"},
         }) {
        ASSERT_TRUE(service.SetScenario(c.scenario)) << c.scenario;
        Request request{c.method, c.path, c.method == std::string("POST") ? form : "", {kForm}};
        request.timeoutSeconds = 2;
        HttpAnswer answer = service.Https(request);
        EXPECT_EQ(answer.error, c.error) << c.scenario << ": " << curl_easy_strerror(answer.error);
        EXPECT_EQ(answer.status, c.status) << c.scenario;
        if (c.body) {
            EXPECT_EQ(answer.body, c.body) << c.scenario;
        }
        if (c.error == CURLE_PARTIAL_FILE) {
            EXPECT_FALSE(answer.body.empty()) << c.scenario;
        }
        // A change back answers again at once: one silent request holds no other.
        ASSERT_TRUE(service.Control("PUT", "scenario", "{}").status == 200);
        EXPECT_TRUE(Alive()) << c.scenario;
    }
    ASSERT_TRUE(service.SetScenario(R"({"version": {"delayMs": 300}})"));
    EXPECT_EQ(service.Get(version).status, 200);
}

TEST_F(ServiceTest, SignInPageFormAndSession) {
    HttpAnswer page = service.Https(
        {"GET", "/account/plugin_signin.html?SigninType=plugin", "", {"whoami:murmel_notifier"}});
    EXPECT_EQ(page.status, 200);
    for (const char* name : {"name=\"svcIptLgnID\"", "name=\"svcIptLgnPD\"",
                             "name=\"signin_submit\"", "data-report=\"SigninReady\""})
        EXPECT_NE(page.body.find(name), std::string::npos) << name;
    Json::Value logged = service.Log("/account/plugin_signin.html")[0];
    EXPECT_EQ(logged["headers"]["whoami"].asString(), "murmel_notifier");
    EXPECT_EQ(logged["query"].asString(), "SigninType=plugin");

    const std::string jar = service.Dir() + "/cookies.txt";
    Request signin{"POST", "/account/plugin_signin.do",
                   "svcIptLgnID=demo%40murmel.test&svcIptLgnPD=demo1234&signin_submit=Sign+in"};
    signin.cookieJar = jar;
    HttpAnswer submitted = service.Https(signin);
    EXPECT_EQ(submitted.status, 303);
    EXPECT_EQ(submitted.Header("Location"), "/client/");
    EXPECT_NE(submitted.Header("Set-Cookie").find("MURMEL_SID="), std::string::npos);

    Request client{"GET", "/client/"};
    client.cookieJar = jar;
    HttpAnswer first = service.Https(client);
    EXPECT_EQ(first.status, 200);
    EXPECT_NE(first.body.find("\"announce\":true"), std::string::npos);
    EXPECT_NE(first.body.find("/static/webclient.js"), std::string::npos);
    // A reload of the web client does not report the sign-in again.
    EXPECT_NE(service.Https(client).body.find("\"announce\":false"), std::string::npos);

    // Without the session cookie the web client leads back to the sign-in page.
    HttpAnswer anonymous = service.Get("/client/");
    EXPECT_EQ(anonymous.status, 303);
    EXPECT_EQ(anonymous.Header("Location"), "/account/plugin_signin.html?SigninType=plugin");

    HttpAnswer wrong = service.Https(
        {"POST", "/account/plugin_signin.do", "svcIptLgnID=demo%40murmel.test&svcIptLgnPD=nope"});
    EXPECT_EQ(wrong.status, 200);
    EXPECT_NE(wrong.body.find("data-report=\"fail\""), std::string::npos);
    EXPECT_NE(wrong.body.find("value=\"demo@murmel.test\""), std::string::npos);
}

TEST_F(ServiceTest, SignInOutcomesLeadToTheAccountPages) {
    ASSERT_TRUE(service.SetScenario(R"({"accounts": [
        {"email": "a@t", "password": "p", "signin": "signInDo"},
        {"email": "b@t", "password": "p", "signin": "emailVerification"},
        {"email": "c@t", "password": "p", "signin": "termsAcceptance"},
        {"email": "d@t", "password": "p", "signin": "identityCheck"},
        {"email": "e@t", "password": "p", "signin": "profileUpdate"},
        {"email": "f@t", "password": "p", "signin": "fail"},
        {"email": "g@t", "password": "p", "signin": "silent"}]})"));
    const std::pair<const char*, const char*> expected[] = {
        {"a", "/account/signIn.do"},
        {"b", "/account/activation/accountActivationRequestView.do"},
        {"c", "/account/termsAcceptance.do"},
        {"d", "/account/userVerifySSN.do"},
        {"e", "/account/profile/accountProfileEdit.do"}};
    for (auto [user, path] : expected) {
        HttpAnswer answer =
            service.Https({"POST", "/account/plugin_signin.do",
                           std::string("svcIptLgnID=") + user + "%40t&svcIptLgnPD=p"});
        EXPECT_EQ(answer.status, 303) << user;
        EXPECT_EQ(answer.Header("Location").rfind(path, 0), 0u) << answer.Header("Location");
        EXPECT_EQ(service.Get(answer.Header("Location")).status, 200) << path;
    }
    HttpAnswer fail =
        service.Https({"POST", "/account/plugin_signin.do", "svcIptLgnID=f%40t&svcIptLgnPD=p"});
    EXPECT_NE(fail.body.find("data-report=\"fail\""), std::string::npos);
    HttpAnswer silent =
        service.Https({"POST", "/account/plugin_signin.do", "svcIptLgnID=g%40t&svcIptLgnPD=p"});
    EXPECT_NE(silent.body.find("data-report=\"none\""), std::string::npos);
    EXPECT_TRUE(service.Control("GET", "status").Json()["sessions"].empty());

    ASSERT_TRUE(service.SetScenario(R"({"signinPage": {"ready": "ScriptToApp"}})"));
    EXPECT_NE(service.Get("/account/plugin_signin.html?SigninType=plugin")
                  .body.find("data-report=\"ScriptToApp\""),
              std::string::npos);
}

TEST_F(ServiceTest, OtherSitePagesAndTheAccountCheck) {
    EXPECT_NE(service.Get("/account/plugin_signin.html?SigninType=findpw").body.find("Forgot"),
              std::string::npos);
    EXPECT_NE(service.Https({"POST", "/account/findpw.do", "email=kim%40murmel.test"})
                  .body.find("on its way"),
              std::string::npos);
    EXPECT_NE(service.Get("/index.html").body.find("SigninType=signup"), std::string::npos);
    EXPECT_EQ(service.Get("/static/style.css").Header("Content-Type"), "text/css");
    EXPECT_EQ(service.Get("/static/../Server.cpp").status, 404);
    EXPECT_GE(service.Get("/static/%2e%2e%2fmain.cpp").status, 400);

    // An account made on the sign-up page is known to the auth service.
    HttpAnswer signup = service.Https(
        {"POST", "/account/signup.do", "name=Kim&email=kim%40murmel.test&password=kim12345"});
    EXPECT_NE(signup.body.find("ready"), std::string::npos);
    EXPECT_EQ(Auth("username=kim%40murmel.test&password=kim12345").status, 200);

    const std::string back = "https%3A%2F%2F127.0.0.1%3A9%2Findex.html";
    HttpAnswer check = service.Get("/account/check.do?registURL=" + back + "&returnURL=" + back +
                                   "&goBackURL=" + back + "&actionID=StartAP&serviceID=k4r9t2m7vq");
    EXPECT_EQ(check.status, 200);
    EXPECT_NE(check.body.find("k4r9t2m7vq"), std::string::npos);
    EXPECT_NE(check.body.find("href=\"https://127.0.0.1:9/index.html\""), std::string::npos);
    EXPECT_EQ(service.Log("/account/check.do")[0]["query"].asString().rfind("registURL=" + back, 0),
              0u);
    // A script address is not turned into a link.
    EXPECT_EQ(service.Get("/account/check.do?returnURL=javascript:alert(1)")
                  .body.find("href=\"javascript"),
              std::string::npos);
}

TEST_F(ServiceTest, WebClientEventsArriveByLongPolling) {
    long long start = service.Control("GET", "status").Json()["lastEventId"].asInt64();
    const std::string poll = "/client/events?after=" + std::to_string(start);
    auto waiting = std::async(std::launch::async, [&] { return service.Get(poll); });
    while (service.Control("GET", "status").Json()["pollers"].asInt() < 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    long long id = service.Inject(
        R"({"type": "message", "sender": "Ada Berg", "msg": "Hi \u00e9", "sessionid": "ada"})");
    ASSERT_GT(id, start);
    Json::Value answer = waiting.get().Json();
    ASSERT_EQ(answer["events"].size(), 1u);
    EXPECT_EQ(answer["events"][0]["code"].asInt(), 304);
    Json::Value data = murmeltest::ParseJson(answer["events"][0]["data"].asString());
    EXPECT_EQ(data["sender"].asString(), "Ada Berg");
    EXPECT_EQ(data["msg"].asString(), "Hi \xC3\xA9");
    EXPECT_EQ(data["msgtype"].asInt(), 0);
    EXPECT_EQ(data["sessionid"].asString(), "ada");

    service.Inject(
        R"({"type": "message", "sender": "Bo", "msg": "audio\nvoice.3gp", "msgtype": 1})");
    service.Inject(R"({"type": "error", "data": "boom"})");
    service.Inject(R"({"type": "raw", "code": 303, "data": "not json"})");
    Json::Value later = service.Get("/client/events?after=" + std::to_string(id)).Json()["events"];
    ASSERT_EQ(later.size(), 3u);
    Json::Value media = murmeltest::ParseJson(later[0]["data"].asString());
    EXPECT_EQ(media["msgtype"].asInt(), 1);
    EXPECT_EQ(media["sessionid"].asString(), "Bo");
    EXPECT_EQ(later[1]["code"].asInt(), 401);
    EXPECT_EQ(later[2]["data"].asString(), "not json");

    // Conversations keep what arrived, newest first.
    Json::Value conversations = service.Get("/client/conversations").Json();
    EXPECT_EQ(conversations[0]["sessionid"].asString(), "Bo");
    ASSERT_EQ(conversations[1]["sessionid"].asString(), "ada");
    Json::Value& ada = conversations[1]["messages"];
    EXPECT_EQ(ada[ada.size() - 1]["msg"].asString(), "Hi \xC3\xA9");

    // The end of the session reaches the page and drops the sessions.
    service.Https({"POST", "/account/plugin_signin.do",
                   "svcIptLgnID=demo%40murmel.test&svcIptLgnPD=demo1234"});
    EXPECT_EQ(service.Control("GET", "status").Json()["sessions"].size(), 1u);
    long long logout = service.Inject(R"({"type": "logout"})");
    Json::Value last = service.Get("/client/events?after=" + std::to_string(logout - 1)).Json();
    EXPECT_EQ(last["events"][0]["code"].asInt(), 302);
    EXPECT_TRUE(service.Control("GET", "status").Json()["sessions"].empty());
}

TEST_F(ServiceTest, BotAnswersInItsConversation) {
    ASSERT_TRUE(service.SetScenario(R"({"bot": {"replyDelayMs": 10}})"));
    long long start = service.Control("GET", "status").Json()["lastEventId"].asInt64();
    EXPECT_EQ(
        service.Https({"POST", "/client/send", R"({"sessionid": "bot", "msg": "hello"})"}).status,
        200);
    Json::Value events =
        service.Get("/client/events?after=" + std::to_string(start)).Json()["events"];
    ASSERT_EQ(events.size(), 1u);
    Json::Value reply = murmeltest::ParseJson(events[0]["data"].asString());
    EXPECT_EQ(reply["sessionid"].asString(), "bot");
    EXPECT_NE(reply["msg"].asString().find("hello"), std::string::npos);
    EXPECT_EQ(service.Https({"POST", "/client/send", R"({"sessionid": 5})"}).status, 400);

    // Left to itself the bot writes now and then.
    ASSERT_TRUE(service.SetScenario(R"({"bot": {"intervalSeconds": 1, "sender": "Robo"}})"));
    long long after = service.Control("GET", "status").Json()["lastEventId"].asInt64();
    Json::Value spoken =
        service.Get("/client/events?after=" + std::to_string(after)).Json()["events"];
    ASSERT_FALSE(spoken.empty());
    EXPECT_EQ(murmeltest::ParseJson(spoken[0]["data"].asString())["sender"].asString(), "Robo");
}

TEST_F(ServiceTest, SurvivesBrokenClientsAndBadControlRequests) {
    // Bodies beyond the bound are refused without being kept.
    HttpAnswer huge = service.Https(
        {"POST", "/auth/user/isvalid", std::string(3 << 20, 'a'), {kForm, "Expect:"}});
    EXPECT_EQ(huge.status, 413);
    Request chunked{"POST", "/auth/user/isvalid", "username=a&password=b", {kForm}};
    chunked.chunked = true;
    EXPECT_EQ(service.Https(chunked).status, 411);
    EXPECT_EQ(service.Get("/no/such/page").status, 404);

    struct Bad {
        const char* method;
        const char* path;
        const char* body;
    };
    for (Bad bad :
         {Bad{"POST", "scenario", "{not json"}, Bad{"POST", "scenario", "[1,2]"},
          Bad{"POST", "scenario", R"({"ping": {"stauts": 500}})"},
          Bad{"POST", "scenario", R"({"ping": {"status": "500"}})"},
          Bad{"PUT", "scenario", R"({"accounts": [{"email": "x"}]})"},
          Bad{"POST", "scenario", R"({"version": {"answer": "maybe"}})"},
          Bad{"POST", "scenario",
              R"({"accounts": [{"email": "x", "password": "y", "signin": "later"}]})"},
          Bad{"POST", "events", R"({"type": "party"})"},
          Bad{"POST", "events", R"({"type": "message", "msgtype": "1"})"},
          Bad{"POST", "events", R"({"type": "raw", "data": "x"})"}, Bad{"POST", "events", ""}}) {
        HttpAnswer answer = service.Control(bad.method, bad.path, bad.body);
        EXPECT_EQ(answer.status, 400) << bad.body;
        EXPECT_FALSE(answer.Json()["error"].asString().empty()) << bad.body;
    }
    EXPECT_EQ(service.Control("GET", "nothing").status, 404);
    EXPECT_EQ(service.Control("DELETE", "scenario").status, 405);
    // Refused changes leave the scenario as it was.
    EXPECT_EQ(service.Control("GET", "scenario").Json(), service.Control("GET", "scenario").Json());
    EXPECT_EQ(service.Control("GET", "scenario").Json()["ping"]["status"].asInt(), 200);

    // Bytes that are not UTF-8 keep the log valid JSON.
    service.Https(
        {"POST", "/account/plugin_signin.do", std::string("svcIptLgnID=\xff\xfe&x=\xc3")});
    service.Https({"GET", "/ping?q=%ff", "", {"X-Odd: \xff\xfe"}});
    EXPECT_TRUE(Alive());
    std::ifstream log(service.StateDir() + "/requests.jsonl");
    std::string line;
    int lines = 0;
    while (std::getline(log, line)) {
        Json::Value entry;
        EXPECT_TRUE(Json::Reader().parse(line, entry)) << line;
        ++lines;
    }
    EXPECT_GE(lines, 6);
}

TEST(ServiceStartTest, RefusesABrokenScenarioFile) {
    MurmelService service;
    EXPECT_FALSE(service.Start(R"({"ping": {"status": true}})"));
    EXPECT_NE(service.Errors().find("scenario.ping.status"), std::string::npos) << service.Errors();
    EXPECT_TRUE(service.Start(
        R"({"ping": {"status": 404}, "accounts": [{"email": "z@t", "password": "q"}]})"))
        << service.Errors();
    EXPECT_EQ(service.Get("/ping").status, 404);
    EXPECT_EQ(
        service
            .Https({"POST", "/auth/user/isvalid", "username=demo%40murmel.test&password=demo1234"})
            .status,
        400);
    EXPECT_EQ(service.Https({"POST", "/auth/user/isvalid", "username=z%40t&password=q"}).status,
              200);
}
