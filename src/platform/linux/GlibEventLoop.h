#pragma once
// The event-loop port on the GLib main context of the UI thread.
#include <glib.h>

#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/EventLoop.h"

class GlibEventLoop : public IEventLoop {
public:
    GlibEventLoop();
    ~GlibEventLoop() override;

    WindowHandle Register(IMessageTarget* target) override;
    void Unregister(WindowHandle handle) override;
    bool Post(WindowHandle to, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    void SetTimer(WindowHandle owner, unsigned id, unsigned periodMs) override;
    void KillTimer(WindowHandle owner, unsigned id) override;
    void Run() override;
    void Quit() override;
    void Await(const std::function<void()>& work) override;

    bool OnUiThread() const { return std::this_thread::get_id() == m_uiThread; }

private:
    struct Delivery;
    struct TimerData;
    struct Waiter;
    static gboolean DeliverPosted(gpointer data);
    static gboolean DeliverSent(gpointer data);
    static gboolean FireTimer(gpointer data);
    IMessageTarget* Find(WindowHandle handle);
    bool Known(WindowHandle handle);

    std::thread::id m_uiThread;
    GMainLoop* m_loop;
    std::mutex m_mutex;  // guards m_targets and m_waiters against workers
    std::map<WindowHandle, IMessageTarget*> m_targets;
    std::vector<std::shared_ptr<Waiter>> m_waiters;  // Sends from workers not yet handled
    std::map<std::pair<WindowHandle, unsigned>, guint> m_timers;
    WindowHandle m_next = 1;
};
