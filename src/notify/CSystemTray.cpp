#include "notify/CSystemTray.h"

std::string TruncateUtf8(const std::string& text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Continuation bytes belong to the character before them.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == maxChars) return text.substr(0, i);
        ++chars;
    }
    return text;
}

CSystemTray::CSystemTray(ITray& tray, bool canHide) : m_tray(tray), m_canHide(canHide) {}

CSystemTray::~CSystemTray() {
    if (m_enabled && !m_removed) m_tray.Delete();
    if (m_listening) m_tray.SetEvents(nullptr);
}

bool CSystemTray::Install(ITrayEvents* parent, const std::string& tooltip, int iconId) {
    m_enabled = true;
    if (!m_listening) {
        m_tray.SetEvents(this);
        m_listening = true;
    }
    m_parent = parent;
    m_iconData.iconId = iconId;
    m_iconData.tooltip = TruncateUtf8(tooltip, kMaxTipChars);
    m_iconData.hidden = false;
    m_hidden = false;
    m_creationFlags = kCreationFlags;

    const bool added = m_tray.Add(m_iconData);
    m_removed = m_hidden = m_addPending = !added;
    return added;
}

bool CSystemTray::RemoveFromTray() {
    m_addPending = false;
    if (!m_enabled || m_removed) return true;
    if (m_tray.Delete()) m_hidden = m_removed = true;
    return m_removed;
}

bool CSystemTray::AddToTray() {
    if (!m_removed) RemoveFromTray();
    if (m_enabled) {
        if (m_tray.Add(m_iconData)) {
            m_hidden = m_removed = false;
        } else {
            m_addPending = true;
        }
    }
    return !m_removed;
}

bool CSystemTray::RevealIcon() {
    if (m_removed) return AddToTray();
    if (!m_hidden) return true;
    if (m_canHide) {
        m_iconData.hidden = false;
        m_tray.Modify(m_iconData);
        m_hidden = false;
        return true;
    }
    AddToTray();
    return !m_hidden;
}

bool CSystemTray::ChangeIcon(int iconId) {
    if (!m_enabled) return false;
    m_iconData.iconId = iconId;
    // A hidden icon shows the new image when it is next added.
    if (m_hidden) return true;
    return m_tray.Modify(m_iconData);
}

void CSystemTray::ReAdd() {
    const bool added = m_tray.Add(m_iconData);
    m_hidden = m_addPending = m_removed = !added;
}

std::intptr_t CSystemTray::OnTaskbarCreated() {
    if (!m_enabled) return 0;
    // The host lost every icon. Add ours again if it was shown, and also if
    // an earlier add failed: that is how an icon installed before any tray
    // host ran gets shown once one starts.
    if (!m_hidden || m_addPending) {
        ReAdd();
    }
    return 0;
}

void CSystemTray::OnSettingChange(unsigned flag) {
    if (!m_enabled || flag != kSettingWorkArea) return;
    m_addPending = !m_hidden;
    if (!m_addPending) return;
    // A host that still holds the icon refuses the add; the icon is then
    // still there and must not be taken for hidden.
    if (m_tray.Add(m_iconData)) {
        m_hidden = m_addPending = m_removed = false;
    } else if (m_removed) {
        m_hidden = true;
    } else {
        m_addPending = false;
    }
}

void CSystemTray::OnTrayClick(TrayClick click, Point at) {
    if (m_parent) m_parent->OnTrayClick(click, at);
}

std::vector<TrayMenuItem> CSystemTray::OnMenuRequest() {
    return m_parent ? m_parent->OnMenuRequest() : std::vector<TrayMenuItem>{};
}

void CSystemTray::OnMenuCommand(unsigned commandId) {
    if (m_parent) m_parent->OnMenuCommand(commandId);
}

void CSystemTray::OnHostRestarted() {
    OnTaskbarCreated();
    if (m_parent) m_parent->OnHostRestarted();
}
