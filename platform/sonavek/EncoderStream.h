// One MP3 stream over LAME: the format it was opened with, the encoder and the
// sample that an odd chunk left over.
#pragma once

#include "FrameTracker.h"
#include "Sonavek.h"

#include <lame/lame.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct StreamFormat {
    int inputRate = 0;
    int channels = 0;
    MPEG_mode mode = STEREO;
    int kbps = 0;
};

// The format a configuration asks for, or nothing when LAME cannot honour it.
std::optional<StreamFormat> FormatFromConfig(const BE_CONFIG& config);

class EncoderStream {
public:
    // Null when LAME refuses the format.
    static std::unique_ptr<EncoderStream> Open(const StreamFormat& format);
    ~EncoderStream();
    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

    uint32_t ChunkSamples() const { return m_nChunkSamples; }
    uint32_t OutputBytes() const { return m_nOutputBytes; }

    BE_ERR Encode(const int16_t* samples, uint32_t count, uint8_t* output, uint32_t* written);
    BE_ERR Flush(uint8_t* output, uint32_t* written);

private:
    EncoderStream(lame_t lame, const StreamFormat& format);
    BE_ERR EncodeFrames(const int16_t* samples, int frames, uint8_t* output, uint32_t* written);
    uint64_t FramesToKeep() const;

    std::mutex m_mutex; // one call at a time on this stream
    lame_t m_hLame;
    int m_nChannels;
    int m_nInputRate;
    uint32_t m_nChunkSamples;
    uint32_t m_nOutputBytes;
    bool m_bFlushed = false;
    uint64_t m_nInputFrames = 0; // one sample of every channel
    FrameTracker m_frames;
    std::vector<int16_t> m_carry;  // samples of an incomplete frame, at most channels - 1
    std::vector<int16_t> m_joined; // carry followed by the next chunk
};
