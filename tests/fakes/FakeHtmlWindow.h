#pragma once
// An HTML window that records what the core asks of it and lets a test play
// the page's side: documents completing, element events, external calls and
// the answers of script calls.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/HtmlWindow.h"

class FakeHtmlWindow : public IHtmlWindow {
public:
    struct Call {
        std::string name;
        StringList args;
    };
    struct Navigation {
        std::string url;
        std::string header;
    };

    FakeHtmlWindow(const HtmlWindowDescription& spec, IHtmlWindowEvents* events)
        : spec(spec), events(events), rect{0, 0, spec.width, spec.height} {}

    // The page side.
    void CompleteDocument(const std::string& url, bool topLevel = true);
    void Element(const std::string& id, ElementEvent event = ElementEvent::Click);
    void External(const std::string& method, const StringList& args = {});
    void UserSets(const std::string& id, const std::string& value) { data[id] = value; }
    // The page's web process ends; `reloading` as the adapter decides.
    void ProcessEnds(bool reloading) {
        hasDocument = false;
        events->OnPageLost(reloading);
    }
    // Page functions that the page does not define, or that throw.
    std::vector<std::string> missingFunctions;
    std::vector<std::string> throwingFunctions;
    // The form the page holds: input names in document order.
    StringList formInputs;
    std::map<std::string, std::string> formValues;
    int formSubmits = 0;

    void LoadResource(int resourceId) override { loadedResource = resourceId; }
    void Navigate(const std::string& url, const std::string& extraHeader) override {
        navigations.push_back({url, extraHeader});
    }
    std::string CurrentUrl() const override { return currentUrl; }
    bool HasDocument() const override { return hasDocument; }
    void Reload() override { ++reloads; }
    void CallFunction(const std::string& name, const StringList& args,
                      ScriptCallback done) override;
    // Gives the answers held back while holdAnswers was set, in order.
    void AnswerHeld();
    void FillForm(const StringList& names, const StringList& values, const std::string& submitName,
                  std::function<void(bool)> done) override;
    void BindData(const std::string& id, DataKind kind) override { bound[id] = kind; }
    std::string GetData(const std::string& id) const override;
    void SetData(const std::string& id, const std::string& value) override { data[id] = value; }
    void Show() override;
    void ShowNoActivate() override { visible = true; }
    void Hide() override {
        visible = false;
        ++timesHidden;
    }
    bool IsVisible() const override { return visible; }
    void Enable(bool on) override { enabled = on; }
    bool IsEnabled() const override { return enabled; }
    bool IsActive() const override { return active; }
    void SetForeground() override { ++foregroundCount; }
    void SetTopmost(bool on) override { topmost = on; }
    void Move(int x, int y) override;
    void Resize(int width, int height) override;
    void Center() override { centered = true; }
    Rect GetRect() const override { return rect; }
    void SetTitle(const std::string& t) override { title = t; }
    void SetRoundedRegion(int w, int h) override { region = {w, h}; }
    void SetDragHandles(const StringList& ids) override { dragHandles = ids; }
    void SetFocusHints(const std::string& first, const std::string& second) override {
        focusHints = {first, second};
    }
    void Minimize() override { minimized = true; }

    HtmlWindowDescription spec;
    IHtmlWindowEvents* events;
    int loadedResource = 0;
    std::vector<Navigation> navigations;
    std::string currentUrl;
    bool hasDocument = false;
    int reloads = 0;
    std::vector<Call> calls;
    bool holdAnswers = false;  // calls are answered only by AnswerHeld
    std::vector<std::function<void()>> heldAnswers;
    std::map<std::string, DataKind> bound;
    std::map<std::string, std::string> data;
    bool visible = false;
    int timesShown = 0;
    int timesHidden = 0;
    bool enabled = true;
    bool active = false;
    int foregroundCount = 0;
    bool topmost = false;
    bool centered = false;
    Rect rect;
    std::string title;
    Point region;
    StringList dragHandles;
    StringList focusHints;
    bool minimized = false;
};

class FakeHtmlWindowFactory : public IHtmlWindowFactory {
public:
    bool Load() override { return loads; }
    bool loads = true;  // false: as without the engine
    std::unique_ptr<IHtmlWindow> Create(const HtmlWindowDescription& spec,
                                        IHtmlWindowEvents* events) override;
    // Every window created, in order; null once the core destroyed it.
    std::deque<FakeHtmlWindow*> created;
    // The window created with this page, the first one when several.
    FakeHtmlWindow* WithPage(int resourceId) const;
    std::vector<FakeHtmlWindow*> AllWithPage(int resourceId) const;
    // Called as each window is made, before it is added to `created`.
    std::function<void(const HtmlWindowDescription&)> onCreate;
};
