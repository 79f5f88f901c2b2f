// The conversion's worker threads, owned by the main window. A worker reaches
// the UI only through CallUi, which waits while the UI thread runs the call.
// Stop refuses further calls and carries out the waiting ones as no-ops, so a
// UI thread that waits for its workers never waits on a worker waiting on it.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

class CWorkerThreads {
public:
    CWorkerThreads();  // on the UI thread
    ~CWorkerThreads(); // stops the workers
    CWorkerThreads(const CWorkerThreads&) = delete;
    CWorkerThreads& operator=(const CWorkerThreads&) = delete;

    // UI thread. Starts `body` on a new thread. The worker before it may still
    // be finishing (it starts its successor from inside its last call) and is
    // joined at the next start or stop.
    void Start(std::function<void()> body);
    // UI thread. Asks every worker to end and waits until they have.
    void Stop();
    bool IsRunning() const { return m_running > 0; }
    // A worker is inside CallUi, waiting for the UI thread.
    bool IsWaitingOnUi() const;

    // Worker side. Stop runs the callbacks registered on the token on the UI
    // thread, so they must not wait for the worker.
    std::stop_token StopToken() const { return m_stopSource.get_token(); }
    // Runs `call` on the UI thread and waits for it; false, without running it,
    // once a stop is asked.
    bool CallUi(const std::function<void()>& call);

private:
    // A worker's call waiting for the UI thread.
    struct Pending {
        const std::function<void()>* call;
        bool ran = false;
        bool finished = false;
    };
    // Wakes the UI thread for the waiting calls; the calls themselves are
    // handed over under our own lock, so every hand-over is one a thread
    // checker can see.
    class UiContext : public QObject {
    public:
        explicit UiContext(CWorkerThreads* owner) : m_pOwner(owner) {}
        bool event(QEvent* event) override;

    private:
        CWorkerThreads* m_pOwner;
    };

    void RunPendingCalls(); // UI thread

    UiContext m_uiContext;
    mutable std::mutex m_mutex;
    std::condition_variable m_finished;
    std::deque<Pending*> m_pending;
    std::stop_source m_stopSource; // a fresh one after every stop
    std::atomic<int> m_running{0};
    std::thread m_current;
    std::thread m_finishing;
};
