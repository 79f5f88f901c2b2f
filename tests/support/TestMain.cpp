// One QApplication per test binary, on the offscreen platform unless a display
// is asked for. Message boxes never wait for a person: after each test's start
// they are answered OK and recorded, and tests may queue other answers.
#include "MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class MessageBoxReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
    }
    void OnTestEnd(const testing::TestInfo&) override { MessageBoxSeam::Reset(); }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new MessageBoxReset);
    // Death-test children get no test events; they too must never wait for a person.
    MessageBoxSeam::SetStandingAnswer(IDOK);
    return RUN_ALL_TESTS();
}
