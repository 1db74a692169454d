#pragma once
// A tray host in memory. It answers add / modify / delete as a desktop shell
// does (an add of an icon it already holds fails, so do modify and delete of
// one it does not hold), records every call, and lets a test take the host
// away, bring it back, and click the icon or its menu.
#include <string>
#include <vector>

#include "platform/Tray.h"

class FakeTray : public ITray {
public:
    enum class Op { Add, Modify, Delete, Popup };
    struct Call {
        Op op;
        TrayIconData icon;                // Add and Modify
        std::vector<TrayMenuItem> items;  // Popup
        Point at;
    };

    void SetEvents(ITrayEvents* events) override { m_events = events; }
    bool Add(const TrayIconData& icon) override;
    bool Modify(const TrayIconData& icon) override;
    bool Delete() override;
    void PopupMenu(const std::vector<TrayMenuItem>& items, Point at) override;
    void SetMenu(const std::vector<TrayMenuItem>& items) override { menu = items; }

    // The host goes away and loses the icon; adds fail until Restart.
    void Stop();
    // The host is there again, without icons, and says so.
    void Restart();
    // The next `count` adds fail although a host is there.
    void FailAdds(int count = 1) { m_failAdds = count; }

    void Click(TrayClick click, Point at = {});
    std::vector<TrayMenuItem> RequestMenu();
    void ChooseCommand(unsigned commandId);

    // What the host shows now.
    bool shown = false;
    TrayIconData current;
    std::vector<TrayMenuItem> menu;  // as a host that draws it holds it
    std::vector<Call> calls;
    ITrayEvents* events() const { return m_events; }
    int Count(Op op) const;
    const Call* Last(Op op) const;

private:
    ITrayEvents* m_events = nullptr;
    bool m_running = true;
    int m_failAdds = 0;
};
