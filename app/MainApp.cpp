#include "MainApp.h"

#include "MainDialog.h"
#include "SplashWindow.h"
#include "Strings.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: brindle [FILE|FOLDER]...\n"
    "Convert sound files between WAV and MP3 in batches.\n"
    "\n"
    "The files given, and those the folders given hold, are listed when the\n"
    "window opens if they are of the direction's kind: a wave file given first\n"
    "starts it in Wave to MP3 and lists wave files, else MP3 files are listed.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

bool IsFrameworkSwitch(const QString& argument) {
    if (!argument.startsWith('-') && !argument.startsWith('/'))
        return false;
    const QString name = argument.mid(1);
    return name.compare("Embedding", Qt::CaseInsensitive) == 0 ||
           name.compare("Automation", Qt::CaseInsensitive) == 0;
}

// The files and folders to list: every argument but the framework's switches.
QStringList PathsFromArguments(const QStringList& arguments) {
    QStringList paths;
    for (const QString& argument : arguments)
        if (!IsFrameworkSwitch(argument))
            paths << argument;
    return paths;
}

// What --help or --version print; empty for any other arguments.
QString AnswerFromArguments(const QStringList& arguments) {
    if (arguments.contains("--help"))
        return kUsage;
    if (arguments.contains("--version"))
        return QString(kProductTitle) + "\n";
    return QString();
}

QStringList ArgumentsAfterProgram(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}

} // namespace

CMainApp::CMainApp(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

bool CMainApp::ShowSplashFromArguments(const QStringList& arguments) {
    return std::none_of(arguments.begin(), arguments.end(), IsFrameworkSwitch);
}

bool CMainApp::InitInstance() {
    const QString answer = AnswerFromArguments(ArgumentsAfterProgram(m_argc, m_argv));
    if (!answer.isEmpty()) {
        std::fputs(answer.toLocal8Bit().constData(), stdout);
        return false;
    }
    // Qt takes its own options (-platform, -display ...) out of the arguments.
    m_app.emplace(m_argc, m_argv);
    RunMainWindow(QApplication::arguments().mid(1));
    return false;
}

void CMainApp::RunMainWindow(const QStringList& arguments, const QString& programFolder) {
    CSplashWindow::Enable(ShowSplashFromArguments(arguments));
    CMainDialog dialog(nullptr, programFolder);
    if (dialog.Create())
        dialog.OpenFiles(PathsFromArguments(arguments));
    dialog.DoModal();
}
