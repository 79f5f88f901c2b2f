#include "Mp3Decoder.h"

#include <QFile>

#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

// Serves the decoder's many small reads (a frame header, then its body) from
// one large block, so a file costs a read call per block instead of two per
// frame. The decoder sees only the probe's runs of frames, back to back, as
// the whole file.
class BufferedFileReader {
public:
    ~BufferedFileReader() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool Open(const QString& path, const std::vector<Mp3FrameRun>& runs) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        for (const Mp3FrameRun& run : runs) {
            m_runs.push_back({m_length, off_t(run.start)});
            m_length += off_t(run.end - run.start);
        }
        return m_fd >= 0;
    }

    static mpg123_ssize_t Read(void* self, void* out, size_t bytes) {
        return static_cast<BufferedFileReader*>(self)->ReadAt(static_cast<char*>(out), bytes);
    }

    static off_t Seek(void* self, off_t offset, int whence) {
        return static_cast<BufferedFileReader*>(self)->MoveTo(offset, whence);
    }

private:
    static constexpr size_t kBlock = 256 * 1024;

    mpg123_ssize_t ReadAt(char* out, size_t bytes) {
        size_t copied = 0;
        while (copied < bytes) {
            if (!Buffered() && !Fill())
                return copied > 0 ? mpg123_ssize_t(copied) : m_fillResult;
            const size_t from = size_t(m_position - m_blockStart);
            const size_t n = std::min(bytes - copied, m_block.size() - from);
            std::memcpy(out + copied, m_block.data() + from, n);
            copied += n;
            m_position += off_t(n);
        }
        return mpg123_ssize_t(copied);
    }

    bool Buffered() const {
        return m_position >= m_blockStart && m_position < m_blockStart + off_t(m_block.size());
    }

    // False at the end of the stream (m_fillResult 0) or on an error (-1).
    // A block never spans two runs.
    bool Fill() {
        m_blockStart = m_position;
        m_block.clear();
        m_fillResult = 0;
        if (m_position >= m_length)
            return false;
        const auto run = std::prev(std::upper_bound(m_runs.begin(), m_runs.end(), m_position,
                                                    [](off_t position, const Run& candidate) {
                                                        return position < candidate.streamOffset;
                                                    }));
        const off_t runEnd =
            std::next(run) == m_runs.end() ? m_length : std::next(run)->streamOffset;
        const size_t wanted = size_t(std::min<off_t>(runEnd - m_position, kBlock));
        m_block.resize(wanted);
        ssize_t got = -1;
        do
            got = ::pread(m_fd, m_block.data(), wanted,
                          run->fileOffset + m_position - run->streamOffset);
        while (got < 0 && errno == EINTR);
        m_block.resize(got > 0 ? size_t(got) : 0);
        m_fillResult = got < 0 ? -1 : 0;
        return got > 0;
    }

    off_t MoveTo(off_t offset, int whence) {
        off_t base = 0;
        if (whence == SEEK_CUR) {
            base = m_position;
        } else if (whence == SEEK_END) {
            base = m_length;
        } else if (whence != SEEK_SET) {
            return -1;
        }
        if (base + offset < 0)
            return -1;
        m_position = base + offset;
        return m_position;
    }

    // Where a run starts in the stream the decoder sees, and in the file.
    struct Run {
        off_t streamOffset;
        off_t fileOffset;
    };

    int m_fd = -1;
    std::vector<Run> m_runs;
    off_t m_length = 0;
    std::vector<char> m_block;
    off_t m_blockStart = 0;
    off_t m_position = 0;
    mpg123_ssize_t m_fillResult = 0;
};

namespace {

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder() {
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
}

bool Mp3Decoder::Fail(const char* what) {
    m_error = QString("%1: %2").arg(what, m_handle ? mpg123_strerror(m_handle) : "no decoder");
    return false;
}

bool Mp3Decoder::Open(const QString& path, const Mp3ProbeResult& stream) {
    InitLibrary();
    int error = MPG123_OK;
    m_handle = mpg123_new(nullptr, &error);
    if (!m_handle)
        return Fail("cannot create the decoder");
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Only 16-bit output, at the stream's own rate: no resampling.
    mpg123_format_none(m_handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    m_reader = std::make_unique<BufferedFileReader>();
    if (!m_reader->Open(path, stream.runs) ||
        mpg123_replace_reader_handle(m_handle, &BufferedFileReader::Read, &BufferedFileReader::Seek,
                                     nullptr) != MPG123_OK ||
        mpg123_open_handle(m_handle, m_reader.get()) != MPG123_OK)
        return Fail("cannot open the file");
    return Measure(stream.taggedFrames);
}

bool Mp3Decoder::Measure(long long taggedFrames) {
    // Only a tag whose count the caller's walk confirmed spares the library's own walk.
    const bool tagConfirmed = taggedFrames > 0 && mpg123_framelength(m_handle) == taggedFrames;
    if (!tagConfirmed && mpg123_scan(m_handle) != MPG123_OK)
        return Fail("cannot read the frame headers");
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK)
        return Fail("cannot read the format");
    m_rate = int(rate);
    m_channels = channels;
    m_frames = mpg123_framelength(m_handle);
    m_samples = mpg123_length(m_handle);
    m_samplesPerFrame = mpg123_spf(m_handle);
    if (m_frames <= 0 || m_samples < 0 || m_samplesPerFrame <= 0)
        return Fail("cannot measure the stream");
    return true;
}

long long Mp3Decoder::CurrentFrame() const {
    return m_handle ? (long long)mpg123_tellframe(m_handle) : 0;
}

bool Mp3Decoder::Rewind() {
    return mpg123_seek_frame(m_handle, 0, SEEK_SET) >= 0 || Fail("cannot go back to the start");
}

Mp3Decoder::Step Mp3Decoder::DecodeFrame(const unsigned char** pcm, size_t* bytes) {
    off_t frame = 0;
    unsigned char* audio = nullptr;
    *bytes = 0;
    const int result = mpg123_decode_frame(m_handle, &frame, &audio, bytes);
    *pcm = audio;
    if (result == MPG123_OK)
        return Step::Frame;
    if (result == MPG123_DONE)
        return Step::End;
    if (result == MPG123_NEW_FORMAT) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(m_handle, &rate, &channels, &encoding);
        if (rate == m_rate && channels == m_channels)
            return Step::Frame;
        m_error = "the stream changes its format";
        return Step::FormatChanged;
    }
    Fail("decoding failed");
    return Step::Error;
}
