#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>
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
    ExecArguments argv(arguments);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv.Argv()[0], argv.Argv());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    return {clock.nsecsElapsed() / 1e9, usage.ru_maxrss};
}
