#include "settings/CSettingFrm.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "net/VersionCheck.h"
#include "notify/AlertSound.h"
#include "settings/SaveAutostart.h"

namespace {

struct PageText {
    const char* element;
    int stringId;
};
constexpr PageText kPageTexts[CSettingFrm::kTextCount] = {
    {"set_title", 169},     {"set_version", 171}, {"sound", 173},     {"sound_1", 174},
    {"sound_2", 175},       {"sound_3", 176},     {"sound_4", 177},   {"sound_5", 178},
    {"set_preview", 179},   {"set_msg", 180},     {"set_start", 181}, {"button_ok", 182},
    {"button_cancel", 183},
};

constexpr const char* kSoundSamplePrefix = "button_sound_";

// The page offers five sounds, numbered from "0".
bool IsSoundChoice(const std::string& text) {
    return text.size() == 1 && text[0] >= '0' && text[0] <= '4';
}

const char* BoolText(bool on) {
    return on ? "true" : "false";
}

}  // namespace

CSettingFrm::~CSettingFrm() {
    Destroy();
}

void CSettingFrm::Create(Ports& ports, WindowHandle mainWnd) {
    m_ports = &ports;
    m_hMainWnd = mainWnd;
    m_queryVersion = [&network = ports.network](const StringList& cookies, VersionInfo& info) {
        return QueryVersion(network, AppSettings.webClientBaseUrl, cookies, info);
    };
    HtmlWindowDescription spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel";
    m_window = ports.htmlWindows.Create(spec, this);
    if (!m_window) return;
    for (const PageText& text : kPageTexts) m_window->BindData(text.element, DataKind::InnerText);
    m_window->BindData("version", DataKind::InnerText);
    m_window->BindData("new_version", DataKind::InnerText);
    m_window->BindData("selected_sound", DataKind::InputValue);
    m_window->BindData("chk_alert_sound", DataKind::Checkbox);
    m_window->BindData("chk_preview", DataKind::Checkbox);
    m_window->BindData("chk_start", DataKind::Checkbox);
    OnInitDialog();
}

void CSettingFrm::Destroy() {
    m_window.reset();
}

void CSettingFrm::OnInitDialog() {
    LoadSettingTexts();
    m_window->Resize(kWidth, kHeight);
    m_window->Center();
    m_window->SetRoundedRegion(kCornerEllipse, kCornerEllipse);
    // The title text fills much of the bar; a press on it moves the window
    // as a press on the bar itself does.
    m_window->SetDragHandles({"head_title", "set_title"});
    // The window is hidden until it is opened, and every opening asks the
    // version service again: asking now would only hold up the start.
    Refresh(false);
}

void CSettingFrm::LoadSettingTexts() {
    for (int i = 0; i < kTextCount; ++i) m_texts[i] = LoadText(kPageTexts[i].stringId);
}

void CSettingFrm::Open() {
    if (!m_window) return;
    m_showWhenLoaded = !m_window->HasDocument();
    if (!m_showWhenLoaded) m_window->Show();
    RefreshSettings();
}

void CSettingFrm::RefreshSettings() {
    Refresh(true);
}

void CSettingFrm::Refresh(bool askVersionService) {
    m_version = kProgramVersion;
    LoadSoundChoice();
    m_preview = AppSettings.messagePreview;
    m_runAtStart = m_ports && !m_ports->autostart.ReadRunEntry().empty();
    if (m_newVersion.empty()) m_newVersion = kProgramVersion;
    DataToPage();
    CallInitValue();
    if (!askVersionService) return;
    // The page shows the stored values at once and the user may change them
    // while the service is asked: its answer touches the version line only.
    FetchNewestVersion();
    if (m_window) m_window->SetData("new_version", m_newVersion);
}

void CSettingFrm::LoadSoundChoice() {
    m_alert = AppSettings.alertSound;
    m_soundChoice = AppSettings.soundIndex;
    if (IsSoundChoice(m_soundChoice)) return;
    // The stored value is repaired at once; new messages go on using it
    // until the user saves.
    m_soundChoice = "0";
    WriteSetting("SOUND", "sound", m_soundChoice);
}

void CSettingFrm::FetchNewestVersion() {
    VersionInfo info;
    // The window is already on screen: it keeps being drawn and answering
    // the user while the service is asked.
    if (m_queryVersion && m_ports)
        m_ports->loop.Await([&] { m_queryVersion(StringList{}, info); });
    else if (m_queryVersion)
        m_queryVersion(StringList{}, info);
    m_newVersion = info.newversion.empty() ? std::string(kProgramVersion) : info.newversion;
}

void CSettingFrm::DataToPage() {
    if (!m_window) return;
    for (int i = 0; i < kTextCount; ++i) m_window->SetData(kPageTexts[i].element, m_texts[i]);
    m_window->SetData("version", m_version);
    m_window->SetData("new_version", m_newVersion);
    m_window->SetData("selected_sound", m_soundChoice);
    m_window->SetData("chk_alert_sound", m_alert ? "1" : "0");
    m_window->SetData("chk_preview", m_preview ? "1" : "0");
    m_window->SetData("chk_start", m_runAtStart ? "1" : "0");
    CallInitValue();
}

void CSettingFrm::DataFromPage() {
    if (!m_window) return;
    for (int i = 0; i < kTextCount; ++i) m_texts[i] = m_window->GetData(kPageTexts[i].element);
    m_version = m_window->GetData("version");
    m_newVersion = m_window->GetData("new_version");
    m_soundChoice = m_window->GetData("selected_sound");
    m_alert = m_window->GetData("chk_alert_sound") == "1";
    m_preview = m_window->GetData("chk_preview") == "1";
    m_runAtStart = m_window->GetData("chk_start") == "1";
    CallInitValue();
}

void CSettingFrm::CallInitValue() {
    if (m_window && m_window->HasDocument() && m_page.BindDocument(m_window.get()))
        m_page.InvokeScript("initValue");
}

void CSettingFrm::OnClickSave() {
    DataFromPage();
    WriteSetting("SOUND", "alert", BoolText(m_alert));
    AppSettings.alertSound = m_alert;
    WriteSetting("SOUND", "sound", m_soundChoice);
    AppSettings.soundIndex = m_soundChoice;
    WriteSetting("PREVIEW", "preview", BoolText(m_preview));
    AppSettings.messagePreview = m_preview;
    if (m_ports) SaveAutostart(m_ports->autostart, m_ports->module, m_runAtStart);
    if (m_window) m_window->Hide();
}

void CSettingFrm::OnClickCancel() {
    if (m_window) m_window->Hide();
}

void CSettingFrm::OnClickAlertSound() {
    DataFromPage();
}

void CSettingFrm::OnClickSoundSample(const std::string& elementId) {
    DataFromPage();
    if (!m_alert || !m_ports || elementId.empty()) return;
    const char last = elementId.back();
    if (last < '0' || last > '9') return;
    // The button's number is the sound's zero-based index, as stored.
    PlayAlertSound(m_ports->sound, m_ports->module, std::string(1, last),
                   InstalledDataDirectories(m_ports->module));
}

void CSettingFrm::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (!topLevel) return;
    // Values loaded before the page was there reach it now.
    DataToPage();
    if (m_showWhenLoaded) {
        m_showWhenLoaded = false;
        m_window->Show();
    }
}

void CSettingFrm::OnPageLost(bool) {
    // Until the page has reported its values once there is nothing to keep.
    if (!m_window || m_window->GetData("version").empty()) return;
    m_soundChoice = m_window->GetData("selected_sound");
    m_alert = m_window->GetData("chk_alert_sound") == "1";
    m_preview = m_window->GetData("chk_preview") == "1";
    m_runAtStart = m_window->GetData("chk_start") == "1";
}

void CSettingFrm::OnElementEvent(const std::string& id, ElementEvent event) {
    if (event != ElementEvent::Click) return;
    if (id == "button_ok") {
        OnClickSave();
    } else if (id == "button_cancel" || id == "set_close") {
        OnClickCancel();
    } else if (id == "chk_alert_sound") {
        OnClickAlertSound();
    } else if (id.size() == std::char_traits<char>::length(kSoundSamplePrefix) + 1 &&
               id.rfind(kSoundSamplePrefix, 0) == 0 && id.back() >= '0' && id.back() <= '5') {
        OnClickSoundSample(id);
    }
}

void CSettingFrm::OnCloseRequest() {
    OnClickCancel();
}
