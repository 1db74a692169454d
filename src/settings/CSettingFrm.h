#pragma once
// The settings window: a borderless page with rounded corners, opened from
// the tray menu.
#include <memory>
#include <string>

#include "desktop/CWebPage.h"
#include "platform/HtmlWindow.h"

class CSettingFrm : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 387;
    static constexpr int kHeight = 504;
    static constexpr int kPageId = 151;

    ~CSettingFrm() override;
    // Creates the window hidden and loads its page.
    void Create(IHtmlWindowFactory& factory, WindowHandle mainWnd);
    void Destroy();
    IHtmlWindow* Window() const { return m_window.get(); }
    // Loads the current settings into the page.
    void RefreshSettings();

    WindowHandle m_hMainWnd = 0;
    CWebPage m_page;

private:
    std::unique_ptr<IHtmlWindow> m_window;
};
