#include "EncodeWorker.h"

#include <climits>

BarScale::BarScale(long long fileBytes) {
    while ((fileBytes >> m_shift) > INT_MAX)
        ++m_shift;
}

int EncodeWaveThread(const EncodeJob& job, CWorkerThreads& threads, const EncodeWindowCalls& window,
                     const QString& libraryDirectory) {
    // Failures reach the user through the window, on the UI thread.
    auto fail = [&](const QString& message, bool fileAtFault) {
        threads.CallUi([&] { window.fileFailed(message, fileAtFault); });
        return -1;
    };
    CEncoderLibrary library;
    if (!library.Load(libraryDirectory))
        return fail("Convert initialization failed!", false);
    BarScale scale(0);
    EncodeEvents events;
    events.started = [&](long long fileBytes) {
        scale = BarScale(fileBytes);
        threads.CallUi([&] { window.setFileRange(scale(fileBytes)); });
    };
    events.progressed = [&](long long bytesDone) {
        threads.CallUi([&] { window.setFilePosition(scale(bytesDone)); });
    };
    events.stop = threads.StopToken();
    const EncodeResult result = EncodeWaveFile(library, job, events);
    switch (result.outcome) {
    case EncodeOutcome::Done:
        threads.CallUi(window.fileDone);
        return 0;
    case EncodeOutcome::Failed:
        return fail(result.message, result.fileAtFault);
    case EncodeOutcome::FailedSilently:
        return fail(QString(), false);
    case EncodeOutcome::Stopped:
        break;
    }
    return -1;
}
