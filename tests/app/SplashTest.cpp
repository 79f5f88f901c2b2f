// The splash through the real start-up of the main window.
#include "MainApp.h"
#include "MainWindowFixture.h"
#include "SplashWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

// What a watcher saw while the program started and ran for a while.
struct StartUp {
    bool sawSplash = false;
    bool mainWindowShownWithSplash = false;
    bool splashStayedAfterInput = true;
    QRect geometry;
    bool ownedByMainWindow = false;      // its parent widget
    bool transientForMainWindow = false; // its window's transient parent
    Qt::WindowFlags flags;
    bool sawMainWindow = false;
    qint64 goneAtMs = -1; // from the start of start-up
    bool deleted = false; // the splash object went after it was gone
    bool repaintedOnDismiss = false;
    int splashesSeen = 0;
};

class SplashTest : public MainWindowFixture {
protected:
    void TearDown() override { CSplashWindow::Enable(false); }

    // Runs the program's start-up with `arguments` and watches it; `atFirstSight`
    // runs once, when the splash is first seen. The window is closed once the
    // splash has gone, or soon after it showed without one.
    StartUp Run(const QStringList& arguments,
                const std::function<void(CSplashWindow*, CMainDialog*)>& atFirstSight = {}) {
        StartUp seen;
        QPointer<CSplashWindow> splash;
        QPointer<CMainDialog> dialog;
        QElapsedTimer clock;
        QTimer poll;
        poll.setInterval(5);
        PaintWatcher paints([&] {
            // The splash is gone from Show's point of view, and not yet deleted:
            // the paint comes from Dismiss itself.
            if (splash && !splash->isVisible() && !CSplashWindow::Current())
                seen.repaintedOnDismiss = true;
        });
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!dialog) {
                dialog = qobject_cast<CMainDialog*>(QApplication::activeModalWidget());
                if (dialog)
                    dialog->installEventFilter(&paints);
            }
            if (!dialog) {
                if (clock.elapsed() > 10000) {
                    poll.stop();
                    ADD_FAILURE() << "the main window never ran modally";
                    for (QWidget* window : QApplication::topLevelWidgets())
                        if (auto* stuck = qobject_cast<CMainDialog*>(window))
                            stuck->reject();
                }
                return;
            }
            seen.sawMainWindow = seen.sawMainWindow || dialog->isVisible();
            CSplashWindow* current = CSplashWindow::Current();
            if (current && !seen.sawSplash) {
                seen.sawSplash = true;
                splash = current;
                seen.geometry = current->geometry();
                seen.ownedByMainWindow = current->parentWidget() == dialog;
                seen.flags = current->windowFlags();
                seen.transientForMainWindow =
                    dialog->windowHandle() &&
                    current->windowHandle()->transientParent() == dialog->windowHandle();
                seen.mainWindowShownWithSplash = dialog->isVisible() && current->isVisible();
                seen.splashesSeen = dialog->findChildren<CSplashWindow*>().size();
                if (atFirstSight) {
                    atFirstSight(current, dialog);
                    seen.splashStayedAfterInput =
                        splash && splash->isVisible() && CSplashWindow::Current() == splash;
                }
            }
            if (seen.sawSplash && seen.goneAtMs < 0 && (!splash || !splash->isVisible()))
                seen.goneAtMs = clock.elapsed();
            seen.deleted = seen.sawSplash && !splash;
            const bool done = seen.sawSplash ? seen.deleted && clock.elapsed() > seen.goneAtMs + 50
                                             : seen.sawMainWindow && clock.elapsed() > 300;
            if (done || clock.elapsed() > 10000) {
                poll.stop();
                dialog->reject();
            }
        });
        poll.start();
        clock.start();
        CMainApp::RunMainWindow(CMainApp::ShowSplashFromArguments(arguments), ProgramFolder());
        return seen;
    }

    // Gone one second after it appeared, which was after the clock started.
    static void ExpectGoneAfterOneSecond(const StartUp& seen) {
        EXPECT_GE(seen.goneAtMs, 990);
        EXPECT_LT(seen.goneAtMs, 3000);
    }

    class PaintWatcher : public QObject {
    public:
        explicit PaintWatcher(std::function<void()> onPaint) : m_onPaint(std::move(onPaint)) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                m_onPaint();
            return false;
        }

    private:
        std::function<void()> m_onPaint;
    };
};

TEST_F(SplashTest, ANormalStartShowsThePictureCentredAboveTheWindowForOneSecond) {
    const StartUp seen = Run({});
    ASSERT_TRUE(seen.sawSplash);
    EXPECT_EQ(seen.geometry.size(), QSize(387, 221));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((seen.geometry.center() - screen.center()).manhattanLength(), 1)
        << seen.geometry.x() << "," << seen.geometry.y();
    // Owned by the main window: a window of its own above it, never a second
    // main window, and a splash, which has no task-bar entry.
    EXPECT_TRUE(seen.ownedByMainWindow);
    EXPECT_TRUE(seen.transientForMainWindow);
    EXPECT_EQ(seen.flags & Qt::WindowType_Mask, Qt::SplashScreen);
    EXPECT_TRUE(seen.flags & Qt::FramelessWindowHint);
    EXPECT_EQ(seen.splashesSeen, 1);
    EXPECT_TRUE(seen.mainWindowShownWithSplash);
    ExpectGoneAfterOneSecond(seen);
    EXPECT_TRUE(seen.deleted);
    EXPECT_TRUE(seen.repaintedOnDismiss);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
}

TEST_F(SplashTest, ClicksKeysAndASecondShowLeaveTheOneSplashStanding) {
    int splashes = 0;
    const StartUp seen = Run({}, [&](CSplashWindow* splash, CMainDialog* dialog) {
        const QPoint centre = splash->rect().center();
        QTest::mouseClick(splash, Qt::LeftButton, {}, centre);
        QTest::mouseClick(splash, Qt::RightButton, {}, centre);
        QTest::mouseDClick(splash, Qt::LeftButton, {}, centre);
        QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, {}, centre);
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_A})
            QTest::keyClick(splash, key);
        QTest::keyClick(splash->windowHandle(), Qt::Key_Escape);
        QTest::keyClick(splash, Qt::Key_F4, Qt::AltModifier);
        CSplashWindow::Show(dialog);
        splashes = dialog->findChildren<CSplashWindow*>().size();
    });
    ASSERT_TRUE(seen.sawSplash);
    EXPECT_TRUE(seen.splashStayedAfterInput);
    EXPECT_EQ(splashes, 1);
    ExpectGoneAfterOneSecond(seen);
}

TEST_F(SplashTest, EmbeddingOrAutomationInAnySpellingShowsNoSplash) {
    for (const char* argument : {"-Embedding", "/Embedding", "-embedding", "/EMBEDDING",
                                 "-Automation", "/automation", "-AUTOMATION", "/aUtOmAtIoN"}) {
        const StartUp seen = Run({"song.mp3", argument});
        EXPECT_TRUE(seen.sawMainWindow) << argument;
        EXPECT_FALSE(seen.sawSplash) << argument;
        EXPECT_FALSE(CSplashWindow::IsEnabled());
    }
    // A bare word is no switch: that start shows the splash.
    EXPECT_TRUE(Run({"Embedding"}).sawSplash);
}

TEST_F(SplashTest, ADisabledSplashOrAPictureThatCannotBeLoadedShowsNothing) {
    CSplashWindow::Enable(false);
    OpenWindow();
    EXPECT_TRUE(m_dialog->findChildren<CSplashWindow*>().isEmpty());
    CSplashWindow::Enable(true);
    QWidget owner;
    CSplashWindow::Show(&owner, 9999);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    EXPECT_TRUE(owner.findChildren<CSplashWindow*>().isEmpty());
    // Start-up goes on, and a later Show with the real picture works.
    CSplashWindow::Show(&owner);
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    EXPECT_EQ(CSplashWindow::Current()->parentWidget(), &owner);
    CSplashWindow::Current()->Dismiss();
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
}

} // namespace
