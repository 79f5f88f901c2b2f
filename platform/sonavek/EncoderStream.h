// One MP3 stream over one LAME encoder: the format it was opened with, the
// encoder and the sample that an odd chunk left over.
#pragma once

#include "InfoFrame.h"
#include "Sonavek.h"

#include <lame/lame.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

struct StreamFormat {
    int inputRate = 0;
    int channels = 0;
    MPEG_mode mode = STEREO;
    int kbps = 0;
};

// The format a configuration asks for, or nothing when LAME cannot honour it.
std::optional<StreamFormat> FormatFromConfig(const BE_CONFIG& config);

// A LAME encoder set up for the format, or null when LAME refuses it. With
// `infoFrame` it writes an empty frame first and makes its own Info frame.
lame_t SetUpLame(const StreamFormat& format, bool infoFrame = false);

// LAME's documented worst case for `inputFrames` frames of input.
uint32_t LameOutputBytes(const StreamFormat& format, uint64_t inputFrames);

// Keeps the channels in step when a chunk splits a frame: the samples of an
// incomplete frame wait for the next chunk.
class SampleCarry {
public:
    SampleCarry(int channels, uint32_t chunkSamples);
    // The whole frames of the carried samples followed by `samples`.
    std::span<const int16_t> Whole(const int16_t* samples, uint32_t count);
    // Half a frame has no partner; it cannot be encoded.
    void Clear() { m_carry.clear(); }

private:
    int m_nChannels;
    std::vector<int16_t> m_carry;  // at most channels - 1 samples
    std::vector<int16_t> m_joined; // carry followed by the next chunk
};

// What the entry points call on a stream, one call at a time per stream.
class Mp3Stream {
public:
    virtual ~Mp3Stream() = default;
    virtual uint32_t ChunkSamples() const = 0;
    virtual uint32_t OutputBytes() const = 0;
    virtual BE_ERR Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                          uint32_t* written) = 0;
    virtual BE_ERR Flush(uint8_t* output, uint32_t* written) = 0;
    // After a successful flush: the Info frame that replaces the placeholder
    // the stream handed out first.
    virtual BE_ERR InfoTag(uint8_t* output, uint32_t* written) = 0;
    // Ends the stream's work at once, from any thread; its calls then fail.
    virtual void Cancel() {}
};

// The whole stream on one encoder, on the caller's thread.
class EncoderStream : public Mp3Stream {
public:
    // Null when LAME refuses the format.
    static std::unique_ptr<EncoderStream> Open(const StreamFormat& format);
    ~EncoderStream() override;
    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

    uint32_t ChunkSamples() const override { return m_nChunkSamples; }
    uint32_t OutputBytes() const override { return m_nOutputBytes; }

    BE_ERR Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                  uint32_t* written) override;
    BE_ERR Flush(uint8_t* output, uint32_t* written) override;
    void Cancel() override { m_bCancelled = true; }
    BE_ERR InfoTag(uint8_t* output, uint32_t* written) override;

private:
    EncoderStream(lame_t lame, const StreamFormat& format, InfoFrame info);
    BE_ERR EncodeFrames(const int16_t* samples, int frames, uint8_t* output, uint32_t* written);

    std::mutex m_mutex; // one call at a time on this stream
    lame_t m_hLame;
    int m_nChannels;
    uint32_t m_nChunkSamples;
    uint32_t m_nOutputBytes;
    bool m_bFlushed = false;
    std::atomic<bool> m_bCancelled{false};
    int m_nPadding = -1; // LAME's, once the flush succeeded
    InfoFrame m_info;
    SampleCarry m_carry;
};

// About one second of audio per chunk, in samples of all channels together.
uint32_t ChunkSamplesFor(const StreamFormat& format);
