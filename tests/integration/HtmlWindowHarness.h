#pragma once
// Shared pieces of the HTML window tests: a recorder of window events and a
// main loop that runs until a condition holds or a generous deadline passes.
#include <glib.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/HtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"

// Runs the default main context until `done` holds; false after the deadline.
inline bool RunUntil(const std::function<bool()>& done, unsigned timeoutMs = 20000) {
    bool expired = false;
    const guint timer = g_timeout_add(
        timeoutMs,
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &expired);
    while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
    if (!expired) g_source_remove(timer);
    return done();
}

struct Recorder : IHtmlWindowEvents {
    struct Call {
        std::string method;
        StringList args;
    };
    std::vector<std::pair<std::string, bool>> documents;
    std::vector<std::pair<std::string, ElementEvent>> elements;
    std::vector<Call> calls;
    std::vector<unsigned> keys;
    std::vector<bool> activations;
    std::vector<bool> lost;  // OnPageLost's `reloading`, in order
    int closeRequests = 0;
    // Runs inside OnExternalCall, where the window's data must be current.
    std::function<void(const Call&)> onCall;

    void OnDocumentComplete(const std::string& url, bool topLevel) override {
        documents.emplace_back(url, topLevel);
    }
    void OnElementEvent(const std::string& id, ElementEvent event) override {
        elements.emplace_back(id, event);
    }
    void OnExternalCall(const std::string& method, const StringList& args) override {
        calls.push_back({method, args});
        if (onCall) onCall(calls.back());
    }
    void OnCloseRequest() override { ++closeRequests; }
    void OnKey(unsigned keyval) override { keys.push_back(keyval); }
    void OnActivate(bool active) override { activations.push_back(active); }
    void OnPageLost(bool reloading) override { lost.push_back(reloading); }

    int TopLevelLoads() const {
        int n = 0;
        for (const auto& d : documents) n += d.second;
        return n;
    }
};

// Calls a page function and waits for its outcome.
inline std::optional<ScriptResult> Call(IHtmlWindow& window, const std::string& name,
                                        const StringList& args = {}) {
    std::optional<ScriptResult> result;
    window.CallFunction(name, args, [&](const ScriptResult& r) { result = r; });
    if (!RunUntil([&] { return result.has_value(); })) return std::nullopt;
    return result;
}

// Loads `url` and waits for its top-level document.
inline bool LoadAndWait(IHtmlWindow& window, Recorder& events, const std::string& url,
                        const std::string& header = {}) {
    const int before = events.TopLevelLoads();
    window.Navigate(url, header);
    return RunUntil([&] { return events.TopLevelLoads() > before; });
}

// Real input on the test's X display.
inline void Xdotool(const std::string& args) {
    const std::string command = "xdotool " + args;
    gint status = -1;
    ASSERT_TRUE(g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr));
    ASSERT_EQ(status, 0) << command;
}

// Tests whose windows share one factory, and so one web context.
class SharedFactoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { factory = new WebKitHtmlWindowFactory(""); }
    static void TearDownTestSuite() {
        delete factory;
        factory = nullptr;
    }
    static inline WebKitHtmlWindowFactory* factory = nullptr;
};

class GtkEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)); }
};
