#include "platform/linux/GlibEventLoop.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <system_error>

// A worker's Send, shared by the worker and the queued delivery, so that
// either may finish it: the UI thread once handled, Unregister when the
// target goes before the message was handled.
struct GlibEventLoop::Waiter {
    WindowHandle to;
    std::condition_variable done;
    bool started = false;
    bool finished = false;
    std::intptr_t result = 0;
};

struct GlibEventLoop::Delivery {
    GlibEventLoop* loop;
    WindowHandle to;
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::shared_ptr<Waiter> waiter;  // only for Send from a worker
};

struct GlibEventLoop::TimerData {
    GlibEventLoop* loop;
    WindowHandle owner;
    unsigned id;
};

GlibEventLoop::GlibEventLoop()
    : m_uiThread(std::this_thread::get_id()), m_loop(g_main_loop_new(nullptr, FALSE)) {}

GlibEventLoop::~GlibEventLoop() {
    for (auto& [key, source] : m_timers) g_source_remove(source);
    g_main_loop_unref(m_loop);
}

WindowHandle GlibEventLoop::Register(IMessageTarget* target) {
    std::lock_guard lock(m_mutex);
    WindowHandle handle = m_next++;
    m_targets[handle] = target;
    return handle;
}

void GlibEventLoop::Unregister(WindowHandle handle) {
    {
        std::lock_guard lock(m_mutex);
        m_targets.erase(handle);
        // A worker waiting for a message that will never be handled would
        // otherwise wait for ever, and whoever joins it with it.
        std::erase_if(m_waiters, [handle](const std::shared_ptr<Waiter>& w) {
            if (w->to != handle || w->started) return false;
            w->finished = true;
            w->done.notify_all();
            return true;
        });
    }
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->first.first == handle) {
            g_source_remove(it->second);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

IMessageTarget* GlibEventLoop::Find(WindowHandle handle) {
    std::lock_guard lock(m_mutex);
    auto it = m_targets.find(handle);
    return it == m_targets.end() ? nullptr : it->second;
}

bool GlibEventLoop::Known(WindowHandle handle) {
    return Find(handle) != nullptr;
}

gboolean GlibEventLoop::DeliverPosted(gpointer data) {
    auto* d = static_cast<Delivery*>(data);
    if (IMessageTarget* target = d->loop->Find(d->to))
        target->OnMessage(d->msg, d->wParam, d->lParam);
    delete d;
    return G_SOURCE_REMOVE;
}

bool GlibEventLoop::Post(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    if (!Known(to)) return false;
    // Always queued, also on the UI thread: a posted message never runs
    // inside its sender.
    auto* d = new Delivery{this, to, msg, wParam, lParam, nullptr};
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, DeliverPosted, d, nullptr);
    g_source_attach(source, nullptr);
    g_source_unref(source);
    return true;
}

gboolean GlibEventLoop::DeliverSent(gpointer data) {
    auto* d = static_cast<Delivery*>(data);
    GlibEventLoop* self = d->loop;
    Waiter& waiter = *d->waiter;
    IMessageTarget* target = nullptr;
    {
        std::lock_guard lock(self->m_mutex);
        if (waiter.finished) return G_SOURCE_REMOVE;
        waiter.started = true;
        auto it = self->m_targets.find(d->to);
        if (it != self->m_targets.end()) target = it->second;
    }
    const std::intptr_t result = target ? target->OnMessage(d->msg, d->wParam, d->lParam) : 0;
    std::lock_guard lock(self->m_mutex);
    waiter.result = result;
    waiter.finished = true;
    std::erase(self->m_waiters, d->waiter);
    waiter.done.notify_all();
    return G_SOURCE_REMOVE;
}

std::intptr_t GlibEventLoop::Send(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    if (OnUiThread()) {
        IMessageTarget* target = Find(to);
        return target ? target->OnMessage(msg, wParam, lParam) : 0;
    }
    auto waiter = std::make_shared<Waiter>();
    waiter->to = to;
    {
        std::lock_guard lock(m_mutex);
        if (!m_targets.contains(to)) return 0;
        m_waiters.push_back(waiter);
    }
    auto* d = new Delivery{this, to, msg, wParam, lParam, waiter};
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_HIGH);
    g_source_set_callback(source, DeliverSent, d,
                          [](gpointer p) { delete static_cast<Delivery*>(p); });
    g_source_attach(source, nullptr);
    g_source_unref(source);
    std::unique_lock lock(m_mutex);
    waiter->done.wait(lock, [&] { return waiter->finished; });
    return waiter->result;
}

gboolean GlibEventLoop::FireTimer(gpointer data) {
    auto* t = static_cast<TimerData*>(data);
    if (IMessageTarget* target = t->loop->Find(t->owner)) target->OnTimer(t->id);
    return G_SOURCE_CONTINUE;
}

void GlibEventLoop::SetTimer(WindowHandle owner, unsigned id, unsigned periodMs) {
    KillTimer(owner, id);
    auto* t = new TimerData{this, owner, id};
    guint source = g_timeout_add_full(G_PRIORITY_DEFAULT, periodMs, FireTimer, t,
                                      [](gpointer p) { delete static_cast<TimerData*>(p); });
    m_timers[{owner, id}] = source;
}

void GlibEventLoop::KillTimer(WindowHandle owner, unsigned id) {
    auto it = m_timers.find({owner, id});
    if (it == m_timers.end()) return;
    g_source_remove(it->second);
    m_timers.erase(it);
}

void GlibEventLoop::Run() {
    g_main_loop_run(m_loop);
}

void GlibEventLoop::Quit() {
    g_main_loop_quit(m_loop);
}

void GlibEventLoop::Await(const std::function<void()>& work) {
    std::atomic<bool> done = false;
    std::exception_ptr failure;
    GMainContext* context = g_main_context_default();
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            done = true;
            g_main_context_wakeup(context);
        });
    } catch (const std::system_error&) {
        work();
        return;
    }
    // A wake-up sent between the test and the wait is kept by the context,
    // so the iteration cannot sleep through the end of the work.
    while (!done) g_main_context_iteration(context, TRUE);
    worker.join();
    if (failure) std::rethrow_exception(failure);
}
