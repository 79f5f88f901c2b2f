#include "WorkerThreads.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>

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
    m_stop = true;
    // A worker may be waiting in CallUi: deliver its call, which now does nothing.
    while (m_running > 0) {
        QCoreApplication::sendPostedEvents(&m_uiContext, QEvent::MetaCall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (std::thread* thread : {&m_finishing, &m_current})
        if (thread->joinable())
            thread->join();
    m_stop = false;
}

bool CWorkerThreads::CallUi(const std::function<void()>& call) {
    bool ran = false;
    if (m_stop)
        return false;
    ++m_waiting;
    QMetaObject::invokeMethod(
        &m_uiContext,
        [&] {
            if (m_stop)
                return;
            call();
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    --m_waiting;
    return ran;
}
