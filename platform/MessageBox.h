// Message boxes: the one place the program asks the user or tells of a failure.
// Tests install answers instead of a person; see MessageBoxSeam.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Buttons and icons, as combinable flags.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Shows `text` with `caption` (the application's name when empty) and the
// given buttons, modal to `owner` (none for a worker's messages). UI thread
// only: a worker reports its failures through the window, which shows them.
int ShowMessage(const QString& text, const QString& caption = QString(), unsigned flags = MB_OK,
                QWidget* owner = nullptr);

// The application's name: the executable's file name without its extension.
QString ApplicationName();

// Stands in for the person in front of the screen while tests run: every
// message is recorded, and queued answers are given without showing anything.
struct RecordedMessage {
    QString text;
    QString caption;
    unsigned flags;
};

class MessageBoxSeam {
public:
    // Answers the next message with `answer` (one message per queued answer).
    static void QueueAnswer(int answer);
    // Answers every message that has no queued answer with `answer`.
    static void SetStandingAnswer(int answer);
    static const std::vector<RecordedMessage>& Recorded();
    // Also hands every answered message to `observer` (a test whose process
    // ends inside the action can still report what was shown).
    static void SetObserver(std::function<void(const RecordedMessage&)> observer);
    // Forgets answers and recordings, so nothing leaks into the next test.
    static void Reset();

    // Used by ShowMessage: the answer to give without a box, if a test set one.
    static std::optional<int> TakeAnswer(const RecordedMessage& message);

private:
    static std::deque<int> s_answers;
    static std::optional<int> s_standingAnswer;
    static std::vector<RecordedMessage> s_recorded;
    static std::function<void(const RecordedMessage&)> s_observer;
};
