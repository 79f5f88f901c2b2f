// The conversion's worker threads, owned by the main window. A worker reaches
// the UI only through CallUi, which waits while the UI thread runs the call.
// Stop refuses further calls and carries out the waiting ones as no-ops, so a
// UI thread that waits for its workers never waits on a worker waiting on it.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

class CWorkerThreads {
public:
    CWorkerThreads() = default; // on the UI thread
    ~CWorkerThreads();          // stops the workers
    CWorkerThreads(const CWorkerThreads&) = delete;
    CWorkerThreads& operator=(const CWorkerThreads&) = delete;

    // UI thread. Starts `body` on a new thread. The worker before it may still
    // be finishing (it starts its successor from inside its last call) and is
    // joined at the next start or stop.
    void Start(std::function<void()> body);
    // UI thread. Asks every worker to end and waits until they have.
    void Stop();
    bool IsRunning() const { return m_running > 0; }
    // A worker is inside CallUi, waiting for the UI thread (or about to).
    bool IsWaitingOnUi() const { return m_waiting > 0; }

    // Worker side.
    bool StopRequested() const { return m_stop; }
    // Runs `call` on the UI thread and waits for it; false, without running it,
    // once a stop is asked.
    bool CallUi(const std::function<void()>& call);

private:
    QObject m_uiContext;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_running{0};
    std::atomic<int> m_waiting{0};
    std::thread m_current;
    std::thread m_finishing;
};
