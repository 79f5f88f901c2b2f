#include "MessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>

std::deque<int> MessageBoxSeam::s_answers;
std::optional<int> MessageBoxSeam::s_standingAnswer;
std::vector<RecordedMessage> MessageBoxSeam::s_recorded;
std::function<void(const RecordedMessage&)> MessageBoxSeam::s_observer;

void MessageBoxSeam::QueueAnswer(int answer) {
    s_answers.push_back(answer);
}

void MessageBoxSeam::SetStandingAnswer(int answer) {
    s_standingAnswer = answer;
}

const std::vector<RecordedMessage>& MessageBoxSeam::Recorded() {
    return s_recorded;
}

void MessageBoxSeam::SetObserver(std::function<void(const RecordedMessage&)> observer) {
    s_observer = std::move(observer);
}

void MessageBoxSeam::Reset() {
    s_observer = nullptr;
    s_answers.clear();
    s_standingAnswer.reset();
    s_recorded.clear();
}

std::optional<int> MessageBoxSeam::TakeAnswer(const RecordedMessage& message) {
    if (s_answers.empty() && !s_standingAnswer)
        return std::nullopt;
    s_recorded.push_back(message);
    if (s_observer)
        s_observer(message);
    if (s_answers.empty())
        return s_standingAnswer;
    const int answer = s_answers.front();
    s_answers.pop_front();
    return answer;
}

QString ApplicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

namespace {

int ShowOnUiThread(const QString& text, const QString& caption, unsigned flags, QWidget* owner) {
    const QString title = caption.isEmpty() ? ApplicationName() : caption;
    if (auto answer = MessageBoxSeam::TakeAnswer({text, title, flags}))
        return *answer;

    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon((flags & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION ? QMessageBox::Warning
                                                                   : QMessageBox::NoIcon);
    if (flags & MB_OKCANCEL) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

} // namespace

// A box belongs to the UI thread. A worker that waited here for it could be
// stopped by a UI thread that never serves the wait, so a call from any
// other thread is a mistake that ends the program at once, in every build.
int ShowMessage(const QString& text, const QString& caption, unsigned flags, QWidget* owner) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        qFatal("ShowMessage called off the UI thread: %s", qPrintable(text));
    return ShowOnUiThread(text, caption, flags, owner);
}
