// Opening the maker's web address: the desktop first, then the default
// handler of web pages from its desktop file, started without a shell; and
// the messages that explain a failure. The desktop is a stand-in: a test PATH
// and test XDG data folders (StandInDesktop).
#include "WebAddress.h"
#include "MessageBox.h"
#include "StandInDesktop.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
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

TEST(CutAtPlaceholderTest, CutsBeforeTheFirstPlaceholderOrItsQuote) {
    const std::pair<QString, QString> cases[] = {
        {"\"/opt/web browser/browser\" -nohome \"%u\"", "\"/opt/web browser/browser\" -nohome "},
        {"browser -nohome \"%F\" --later", "browser -nohome "},
        {"/usr/lib/firefox-esr/firefox-esr %u", "/usr/lib/firefox-esr/firefox-esr "},
        {"chromium --new-window %U --incognito", "chromium --new-window "},
        {"viewer %f", "viewer "},
        // The first placeholder counts; a quote on one side only is no quoting.
        {"browser --url=%u \"%U\"", "browser --url="},
        {"browser \"%u %U", "browser \""},
        // No placeholder: other field codes and an escaped percent sign.
        {"browser -nohome", "browser -nohome"},
        {"", ""},
        {"browser %i --rate=100%%u %c", "browser %i --rate=100%%u %c"},
        {"browser 50%%%u", "browser 50%%"},
        {"browser 100%", "browser 100%"},
    };
    for (const auto& [line, cut] : cases)
        EXPECT_EQ(CutAtPlaceholder(line), cut) << line.toStdString();
}

TEST(HandlerCommandTest, TheAddressFollowsWhatIsLeftAsItsOwnArgument) {
    // No command where the line names no program or the cut leaves a quote open.
    const std::pair<QString, QStringList> cases[] = {
        {"\"/opt/web browser/browser\" -nohome \"%u\"",
         {"/opt/web browser/browser", "-nohome", kAddress}},
        {"firefox-esr %u", {"firefox-esr", kAddress}},
        {"browser -nohome", {"browser", "-nohome", kAddress}},
        {"browser %i %u", {"browser", kAddress}}};
    for (const auto& [line, command] : cases)
        EXPECT_EQ(HandlerCommand(line, kAddress), command) << line.toStdString();
    for (const char* line : {"%u", "   ", "\"\" %u", "browser \"--url=%u\""})
        EXPECT_TRUE(HandlerCommand(line, kAddress).isEmpty()) << line;
    // An address with blanks, quotes or shell characters stays one argument.
    const QString odd = "https://brindle.example.org/a b?x=\"1\"&y=$(id);`z`";
    EXPECT_EQ(HandlerCommand("browser %u", odd), QStringList({"browser", odd}));
    // Field codes left before the placeholder are resolved.
    EXPECT_EQ(HandlerCommand("browser %i --class=%c --from %k --rate=100%% %d %u", kAddress,
                             "/apps/b.desktop", "Test Browser", "web"),
              QStringList({"browser", "--icon", "web", "--class=Test Browser", "--from",
                           "/apps/b.desktop", "--rate=100%", kAddress}));
}

TEST(SplitExecLineTest, FollowsTheDesktopEntryQuotingRules) {
    QStringList arguments;
    ASSERT_TRUE(SplitExecLine("  \"/opt/my browser/run\"\t--title=\"a \\\"b\\\" \\\\ \\$c\" x  ",
                              &arguments));
    EXPECT_EQ(arguments, QStringList({"/opt/my browser/run", "--title=a \"b\" \\ $c", "x"}));
    ASSERT_TRUE(SplitExecLine("sh -c 'echo hi; rm -rf x' | >", &arguments));
    EXPECT_EQ(arguments, QStringList({"sh", "-c", "'echo", "hi;", "rm", "-rf", "x'", "|", ">"}));
    ASSERT_TRUE(SplitExecLine("a \"\" b", &arguments));
    EXPECT_EQ(arguments, QStringList({"a", "", "b"}));
    EXPECT_FALSE(SplitExecLine("\"/opt/browser -nohome", &arguments));
}

TEST(UnescapeValueTest, UndoesTheStringEscapes) {
    EXPECT_EQ(UnescapeValue("a\\sb\\tc\\nd\\re\\\\f"), "a b\tc\nd\re\\f");
    EXPECT_EQ(UnescapeValue("\"x \\\" y\""), "\"x \\\" y\"");
    EXPECT_EQ(UnescapeValue("end\\"), "end\\");
}

TEST(ApplicationFoldersTest, DataHomeFirstThenTheDataFolders) {
    StandInDesktop desktop;
    qputenv("XDG_DATA_HOME", "/h/share");
    qputenv("XDG_DATA_DIRS", "/a/share/::/b/share");
    EXPECT_EQ(ApplicationFolders(), QStringList({"/h/share/applications", "/a/share/applications",
                                                 "/b/share/applications"}));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(ApplicationFolders(),
              QStringList({QDir::homePath() + "/.local/share/applications",
                           "/usr/local/share/applications", "/usr/share/applications"}));
}

TEST(ReportOpenErrorTest, ShowsTheTableTextWithTheProgramNameAndAnExclamation) {
    const std::pair<int, QString> cases[] = {
        {26, "A sharing violation occurred. "},
        {31, "There is no application associated\nwith the given filename extension."},
        {4, "Unknown Error (4) occurred."},
        {2, "The specified file was not found."},
        {5, "The operating system denied\naccess to the specified file."},
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

TEST_F(OpenWebAddressTest, TheDesktopGetsTheAddressUnchanged) {
    DesktopUrlRecorder desktopItself;
    SetHandler("brindle-browser %u");
    m_desktop.AddRecorder("brindle-browser");
    EXPECT_GT(OpenWebAddress(kAddress, SW_SHOW), 32);
    ASSERT_EQ(desktopItself.m_urls.size(), 1);
    EXPECT_EQ(desktopItself.m_urls.front().toString(), kAddress);
    EXPECT_EQ(desktopItself.m_urls.front(), QUrl(kAddress));
    // The fallback was not asked.
    EXPECT_FALSE(m_desktop.HasRecord("xdg-mime"));
}

TEST_F(OpenWebAddressTest, WithoutTheDesktopTheDefaultHandlerGetsTheAddress) {
    // The offscreen platform opens no addresses, so the fallback runs.
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    const QString browser = m_desktop.AddRecorder(m_desktop.Bin() + "/web browser");
    SetHandler("\"" + QFile::encodeName(browser) + "\" -nohome \"%u\"");
    EXPECT_GT(OpenWebAddress(kAddress, SW_SHOW), 32);
    EXPECT_EQ(m_desktop.WaitForRecord("web browser"), QStringList({browser, "-nohome", kAddress}));
    EXPECT_EQ(m_desktop.WaitForRecord("xdg-mime").value_or(QStringList()).mid(1),
              QStringList({"query", "default", "text/html"}));
}

TEST_F(OpenWebAddressTest, TheHandlersProgramIsFoundInThePath) {
    m_desktop.AddRecorder("brindle-browser");
    SetHandler("brindle-browser --new-window %U --private");
    EXPECT_GT(OpenWebAddress(kAddress, SW_SHOW), 32);
    EXPECT_EQ(m_desktop.WaitForRecord("brindle-browser"),
              QStringList({m_desktop.Bin() + "/brindle-browser", "--new-window", kAddress}));
}

TEST_F(OpenWebAddressTest, ADesktopFileInASubFolderOfItsIdIsFound) {
    m_desktop.AddRecorder("brindle-browser");
    m_desktop.SetDefaultHandler("brindle-sub-browser.desktop");
    ASSERT_TRUE(QDir(m_desktop.Applications()).mkdir("brindle"));
    m_desktop.AddDesktopFile("brindle/sub-browser.desktop", DesktopEntry("brindle-browser %u"));
    EXPECT_GT(OpenWebAddress(kAddress, SW_SHOW), 32);
    EXPECT_TRUE(m_desktop.WaitForRecord("brindle-browser"));
}

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

TEST_F(OpenWebAddressTest, NoHandlerAtAllIs31) {
    // No xdg-mime in the PATH.
    EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), SE_ERR_NOASSOC);
    // xdg-mime knows no handler.
    m_desktop.SetDefaultHandler("");
    EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), SE_ERR_NOASSOC);
    // It names a handler without a desktop file, or a name that is no desktop file id.
    m_desktop.SetDefaultHandler(kHandler);
    EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), SE_ERR_NOASSOC);
    m_desktop.SetDefaultHandler("../applications/" + kHandler);
    EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), SE_ERR_NOASSOC);
    // Its desktop file has no Exec line in its [Desktop Entry] group.
    m_desktop.SetDefaultHandler(kHandler);
    m_desktop.AddDesktopFile(kHandler, "[Desktop Entry]\nName=Test\n[Desktop Action x]\n"
                                       "Exec=brindle-browser %u\n");
    m_desktop.AddRecorder("brindle-browser");
    EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_FALSE(m_desktop.HasRecord("brindle-browser"));
}

TEST_F(OpenWebAddressTest, AMissingProgramIs2OneThatCannotRunIs5AndABadLineIs27) {
    m_desktop.AddRecorder("brindle-browser", false);
    const std::pair<QByteArray, int> cases[] = {
        {"no-such-browser %u", SE_ERR_FNF},
        {"\"" + QFile::encodeName(m_desktop.Path("nowhere/browser")) + "\" %u", SE_ERR_FNF},
        {"brindle-browser %u", SE_ERR_ACCESSDENIED},
        {QFile::encodeName(m_desktop.Bin()) + " %u", SE_ERR_ACCESSDENIED}, // a folder
        {"\"brindle-browser %u", SE_ERR_ASSOCINCOMPLETE},
        {"%u", SE_ERR_ASSOCINCOMPLETE},
    };
    for (const auto& [exec, code] : cases) {
        SetHandler(exec);
        EXPECT_EQ(OpenWebAddress(kAddress, SW_SHOW), code) << exec.toStdString();
    }
    EXPECT_FALSE(m_desktop.HasRecord("brindle-browser"));
}

// On X11 the desktop is Qt's own: it hands the address to xdg-open from the
// PATH. The offscreen run starts this test again on a virtual X server.
TEST(DesktopOnX11Test, XdgOpenGetsTheAddressUnchanged) {
    if (QGuiApplication::platformName() == "xcb") {
        StandInDesktop desktop;
        const QString xdgOpen = desktop.AddRecorder("xdg-open");
        EXPECT_GT(OpenWebAddress(kAddress, SW_SHOW), 32);
        EXPECT_EQ(desktop.WaitForRecord("xdg-open"), QStringList({xdgOpen, kAddress}));
        EXPECT_FALSE(desktop.HasRecord("xdg-mime"));
        return;
    }
    const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
    if (xvfbRun.isEmpty())
        GTEST_SKIP() << "no xvfb-run";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    // Another X server starting at the same moment can take the display
    // number xvfb-run chose; then the test is tried once more on another one.
    QString output;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const int display = 100 + (QCoreApplication::applicationPid() + 37 * attempt) % 400;
        child.start(xvfbRun,
                    {"-a", "-n", QString::number(display), QCoreApplication::applicationFilePath(),
                     "--gtest_filter=DesktopOnX11Test.XdgOpenGetsTheAddressUnchanged"});
        ASSERT_TRUE(child.waitForStarted(5000));
        if (!child.waitForFinished(60000))
            child.kill();
        child.waitForFinished(5000);
        output = QString::fromLocal8Bit(child.readAll());
        if (output.contains("[==========] Running 1 test"))
            break;
    }
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

} // namespace
