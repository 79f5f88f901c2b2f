// Message boxes: answers given in order, the application's name as the
// default caption, and no box from any thread but the UI thread.
#include "MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

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

// A worker waiting for a box could be stopped by a UI thread that never
// serves the wait: such a call ends the program at once instead.
TEST(MessageBoxDeathTest, ABoxFromAWorkerThreadEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread worker([] { ShowMessage("Failed to open wave file!", "Error"); });
            worker.join();
        },
        "off the UI thread");
}

} // namespace
