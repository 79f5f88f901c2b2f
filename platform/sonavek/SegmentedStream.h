// One MP3 stream encoded on several threads: the input is cut into segments
// of whole frames, each encoded by its own LAME encoder that starts a few
// frames early (priming) and runs on past the segment's end (the overlap);
// the segments' frames are joined in order inside the overlap.
#pragma once

#include "EncoderStream.h"
#include "FrameLayout.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <span>
#include <thread>

// Frames after the priming in which a join is looked for: most joins fit at
// its first frame, and every frame of it is encoded twice.
constexpr uint64_t kJoinWindowFrames = 4;

// Frames a segment's encoder encodes before the first frame it may give: they
// settle the MDCT and the psychoacoustic model, and the resampler where LAME
// resamples. With 20 on resampled input some joins lose more than 1 dB (the
// join tests: 1.9 dB at 48000 Hz); at 44100 Hz, which LAME encodes as it
// comes, 20 keep the worst join as 24 do, and fewer lose up to 0.74 dB.
constexpr uint64_t kPrimingFrames = 20;
constexpr uint64_t kResampledPrimingFrames = 24;
constexpr uint64_t PrimingFrames(int inputRate) {
    return inputRate == 44100 ? kPrimingFrames : kResampledPrimingFrames;
}

// Frames a segment encodes beyond those it keeps: its priming and join window.
constexpr uint64_t OverlapFrames(int inputRate) {
    return PrimingFrames(inputRate) + kJoinWindowFrames;
}

// Full segments held back from the threads until more input comes, at least:
// the flush cuts them anew, so a file of up to this many segments and one more
// is cut into one piece a thread. More threads hold one fewer than they are,
// high input rates fewer.
constexpr size_t kHeldSegments = 3;

// One thread, or a format whose frame alignment would make segments too long,
// gives the one-encoder stream; otherwise a stream on `threads` threads with
// segments of about twenty seconds.
std::unique_ptr<Mp3Stream> OpenStream(const StreamFormat& format, int threads);

// The work, in frames, that each of `threads` threads still has when the
// flush comes after `handedOut` segments of `segmentWork` frames, least first.
// Taken as when the input comes faster than the threads encode: each segment
// goes to the thread free first, once the oldest of those in flight is done,
// and the flush comes as the last one is handed out.
std::vector<uint64_t> QueuedLoads(size_t handedOut, size_t threads, uint64_t segmentWork);

// The frames of the input left at the flush, cut into pieces of whole periods
// that threads with these `loads` (least first) finish together, each piece
// but the last carrying `overlap` frames more. Input too short to share stays
// whole.
std::vector<uint64_t> TailPieces(uint64_t frames, uint64_t period, uint64_t overlap,
                                 std::span<const uint64_t> loads);

// Frames between two starts where a fresh encoder writes the same headers and
// frame sizes as one continuous encode, and its input starts on a whole sample.
uint64_t AlignmentPeriod(int inputRate);

// How a stream on `threads` threads cuts its input: the length of the
// segments handed out while input comes, and how many are held for the flush.
struct SegmentPlan {
    uint64_t segmentFrames = 0;
    size_t held = 0;
};

// The plan OpenStream uses; depends on the format and the thread count only.
SegmentPlan PlanFor(const StreamFormat& format, int threads);

// The frames each segment keeps, in order, for an input of `inputFrames`:
// what a stream with this plan cuts such an input into, whatever the chunks
// and however fast its threads run.
std::vector<uint64_t> Layout(uint64_t inputFrames, int inputRate, size_t threads,
                             const SegmentPlan& plan);

// Where a segment's time went, for the benches: CPU seconds of the thread
// that encoded it, and of the caller up to the moment it was handed out.
struct SegmentTimes {
    uint64_t firstFrame = 0;
    uint64_t keptFrames = 0; // 0 for the last, which keeps the rest
    double encodeCpu = 0.0;
    double setupCpu = 0.0; // its encoder's, set up before it was taken
    double callerCpuAtQueue = 0.0;
};

// Segments a stream on `threads` threads keeps in flight: the caller then
// waits for the oldest, so that memory stays flat.
size_t InFlightLimit(size_t threads);

// CPU seconds the calling thread has run.
double ThreadCpuSeconds();

struct Segment;
struct InputBlock;

// Tests and benches: runs on a segment's thread before it encodes, given the
// stream's cancel flag, so that a test can hold a flush at a known point or
// make a thread fail as a failed allocation would, and a bench can start what
// it measures beside the segments. Set only while no segment encodes.
struct SegmentedStreamSeam {
    static inline std::function<void(const std::atomic<bool>& cancelled)> beforeSegment;
};

class SegmentedStream : public Mp3Stream {
public:
    SegmentedStream(const StreamFormat& format, int threads, uint64_t segmentFrames,
                    size_t heldSegments);
    ~SegmentedStream() override;
    SegmentedStream(const SegmentedStream&) = delete;
    SegmentedStream& operator=(const SegmentedStream&) = delete;

    uint32_t ChunkSamples() const override { return m_nChunkSamples; }
    uint32_t OutputBytes() const override { return m_nOutputBytes; }
    BE_ERR Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                  uint32_t* written) override;
    BE_ERR Flush(uint8_t* output, uint32_t* written) override;
    BE_ERR InfoTag(uint8_t* output, uint32_t* written) override;
    void Cancel() override;

    // The first frame each join took from the later segment.
    std::vector<uint64_t> Joins();
    // Every segment handed out, in order.
    std::vector<SegmentTimes> Times();
    // The caller's CPU seconds in the flush after the last segment was encoded.
    double FinalJoinCpu();

private:
    void EndThreads();
    void Work();
    void StoreInput(std::span<const int16_t> samples);
    std::shared_ptr<InputBlock> NextBlock();
    void AddSpareBlocks();
    std::shared_ptr<Segment> NextSegment(uint64_t frames, bool last);
    void QueueReadySegments();
    bool Queue(std::shared_ptr<Segment> segment);
    bool DispatchTail();
    bool TakeFinished(bool wait);
    void JoinSegment(Segment& segment);
    bool HandOutReady(uint8_t* output, uint32_t* at);
    uint64_t InputFrameAt(uint64_t frame) const;
    void StartCallerClock();
    SegmentPlan Plan() const { return {m_nSegmentFrames, m_nHeld}; }

    const StreamFormat m_format;
    const uint64_t m_nSegmentFrames;
    const uint64_t m_nBlockFrames; // input frames of one segment's own
    const size_t m_nHeld;
    const size_t m_nMaxInFlight;
    const size_t m_nMappedAhead;
    const uint32_t m_nChunkSamples;
    InfoFrame m_info;
    const uint32_t m_nOutputBytes;

    std::mutex m_callMutex; // one call at a time on this stream
    SampleCarry m_carry;
    bool m_bFlushed = false;
    bool m_bFailed = false;
    bool m_bComplete = false; // the flush handed out the last frame
    int m_nPadding = -1;      // the last segment's encoder's, after its flush
    uint64_t m_nInputFrames = 0;
    std::deque<std::shared_ptr<InputBlock>> m_blocks; // from the next segment's input on
    std::deque<std::shared_ptr<InputBlock>> m_spares; // the blocks after m_blocks.back()
    uint64_t m_nFirstBlock = 0;                       // the number of m_blocks.front()
    uint64_t m_nNextStart = 0;                        // the next segment's first frame
    std::deque<std::shared_ptr<Segment>> m_inOrder;   // handed out, oldest first
    FrameRun m_pending;                               // the newest joined segment's frames
    size_t m_nPendingKeep = 0;                        // its first frame in the stream
    bool m_bHasPending = false;
    std::vector<uint8_t> m_ready; // joined bytes for the caller
    std::vector<uint64_t> m_joins;
    std::vector<SegmentTimes> m_times;
    double m_nCallerCpuStart = -1.0; // at the first call
    double m_nFinalJoinCpu = 0.0;
    double m_nLastTakenCpu = 0.0; // when the caller took the newest segment

    std::mutex m_poolMutex;
    std::condition_variable m_wake; // workers: a segment is queued, or stop
    std::condition_variable m_done; // the caller: a segment is encoded, or stop
    std::deque<std::shared_ptr<Segment>> m_queue;
    bool m_bAllQueued = false;                         // the flush queued the last segment
    std::deque<std::shared_ptr<InputBlock>> m_toMapIn; // for idle threads to map in
    std::atomic<bool> m_bCancelled{false};
    std::vector<std::thread> m_threads;
};
