// What every fuzz target shares: a broken promise is a finding, reported like
// a crash so libFuzzer keeps the input; and a file descriptor over the input's
// bytes for readers that take a file.
#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

inline void Require(bool kept, const char* promise) {
    if (kept)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

// An in-memory regular file, rewritten for each input.
class MemoryFile {
public:
    MemoryFile() : m_fd(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
        Require(m_fd >= 0, "an in-memory file can be created");
    }

    void Hold(const uint8_t* data, size_t size) {
        Require(::ftruncate(m_fd, 0) == 0 && ::pwrite(m_fd, data, size, 0) == ssize_t(size) &&
                    ::lseek(m_fd, 0, SEEK_SET) == 0,
                "the input fits the in-memory file");
    }

    int fd() const { return m_fd; }
    // A path that opens the same file again, for readers that take a path.
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd;
};
