// The main window as a user meets it, and the ways the program ends.
#include "AboutDialog.h"
#include "MainApp.h"
#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "Strings.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!HasFatalFailure())
            OpenWindow();
    }
};

TEST_F(MainWindowTest, StartsWithItsFaceControlsAndToolTips) {
    EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");
    EXPECT_EQ(m_dialog->size(), QSize(640, 527));
    EXPECT_TRUE(m_dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(Control(IDC_BATCH_PROGRESS)->isVisible());
    EXPECT_FALSE(Control(IDC_FILE_PROGRESS)->isVisible());
    auto* label = Control<CColorLabel>(IDC_STATUS_LABEL);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_EQ(label->ForeColor(), QColor(0, 255, 255));
    EXPECT_EQ(label->BackColor(), QColor(130, 135, 160));
    EXPECT_EQ(m_dialog->Direction(), MP3_TO_WAVE);
    EXPECT_EQ(m_dialog->Button(IDC_MP3TOWAVE)->CurrentBitmap(), IDB_MP3TOWAVE_CHECKED);
    EXPECT_EQ(m_dialog->Button(IDC_WAVETOMP3)->CurrentBitmap(), IDB_WAVETOMP3);
    EXPECT_TRUE(QFile::exists(ProgramFolder() + "option.opt"));
    EXPECT_EQ(Control(IDC_FILELIST)->geometry(), QRect(12, 132, 584, 330));
    EXPECT_EQ(Control(IDC_BATCH_PROGRESS)->geometry(), QRect(12, 496, 464, 18));
    EXPECT_EQ(Control(IDC_FILE_PROGRESS)->geometry(), QRect(12, 471, 336, 18));
    EXPECT_EQ(Control(IDC_STATUS_LABEL)->geometry(), QRect(365, 471, 101, 18));
    EXPECT_EQ(Control(IDC_START)->geometry(), QRect(165, 52, 33, 32));
    EXPECT_EQ(Control(IDC_EXIT)->geometry(), QRect(561, 7, 65, 24));
    EXPECT_EQ(Control(IDC_MP3TOWAVE)->geometry(), QRect(50, 94, 159, 23));
    // The background lies below every control.
    EXPECT_EQ(m_dialog->childAt(Control(IDC_START)->geometry().center()), Control(IDC_START));
    EXPECT_EQ(Control(IDC_START)->toolTip(), "Start to convert");
    EXPECT_EQ(Control(IDC_EXIT)->toolTip(), "Exit from Brindle");
    EXPECT_EQ(Control(IDC_WEBSITE)->toolTip(), "Visit Our Website : https://brindle.example.org/");
    for (int id : {IDC_FILELIST, IDC_BATCH_PROGRESS, IDC_FILE_PROGRESS, IDC_STATUS_LABEL})
        EXPECT_TRUE(Control(id)->toolTip().isEmpty()) << id;
    for (int id = IDC_MINIMIZE; id <= IDC_REVERSE_CHECKS; ++id)
        EXPECT_FALSE(Control(id)->toolTip().isEmpty()) << id;
}

TEST_F(MainWindowTest, DirectionButtonsSwapTheirPicturesEnterDoesNothingAndEscEnds) {
    struct Step {
        int click;
        ConversionDirection direction;
        int mp3ToWaveBitmap;
        int waveToMp3Bitmap;
    };
    const Step steps[] = {
        {IDC_WAVETOMP3, WAVE_TO_MP3, IDB_MP3TOWAVE, IDB_WAVETOMP3_CHECKED},
        {IDC_MP3TOWAVE, MP3_TO_WAVE, IDB_MP3TOWAVE_CHECKED, IDB_WAVETOMP3},
        {IDC_WAVETOMP3, WAVE_TO_MP3, IDB_MP3TOWAVE, IDB_WAVETOMP3_CHECKED},
        {IDC_WAVETOMP3, WAVE_TO_MP3, IDB_MP3TOWAVE, IDB_WAVETOMP3_CHECKED},
    };
    for (const Step& step : steps) {
        QTest::mouseClick(Control(step.click), Qt::LeftButton);
        EXPECT_EQ(m_dialog->Direction(), step.direction);
        EXPECT_EQ(m_dialog->Button(IDC_MP3TOWAVE)->CurrentBitmap(), step.mp3ToWaveBitmap);
        EXPECT_EQ(m_dialog->Button(IDC_WAVETOMP3)->CurrentBitmap(), step.waveToMp3Bitmap);
    }
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QTest::keyClick(m_dialog.get(), Qt::Key_Enter);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), 0);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(MainWindowTest, HoverPictureFollowsThePointerAndCommandsPutTheNormalOneBack) {
    CHoverStatic* start = m_dialog->Button(IDC_START);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), start->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(start, &enter);
    EXPECT_EQ(start->CurrentBitmap(), IDB_START_HOVER);
    EXPECT_EQ(start->cursor().shape(), Qt::BitmapCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(start, &leave);
    EXPECT_EQ(start->CurrentBitmap(), IDB_START);

    // The direction buttons keep their pictures whatever the pointer does.
    CHoverStatic* direction = m_dialog->Button(IDC_WAVETOMP3);
    QApplication::sendEvent(direction, &enter);
    EXPECT_EQ(direction->CurrentBitmap(), IDB_WAVETOMP3);
    QApplication::sendEvent(direction, &leave);
    EXPECT_EQ(direction->CurrentBitmap(), IDB_WAVETOMP3);
    CHoverStatic* help = m_dialog->Button(IDC_HELP);
    help->SetBitmap(IDB_HELP_HOVER);
    m_dialog->OnCommand(IDC_HELP);
    EXPECT_EQ(help->CurrentBitmap(), IDB_HELP);
    // The help file is missing: nothing is reported.
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());

    CHoverStatic* minimize = m_dialog->Button(IDC_MINIMIZE);
    minimize->SetBitmap(IDB_MINIMIZE_HOVER);
    QTest::mouseClick(minimize, Qt::LeftButton);
    EXPECT_EQ(minimize->CurrentBitmap(), IDB_MINIMIZE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_dialog->isMinimized(); }, 5000));
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindowButNotFromAButton) {
    const QPoint before = m_dialog->pos();
    auto drag = [&](QWidget* target, QPoint at) {
        const QPointF global = target->mapToGlobal(QPointF(at));
        const auto send = [&](QEvent::Type type, QPointF by, Qt::MouseButton button,
                              Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(at) + by, global + by, button, held, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        };
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {40, 25}, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {40, 25}, Qt::LeftButton, Qt::NoButton);
    };
    drag(m_dialog->Button(IDC_CHECK_ALL), QPoint(3, 3));
    EXPECT_EQ(m_dialog->pos(), before);
    drag(m_dialog.get(), QPoint(300, 12));
    const QPoint expected = before + QPoint(40, 25);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_dialog->pos() == expected; }, 5000));
}

TEST_F(MainWindowTest, SystemMenuEndsWithTheAboutItem) {
    auto* menu = m_dialog->findChild<QMenu*>("systemMenu");
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.last()->text(), "&About BRD...");

    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDialog*>(QApplication::activeModalWidget());
        if (!about) {
            // Whatever came up instead must not keep the test waiting.
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        aboutShown =
            about->windowTitle() == "About Brindle" &&
            ChildById<QLabel>(about, IDC_ABOUT_WEB)->text() == "https://brindle.example.org/" &&
            ChildById<QLabel>(about, IDC_ABOUT_MAIL)->text() == "support@brindle.example.org";
        QTest::keyClick(about, Qt::Key_Escape);
    });
    actions.last()->trigger();
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST(MainAppTest, EmbeddingOrAutomationSwitchesTheSplashOff) {
    EXPECT_TRUE(CMainApp::ShowSplashFromArguments({}));
    EXPECT_TRUE(CMainApp::ShowSplashFromArguments({"song.mp3", "Embedding"}));
    EXPECT_FALSE(CMainApp::ShowSplashFromArguments({"-Embedding"}));
    EXPECT_FALSE(CMainApp::ShowSplashFromArguments({"/automation"}));
    EXPECT_FALSE(CMainApp::ShowSplashFromArguments({"x", "-AUTOMATION"}));
}

// Ways the process ends run in a child process of their own.
class ProcessEndTest : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ProcessEndTest, ExitButtonEndsTheProcessWithStatusZero) {
    QTemporaryDir folder;
    EXPECT_EXIT(
        {
            CMainDialog dialog(nullptr, folder.path() + "/");
            dialog.Create();
            QTest::mouseClick(dialog.Button(IDC_EXIT), Qt::LeftButton);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(ProcessEndTest, OptionFileThatCannotBeCreatedGivesInitFailed) {
    QTemporaryDir folder;
    const QString missing = folder.path() + "/no/such/folder/";
    const QString directoryInTheWay = folder.path() + "/";
    ASSERT_TRUE(QDir(folder.path()).mkdir("option.opt"));
    for (const QString& programFolder : {missing, directoryInTheWay}) {
        EXPECT_EXIT(
            {
                MessageBoxSeam::SetObserver([](const RecordedMessage& message) {
                    std::fprintf(stderr, "[%s|%s]\n", qPrintable(message.text),
                                 qPrintable(message.caption));
                });
                CMainDialog dialog(nullptr, programFolder);
                dialog.Create();
                std::fprintf(stderr, "window initialised\n");
            },
            testing::ExitedWithCode(0), "\\[Init failed!\\|Error\\]");
    }
}

} // namespace
