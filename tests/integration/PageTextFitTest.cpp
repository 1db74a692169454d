// Every text of every language in our fixed-size pages on the real engine:
// nothing may run out of its box, out of the window or into another text,
// and right-to-left languages get right-to-left pages.
#include <cairo.h>
#include <glib.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/LoadText.h"
#include "config/StringTables.h"
#include "controller/CMainDlg.h"
#include "integration/HtmlWindowHarness.h"
#include "integration/PageInput.h"
#include "notify/CNotiHtmlDlg.h"
#include "platform/linux/ResScheme.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"
#include "settings/CSettingFrm.h"

namespace {

struct PageText {
    const char* element;
    unsigned stringId;
};

// A state of a page: a script that brings it about, and the texts (and
// fixed controls) visible in it.
struct PageState {
    const char* name;
    const char* script;
    std::vector<const char*> texts;
    std::vector<const char*> controls;
};

struct Page {
    const char* name;
    int resourceId, width, height;
    std::vector<PageText> texts;  // filled from the string table
    std::vector<PageState> states;
};

// A sender and a message line long in every script, and the widest time.
constexpr const char* kLongSender = "Alexandra Konstantinopoulou-Wojciechowska";
constexpr const char* kLongMessage =
    "Let us meet tomorrow at the station before the early train leaves";

const std::vector<Page>& Pages() {
    static const std::vector<Page> pages = {
        {"login",
         CMainDlg::kPageId,
         CMainDlg::kWidth,
         CMainDlg::kHeight,
         {{"main_title", 161},
          {"main_loading", 162},
          {"span_signin", 163},
          {"div_invalid", 164},
          {"main_remember", 165},
          {"a_forgot", 166},
          {"main_signup", 167},
          {"main_btn_signup", 168},
          {"alarm", 184},
          {"div_password_invalid", 202}},
         {{"signed out",
           "showLoginStatus('0')",
           {"main_title", "span_signin", "main_remember", "a_forgot", "main_signup",
            "main_btn_signup", "alarm"},
           {"div_min", "div_close", "input_email", "input_password", "checkbox_email"}},
          {"invalid e-mail",
           "showLoginStatus('2')",
           {"main_title", "span_signin", "div_invalid", "a_forgot", "main_signup",
            "main_btn_signup"},
           {"div_min", "div_close"}},
          {"invalid password", "showLoginStatus('5')", {"div_password_invalid", "a_forgot"}, {}},
          {"loading",
           "showLoginStatus('1')",
           {"main_loading", "alarm"},
           {"div_min", "div_close"}}}},
        {"toast",
         CNotiHtmlDlg::kPageId,
         CNotiHtmlDlg::kWidth,
         CNotiHtmlDlg::kHeight,
         {},
         {{"message", "", {"sender", "send_msg", "send_time"}, {"div_close"}}}},
        {"settings",
         CSettingFrm::kPageId,
         CSettingFrm::kWidth,
         CSettingFrm::kHeight,
         {{"set_title", 169},
          {"set_version", 171},
          {"sound", 173},
          {"sound_1", 174},
          {"sound_2", 175},
          {"sound_3", 176},
          {"sound_4", 177},
          {"sound_5", 178},
          {"set_preview", 179},
          {"set_msg", 180},
          {"set_start", 181},
          {"button_ok", 182},
          {"button_cancel", 183}},
         {{"open",
           "initValue()",
           {"set_title", "set_version", "version", "new_version", "sound", "sound_1", "sound_2",
            "sound_3", "sound_4", "sound_5", "set_preview", "set_msg", "set_start", "button_ok",
            "button_cancel"},
           {"set_close", "chk_alert_sound", "chk_preview", "chk_start", "button_sound_0",
            "button_sound_1", "button_sound_2", "button_sound_3", "button_sound_4", "radio_sound_0",
            "radio_sound_4"}}}},
    };
    return pages;
}

// Lists what does not fit, one line each: "id: why". A text's own box is
// the element, or for an inline one its nearest block; a box that ends its
// line with an ellipsis may cut the text, anything else must hold it whole.
// Texts are measured by their glyphs (a range over them), and must lie in
// the window and clear of every other text and control.
constexpr const char* kFitScript = R"JS((function (texts, controls) {
  var W = window.innerWidth, H = window.innerHeight, out = [], shown = [];
  function blockOf(el) {
    while (el.parentElement && getComputedStyle(el).display === 'inline') el = el.parentElement;
    return el;
  }
  function glyphs(el) {
    var r = document.createRange(); r.selectNodeContents(el); return r.getBoundingClientRect();
  }
  function clip(rect, box) {
    var b = box.getBoundingClientRect();
    return {left: Math.max(rect.left, b.left), right: Math.min(rect.right, b.right),
            top: Math.max(rect.top, b.top), bottom: Math.min(rect.bottom, b.bottom)};
  }
  texts.forEach(function (id) {
    var el = document.getElementById(id);
    if (!el || el.getClientRects().length === 0) { out.push(id + ': not shown'); return; }
    if (el.textContent.trim() === '') { out.push(id + ': empty'); return; }
    var box = blockOf(el), s = getComputedStyle(box), rect = glyphs(el);
    var ellipsis = s.textOverflow === 'ellipsis' && s.overflowX === 'hidden' && s.whiteSpace === 'nowrap';
    if (ellipsis) {
      rect = clip(rect, box);
      if (box.scrollHeight > box.clientHeight + 1) out.push(id + ': cut at the bottom');
    } else {
      if (box.scrollWidth > box.clientWidth + 1) out.push(id + ': ' + box.scrollWidth + 'px wide in ' + box.clientWidth);
      if (box.scrollHeight > box.clientHeight + 1) out.push(id + ': ' + box.scrollHeight + 'px high in ' + box.clientHeight);
    }
    if (rect.left < -0.5 || rect.top < -0.5 || rect.right > W + 0.5 || rect.bottom > H + 0.5)
      out.push(id + ': outside the window');
    shown.push({id: id, r: rect});
  });
  controls.forEach(function (id) {
    var el = document.getElementById(id);
    if (el && el.getClientRects().length) shown.push({id: id, r: el.getBoundingClientRect()});
  });
  for (var i = 0; i < shown.length; i++)
    for (var j = i + 1; j < shown.length; j++) {
      var a = shown[i].r, b = shown[j].r;
      var w = Math.min(a.right, b.right) - Math.max(a.left, b.left);
      var h = Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top);
      if (w > 1 && h > 1) out.push(shown[i].id + ': overlaps ' + shown[j].id);
    }
  return out.join('\n');
})
)JS";

std::string JsString(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\\' || c == '\'') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "'";
}

std::string JsList(const std::vector<const char*>& items) {
    std::string out = "[";
    for (const char* item : items) out += JsString(item) + ",";
    return out + "]";
}

// The texts a toast shows in that language: the longest message kind as a
// summary line, then a long line of the user's own.
std::string LongestKind(unsigned language) {
    std::string longest;
    for (unsigned id = 185; id <= 195; ++id) {
        const std::string text = LoadText(BuiltInStringTables(), language, id);
        if (g_utf8_strlen(text.c_str(), -1) > g_utf8_strlen(longest.c_str(), -1)) longest = text;
    }
    return longest;
}

std::string ArtifactPath(const std::string& name) {
    std::filesystem::create_directories(MURMEL_TEST_ARTIFACTS "/page-texts");
    return MURMEL_TEST_ARTIFACTS "/page-texts/" + name + ".png";
}

// Saves what the view shows, drawn by the engine itself.
bool SaveSnapshot(IHtmlWindow& window, const std::string& path) {
    struct Done {
        bool finished = false;
        bool saved = false;
        std::string path;
    } done{false, false, path};
    webkit_web_view_get_snapshot(
        dynamic_cast<WebKitHtmlWindow&>(window).View(), WEBKIT_SNAPSHOT_REGION_VISIBLE,
        WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
            auto* d = static_cast<Done*>(data);
            cairo_surface_t* surface =
                webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
            if (surface) {
                d->saved =
                    cairo_surface_write_to_png(surface, d->path.c_str()) == CAIRO_STATUS_SUCCESS;
                cairo_surface_destroy(surface);
            }
            d->finished = true;
        },
        &done);
    RunUntil([&] { return done.finished; });
    return done.saved;
}

// Language ids of the shipped string tables, by file name ("ar-AE").
std::map<unsigned, std::string> Languages() {
    std::map<unsigned, std::string> languages;
    const StringTables& tables = BuiltInStringTables();
    std::set<unsigned> withStrings;
    for (const StringTableEntry& e : tables.strings) withStrings.insert(e.language);
    for (const StringTableSource& s : tables.sources) {
        if (!withStrings.count(s.language)) continue;
        std::string name = s.file;
        languages[s.language] = name.substr(0, name.rfind('.'));
    }
    return languages;
}

const std::map<std::string, std::set<std::string>> kScreenshots = {
    {"login", {"ar-AE", "he", "de", "ja", "th", "hi", "en"}},
    {"toast", {"ar-AE", "he", "de", "ja", "th", "hi", "en"}},
    {"settings", {"ar-AE", "fi", "en"}},
};

class PageTextFitTest : public SharedFactoryTest {
protected:
    void TearDown() override { SetPageDirection(nullptr); }

    // Serves the page again when its direction must change; true once the
    // page reads in `rightToLeft` direction.
    bool LoadInDirection(IHtmlWindow& window, Recorder& events, int resourceId, bool rightToLeft) {
        SetPageDirection([rightToLeft] { return rightToLeft; });
        const std::string want = rightToLeft ? "rtl" : "ltr";
        if (events.TopLevelLoads() > 0 &&
            EvalInPage(window, "getComputedStyle(document.body).direction") == want)
            return true;
        const int before = events.TopLevelLoads();
        window.LoadResource(resourceId);
        if (!RunUntil([&] { return events.TopLevelLoads() > before; })) return false;
        return EvalInPage(window, "getComputedStyle(document.body).direction") == want;
    }
};

TEST_F(PageTextFitTest, EveryTextOfEveryLanguageFitsEveryPage) {
    const std::map<unsigned, std::string> languages = Languages();
    ASSERT_EQ(languages.size(), 48u);
    int x = 0;
    for (const Page& page : Pages()) {
        SCOPED_TRACE(page.name);
        HtmlWindowDescription spec;
        spec.resourceId = page.resourceId;
        spec.width = page.width;
        spec.height = page.height;
        spec.title = "Murmel";
        Recorder events;
        std::unique_ptr<IHtmlWindow> window = factory->Create(spec, &events);
        window->Move(x, 0);
        x += page.width + 10;
        window->ShowNoActivate();
        ASSERT_TRUE(RunUntil([&] { return window->IsVisible(); }));
        for (const auto& [language, name] : languages) {
            const bool rtl = IsRightToLeftTable(language);
            ASSERT_TRUE(LoadInDirection(*window, events, page.resourceId, rtl))
                << name << " " << page.name;
            std::string fill;
            for (const PageText& text : page.texts) {
                fill += "document.getElementById(" + JsString(text.element) + ").textContent = " +
                        JsString(LoadText(BuiltInStringTables(), language, text.stringId)) + ";";
            }
            for (const std::string& kind : {LongestKind(language), std::string(kLongMessage)}) {
                std::string toast = fill;
                if (page.texts.empty()) {
                    toast += "setSender(" + JsString(kLongSender) + "); setSendMsg(" +
                             JsString(kind) + "); setTime('12 : 59 pm');";
                }
                for (const PageState& state : page.states) {
                    const std::string problems =
                        EvalInPage(*window, "(function(){" + toast + state.script + ";return " +
                                                kFitScript + "(" + JsList(state.texts) + "," +
                                                JsList(state.controls) + ");})()");
                    EXPECT_EQ(problems, "") << "language " << name << ", page " << page.name << ", "
                                            << state.name << ":\n"
                                            << problems;
                }
                if (!page.texts.empty()) break;  // one pass is all a page of texts needs
            }
            if (kScreenshots.at(page.name).count(name)) {
                EvalInPage(*window, "(function(){" + fill + page.states.front().script + "})()");
                if (page.texts.empty()) {
                    EvalInPage(*window, "(function(){setSender('Ostrand'); setSendMsg(" +
                                            JsString(LongestKind(language) + " " + kLongMessage) +
                                            "); setTime('12 : 59 pm')})()");
                }
                EXPECT_TRUE(
                    SaveSnapshot(*window, ArtifactPath(std::string(page.name) + "-" + name)));
            }
        }
    }
}

TEST(RightToLeftRoot, AddsTheDirectionToTheRootElementOnly) {
    struct Case {
        const char* page;
        const char* expected;
    };
    const Case cases[] = {
        {"<!DOCTYPE html>\n<html>\n<head>", "<!DOCTYPE html>\n<html dir=\"rtl\">\n<head>"},
        {"<!doctype html><HTML lang=x><body>", "<!doctype html><HTML dir=\"rtl\" lang=x><body>"},
        {"<head><htmlish></htmlish><html>", "<head><htmlish></htmlish><html dir=\"rtl\">"},
        {"<p>no root</p>", "<p>no root</p>"},
    };
    for (const Case& c : cases) EXPECT_EQ(WithRightToLeftRoot(c.page), c.expected) << c.page;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
