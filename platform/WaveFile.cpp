#include "WaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Small enough to stay in the CPU cache: the kernel copies each block again,
// and copying a block of several MiB from memory cost more than the calls saved.
constexpr size_t kWriteBlock = 64 * 1024;
constexpr int kMinWaveRate = 1000;
constexpr int kMaxWaveRate = 384000;
constexpr long long kChunkHeaderBytes = 8;
constexpr long long kFmtBytes = 16;
constexpr long long kExtensibleFmtBytes = 40;
// The bytes of the extensible form's sub-format GUID after its format tag.
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool ReadAt(int fd, long long offset, unsigned char* data, size_t bytes) {
    while (bytes > 0) {
        const ssize_t read = ::pread(fd, data, bytes, off_t(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        data += read;
        offset += read;
        bytes -= size_t(read);
    }
    return true;
}

uint16_t Le16(const unsigned char* p) {
    return qFromLittleEndian<uint16_t>(p);
}

uint32_t Le32(const unsigned char* p) {
    return qFromLittleEndian<uint32_t>(p);
}

// The real format tag of an extensible "fmt " chunk, or 0 when it names none we know.
int ExtensibleTag(const unsigned char* fmt, long long size) {
    if (size < kExtensibleFmtBytes || Le16(fmt + 16) < 22)
        return 0;
    const int validBits = Le16(fmt + 18);
    if (validBits == 0 || validBits > Le16(fmt + 14) ||
        std::memcmp(fmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
        return 0;
    return Le16(fmt + 24);
}

bool IsReadableSampleType(int tag, int bits) {
    if (tag == WAVE_FORMAT_PCM)
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return tag == WAVE_FORMAT_IEEE_FLOAT && bits == 32;
}

std::optional<WaveFormat> ParseFmt(const unsigned char* fmt, long long size) {
    if (size < kFmtBytes)
        return std::nullopt;
    WaveFormat format;
    format.formatTag = Le16(fmt);
    if (format.formatTag == WAVE_FORMAT_EXTENSIBLE)
        format.formatTag = ExtensibleTag(fmt, size);
    format.channels = Le16(fmt + 2);
    const uint32_t rate = Le32(fmt + 4);
    format.blockAlign = Le16(fmt + 12);
    format.bitsPerSample = Le16(fmt + 14);
    if (!IsReadableSampleType(format.formatTag, format.bitsPerSample) || format.channels < 1 ||
        format.channels > kMaxWaveChannels || rate < kMinWaveRate || rate > kMaxWaveRate ||
        format.blockAlign != format.channels * format.bitsPerSample / 8)
        return std::nullopt;
    format.sampleRate = int(rate);
    return format;
}

} // namespace

std::optional<WaveFormat> ReadWaveFormat(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const long long fileSize = info.st_size;
    unsigned char riff[12];
    if (fileSize < 12 || !ReadAt(fd, 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::optional<WaveFormat> format;
    // Every pass moves on by at least a chunk header, so the walk always ends.
    for (long long at = 12; at + kChunkHeaderBytes <= fileSize;) {
        unsigned char header[kChunkHeaderBytes];
        if (!ReadAt(fd, at, header, sizeof header))
            return std::nullopt;
        const long long size = Le32(header + 4);
        const long long body = at + kChunkHeaderBytes;
        if (std::memcmp(header, "fmt ", 4) == 0 && !format) {
            unsigned char fmt[kExtensibleFmtBytes] = {};
            const long long wanted = std::min(size, kExtensibleFmtBytes);
            if (body + size > fileSize || !ReadAt(fd, body, fmt, size_t(wanted)))
                return std::nullopt;
            format = ParseFmt(fmt, size);
            if (!format)
                return std::nullopt;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!format)
                return std::nullopt;
            const long long held = std::min(size, fileSize - body);
            format->dataOffset = body;
            format->dataBytes = held / format->blockAlign * format->blockAlign;
            return format;
        }
        at = body + size + (size & 1); // chunks are padded to an even size
    }
    return std::nullopt;
}

std::optional<WaveFormat> ReadWaveFormat(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<WaveFormat> format = ReadWaveFormat(fd);
    ::close(fd);
    return format;
}

namespace {

void PutLe32(QByteArray& bytes, uint32_t value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void PutLe16(QByteArray& bytes, uint16_t value) {
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

} // namespace

QByteArray CanonicalWaveHeader(int sampleRate, int channels, uint32_t dataBytes) {
    const uint16_t blockAlign = uint16_t(channels * 2);
    QByteArray header;
    header.append("RIFF");
    PutLe32(header, 36 + dataBytes);
    header.append("WAVEfmt ");
    PutLe32(header, 16);
    PutLe16(header, 1);
    PutLe16(header, uint16_t(channels));
    PutLe32(header, uint32_t(sampleRate));
    PutLe32(header, uint32_t(sampleRate) * blockAlign);
    PutLe16(header, blockAlign);
    PutLe16(header, 16);
    header.append("data");
    PutLe32(header, dataBytes);
    return header;
}

TempWaveFile::TempWaveFile(QString destination) : m_destination(std::move(destination)) {}

TempWaveFile::~TempWaveFile() {
    Discard();
}

bool TempWaveFile::Fail(const QString& what) {
    m_error = QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool TempWaveFile::Create() {
    const QFileInfo info(m_destination);
    // Hidden, in the destination's folder, so the final rename stays on one filesystem.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tempPath = QFile::encodeName(info.absolutePath() + "/." + info.fileName() + "." +
                                       QString::number(QRandomGenerator::global()->generate(), 36));
        m_fd = ::open(m_tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        return Fail("cannot create a temporary file");
    }
    m_buffer.reserve(kWriteBlock);
    const QByteArray placeholder(kWaveHeaderBytes, '\0');
    return WriteAll(placeholder.constData(), placeholder.size());
}

bool TempWaveFile::WriteAll(const char* data, size_t bytes) {
    while (bytes > 0) {
        const ssize_t written = ::write(m_fd, data, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail("cannot write the wave file");
        data += written;
        bytes -= size_t(written);
    }
    return true;
}

bool TempWaveFile::Flush() {
    const bool ok = WriteAll(reinterpret_cast<const char*>(m_buffer.data()), m_buffer.size());
    m_buffer.clear();
    return ok;
}

bool TempWaveFile::Append(const unsigned char* data, size_t bytes) {
    m_dataBytes += (long long)bytes;
    if (m_buffer.size() + bytes > kWriteBlock && !Flush())
        return false;
    if (bytes >= kWriteBlock)
        return WriteAll(reinterpret_cast<const char*>(data), bytes);
    m_buffer.insert(m_buffer.end(), data, data + bytes);
    return true;
}

bool TempWaveFile::Commit(int sampleRate, int channels) {
    if (!Flush())
        return false;
    const QByteArray header = CanonicalWaveHeader(sampleRate, channels, uint32_t(m_dataBytes));
    if (pwrite(m_fd, header.constData(), header.size(), 0) != header.size())
        return Fail("cannot write the wave header");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail("cannot close the wave file");
    // Replacing an existing destination is intended: it happens only now, when complete.
    if (std::rename(m_tempPath.constData(), QFile::encodeName(m_destination).constData()) != 0)
        return Fail("cannot move the wave file into place");
    m_tempPath.clear();
    return true;
}

void TempWaveFile::Discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
    m_tempPath.clear();
}
