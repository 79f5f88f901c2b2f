// The application: owns Qt's application object and runs the main window.
#pragma once

#include <QApplication>
#include <QStringList>

class CMainApp {
public:
    CMainApp(int& argc, char** argv);

    // Runs the whole program: the main window, modally, until it ends.
    bool InitInstance();
    // Start-up once the application object exists: sets the splash switch,
    // then runs the main window modally over `programFolder` (the
    // executable's folder when null) until it ends.
    static void RunMainWindow(bool showSplash, const QString& programFolder = QString());

    // False when the arguments hold "Embedding" or "Automation" behind "-" or
    // "/", in any letter case: such a start shows no splash.
    static bool ShowSplashFromArguments(const QStringList& arguments);
    bool SplashEnabled() const { return m_bShowSplash; }

private:
    QApplication m_app;
    bool m_bShowSplash;
};
