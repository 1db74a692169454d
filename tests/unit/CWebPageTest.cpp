#include <gtest/gtest.h>

#include "desktop/CWebPage.h"
#include "fakes/FakeHtmlWindow.h"

namespace {
struct LoadedPage {
    IHtmlWindowEvents events;
    FakeHtmlWindow window{HtmlWindowDescription{}, &events};
    LoadedPage() { window.hasDocument = true; }
};
}  // namespace

TEST(CWebPage, PassesArgumentsInOrderAndEmptyOnesAsEmpty) {
    LoadedPage page;
    CWebPage web;
    ASSERT_TRUE(web.BindDocument(&page.window));
    EXPECT_TRUE(web.InvokeScript("initValue"));
    EXPECT_TRUE(web.InvokeScript("AppToScript", "a", "b"));
    EXPECT_TRUE(web.InvokeScript("setSender", ""));
    ASSERT_EQ(page.window.calls.size(), 3u);
    EXPECT_TRUE(page.window.calls[0].args.empty());
    EXPECT_EQ(page.window.calls[1].args, (StringList{"a", "b"}));
    EXPECT_EQ(page.window.calls[2].args, (StringList{""}));
    EXPECT_EQ(web.LastError(), "");
}

TEST(CWebPage, HandsThePageOnlyUtf8Text) {
    const std::string bad = "\xEF\xBF\xBD";
    LoadedPage page;
    CWebPage web;
    ASSERT_TRUE(web.BindDocument(&page.window));
    // A lone surrogate as the JSON reader writes it, and a character cut short.
    ASSERT_TRUE(web.InvokeScript("AppToScript", "Zo\xC3\xAB \xED\xB0\x80", "a\xC3"));
    ASSERT_EQ(page.window.calls.size(), 1u);
    EXPECT_EQ(page.window.calls[0].args, (StringList{"Zo\xC3\xAB " + bad + bad + bad, "a" + bad}));
}

TEST(CWebPage, RecordsFailuresOfThePageWithoutClearingThemOnSuccess) {
    LoadedPage page;
    page.window.missingFunctions = {"nothing"};
    page.window.throwingFunctions = {"broken"};
    CWebPage web;
    ASSERT_TRUE(web.BindDocument(&page.window));

    bool ok = true;
    web.InvokeScript("nothing",
                     [&](const ScriptResult& r) { ok = r.status == ScriptResult::Status::Ok; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(web.LastError(), "JSCall Error:\nUnknown name.\n");
    EXPECT_TRUE(page.window.calls.empty());

    web.InvokeScript("broken");
    EXPECT_EQ(web.LastError(), "JSCall Error:\nException occurred.\n");

    web.InvokeScript("setTime", "1 : 05 pm");
    EXPECT_EQ(web.LastError(), "JSCall Error:\nException occurred.\n");
}

TEST(CWebPage, BindingRules) {
    LoadedPage page;
    CWebPage web;
    EXPECT_FALSE(web.InvokeScript("showLoginStatus", "1"));
    EXPECT_EQ(web.LastError(), "JSCall Error:\nCannot GetScript");

    ASSERT_TRUE(web.BindDocument(&page.window));
    EXPECT_FALSE(web.BindDocument(nullptr));
    EXPECT_EQ(web.LastError(), "JSCall Error:\nNULL pointer");
    EXPECT_TRUE(web.InvokeScript("showLoginStatus", "9"));  // the old binding holds
    EXPECT_EQ(page.window.calls.size(), 1u);

    IHtmlWindowEvents none;
    FakeHtmlWindow empty{HtmlWindowDescription{}, &none};
    EXPECT_FALSE(web.BindDocument(&empty));
    EXPECT_EQ(web.LastError(), "JSCall Error:\nFailed to get HTML document COM object");
    EXPECT_FALSE(web.InvokeScript("showLoginStatus"));
}

TEST(CWebPage, AnswerAfterThePageObjectIsGoneIsDropped) {
    // The adapter answers later; the page object may be destroyed by then.
    class LateWindow : public FakeHtmlWindow {
    public:
        using FakeHtmlWindow::FakeHtmlWindow;
        void CallFunction(const std::string&, const StringList&, ScriptCallback done) override {
            pending = std::move(done);
        }
        ScriptCallback pending;
    };
    IHtmlWindowEvents events;
    LateWindow window{HtmlWindowDescription{}, &events};
    window.hasDocument = true;
    auto web = std::make_unique<CWebPage>();
    web->BindDocument(&window);
    web->InvokeScript("gone");
    web.reset();
    ScriptResult failed;
    failed.status = ScriptResult::Status::NotFound;
    window.pending(failed);  // must not touch the destroyed object
}

TEST(SystemMessageText, UnknownCodeHasTheFallbackText) {
    EXPECT_EQ(SystemMessageText(12345), "FormatMessage Netive Error");
    EXPECT_EQ(SystemMessageText(kScriptUnknownName), "Unknown name.\n");
}

TEST(CWebPage, StateCallsReachEveryLoadOfTheirOwnWindowInTheOrderFirstMade) {
    IHtmlWindowEvents events;
    FakeHtmlWindow login{HtmlWindowDescription{}, &events};
    FakeHtmlWindow other{HtmlWindowDescription{}, &events};
    CWebPage web;
    using Calls = std::vector<std::pair<std::string, StringList>>;
    auto made = [](const FakeHtmlWindow& w) {
        Calls out;
        for (const auto& call : w.calls) out.push_back({call.name, call.args});
        return out;
    };

    // Still loading: nothing is called, the calls are kept.
    web.CallState(&login, "showLoginStatus", {"1"});
    web.CallState(&login, "setTime", {"9:00 am"});
    web.CallState(&other, "setSender", {"Kim"});
    web.CallState(&login, "showLoginStatus", {"0"});
    EXPECT_TRUE(login.calls.empty());

    login.hasDocument = true;
    web.OnDocumentLoaded(&login);
    EXPECT_EQ(made(login), (Calls{{"showLoginStatus", {"0"}}, {"setTime", {"9:00 am"}}}));

    // Loaded: made at once, and again after the next load.
    web.CallState(&login, "showLoginStatus", {});
    login.calls.clear();
    web.OnDocumentLoaded(&login);
    EXPECT_EQ(made(login), (Calls{{"showLoginStatus", {}}, {"setTime", {"9:00 am"}}}));

    // A window without a document gets nothing; the other window's call
    // stays with it.
    login.calls.clear();
    login.hasDocument = false;
    web.OnDocumentLoaded(&login);
    EXPECT_TRUE(login.calls.empty());
    other.hasDocument = true;
    web.OnDocumentLoaded(&other);
    EXPECT_EQ(made(other), (Calls{{"setSender", {"Kim"}}}));
}

// Fills faster than the page answers them: the page gets the one on its way
// and then only the latest, never a queue of stale ones.
TEST(CWebPage, StateCallsWaitForTheAnswerAndThenSendOnlyTheLatest) {
    IHtmlWindowEvents events;
    FakeHtmlWindow toast{HtmlWindowDescription{}, &events};
    toast.hasDocument = true;
    toast.holdAnswers = true;
    CWebPage web;
    auto sent = [&] {
        StringList out;
        for (const auto& call : toast.calls) out.push_back(call.args.front());
        return out;
    };

    web.CallState(&toast, "setToast", {"1"});
    for (const char* later : {"2", "3", "4"}) web.CallState(&toast, "setToast", {later});
    EXPECT_EQ(sent(), (StringList{"1"}));
    toast.AnswerHeld();
    EXPECT_EQ(sent(), (StringList{"1", "4"}));
    toast.AnswerHeld();  // nothing came meanwhile: nothing more is sent
    EXPECT_EQ(sent(), (StringList{"1", "4"}));
    web.CallState(&toast, "setToast", {"5"});
    EXPECT_EQ(sent(), (StringList{"1", "4", "5"}));

    // The page loads again while "5" is unanswered: the new document gets
    // the latest at once, and the old call's answer starts nothing.
    web.CallState(&toast, "setToast", {"6"});
    web.OnDocumentLoaded(&toast);
    EXPECT_EQ(sent(), (StringList{"1", "4", "5", "6"}));
    web.CallState(&toast, "setToast", {"7"});
    toast.AnswerHeld();  // answers "5", then "6"
    EXPECT_EQ(sent(), (StringList{"1", "4", "5", "6", "7"}));

    // A window that lost its document sends nothing when the answer comes;
    // its next load gets the latest.
    web.CallState(&toast, "setToast", {"8"});
    toast.hasDocument = false;
    toast.AnswerHeld();
    EXPECT_EQ(sent().back(), "7");
    toast.hasDocument = true;
    web.OnDocumentLoaded(&toast);
    EXPECT_EQ(sent().back(), "8");

    // The window goes while a call is on its way and another waits: the
    // answer that comes afterwards sends nothing.
    toast.AnswerHeld();
    web.CallState(&toast, "setToast", {"9"});
    web.CallState(&toast, "setToast", {"10"});
    web.ForgetWindow(&toast);
    toast.AnswerHeld();
    EXPECT_EQ(sent().back(), "9");
}
