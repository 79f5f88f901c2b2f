// The Xing "Info" frame with the LAME extension that opens every stream, as
// LAME writes it for a constant bit rate: it tells decoders the encoder's
// delay and padding, so that they give back exactly the input's samples.
#pragma once

#include "FrameTracker.h"
#include "Sonavek.h"

#include <cstdint>
#include <optional>
#include <vector>

struct StreamFormat;

class InfoFrame {
public:
    // The frame of a LAME encoder set up for `format`, which holds the fields
    // that describe the settings; nothing when LAME refuses the format.
    static std::optional<InfoFrame> ForFormat(const StreamFormat& format);

    uint32_t Bytes() const { return uint32_t(m_template.size()); }

    // `output` holds `bytes` bytes of audio that a stream hands out, with room
    // for Bytes() more. The first call puts the placeholder before them. The
    // audio is counted for the finished frame. Returns the bytes to hand out.
    uint32_t HandOut(uint8_t* output, uint32_t bytes);

    // The frame for the audio handed out, `padding` being the last encoder's
    // after its flush. It replaces the placeholder.
    std::vector<uint8_t> Finished(int padding) const;

    // Copies the finished frame to `output`; a stream without a successful
    // flush (`padding` negative) has none.
    BE_ERR Write(int padding, uint8_t* output, uint32_t* written) const;

private:
    InfoFrame(std::vector<uint8_t> frame, int kbps);

    std::vector<uint8_t> m_template;
    FrameTracker m_frames;
    bool m_bPlaceholderOut = false;
    uint64_t m_nAudioBytes = 0;
    uint16_t m_nMusicCrc = 0;
};

// CRC-16 as LAME computes it over the music and over the frame itself
// (polynomial 0x8005, reflected, starting at 0).
uint16_t LameCrc16(const uint8_t* bytes, size_t size, uint16_t crc = 0);
