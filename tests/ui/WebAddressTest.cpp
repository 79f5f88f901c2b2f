// Opening the maker's web address: without the desktop, the default handler
// of web pages from its desktop file, started without a shell; and the
// messages that explain a failure. The desktop is a stand-in: a test PATH
// and test XDG data folders (StandInDesktop).
#include "WebAddress.h"
#include "MessageBox.h"
#include "StandInDesktop.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

using namespace WebAddress;

const QString kAddress = "https://brindle.example.org/";
const QString kHandler = "brindle-test-browser.desktop";

QByteArray DesktopEntry(const QByteArray& exec) {
    return "[Desktop Entry]\nType=Application\nName=Test Browser\nIcon=test-browser\n"
           "Exec=" +
           exec + "\n";
}

TEST(ReportOpenErrorTest, ShowsTheTableTextWithTheProgramNameAndAnExclamation) {
    const std::pair<int, QString> cases[] = {
        {31, "There is no application associated\nwith the given filename extension."},
        {4, "Unknown Error (4) occurred."},
        {2, "The specified file was not found."},
    };
    for (const auto& [code, text] : cases) {
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
        ReportOpenError(code);
        ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u) << code;
        const RecordedMessage& message = MessageBoxSeam::Recorded().front();
        EXPECT_EQ(message.text, "Unable to open hyperlink:\n\n" + text) << code;
        EXPECT_EQ(message.caption, ApplicationName());
        EXPECT_EQ(message.caption, "test_ui");
        EXPECT_EQ(message.flags, MB_OK | MB_ICONEXCLAMATION);
    }
}

class OpenWebAddressTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_desktop.IsValid()); }

    // The default handler is `kHandler` with this Exec line.
    void SetHandler(const QByteArray& exec) {
        m_desktop.SetDefaultHandler(kHandler);
        m_desktop.AddDesktopFile(kHandler, DesktopEntry(exec));
    }

    StandInDesktop m_desktop;
};

TEST_F(OpenWebAddressTest, NothingReachesAShell) {
    m_desktop.AddRecorder("brindle-browser");
    const QByteArray trap = QFile::encodeName(m_desktop.Path("trap"));
    SetHandler("brindle-browser $(touch " + trap + "1) `touch " + trap + "2` ; touch " + trap +
               "3 | \"%u\"");
    const QString t = QString::fromLocal8Bit(trap);
    const QString address =
        "https://brindle.example.org/?a=1&b=$(touch " + t + "4);touch " + t + "5";
    EXPECT_GT(OpenWebAddress(address, SW_SHOW), 32);
    const auto record = m_desktop.WaitForRecord("brindle-browser");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->mid(1), QStringList({"$(touch", t + "1)", "`touch", t + "2`", ";", "touch",
                                           t + "3", "|", address}));
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(QFileInfo::exists(t + QString::number(i))) << i;
}

} // namespace
