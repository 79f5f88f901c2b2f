// Follows the MP3 frame headers through the blocks a stream hands out, to
// count its frames.
#pragma once

#include <cstdint>

// The bytes of the MPEG-1 Layer III frame at 44100 Hz whose header starts at
// `header`: 144 * bit rate / sample rate, plus the padding slot.
uint32_t FrameBytes(int kbps, const uint8_t* header);

// The bytes of a frame at `kbps` with the padding slot: the most it takes.
uint32_t PaddedFrameBytes(int kbps);

class FrameTracker {
public:
    explicit FrameTracker(int kbps) : m_nKbps(kbps) {}

    // Counts the frames that begin in `bytes`, which continue the blocks seen
    // before.
    void Follow(const uint8_t* bytes, uint32_t size);
    uint64_t Frames() const { return m_nFrames; }
    int Kbps() const { return m_nKbps; }

private:
    int m_nKbps;
    uint64_t m_nFrames = 0;
    uint32_t m_nRemaining = 0; // bytes of the current frame still to come
    uint8_t m_header[3] = {};
    int m_nHeaderBytes = 0;
    bool m_bLost = false; // something that is not a frame: stop counting
};
