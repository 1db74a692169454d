#pragma once
// An event loop with virtual time: posted messages wait until the test
// pumps them, timers fire when the test advances the clock.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>
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
    // Runs the work in place, after `duringAwait` (once) when set: what the
    // user does while the UI waits for the work.
    void Await(const std::function<void()>& work) override;
    std::function<void()> duringAwait;

    // Delivers every queued message, also those posted while delivering,
    // and the messages other threads are waiting on with Send.
    void Pump();
    // Waits (in real time, bounded) until another thread sends a message.
    bool WaitForSend(int timeoutMs = 5000);
    // Pumps, and waits for other threads' messages, until `done` holds
    // (bounded in real time). Use it where a worker may already have
    // reported during an earlier pump.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Moves virtual time on, firing due timers in order and pumping
    // messages after each.
    void Advance(unsigned ms);

    bool HasTimer(WindowHandle owner, unsigned id) const;
    unsigned TimerPeriod(WindowHandle owner, unsigned id) const;
    const std::deque<Posted>& Queue() const { return m_queue; }
    bool QuitRequested() const { return m_quit; }
    std::uint64_t Now() const { return m_now; }

private:
    struct Sent {
        Posted message;
        std::promise<std::intptr_t> result;
    };
    void DeliverOne();
    bool DeliverSent();
    std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_sentMutex;
    std::condition_variable m_sentArrived;
    std::deque<Sent> m_sent;
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
