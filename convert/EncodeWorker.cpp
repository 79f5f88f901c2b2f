#include "EncodeWorker.h"

#include "MessageBox.h"

#include <climits>

BarScale::BarScale(long long fileBytes) {
    while ((fileBytes >> m_shift) > INT_MAX)
        ++m_shift;
}

namespace {

int Fail(CWorkerThreads& threads, const QString& message) {
    threads.CallUi([&] { ShowMessage(message, "Error", MB_OK, nullptr); });
    return -1;
}

} // namespace

int EncodeWaveThread(const EncodeJob& job, CWorkerThreads& threads, const EncodeWindowCalls& window,
                     const QString& libraryDirectory) {
    CEncoderLibrary library;
    if (!library.Load(libraryDirectory))
        return Fail(threads, "Convert initialization failed!");
    BarScale scale(0);
    EncodeEvents events;
    events.started = [&](long long fileBytes) {
        scale = BarScale(fileBytes);
        threads.CallUi([&] { window.setFileRange(scale(fileBytes)); });
    };
    events.progressed = [&](long long bytesDone) {
        threads.CallUi([&] { window.setFilePosition(scale(bytesDone)); });
    };
    events.stopRequested = [&] { return threads.StopRequested(); };
    const EncodeResult result = EncodeWaveFile(library, job, events);
    switch (result.outcome) {
    case EncodeOutcome::Done:
        threads.CallUi(window.fileDone);
        return 0;
    case EncodeOutcome::Failed:
        return Fail(threads, result.message);
    case EncodeOutcome::FailedSilently:
    case EncodeOutcome::Stopped:
        break;
    }
    return -1;
}
