#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

ExecArguments::ExecArguments(const QStringList& arguments) {
    for (const QString& argument : arguments)
        m_words.push_back(QFile::encodeName(argument));
    for (QByteArray& word : m_words)
        m_pointers.push_back(word.data());
    m_pointers.push_back(nullptr);
}

ChildRun RunChild(const QStringList& arguments) {
    QTemporaryDir dir;
    const QString report = dir.filePath("time.txt");
    ExecArguments argv(QStringList{"/usr/bin/time", "-f", "%M %U %S", "-o", report} + arguments);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv.Argv()[0], argv.Argv());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    const double seconds = clock.nsecsElapsed() / 1e9;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().trimmed().split(' ');
    return {seconds, fields.value(0).toLong(),
            fields.value(1).toDouble() + fields.value(2).toDouble()};
}

bool LimitAddressSpace(rlim_t moreBytes) {
    if (moreBytes == RLIM_INFINITY) {
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        return setrlimit(RLIMIT_AS, &none) == 0;
    }
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return false;
    const rlim_t pages = statm.readAll().split(' ').value(0).toULongLong();
    const rlimit limit{pages * rlim_t(sysconf(_SC_PAGESIZE)) + moreBytes, RLIM_INFINITY};
    return pages != 0 && setrlimit(RLIMIT_AS, &limit) == 0;
}
