#pragma once
// The settings window: a borderless page with rounded corners, opened from
// the tray menu. It shows the alert sound, message preview and start-with-
// the-desktop choices and the installed and newest versions; Save stores
// the choices, Cancel and the close link drop them.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "desktop/CWebPage.h"
#include "net/VersionAnswer.h"
#include "platform/HtmlWindow.h"
#include "platform/Ports.h"

// Asks the version service; the result is that of QueryVersion.
using VersionQuery = std::function<int(const StringList& cookies, VersionInfo& info)>;

class CSettingFrm : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 387;
    static constexpr int kHeight = 504;
    static constexpr int kCornerEllipse = 17;
    static constexpr int kPageId = 151;
    static constexpr int kTextCount = 13;

    CSettingFrm() = default;
    ~CSettingFrm() override;
    CSettingFrm(const CSettingFrm&) = delete;
    CSettingFrm& operator=(const CSettingFrm&) = delete;

    // Creates the window hidden, loads its page and its current values.
    void Create(Ports& ports, WindowHandle mainWnd);
    void Destroy();
    IHtmlWindow* Window() const { return m_window.get(); }

    // Shows the window, once its page is there, with what is stored and the
    // newest version.
    void Open();
    // Loads the stored settings, the entry and the newest version into the
    // page; each opening starts from what is stored.
    void RefreshSettings();
    // The page's buttons.
    void OnClickSave();
    void OnClickCancel();
    void OnClickAlertSound();
    void OnClickSoundSample(const std::string& elementId);

    // Members to page, or page to members; either ends with the page's
    // initValue.
    void DataToPage();
    void DataFromPage();

    // IHtmlWindowEvents
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnElementEvent(const std::string& id, ElementEvent event) override;
    void OnCloseRequest() override;
    // The choices the page last reported are kept for its next load.
    void OnPageLost(bool reloading) override;

    // Page texts in the order of their elements: title, version label, the
    // sound box, the five sounds, preview, its description, start, Save and
    // Cancel.
    std::array<std::string, kTextCount> m_texts;
    bool m_alert = false;
    std::string m_soundChoice;  // zero-based, as decimal text
    std::string m_version;
    std::string m_newVersion;
    bool m_preview = false;
    bool m_runAtStart = false;
    WindowHandle m_hMainWnd = 0;
    CWebPage m_page;
    // Replaceable in tests; Create points it at the web-client site.
    VersionQuery m_queryVersion;

private:
    void OnInitDialog();
    // RefreshSettings, with or without asking the version service.
    void Refresh(bool askVersionService);
    void LoadSettingTexts();
    void LoadSoundChoice();
    void FetchNewestVersion();
    void CallInitValue();

    Ports* m_ports = nullptr;
    std::unique_ptr<IHtmlWindow> m_window;
    // Opened before its page was there: it shows when the page has loaded
    // rather than as an empty frame.
    bool m_showWhenLoaded = false;
};
