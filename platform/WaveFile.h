// Writing a canonical 16-bit PCM RIFF/WAVE file under a temporary name in its
// destination folder, moved into place only when complete.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr long long kWaveHeaderBytes = 44;

// The 44-byte header of a 16-bit PCM file holding `dataBytes` of samples.
QByteArray CanonicalWaveHeader(int sampleRate, int channels, uint32_t dataBytes);

class TempWaveFile {
public:
    explicit TempWaveFile(QString destination);
    ~TempWaveFile(); // removes the temporary file unless committed
    TempWaveFile(const TempWaveFile&) = delete;
    TempWaveFile& operator=(const TempWaveFile&) = delete;

    bool Create();
    // Buffers samples; writes in large blocks.
    bool Append(const unsigned char* data, size_t bytes);
    // Writes the header, closes, and renames the file to its destination.
    bool Commit(int sampleRate, int channels);
    void Discard();
    long long DataBytes() const { return m_dataBytes; }
    QString LastError() const { return m_error; }

private:
    bool Flush();
    bool WriteAll(const char* data, size_t bytes);
    bool Fail(const QString& what);

    QString m_destination;
    QByteArray m_tempPath;
    int m_fd = -1;
    std::vector<unsigned char> m_buffer;
    long long m_dataBytes = 0;
    QString m_error;
};
