#include "InfoFrame.h"

#include "EncoderStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// LAME's largest frame, free format at 640 kbit/s and 32 kHz.
constexpr size_t kMaxFrameBytes = 2880;
// The smallest bit rate whose frame holds the tag, stereo at 44100 Hz.
constexpr int kRoomyKbps = 64;
constexpr size_t kHeaderBytes = 4;
// "Info", flags, frame count, byte count, seek table, quality.
constexpr size_t kXingBytes = 4 + 4 + 4 + 4 + 100 + 4;
constexpr size_t kSeekEntries = 100;
// Offsets in the LAME extension after the Xing fields.
constexpr size_t kLowpass = 10;
constexpr size_t kBitrate = 20;
constexpr size_t kPadding = 22;
constexpr size_t kPreset = 26;
constexpr size_t kMusicLength = 28;
constexpr size_t kMusicCrc = 32;
constexpr size_t kTagCrc = 34;
constexpr size_t kId3HeaderBytes = 10;

size_t XingOffset(const std::vector<uint8_t>& frame) {
    const bool mono = (frame[3] >> 6) == 3;
    return kHeaderBytes + (mono ? 17 : 32);
}

void PutBig16(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value >> 8);
    at[1] = uint8_t(value);
}

void PutBig32(uint8_t* at, uint32_t value) {
    PutBig16(at, value >> 16);
    PutBig16(at + 2, value);
}

// LAME's own Info frame for `format`: nothing when LAME refuses the format,
// an empty frame when its frames are too small to hold one.
std::optional<std::vector<uint8_t>> LameInfoFrame(const StreamFormat& format) {
    lame_t lame = SetUpLame(format, true);
    if (!lame)
        return std::nullopt;
    std::vector<uint8_t> flushed(LameOutputBytes(format, 0) + kMaxFrameBytes);
    std::vector<uint8_t> frame(kMaxFrameBytes);
    const bool ok = lame_encode_flush(lame, flushed.data(), int(flushed.size())) >= 0;
    const size_t size = ok ? lame_get_lametag_frame(lame, frame.data(), frame.size()) : 0;
    lame_close(lame);
    frame.resize(size <= frame.size() ? size : 0);
    return frame;
}

// Where LAME writes no frame (low bit rates), it is taken at a rate whose
// frame holds it; the fields that follow the bit rate are then the stream's.
std::optional<std::vector<uint8_t>> RoomyInfoFrame(const StreamFormat& format) {
    StreamFormat roomy = format;
    roomy.kbps = kRoomyKbps;
    std::optional<std::vector<uint8_t>> frame = LameInfoFrame(roomy);
    lame_t lame = SetUpLame(format);
    if (!frame || frame->empty() || !lame) {
        if (lame)
            lame_close(lame);
        return std::nullopt;
    }
    uint8_t* extension = frame->data() + XingOffset(*frame) + kXingBytes;
    extension[kLowpass] = uint8_t(std::min(255.0, lame_get_lowpassfreq(lame) / 100.0 + 0.5));
    lame_close(lame);
    extension[kBitrate] = uint8_t(std::min(255, format.kbps));
    PutBig16(extension + kPreset, uint32_t((extension[kPreset] & 0xF8) << 8 | format.kbps));
    return frame;
}

// LAME's seek table for `frames` frames of one bit rate: running sums kept
// every `want` frames in a bag of 400, halved (and `want` doubled) when full.
void WriteSeekTable(uint64_t frames, int kbps, uint8_t* table) {
    constexpr size_t kBagSize = 400;
    std::vector<int64_t> bag;
    int64_t sum = 0;
    uint64_t want = 1, seen = 0;
    for (uint64_t frame = 0; frame < frames; ++frame) {
        sum += kbps;
        if (++seen < want)
            continue;
        bag.push_back(sum);
        seen = 0;
        if (bag.size() == kBagSize) {
            for (size_t i = 1; i < kBagSize; i += 2)
                bag[i / 2] = bag[i];
            bag.resize(kBagSize / 2);
            want *= 2;
        }
    }
    std::fill(table, table + kSeekEntries, 0);
    if (bag.empty())
        return;
    // In LAME's float arithmetic, so that the table is its own byte for byte.
    for (size_t i = 1; i < kSeekEntries; ++i) {
        const float part = float(i) / float(kSeekEntries);
        const size_t index = std::min(size_t(std::floor(part * float(bag.size()))), bag.size() - 1);
        const float reached = float(bag[index]);
        const float total = float(sum);
        table[i] = uint8_t(std::min(255, int(256.0 * reached / total)));
    }
}

// The CRC of every byte value, so that the music CRC costs one look-up a
// byte: bit by bit it was 2 % of a whole encode, on the caller's thread.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        uint16_t crc = uint16_t(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
        table[value] = crc;
    }
    return table;
}();

} // namespace

uint16_t LameCrc16(const uint8_t* bytes, size_t size, uint16_t crc) {
    for (size_t i = 0; i < size; ++i)
        crc = uint16_t((crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

std::optional<InfoFrame> InfoFrame::ForFormat(const StreamFormat& format) {
    std::optional<std::vector<uint8_t>> frame = LameInfoFrame(format);
    if (frame && frame->empty())
        frame = RoomyInfoFrame(format);
    if (!frame)
        return std::nullopt;
    return InfoFrame(std::move(*frame), format.kbps);
}

InfoFrame::InfoFrame(std::vector<uint8_t> frame, int kbps)
    : m_template(std::move(frame)), m_frames(kbps) {}

uint32_t InfoFrame::HandOut(uint8_t* output, uint32_t bytes) {
    m_frames.Follow(output, bytes);
    m_nAudioBytes += bytes;
    m_nMusicCrc = LameCrc16(output, bytes, m_nMusicCrc);
    if (m_bPlaceholderOut)
        return bytes;
    // An empty ID3v2 tag of the frame's size: decoders skip it whole, where
    // an unfinished frame would play as a frame of silence.
    m_bPlaceholderOut = true;
    const uint32_t size = Bytes();
    std::memmove(output + size, output, bytes);
    std::memset(output, 0, size);
    const uint32_t body = size - uint32_t(kId3HeaderBytes);
    const uint8_t header[kId3HeaderBytes] = {'I',
                                             'D',
                                             '3',
                                             3,
                                             0,
                                             0,
                                             uint8_t((body >> 21) & 0x7F),
                                             uint8_t((body >> 14) & 0x7F),
                                             uint8_t((body >> 7) & 0x7F),
                                             uint8_t(body & 0x7F)};
    std::memcpy(output, header, sizeof header);
    return bytes + size;
}

std::vector<uint8_t> InfoFrame::Finished(int padding) const {
    std::vector<uint8_t> frame = m_template;
    const size_t xing = XingOffset(frame);
    const uint32_t streamBytes = uint32_t(m_nAudioBytes + frame.size());
    PutBig32(&frame[xing + 8], uint32_t(m_frames.Frames()));
    PutBig32(&frame[xing + 12], streamBytes);
    WriteSeekTable(m_frames.Frames(), m_frames.Kbps(), &frame[xing + 16]);
    uint8_t* extension = &frame[xing + kXingBytes];
    const uint32_t padded = uint32_t(std::clamp(padding, 0, 0xFFF));
    extension[kPadding] = uint8_t((extension[kPadding] & 0xF0) | (padded >> 8));
    extension[kPadding + 1] = uint8_t(padded);
    PutBig32(extension + kMusicLength, streamBytes);
    PutBig16(extension + kMusicCrc, m_nMusicCrc);
    PutBig16(extension + kTagCrc, LameCrc16(frame.data(), xing + kXingBytes + kTagCrc));
    return frame;
}

BE_ERR InfoFrame::Write(int padding, uint8_t* output, uint32_t* written) const {
    if (padding < 0)
        return BE_ERR_INVALID_HANDLE;
    const std::vector<uint8_t> frame = Finished(padding);
    std::memcpy(output, frame.data(), frame.size());
    *written = uint32_t(frame.size());
    return BE_ERR_SUCCESSFUL;
}
