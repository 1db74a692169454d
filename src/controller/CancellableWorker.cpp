#include "controller/CancellableWorker.h"

CancellableWorker::CancellableWorker(Work work)
    : m_thread([this, work = std::move(work)] {
          work(m_cancelled);
          m_finished = true;
      }) {}

CancellableWorker::~CancellableWorker() {
    Cancel();
    m_thread.join();
}
