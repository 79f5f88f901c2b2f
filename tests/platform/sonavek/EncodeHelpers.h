// Drives libsonavek.so the way the conversion worker does and checks the MP3
// bytes it returns.
#pragma once

#include "EncoderLibrary.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// Interleaved 16-bit samples, one sine tone per channel.
std::vector<int16_t> ToneSamples(int sampleRate, double seconds,
                                 const std::vector<double>& frequencies);

struct EncodeResult {
    BE_ERR error = BE_ERR_SUCCESSFUL;
    QByteArray mp3;
};

// Opens a stream for `config`, hands it `samples` in chunks of `chunkSizes`
// (repeated; 0 means the library's chunk size S), flushes and closes it. Any
// call that fails, or output larger than B, ends it with that error.
EncodeResult EncodeSamples(const CEncoderLibrary& library, const BE_CONFIG& config,
                           const std::vector<int16_t>& samples,
                           const std::vector<uint32_t>& chunkSizes = {0});

BE_CONFIG MakeConfig(uint32_t sampleRate, uint8_t mode, uint16_t kbps);

// An MPEG-1 Layer III frame header as the bytes say it.
struct Mp3Frame {
    int kbps = 0;
    int sampleRate = 0;
    int mode = 0; // the header's two mode bits
};

// Walks every frame of a stream of MPEG-1 Layer III frames; `ok` false when
// anything else is found, including a trailing partial frame.
std::vector<Mp3Frame> Mp3Frames(const QByteArray& mp3, bool* ok);
