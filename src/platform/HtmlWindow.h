#pragma once
// A top-level window showing one HTML page in the embedded browser.
// Every call and every event happens on the UI thread.
#include <functional>
#include <memory>
#include <string>

#include "platform/Types.h"

enum class ElementEvent { Click, MouseDown };

// What the page sees as window.external. The program's own pages and pages
// of the web-client site may call it; calls from other origins never arrive.
class IHtmlWindowEvents {
public:
    virtual ~IHtmlWindowEvents() = default;
    // A document finished loading: the top-level one (topLevel) or a frame.
    virtual void OnDocumentComplete(const std::string& url, bool topLevel) {}
    // A click or mouse-down on the element that carries this id itself.
    virtual void OnElementEvent(const std::string& id, ElementEvent event) {}
    // window.external.<method>(args...), arguments converted to text.
    virtual void OnExternalCall(const std::string& method, const StringList& args) {}
    // A top-level document finished loading from an origin that may not
    // call window.external (neither the program's nor the site's).
    virtual void OnForeignDocument(const std::string& url) {}
    // The page asked for a new window, or the user started to leave the
    // site in this window; the window itself stays where it was.
    virtual void OnLinkOut(const std::string& url) {}
    // The window manager's close box (or Alt+F4).
    virtual void OnCloseRequest() {}
    // The window became or stopped being the active window.
    virtual void OnActivate(bool active) {}
    // Keys that the key filter lets through and that are not handled by the
    // page: Enter and Escape, for windows that want to see them.
    virtual void OnKey(unsigned keyval) {}
    // The page's web process ended (it crashed or the system ended it): the
    // window has no document now. With `reloading` the window loads its page
    // again and OnDocumentComplete follows; without, the process kept dying
    // and the window stays empty until the program loads a page into it.
    virtual void OnPageLost(bool reloading) {}
};

// Outcome of a call of a page's global function.
struct ScriptResult {
    enum class Status { Ok, NotFound, Threw, NoDocument, Failed };
    Status status = Status::Ok;
    std::string value;    // the returned value as text when Ok
    std::string message;  // the engine's text when it failed
};
using ScriptCallback = std::function<void(const ScriptResult&)>;

// Checkbox states travel as "1" (checked) and "0".
enum class DataKind { InnerText, InputValue, Checkbox };

struct HtmlWindowDescription {
    int resourceId = 0;  // the program's page shown first (0: none)
    int width = 0;
    int height = 0;
    std::string title;
    bool decorated = false;  // caption and border from the window manager
    bool resizable = false;
    bool taskbar = true;        // false: no taskbar entry (toasts)
    bool notification = false;  // window type hint for toasts
    bool topmost = false;
    bool ownWebProcess = false;  // the web-client window; other pages share one
};

class IHtmlWindow {
public:
    virtual ~IHtmlWindow() = default;

    // Pages and addresses.
    virtual void LoadResource(int resourceId) = 0;
    virtual void Navigate(const std::string& url, const std::string& extraHeader) = 0;
    virtual std::string CurrentUrl() const = 0;
    // True once a top-level document has loaded; false again from the start
    // of the next top-level load until it has loaded, and after the page's
    // process ended.
    virtual bool HasDocument() const = 0;
    virtual void Reload() = 0;

    // Calls the page's global function `name` with string arguments. The
    // callback, when given, receives the outcome later on the UI thread; the
    // UI thread never waits for the web process.
    virtual void CallFunction(const std::string& name, const StringList& args,
                              ScriptCallback done) = 0;

    // Walks the input elements of the document in document order: an input
    // named names[i] gets values[i]; the first input named submitName is
    // clicked and ends the walk. `done` tells whether it was clicked.
    virtual void FillForm(const StringList& names, const StringList& values,
                          const std::string& submitName, std::function<void(bool)> done) = 0;

    // Data exchange. Reads answer from the page's state as last reported by
    // the page (it reports before every event it delivers); writes go to the
    // page and update that state at once.
    virtual void BindData(const std::string& id, DataKind kind) = 0;
    virtual std::string GetData(const std::string& id) const = 0;
    virtual void SetData(const std::string& id, const std::string& value) = 0;
    // The two hint texts window.external answers from inside the page, so the
    // page gets its answers at once: onFocus(text) is true when text equals
    // either hint exactly; onBlur(true) gives the first, onBlur(false) the
    // second. Both are empty until set; they hold for later pages too.
    virtual void SetFocusHints(const std::string& first, const std::string& second) {}

    // Window.
    virtual void Show() = 0;
    virtual void ShowNoActivate() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void Enable(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual bool IsActive() const = 0;
    // Brings a shown window forward; a hidden one stays hidden.
    virtual void SetForeground() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void Move(int x, int y) = 0;
    virtual void Resize(int width, int height) = 0;
    virtual void Center() = 0;
    virtual Rect GetRect() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetRoundedRegion(int ellipseWidth, int ellipseHeight) = 0;
    // Lets a press on the given element ids move the window (borderless
    // windows dragged by their title area).
    virtual void SetDragHandles(const StringList& ids) = 0;
    virtual void Minimize() = 0;
};

class IHtmlWindowFactory {
public:
    virtual ~IHtmlWindowFactory() = default;
    // Pages of the site at this address (same scheme, host and port),
    // besides the program's own pages, may call window.external; for an
    // http address also the https origin on the same host name that the
    // site itself redirects a top-level page to.
    virtual void SetTrustedOrigin(const std::string& origin) {}
    // Readies what the windows need (a factory that loads its engine on
    // first use loads it now); false when no window can be made.
    virtual bool Load() { return true; }
    virtual std::unique_ptr<IHtmlWindow> Create(const HtmlWindowDescription& spec,
                                                IHtmlWindowEvents* events) = 0;
};
