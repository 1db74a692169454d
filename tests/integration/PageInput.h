#pragma once
// Reading a page's state and clicking its elements with the real pointer,
// for tests of the program's own pages.
#include <glib.h>
#include <webkit2/webkit2.h>

#include <optional>
#include <sstream>
#include <string>

#include "integration/HtmlWindowHarness.h"
#include "platform/linux/WebKitHtmlWindow.h"

// The value of a script expression as text; "<error>" when it threw.
inline std::string EvalInPage(IHtmlWindow& window, const std::string& expression) {
    std::optional<std::string> result;
    webkit_web_view_evaluate_javascript(
        dynamic_cast<WebKitHtmlWindow&>(window).View(), ("String(" + expression + ")").c_str(), -1,
        nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* res, gpointer out) {
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), res, nullptr);
            char* text = value ? jsc_value_to_string(value) : g_strdup("<error>");
            *static_cast<std::optional<std::string>*>(out) = text;
            g_free(text);
            if (value) g_object_unref(value);
        },
        &result);
    RunUntil([&] { return result.has_value(); });
    return result.value_or("<timeout>");
}

// Moves the pointer to the middle of the element and clicks.
inline void ClickElement(IHtmlWindow& window, const std::string& id) {
    const std::string where =
        EvalInPage(window, "(function () { var r = document.getElementById('" + id +
                               "').getBoundingClientRect();"
                               " return Math.round(r.left + r.width / 2) + ' ' +"
                               " Math.round(r.top + r.height / 2); })()");
    int x = 0, y = 0;
    ASSERT_TRUE(std::istringstream(where) >> x >> y) << where;
    const Rect at = window.GetRect();
    Xdotool("mousemove " + std::to_string(at.left + x) + " " + std::to_string(at.top + y) +
            " click 1");
}
