// The skin pictures are drawn at build time; these checks hold the generator to
// the sizes the window is laid out for and to visible hover and check states.
#include "Bitmaps.h"
#include "resource.h"

#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Every bitmap, grouped by the size the window lays it out at. Groups of more
// than one hold pairs that swap on one control: normal and hover, or a
// direction without and with its check mark; each swap must be visible.
const struct {
    QSize size;
    std::vector<int> ids;
} kPictureSizes[] = {
    {{640, 527}, {IDB_BACKGROUND}},
    {{387, 221}, {IDB_SPLASH}},
    {{25, 26}, {IDB_MINIMIZE, IDB_MINIMIZE_HOVER}},
    {{19, 18},
     {IDB_TOP, IDB_TOP_HOVER, IDB_UP, IDB_UP_HOVER, IDB_DOWN, IDB_DOWN_HOVER, IDB_BOTTOM,
      IDB_BOTTOM_HOVER, IDB_PLAY, IDB_PLAY_HOVER}},
    {{159, 23}, {IDB_MP3TOWAVE, IDB_MP3TOWAVE_CHECKED, IDB_WAVETOMP3, IDB_WAVETOMP3_CHECKED}},
    {{44, 38},
     {IDB_CHECKALL, IDB_CHECKALL_HOVER, IDB_UNCHECKALL, IDB_UNCHECKALL_HOVER, IDB_REVERSE,
      IDB_REVERSE_HOVER}},
    {{33, 32},
     {IDB_ADD, IDB_ADD_HOVER, IDB_CLEAR, IDB_CLEAR_HOVER, IDB_START, IDB_START_HOVER, IDB_OPTIONS,
      IDB_OPTIONS_HOVER, IDB_HELP, IDB_HELP_HOVER}},
    {{65, 24}, {IDB_EXIT, IDB_EXIT_HOVER}},
    {{111, 19}, {IDB_WEBSITE, IDB_WEBSITE_HOVER}}};

TEST(Skin, EveryBitmapLoadsOpaqueAtItsSizeAndSwappedPicturesDiffer) {
    for (const auto& [size, ids] : kPictureSizes)
        for (size_t i = 0; i < ids.size(); ++i) {
            SCOPED_TRACE(ids[i]);
            const QPixmap picture = LoadBitmap(ids[i]);
            ASSERT_FALSE(picture.isNull());
            EXPECT_EQ(picture.size(), size);
            // The file itself is 24-bit: no alpha channel at all.
            EXPECT_FALSE(QImage(QStringLiteral(":/skin/%1.png").arg(ids[i])).hasAlphaChannel());
            if (ids.size() > 1 && i % 2 == 0) {
                EXPECT_NE(picture.toImage(), LoadBitmap(ids[i + 1]).toImage()) << ids[i + 1];
            }
        }
    EXPECT_NE(LoadBitmap(IDB_MP3TOWAVE).toImage(), LoadBitmap(IDB_WAVETOMP3).toImage());
}

TEST(Skin, IconHasThreeSizesAndCursorIsAHandWithItsTipOnTheHotSpot) {
    const QIcon icon = LoadMainIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    for (int size : {16, 32, 48})
        EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size));

    const QImage hand = LoadBitmap(IDC_HAND_CURSOR).toImage();
    ASSERT_EQ(hand.size(), QSize(32, 32));
    ASSERT_TRUE(hand.hasAlphaChannel());
    for (QPoint corner : {QPoint(0, 0), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(hand.pixel(corner)), 0);
    const QCursor cursor = LoadHandCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(9, 1));
    EXPECT_GT(qAlpha(hand.pixel(cursor.hotSpot())), 0) << "the hot spot is not on the fingertip";
    EXPECT_EQ(qAlpha(hand.pixel(cursor.hotSpot() - QPoint(0, 1))), 0)
        << "the finger reaches above the hot spot";
}

} // namespace
