// libmpg123 behind a small interface: an MP3 file decoded frame by frame into
// 16-bit samples at the stream's own rate and channel count.
#pragma once

#include "Mp3Probe.h"

#include <QString>

#include <cstddef>
#include <memory>

struct mpg123_handle_struct;
class BufferedFileReader;

class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Opens the stream `stream` that the probe found in `path`: only the
    // frames its walk accepted are decoded, so junk between and around them
    // never becomes sound. The library walks those frames' headers for the
    // exact length, unless the walk has confirmed the count the stream's own
    // tag states.
    bool Open(const QString& path, const Mp3ProbeResult& stream);

    long long FrameCount() const { return m_frames; }
    long long SampleCount() const { return m_samples; } // per channel, gapless
    int SampleRate() const { return m_rate; }
    int Channels() const { return m_channels; }
    int SamplesPerFrame() const { return m_samplesPerFrame; }
    long long CurrentFrame() const;
    bool Rewind(); // back to the first frame
    QString LastError() const { return m_error; }

    enum class Step { Frame, End, FormatChanged, Error };
    // Decodes the next frame; on Step::Frame `*pcm` and `*bytes` point at its samples
    // (possibly none), valid until the next call.
    Step DecodeFrame(const unsigned char** pcm, size_t* bytes);

private:
    bool Fail(const char* what);

    bool Measure(long long taggedFrames);

    std::unique_ptr<BufferedFileReader> m_reader;
    mpg123_handle_struct* m_handle = nullptr;
    long long m_frames = 0;
    long long m_samples = 0;
    int m_rate = 0;
    int m_channels = 0;
    int m_samplesPerFrame = 0;
    QString m_error;
};
