#include "platform/linux/GlibEventLoop.h"

#include <condition_variable>

struct GlibEventLoop::Delivery {
    GlibEventLoop* loop;
    WindowHandle to;
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    // Only for Send from a worker.
    std::mutex* mutex = nullptr;
    std::condition_variable* done = nullptr;
    bool* finished = nullptr;
    std::intptr_t* result = nullptr;
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
    auto* d = new Delivery{this, to, msg, wParam, lParam};
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, DeliverPosted, d, nullptr);
    g_source_attach(source, nullptr);
    g_source_unref(source);
    return true;
}

gboolean GlibEventLoop::DeliverSent(gpointer data) {
    auto* d = static_cast<Delivery*>(data);
    std::intptr_t result = 0;
    if (IMessageTarget* target = d->loop->Find(d->to))
        result = target->OnMessage(d->msg, d->wParam, d->lParam);
    {
        std::lock_guard lock(*d->mutex);
        *d->result = result;
        *d->finished = true;
    }
    d->done->notify_one();
    return G_SOURCE_REMOVE;
}

std::intptr_t GlibEventLoop::Send(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    if (OnUiThread()) {
        IMessageTarget* target = Find(to);
        return target ? target->OnMessage(msg, wParam, lParam) : 0;
    }
    if (!Known(to)) return 0;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::intptr_t result = 0;
    auto* d = new Delivery{this, to, msg, wParam, lParam, &mutex, &done, &finished, &result};
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_HIGH);
    g_source_set_callback(source, DeliverSent, d,
                          [](gpointer p) { delete static_cast<Delivery*>(p); });
    g_source_attach(source, nullptr);
    g_source_unref(source);
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
    return result;
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
