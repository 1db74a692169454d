#pragma once
// An HTML window: a GtkWindow holding one WebKitWebView.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "desktop/CrashLoopGuard.h"
#include "platform/HtmlWindow.h"
#include "platform/linux/BridgeMessage.h"
#include "platform/linux/GtkToplevel.h"
#include "platform/linux/SiteOrigin.h"

class WebContext;

class WebKitHtmlWindow : public IHtmlWindow, public IGtkToplevel {
public:
    // `site` is shared with the factory and the other windows.
    WebKitHtmlWindow(WebContext& context, const HtmlWindowDescription& spec,
                     IHtmlWindowEvents* events, std::shared_ptr<SiteOrigin> site);
    ~WebKitHtmlWindow() override;

    void LoadResource(int resourceId) override;
    void Navigate(const std::string& url, const std::string& extraHeader) override;
    std::string CurrentUrl() const override;
    bool HasDocument() const override { return m_hasDocument; }
    void Reload() override;
    void CallFunction(const std::string& name, const StringList& args,
                      ScriptCallback done) override;
    void FillForm(const StringList& names, const StringList& values, const std::string& submitName,
                  std::function<void(bool)> done) override;
    void SetFocusHints(const std::string& first, const std::string& second) override;

    void BindData(const std::string& id, DataKind kind) override;
    std::string GetData(const std::string& id) const override;
    void SetData(const std::string& id, const std::string& value) override;

    void Show() override;
    void ShowNoActivate() override;
    void Hide() override;
    bool IsVisible() const override;
    void Enable(bool enabled) override;
    bool IsEnabled() const override;
    bool IsActive() const override;
    void SetForeground() override;
    void SetTopmost(bool topmost) override;
    void Move(int x, int y) override;
    void Resize(int width, int height) override;
    void Center() override;
    Rect GetRect() const override;
    void SetTitle(const std::string& title) override;
    void SetRoundedRegion(int ellipseWidth, int ellipseHeight) override;
    void SetDragHandles(const StringList& ids) override;
    void Minimize() override;

    GtkWindow* Window() const override { return GTK_WINDOW(m_window); }
    WebKitWebView* View() const { return m_view; }

private:
    struct Press {
        int button = 0;
        int rootX = 0;
        int rootY = 0;
        guint32 time = 0;
    };

    void BuildWindow(const HtmlWindowDescription& spec);
    void BuildView();
    void NewView();
    void InstallScripts();
    void RunInPage(const std::string& script, const char* world);
    // Runs `body` as a function of the named string parameters; it returns
    // {status, value, message} as the page-call wrapper does.
    void RunFunction(const char* body, const std::map<std::string, std::string>& params,
                     const char* world, ScriptCallback done);
    void HandleMessage(const std::string& json);
    // Starts a load the program asked for; the page reloads it if its
    // process ends before anything of it was shown.
    void Request(const std::string& url, const std::string& extraHeader);
    void Load(const std::string& url, const std::string& extraHeader);
    // Loads the page again after its process ended.
    void Recover();
    static gboolean RecoverInNewView(gpointer self);
    // A page whose process ended is taken off the window until a new
    // document of it is there, and then given back with the keyboard.
    void HideLostPage();
    void RevealPage();
    void ShowWindow(bool activate);
    // Whether a navigation may go on in this window; links that leave are
    // handed to the owner instead.
    bool AllowNavigation(WebKitNavigationAction* action, const std::string& target);

    static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer);
    static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer);
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType,
                                   gpointer);
    static gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer);
    static gboolean OnTlsErrors(WebKitWebView*, const char* failingUri, GTlsCertificate*,
                                GTlsCertificateFlags, gpointer);
    static void OnProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer);
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey*, gpointer);
    static gboolean OnUnhandledKey(GtkWidget*, GdkEventKey*, gpointer);
    static gboolean OnButtonPress(GtkWidget*, GdkEventButton*, gpointer);
    static gboolean OnButtonRelease(GtkWidget*, GdkEventButton*, gpointer);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer);
    static void OnActiveChanged(GObject*, GParamSpec*, gpointer);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer);
    static void OnUnmap(GtkWidget*, gpointer);

    static inline IHtmlWindowEvents s_noEvents;
    IHtmlWindowEvents* m_events;
    WebContext& m_context;
    std::shared_ptr<SiteOrigin> m_site;
    bool m_ownProcess = false;
    guint m_recoverSource = 0;
    std::string m_loadingUri;  // the last load let through, followed through redirects
    std::string m_requested;   // the address the program last asked for
    GtkWidget* m_window = nullptr;
    WebKitWebView* m_view = nullptr;
    WebKitUserContentManager* m_content = nullptr;
    GCancellable* m_cancel = nullptr;
    bool m_hasDocument = false;
    // The load whose certificate was accepted was replaced by a new one; the
    // engine still reports the end of the failed one, which left no document.
    bool m_replacedLoad = false;
    bool m_pageHidden = false;
    // The last load the program asked for, and whether a document of it (or
    // of a page it led to) has been committed since.
    std::string m_requestUrl;
    std::string m_requestHeader;
    bool m_committed = false;
    CrashLoopGuard m_crashGuard;
    bool m_resizable = false;
    bool m_topmost = false;  // as last asked of the window manager
    // Where the shown window was last sent, until it is seen elsewhere.
    std::optional<std::pair<int, int>> m_placedAt;
    int m_width = 0;
    int m_height = 0;
    int m_ellipseWidth = 0;
    int m_ellipseHeight = 0;
    std::string m_hints[2];
    std::map<std::string, DataKind> m_bindings;
    std::map<std::string, std::string> m_mirror;
    std::map<std::string, unsigned> m_written;  // id -> number of our last write to it
    unsigned m_writes = 0;
    StringList m_dragHandles;
    Press m_press;
};
