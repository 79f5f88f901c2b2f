#include "SegmentedStream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <sched.h>
#include <thread>
#include <unordered_map>

namespace {

constexpr uint8_t kLibraryMajorVersion = 1;
constexpr uint8_t kLibraryMinorVersion = 0;

// Streams by opaque handle. A call keeps its stream alive through the shared
// pointer, so closing a handle on another thread never frees a stream in use.
class StreamTable {
public:
    bool Add(std::shared_ptr<Mp3Stream> stream, HBE_STREAM* handle) {
        std::lock_guard lock(m_mutex);
        if (m_streams.size() >= kMaxStreams)
            return false;
        do
            ++m_nNext;
        while (m_nNext == 0 || m_streams.count(m_nNext));
        m_streams.emplace(m_nNext, std::move(stream));
        *handle = m_nNext;
        return true;
    }

    std::shared_ptr<Mp3Stream> Find(HBE_STREAM handle) {
        std::lock_guard lock(m_mutex);
        const auto found = m_streams.find(handle);
        return found == m_streams.end() ? nullptr : found->second;
    }

    // A call still in progress keeps the stream, so it is cancelled first:
    // its threads end now, not when that call returns. The stream is freed
    // (its threads joined) outside the lock, so other streams' calls go on.
    bool Remove(HBE_STREAM handle) {
        std::shared_ptr<Mp3Stream> removed;
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_streams.find(handle);
            if (found == m_streams.end())
                return false;
            removed = std::move(found->second);
            m_streams.erase(found);
        }
        removed->Cancel();
        return true;
    }

private:
    static constexpr size_t kMaxStreams = 4096;
    std::mutex m_mutex;
    std::unordered_map<HBE_STREAM, std::shared_ptr<Mp3Stream>> m_streams;
    HBE_STREAM m_nNext = 0;
};

// The cores the calling thread may run on (taskset, a container's CPU set),
// which can be fewer than the machine has.
int EncodingThreads() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return std::max(1, int(std::thread::hardware_concurrency()));
}

StreamTable& Streams() {
    static StreamTable table;
    return table;
}

// Nothing thrown inside the library (a failed allocation or thread start)
// may reach a C caller: it ends as a failure code.
template <typename Call> BE_ERR Guarded(Call call) noexcept {
    try {
        return call();
    } catch (...) {
        return BE_ERR_ENCODER_FAILED;
    }
}

// A stream call that throws may leave the stream half changed, so the stream
// fails: its threads end, its later calls fail, and its handle stays for
// beCloseStream.
template <typename Call> BE_ERR OnStream(HBE_STREAM handle, Call call) {
    const std::shared_ptr<Mp3Stream> encoder = Streams().Find(handle);
    if (!encoder)
        return BE_ERR_INVALID_HANDLE;
    try {
        return call(*encoder);
    } catch (...) {
        encoder->Cancel();
        return BE_ERR_ENCODER_FAILED;
    }
}

} // namespace

extern "C" {

BE_ERR beVersion(BE_VERSION* version) {
    if (!version)
        return BE_ERR_INVALID_ARGUMENT;
    std::memset(version, 0, sizeof *version);
    lame_version_t engine;
    get_lame_version_numerical(&engine);
    version->byDLLMajorVersion = kLibraryMajorVersion;
    version->byDLLMinorVersion = kLibraryMinorVersion;
    version->byMajorVersion = uint8_t(engine.major);
    version->byMinorVersion = uint8_t(engine.minor);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beInitStream(const BE_CONFIG* config, uint32_t* samples, uint32_t* bufferSize,
                    HBE_STREAM* stream) {
    if (!config || !samples || !bufferSize || !stream)
        return BE_ERR_INVALID_ARGUMENT;
    return Guarded([&]() -> BE_ERR {
        const std::optional<StreamFormat> format = FormatFromConfig(*config);
        if (!format)
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        std::shared_ptr<Mp3Stream> encoder = OpenStream(*format, EncodingThreads());
        if (!encoder)
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        const uint32_t chunkSamples = encoder->ChunkSamples();
        const uint32_t outputBytes = encoder->OutputBytes();
        if (!Streams().Add(std::move(encoder), stream))
            return BE_ERR_NO_MORE_HANDLES;
        *samples = chunkSamples;
        *bufferSize = outputBytes;
        return BE_ERR_SUCCESSFUL;
    });
}

BE_ERR beEncodeChunk(HBE_STREAM stream, uint32_t sampleCount, const int16_t* samples,
                     uint8_t* output, uint32_t* written) {
    if ((!samples && sampleCount) || !output || !written)
        return BE_ERR_INVALID_ARGUMENT;
    return Guarded([&] {
        return OnStream(stream, [&](Mp3Stream& encoder) {
            return encoder.Encode(samples, sampleCount, output, written);
        });
    });
}

BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* written) {
    if (!output || !written)
        return BE_ERR_INVALID_ARGUMENT;
    return Guarded([&] {
        return OnStream(stream, [&](Mp3Stream& encoder) { return encoder.Flush(output, written); });
    });
}

BE_ERR beGetInfoTag(HBE_STREAM stream, uint8_t* output, uint32_t* written) {
    if (!output || !written)
        return BE_ERR_INVALID_ARGUMENT;
    return Guarded([&] {
        return OnStream(stream,
                        [&](Mp3Stream& encoder) { return encoder.InfoTag(output, written); });
    });
}

BE_ERR beCloseStream(HBE_STREAM stream) {
    return Guarded(
        [&] { return Streams().Remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE; });
}

} // extern "C"
