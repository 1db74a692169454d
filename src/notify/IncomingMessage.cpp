// A new message while the web client is out of sight: remember its
// conversation, sound the alert and show it in the toast stack.
#include "controller/CMainDlg.h"
#include "notify/AlertSound.h"
#include "notify/MessageData.h"
#include "notify/NotifyConfig.h"

namespace {

// The messages of the upper toasts move one slot down; the lowest message
// is dropped and slot 4 is freed for the new one.
void MoveStackDown(std::array<CNotiHtmlDlg, CMainDlg::kToastCount>& toasts) {
    for (std::size_t k = 0; k + 1 < toasts.size(); ++k) {
        CNotiHtmlDlg& upper = toasts[k + 1];
        if (!upper.IsShown()) continue;
        CNotiHtmlDlg& toast = toasts[k];
        toast.m_fillOk = false;
        toast.m_fillOk = toast.FillToast(std::string(upper.m_eventData));
        if (toast.m_fillOk && !toast.m_eventData.empty()) toast.ShowToast();
    }
    toasts.back().HideWindow();
}

}  // namespace

void CMainDlg::ShowNotification(const std::string& data, int mode) {
    const MessageData message = ReadMessageData(data);
    if (message.hasSessionId) m_lastSessionId = message.sessionId;

    // While the desktop wants quiet, or a fullscreen window covers the
    // stack's monitor, the message waits in the web client and the tray image
    // alone tells of it: no toast, no sound.
    INotificationPolicy& policy = m_ports.notificationPolicy;
    if (policy.DoNotDisturb() || policy.FullscreenOver(m_ports.desktop.WorkArea())) return;

    // The stack grows upwards from its highest shown toast; gaps that
    // dismissed toasts leave below it stay empty.
    std::size_t target = 0;
    for (std::size_t k = m_toasts.size(); k-- > 0;) {
        if (!m_toasts[k].IsShown()) continue;
        if (k + 1 < m_toasts.size()) {
            target = k + 1;
        } else {
            MoveStackDown(m_toasts);
            target = k;
        }
        break;
    }

    if (NotifyAlertSoundOn())
        PlayAlertSound(m_ports.sound, m_ports.module, NotifySoundIndex(),
                       InstalledDataDirectories(m_ports.module));

    CNotiHtmlDlg& toast = m_toasts[target];
    toast.m_fillOk = false;
    if (mode == 1 || mode == 2) toast.m_fillOk = toast.FillToast(std::string(data));
    if (toast.m_fillOk && !toast.m_eventData.empty()) toast.ShowToast();
}
