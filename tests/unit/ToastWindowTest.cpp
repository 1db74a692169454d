// How a toast ends: its timer, its close button, a press on its body, the
// window manager's close, and keys that must not end it.
#include <gtest/gtest.h>

#include "fakes/FakeDesktop.h"
#include "fakes/FakeEventLoop.h"
#include "fakes/FakeHtmlWindow.h"
#include "notify/CNotiHtmlDlg.h"
#include "platform/Messages.h"

namespace {

// Records what the toast posts to the controller.
class Controller : public IMessageTarget {
public:
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t, std::intptr_t) override {
        received.push_back(msg);
        return 0;
    }
    std::vector<unsigned> received;
};

class ToastWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        main = loop.Register(&controller);
        toast.Create(windows, loop, clock, main);
        toast.PlaceAt(1042, 684);
        Page()->CompleteDocument("res:///html/toast.html");
        toast.FillToast(kData);
        toast.ShowToast();
    }
    FakeHtmlWindow* Page() { return windows.WithPage(CNotiHtmlDlg::kPageId); }

    static constexpr const char* kData = R"({"sender":"Kim","msg":"Hi","msgtype":0})";
    FakeHtmlWindowFactory windows;
    FakeEventLoop loop;
    FakeClock clock;
    Controller controller;
    WindowHandle main = 0;
    CNotiHtmlDlg toast;
};

}  // namespace

TEST_F(ToastWindowTest, ShowsTopmostAtItsSlotForFiveSecondsFromTheLastShowing) {
    EXPECT_TRUE(Page()->visible);
    EXPECT_TRUE(Page()->topmost);
    EXPECT_EQ(Page()->GetRect(), (Rect{1042, 684, 1042 + 228, 684 + 66}));
    loop.Advance(4000);
    toast.ShowToast();  // shown again: the five seconds start anew
    loop.Advance(4999);
    EXPECT_TRUE(Page()->visible);
    loop.Advance(1);
    EXPECT_FALSE(Page()->visible);
    EXPECT_TRUE(toast.m_eventData.empty());
    EXPECT_FALSE(loop.HasTimer(toast.Handle(), TIMER_TOAST));
    EXPECT_TRUE(controller.received.empty()) << "the tray keeps its new-message image";
}

TEST_F(ToastWindowTest, PressOnTheBodyOpensThenCloses) {
    for (const char* id : {"CNotiHtmlDlg", "toastMsgBox", "head", "sender_msgbox", "sender",
                           "send_msg", "send_time", "sender_body", "send_msg_body"}) {
        SCOPED_TRACE(id);
        controller.received.clear();
        toast.FillToast(kData);
        toast.ShowToast();
        Page()->Element(id, ElementEvent::MouseDown);
        loop.Pump();
        EXPECT_EQ(controller.received, (std::vector<unsigned>{UWM_TOAST_OPEN, UWM_TOAST_CLOSED}));
        EXPECT_FALSE(Page()->visible);
        EXPECT_TRUE(toast.m_eventData.empty());
    }
}

TEST_F(ToastWindowTest, CloseButtonClosesWithoutOpening) {
    Page()->Element("div_close", ElementEvent::MouseDown);
    Page()->Element("sender", ElementEvent::Click);
    loop.Pump();
    EXPECT_TRUE(controller.received.empty()) << "only a click on the close button counts";
    EXPECT_TRUE(Page()->visible);

    Page()->Element("div_close", ElementEvent::Click);
    loop.Pump();
    EXPECT_EQ(controller.received, std::vector<unsigned>{UWM_TOAST_CLOSED});
    EXPECT_FALSE(Page()->visible);
    EXPECT_TRUE(toast.m_eventData.empty());
}

TEST_F(ToastWindowTest, WindowManagerCloseAndKeysPostNothing) {
    toast.OnKey(0xff0d);  // Enter
    toast.OnKey(0xff1b);  // Escape
    EXPECT_TRUE(Page()->visible);
    EXPECT_EQ(toast.m_eventData, kData);

    toast.OnCloseRequest();
    EXPECT_FALSE(Page()->visible);
    EXPECT_TRUE(toast.m_eventData.empty());
    ASSERT_NE(windows.WithPage(CNotiHtmlDlg::kPageId), nullptr) << "closing does not destroy";

    toast.FillToast(kData);
    toast.ShowToast();
    loop.Post(toast.Handle(), WM_CLOSE);
    loop.Pump();
    EXPECT_FALSE(Page()->visible);
    EXPECT_TRUE(toast.m_eventData.empty());
    EXPECT_TRUE(controller.received.empty());
}

TEST_F(ToastWindowTest, DestroyingStopsTheTimerAndReleasesTheHandle) {
    const WindowHandle handle = toast.Handle();
    toast.Destroy();
    EXPECT_FALSE(loop.HasTimer(handle, TIMER_TOAST));
    EXPECT_FALSE(loop.Post(handle, WM_CLOSE));
    loop.Advance(6000);  // nothing left to fire into
}
