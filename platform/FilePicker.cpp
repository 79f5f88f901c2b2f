#include "FilePicker.h"

#include <QFileDialog>
#include <QFileSystemModel>

std::optional<std::optional<QStringList>> FilePickerSeam::s_answer;
std::optional<OpenFileRequest> FilePickerSeam::s_lastRequest;

namespace {

// Qt would read the words in the parentheses of the shown text as patterns,
// so the dialog's file model is given the real pattern after every choice of filter.
void ApplyPattern(QFileDialog* dialog, const QString& pattern) {
    if (auto* files = dialog->findChild<QFileSystemModel*>())
        files->setNameFilters({pattern});
}

} // namespace

std::unique_ptr<QFileDialog> CreateOpenFileDialog(QWidget* owner, const OpenFileRequest& request) {
    auto dialog = std::make_unique<QFileDialog>(owner, request.title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilter(request.filterText);
    ApplyPattern(dialog.get(), request.pattern);
    QFileDialog* shown = dialog.get();
    QObject::connect(shown, &QFileDialog::filterSelected, shown,
                     [shown, pattern = request.pattern] { ApplyPattern(shown, pattern); });
    return dialog;
}

std::optional<QStringList> PickOpenFiles(QWidget* owner, const OpenFileRequest& request) {
    if (auto answer = FilePickerSeam::TakeAnswer(request))
        return *answer;
    const std::unique_ptr<QFileDialog> dialog = CreateOpenFileDialog(owner, request);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->selectedFiles();
}

void FilePickerSeam::SetNextFiles(const QStringList& paths) {
    s_answer = paths.isEmpty() ? std::optional<QStringList>() : paths;
}

void FilePickerSeam::SetNextCancel() {
    s_answer = std::optional<QStringList>();
}

const std::optional<OpenFileRequest>& FilePickerSeam::LastRequest() {
    return s_lastRequest;
}

void FilePickerSeam::Reset() {
    s_answer.reset();
    s_lastRequest.reset();
}

std::optional<std::optional<QStringList>>
FilePickerSeam::TakeAnswer(const OpenFileRequest& request) {
    s_lastRequest = request;
    return std::exchange(s_answer, std::nullopt);
}
