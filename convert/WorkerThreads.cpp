#include "WorkerThreads.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>

namespace {

const QEvent::Type kCallsWaiting = QEvent::Type(QEvent::User + 1);

} // namespace

CWorkerThreads::CWorkerThreads() : m_uiContext(this) {}

CWorkerThreads::~CWorkerThreads() {
    Stop();
}

void CWorkerThreads::Start(std::function<void()> body) {
    // The one before the current worker has made its last UI call long ago.
    if (m_finishing.joinable())
        m_finishing.join();
    m_finishing = std::move(m_current);
    ++m_running;
    m_current = std::thread([this, body = std::move(body)] {
        body();
        --m_running;
    });
}

void CWorkerThreads::Stop() {
    // A worker inside a long library call (the flush) is cut short here.
    m_stopSource.request_stop();
    // A worker may be waiting in CallUi: finish its call, which now does nothing.
    while (m_running > 0) {
        RunPendingCalls();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (std::thread* thread : {&m_finishing, &m_current})
        if (thread->joinable())
            thread->join();
    m_stopSource = std::stop_source();
}

bool CWorkerThreads::IsWaitingOnUi() const {
    std::lock_guard lock(m_mutex);
    return !m_pending.empty();
}

bool CWorkerThreads::CallUi(const std::function<void()>& call) {
    Pending pending{&call};
    std::unique_lock lock(m_mutex);
    if (m_stopSource.stop_requested())
        return false;
    m_pending.push_back(&pending);
    QCoreApplication::postEvent(&m_uiContext, new QEvent(kCallsWaiting));
    m_finished.wait(lock, [&] { return pending.finished; });
    return pending.ran;
}

void CWorkerThreads::RunPendingCalls() {
    std::unique_lock lock(m_mutex);
    while (!m_pending.empty()) {
        Pending* pending = m_pending.front();
        m_pending.pop_front();
        if (!m_stopSource.stop_requested()) {
            lock.unlock();
            (*pending->call)();
            lock.lock();
            pending->ran = true;
        }
        pending->finished = true;
        m_finished.notify_all();
    }
}

bool CWorkerThreads::UiContext::event(QEvent* event) {
    if (event->type() != kCallsWaiting)
        return QObject::event(event);
    m_pOwner->RunPendingCalls();
    return true;
}
