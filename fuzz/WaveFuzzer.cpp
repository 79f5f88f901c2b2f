// The wave reader over any bytes: a layout it accepts lies within the file,
// and converting all of its samples to what the encoder takes reads nothing
// past the data chunk, in every sample format and channel mode.
#include "FuzzCheck.h"
#include "WaveFile.h"
#include "WaveSamples.h"

#include <vector>

namespace {

void CheckLayout(const WaveFormat& format, size_t fileSize) {
    Require(format.formatTag == WAVE_FORMAT_PCM || format.formatTag == WAVE_FORMAT_IEEE_FLOAT,
            "the format is integer PCM or float");
    Require(format.channels >= 1 && format.channels <= kMaxWaveChannels, "a channel count we take");
    Require(format.blockAlign == format.channels * format.bitsPerSample / 8,
            "a frame is one sample of each channel");
    Require(format.dataOffset >= 20 && format.dataBytes >= 0 &&
                format.dataOffset + format.dataBytes <= (long long)fileSize,
            "the samples lie within the file");
    Require(format.dataBytes % format.blockAlign == 0, "the data holds whole frames");
}

// Each call gets buffers of exactly the size its frames need, so AddressSanitizer
// sees any read past the data or write past the output.
std::vector<int16_t> Convert(const uint8_t* data, const WaveFormat& format, int outChannels) {
    const size_t frames = size_t(format.dataBytes / format.blockAlign);
    const std::vector<unsigned char> input(data + format.dataOffset,
                                           data + format.dataOffset + format.dataBytes);
    std::vector<int16_t> output(frames * size_t(outChannels));
    Require(ToEncoderSamples(input.data(), frames, format, outChannels, output.data()) ==
                output.size(),
            "one sample per frame and output channel");
    return output;
}

void CheckSamples(const uint8_t* data, const WaveFormat& format) {
    const std::vector<int16_t> mono = Convert(data, format, 1);
    const std::vector<int16_t> stereo = Convert(data, format, 2);
    for (size_t frame = 0; frame < mono.size(); ++frame) {
        const int left = stereo[2 * frame];
        const int right = stereo[2 * frame + 1];
        Require(format.channels == 2 || left == right, "mono is doubled into stereo");
        Require(mono[frame] == (left + right) / 2, "mono is the average of the two channels");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    file.Hold(data, size);
    const std::optional<WaveFormat> format = ReadWaveFormat(file.fd());
    Require(::lseek(file.fd(), 0, SEEK_CUR) == 0, "reading the layout leaves the offset");
    if (!format)
        return 0;
    CheckLayout(*format, size);
    // The encoder takes one or two channels; it refuses more before reading samples.
    if (format->channels <= 2 && format->dataBytes > 0)
        CheckSamples(data, *format);
    return 0;
}
