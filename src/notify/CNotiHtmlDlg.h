#pragma once
// One toast window of the stack: a small borderless page above the panel.
#include <memory>
#include <string>

#include "desktop/CWebPage.h"
#include "platform/EventLoop.h"
#include "platform/HtmlWindow.h"

class CNotiHtmlDlg : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 228;
    static constexpr int kHeight = 66;
    static constexpr int kPageId = 103;

    CNotiHtmlDlg() = default;
    ~CNotiHtmlDlg() override;

    // Creates the window hidden and loads its page.
    void Create(IHtmlWindowFactory& factory, WindowHandle mainWnd);
    void Destroy();
    // Puts the window at its slot; the slot never changes afterwards.
    void PlaceAt(int left, int top);

    IHtmlWindow* Window() const { return m_window.get(); }

    std::string m_timeText;
    std::string m_eventData;
    std::string m_closeLabel;
    int m_left = 0;
    int m_top = 0;
    bool m_fillOk = false;
    WindowHandle m_hMainWnd = 0;
    CWebPage m_page;

private:
    std::unique_ptr<IHtmlWindow> m_window;
};
