#pragma once
// An event loop with virtual time: posted messages wait until the test
// pumps them, timers fire when the test advances the clock.
#include <cstdint>
#include <deque>
#include <map>
#include <utility>

#include "platform/EventLoop.h"

class FakeEventLoop : public IEventLoop {
public:
    struct Posted {
        WindowHandle to;
        unsigned msg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    WindowHandle Register(IMessageTarget* target) override;
    void Unregister(WindowHandle handle) override;
    bool Post(WindowHandle to, unsigned msg, std::uintptr_t wParam = 0,
              std::intptr_t lParam = 0) override;
    std::intptr_t Send(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    void SetTimer(WindowHandle owner, unsigned id, unsigned periodMs) override;
    void KillTimer(WindowHandle owner, unsigned id) override;
    // Delivers what is queued until Quit is called or nothing is left.
    void Run() override;
    void Quit() override { m_quit = true; }

    // Delivers every queued message, also those posted while delivering.
    void Pump();
    // Moves virtual time on, firing due timers in order and pumping
    // messages after each.
    void Advance(unsigned ms);

    bool HasTimer(WindowHandle owner, unsigned id) const;
    unsigned TimerPeriod(WindowHandle owner, unsigned id) const;
    const std::deque<Posted>& Queue() const { return m_queue; }
    bool QuitRequested() const { return m_quit; }
    std::uint64_t Now() const { return m_now; }

private:
    void DeliverOne();
    struct Timer {
        unsigned period;
        std::uint64_t due;
    };
    std::map<WindowHandle, IMessageTarget*> m_targets;
    std::map<std::pair<WindowHandle, unsigned>, Timer> m_timers;
    std::deque<Posted> m_queue;
    WindowHandle m_next = 1;
    std::uint64_t m_now = 0;
    bool m_quit = false;
};
