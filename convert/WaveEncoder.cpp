#include "WaveEncoder.h"

#include "WaveFile.h"
#include "WaveSamples.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

EncodeResult Failure(const char* message) {
    return {EncodeOutcome::Failed, message};
}

EncodeResult FileFailure(const char* message) {
    return {EncodeOutcome::Failed, message, true};
}

// Reads up to `bytes`, fewer only at the end of the file; -1 on an error.
long long ReadFully(int fd, unsigned char* data, long long bytes) {
    long long done = 0;
    while (done < bytes) {
        const ssize_t read = ::read(fd, data + done, size_t(bytes - done));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return -1;
        if (read == 0)
            break;
        done += read;
    }
    return done;
}

class SourceFile {
public:
    explicit SourceFile(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~SourceFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// A stream of the loaded encoder library, closed on every way out (not the
// library's own EncoderStream, which encodes inside the library).
class LoadedLibraryStream {
public:
    explicit LoadedLibraryStream(const CEncoderLibrary& library) : m_library(library) {}
    ~LoadedLibraryStream() { Close(); }
    LoadedLibraryStream(const LoadedLibraryStream&) = delete;
    LoadedLibraryStream& operator=(const LoadedLibraryStream&) = delete;

    bool Open(const BE_CONFIG& config) {
        const bool open = m_library.m_pBeInitStream(&config, &m_samples, &m_outputBytes,
                                                    &m_stream) == BE_ERR_SUCCESSFUL;
        m_open = open;
        return open;
    }
    // From any thread, once: a call in progress on the stream then fails at once.
    void Close() {
        if (m_open.exchange(false))
            m_library.m_pBeCloseStream(m_stream);
    }
    HBE_STREAM handle() const { return m_stream; }
    uint32_t chunkSamples() const { return m_samples; }
    uint32_t outputBytes() const { return m_outputBytes; }

private:
    const CEncoderLibrary& m_library;
    HBE_STREAM m_stream = 0;
    uint32_t m_samples = 0;
    uint32_t m_outputBytes = 0;
    std::atomic<bool> m_open{false};
};

BE_CONFIG ConfigFor(const EncodeJob& job, const WaveFormat& format) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = uint32_t(format.sampleRate); // the library resamples to 44100 Hz
    config.byMode = EncoderModeFor(job.channelMode);
    config.wBitrate = uint16_t(job.bitrate & 0xFFFF);
    return config;
}

bool WriteAll(QSaveFile& target, const uint8_t* data, uint32_t bytes) {
    return bytes == 0 || target.write(reinterpret_cast<const char*>(data), bytes) == bytes;
}

// A library call that a stop cut short is no failure of the file.
EncodeResult UnlessStopped(const EncodeEvents& events, const EncodeResult& failure) {
    return events.stop.stop_requested() ? EncodeResult{EncodeOutcome::Stopped, {}} : failure;
}

// Writes the finished Info frame over the placeholder the stream began with.
// A library without the entry point leaves the placeholder, which plays.
EncodeResult WriteInfoTag(const CEncoderLibrary& library, HBE_STREAM stream, QSaveFile& target,
                          uint8_t* output) {
    if (!library.m_pBeGetInfoTag)
        return {};
    uint32_t written = 0;
    if (library.m_pBeGetInfoTag(stream, output, &written) != BE_ERR_SUCCESSFUL ||
        written > target.size())
        return {EncodeOutcome::FailedSilently, {}};
    if (!target.seek(0) || !WriteAll(target, output, written))
        return Failure("Write error!");
    return {};
}

} // namespace

uint8_t EncoderModeFor(int channelMode) {
    switch (channelMode) {
    case 0:
        return BE_MP3_MODE_DUALCHANNEL;
    case 2:
        return BE_MP3_MODE_MONO;
    default:
        return BE_MP3_MODE_STEREO;
    }
}

EncodeResult EncodeWaveFile(const CEncoderLibrary& library, const EncodeJob& job,
                            const EncodeEvents& events) {
    BE_VERSION version{};
    library.m_pBeVersion(&version);

    const SourceFile source(job.source);
    const std::optional<WaveFormat> format =
        source.fd() >= 0 ? ReadWaveFormat(source.fd()) : std::nullopt;
    if (!format || format->channels > 2)
        return FileFailure("Failed to open wave file!");
    QSaveFile target(job.target);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failure("Error creating mp3 file!");

    LoadedLibraryStream stream(library);
    const BE_CONFIG config = ConfigFor(job, *format);
    if (!stream.Open(config))
        return Failure("Error attempting to encode!");
    const std::stop_callback closeOnStop(events.stop, [&stream] { stream.Close(); });
    const int outChannels = config.byMode == BE_MP3_MODE_MONO ? 1 : 2;
    const long long chunkFrames = std::max<long long>(1, stream.chunkSamples() / outChannels);
    const long long chunkBytes = chunkFrames * format->blockAlign;
    std::unique_ptr<uint8_t[]> output(new (std::nothrow) uint8_t[stream.outputBytes()]);
    std::unique_ptr<unsigned char[]> input(new (std::nothrow) unsigned char[size_t(chunkBytes)]);
    std::unique_ptr<int16_t[]> samples(new (std::nothrow)
                                           int16_t[size_t(chunkFrames * outChannels)]);
    if (!output || !input || !samples)
        return Failure("Out of memory!");

    struct stat info {};
    const long long fileBytes = ::fstat(source.fd(), &info) == 0
                                    ? (long long)info.st_size
                                    : format->dataOffset + format->dataBytes;
    events.started(fileBytes);
    if (::lseek(source.fd(), format->dataOffset, SEEK_SET) < 0)
        return FileFailure("Read error!");
    for (long long done = 0; done < format->dataBytes;) {
        if (events.stop.stop_requested())
            return {EncodeOutcome::Stopped, {}};
        const long long wanted = std::min(chunkBytes, format->dataBytes - done);
        const long long read = ReadFully(source.fd(), input.get(), wanted);
        if (read < 0)
            return FileFailure("Read error!");
        const size_t frames = size_t(read / format->blockAlign);
        const size_t count =
            ToEncoderSamples(input.get(), frames, *format, outChannels, samples.get());
        uint32_t written = 0;
        if (library.m_pBeEncodeChunk(stream.handle(), uint32_t(count), samples.get(), output.get(),
                                     &written) != BE_ERR_SUCCESSFUL)
            return UnlessStopped(events, FileFailure("Convert to mp3 failed!"));
        if (!WriteAll(target, output.get(), written))
            return Failure("Write error!");
        // The file ended before its data chunk did: what it held is encoded.
        done = read < wanted ? format->dataBytes : done + read;
        events.progressed(done == format->dataBytes ? fileBytes : format->dataOffset + done);
    }
    uint32_t written = 0;
    if (library.m_pBeDeinitStream(stream.handle(), output.get(), &written) != BE_ERR_SUCCESSFUL)
        return UnlessStopped(events, {EncodeOutcome::FailedSilently, {}});
    if (!WriteAll(target, output.get(), written))
        return Failure("Write error!");
    const EncodeResult tagged = WriteInfoTag(library, stream.handle(), target, output.get());
    if (tagged.outcome != EncodeOutcome::Done)
        return UnlessStopped(events, tagged);
    stream.Close();
    if (!target.commit())
        return Failure("Write error!");
    return {};
}
