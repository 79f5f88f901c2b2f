#include "Mp3Probe.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace {

// This many consistent frames in a row before a file counts as MP3.
constexpr int kFramesToTrust = 4;
// The first frame must start this close to the start (after an ID3v2 tag).
constexpr long long kSearchWindow = 64 * 1024;

struct FrameHeader {
    int version = 0; // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
    int sampleRate = 0;
    int channels = 0;
    int length = 0; // bytes, header included
};

constexpr int kXingFramesFlag = 1;

std::optional<FrameHeader> ParseLayer3Header(const unsigned char* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (p[3] & 3) == 2)
        return std::nullopt;
    static const int kBitrates[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    static const int kRates[3] = {44100, 48000, 32000};
    FrameHeader header;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    const bool mpeg1 = header.version == 1;
    header.sampleRate = kRates[rateIndex] >> (header.version == 1   ? 0
                                              : header.version == 2 ? 1
                                                                    : 2);
    header.channels = (p[3] >> 6) == 3 ? 1 : 2;
    const int padding = (p[2] >> 1) & 1;
    const int kbps = kBitrates[mpeg1 ? 0 : 1][bitrateIndex];
    header.length = (mpeg1 ? 144000 : 72000) * kbps / header.sampleRate + padding;
    return header;
}

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

long long Id3v2Size(const unsigned char* data, long long size) {
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0)
        return 0;
    const long long body = (long long)(data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 |
                           (data[8] & 0x7F) << 7 | (data[9] & 0x7F);
    const bool footer = data[5] & 0x10;
    return 10 + body + (footer ? 10 : 0);
}

// True when the bytes from `at` on are a tag that may close a stream.
bool IsTrailingTag(const unsigned char* data, long long size, long long at) {
    const long long left = size - at;
    auto startsWith = [&](const char* magic) {
        const long long n = (long long)std::strlen(magic);
        return left >= n && std::memcmp(data + at, magic, n) == 0;
    };
    return startsWith("TAG") || startsWith("APETAGEX") || startsWith("LYRICS") || startsWith("ID3");
}

// The first offset from `from` where kFramesToTrust consistent frames follow.
std::optional<long long> FindTrustedStart(const unsigned char* data, long long size,
                                          long long from) {
    const long long last = std::min(size - 4, from + kSearchWindow);
    for (long long at = from; at <= last; ++at) {
        const auto first = ParseLayer3Header(data + at);
        if (!first)
            continue;
        long long next = at + first->length;
        int found = 1;
        while (found < kFramesToTrust && next + 4 <= size) {
            const auto header = ParseLayer3Header(data + next);
            if (!header || !SameStream(*first, *header))
                break;
            next += header->length;
            ++found;
        }
        if (found == kFramesToTrust && next <= size)
            return at;
    }
    return std::nullopt;
}

unsigned BigEndian32(const unsigned char* p) {
    return unsigned(p[0]) << 24 | unsigned(p[1]) << 16 | unsigned(p[2]) << 8 | unsigned(p[3]);
}

// The frame count in the Xing/Info tag an encoder may put in the first frame
// (after the header and the side information), or -1.
long long XingFrameCount(const unsigned char* frame, const FrameHeader& header) {
    const int sideInfo =
        header.version == 1 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
    const unsigned char* tag = frame + 4 + sideInfo;
    if (4 + sideInfo + 12 > header.length ||
        (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0))
        return -1;
    if (!(BigEndian32(tag + 4) & kXingFramesFlag))
        return -1;
    return BigEndian32(tag + 8);
}

Mp3ProbeResult Refused(const QString& problem) {
    Mp3ProbeResult result;
    result.problem = problem;
    return result;
}

} // namespace

Mp3ProbeResult ProbeMp3Bytes(const unsigned char* data, long long size) {
    if (size <= 0)
        return Refused("the file is empty");
    if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0)
        return Refused("the file is a RIFF file, not MP3 audio");
    const auto start = FindTrustedStart(data, size, Id3v2Size(data, size));
    if (!start)
        return Refused("no MPEG Layer III frames found");

    const FrameHeader stream = *ParseLayer3Header(data + *start);
    Mp3ProbeResult result;
    result.isMp3 = true;
    result.sampleRate = stream.sampleRate;
    result.channels = stream.channels;
    long long at = *start;
    result.runs.push_back({at, at});
    while (at + 4 <= size) {
        const auto header = ParseLayer3Header(data + at);
        if (!header) {
            if (IsTrailingTag(data, size, at))
                break;
            const auto resync = FindTrustedStart(data, size, at + 1);
            if (!resync)
                break;
            at = *resync;
            result.runs.push_back({at, at});
            continue;
        }
        if (!SameStream(stream, *header)) {
            result.formatChanged = true;
            result.problem = "the stream changes its format";
            break;
        }
        if (at + header->length > size) {
            result.cutShort = true;
            result.problem = "the file is cut short";
            break;
        }
        ++result.frames;
        at += header->length;
        result.runs.back().end = at;
    }
    const long long tagged = XingFrameCount(data + *start, stream);
    if (!result.formatChanged && !result.cutShort && tagged >= 0 && result.frames == tagged + 1)
        result.taggedFrames = tagged;
    return result;
}

Mp3ProbeResult ProbeMp3File(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(file.errorString());
    if (file.size() == 0)
        return Refused("the file is empty");
    const uchar* mapped = file.map(0, file.size());
    if (mapped)
        return ProbeMp3Bytes(mapped, file.size());
    const QByteArray bytes = file.readAll();
    return ProbeMp3Bytes(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
}
