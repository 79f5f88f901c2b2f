// The encoding bench's racer: converts one wave file the way the conversion
// worker does, through the six entry points of libsonavek.so. A program of
// its own, without Qt, so that its time is the library's and not the loading
// of a toolkit the real program has loaded long before it converts a file.
#include "Sonavek.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

struct EntryPoints {
    BEINITSTREAM init = nullptr;
    BEENCODECHUNK encode = nullptr;
    BEDEINITSTREAM deinit = nullptr;
    BEGETINFOTAG infoTag = nullptr;
    BECLOSESTREAM close = nullptr;
};

// The library by the absolute path the bench found it at, as the program loads it.
bool Load(const char* path, EntryPoints* entry) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return false;
    entry->init = reinterpret_cast<BEINITSTREAM>(dlsym(module, "beInitStream"));
    entry->encode = reinterpret_cast<BEENCODECHUNK>(dlsym(module, "beEncodeChunk"));
    entry->deinit = reinterpret_cast<BEDEINITSTREAM>(dlsym(module, "beDeinitStream"));
    entry->infoTag = reinterpret_cast<BEGETINFOTAG>(dlsym(module, "beGetInfoTag"));
    entry->close = reinterpret_cast<BECLOSESTREAM>(dlsym(module, "beCloseStream"));
    return entry->init && entry->encode && entry->deinit && entry->infoTag && entry->close;
}

// The worker's loop: raw 16-bit samples after a 44-byte header, one read and
// one write per chunk.
int Encode(const EntryPoints& entry, const char* source, const char* target, uint16_t kbps) {
    const int in = open(source, O_RDONLY);
    const int out = open(target, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = 44100;
    config.byMode = BE_MP3_MODE_STEREO;
    config.wBitrate = kbps;
    uint32_t chunkSamples = 0;
    uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    if (in < 0 || out < 0 || entry.init(&config, &chunkSamples, &bufferSize, &stream) != 0 ||
        lseek(in, 44, SEEK_SET) != 44)
        return 3;
    // Left uninitialised, as the worker leaves them: B is sized for the
    // flush's worst case, and clearing it would cost what encoding does not.
    const auto input = std::make_unique_for_overwrite<int16_t[]>(chunkSamples);
    const auto output = std::make_unique_for_overwrite<uint8_t[]>(bufferSize);
    uint32_t written = 0;
    ssize_t got = 0;
    while ((got = read(in, input.get(), chunkSamples * 2)) > 0) {
        if (entry.encode(stream, uint32_t(got / 2), input.get(), output.get(), &written) != 0 ||
            write(out, output.get(), written) != ssize_t(written))
            return 4;
    }
    if (got < 0 || entry.deinit(stream, output.get(), &written) != 0 ||
        write(out, output.get(), written) != ssize_t(written))
        return 5;
    if (entry.infoTag(stream, output.get(), &written) != 0 ||
        pwrite(out, output.get(), written, 0) != ssize_t(written))
        return 7;
    entry.close(stream);
    close(in);
    return close(out) == 0 ? 0 : 6;
}

} // namespace

// bench_encode_child <library path> <source.wav> <target.mp3> <kbit/s>
int main(int argc, char** argv) {
    EntryPoints entry;
    if (argc != 5 || !Load(argv[1], &entry))
        return 2;
    return Encode(entry, argv[2], argv[3], uint16_t(std::atoi(argv[4])));
}
