// The wave-to-MP3 worker of a batch: one thread per wave file, started by the
// wave step. It loads the encoder library, encodes the file and reaches the
// window only through CWorkerThreads::CallUi.
#pragma once

#include "WaveEncoder.h"
#include "WorkerThreads.h"

#include <functional>

// The window's side of a worker; each call runs on the UI thread while the
// worker waits.
struct EncodeWindowCalls {
    std::function<void(int maximum)> setFileRange; // current-file bar: position 0, range
    std::function<void(int position)> setFilePosition;
    std::function<void()> fileDone; // batch bar, "Success", the next step or the end
    // The file failed: the window shows `message` (none when empty) and goes on
    // with the next file when the file itself was at fault, or stops the batch.
    std::function<void(const QString& message, bool fileAtFault)> fileFailed;
};

// Current-file bar units for a file of `fileBytes`: bytes, or larger units
// where the bytes would not fit the bar's int range.
class BarScale {
public:
    explicit BarScale(long long fileBytes);
    int operator()(long long bytes) const { return int(bytes >> m_shift); }

private:
    int m_shift = 0;
};

// The thread's body: 0 when the file was converted, -1 otherwise. A failure
// shows its message (caption "Error", no owner) and leaves the batch where it is.
int EncodeWaveThread(const EncodeJob& job, CWorkerThreads& threads, const EncodeWindowCalls& window,
                     const QString& libraryDirectory = SystemLibraryDirectory());
