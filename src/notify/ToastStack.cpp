#include "notify/ToastStack.h"

#include <algorithm>

#include "notify/AlertSound.h"
#include "notify/MessageData.h"
#include "notify/NotifyConfig.h"

void ToastStack::Make() {
    if (m_made) return;
    m_made = true;
    // The slots stand in a column at the bottom right of the work area, 0
    // lowest, 5 pixels apart and 10 from the edges. Their places are fixed
    // for the life of the program; the toasts start in slots of their index.
    const Rect work = m_ports.desktop.WorkArea();
    m_slots = InOrder();
    for (std::size_t k = 0; k < m_toasts.size(); ++k) {
        CNotiHtmlDlg& toast = m_toasts[k];
        toast.Create(m_ports.htmlWindows, m_ports.loop, m_ports.clock, m_owner);
        m_places[k] = {work.right - 238, work.bottom - 71 * static_cast<int>(k + 1) - 5};
        toast.PlaceAt(m_places[k].x, m_places[k].y);
    }
}

void ToastStack::Destroy() {
    for (CNotiHtmlDlg& toast : m_toasts) toast.Destroy();
    m_made = false;
}

// The messages of the upper toasts move one slot down; the lowest message
// is dropped and slot 4 takes the new one. Slot 4 is not hidden here: a
// window unmapped and mapped again at once can stay unmapped under some
// window managers, so Show hides it only when the new message shows nothing.
//
// With every slot shown, as through a burst, the messages move with their
// windows: each window goes one slot down, and the lowest one goes to the
// top for the new message. Only that one's page is filled again, instead of
// all five for every message. With a gap, a slot below it keeps its message,
// so the messages move from window to window.
void ToastStack::MoveDown() {
    const bool full = std::all_of(m_toasts.begin(), m_toasts.end(),
                                  [](const CNotiHtmlDlg& toast) { return toast.IsShown(); });
    if (full) {
        std::rotate(m_slots.begin(), m_slots.begin() + 1, m_slots.end());
        for (std::size_t k = 0; k < m_slots.size(); ++k)
            (*this)[k].SetSlot(m_places[k].x, m_places[k].y);
    }
    for (std::size_t k = 0; k + 1 < m_toasts.size(); ++k) {
        const CNotiHtmlDlg& from = full ? (*this)[k] : (*this)[k + 1];
        if (!from.IsShown()) continue;
        CNotiHtmlDlg& toast = (*this)[k];
        // Filled again all the same: the time shown is that of the move, and
        // a fill that would show what the page shows already is not sent.
        toast.m_fillOk = false;
        toast.m_fillOk = toast.FillToast(std::string(from.m_eventData));
        if (toast.m_fillOk && !toast.m_eventData.empty()) toast.ShowToast();
    }
}

void ToastStack::Show(const std::string& data, int mode) {
    Make();
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
    bool movedDown = false;
    for (std::size_t k = m_toasts.size(); k-- > 0;) {
        if (!(*this)[k].IsShown()) continue;
        if (k + 1 < m_toasts.size()) {
            target = k + 1;
        } else {
            MoveDown();
            movedDown = true;
            target = k;
        }
        break;
    }

    if (NotifyAlertSoundOn())
        PlayAlertSound(m_ports.sound, m_ports.module, NotifySoundIndex(),
                       InstalledDataDirectories(m_ports.module));

    CNotiHtmlDlg& toast = (*this)[target];
    toast.m_fillOk = false;
    if (mode == 1 || mode == 2) toast.m_fillOk = toast.FillToast(std::string(data));
    if (toast.m_fillOk && !toast.m_eventData.empty())
        toast.ShowToast();
    else if (movedDown)
        toast.HideWindow();  // the dropped message is not left on show
}
