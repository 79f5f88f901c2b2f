#include "FolderPicker.h"

#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

std::optional<std::optional<QString>> FolderPickerSeam::s_answer;

FolderPickerWindow::FolderPickerWindow(QWidget* owner, const QString& instruction, bool statusLine)
    : QDialog(owner), m_pFolders(new QFileDialog(this)), m_pStatus(new QLabel(this)) {
    setObjectName("folderPicker");
    setWindowTitle("Browse for Folder");
    // The file dialog is one part of this window, not a window of its own.
    m_pFolders->setWindowFlags(Qt::Widget);
    m_pFolders->setOption(QFileDialog::DontUseNativeDialog);
    m_pFolders->setOption(QFileDialog::ShowDirsOnly);
    m_pFolders->setFileMode(QFileDialog::Directory);
    m_pFolders->setAcceptMode(QFileDialog::AcceptOpen);
    m_pFolders->setLabelText(QFileDialog::Accept, "OK");
    connect(m_pFolders, &QFileDialog::currentChanged, this, &FolderPickerWindow::SelectionChanged);
    connect(m_pFolders, &QFileDialog::directoryEntered, this,
            &FolderPickerWindow::SelectionChanged);
    connect(m_pFolders, &QFileDialog::accepted, this, &QDialog::accept);
    connect(m_pFolders, &QFileDialog::rejected, this, &QDialog::reject);

    auto* instructionLabel = new QLabel(instruction, this);
    instructionLabel->setObjectName("instruction");
    m_pStatus->setObjectName("status");
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setVisible(statusLine);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructionLabel);
    layout->addWidget(m_pFolders, 1);
    layout->addWidget(m_pStatus);
    resize(560, 420);
}

void FolderPickerWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bInitialized) {
        m_bInitialized = true;
        emit Initialized();
    }
}

void FolderPickerWindow::SetSelection(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return;
    // Open the folder's parent with the folder selected, as a tree would show it.
    const QString path = info.absoluteFilePath();
    if (info.isRoot()) {
        m_pFolders->setDirectory(path);
    } else {
        m_pFolders->setDirectory(info.absolutePath());
        m_pFolders->selectFile(path);
    }
}

void FolderPickerWindow::SetStatusText(const QString& text) {
    m_pStatus->setText(text);
}

QString FolderPickerWindow::StatusText() const {
    return m_pStatus->text();
}

QString FolderPickerWindow::ChosenFolder() const {
    const QStringList chosen = m_pFolders->selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void FolderPickerSeam::SetNextFolder(const QString& folder) {
    s_answer = std::optional<QString>(folder);
}

void FolderPickerSeam::SetNextCancel() {
    s_answer = std::optional<QString>();
}

void FolderPickerSeam::Reset() {
    s_answer.reset();
}

std::optional<std::optional<QString>> FolderPickerSeam::TakeAnswer() {
    auto answer = s_answer;
    s_answer.reset();
    return answer;
}
