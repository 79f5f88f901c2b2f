// The samples of a wave file as the encoder takes them: interleaved 16-bit,
// one or two channels.
#pragma once

#include "WaveFile.h"

#include <cstddef>
#include <cstdint>

// Converts `frames` frames of `format` at `input` into `outChannels` (1 or 2)
// channels of 16-bit samples at `output`: stereo is averaged into mono, mono
// is doubled into stereo. Returns the number of 16-bit samples written.
size_t ToEncoderSamples(const unsigned char* input, size_t frames, const WaveFormat& format,
                        int outChannels, int16_t* output);
