// The folder picker: a modal window that shows folders only, opens at a given
// folder, tells its owner when it is up and when the selection changes, and
// has a status line the owner fills in. Tests answer it through
// FolderPickerSeam instead of a person.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QFileDialog;
class QLabel;

class FolderPickerWindow : public QDialog {
    Q_OBJECT
public:
    // `instruction` stands above the folders; `statusLine` shows a status line below them.
    FolderPickerWindow(QWidget* owner, const QString& instruction, bool statusLine);

    // Selects `folder` and scrolls it into view.
    void SetSelection(const QString& folder);
    void SetStatusText(const QString& text);
    QString StatusText() const;
    // The folder chosen when the window was accepted.
    QString ChosenFolder() const;

signals:
    void Initialized();
    void SelectionChanged(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFileDialog* m_pFolders = nullptr;
    QLabel* m_pStatus = nullptr;
    bool m_bInitialized = false;
};

// Stands in for the person choosing a folder while tests run: the next picker
// is answered with the folder set here (or cancelled) without showing.
class FolderPickerSeam {
public:
    static void SetNextFolder(const QString& folder);
    static void SetNextCancel();
    // Forgets the answer, so nothing leaks into the next test.
    static void Reset();

    // The answer to give without a window, if a test set one: a folder, or an
    // empty optional for a cancel.
    static std::optional<std::optional<QString>> TakeAnswer();

private:
    static std::optional<std::optional<QString>> s_answer;
};
