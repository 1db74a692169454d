#pragma once
// One toast window of the stack: a small borderless page above the panel
// that shows one new message for a few seconds.
#include <memory>
#include <string>

#include "desktop/CWebPage.h"
#include "platform/EventLoop.h"
#include "platform/HtmlWindow.h"
#include "platform/System.h"

class CNotiHtmlDlg : public IHtmlWindowEvents, public IMessageTarget {
public:
    static constexpr int kWidth = 228;
    static constexpr int kHeight = 66;
    static constexpr int kPageId = 103;
    static constexpr unsigned kShowPeriodMs = 5000;

    CNotiHtmlDlg() = default;
    ~CNotiHtmlDlg() override;
    CNotiHtmlDlg(const CNotiHtmlDlg&) = delete;
    CNotiHtmlDlg& operator=(const CNotiHtmlDlg&) = delete;

    // Creates the window hidden and loads its page. The toast posts its
    // messages to mainWnd and reads the time of day from the clock.
    void Create(IHtmlWindowFactory& factory, IEventLoop& loop, IClock& clock, WindowHandle mainWnd);
    void Destroy();
    // Puts the window, hidden, at its slot.
    void PlaceAt(int left, int top);
    // Moves the toast to another slot as it is, shown or not.
    void SetSlot(int left, int top);

    // Reads the event data and fills the page; true when the toast has
    // something to show.
    bool FillToast(const std::string& data);
    // Shows the toast topmost at its slot and (re)starts its timer.
    void ShowToast();
    // Hides the window only; timer and data stay as they are.
    void HideWindow();
    bool IsShown() const;

    IHtmlWindow* Window() const { return m_window.get(); }
    WindowHandle Handle() const { return m_hWnd; }

    // IHtmlWindowEvents
    void OnElementEvent(const std::string& id, ElementEvent event) override;
    void OnCloseRequest() override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    // A toast whose page is gone is hidden rather than left blank.
    void OnPageLost(bool reloading) override;
    // Enter and Escape never end a toast.
    void OnKey(unsigned keyval) override {}
    // IMessageTarget
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(unsigned id) override;

    std::string m_timeText;
    std::string m_eventData;
    std::string m_closeLabel;
    int m_left = 0;
    int m_top = 0;
    bool m_fillOk = false;
    WindowHandle m_hMainWnd = 0;
    CWebPage m_page;
    // How long a showing lasts; tests on a real loop shorten it.
    unsigned m_showPeriodMs = kShowPeriodMs;

private:
    void PutAtSlot();
    // The user closed the toast, or clicked it to open the conversation.
    void Dismiss(bool open);
    // Hides the toast and forgets its message, posting nothing.
    void Withdraw();

    std::unique_ptr<IHtmlWindow> m_window;
    // What the page was last given to show.
    StringList m_filled;
    IEventLoop* m_loop = nullptr;
    IClock* m_clock = nullptr;
    WindowHandle m_hWnd = 0;
};
