// The dialog model's DoModal: a dialog that its OnInitDialog already ends is
// never shown, and answers as it was ended; any other runs until it is closed.
#include "Dialog.h"
#include "MessageBox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class EndingDialog : public CDialog {
public:
    enum class End { None, Ok, Cancel };
    explicit EndingDialog(End end) : m_end(end) {}

    int m_nShown = 0;

protected:
    bool OnInitDialog() override {
        if (m_end == End::Ok)
            OnOK();
        else if (m_end == End::Cancel)
            OnCancel();
        return true;
    }
    void showEvent(QShowEvent* event) override {
        ++m_nShown;
        CDialog::showEvent(event);
    }

private:
    End m_end;
};

TEST(DialogEndTest, ADialogEndedInOnInitDialogIsNeverShown) {
    for (auto [end, answer] :
         {std::pair{EndingDialog::End::Cancel, IDCANCEL}, std::pair{EndingDialog::End::Ok, IDOK}}) {
        EndingDialog dialog(end);
        bool stillOpen = false;
        QTimer::singleShot(2000, &dialog, [&] {
            stillOpen = dialog.isVisible();
            dialog.reject();
        });
        EXPECT_EQ(dialog.DoModal(), answer);
        EXPECT_EQ(dialog.m_nShown, 0);
        EXPECT_FALSE(stillOpen);
    }
}

TEST(DialogEndTest, AnyOtherDialogRunsUntilItIsClosed) {
    EndingDialog dialog(EndingDialog::End::None);
    QTimer::singleShot(50, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nShown, 1);
    // A second run shows it again; Esc cancels.
    QTimer::singleShot(50, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_nShown, 2);
}

} // namespace
