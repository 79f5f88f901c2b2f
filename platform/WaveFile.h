// Wave files: reading the layout of any RIFF/WAVE file we can take samples
// from, and writing a canonical 16-bit PCM file under a temporary name in its
// destination folder, moved into place only when complete.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

constexpr long long kWaveHeaderBytes = 44;

constexpr int WAVE_FORMAT_PCM = 1;
constexpr int WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr int WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Where the samples of a wave file are and how they are stored. Only
// integer PCM of 8 (unsigned), 16, 24 or 32 bits and 32-bit float are read.
struct WaveFormat {
    int formatTag = 0; // WAVE_FORMAT_PCM or WAVE_FORMAT_IEEE_FLOAT, extensible resolved
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // the container size: 8, 16, 24 or 32
    int blockAlign = 0;    // bytes of one frame, all channels
    long long dataOffset = 0;
    long long dataBytes = 0; // what the file really holds, in whole frames
};

constexpr int kMaxWaveChannels = 8;

// Walks the RIFF chunks of the open file `fd` without moving its offset:
// unknown chunks and pad bytes are skipped, "fmt " must come before "data",
// and a data size beyond the file (or 0xFFFFFFFF) is cut to the file's end.
// None when the file is not RIFF/WAVE or holds another format.
std::optional<WaveFormat> ReadWaveFormat(int fd);
std::optional<WaveFormat> ReadWaveFormat(const QString& path);

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
