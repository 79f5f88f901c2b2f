#include "SegmentedStream.h"

#include "FrameTracker.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <numeric>
#include <span>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr uint64_t kOutputRate = 44100;
constexpr uint64_t kFrameSamples = 1152;
// Input beyond a segment's last frame: LAME's look-ahead before it writes a
// frame out.
constexpr uint64_t kLookAheadFrames = 16;
// The padding pattern of every Layer III bit rate at 44100 Hz repeats within 49 frames.
constexpr uint64_t kPaddingPeriod = 49;
// A join lies within the later segment's first period, so the earlier one's
// kept frames always come before it.
static_assert(kPrimingFrames <= kResampledPrimingFrames &&
              kResampledPrimingFrames + kJoinWindowFrames < kPaddingPeriod);
// Longer periods would hold too much input per segment.
constexpr uint64_t kLongestPeriod = 5 * kPaddingPeriod;
constexpr uint64_t kSegmentTargetFrames = 16 * kPaddingPeriod;
// More threads take shorter segments: the threads' last segments end closer
// together, and the segments in flight (two a thread) hold no more input.
constexpr int kLongSegmentThreads = 4;
constexpr uint64_t kShortSegmentFrames = 8 * kPaddingPeriod;
// The input three held segments of the target length may keep: at 44100 or
// 48000 Hz stereo all of them, fewer at higher input rates, so that memory
// stays as it was there. More held segments may keep as much more.
constexpr uint64_t kHeldInputBytes = 12 << 20;
// The input left at the flush is shared between the threads only in pieces of
// at least this many periods: each piece after the first primes its encoder
// before its join window, and the one before it encodes on through them.
constexpr uint64_t kShortestTailPiece = 1;
// Blocks kept ahead of the caller for idle threads to map in: one thread maps
// pages in about three times slower than the caller copies into them, so it
// takes several at once to keep ahead of it; more gained nothing measurable.
constexpr size_t kMostBlocksAhead = 4;
// Input frames handed to LAME at a time; a cancel is seen between them.
constexpr uint64_t kPieceFrames = 8 * kFrameSamples;

} // namespace

// The input of one segment's own frames. The caller fills it; the segments
// that read it share it, and the last of them frees it.
struct InputBlock {
    explicit InputBlock(size_t count)
        : samples(std::make_unique_for_overwrite<int16_t[]>(count)), size(count) {}

    // Maps in the block's pages without touching what they hold, so that the
    // caller copying into them takes no page faults: safe while it copies.
    void MapIn() const {
        const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
        const uintptr_t from = (uintptr_t(samples.get()) + page - 1) / page * page;
        const uintptr_t to = uintptr_t(samples.get() + size) / page * page;
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
    }

    std::unique_ptr<int16_t[]> samples;
    size_t size;
};

struct Segment {
    uint64_t firstFrame = 0;
    size_t framesWanted = 0; // 0 for the last segment, which flushes
    // Input frames [from, to) of the stream, in blocks of `blockFrames`
    // numbered from `firstBlock` on.
    uint64_t from = 0;
    uint64_t to = 0;
    uint64_t blockFrames = 0;
    uint64_t firstBlock = 0;
    std::vector<std::shared_ptr<InputBlock>> blocks;
    FrameRun output;
    SegmentTimes times;
    int padding = -1;  // LAME's, once the last segment is flushed
    bool done = false; // under the pool mutex
    bool failed = false;
};

namespace {

// The first input frame at or after the start of output frame `frame`.
uint64_t FirstInputFrame(uint64_t frame, int inputRate) {
    return (frame * kFrameSamples * uint64_t(inputRate) + kOutputRate - 1) / kOutputRate;
}

// Input frames to hand LAME next: near the segment's end no more than its
// missing frames hold, so that it encodes little past them.
uint64_t NextFeed(const Segment& segment, uint64_t fed, int inputRate) {
    const uint64_t inBlock = fed % segment.blockFrames;
    uint64_t frames = std::min({kPieceFrames, segment.to - fed, segment.blockFrames - inBlock});
    if (segment.framesWanted) {
        const uint64_t missing = segment.framesWanted - segment.output.frames.size();
        frames = std::min(frames, FirstInputFrame(std::max<uint64_t>(1, missing), inputRate));
    }
    return frames;
}

bool FeedSegment(lame_t lame, const StreamFormat& format, Segment& segment,
                 const std::atomic<bool>& cancelled) {
    FrameRun& run = segment.output;
    for (uint64_t fed = segment.from; fed < segment.to;) {
        if (cancelled || (segment.framesWanted && run.frames.size() >= segment.framesWanted))
            break;
        const uint64_t inBlock = fed % segment.blockFrames;
        const size_t frames = size_t(NextFeed(segment, fed, format.inputRate));
        const size_t at = run.bytes.size();
        run.bytes.resize(at + LameOutputBytes(format, frames));
        InputBlock& block = *segment.blocks[size_t(fed / segment.blockFrames - segment.firstBlock)];
        int16_t* pcm = block.samples.get() + inBlock * size_t(format.channels);
        const int room = int(run.bytes.size() - at);
        const int bytes =
            format.channels == 2
                ? lame_encode_buffer_interleaved(lame, pcm, int(frames), &run.bytes[at], room)
                : lame_encode_buffer(lame, pcm, pcm, int(frames), &run.bytes[at], room);
        if (bytes < 0)
            return false;
        run.bytes.resize(at + size_t(bytes));
        fed += frames;
        if (!ParseFrames(run))
            return false;
    }
    if (cancelled)
        return false;
    if (segment.framesWanted == 0) {
        const size_t at = run.bytes.size();
        run.bytes.resize(at + LameOutputBytes(format, kPieceFrames));
        const int bytes = lame_encode_flush(lame, &run.bytes[at], int(run.bytes.size() - at));
        if (bytes < 0)
            return false;
        run.bytes.resize(at + size_t(bytes));
        segment.padding = lame_get_encoder_padding(lame);
        return ParseFrames(run);
    }
    if (run.frames.size() < segment.framesWanted)
        return false;
    KeepFrames(run, segment.framesWanted);
    return true;
}

// Encodes the segment on `lame`, set up for it beforehand.
bool EncodeSegment(const StreamFormat& format, Segment& segment, lame_t lame,
                   const std::atomic<bool>& cancelled) {
    const double start = ThreadCpuSeconds();
    segment.output.firstFrame = segment.firstFrame;
    const bool encoded = lame && FeedSegment(lame, format, segment, cancelled);
    segment.blocks = {};
    segment.times.encodeCpu = ThreadCpuSeconds() - start;
    return encoded;
}

// A segment that throws (a failed allocation) fails like one LAME refused:
// the stream fails, not the process. The encoder is closed however it ends.
bool TryEncodeSegment(const StreamFormat& format, Segment& segment, lame_t lame,
                      const std::atomic<bool>& cancelled) {
    const std::unique_ptr<lame_global_flags, int (*)(lame_t)> owned(lame, lame_close);
    try {
        if (SegmentedStreamSeam::beforeSegment)
            SegmentedStreamSeam::beforeSegment(cancelled);
        return EncodeSegment(format, segment, owned.get(), cancelled);
    } catch (const std::exception&) {
        return false;
    }
}

// A LAME encoder set up ahead, and the CPU seconds that took.
struct ReadyEncoder {
    lame_t lame = nullptr;
    double setupCpu = 0.0;
};

ReadyEncoder SetUpAhead(const StreamFormat& format) {
    const double start = ThreadCpuSeconds();
    lame_t lame = SetUpLame(format);
    return {lame, ThreadCpuSeconds() - start};
}

// The output frames that the input's samples fall in.
uint64_t FramesHoldingInput(uint64_t inputFrames, int inputRate) {
    const uint64_t outputSamples =
        (inputFrames * kOutputRate + uint64_t(inputRate) - 1) / uint64_t(inputRate);
    return (outputSamples + kFrameSamples - 1) / kFrameSamples;
}

// Whether a full segment starting at `start` is handed out once `inputFrames`
// are in: more than the held segments follow it.
bool FullSegmentReady(uint64_t start, uint64_t inputFrames, int inputRate,
                      const SegmentPlan& plan) {
    return inputFrames >= FirstInputFrame(start + (plan.held + 1) * plan.segmentFrames +
                                              OverlapFrames(inputRate) + kLookAheadFrames,
                                          inputRate);
}

// The pieces the flush cuts the input from `next` on into, after `handedOut`
// full segments.
std::vector<uint64_t> FlushPieces(uint64_t inputFrames, int inputRate, uint64_t next,
                                  size_t handedOut, size_t threads, const SegmentPlan& plan) {
    const uint64_t end = FramesHoldingInput(inputFrames, inputRate);
    const uint64_t overlap = OverlapFrames(inputRate);
    return TailPieces(end - std::min(end, next), AlignmentPeriod(inputRate), overlap,
                      QueuedLoads(handedOut, threads, plan.segmentFrames + overlap));
}

uint32_t SegmentedOutputBytes(const StreamFormat& format, uint64_t segmentFrames,
                              size_t maxInFlight, size_t held) {
    const uint64_t frames = segmentFrames + OverlapFrames(format.inputRate) + kLookAheadFrames;
    // At the flush: the newest joined segment, everything in flight, the held
    // segments and the last, with its flush, at once.
    // The caller allocates (and often clears) this much, so it is sized by the
    // stream's own bit rate rather than the highest.
    return uint32_t((maxInFlight + held + 2) * (frames + 4) * PaddedFrameBytes(format.kbps) + 7200);
}

} // namespace

uint64_t AlignmentPeriod(int inputRate) {
    // Frame F starts on input sample F * 1152 * rate / 44100.
    const uint64_t wholeSamples =
        kOutputRate / std::gcd(kOutputRate, kFrameSamples * uint64_t(inputRate));
    return std::lcm(kPaddingPeriod, wholeSamples);
}

size_t InFlightLimit(size_t threads) {
    return 2 * threads;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

SegmentPlan PlanFor(const StreamFormat& format, int threads) {
    const uint64_t period = AlignmentPeriod(format.inputRate);
    const uint64_t target =
        threads > kLongSegmentThreads ? kShortSegmentFrames : kSegmentTargetFrames;
    const uint64_t segmentFrames = std::max<uint64_t>(1, target / period) * period;
    const uint64_t segmentBytes = FirstInputFrame(segmentFrames, format.inputRate) *
                                  uint64_t(format.channels) * sizeof(int16_t);
    // A file of up to one segment a thread is cut at the flush only, into one
    // piece a thread, rather than into a full segment and a shorter rest.
    const uint64_t wanted = std::max<uint64_t>(kHeldSegments, uint64_t(threads) - 1);
    const uint64_t heldLimit =
        kHeldInputBytes * wanted * target / (kHeldSegments * kSegmentTargetFrames);
    return {segmentFrames, size_t(std::min(wanted, heldLimit / segmentBytes))};
}

std::vector<uint64_t> Layout(uint64_t inputFrames, int inputRate, size_t threads,
                             const SegmentPlan& plan) {
    std::vector<uint64_t> pieces;
    uint64_t next = 0;
    for (; FullSegmentReady(next, inputFrames, inputRate, plan); next += plan.segmentFrames)
        pieces.push_back(plan.segmentFrames);
    const std::vector<uint64_t> tail =
        FlushPieces(inputFrames, inputRate, next, pieces.size(), threads, plan);
    pieces.insert(pieces.end(), tail.begin(), tail.end());
    return pieces;
}

std::unique_ptr<Mp3Stream> OpenStream(const StreamFormat& format, int threads) {
    if (threads <= 1 || AlignmentPeriod(format.inputRate) > kLongestPeriod)
        return EncoderStream::Open(format);
    lame_t lame = SetUpLame(format);
    if (!lame)
        return nullptr;
    lame_close(lame);
    const SegmentPlan plan = PlanFor(format, threads);
    return std::make_unique<SegmentedStream>(format, threads, plan.segmentFrames, plan.held);
}

namespace {

// Cuts `frames` into one piece a thread of `loads` (the first piece to the
// first thread) so that every thread is done by `finish`: each piece but the
// last takes the whole periods that fit, leaving the rest at least the
// shortest piece each. Nothing when they cannot be done by then.
std::vector<uint64_t> PiecesDoneBy(uint64_t finish, uint64_t frames, uint64_t period,
                                   uint64_t overlap, std::span<const uint64_t> loads) {
    const uint64_t shortest = kShortestTailPiece * period;
    std::vector<uint64_t> pieces;
    uint64_t left = frames;
    for (size_t i = 0; i + 1 < loads.size(); ++i) {
        const uint64_t reserved = (loads.size() - 1 - i) * shortest;
        const uint64_t room = finish - std::min(finish, loads[i] + overlap);
        const uint64_t spare = left - std::min(left, reserved);
        const uint64_t piece = std::min(room, spare) / period * period;
        if (piece < shortest)
            return {};
        pieces.push_back(piece);
        left -= piece;
    }
    if (left < shortest || loads.back() + left > finish)
        return {};
    pieces.push_back(left);
    return pieces;
}

} // namespace

std::vector<uint64_t> QueuedLoads(size_t handedOut, size_t threads, uint64_t segmentWork) {
    const size_t limit = InFlightLimit(threads);
    std::vector<uint64_t> freeAt(threads, 0);
    std::vector<uint64_t> finished; // each segment's end
    uint64_t handedAt = 0;
    for (size_t i = 0; i < handedOut; ++i) {
        if (i >= limit)
            handedAt = std::max(handedAt, finished[i - limit]);
        uint64_t& thread = *std::min_element(freeAt.begin(), freeAt.end());
        thread = std::max(thread, handedAt) + segmentWork;
        finished.push_back(thread);
    }
    for (uint64_t& thread : freeAt)
        thread -= std::min(thread, handedAt);
    std::sort(freeAt.begin(), freeAt.end());
    return freeAt;
}

std::vector<uint64_t> TailPieces(uint64_t frames, uint64_t period, uint64_t overlap,
                                 std::span<const uint64_t> loads) {
    const size_t threads = loads.size();
    // The pieces go to the `used` least loaded threads, the first piece to the
    // thread free first. Every piece but the last also encodes the next one's
    // priming and join window, so more pieces pay only when they end sooner:
    // for each count, the earliest finish that whole periods allow.
    std::vector<uint64_t> best = {frames};
    uint64_t bestFinish = loads.front() + frames;
    for (size_t used = 2; used <= threads; ++used) {
        const std::span<const uint64_t> on(loads.data(), used);
        uint64_t low = 0;
        uint64_t high = bestFinish;
        while (low < high) {
            const uint64_t finish = low + (high - low) / 2;
            if (PiecesDoneBy(finish, frames, period, overlap, on).empty())
                low = finish + 1;
            else
                high = finish;
        }
        if (low < bestFinish) {
            best = PiecesDoneBy(low, frames, period, overlap, on);
            bestFinish = low;
        }
    }
    return best;
}

SegmentedStream::SegmentedStream(const StreamFormat& format, int threads, uint64_t segmentFrames,
                                 size_t heldSegments)
    : m_format(format), m_nSegmentFrames(segmentFrames),
      m_nBlockFrames(InputFrameAt(segmentFrames)), m_nHeld(heldSegments),
      m_nMaxInFlight(InFlightLimit(size_t(threads))),
      m_nMappedAhead(std::min<size_t>(size_t(threads), kMostBlocksAhead)),
      m_nChunkSamples(ChunkSamplesFor(format)), m_info(InfoFrame::ForFormat(format).value()),
      // The first call also hands out the Info frame's placeholder.
      m_nOutputBytes(SegmentedOutputBytes(format, segmentFrames, m_nMaxInFlight, heldSegments) +
                     m_info.Bytes()),
      m_carry(format.channels, m_nChunkSamples) {
    AddSpareBlocks();
    try {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { Work(); });
    } catch (...) {
        // No destructor runs for a stream half built: the threads that did
        // start are ended here before the failure goes on to the caller.
        EndThreads();
        throw;
    }
}

SegmentedStream::~SegmentedStream() {
    EndThreads();
}

void SegmentedStream::EndThreads() {
    Cancel();
    for (std::thread& thread : m_threads)
        thread.join();
}

void SegmentedStream::Cancel() {
    std::lock_guard lock(m_poolMutex);
    m_bCancelled = true;
    m_wake.notify_all();
    m_done.notify_all();
}

std::vector<uint64_t> SegmentedStream::Joins() {
    std::lock_guard lock(m_callMutex);
    return m_joins;
}

std::vector<SegmentTimes> SegmentedStream::Times() {
    std::lock_guard lock(m_callMutex);
    return m_times;
}

double SegmentedStream::FinalJoinCpu() {
    std::lock_guard lock(m_callMutex);
    return m_nFinalJoinCpu;
}

// Each thread sets up its next encoder while it waits for a segment (until
// the last is queued), so that a segment starts encoding at once.
void SegmentedStream::Work() {
    ReadyEncoder ready;
    std::unique_lock lock(m_poolMutex);
    for (;;) {
        if (!ready.lame && !m_bAllQueued && !m_bCancelled) {
            lock.unlock();
            ready = SetUpAhead(m_format);
            lock.lock();
        }
        m_wake.wait(lock,
                    [this] { return m_bCancelled || !m_queue.empty() || !m_toMapIn.empty(); });
        if (m_bCancelled) {
            if (ready.lame)
                lame_close(ready.lame);
            return;
        }
        if (m_queue.empty()) {
            const std::shared_ptr<InputBlock> block = std::move(m_toMapIn.front());
            m_toMapIn.pop_front();
            lock.unlock();
            block->MapIn();
            lock.lock();
            continue;
        }
        const std::shared_ptr<Segment> segment = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        if (!ready.lame)
            ready = SetUpAhead(m_format);
        segment->times.setupCpu = ready.setupCpu;
        const bool encoded = TryEncodeSegment(m_format, *segment, ready.lame, m_bCancelled);
        ready = {};
        lock.lock();
        segment->failed = !encoded;
        segment->done = true;
        m_done.notify_all();
    }
}

void SegmentedStream::StartCallerClock() {
    if (m_nCallerCpuStart < 0)
        m_nCallerCpuStart = ThreadCpuSeconds();
}

uint64_t SegmentedStream::InputFrameAt(uint64_t frame) const {
    return FirstInputFrame(frame, m_format.inputRate);
}

// The caller's samples go into blocks of one segment's own input frames each.
void SegmentedStream::StoreInput(std::span<const int16_t> samples) {
    const size_t channels = size_t(m_format.channels);
    const size_t blockSamples = size_t(m_nBlockFrames) * channels;
    for (size_t done = 0; done < samples.size();) {
        const size_t at = size_t(m_nInputFrames % m_nBlockFrames) * channels;
        if (at == 0)
            m_blocks.push_back(NextBlock());
        const size_t take = std::min(blockSamples - at, samples.size() - done);
        std::memcpy(m_blocks.back()->samples.get() + at, samples.data() + done,
                    take * sizeof(int16_t));
        done += take;
        m_nInputFrames += take / channels;
    }
}

// The block the caller fills next: the oldest spare, which an idle thread
// has likely mapped in by now. While the threads are all busy nobody does,
// and the block leaves the ones to map in, else they would keep every block.
std::shared_ptr<InputBlock> SegmentedStream::NextBlock() {
    std::shared_ptr<InputBlock> block = std::move(m_spares.front());
    m_spares.pop_front();
    {
        std::lock_guard lock(m_poolMutex);
        if (!m_toMapIn.empty() && m_toMapIn.front() == block)
            m_toMapIn.pop_front();
    }
    AddSpareBlocks();
    return block;
}

// Keeps blocks ahead of the caller for idle threads to map in, so that its
// copies take no page faults while the threads wait for input.
void SegmentedStream::AddSpareBlocks() {
    const size_t samples = size_t(m_nBlockFrames) * size_t(m_format.channels);
    while (m_spares.size() < m_nMappedAhead) {
        m_spares.push_back(std::make_shared<InputBlock>(samples));
        std::lock_guard lock(m_poolMutex);
        m_toMapIn.push_back(m_spares.back());
        m_wake.notify_one();
    }
}

// The segment that starts at the next start and keeps `frames` frames, or the
// last one, which takes all the input left; it shares the blocks it reads.
std::shared_ptr<Segment> SegmentedStream::NextSegment(uint64_t frames, bool last) {
    auto segment = std::make_shared<Segment>();
    segment->firstFrame = m_nNextStart;
    segment->times = {.firstFrame = m_nNextStart,
                      .keptFrames = frames,
                      .callerCpuAtQueue = ThreadCpuSeconds() - m_nCallerCpuStart};
    const uint64_t overlap = OverlapFrames(m_format.inputRate);
    segment->framesWanted = last ? 0 : size_t(frames + overlap);
    segment->from = InputFrameAt(m_nNextStart);
    segment->to = last ? m_nInputFrames
                       : std::min(m_nInputFrames,
                                  InputFrameAt(m_nNextStart + frames + overlap + kLookAheadFrames));
    segment->blockFrames = m_nBlockFrames;
    segment->firstBlock = segment->from / m_nBlockFrames;
    for (uint64_t block = segment->firstBlock; block * m_nBlockFrames < segment->to; ++block)
        segment->blocks.push_back(m_blocks[size_t(block - m_nFirstBlock)]);
    m_nNextStart += frames;
    // Blocks wholly before the next segment's input are left to the segments.
    while (!m_blocks.empty() &&
           (m_nFirstBlock + 1) * m_nBlockFrames <= InputFrameAt(m_nNextStart)) {
        m_blocks.pop_front();
        ++m_nFirstBlock;
    }
    return segment;
}

// Hands out each full segment that more than the held ones follow, so that
// the flush can share the held ones out.
void SegmentedStream::QueueReadySegments() {
    while (FullSegmentReady(m_nNextStart, m_nInputFrames, m_format.inputRate, Plan()))
        if (!Queue(NextSegment(m_nSegmentFrames, false)))
            return;
}

// Hands a segment to the threads, waiting for the oldest one when too many
// are in flight, so that memory stays flat.
bool SegmentedStream::Queue(std::shared_ptr<Segment> segment) {
    while (m_inOrder.size() >= m_nMaxInFlight)
        if (!TakeFinished(true))
            return false;
    m_inOrder.push_back(segment);
    std::lock_guard lock(m_poolMutex);
    m_queue.push_back(std::move(segment));
    m_wake.notify_one();
    return true;
}

// The input left at the flush is cut into pieces that the threads finish
// together, instead of one thread encoding the whole last segment.
bool SegmentedStream::DispatchTail() {
    // Every segment handed out before the flush is a full one.
    const std::vector<uint64_t> pieces =
        FlushPieces(m_nInputFrames, m_format.inputRate, m_nNextStart,
                    size_t(m_nNextStart / m_nSegmentFrames), m_threads.size(), Plan());
    for (size_t i = 0; i + 1 < pieces.size(); ++i)
        if (!Queue(NextSegment(pieces[i], false)))
            return false;
    const bool queued = Queue(NextSegment(0, true));
    m_blocks.clear();
    m_spares.clear();
    std::lock_guard lock(m_poolMutex);
    m_bAllQueued = true;
    m_toMapIn.clear();
    return queued;
}

// Joins the oldest segment if it is encoded (or, with `wait`, once it is).
bool SegmentedStream::TakeFinished(bool wait) {
    std::shared_ptr<Segment> segment;
    {
        std::unique_lock lock(m_poolMutex);
        if (wait)
            m_done.wait(lock, [this] { return m_bCancelled || m_inOrder.front()->done; });
        if (m_bCancelled || !m_inOrder.front()->done)
            return false;
        segment = std::move(m_inOrder.front());
        m_inOrder.pop_front();
    }
    m_nLastTakenCpu = ThreadCpuSeconds();
    m_times.push_back(segment->times);
    if (segment->failed) {
        m_bFailed = true;
        return false;
    }
    JoinSegment(*segment);
    if (segment->framesWanted == 0)
        m_nPadding = segment->padding;
    return true;
}

// The later segment's frames replace the earlier's from the join on; the
// reservoir bytes its first frame borrows go into the earlier's free bytes.
void SegmentedStream::JoinSegment(Segment& segment) {
    if (!m_bHasPending) {
        m_pending = std::move(segment.output);
        m_nPendingKeep = 0;
        m_bHasPending = true;
        return;
    }
    const uint64_t preferred = segment.firstFrame + PrimingFrames(m_format.inputRate);
    const uint64_t join = ChooseJoin(m_pending, m_nPendingKeep, segment.output, preferred,
                                     preferred + kJoinWindowFrames - 1);
    RelayBorrowedBytes(m_pending, segment.output, join);
    const FrameInfo& first = m_pending.frames[m_nPendingKeep];
    const FrameInfo& end = m_pending.frames[size_t(join - m_pending.firstFrame)];
    m_ready.insert(m_ready.end(), m_pending.bytes.begin() + first.offset,
                   m_pending.bytes.begin() + end.offset);
    m_nPendingKeep = size_t(join - segment.firstFrame);
    m_pending = std::move(segment.output);
    m_joins.push_back(join);
}

// Appends the joined bytes to the `*at` bytes of `output` a call hands out.
bool SegmentedStream::HandOutReady(uint8_t* output, uint32_t* at) {
    if (*at + m_ready.size() + m_info.Bytes() > m_nOutputBytes)
        return false;
    if (!m_ready.empty()) // an empty vector may have no storage at all
        std::memcpy(output + *at, m_ready.data(), m_ready.size());
    *at += m_info.HandOut(output + *at, uint32_t(m_ready.size()));
    m_ready.clear();
    return true;
}

BE_ERR SegmentedStream::Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                               uint32_t* written) {
    std::lock_guard lock(m_callMutex);
    if (m_bFlushed || m_bCancelled)
        return BE_ERR_INVALID_HANDLE;
    if (count > m_nChunkSamples)
        return BE_ERR_INVALID_ARGUMENT;
    StartCallerClock();
    StoreInput(m_carry.Whole(samples, count));
    if (!m_bFailed)
        QueueReadySegments();
    while (!m_bFailed && !m_inOrder.empty() && TakeFinished(false)) {
    }
    *written = 0;
    if (m_bFailed || m_bCancelled || !HandOutReady(output, written))
        return BE_ERR_ENCODER_FAILED;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR SegmentedStream::Flush(uint8_t* output, uint32_t* written) {
    std::lock_guard lock(m_callMutex);
    if (m_bFlushed || m_bCancelled)
        return BE_ERR_INVALID_HANDLE;
    m_bFlushed = true;
    m_carry.Clear();
    StartCallerClock();
    // Each segment's bytes go out as it is joined, so that little is left
    // for the caller once the last one is encoded.
    *written = 0;
    if (!m_bFailed && DispatchTail())
        while (!m_bFailed && !m_inOrder.empty() && TakeFinished(true))
            if (!HandOutReady(output, written))
                m_bFailed = true;
    if (m_bFailed || m_bCancelled || !m_inOrder.empty())
        return BE_ERR_ENCODER_FAILED;
    if (m_pending.frames.size() > m_nPendingKeep) {
        const FrameInfo& first = m_pending.frames[m_nPendingKeep];
        const FrameInfo& last = m_pending.frames.back();
        m_ready.insert(m_ready.end(), m_pending.bytes.begin() + first.offset,
                       m_pending.bytes.begin() + last.offset + last.size);
    }
    m_bComplete = HandOutReady(output, written);
    m_nFinalJoinCpu = ThreadCpuSeconds() - m_nLastTakenCpu;
    return m_bComplete ? BE_ERR_SUCCESSFUL : BE_ERR_ENCODER_FAILED;
}

BE_ERR SegmentedStream::InfoTag(uint8_t* output, uint32_t* written) {
    std::lock_guard lock(m_callMutex);
    return m_info.Write(m_bComplete ? m_nPadding : -1, output, written);
}
