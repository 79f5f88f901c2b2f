// One QApplication per test binary, on the offscreen platform unless a display
// is asked for. Message boxes and file pickers never wait for a person: each
// test starts with boxes answered OK and recorded and no files queued.
#include "FilePicker.h"
#include "FolderPicker.h"
#include "MessageBox.h"
#include "ProcessEnd.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class SeamReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        FilePickerSeam::Reset();
        FolderPickerSeam::Reset();
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
    }
    void OnTestEnd(const testing::TestInfo&) override {
        FilePickerSeam::Reset();
        FolderPickerSeam::Reset();
        MessageBoxSeam::Reset();
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new SeamReset);
    // Death-test children get no test events; they too must never wait for a person.
    MessageBoxSeam::SetStandingAnswer(IDOK);
    EndProcess(RUN_ALL_TESTS());
}
