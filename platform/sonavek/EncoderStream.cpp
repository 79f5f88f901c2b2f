#include "EncoderStream.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <sys/mman.h>

static_assert(std::endian::native == std::endian::little,
              "input samples are little-endian and handed to LAME as they are");

namespace {

constexpr int kOutputRate = 44100;
constexpr int kMinInputRate = 1000;
constexpr int kMaxInputRate = 384000;
constexpr int kLameQuality = 3; // the lame tool's default
constexpr std::array kLayer3Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                        112, 128, 160, 192, 224, 256, 320};

// lame_init_params fills shared tables the first time, so the first set-up
// is kept apart from every other; later ones only write the same values into
// them again, and sixteen threads setting up at once must not wait in turn.
std::mutex g_setupMutex;
std::atomic<bool> g_tablesFilled{false};

std::optional<MPEG_mode> ModeFromConfig(uint8_t mode) {
    switch (mode) {
    case BE_MP3_MODE_STEREO:
        return STEREO;
    case BE_MP3_MODE_DUALCHANNEL:
        return DUAL_CHANNEL;
    case BE_MP3_MODE_MONO:
        return MONO;
    default:
        return std::nullopt;
    }
}

bool IsLayer3Bitrate(int kbps) {
    return std::find(kLayer3Bitrates.begin(), kLayer3Bitrates.end(), kbps) != kLayer3Bitrates.end();
}

// LAME does not check its own allocations: short of memory, it crashes the
// process. Address space for several of its encoders (each takes about
// 1.5 MiB), mapped and given back first, turns the shortage into a failure.
bool RoomForLame() {
    constexpr size_t kRoom = size_t(8) << 20;
    void* room =
        mmap(nullptr, kRoom, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (room == MAP_FAILED)
        return false;
    munmap(room, kRoom);
    return true;
}

} // namespace

lame_t SetUpLame(const StreamFormat& format, bool infoFrame) {
    if (!RoomForLame())
        return nullptr;
    std::unique_lock lock(g_setupMutex, std::defer_lock);
    if (!g_tablesFilled.load(std::memory_order_acquire))
        lock.lock();
    lame_t lame = lame_init();
    if (!lame)
        return nullptr;
    lame_set_in_samplerate(lame, format.inputRate);
    lame_set_out_samplerate(lame, kOutputRate);
    lame_set_num_channels(lame, format.channels);
    lame_set_mode(lame, format.mode);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, format.kbps);
    lame_set_quality(lame, kLameQuality);
    // LAME's own Info frame only lends ours its settings: the streams write
    // theirs for the frames they hand out, joined or not.
    lame_set_bWriteVbrTag(lame, infoFrame);
    if (lame_init_params(lame) < 0 || lame_get_out_samplerate(lame) != kOutputRate ||
        lame_get_brate(lame) != format.kbps || lame_get_version(lame) != 1) {
        lame_close(lame);
        return nullptr;
    }
    g_tablesFilled.store(true, std::memory_order_release);
    return lame;
}

uint32_t ChunkSamplesFor(const StreamFormat& format) {
    return uint32_t(format.inputRate * format.channels);
}

// 1.25 * samples per channel + 7200, counted at whichever side of the
// resampler has more samples.
uint32_t LameOutputBytes(const StreamFormat& format, uint64_t inputFrames) {
    const double outputFrames = std::ceil(double(inputFrames) * kOutputRate / format.inputRate);
    return uint32_t(std::ceil(1.25 * std::max(double(inputFrames), outputFrames))) + 7200;
}

SampleCarry::SampleCarry(int channels, uint32_t chunkSamples) : m_nChannels(channels) {
    m_carry.reserve(size_t(channels));
    m_joined.reserve(chunkSamples + size_t(channels));
}

std::span<const int16_t> SampleCarry::Whole(const int16_t* samples, uint32_t count) {
    if (m_carry.empty() && count % m_nChannels == 0)
        return {samples, count};
    m_joined.assign(m_carry.begin(), m_carry.end());
    m_joined.insert(m_joined.end(), samples, samples + count);
    const size_t whole = m_joined.size() - m_joined.size() % m_nChannels;
    m_carry.assign(m_joined.begin() + whole, m_joined.end());
    return {m_joined.data(), whole};
}

std::optional<StreamFormat> FormatFromConfig(const BE_CONFIG& config) {
    const std::optional<MPEG_mode> mode = ModeFromConfig(config.byMode);
    if (config.dwConfig != BE_CONFIG_MP3 || !mode || !IsLayer3Bitrate(config.wBitrate) ||
        config.dwSampleRate < kMinInputRate || config.dwSampleRate > kMaxInputRate)
        return std::nullopt;
    StreamFormat format;
    format.inputRate = int(config.dwSampleRate);
    format.channels = *mode == MONO ? 1 : 2;
    format.mode = *mode;
    format.kbps = config.wBitrate;
    return format;
}

std::unique_ptr<EncoderStream> EncoderStream::Open(const StreamFormat& format) {
    std::optional<InfoFrame> info = InfoFrame::ForFormat(format);
    lame_t lame = info ? SetUpLame(format) : nullptr;
    if (!lame)
        return nullptr;
    return std::unique_ptr<EncoderStream>(new EncoderStream(lame, format, std::move(*info)));
}

EncoderStream::EncoderStream(lame_t lame, const StreamFormat& format, InfoFrame info)
    : m_hLame(lame), m_nChannels(format.channels), m_nChunkSamples(ChunkSamplesFor(format)),
      // One carried sample may join a full chunk; the first call also hands
      // out the Info frame's placeholder.
      m_nOutputBytes(LameOutputBytes(format, m_nChunkSamples / format.channels + 1) + info.Bytes()),
      m_info(std::move(info)), m_carry(format.channels, m_nChunkSamples) {}

EncoderStream::~EncoderStream() {
    lame_close(m_hLame);
}

BE_ERR EncoderStream::Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                             uint32_t* written) {
    std::lock_guard lock(m_mutex);
    if (m_bFlushed || m_bCancelled)
        return BE_ERR_INVALID_HANDLE;
    if (count > m_nChunkSamples)
        return BE_ERR_INVALID_ARGUMENT;
    const std::span<const int16_t> whole = m_carry.Whole(samples, count);
    return EncodeFrames(whole.data(), int(whole.size() / m_nChannels), output, written);
}

BE_ERR EncoderStream::EncodeFrames(const int16_t* samples, int frames, uint8_t* output,
                                   uint32_t* written) {
    // LAME only reads the samples; its interleaved entry point lacks the const.
    int16_t* pcm = const_cast<int16_t*>(samples);
    const int room = int(m_nOutputBytes - m_info.Bytes());
    const int bytes = m_nChannels == 2
                          ? lame_encode_buffer_interleaved(m_hLame, pcm, frames, output, room)
                          : lame_encode_buffer(m_hLame, pcm, pcm, frames, output, room);
    if (bytes < 0)
        return BE_ERR_ENCODER_FAILED;
    *written = m_info.HandOut(output, uint32_t(bytes));
    return BE_ERR_SUCCESSFUL;
}

BE_ERR EncoderStream::Flush(uint8_t* output, uint32_t* written) {
    std::lock_guard lock(m_mutex);
    if (m_bFlushed || m_bCancelled)
        return BE_ERR_INVALID_HANDLE;
    m_bFlushed = true;
    m_carry.Clear();
    const int bytes = lame_encode_flush(m_hLame, output, int(m_nOutputBytes - m_info.Bytes()));
    if (bytes < 0)
        return BE_ERR_ENCODER_FAILED;
    *written = m_info.HandOut(output, uint32_t(bytes));
    m_nPadding = lame_get_encoder_padding(m_hLame);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR EncoderStream::InfoTag(uint8_t* output, uint32_t* written) {
    std::lock_guard lock(m_mutex);
    return m_info.Write(m_nPadding, output, written);
}
