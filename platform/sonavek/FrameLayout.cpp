#include "FrameLayout.h"

#include "FrameTracker.h"

#include <algorithm>

namespace {

constexpr int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint32_t kHeaderBytes = 4;
constexpr int kGranules = 2;
constexpr int kGranuleChannelBits = 59;

// MSB-first bits of the side info.
uint32_t Bits(const uint8_t* data, uint32_t bitOffset, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bitOffset)
        value = (value << 1) | ((data[bitOffset / 8] >> (7 - bitOffset % 8)) & 1);
    return value;
}

// Reads the header and side info at `at`; false when they are no frame of ours.
bool ReadFrame(const uint8_t* at, FrameInfo& frame) {
    if (at[0] != 0xFF || (at[1] & 0xFE) != 0xFA || ((at[2] >> 2) & 3) != 0)
        return false;
    const int kbps = kKbps[at[2] >> 4];
    if (kbps == 0)
        return false;
    frame.size = FrameBytes(kbps, at);
    const int channels = (at[3] >> 6) == 3 ? 1 : 2;
    const uint32_t sideInfoBytes = channels == 1 ? 17 : 32;
    const uint8_t* side = at + kHeaderBytes;
    frame.slotOffset = frame.offset + kHeaderBytes + sideInfoBytes;
    frame.mainDataBegin = Bits(side, 0, 9);
    const uint32_t granulesAt = 9 + (channels == 1 ? 5 : 3) + 4 * uint32_t(channels);
    uint32_t bits = 0;
    for (int i = 0; i < kGranules * channels; ++i)
        bits += Bits(side, granulesAt + uint32_t(i) * kGranuleChannelBits, 12);
    frame.mainDataBytes = (bits + 7) / 8;
    return true;
}

// Offset in run.bytes of the main data byte at `coordinate`.
uint32_t MainDataByte(const FrameRun& run, int64_t coordinate) {
    const auto after = std::upper_bound(
        run.frames.begin(), run.frames.end(), coordinate,
        [](int64_t value, const FrameInfo& frame) { return value < int64_t(frame.slotStart); });
    const FrameInfo& frame = *(after - 1);
    return frame.slotOffset + uint32_t(coordinate - frame.slotStart);
}

bool Fits(const FrameRun& earlier, size_t keepFrom, const FrameRun& later, uint64_t join) {
    const size_t e = size_t(join - earlier.firstFrame);
    const size_t l = size_t(join - later.firstFrame);
    if (e <= keepFrom || e >= earlier.frames.size() || l >= later.frames.size())
        return false;
    const FrameInfo& last = earlier.frames[e - 1];
    const int64_t slotEnd = int64_t(last.slotStart) + last.SlotBytes();
    const int64_t borrowed = later.frames[l].mainDataBegin;
    return slotEnd - borrowed >= last.DataEnd() &&
           slotEnd - borrowed >= int64_t(earlier.frames[keepFrom].slotStart) &&
           int64_t(later.frames[l].slotStart) >= borrowed;
}

} // namespace

bool ParseFrames(FrameRun& run) {
    uint32_t offset = 0;
    uint32_t slotStart = 0;
    if (!run.frames.empty()) {
        const FrameInfo& last = run.frames.back();
        offset = last.offset + last.size;
        slotStart = last.slotStart + last.SlotBytes();
    }
    while (offset + kHeaderBytes + 32 <= run.bytes.size()) {
        FrameInfo frame;
        frame.offset = offset;
        if (!ReadFrame(run.bytes.data() + offset, frame))
            return false;
        if (offset + frame.size > run.bytes.size())
            break;
        frame.slotStart = slotStart;
        run.frames.push_back(frame);
        offset += frame.size;
        slotStart += frame.SlotBytes();
    }
    return true;
}

void KeepFrames(FrameRun& run, size_t count) {
    if (count >= run.frames.size())
        return;
    run.frames.resize(count);
    run.bytes.resize(count == 0 ? 0 : run.frames.back().offset + run.frames.back().size);
}

uint64_t ChooseJoin(const FrameRun& earlier, size_t keepFrom, const FrameRun& later,
                    uint64_t preferred, uint64_t last) {
    for (uint64_t join = preferred; join <= last; ++join)
        if (Fits(earlier, keepFrom, later, join))
            return join;
    for (uint64_t join = preferred; join > later.firstFrame; --join)
        if (Fits(earlier, keepFrom, later, join - 1))
            return join - 1;
    return later.firstFrame;
}

void RelayBorrowedBytes(FrameRun& earlier, const FrameRun& later, uint64_t join) {
    const FrameInfo& to = earlier.frames[size_t(join - earlier.firstFrame)];
    const FrameInfo& from = later.frames[size_t(join - later.firstFrame)];
    for (uint32_t i = 1; i <= from.mainDataBegin; ++i)
        earlier.bytes[MainDataByte(earlier, int64_t(to.slotStart) - i)] =
            later.bytes[MainDataByte(later, int64_t(from.slotStart) - i)];
}
