// The layout of the MPEG-1 Layer III frames an encoder wrote at 44100 Hz:
// where each frame is, where its main data slot is, and where its main data
// lies in the bit reservoir. The repacker joins the frames of two encoders
// that cover the same stretch of sound into one valid stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct FrameInfo {
    uint32_t offset = 0;        // of the header, in the run's bytes
    uint32_t size = 0;          // header, side info and main data slot
    uint32_t slotOffset = 0;    // of the main data slot, in the run's bytes
    uint32_t slotStart = 0;     // of the slot, counted in main data bytes of the run
    uint32_t mainDataBegin = 0; // main data bytes before the slot where this frame's data starts
    uint32_t mainDataBytes = 0; // part2_3 lengths of every granule and channel, in whole bytes

    uint32_t SlotBytes() const { return size - (slotOffset - offset); }
    // Main data coordinates of this frame's data.
    int64_t DataStart() const { return int64_t(slotStart) - mainDataBegin; }
    int64_t DataEnd() const { return DataStart() + mainDataBytes; }
};

// Frames of one encoder's output; frames[0] is frame `firstFrame` of the whole stream.
struct FrameRun {
    uint64_t firstFrame = 0;
    std::vector<uint8_t> bytes;
    std::vector<FrameInfo> frames;
};

// Appends the complete frames found in run.bytes after the last parsed frame.
// False when the bytes hold something that is not a 44100 Hz Layer III frame.
bool ParseFrames(FrameRun& run);

// Keeps the first `count` frames of the run.
void KeepFrames(FrameRun& run, size_t count);

// The frame of the whole stream that is the first taken from `later`; every
// frame before it comes from `earlier`, from earlier.frames[keepFrom] on.
// Prefers the first fitting frame in [preferred, last]; when none fits, the
// latest fitting one before `preferred`. later's first frame always fits,
// since a fresh encoder's reservoir is empty.
uint64_t ChooseJoin(const FrameRun& earlier, size_t keepFrom, const FrameRun& later,
                    uint64_t preferred, uint64_t last);

// Copies the reservoir bytes that later's frame `join` borrows into the free
// main data bytes before earlier's frame `join`.
void RelayBorrowedBytes(FrameRun& earlier, const FrameRun& later, uint64_t join);
