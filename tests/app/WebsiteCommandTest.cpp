// The web-site button: the address handed to the desktop, or why it could not be.
#include "MainWindowFixture.h"

#include "MessageBox.h"
#include "StandInDesktop.h"
#include "Strings.h"

namespace {

class WebsiteCommandTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(m_desktop.IsValid());
        if (!HasFatalFailure())
            OpenWindow();
    }

    // Clicked under the pointer, the button shows its normal picture again.
    void ClickWebsite() {
        m_dialog->Button(IDC_WEBSITE)->SetBitmap(IDB_WEBSITE_HOVER);
        Click(IDC_WEBSITE);
        EXPECT_EQ(m_dialog->Button(IDC_WEBSITE)->CurrentBitmap(), IDB_WEBSITE);
    }

    StandInDesktop m_desktop;
};

TEST_F(WebsiteCommandTest, TheDesktopGetsTheAddressAfterTheNormalPictureIsBack) {
    DesktopUrlRecorder desktopItself;
    int pictureWhileOpening = 0;
    desktopItself.m_onOpen = [&](const QUrl&) {
        pictureWhileOpening = m_dialog->Button(IDC_WEBSITE)->CurrentBitmap();
    };
    ClickWebsite();
    ASSERT_EQ(desktopItself.m_urls.size(), 1);
    EXPECT_EQ(desktopItself.m_urls.front().toString(), "https://brindle.example.org/");
    EXPECT_EQ(pictureWhileOpening, IDB_WEBSITE);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
}

TEST_F(WebsiteCommandTest, WithoutTheDesktopTheDefaultBrowserGetsTheAddress) {
    const QString browser = m_desktop.AddRecorder("brindle-browser");
    m_desktop.SetDefaultHandler("brindle-browser.desktop");
    m_desktop.AddDesktopFile("brindle-browser.desktop",
                             "[Desktop Entry]\nType=Application\nName=Browser\n"
                             "Exec=brindle-browser -nohome \"%u\"\n");
    ClickWebsite();
    EXPECT_EQ(m_desktop.WaitForRecord("brindle-browser"),
              QStringList({browser, "-nohome", "https://brindle.example.org/"}));
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
}

TEST_F(WebsiteCommandTest, NoBrowserAtAllIsExplained) {
    ClickWebsite();
    ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u);
    const RecordedMessage& message = MessageBoxSeam::Recorded().front();
    EXPECT_EQ(message.text, "Unable to open hyperlink:\n\nThere is no application associated\n"
                            "with the given filename extension.");
    EXPECT_EQ(message.caption, "test_app");
    EXPECT_EQ(message.flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(WebsiteCommandTest, ABrowserThatIsMissingOrCannotRunIsExplained) {
    m_desktop.SetDefaultHandler("brindle-browser.desktop");
    m_desktop.AddDesktopFile("brindle-browser.desktop",
                             "[Desktop Entry]\nExec=brindle-browser %u\n");
    ClickWebsite();
    m_desktop.AddRecorder("brindle-browser", false);
    ClickWebsite();
    ASSERT_EQ(MessageBoxSeam::Recorded().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Recorded()[0].text,
              "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(MessageBoxSeam::Recorded()[1].text,
              "Unable to open hyperlink:\n\nThe operating system denied\naccess to the "
              "specified file.");
}

} // namespace
