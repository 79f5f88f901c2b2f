#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

ChildRun RunChild(const QStringList& arguments) {
    std::vector<QByteArray> args;
    for (const QString& argument : arguments)
        args.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    return {clock.nsecsElapsed() / 1e9, usage.ru_maxrss};
}
