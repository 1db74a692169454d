#pragma once
// The one notification-area icon of the program. It registers, changes and
// removes the icon through the tray port, keeps the record the icon was last
// given so a restarted tray host gets it back, and passes the icon's clicks
// and menu requests on to the object that installed it (the controller).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Tray.h"

class CSystemTray : private ITrayEvents {
public:
    // canHide: the tray host knows a hidden icon state, so revealing an icon
    // is a modify rather than a fresh add.
    explicit CSystemTray(ITray& tray, bool canHide = true);
    ~CSystemTray() override;
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Registers the icon with the tooltip (cut to 127 characters) and image;
    // parent receives its clicks and menu requests. True when the host took it.
    bool Install(ITrayEvents* parent, const std::string& tooltip, int iconId);
    bool AddToTray();
    bool RemoveFromTray();
    bool RevealIcon();
    bool ChangeIcon(int iconId);

    // The tray host restarted and lost every icon.
    std::intptr_t OnTaskbarCreated();
    // A system setting changed; flag as the system names it.
    void OnSettingChange(unsigned flag);

    bool IsEnabled() const { return m_enabled; }
    bool IsHidden() const { return m_hidden; }
    bool IsRemoved() const { return m_removed; }
    bool IsAddPending() const { return m_addPending; }
    const TrayIconData& IconData() const { return m_iconData; }

    // The images of the icon.
    static constexpr int kIconSignedIn = ICON_SIGNED_IN;
    static constexpr int kIconNewMessage = ICON_NEW_MESSAGE;
    static constexpr int kIconSignedOut = ICON_SIGNED_OUT;

    static constexpr std::size_t kMaxTipChars = 127;
    static constexpr unsigned kSettingWorkArea = 47;
    // Message, image and tooltip: what an installed icon always carries.
    static constexpr unsigned kCreationFlags = 7;

private:
    // ITrayEvents, as the host delivers them.
    void OnTrayClick(TrayClick click, Point at) override;
    std::vector<TrayMenuItem> OnMenuRequest() override;
    void OnMenuCommand(unsigned commandId) override;
    void OnHostRestarted() override;

    // Adds the icon again after the host may have lost it; sets the flags
    // from the answer.
    void ReAdd();

    ITray& m_tray;
    ITrayEvents* m_parent = nullptr;
    bool m_listening = false;

    TrayIconData m_iconData;
    bool m_enabled = false;
    bool m_hidden = true;
    bool m_removed = true;
    bool m_addPending = false;
    bool m_canHide;
    unsigned m_creationFlags = 0;
};

// The first maxChars characters of a UTF-8 text, never splitting one.
std::string TruncateUtf8(const std::string& text, std::size_t maxChars);
