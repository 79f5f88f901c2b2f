// The MP3 probe and the decoder over any bytes, taken as the sound control
// takes a file: what the probe accepts is opened by the decoder, and what the
// decoder opens with the probe's format decodes to its end into memory, each
// frame within its size, or fails cleanly with a reason.
#include "FuzzCheck.h"
#include "Mp3Decoder.h"
#include "Mp3Probe.h"

#include <vector>

namespace {

void CheckProbe(const Mp3ProbeResult& probe) {
    Require(probe.sampleRate >= 8000 && probe.sampleRate <= 48000, "an MPEG sample rate");
    Require(probe.channels == 1 || probe.channels == 2, "one or two channels");
    Require(probe.frames >= 0, "a frame count");
    Require(probe.taggedFrames < 0 || probe.taggedFrames + 1 == probe.frames,
            "a tagged count is confirmed by the walk");
}

void DecodeToEnd(Mp3Decoder& decoder) {
    const size_t frameBytes = size_t(decoder.SamplesPerFrame()) * size_t(decoder.Channels()) * 2;
    std::vector<unsigned char> decoded;
    for (;;) {
        const unsigned char* pcm = nullptr;
        size_t bytes = 0;
        const Mp3Decoder::Step step = decoder.DecodeFrame(&pcm, &bytes);
        if (step != Mp3Decoder::Step::Frame) {
            Require(step == Mp3Decoder::Step::End || !decoder.LastError().isEmpty(),
                    "a failure says why");
            return;
        }
        Require(bytes <= frameBytes && bytes % (size_t(decoder.Channels()) * 2) == 0,
                "a frame decodes to whole samples of at most one frame");
        // Copying lets AddressSanitizer check that the frame's samples are all there.
        decoded.insert(decoded.end(), pcm, pcm + bytes);
        Require(decoder.CurrentFrame() <= decoder.FrameCount(), "no frame past the counted ones");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    const Mp3ProbeResult probe = ProbeMp3Bytes(data, (long long)size);
    if (!probe.isMp3 || probe.formatChanged)
        return 0;
    CheckProbe(probe);

    file.Hold(data, size);
    Mp3Decoder decoder;
    if (!decoder.Open(file.path(), probe)) {
        Require(!decoder.LastError().isEmpty(), "a refusal says why");
        return 0;
    }
    if (decoder.SampleRate() != probe.sampleRate || decoder.Channels() != probe.channels)
        return 0; // refused by the sound control, as the probe and the decoder disagree
    // The library does not count a first frame that holds an encoder's tag.
    const long long frames = decoder.FrameCount();
    Require((frames == probe.frames || frames + 1 == probe.frames) && decoder.SampleCount() >= 0,
            "the decoder counts the frames the probe accepted");
    DecodeToEnd(decoder);
    return 0;
}
