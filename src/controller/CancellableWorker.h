#pragma once
// A worker thread that its owner can tell to stop and always joins, so the
// work never outlives what it reports to.
#include <atomic>
#include <functional>
#include <thread>

class CancellableWorker {
public:
    using Work = std::function<void(const std::atomic<bool>& cancelled)>;

    // Starts `work` on a thread of its own; throws std::system_error when
    // no thread can be started.
    explicit CancellableWorker(Work work);
    // Cancels and joins.
    ~CancellableWorker();
    CancellableWorker(const CancellableWorker&) = delete;
    CancellableWorker& operator=(const CancellableWorker&) = delete;

    // The work sees the flag set; it ends as soon as it notices.
    void Cancel() { m_cancelled = true; }
    bool Finished() const { return m_finished; }

private:
    std::atomic<bool> m_cancelled = false;
    std::atomic<bool> m_finished = false;
    std::thread m_thread;  // last: the thread uses the flags above
};
