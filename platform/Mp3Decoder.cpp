#include "Mp3Decoder.h"

#include <QFile>

#include <mpg123.h>

#include <mutex>

namespace {

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

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

bool Mp3Decoder::Open(const QString& path) {
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

    if (mpg123_open(m_handle, QFile::encodeName(path).constData()) != MPG123_OK)
        return Fail("cannot open the file");
    if (mpg123_scan(m_handle) != MPG123_OK)
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
