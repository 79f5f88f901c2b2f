#include "WaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kWriteBlock = 4 * 1024 * 1024;

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
