// Message boxes: answers given in order, the application's name as the
// default caption, and a worker's box shown by the UI thread while it waits.
#include "MessageBox.h"

#include <QApplication>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(MessageBoxTest, QueuedAnswersComeFirstThenTheStandingOne) {
    MessageBoxSeam::Reset();
    MessageBoxSeam::QueueAnswer(IDCANCEL);
    MessageBoxSeam::QueueAnswer(IDOK);
    MessageBoxSeam::SetStandingAnswer(IDCANCEL);
    EXPECT_EQ(ShowMessage("first", "Message", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(ShowMessage("second", "Message", MB_OKCANCEL), IDOK);
    EXPECT_EQ(ShowMessage("third"), IDCANCEL);

    const auto& recorded = MessageBoxSeam::Recorded();
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0].text, "first");
    EXPECT_EQ(recorded[1].flags, MB_OKCANCEL);
    // No caption: the executable's name without its extension.
    EXPECT_EQ(recorded[2].caption, "test_platform");
}

TEST(MessageBoxTest, AWorkersBoxIsShownOnTheUiThreadWhileTheWorkerWaits) {
    MessageBoxSeam::QueueAnswer(IDCANCEL);
    QThread* uiThread = QThread::currentThread();
    std::atomic<QThread*> shownOn{nullptr};
    MessageBoxSeam::SetObserver(
        [&](const RecordedMessage&) { shownOn = QThread::currentThread(); });

    std::atomic<int> answer{0};
    std::thread worker([&] { answer = ShowMessage("Failed to open wave file!", "Error"); });
    // The worker's call completes only once the UI thread has run the box.
    const bool answered = QTest::qWaitFor([&] { return answer != 0; }, 10000);
    if (!answered) {
        worker.detach(); // still blocked on the UI thread: joining would never return
        FAIL() << "the worker's message was never shown";
    }
    worker.join();
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(shownOn, uiThread);
    ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Recorded()[0].caption, "Error");
}

} // namespace
