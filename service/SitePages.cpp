// The web-client site, the authentication service and the account web site.
#include <map>
#include <regex>

#include "Faults.h"
#include "HttpUtil.h"
#include "Server.h"

namespace svc {
namespace {

const char* const kSigninPath = "/account/plugin_signin.html?SigninType=plugin";

// Where a sign-in outcome other than "ok" or "fail" leads the browser.
const std::map<std::string, std::string> kOutcomePages = {
    {"signInDo", "/account/signIn.do?error=1"},
    {"emailVerification", "/account/activation/accountActivationRequestView.do"},
    {"termsAcceptance", "/account/termsAcceptance.do"},
    {"identityCheck", "/account/userVerifySSN.do"},
    {"profileUpdate", "/account/profile/accountProfileEdit.do"},
};

// Titles of the pages the site may lead a sign-in to.
const std::map<std::string, std::string> kAccountPages = {
    {"/account/signIn.do", "Sign-in error"},
    {"/account/activation/accountActivationRequestView.do", "Verify your e-mail address"},
    {"/account/termsAcceptance.do", "Accept the new terms"},
    {"/account/userVerifySSN.do", "Confirm your identity"},
    {"/account/profile/accountProfileEdit.do", "Confirm your member information"},
};

using Vars = std::map<std::string, std::string>;

std::string Method(SoupServerMessage* msg) {
    return soup_server_message_get_method(msg);
}

std::string Render(const Server& server, const std::string& page, const Vars& vars) {
    std::string text = server.ReadPage(page);
    for (const auto& [key, value] : vars) {
        const std::string mark = "{{" + key + "}}";
        for (std::size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    }
    return text;
}

void Page(Server& server, SoupServerMessage* msg, int status, const std::string& title,
          const std::string& bodyHtml) {
    Respond(msg, status, "text/html; charset=utf-8",
            Render(server, "page.html", {{"TITLE", HtmlEscape(title)}, {"BODY", bodyHtml}}));
}

// A page of the site's layout whose body is a template of its own.
void BodyPage(Server& server, SoupServerMessage* msg, const std::string& title,
              const std::string& body, const Vars& vars) {
    Page(server, msg, SOUP_STATUS_OK, title, Render(server, body + "-body.html", vars));
}

const std::map<std::string, std::string> kTitles = {
    {"findpw", "Forgot your password?"},
    {"signup", "Create an account"},
    {"index", "Messages that keep up with you"},
};

void NotFound(Server& server, SoupServerMessage* msg) {
    Page(server, msg, SOUP_STATUS_NOT_FOUND, "Not found",
         "<p>There is no page at this address.</p><p><a href=\"/index.html\">Murmel</a></p>");
}

bool RequireMethod(SoupServerMessage* msg, const char* method) {
    if (Method(msg) == method) return true;
    soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Allow", method);
    RespondError(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, std::string("use ") + method);
    return false;
}

void Ping(Server& server, SoupServerMessage* msg) {
    const Json::Value& ping = server.GetScenario().Section("ping");
    if (TakeOverWithFault(server, msg, ping)) return;
    int status = ping["status"].asInt();
    if (status < 100 || status > 599) status = 200;
    Respond(msg, status, "text/plain", status == 200 ? "pong\n" : "unavailable\n");
    bool close = ping["close"].asBool();
    guint delay = ping["delayMs"].asUInt();
    if (close) Server::MarkClosed(msg);
    if (!close && ping["closeMidBody"].asBool()) {
        CutShort(msg);
    } else if (close && delay == 0) {
        Server::CloseConnection(msg);
    } else if (delay > 0) {
        server.Later(msg, delay, [msg, close] {
            if (close) Server::CloseConnection(msg);
            return !close;
        });
    }
}

void VersionAnswer(Server& server, SoupServerMessage* msg) {
    const Json::Value& version = server.GetScenario().Section("version");
    const std::string answer = version["answer"].asString();
    int status = version["status"].asInt();
    if (status < 100 || status > 599) status = 200;
    if (answer == "notjson") {
        Respond(msg, status, "text/html",
                "<html><body><h1>Service unavailable</h1></body></html>\n");
        return;
    }
    if (answer == "raw") {
        Respond(msg, status, "application/json", version["body"].asString());
        return;
    }
    Form query = QueryOf(msg);
    std::string base = SchemeOf(msg) + "://127.0.0.1:" +
                       std::to_string(g_uri_get_port(soup_server_message_get_uri(msg)));
    std::string download = version["downloadurl"].asString();
    if (download.empty()) download = base + "/download.html";
    Json::Value data;
    data["platform"] = query.count("platform") ? query["platform"] : "web";
    data["osversion"] = query.count("osversion") ? query["osversion"] : "";
    data["model"] = query.count("model") ? query["model"] : "";
    data["uptodate"] = answer == "uptodate" ? "true" : "false";
    data["critical"] = answer == "mandatory" ? "true" : "false";
    data["newversion"] =
        answer == "uptodate" ? query["appversion"] : version["newversion"].asString();
    data["downloadurl"] = download;
    Json::Value root;
    root["success"] = true;
    root["data"] = data;
    RespondJson(msg, status, root);
}

void Version(Server& server, SoupServerMessage* msg) {
    const Json::Value& version = server.GetScenario().Section("version");
    if (TakeOverWithFault(server, msg, version)) return;
    VersionAnswer(server, msg);
    if (version["closeMidBody"].asBool()) return CutShort(msg);
    guint delay = version["delayMs"].asUInt();
    if (delay > 0) server.Later(msg, delay, [] { return true; });
}

void AuthAnswer(SoupServerMessage* msg, int status, const std::string& childName,
                const std::string& childText) {
    std::string root = status == 200 ? "User" : "Error";
    Respond(msg, status, "application/xml; charset=utf-8",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + "><" + childName + ">" +
                HtmlEscape(childText) + "</" + childName + "></" + root + ">\n");
}

void Auth(Server& server, SoupServerMessage* msg) {
    if (!RequireMethod(msg, "POST")) return;
    const Json::Value& auth = server.GetScenario().Section("auth");
    if (TakeOverWithFault(server, msg, auth)) return;
    int forced = auth["status"].asInt();
    std::optional<Form> form = DecodeForm(RequestBody(msg));
    if (!auth["body"].asString().empty()) {
        Respond(msg, forced >= 100 && forced <= 599 ? forced : 200,
                "application/xml; charset=utf-8", auth["body"].asString());
    } else if (forced >= 100 && forced <= 599) {
        if (forced == 200)
            AuthAnswer(msg, 200, "UserID", "u-forced");
        else
            AuthAnswer(
                msg, forced, "ErrorCode",
                auth["errorCode"].asString().empty() ? "SVC_5000" : auth["errorCode"].asString());
    } else if (!form || !form->count("username") || !form->count("password")) {
        AuthAnswer(msg, 400, "ErrorCode", "REQ_1001");
    } else if (const Json::Value* account = server.GetScenario().FindAccount((*form)["username"])) {
        std::string code = (*account)["authErrorCode"].asString();
        if ((*account)["password"].asString() != (*form)["password"])
            AuthAnswer(msg, 400, "ErrorCode", "USR_1805");
        else if (!code.empty())
            AuthAnswer(msg, 400, "ErrorCode", code);
        else
            AuthAnswer(msg, 200, "UserID", (*account)["userId"].asString());
    } else {
        AuthAnswer(msg, 400, "ErrorCode", "USR_1804");
    }
    if (auth["closeMidBody"].asBool()) return CutShort(msg);
    guint delay = auth["delayMs"].asUInt();
    if (delay > 0) server.Later(msg, delay, [] { return true; });
}

void SigninForm(Server& server, SoupServerMessage* msg, const std::string& report,
                const std::string& message, const std::string& email) {
    const Json::Value& page = server.GetScenario().Section("signinPage");
    Respond(msg, SOUP_STATUS_OK, "text/html; charset=utf-8",
            Render(server, "signin.html",
                   {{"REPORT", report},
                    {"READY_DELAY", std::to_string(page["readyDelayMs"].asUInt())},
                    {"MESSAGE", HtmlEscape(message)},
                    {"EMAIL", HtmlEscape(email)}}));
}

// The sign-in page moved elsewhere by the scenario: to the https port on
// the same host name, or from 127.0.0.1 to localhost (another site to a
// browser). Empty when it stays.
std::string SigninRedirect(Server& server, SoupServerMessage* msg) {
    const std::string mode = server.GetScenario().Section("signinPage")["redirect"].asString();
    GUri* uri = soup_server_message_get_uri(msg);
    const std::string host = g_uri_get_host(uri) ? g_uri_get_host(uri) : "";
    const std::string scheme = SchemeOf(msg);
    const std::string rest = std::string(kSigninPath);
    if (mode == "https" && scheme == "http")
        return "https://" + host + ":" + std::to_string(server.HttpsPort()) + rest;
    if (mode == "otherHost" && host == "127.0.0.1")
        return scheme + "://localhost:" + std::to_string(g_uri_get_port(uri)) + rest;
    return {};
}

void SigninPages(Server& server, SoupServerMessage* msg) {
    std::string type = QueryOf(msg)["SigninType"];
    if (type == "findpw" || type == "signup") {
        return BodyPage(server, msg, kTitles.at(type), type, {{"MESSAGE", ""}});
    }
    if (const std::string target = SigninRedirect(server, msg); !target.empty())
        return Redirect(msg, target);
    SigninForm(server, msg, server.GetScenario().Section("signinPage")["ready"].asString(), "", "");
}

void SigninSubmit(Server& server, SoupServerMessage* msg) {
    if (!RequireMethod(msg, "POST")) return;
    std::optional<Form> form = DecodeForm(RequestBody(msg));
    std::string email = form ? (*form)["svcIptLgnID"] : "";
    std::string password = form ? (*form)["svcIptLgnPD"] : "";
    const Json::Value* account = server.GetScenario().FindAccount(email);
    if (!form || !account || (*account)["password"].asString() != password) {
        SigninForm(server, msg, "fail", "The e-mail address or the password is not correct.",
                   email);
        return;
    }
    std::string outcome = (*account)["signin"].asString();
    if (outcome == "fail") {
        SigninForm(server, msg, "fail", "Sign-in is not possible right now.", email);
    } else if (outcome == "silent") {
        SigninForm(server, msg, "none", "Signing you in\xE2\x80\xA6", email);
    } else if (kOutcomePages.count(outcome)) {
        Redirect(msg, kOutcomePages.at(outcome));
    } else {
        std::string token = RandomHex(16);
        server.Sessions()[token] = Session{email, (*account)["userId"].asString(), false};
        std::string cookie = std::string(kSessionCookie) + "=" + token +
                             "; Path=/; HttpOnly; SameSite=Lax" +
                             (SchemeOf(msg) == "https" ? "; Secure" : "");
        soup_message_headers_append(soup_server_message_get_response_headers(msg), "Set-Cookie",
                                    cookie.c_str());
        Redirect(msg, "/client/");
    }
}

void Signup(Server& server, SoupServerMessage* msg) {
    if (!RequireMethod(msg, "POST")) return;
    std::optional<Form> form = DecodeForm(RequestBody(msg));
    std::string email = form ? (*form)["email"] : "";
    std::string password = form ? (*form)["password"] : "";
    std::string message;
    if (email.find('@') == std::string::npos || password.size() < 4) {
        message = "Please give an e-mail address and a password of at least four characters.";
    } else if (server.GetScenario().FindAccount(email)) {
        message = "There is already an account for this e-mail address.";
    } else {
        Json::Value account;
        account["email"] = email;
        account["password"] = password;
        account["userId"] = "u-" + RandomHex(4);
        account["name"] = (*form)["name"].empty() ? email : (*form)["name"];
        account["signin"] = "ok";
        account["authErrorCode"] = "";
        server.GetScenario().AddAccount(account);
        message = "Your account is ready. You can sign in now.";
    }
    BodyPage(server, msg, kTitles.at("signup"), "signup", {{"MESSAGE", HtmlEscape(message)}});
}

void FindPassword(Server& server, SoupServerMessage* msg) {
    if (!RequireMethod(msg, "POST")) return;
    BodyPage(server, msg, kTitles.at("findpw"), "findpw",
             {{"MESSAGE",
               "If the address belongs to an account, a link to choose a new password is on "
               "its way."}});
}

void AccountCheck(Server& server, SoupServerMessage* msg) {
    Form query = QueryOf(msg);
    std::string rows;
    for (const char* key : {"actionID", "serviceID", "registURL", "returnURL", "goBackURL"})
        rows += "<tr><th>" + std::string(key) + "</th><td>" + HtmlEscape(query[key]) + "</td></tr>";
    std::string back = query["returnURL"];
    bool safeBack = back.rfind("http://", 0) == 0 || back.rfind("https://", 0) == 0;
    Page(server, msg, SOUP_STATUS_OK, "Ostrand account",
         "<p>Complete the step your account needs, then go back to Murmel.</p><table>" + rows +
             "</table>" +
             (safeBack ? "<p><a href=\"" + HtmlEscape(back) + "\">Back to Murmel</a></p>" : ""));
}

std::string SessionToken(Server& server, SoupServerMessage* msg) {
    std::string token = CookieValue(msg, kSessionCookie);
    return server.Sessions().count(token) ? token : "";
}

void WebClient(Server& server, SoupServerMessage* msg) {
    std::string token = SessionToken(server, msg);
    if (token.empty()) {
        Redirect(msg, kSigninPath);
        return;
    }
    Session& session = server.Sessions()[token];
    const Json::Value* account = server.GetScenario().FindAccount(session.email);
    Json::Value boot;
    boot["token"] = token;
    boot["userId"] = session.userId;
    boot["email"] = session.email;
    boot["name"] = account ? (*account)["name"].asString() : session.email;
    boot["cursor"] = Json::Int64(server.Hub().LastId());
    boot["announce"] = !session.announced;
    session.announced = true;
    Respond(msg, SOUP_STATUS_OK, "text/html; charset=utf-8",
            Render(server, "webclient.html", {{"BOOT", ScriptJson(boot)}}));
}

void ClientSend(Server& server, SoupServerMessage* msg) {
    if (!RequireMethod(msg, "POST")) return;
    Json::Value body;
    std::string error;
    if (!ParseJson(RequestBody(msg), body, error) || !body.isObject() ||
        !body["sessionid"].isString() || !body["msg"].isString() ||
        body["msg"].asString().empty()) {
        RespondError(msg, SOUP_STATUS_BAD_REQUEST, "send {\"sessionid\": text, \"msg\": text}");
        return;
    }
    server.Hub().AddOwnMessage(body["sessionid"].asString(), body["msg"].asString());
    RespondJson(msg, SOUP_STATUS_OK, Json::Value(Json::objectValue));
}

void StaticFile(Server& server, SoupServerMessage* msg, const std::string& name) {
    static const std::regex safe("[a-z0-9_-]+\\.(css|js|svg)");
    std::smatch match;
    std::string text = std::regex_match(name, match, safe) ? server.ReadPage(name) : "";
    if (text.empty()) {
        NotFound(server, msg);
        return;
    }
    const std::string ext = match[1];
    Respond(msg, SOUP_STATUS_OK,
            ext == "css"  ? "text/css"
            : ext == "js" ? "text/javascript"
                          : "image/svg+xml",
            text);
}

}  // namespace

void HandleSite(Server& server, SoupServerMessage* msg, const std::string& path) {
    if (path == "/ping") return Ping(server, msg);
    if (path == "/plugin/version.json") return Version(server, msg);
    if (path == "/auth/user/isvalid") return Auth(server, msg);
    if (path == "/account/plugin_signin.html") return SigninPages(server, msg);
    if (path == "/account/plugin_signin.do") return SigninSubmit(server, msg);
    if (path == "/account/signup.do") return Signup(server, msg);
    if (path == "/account/findpw.do") return FindPassword(server, msg);
    if (path == "/account/check.do") return AccountCheck(server, msg);
    if (auto page = kAccountPages.find(path); page != kAccountPages.end())
        return Page(server, msg, SOUP_STATUS_OK, page->second,
                    "<p>Your account needs your attention before you can sign in.</p>");
    if (path == "/" || path == "/index.html")
        return BodyPage(server, msg, kTitles.at("index"), "index", {});
    if (path == "/download.html")
        return Page(server, msg, SOUP_STATUS_OK, "Download Murmel Alarm",
                    "<p>The newest Murmel Alarm is ready for download.</p>");
    if (path == "/client/" || path == "/client/index.html") return WebClient(server, msg);
    if (path == "/client/events") {
        std::string after = QueryOf(msg)["after"];
        return server.Hub().Poll(msg,
                                 after.empty() ? -1 : g_ascii_strtoll(after.c_str(), nullptr, 10));
    }
    if (path == "/client/conversations")
        return RespondJson(msg, SOUP_STATUS_OK, server.Hub().Conversations());
    if (path == "/client/send") return ClientSend(server, msg);
    // The web client reports each call of the desktop program here, so that
    // tests can read them from the request log.
    if (path == "/client/received")
        return RespondJson(msg, SOUP_STATUS_OK, Json::Value(Json::objectValue));
    // The sign-in page reports here each call it made to the desktop program.
    if (path == "/account/reported")
        return RespondJson(msg, SOUP_STATUS_OK, Json::Value(Json::objectValue));
    if (path == "/client/signout") {
        server.Sessions().erase(CookieValue(msg, kSessionCookie));
        return RespondJson(msg, SOUP_STATUS_OK, Json::Value(Json::objectValue));
    }
    if (path.rfind("/static/", 0) == 0) return StaticFile(server, msg, path.substr(8));
    NotFound(server, msg);
}

}  // namespace svc
