#include "platform/linux/WebKitHtmlWindow.h"

#include <json/json.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "net/Utf8Text.h"
#include "platform/linux/PageScripts.h"
#include "platform/linux/ResScheme.h"
#include "platform/linux/WebContext.h"
#include "platform/linux/WindowShape.h"

namespace {
// Runs a page's global function by name. The outcome is one string, never a
// rejection, so a missing function and a throwing one stay apart: its first
// letter says how the call went ('o'k, 'n'ot found, 't'hrew), the rest is
// the value or the message. A string is the cheapest answer to carry back
// and read, and a toast is filled with a call at every message.
constexpr const char* kCallWrapper = R"JS(
const f = globalThis[name];
if (typeof f !== 'function') return 'n';
try {
  const v = f.apply(globalThis, JSON.parse(args));
  return 'o' + ((v === undefined || v === null) ? '' : String(v));
} catch (e) {
  return 't' + String(e && e.message !== undefined ? e.message : e);
})JS";

// Fills the inputs of the top document by name attribute, in document order,
// until the one named `submit` is clicked.
constexpr const char* kFillForm = R"JS(
const wanted = JSON.parse(names), given = JSON.parse(values);
for (const input of document.getElementsByTagName('input')) {
  const name = input.getAttribute('name');
  if (name === submit) { input.click(); return 'otrue'; }
  const at = wanted.indexOf(name);
  if (at >= 0 && at < given.length) input.value = given[at];
}
return 'ofalse';)JS";

Json::Value ToJson(const StringList& list) {
    Json::Value array(Json::arrayValue);
    for (const auto& item : list) array.append(item);
    return array;
}

// The writer copies the bytes of a string as they are; scripts and call
// parameters must be UTF-8, or the engine refuses the whole call.
std::string JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return ReplaceInvalidUtf8(Json::writeString(builder, value));
}

const char* KindName(DataKind kind) {
    switch (kind) {
        case DataKind::InnerText:
            return "text";
        case DataKind::InputValue:
            return "value";
        case DataKind::Checkbox:
            return "checked";
    }
    return "text";
}

bool IsOwnPage(const char* uri) {
    return uri && g_ascii_strncasecmp(uri, "res:", 4) == 0;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string StringText(JSCValue* value) {
    if (!jsc_value_is_string(value)) return {};
    gchar* s = jsc_value_to_string(value);
    std::string text = s;
    g_free(s);
    return text;
}

struct PendingCall {
    ScriptCallback done;
};

void Finish(PendingCall* pending, ScriptResult result) {
    if (pending->done) pending->done(result);
    delete pending;
}

void CallFinished(GObject* source, GAsyncResult* async, gpointer data) {
    auto* pending = static_cast<PendingCall*>(data);
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source),
                                                                            async, &error);
    if (!value) {
        const bool gone = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        ScriptResult result{ScriptResult::Status::Failed, {}, error ? error->message : ""};
        g_clear_error(&error);
        if (gone) {
            delete pending;
            return;
        }
        Finish(pending, result);
        return;
    }
    ScriptResult result;
    const std::string answer = StringText(value);
    g_object_unref(value);
    const std::string rest = answer.empty() ? std::string() : answer.substr(1);
    switch (answer.empty() ? '\0' : answer[0]) {
        case 'o':
            result.value = rest;
            break;
        case 'n':
            result.status = ScriptResult::Status::NotFound;
            break;
        case 't':
            result.status = ScriptResult::Status::Threw;
            result.message = rest;
            break;
        default:
            result.status = ScriptResult::Status::Failed;
    }
    Finish(pending, result);
}

// Tests outside the process cannot tell when a page has loaded: with
// MURMEL_PAGE_LOG set, each loaded top-level page is noted there as one JSON
// line with the window's title and the monotonic clock in microseconds, the
// clock Python's time.monotonic reads.
void NotePageLoaded(const std::string& url, GtkWindow* window) {
    const char* path = std::getenv("MURMEL_PAGE_LOG");
    if (!path || !*path) return;
    Json::Value line;
    line["url"] = url;
    const char* title = gtk_window_get_title(window);
    line["title"] = title ? title : "";
    line["monotonicUs"] = Json::Int64(g_get_monotonic_time());
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    std::ofstream(path, std::ios::app) << Json::writeString(writer, line) << "\n";
}

gboolean ReportNoDocument(gpointer data) {
    Finish(static_cast<PendingCall*>(data), {ScriptResult::Status::NoDocument, {}, {}});
    return G_SOURCE_REMOVE;
}
}  // namespace

WebKitHtmlWindow::WebKitHtmlWindow(WebContext& context, const HtmlWindowDescription& spec,
                                   IHtmlWindowEvents* events, std::shared_ptr<SiteOrigin> site)
    : m_events(events ? events : &s_noEvents),
      m_context(context),
      m_site(std::move(site)),
      m_ownProcess(spec.ownWebProcess) {
    m_cancel = g_cancellable_new();
    BuildView();
    BuildWindow(spec);
    if (spec.resourceId) LoadResource(spec.resourceId);
}

WebKitHtmlWindow::~WebKitHtmlWindow() {
    g_cancellable_cancel(m_cancel);
    if (m_recoverSource) g_source_remove(m_recoverSource);
    g_signal_handlers_disconnect_by_data(m_content, this);
    g_signal_handlers_disconnect_by_data(m_view, this);
    g_signal_handlers_disconnect_by_data(m_window, this);
    webkit_user_content_manager_unregister_script_message_handler_in_world(
        m_content, kMessageHandler, kBridgeWorld);
    gtk_widget_destroy(m_window);
    g_object_unref(m_content);
    g_object_unref(m_cancel);
}

void WebKitHtmlWindow::BuildView() {
    m_content = webkit_user_content_manager_new();
    std::string signal = std::string("script-message-received::") + kMessageHandler;
    g_signal_connect(m_content, signal.c_str(), G_CALLBACK(OnScriptMessage), this);
    webkit_user_content_manager_register_script_message_handler_in_world(m_content, kMessageHandler,
                                                                         kBridgeWorld);
    InstallScripts();
    NewView();
}

void WebKitHtmlWindow::NewView() {
    m_view = m_context.NewView(m_content, m_ownProcess);
    g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(m_view, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(m_view, "context-menu", G_CALLBACK(OnContextMenu), this);
    g_signal_connect(m_view, "load-failed-with-tls-errors", G_CALLBACK(OnTlsErrors), this);
    g_signal_connect(m_view, "web-process-terminated", G_CALLBACK(OnProcessTerminated), this);
    g_signal_connect(m_view, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_view, "button-release-event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect_after(m_view, "key-press-event", G_CALLBACK(OnUnhandledKey), this);
    // Dropped files and links would replace the page.
    gtk_drag_dest_unset(GTK_WIDGET(m_view));
}

void WebKitHtmlWindow::BuildWindow(const HtmlWindowDescription& spec) {
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(m_window);
    gtk_window_set_title(window, spec.title.c_str());
    gtk_window_set_decorated(window, spec.decorated);
    m_resizable = spec.resizable;
    if (!spec.taskbar) {
        gtk_window_set_skip_taskbar_hint(window, TRUE);
        gtk_window_set_skip_pager_hint(window, TRUE);
    }
    if (spec.notification) {
        gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_NOTIFICATION);
        gtk_window_set_accept_focus(window, FALSE);
        gtk_window_set_focus_on_map(window, FALSE);
    }
    gtk_window_set_keep_above(window, spec.topmost);
    m_topmost = spec.topmost;
    gtk_container_add(GTK_CONTAINER(m_window), GTK_WIDGET(m_view));
    gtk_widget_show(GTK_WIDGET(m_view));
    if (spec.width > 0 && spec.height > 0) Resize(spec.width, spec.height);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(m_window, "notify::is-active", G_CALLBACK(OnActiveChanged), this);
    g_signal_connect(m_window, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(m_window, "unmap", G_CALLBACK(OnUnmap), this);
    // A toast is shown the moment its message comes: its X windows are
    // made now, while it waits hidden, not at its first showing.
    if (spec.notification) gtk_widget_realize(GTK_WIDGET(m_view));
}

void WebKitHtmlWindow::InstallScripts() {
    Json::Value hints(Json::arrayValue);
    hints.append(m_hints[0]);
    hints.append(m_hints[1]);
    Json::Value config(Json::objectValue);
    config["bind"] = Json::Value(Json::objectValue);
    for (const auto& [id, kind] : m_bindings) config["bind"][id] = KindName(kind);
    config["drag"] = Json::Value(Json::arrayValue);
    for (const auto& id : m_dragHandles) config["drag"].append(id);

    webkit_user_content_manager_remove_all_scripts(m_content);
    WebKitUserScript* page = webkit_user_script_new(
        PageWorldScript(JsonText(hints)).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    WebKitUserScript* bridge = webkit_user_script_new_for_world(
        BridgeWorldScript(JsonText(config)).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kBridgeWorld, nullptr, nullptr);
    webkit_user_content_manager_add_script(m_content, page);
    webkit_user_content_manager_add_script(m_content, bridge);
    webkit_user_script_unref(page);
    webkit_user_script_unref(bridge);

    // The document already shown keeps the scripts it started with; tell it.
    if (m_hasDocument) {
        RunInPage(
            "window.external && window.external.__murmelHints && "
            "window.external.__murmelHints(" +
                JsonText(hints[0]) + "," + JsonText(hints[1]) + ");",
            nullptr);
        RunInPage("window.__murmelConfig = " + JsonText(config) + ";", kBridgeWorld);
    }
}

void WebKitHtmlWindow::RunInPage(const std::string& script, const char* world) {
    webkit_web_view_evaluate_javascript(m_view, script.c_str(), -1, world, nullptr, m_cancel,
                                        nullptr, nullptr);
}

// Pages and addresses.

void WebKitHtmlWindow::LoadResource(int resourceId) {
    const std::string uri = ResourceUri(resourceId);
    if (!uri.empty()) Request(uri, "");
}

void WebKitHtmlWindow::Navigate(const std::string& url, const std::string& extraHeader) {
    Request(url, extraHeader);
}

void WebKitHtmlWindow::Request(const std::string& url, const std::string& extraHeader) {
    // A load asked for after the page was given up is a fresh try; one
    // asked for while it recovers (the owner's answer to a lost page) must
    // not hide a loop.
    if (m_crashGuard.GaveUp()) m_crashGuard.Reset();
    Load(url, extraHeader);
}

void WebKitHtmlWindow::Load(const std::string& url, const std::string& extraHeader) {
    m_requestUrl = url;
    m_requestHeader = extraHeader;
    m_committed = false;
    WebKitURIRequest* request = webkit_uri_request_new(url.c_str());
    const auto colon = extraHeader.find(':');
    if (colon != std::string::npos) {
        const std::string name = Trim(extraHeader.substr(0, colon));
        const std::string value = Trim(extraHeader.substr(colon + 1));
        SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request);
        if (headers && !name.empty())
            soup_message_headers_append(headers, name.c_str(), value.c_str());
    }
    m_requested = webkit_uri_request_get_uri(request);
    webkit_web_view_load_request(m_view, request);
    g_object_unref(request);
}

std::string WebKitHtmlWindow::CurrentUrl() const {
    const char* uri = webkit_web_view_get_uri(m_view);
    return uri ? uri : "";
}

void WebKitHtmlWindow::Reload() {
    if (m_crashGuard.GaveUp()) m_crashGuard.Reset();
    Recover();
}

void WebKitHtmlWindow::Recover() {
    // Until something of the last request was committed there is nothing
    // to reload: ask for it again.
    if (!m_committed && !m_requestUrl.empty())
        Load(m_requestUrl, m_requestHeader);
    else
        webkit_web_view_reload(m_view);
}

// A view's process cannot be chosen once the view exists, and own pages
// reloaded after their shared process ended would each get a process of
// their own: they get new views, related to the view that holds the
// shared process, once every view of the old process has heard of its end.
gboolean WebKitHtmlWindow::RecoverInNewView(gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    self->m_recoverSource = 0;
    g_signal_handlers_disconnect_by_data(self->m_view, self);
    gtk_container_remove(GTK_CONTAINER(self->m_window), GTK_WIDGET(self->m_view));
    self->NewView();
    // Left hidden: RevealPage shows it once its page is there.
    gtk_container_add(GTK_CONTAINER(self->m_window), GTK_WIDGET(self->m_view));
    if (!self->m_requestUrl.empty()) self->Load(self->m_requestUrl, self->m_requestHeader);
    return G_SOURCE_REMOVE;
}

void WebKitHtmlWindow::RunFunction(const char* body,
                                   const std::map<std::string, std::string>& params,
                                   const char* world, ScriptCallback done) {
    auto* pending = new PendingCall{std::move(done)};
    if (!m_hasDocument) {
        g_idle_add(ReportNoDocument, pending);
        return;
    }
    GVariantBuilder named;
    g_variant_builder_init(&named, G_VARIANT_TYPE_VARDICT);
    // g_variant_new_string refuses anything that is not UTF-8.
    for (const auto& [name, value] : params)
        g_variant_builder_add(&named, "{sv}", name.c_str(),
                              g_variant_new_string(ReplaceInvalidUtf8(value).c_str()));
    webkit_web_view_call_async_javascript_function(m_view, body, -1, g_variant_builder_end(&named),
                                                   world, nullptr, m_cancel, CallFinished, pending);
}

void WebKitHtmlWindow::CallFunction(const std::string& name, const StringList& args,
                                    ScriptCallback done) {
    // The engine passes no string arrays, so the arguments travel as JSON.
    RunFunction(kCallWrapper, {{"name", name}, {"args", JsonText(ToJson(args))}}, nullptr,
                std::move(done));
}

void WebKitHtmlWindow::FillForm(const StringList& names, const StringList& values,
                                const std::string& submitName, std::function<void(bool)> done) {
    RunFunction(kFillForm,
                {{"names", JsonText(ToJson(names))},
                 {"values", JsonText(ToJson(values))},
                 {"submit", submitName}},
                kBridgeWorld, [done = std::move(done)](const ScriptResult& result) {
                    if (done)
                        done(result.status == ScriptResult::Status::Ok && result.value == "true");
                });
}

void WebKitHtmlWindow::SetFocusHints(const std::string& first, const std::string& second) {
    m_hints[0] = first;
    m_hints[1] = second;
    InstallScripts();
}

// Data exchange.

void WebKitHtmlWindow::BindData(const std::string& id, DataKind kind) {
    m_bindings[id] = kind;
    InstallScripts();
}

std::string WebKitHtmlWindow::GetData(const std::string& id) const {
    auto it = m_mirror.find(id);
    return it == m_mirror.end() ? std::string() : it->second;
}

void WebKitHtmlWindow::SetData(const std::string& id, const std::string& value) {
    auto it = m_bindings.find(id);
    const DataKind kind = it == m_bindings.end() ? DataKind::InnerText : it->second;
    m_mirror[id] = kind == DataKind::Checkbox ? (value.empty() || value == "0" ? "0" : "1") : value;
    const std::string target = "document.getElementById(" + JsonText(id) + ")";
    const std::string text = JsonText(value);
    std::string assign;
    switch (kind) {
        case DataKind::InnerText:
            assign = "e.innerText = " + text;
            break;
        case DataKind::InputValue:
            assign = "e.value = " + text;
            break;
        case DataKind::Checkbox:
            assign = "e.checked = " + JsonText(m_mirror[id] == "1");
            break;
    }
    m_written[id] = ++m_writes;
    RunInPage("(function () { const e = " + target + "; if (e) " + assign +
                  "; window.__murmelWritten = " + std::to_string(m_writes) + "; })();",
              kBridgeWorld);
}

// Messages from the page.

void WebKitHtmlWindow::OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                       gpointer self) {
    gchar* text = jsc_value_to_string(webkit_javascript_result_get_js_value(result));
    std::string json = text ? text : "";
    g_free(text);
    static_cast<WebKitHtmlWindow*>(self)->HandleMessage(json);
}

void WebKitHtmlWindow::HandleMessage(const std::string& json) {
    const auto message = ParseBridgeMessage(json);
    if (!message) return;
    // A frame's load, from any site, only tells its address, which the page
    // cannot forge. The top-level document's load comes from the engine.
    if (message->kind == "load" && !message->top) {
        m_events->OnDocumentComplete(message->href, false);
        return;
    }
    if (!m_site->Trusts(message->href)) return;
    if (message->top)
        for (const auto& [id, value] : message->data) {
            // Values read before the page saw our latest write of them are stale.
            auto write = m_written.find(id);
            if (write == m_written.end() || message->written >= write->second) m_mirror[id] = value;
        }
    if (message->kind == "external") {
        static const char* const kMethods[] = {"Signin", "SigninReady", "SigninOk", "ScriptToApp"};
        if (std::any_of(std::begin(kMethods), std::end(kMethods),
                        [&](const char* m) { return message->method == m; }))
            m_events->OnExternalCall(message->method, message->args);
    } else if (message->kind == "element" && message->top) {
        if (message->event == "click") m_events->OnElementEvent(message->id, ElementEvent::Click);
        if (message->event == "mousedown")
            m_events->OnElementEvent(message->id, ElementEvent::MouseDown);
    } else if (message->kind == "drag" && message->top) {
        const bool handle = std::find(m_dragHandles.begin(), m_dragHandles.end(), message->id) !=
                            m_dragHandles.end();
        if (handle && m_press.button == 1) {
            // The place is the user's from here: the next move is sent even
            // if it asks for the place last asked for, whose configure event
            // may come after the drag's.
            m_placedAt.reset();
            gtk_window_begin_move_drag(Window(), m_press.button, m_press.rootX, m_press.rootY,
                                       m_press.time);
        }
    }
}

void WebKitHtmlWindow::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    if (event == WEBKIT_LOAD_STARTED) {
        // Until the new document has loaded there is none to call into.
        self->m_hasDocument = false;
    } else if (event == WEBKIT_LOAD_COMMITTED) {
        self->RevealPage();
        self->m_committed = true;
        self->m_mirror.clear();
        self->m_written.clear();
    } else if (event == WEBKIT_LOAD_FINISHED && self->m_replacedLoad) {
        // The end of the load given up for the one started in OnTlsErrors:
        // no page is there yet, and the address is empty, which no origin
        // check would pass.
        self->m_replacedLoad = false;
    } else if (event == WEBKIT_LOAD_FINISHED) {
        // A document counts once it has loaded: before that its scripts may
        // not have defined the functions the program calls.
        self->RevealPage();
        self->m_hasDocument = true;
        const std::string url = self->CurrentUrl();
        NotePageLoaded(url, self->Window());
        self->m_events->OnDocumentComplete(url, true);
        if (!self->m_site->Trusts(url)) self->m_events->OnForeignDocument(url);
    }
}

gboolean WebKitHtmlWindow::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                          WebKitPolicyDecisionType type, gpointer data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    const std::string target = uri ? uri : "";
    // No window of the program opens another: the owner decides where a
    // new window's address goes.
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        webkit_policy_decision_ignore(decision);
        if (!target.empty()) self->m_events->OnLinkOut(target);
        return TRUE;
    }
    if (self->AllowNavigation(action, target)) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

bool WebKitHtmlWindow::AllowNavigation(WebKitNavigationAction* action, const std::string& target) {
    if (g_ascii_strncasecmp(target.c_str(), "file:", 5) == 0) return false;
    // The program's own requests, one after another, each get here.
    const bool requested = !m_requested.empty() && target == m_requested;
    // Redirects are decided before their request is sent, so the site's
    // upgrade is known before its page can call.
    if (webkit_navigation_action_is_redirect(action)) {
        m_site->NoteRedirect(m_loadingUri, target);
        m_loadingUri = target;
        return true;
    }
    if (requested) {
        m_loadingUri = target;
        return true;
    }
    if (IsOwnPage(target.c_str())) return true;
    // The program's own pages never navigate away from themselves.
    if (IsOwnPage(webkit_web_view_get_uri(m_view))) return false;
    // On the site, what the user starts towards another origin leaves
    // through the owner; the site's own script navigations stay.
    const WebKitNavigationType kind = webkit_navigation_action_get_navigation_type(action);
    const bool byUser = kind == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED ||
                        kind == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
                        kind == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED ||
                        webkit_navigation_action_is_user_gesture(action);
    if (!byUser || m_site->Trusts(target)) {
        m_loadingUri = target;
        return true;
    }
    m_events->OnLinkOut(target);
    return false;
}

// A certificate that the development authority (MURMEL_CA_FILE) signed is
// accepted for its host, and the page is loaded again.
gboolean WebKitHtmlWindow::OnTlsErrors(WebKitWebView* view, const char* failingUri,
                                       GTlsCertificate* certificate, GTlsCertificateFlags,
                                       gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    if (!failingUri || !self->m_context.AcceptCertificate(certificate, failingUri)) return FALSE;
    self->m_requested = failingUri;
    self->m_replacedLoad = true;
    webkit_web_view_load_uri(view, failingUri);
    return TRUE;
}

gboolean WebKitHtmlWindow::OnContextMenu(WebKitWebView* view, WebKitContextMenu*, GdkEvent*,
                                         WebKitHitTestResult*, gpointer) {
    return IsOwnPage(webkit_web_view_get_uri(view));
}

void WebKitHtmlWindow::OnProcessTerminated(WebKitWebView* view,
                                           WebKitWebProcessTerminationReason reason,
                                           gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    self->m_hasDocument = false;
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
    const bool reload = self->m_crashGuard.ShouldReload(g_get_monotonic_time() / 1000);
    if (reload) self->HideLostPage();
    if (reload && self->m_ownProcess)
        self->Recover();
    else if (reload && !self->m_recoverSource)
        self->m_recoverSource = g_idle_add(RecoverInNewView, self);
    // The owner may load another page instead; its request wins.
    self->m_events->OnPageLost(reload);
}

// The window goes on showing the last picture of a page whose process
// ended, and a new view shows it through until its page draws: a form that
// looks usable while clicks and keys reach no page, and a key typed into
// it, such as Tab, lands in whatever the reloaded page focuses first. The
// window's own background shows instead until the page is back.
void WebKitHtmlWindow::HideLostPage() {
    m_pageHidden = true;
    gtk_widget_hide(GTK_WIDGET(m_view));
}

void WebKitHtmlWindow::RevealPage() {
    if (!m_pageHidden) return;
    m_pageHidden = false;
    gtk_widget_show(GTK_WIDGET(m_view));
    // Keys typed into the window go to the page, as they did before.
    gtk_widget_grab_focus(GTK_WIDGET(m_view));
}

gboolean WebKitHtmlWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    const guint key = gdk_keyval_to_lower(event->keyval);
    const bool ctrl = (event->state & GDK_CONTROL_MASK) != 0;
    // The page must not be reloaded, replaced or printed from the keyboard.
    if (key == GDK_KEY_F5) return TRUE;
    if (ctrl && (key == GDK_KEY_n || key == GDK_KEY_o || key == GDK_KEY_l || key == GDK_KEY_p))
        return TRUE;
    return FALSE;
}

// Runs only for keys the page left unhandled: the view gives those back.
gboolean WebKitHtmlWindow::OnUnhandledKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    const guint key = event->keyval == GDK_KEY_KP_Enter ? GDK_KEY_Return : event->keyval;
    if (key == GDK_KEY_Return || key == GDK_KEY_Escape)
        static_cast<WebKitHtmlWindow*>(data)->m_events->OnKey(key);
    return FALSE;
}

gboolean WebKitHtmlWindow::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    self->m_press = {static_cast<int>(event->button), static_cast<int>(event->x_root),
                     static_cast<int>(event->y_root), event->time};
    return FALSE;
}

// A drag the page asks for after the button is up again would make the
// window follow the pointer with no button held.
gboolean WebKitHtmlWindow::OnButtonRelease(GtkWidget*, GdkEventButton*, gpointer data) {
    static_cast<WebKitHtmlWindow*>(data)->m_press.button = 0;
    return FALSE;
}

gboolean WebKitHtmlWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<WebKitHtmlWindow*>(data)->m_events->OnCloseRequest();
    return TRUE;  // windows live as long as the program; the owner hides them
}

void WebKitHtmlWindow::OnActiveChanged(GObject*, GParamSpec*, gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    self->m_events->OnActivate(self->IsActive());
}
