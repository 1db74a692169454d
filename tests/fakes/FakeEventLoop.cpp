#include "fakes/FakeEventLoop.h"

#include <chrono>
#include <utility>

WindowHandle FakeEventLoop::Register(IMessageTarget* target) {
    std::lock_guard lock(m_sentMutex);
    WindowHandle handle = m_next++;
    m_targets[handle] = target;
    return handle;
}

void FakeEventLoop::Unregister(WindowHandle handle) {
    {
        std::lock_guard lock(m_sentMutex);
        m_targets.erase(handle);
        std::erase_if(m_sent, [handle](Sent& s) {
            if (s.message.to != handle) return false;
            s.result.set_value(0);
            return true;
        });
    }
    std::erase_if(m_timers, [&](const auto& t) { return t.first.first == handle; });
}

bool FakeEventLoop::Post(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    if (!m_targets.contains(to)) return false;
    m_queue.push_back({to, msg, wParam, lParam});
    return true;
}

std::intptr_t FakeEventLoop::Send(WindowHandle to, unsigned msg, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    if (std::this_thread::get_id() != m_owner) {
        std::future<std::intptr_t> result;
        {
            std::lock_guard lock(m_sentMutex);
            if (!m_targets.contains(to)) return 0;
            m_sent.push_back({{to, msg, wParam, lParam}, {}});
            result = m_sent.back().result.get_future();
        }
        m_sentArrived.notify_all();
        return result.get();
    }
    auto it = m_targets.find(to);
    return it == m_targets.end() ? 0 : it->second->OnMessage(msg, wParam, lParam);
}

void FakeEventLoop::SetTimer(WindowHandle owner, unsigned id, unsigned periodMs) {
    m_timers[{owner, id}] = {periodMs, m_now + periodMs};
}

void FakeEventLoop::KillTimer(WindowHandle owner, unsigned id) {
    m_timers.erase({owner, id});
}

void FakeEventLoop::DeliverOne() {
    Posted p = m_queue.front();
    m_queue.pop_front();
    if (auto it = m_targets.find(p.to); it != m_targets.end())
        it->second->OnMessage(p.msg, p.wParam, p.lParam);
}

void FakeEventLoop::Run() {
    m_quit = false;
    while (!m_quit && !m_queue.empty()) DeliverOne();
}

bool FakeEventLoop::DeliverSent() {
    Sent sent;
    {
        std::lock_guard lock(m_sentMutex);
        if (m_sent.empty()) return false;
        sent = std::move(m_sent.front());
        m_sent.pop_front();
    }
    const Posted& p = sent.message;
    sent.result.set_value(Send(p.to, p.msg, p.wParam, p.lParam));
    return true;
}

void FakeEventLoop::Pump() {
    for (;;) {
        if (DeliverSent()) continue;
        if (m_queue.empty()) return;
        DeliverOne();
    }
}

bool FakeEventLoop::WaitForSend(int timeoutMs) {
    std::unique_lock lock(m_sentMutex);
    return m_sentArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return !m_sent.empty(); });
}

bool FakeEventLoop::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Pump();
        if (done()) return true;
        std::unique_lock lock(m_sentMutex);
        if (!m_sentArrived.wait_until(lock, end, [&] { return !m_sent.empty(); })) return done();
    }
}

void FakeEventLoop::Advance(unsigned ms) {
    const std::uint64_t end = m_now + ms;
    for (;;) {
        Pump();
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
            if (it->second.due <= end &&
                (next == m_timers.end() || it->second.due < next->second.due))
                next = it;
        if (next == m_timers.end()) break;
        m_now = next->second.due;
        next->second.due += next->second.period;
        const auto [owner, id] = next->first;
        if (auto t = m_targets.find(owner); t != m_targets.end()) t->second->OnTimer(id);
    }
    m_now = end;
    Pump();
}

bool FakeEventLoop::HasTimer(WindowHandle owner, unsigned id) const {
    return m_timers.contains({owner, id});
}

unsigned FakeEventLoop::TimerPeriod(WindowHandle owner, unsigned id) const {
    auto it = m_timers.find({owner, id});
    return it == m_timers.end() ? 0 : it->second.period;
}

void FakeEventLoop::Await(const std::function<void()>& work) {
    if (duringAwait) std::exchange(duringAwait, nullptr)();
    work();
}
