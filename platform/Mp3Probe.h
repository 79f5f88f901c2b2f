// A walk over MPEG audio frame headers, without decoding, that tells whether
// a file is an MP3 (MPEG Layer III) stream. The decoder library is lenient on
// purpose (it skips RIFF headers, resyncs through junk, takes quiet PCM for
// Layer I), so this walk decides what we accept.
#pragma once

#include <QString>

#include <vector>

struct Mp3FrameRun {
    long long start = 0; // the first frame's offset
    long long end = 0;   // just past the last frame
};

struct Mp3ProbeResult {
    bool isMp3 = false;
    bool cutShort = false;      // the last frame runs past the end of the file
    bool formatChanged = false; // rate or channel count differs mid-stream
    int sampleRate = 0;
    int channels = 0;
    long long frames = 0; // every Layer III frame found, tag frames included
    // The audio frame count stated by a Xing/Info tag in the first frame, when
    // `frames` matches it (the tag frame plus that many); otherwise -1.
    long long taggedFrames = -1;
    // The frames the walk accepted, as runs of consecutive whole frames in
    // file order. What lies between and around them (tags, junk, a false
    // sync) is no audio.
    std::vector<Mp3FrameRun> runs;
    QString problem; // why the file is not accepted, when it is not
};

// Walks the whole file at `path`.
Mp3ProbeResult ProbeMp3File(const QString& path);

// Walks bytes already in memory (the whole file).
Mp3ProbeResult ProbeMp3Bytes(const unsigned char* data, long long size);
