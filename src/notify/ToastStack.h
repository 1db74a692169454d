#pragma once
// The column of toasts at the bottom right of the work area: their slots,
// where a new message goes and how the stack moves down, and its sound.
#include <array>
#include <cstddef>
#include <string>

#include "notify/CNotiHtmlDlg.h"
#include "platform/Ports.h"

class ToastStack {
public:
    static constexpr int kCount = 5;

    explicit ToastStack(Ports& ports) : m_ports(ports) {}

    // The toasts will post their clicks and closings to `owner`. Their
    // windows are made by Make, when a sign-in starts or at the first
    // message, whichever comes first: a user at the login form needs none.
    void Create(WindowHandle owner) { m_owner = owner; }
    // Makes the toasts hidden, in their fixed places; once.
    void Make();
    void Destroy();

    // A new message while the web client is out of sight: its conversation
    // is remembered, the alert sounds and the message shows in the stack.
    // `mode` 1 or 2 fills the toast; another mode only sounds.
    void Show(const std::string& data, int mode);

    // The conversation of the last message that named one.
    const std::string& LastSessionId() const { return m_lastSessionId; }
    void SetLastSessionId(const std::string& id) { m_lastSessionId = id; }

    // The toast in slot k, 0 lowest.
    CNotiHtmlDlg& operator[](std::size_t k) { return m_toasts[m_slots[k]]; }
    const CNotiHtmlDlg& operator[](std::size_t k) const { return m_toasts[m_slots[k]]; }
    auto begin() { return m_toasts.begin(); }
    auto end() { return m_toasts.end(); }
    auto begin() const { return m_toasts.begin(); }
    auto end() const { return m_toasts.end(); }

private:
    void MoveDown();

    Ports& m_ports;
    WindowHandle m_owner = 0;
    bool m_made = false;
    std::array<CNotiHtmlDlg, kCount> m_toasts;
    // Which toast stands in each slot, and where each slot is. Each toast
    // starts in the slot of its index.
    static constexpr std::array<std::size_t, kCount> InOrder() {
        std::array<std::size_t, kCount> slots{};
        for (std::size_t k = 0; k < slots.size(); ++k) slots[k] = k;
        return slots;
    }
    std::array<std::size_t, kCount> m_slots = InOrder();
    std::array<Point, kCount> m_places{};
    std::string m_lastSessionId;
};
