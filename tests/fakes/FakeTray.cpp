#include "fakes/FakeTray.h"

bool FakeTray::Add(const TrayIconData& icon) {
    calls.push_back({Op::Add, icon, {}, {}});
    if (m_failAdds > 0) {
        --m_failAdds;
        return false;
    }
    if (!m_running || shown) return false;
    shown = true;
    current = icon;
    return true;
}

bool FakeTray::Modify(const TrayIconData& icon) {
    calls.push_back({Op::Modify, icon, {}, {}});
    if (!shown) return false;
    current = icon;
    return true;
}

bool FakeTray::Delete() {
    calls.push_back({Op::Delete, {}, {}, {}});
    if (!shown) return false;
    shown = false;
    return true;
}

void FakeTray::PopupMenu(const std::vector<TrayMenuItem>& items, Point at) {
    calls.push_back({Op::Popup, {}, items, at});
}

void FakeTray::Stop() {
    m_running = false;
    shown = false;
}

void FakeTray::Restart() {
    m_running = true;
    shown = false;
    if (m_events) m_events->OnHostRestarted();
}

void FakeTray::Click(TrayClick click, Point at) {
    if (m_events) m_events->OnTrayClick(click, at);
}

std::vector<TrayMenuItem> FakeTray::RequestMenu() {
    return m_events ? m_events->OnMenuRequest() : std::vector<TrayMenuItem>{};
}

void FakeTray::ChooseCommand(unsigned commandId) {
    if (m_events) m_events->OnMenuCommand(commandId);
}

int FakeTray::Count(Op op) const {
    int n = 0;
    for (const Call& c : calls) n += c.op == op;
    return n;
}

const FakeTray::Call* FakeTray::Last(Op op) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->op == op) return &*it;
    }
    return nullptr;
}
