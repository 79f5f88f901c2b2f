// The application: reads the command line, owns Qt's application object and
// runs the main window.
#pragma once

#include <QApplication>
#include <QStringList>

#include <optional>

class CMainApp {
public:
    CMainApp(int& argc, char** argv);

    // Runs the whole program: answers --help or --version on standard output,
    // or runs the main window, modally, until it ends.
    bool InitInstance();
    // Start-up once the application object exists, from the arguments after
    // the program's name: sets the splash switch, then runs the main window
    // over `programFolder` (the executable's folder when null), listing the
    // paths given as a drop of them would, until it ends.
    static void RunMainWindow(const QStringList& arguments,
                              const QString& programFolder = QString());

    // False when the arguments hold "Embedding" or "Automation" behind "-" or
    // "/", in any letter case: such a start shows no splash.
    static bool ShowSplashFromArguments(const QStringList& arguments);

private:
    int& m_argc;
    char** m_argv;
    // Made only to run the window, so --help needs no display.
    std::optional<QApplication> m_app;
};
