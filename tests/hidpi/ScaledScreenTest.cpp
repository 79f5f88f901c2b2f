// The windows on a screen scaled to 200 % (this binary runs with
// QT_SCALE_FACTOR=2): every skinned picture is drawn from its picture at twice
// its size, pixel for pixel, while the windows keep their logical sizes.
#include "Bitmaps.h"
#include "DialogUnits.h"
#include "MainDialog.h"
#include "OptionsDialog.h"
#include "PlayerDialog.h"
#include "SplashWindow.h"
#include "resource.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Picture(int bitmapId, const QString& suffix) {
    return QImage(QStringLiteral(":/skin/%1%2.png").arg(bitmapId).arg(suffix))
        .convertToFormat(QImage::Format_RGB32);
}

// `control` shows bitmap `bitmapId`: its logical size is the 1x picture's,
// and on the screen it is the 2x picture, every device pixel of it.
void ExpectDrawnSharp(QWidget* control, int bitmapId) {
    const QImage small = Picture(bitmapId, "");
    const QImage large = Picture(bitmapId, "@2x");
    ASSERT_FALSE(small.isNull()) << bitmapId;
    ASSERT_EQ(large.size(), small.size() * 2) << bitmapId;
    EXPECT_EQ(control->size(), small.size()) << bitmapId;
    const QPixmap drawn = control->grab();
    EXPECT_EQ(drawn.devicePixelRatio(), 2.0) << bitmapId;
    EXPECT_TRUE(drawn.toImage().convertToFormat(QImage::Format_RGB32) == large) << bitmapId;
}

class ScaledScreenTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(qApp->devicePixelRatio(), 2.0); }

    QTemporaryDir m_folder;
};

TEST_F(ScaledScreenTest, TheMainWindowDrawsEveryPictureAtTwiceItsSize) {
    CMainDialog dialog(nullptr, m_folder.path() + "/");
    ASSERT_TRUE(dialog.Create());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(640, 527));
    EXPECT_EQ(dialog.grab().size(), QSize(1280, 1054));

    const auto buttons = dialog.findChildren<CHoverStatic*>();
    ASSERT_EQ(buttons.size(), 18);
    for (CHoverStatic* button : buttons) {
        ExpectDrawnSharp(button, button->CurrentBitmap());
        if (const int hover = CHoverStatic::HoverBitmapOf(button->Id())) {
            button->SetBitmap(hover);
            ExpectDrawnSharp(button, hover);
        }
    }
    // The controls stay where the design puts them, in logical pixels.
    EXPECT_EQ(dialog.Button(IDC_START)->pos(),
              QPoint(DialogUnitsToPixelsX(110), DialogUnitsToPixelsY(32)));
    EXPECT_EQ(dialog.FileList()->geometry(), DialogRect(8, 81, 389, 203));
}

TEST_F(ScaledScreenTest, SplashPlayerPictureCursorAndIconAreLarge) {
    CSplashWindow::Enable(true);
    CSplashWindow::Show(nullptr);
    CSplashWindow::Enable(false);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(387, 221));
    EXPECT_TRUE(splash->grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                Picture(IDB_SPLASH, "@2x"));
    splash->Dismiss();

    CPlayerDialog player;
    QLabel* picture = nullptr;
    for (QLabel* label : player.findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            picture = label;
    ASSERT_NE(picture, nullptr);
    ExpectDrawnSharp(picture, IDB_PLAY);

    const QCursor hand = LoadHandCursor();
    EXPECT_EQ(hand.pixmap().size(), QSize(64, 64));
    EXPECT_EQ(hand.hotSpot(), QPoint(18, 2));
    EXPECT_EQ(LoadMainIcon().pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
}

TEST_F(ScaledScreenTest, TheOptionsDialogKeepsItsLogicalSize) {
    COptionsDialog options(nullptr, m_folder.path() + "/");
    options.m_options.SetDefaults(m_folder.path());
    ASSERT_TRUE(options.Create());
    options.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    EXPECT_EQ(options.size(), QSize(DialogUnitsToPixelsX(239), DialogUnitsToPixelsY(185)));
    EXPECT_EQ(options.grab().devicePixelRatio(), 2.0);
}

} // namespace
