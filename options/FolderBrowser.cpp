#include "FolderBrowser.h"

#include "FolderPicker.h"
#include "Strings.h"

#include <QDir>
#include <QFileInfo>

CFolderBrowser::~CFolderBrowser() {}

CFolderBrowser::CFolderBrowser(QWidget* owner, const QString& root, int titleId) {
    SetOwner(owner);
    SetRoot(root);
    SetTitle(titleId);
}

void CFolderBrowser::SetOwner(QWidget* owner) {
    if (!IsOpen())
        m_pOwner = owner;
}

void CFolderBrowser::SetRoot(const QString& root) {
    if (!IsOpen())
        m_strRoot = root;
}

void CFolderBrowser::SetFlags(quint32 flags) {
    if (!IsOpen())
        m_nFlags = flags;
}

void CFolderBrowser::SetTitle(const QString& title) {
    if (!IsOpen())
        m_strTitle = title;
}

bool CFolderBrowser::SetTitle(int stringId) {
    if (IsOpen() || stringId <= 0)
        return false;
    const QString title = LoadString(stringId);
    if (title.isEmpty())
        return false;
    SetTitle(title);
    return true;
}

bool CFolderBrowser::Browse() {
    m_strFolderPath.clear();
    std::optional<QString> chosen;
    if (auto answer = FolderPickerSeam::TakeAnswer()) {
        chosen = *answer;
    } else {
        FolderPickerWindow window(m_pOwner, m_strTitle, m_nFlags & BIF_STATUSTEXT);
        if (!m_strRoot.isEmpty())
            window.SetSelection(m_strRoot);
        QObject::connect(&window, &FolderPickerWindow::Initialized, [this] { OnInitialized(); });
        QObject::connect(&window, &FolderPickerWindow::SelectionChanged,
                         [this](const QString& item) { OnSelChanged(item); });
        m_pWindow = &window;
        if (window.exec() == QDialog::Accepted)
            chosen = window.ChosenFolder();
        m_pWindow = nullptr;
    }
    if (!chosen)
        return false;
    m_strFolderPath = FolderPathOf(*chosen);
    return !m_strFolderPath.isEmpty();
}

void CFolderBrowser::SetSelection(const QString& path) {
    if (IsOpen())
        m_pWindow->SetSelection(path);
}

void CFolderBrowser::SetStatusText(const QString& text) {
    if (IsOpen())
        m_pWindow->SetStatusText(text);
}

CInitFolderBrowser::CInitFolderBrowser(QWidget* owner, int titleId)
    : CFolderBrowser(owner, QString(), titleId) {}

void CInitFolderBrowser::OnInitialized() {
    SetSelection(m_strInitialFolder);
    SetStatusText(m_strInitialFolder);
}

void CInitFolderBrowser::OnSelChanged(const QString& item) {
    SetStatusText(FolderPathOf(item));
}

QString FolderPathOf(const QString& item) {
    const QFileInfo info(item);
    if (item.isEmpty() || !info.isDir())
        return QString();
    return QDir::cleanPath(info.absoluteFilePath());
}
