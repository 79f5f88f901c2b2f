// Encoding one wave file into an MP3 file through the encoder library: the
// work of one wave-to-MP3 worker, apart from the window.
#pragma once

#include "EncoderLibrary.h"

#include <QString>

#include <functional>
#include <stop_token>

// The channel-mode option (0 "Dual Stereo", 1 "Stereo", 2 "Mono") as the
// encoder's mode; any other value is taken as stereo.
uint8_t EncoderModeFor(int channelMode);

struct EncodeJob {
    QString source;
    QString target;
    int bitrate = 128; // kbit/s; the low 16 bits are used
    int channelMode = 0;
};

enum class EncodeOutcome {
    Done,
    Failed,         // with a message for the user
    FailedSilently, // the flush failed: deliberately no message
    Stopped,        // the window asked the worker to end
};

struct EncodeResult {
    EncodeOutcome outcome = EncodeOutcome::Done;
    QString message;
    // The source file itself failed (unreadable, malformed, not encodable), so
    // the next file may still convert; otherwise the destination or the
    // encoder failed, which stops the batch.
    bool fileAtFault = false;
};

// What the encoding tells its caller while it runs, on the encoding thread.
struct EncodeEvents {
    std::function<void(long long fileBytes)> started;
    std::function<void(long long bytesDone)> progressed; // after every chunk
    // Asked between chunks; a stop also closes the encoder stream under a call
    // in progress, so that a long flush ends at once.
    std::stop_token stop;
};

// Reads the wave file's samples (not its header) and writes the MP3 bytes
// under a temporary name in the target's folder, its Info frame last over
// the placeholder it starts with, moved over the target only when complete.
// `library` must be loaded.
EncodeResult EncodeWaveFile(const CEncoderLibrary& library, const EncodeJob& job,
                            const EncodeEvents& events);
