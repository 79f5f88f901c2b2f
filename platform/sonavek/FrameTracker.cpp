#include "FrameTracker.h"

#include <algorithm>

namespace {

uint32_t UnpaddedFrameBytes(int kbps) {
    constexpr int kSampleRate = 44100;
    return uint32_t(144 * kbps * 1000 / kSampleRate);
}

} // namespace

uint32_t FrameBytes(int kbps, const uint8_t* header) {
    return UnpaddedFrameBytes(kbps) + ((header[2] >> 1) & 1);
}

uint32_t PaddedFrameBytes(int kbps) {
    return UnpaddedFrameBytes(kbps) + 1;
}

void FrameTracker::Follow(const uint8_t* bytes, uint32_t size) {
    uint32_t pos = 0;
    while (pos < size && !m_bLost) {
        if (m_nRemaining > 0) {
            const uint32_t skip = std::min(m_nRemaining, size - pos);
            pos += skip;
            m_nRemaining -= skip;
            continue;
        }
        m_header[m_nHeaderBytes++] = bytes[pos++];
        if (m_nHeaderBytes < 3)
            continue;
        m_nHeaderBytes = 0;
        if (m_header[0] != 0xFF) {
            m_bLost = true;
            break;
        }
        m_nRemaining = FrameBytes(m_nKbps, m_header) - 3;
        ++m_nFrames;
    }
}
