#include "WaveSamples.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Full scale is -1 to 1. Anything beyond, infinities included, is clamped
// before rounding, whose result would otherwise be undefined; NaN is silence.
int32_t FloatTo16(float value) {
    if (std::isnan(value))
        return 0;
    const double scaled = std::clamp(double(value) * 32768.0, -32768.0, 32767.0);
    return int32_t(std::lround(scaled));
}

// One sample scaled to 16 bits; wider integers keep their top 16 bits.
int32_t Sample16(const unsigned char* p, const WaveFormat& format) {
    if (format.formatTag == WAVE_FORMAT_IEEE_FLOAT) {
        const uint32_t raw = qFromLittleEndian<uint32_t>(p);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return FloatTo16(value);
    }
    switch (format.bitsPerSample) {
    case 8:
        return (int32_t(p[0]) - 128) * 256; // 8-bit samples are unsigned
    case 16:
        return qFromLittleEndian<int16_t>(p);
    case 24:
        return int16_t(qFromLittleEndian<uint16_t>(p + 1));
    default:
        return int16_t(qFromLittleEndian<uint16_t>(p + 2));
    }
}

} // namespace

size_t ToEncoderSamples(const unsigned char* input, size_t frames, const WaveFormat& format,
                        int outChannels, int16_t* output) {
    const size_t sampleBytes = size_t(format.bitsPerSample / 8);
    if (format.formatTag == WAVE_FORMAT_PCM && sampleBytes == 2 && format.channels == outChannels) {
        std::memcpy(output, input, frames * size_t(outChannels) * 2); // little-endian already
        return frames * size_t(outChannels);
    }
    int16_t* out = output;
    for (size_t frame = 0; frame < frames; ++frame, input += format.blockAlign) {
        const int32_t first = Sample16(input, format);
        const int32_t second = format.channels == 2 ? Sample16(input + sampleBytes, format) : first;
        if (outChannels == 1) {
            *out++ = int16_t((first + second) / 2);
        } else {
            *out++ = int16_t(first);
            *out++ = int16_t(second);
        }
    }
    return size_t(out - output);
}
