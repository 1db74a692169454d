// The service's sign-in page and web client in a real WebKitGTK view, with a
// window.external that reports every call the pages make.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <functional>

#include "support/MurmelService.h"

using murmeltest::MurmelService;

namespace {

const char* const kExternal = R"(
Object.defineProperty(window, 'external', {configurable: true, value: {
  SigninReady(value) { report('SigninReady', [value]); },
  SigninOk(value) { report('SigninOk', [value]); },
  ScriptToApp(code, data) { report('ScriptToApp', [code, data]); },
}});
function report(method, args) {
  window.webkit.messageHandlers.external.postMessage(
      JSON.stringify({method, args: args.map(String)}));
}
)";

struct Call {
    std::string method;
    std::vector<std::string> args;
};

class ServicePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.Start(R"({"accounts": [
            {"email": "demo@murmel.test", "password": "demo1234", "userId": "u-1001",
             "name": "Demo User"}]})"))
            << service.Errors();
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
        GTlsCertificate* cert = g_tls_certificate_new_from_file(
            (service.StateDir() + "/certs/server.pem").c_str(), nullptr);
        ASSERT_NE(cert, nullptr);
        WebKitWebContext* context = webkit_web_context_new_ephemeral();
        webkit_web_context_allow_tls_certificate_for_host(context, cert, "127.0.0.1");
        g_object_unref(cert);
        WebKitUserContentManager* content = webkit_user_content_manager_new();
        g_signal_connect(content, "script-message-received::external", G_CALLBACK(&OnMessage),
                         this);
        webkit_user_content_manager_register_script_message_handler(content, "external");
        WebKitUserScript* script =
            webkit_user_script_new(kExternal, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(content, script);
        webkit_user_script_unref(script);
        view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context,
                                            "user-content-manager", content, nullptr));
        g_object_unref(context);
        g_object_unref(content);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 1024, 806);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
    }
    void TearDown() override {
        if (window) gtk_widget_destroy(window);
        int status = service.Stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << service.Errors();
    }

    static void OnMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                          gpointer self) {
        char* text = jsc_value_to_string(webkit_javascript_result_get_js_value(result));
        Json::Value value = murmeltest::ParseJson(text);
        g_free(text);
        Call call{value["method"].asString(), {}};
        for (const auto& arg : value["args"]) call.args.push_back(arg.asString());
        static_cast<ServicePagesTest*>(self)->calls.push_back(call);
    }

    // Runs the main loop until `done` holds; false when it never does.
    static bool RunUntil(const std::function<bool()>& done) {
        gint64 deadline = g_get_monotonic_time() + 60 * G_USEC_PER_SEC;
        while (!done()) {
            if (g_get_monotonic_time() > deadline) return false;
            g_main_context_iteration(nullptr, FALSE);
            g_usleep(1000);
        }
        return true;
    }
    // Waits for the next page call of `method` (and code, for ScriptToApp).
    const Call* WaitFor(const std::string& method, const std::string& code = "") {
        const Call* found = nullptr;
        RunUntil([&] {
            for (; seen < calls.size(); ++seen) {
                const Call& call = calls[seen];
                if (call.method == method && (code.empty() || call.args[0] == code)) {
                    found = &calls[seen++];
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    std::string Evaluate(const std::string& script) {
        std::string out;
        bool done = false;
        struct Ctx {
            std::string* out;
            bool* done;
        } ctx{&out, &done};
        webkit_web_view_evaluate_javascript(
            view, script.c_str(), -1, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto* c = static_cast<Ctx*>(data);
                JSCValue* value = webkit_web_view_evaluate_javascript_finish(
                    WEBKIT_WEB_VIEW(source), result, nullptr);
                if (value) {
                    char* text = jsc_value_to_string(value);
                    *c->out = text;
                    g_free(text);
                    g_object_unref(value);
                }
                *c->done = true;
            },
            &ctx);
        RunUntil([&] { return done; });
        return out;
    }
    void SubmitSignin(const std::string& email, const std::string& password) {
        // The way the program fills the form: by input name, then a click.
        Evaluate(
            "for (const e of document.getElementsByTagName('input')) {"
            "  if (e.name === 'svcIptLgnID') e.value = " +
            murmeltest::ToJson(email) +
            ";"
            "  if (e.name === 'svcIptLgnPD') e.value = " +
            murmeltest::ToJson(password) +
            ";"
            "  if (e.name === 'signin_submit') { e.click(); break; }"
            "} 'ok'");
    }
    bool SaveSnapshot(const std::string& path) {
        cairo_surface_t* surface = nullptr;
        bool done = false;
        struct Ctx {
            cairo_surface_t** surface;
            bool* done;
        } ctx{&surface, &done};
        webkit_web_view_get_snapshot(
            view, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto* c = static_cast<Ctx*>(data);
                *c->surface =
                    webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
                *c->done = true;
            },
            &ctx);
        RunUntil([&] { return done; });
        if (!surface) return false;
        bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(surface);
        return ok;
    }

    MurmelService service;
    GtkWidget* window = nullptr;
    WebKitWebView* view = nullptr;
    std::vector<Call> calls;
    std::size_t seen = 0;
};

}  // namespace

TEST_F(ServicePagesTest, SignInThenMessagesReachTheProgram) {
    WebKitURIRequest* request = webkit_uri_request_new(
        (service.HttpsBase() + "/account/plugin_signin.html?SigninType=plugin").c_str());
    soup_message_headers_append(webkit_uri_request_get_http_headers(request), "whoami",
                                "murmel_notifier");
    webkit_web_view_load_request(view, request);
    g_object_unref(request);
    ASSERT_NE(WaitFor("SigninReady"), nullptr);
    EXPECT_EQ(service.Log("/account/plugin_signin.html")[0]["headers"]["whoami"].asString(),
              "murmel_notifier");

    // A wrong password is reported as a failed sign-in, on a page that is
    // ready for the next attempt.
    SubmitSignin("demo@murmel.test", "wrong");
    const Call* failed = WaitFor("ScriptToApp", "300");
    ASSERT_NE(failed, nullptr);
    EXPECT_FALSE(failed->args[1].empty());

    SubmitSignin("demo@murmel.test", "demo1234");
    const Call* ok = WaitFor("SigninOk");
    ASSERT_NE(ok, nullptr);
    Json::Value sessions = service.Control("GET", "status").Json()["sessions"];
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(ok->args[0], "SUCCESS," + sessions[0]["token"].asString() + ",u-1001");

    Evaluate("AppToScript('102', " + murmeltest::ToJson(sessions[0]["token"]) + ")");
    EXPECT_EQ(Evaluate("document.getElementById('app_event').textContent"),
              "Connected to Murmel Alarm");

    ASSERT_TRUE(
        RunUntil([&] { return service.Control("GET", "status").Json()["pollers"].asInt() >= 1; }));
    service.Inject(
        R"({"type": "message", "sender": "Ada Berg", "msg": "See you at seven", "sessionid": "ada"})");
    const Call* message = WaitFor("ScriptToApp", "304");
    ASSERT_NE(message, nullptr);
    Json::Value data = murmeltest::ParseJson(message->args[1]);
    EXPECT_EQ(data["sender"].asString(), "Ada Berg");
    EXPECT_EQ(data["msg"].asString(), "See you at seven");
    EXPECT_EQ(data["msgtype"].asInt(), 0);
    EXPECT_EQ(data["sessionid"].asString(), "ada");

    service.Inject(
        R"({"type": "message", "sender": "Bo", "msg": "image\nbeach.jpg\nx", "msgtype": 1, "sessionid": "bo"})");
    const Call* media = WaitFor("ScriptToApp", "304");
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(murmeltest::ParseJson(media->args[1])["msgtype"].asInt(), 1);

    // A toast click opens the conversation it names.
    Evaluate("AppToScript('307', 'ada')");
    EXPECT_EQ(Evaluate("document.getElementById('chat_title').textContent"), "Ada Berg");
    Evaluate("AppToScript('308', '')");
    EXPECT_NE(Evaluate("document.getElementById('app_event').textContent").find("closed"),
              std::string::npos);

    std::filesystem::create_directories(MURMEL_TEST_ARTIFACTS);
    EXPECT_TRUE(SaveSnapshot(std::string(MURMEL_TEST_ARTIFACTS) + "/service-webclient.png"));

    service.Inject(R"({"type": "error", "data": "render"})");
    EXPECT_NE(WaitFor("ScriptToApp", "401"), nullptr);
    service.Inject(R"({"type": "logout"})");
    EXPECT_NE(WaitFor("ScriptToApp", "302"), nullptr);
}

TEST_F(ServicePagesTest, PagesWorkWithoutTheProgram) {
    // A plain browser has no external methods: the page must not break.
    Evaluate("1");
    webkit_user_content_manager_remove_all_scripts(webkit_web_view_get_user_content_manager(view));
    webkit_web_view_load_uri(
        view, (service.HttpsBase() + "/account/plugin_signin.html?SigninType=plugin").c_str());
    ASSERT_TRUE(RunUntil([&] { return !webkit_web_view_is_loading(view); }));
    SubmitSignin("demo@murmel.test", "demo1234");
    ASSERT_TRUE(RunUntil([&] {
        return Evaluate("document.querySelectorAll('#conversation_list li').length > 0") == "true";
    }));
    EXPECT_TRUE(calls.empty());
}
