// The Open File dialog: several files from one folder, offering one filter.
// Tests answer it through FilePickerSeam instead of a person.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

struct OpenFileRequest {
    QString title;
    QString filterText; // what the user sees, e.g. "*.wav(Media File)"
    QString pattern;    // what is filtered, e.g. "*.wav"
};

// Builds the dialog (not shown): multi-select, the title, one filter that
// shows `filterText` while listing only files matching `pattern`.
std::unique_ptr<QFileDialog> CreateOpenFileDialog(QWidget* owner, const OpenFileRequest& request);

// Runs the dialog modally; the chosen paths in the dialog's order, or
// nothing when it was cancelled.
std::optional<QStringList> PickOpenFiles(QWidget* owner, const OpenFileRequest& request);

// Stands in for the person choosing files while tests run: the next dialog
// is answered with the files set here (no files = cancelled) without showing.
class FilePickerSeam {
public:
    static void SetNextFiles(const QStringList& paths);
    static void SetNextCancel();
    // The request of the last dialog asked for, answered by the seam or not.
    static const std::optional<OpenFileRequest>& LastRequest();
    // Forgets the answer and the request, so nothing leaks into the next test.
    static void Reset();

    // Used by PickOpenFiles: the answer to give without a dialog, if a test set one.
    static std::optional<std::optional<QStringList>> TakeAnswer(const OpenFileRequest& request);

private:
    static std::optional<std::optional<QStringList>> s_answer;
    static std::optional<OpenFileRequest> s_lastRequest;
};
