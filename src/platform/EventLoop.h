#pragma once
// The message loop of the UI thread: numbered messages posted or sent to a
// registered target, timers per (target, id), and the run/quit of the loop.
#include <cstdint>
#include <functional>

#include "platform/Types.h"

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // UI thread. Returns the message's result (0 for most).
    virtual std::intptr_t OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // UI thread. A timer started with SetTimer for this target fired.
    virtual void OnTimer(unsigned id) {}
};

class IEventLoop {
public:
    virtual ~IEventLoop() = default;

    // UI thread. The handle stays valid until Unregister; messages to an
    // unregistered handle are dropped, its timers killed, and a Send from
    // another thread that is still waiting for it returns 0.
    virtual WindowHandle Register(IMessageTarget* target) = 0;
    virtual void Unregister(WindowHandle handle) = 0;

    // Any thread. Queues the message; false when the handle is unknown.
    virtual bool Post(WindowHandle to, unsigned msg, std::uintptr_t wParam = 0,
                      std::intptr_t lParam = 0) = 0;
    // Any thread. On the UI thread the target is called at once; from another
    // thread the caller blocks until the UI thread has handled the message.
    // Returns the target's result, 0 when the handle is unknown.
    virtual std::intptr_t Send(WindowHandle to, unsigned msg, std::uintptr_t wParam = 0,
                               std::intptr_t lParam = 0) = 0;

    // UI thread. Starting a running timer restarts it with the new period.
    virtual void SetTimer(WindowHandle owner, unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(WindowHandle owner, unsigned id) = 0;

    // UI thread. Run dispatches until Quit is called.
    virtual void Run() = 0;
    virtual void Quit() = 0;

    // UI thread. Runs `work` and returns when it is done. A loop that can
    // runs it on another thread and goes on dispatching meanwhile, so that
    // windows, timers and the bus are served while the UI thread waits;
    // anything may then happen before Await returns. This one runs it in
    // place.
    virtual void Await(const std::function<void()>& work) { work(); }
};
