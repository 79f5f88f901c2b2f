// Real sound files for tests: tones written sample by sample, and the
// independent command-line tools that check our output.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

enum class SampleFormat { U8, S16, S24, S32, F32 };

struct ToneSpec {
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double frequency = 440.0;
    double amplitude = 0.5; // of full scale
    SampleFormat format = SampleFormat::S16;
};

// Writes a canonical RIFF/WAVE file holding a sine tone (the same in every
// channel); float samples use format tag 3, the rest PCM. Returns false on an I/O error.
bool WriteToneWave(const QString& path, const ToneSpec& tone);

// Writes 16-bit interleaved samples as a canonical PCM wave file.
bool WritePcmWave(const QString& path, const std::vector<int16_t>& samples, int sampleRate,
                  int channels);

// Encodes a tone with the `lame` command-line tool at `kbps`, passing it
// `lameOptions` too; returns false when it fails.
bool WriteToneMp3(const QString& path, const ToneSpec& tone, int kbps = 128,
                  const QStringList& lameOptions = {});

// Interleaved 16-bit samples and the format of a decoded file.
struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    qint64 frames() const { return channels ? qint64(samples.size()) / channels : 0; }
};

// Reads a 16-bit PCM RIFF/WAVE file; `ok` false when it is not one.
DecodedAudio ReadPcmWave(const QString& path, bool* ok);

// Decodes an MP3 file with the independent `ffmpeg` tool to 16-bit PCM.
DecodedAudio DecodeWithFfmpeg(const QString& mp3Path, bool* ok);
// The same with the `mpg123` tool, which plays every frame whole.
DecodedAudio DecodeWithMpg123(const QString& mp3Path, bool* ok);

// The steady middle of a decoded tone, without its first and last tenth: the
// quiet noise where it starts and ends crosses zero often and would skew a count.
DecodedAudio Middle(const DecodedAudio& audio);

// The dominant frequency of one channel, by counting zero crossings.
double DominantFrequency(const DecodedAudio& audio, int channel = 0);

// The lag in frames, below 3000, at which channel 0 of `decoded` best matches
// channel 0 of `reference` over `length` frames from the reference's frame
// `from`; each is interleaved with its own channel count. A decoder's delay.
template <typename Decoded, typename Reference>
size_t BestLag(const std::vector<Decoded>& decoded, size_t decodedChannels,
               const std::vector<Reference>& reference, size_t referenceChannels, size_t from,
               size_t length) {
    size_t best = 0;
    double bestScore = -1e300;
    for (size_t lag = 0; lag < 3000; ++lag) {
        double score = 0.0;
        for (size_t i = from; i < from + length && (i + lag) * decodedChannels < decoded.size() &&
                              i * referenceChannels < reference.size();
             ++i)
            score += double(decoded[(i + lag) * decodedChannels]) *
                     double(reference[i * referenceChannels]);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

// Runs a program to completion; true when it exits with status 0.
bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
             int timeoutMs = 120000);
