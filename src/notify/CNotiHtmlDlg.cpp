#include "notify/CNotiHtmlDlg.h"

#include <algorithm>
#include <array>

#include "notify/NotifyConfig.h"
#include "platform/Messages.h"

namespace {
// A press on any of these opens the conversation; the close button is
// deliberately not among them.
constexpr std::array<const char*, 9> kOpenIds = {"CNotiHtmlDlg",  "toastMsgBox", "head",
                                                 "sender_msgbox", "sender",      "send_msg",
                                                 "send_time",     "sender_body", "send_msg_body"};
}  // namespace

CNotiHtmlDlg::~CNotiHtmlDlg() {
    Destroy();
}

void CNotiHtmlDlg::Create(IHtmlWindowFactory& factory, IEventLoop& loop, IClock& clock,
                          WindowHandle mainWnd) {
    m_loop = &loop;
    m_clock = &clock;
    m_hWnd = loop.Register(this);
    m_left = 0;
    m_top = 0;
    m_closeLabel = NotifyText(196);
    m_fillOk = false;
    m_filled.clear();
    m_hMainWnd = mainWnd;
    HtmlWindowDescription spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel";
    spec.taskbar = false;
    spec.notification = true;
    spec.topmost = true;
    m_window = factory.Create(spec, this);
}

void CNotiHtmlDlg::Destroy() {
    m_page.ForgetWindow(m_window.get());
    m_window.reset();
    if (m_loop && m_hWnd) m_loop->Unregister(m_hWnd);
    m_hWnd = 0;
}

void CNotiHtmlDlg::PlaceAt(int left, int top) {
    SetSlot(left, top);
    HideWindow();
}

void CNotiHtmlDlg::SetSlot(int left, int top) {
    m_left = left;
    m_top = top;
    PutAtSlot();
}

void CNotiHtmlDlg::PutAtSlot() {
    if (!m_window) return;
    m_window->SetTopmost(true);
    m_window->Move(m_left, m_top);
    m_window->Resize(kWidth, kHeight);
}

void CNotiHtmlDlg::ShowToast() {
    if (m_loop) {
        m_loop->KillTimer(m_hWnd, TIMER_TOAST);
        m_loop->SetTimer(m_hWnd, TIMER_TOAST, m_showPeriodMs);
    }
    PutAtSlot();
    if (m_window) m_window->Show();
}

void CNotiHtmlDlg::HideWindow() {
    if (m_window) m_window->Hide();
}

bool CNotiHtmlDlg::IsShown() const {
    return m_window && m_window->IsVisible();
}

void CNotiHtmlDlg::Withdraw() {
    m_eventData.clear();
    HideWindow();
}

void CNotiHtmlDlg::Dismiss(bool open) {
    if (m_loop) {
        // The controller brings the web client forward before it puts the
        // tray image back.
        if (open) m_loop->Post(m_hMainWnd, UWM_TOAST_OPEN);
        m_loop->Post(m_hMainWnd, UWM_TOAST_CLOSED);
        m_loop->KillTimer(m_hWnd, TIMER_TOAST);
    }
    Withdraw();
}

void CNotiHtmlDlg::OnElementEvent(const std::string& id, ElementEvent event) {
    if (event == ElementEvent::Click && id == "div_close") {
        Dismiss(false);
    } else if (event == ElementEvent::MouseDown &&
               std::find(kOpenIds.begin(), kOpenIds.end(), id) != kOpenIds.end()) {
        Dismiss(true);
    }
}

void CNotiHtmlDlg::OnCloseRequest() {
    Withdraw();
}

void CNotiHtmlDlg::OnDocumentComplete(const std::string&, bool topLevel) {
    if (topLevel) m_page.OnDocumentLoaded(m_window.get());
}

void CNotiHtmlDlg::OnPageLost(bool) {
    if (m_loop) m_loop->KillTimer(m_hWnd, TIMER_TOAST);
    Withdraw();
}

std::intptr_t CNotiHtmlDlg::OnMessage(unsigned msg, std::uintptr_t, std::intptr_t) {
    if (msg == WM_CLOSE) Withdraw();
    return 0;
}

void CNotiHtmlDlg::OnTimer(unsigned id) {
    if (id != TIMER_TOAST) return;
    // A toast that runs out posts nothing: the tray keeps its new-message
    // image until the user looks.
    if (m_loop) m_loop->KillTimer(m_hWnd, TIMER_TOAST);
    Withdraw();
}
