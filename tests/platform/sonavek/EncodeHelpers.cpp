#include "EncodeHelpers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::vector<int16_t> ToneSamples(int sampleRate, double seconds,
                                 const std::vector<double>& frequencies) {
    const size_t frames = size_t(std::lround(seconds * sampleRate));
    std::vector<int16_t> samples;
    samples.reserve(frames * frequencies.size());
    for (size_t i = 0; i < frames; ++i)
        for (double frequency : frequencies)
            samples.push_back(int16_t(std::lround(
                16000.0 * std::sin(2.0 * std::numbers::pi * frequency * double(i) / sampleRate))));
    return samples;
}

BE_CONFIG MakeConfig(uint32_t sampleRate, uint8_t mode, uint16_t kbps) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = sampleRate;
    config.byMode = mode;
    config.wBitrate = kbps;
    return config;
}

EncodeResult EncodeSamples(const CEncoderLibrary& library, const BE_CONFIG& config,
                           const std::vector<int16_t>& samples,
                           const std::vector<uint32_t>& chunkSizes) {
    EncodeResult result;
    uint32_t chunkSamples = 0, bufferSize = 0, written = 0;
    HBE_STREAM stream = 0;
    result.error = library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, &stream);
    if (result.error != BE_ERR_SUCCESSFUL)
        return result;
    std::vector<uint8_t> output(bufferSize);
    // Keeps what a call wrote, or its error; more than B bytes is a failure too.
    const auto take = [&](BE_ERR error) {
        if (error == BE_ERR_SUCCESSFUL && written > output.size())
            error = BE_ERR_ENCODER_FAILED;
        if (error == BE_ERR_SUCCESSFUL)
            result.mp3.append(reinterpret_cast<const char*>(output.data()), written);
        result.error = error;
        written = 0;
        return error == BE_ERR_SUCCESSFUL;
    };
    bool ok = true;
    for (size_t done = 0, step = 0; ok && done < samples.size(); ++step) {
        const uint32_t wanted = chunkSizes[step % chunkSizes.size()];
        const uint32_t count =
            uint32_t(std::min<size_t>(wanted ? wanted : chunkSamples, samples.size() - done));
        ok = take(library.m_pBeEncodeChunk(stream, count, samples.data() + done, output.data(),
                                           &written));
        done += count;
    }
    if (ok)
        take(library.m_pBeDeinitStream(stream, output.data(), &written));
    const BE_ERR closed = library.m_pBeCloseStream(stream);
    if (result.error == BE_ERR_SUCCESSFUL)
        result.error = closed;
    return result;
}

std::vector<Mp3Frame> Mp3Frames(const QByteArray& mp3, bool* ok) {
    static const int kKbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    std::vector<Mp3Frame> frames;
    *ok = false;
    qsizetype pos = 0;
    while (pos + 4 <= mp3.size()) {
        const auto byte = [&](int i) { return uint8_t(mp3[pos + i]); };
        // Sync, MPEG-1 (bits 11), Layer III (bits 01).
        if (byte(0) != 0xFF || (byte(1) & 0xFE) != 0xFA)
            return frames;
        Mp3Frame frame;
        frame.kbps = kKbps[byte(2) >> 4];
        frame.sampleRate = kRates[(byte(2) >> 2) & 3];
        frame.mode = byte(3) >> 6;
        if (!frame.kbps || !frame.sampleRate)
            return frames;
        pos += 144 * frame.kbps * 1000 / frame.sampleRate + ((byte(2) >> 1) & 1);
        frames.push_back(frame);
    }
    *ok = pos == mp3.size();
    return frames;
}
