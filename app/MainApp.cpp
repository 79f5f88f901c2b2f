#include "MainApp.h"

#include "MainDialog.h"
#include "SplashWindow.h"

CMainApp::CMainApp(int& argc, char** argv)
    : m_app(argc, argv), m_bShowSplash(ShowSplashFromArguments(m_app.arguments().mid(1))) {}

bool CMainApp::ShowSplashFromArguments(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (!argument.startsWith('-') && !argument.startsWith('/'))
            continue;
        const QString name = argument.mid(1);
        if (name.compare("Embedding", Qt::CaseInsensitive) == 0 ||
            name.compare("Automation", Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

bool CMainApp::InitInstance() {
    RunMainWindow(m_bShowSplash);
    return false;
}

void CMainApp::RunMainWindow(bool showSplash, const QString& programFolder) {
    CSplashWindow::Enable(showSplash);
    CMainDialog dialog(nullptr, programFolder);
    dialog.DoModal();
}
