// Runs a program as a child process and measures it, for benchmarks that
// compare our code with the command-line tools.
#pragma once

#include <QByteArray>
#include <QStringList>

#include <sys/resource.h>
#include <vector>

struct ChildRun {
    double seconds = -1;     // wall time; -1 when the child failed
    long maxRssKiB = 0;      // the child's peak resident memory
    double cpuSeconds = 0.0; // user and system, on every core
};

// Runs `arguments` (program first) to completion under /usr/bin/time, whose
// small process starts it: a child forked straight from a large bench would
// count the bench's own memory at the fork in its peak.
ChildRun RunChild(const QStringList& arguments);

// The argument vector of `arguments` (program first) for execvp.
class ExecArguments {
public:
    explicit ExecArguments(const QStringList& arguments);
    char** Argv() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_words;
    std::vector<char*> m_pointers;
};

// Holds this process's address space to what it uses now and `moreBytes`
// more, or lifts the limit with RLIM_INFINITY: for a child process that checks
// how code fails when memory runs out. False when the limit was not set.
bool LimitAddressSpace(rlim_t moreBytes);
