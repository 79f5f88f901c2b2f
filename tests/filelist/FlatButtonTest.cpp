// The flat button's looks: framed face, plain pressed panel, focus outline.
#include "FlatButton.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FlatButtonTest : public testing::Test {
protected:
    void SetUp() override {
        m_window.resize(200, 100);
        m_button = new CFlatButton(&m_window);
        m_button->setGeometry(10, 10, 80, 24);
        m_other = new CFlatButton(&m_window);
        m_other->setGeometry(10, 50, 80, 24);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    QImage Picture() const { return m_button->grab().toImage(); }
    void Focus(CFlatButton* button) {
        button->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }, 2000));
    }

    int Count(const QImage& image, const QColor& colour) const {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == colour;
        return count;
    }

    QWidget m_window;
    CFlatButton* m_button = nullptr;
    CFlatButton* m_other = nullptr;
};

TEST_F(FlatButtonTest, AnEmptyButtonIsAFramedGreyPanel) {
    // Focused, an empty caption leaves only a small outline at the centre.
    m_window.activateWindow();
    Focus(m_button);
    const QImage focused = Picture();
    EXPECT_EQ(focused.pixelColor(focused.width() / 2 - 1, focused.height() / 2 - 1),
              CFlatButton::s_crFocus);
    EXPECT_LT(Count(focused, CFlatButton::s_crFocus), 60);

    Focus(m_other);
    const QImage image = Picture();
    EXPECT_EQ(Count(image, CFlatButton::s_crFocus), 0);
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    // Dark outside at top and left, light outside at bottom and right; the
    // other way round one pixel inside.
    EXPECT_EQ(image.pixelColor(r / 2, b / 2), CFlatButton::s_crFace);
    for (QPoint at :
         {QPoint(r / 2, 0), QPoint(0, b / 2), QPoint(r / 2, b - 1), QPoint(r - 1, b / 2)})
        EXPECT_EQ(image.pixelColor(at), CFlatButton::s_crDark) << at.x() << "," << at.y();
    for (QPoint at : {QPoint(r / 2, b), QPoint(r, b / 2), QPoint(r / 2, 1), QPoint(1, b / 2)})
        EXPECT_EQ(image.pixelColor(at), CFlatButton::s_crLight) << at.x() << "," << at.y();
}

TEST_F(FlatButtonTest, PressedItIsAPlainDarkPanelWithTheCaptionInPlace) {
    m_button->SetCaption("Play");
    const QImage up = Picture();
    m_button->setDown(true);
    const QImage down = Picture();
    EXPECT_EQ(down.pixelColor(0, 0), CFlatButton::s_crPressed);
    EXPECT_EQ(down.pixelColor(down.width() - 1, down.height() - 1), CFlatButton::s_crPressed);
    EXPECT_EQ(Count(down, CFlatButton::s_crFace), 0);

    // The caption's pixels (neither panel colour) stand at the same places.
    auto caption = [](const QImage& image, const QColor& panel) {
        QList<QPoint> points;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = 3; x < image.width() - 3; ++x)
                if (image.pixelColor(x, y) != panel)
                    points << QPoint(x, y);
        return points;
    };
    const QList<QPoint> captionUp = caption(up, CFlatButton::s_crFace);
    EXPECT_FALSE(captionUp.isEmpty());
    EXPECT_EQ(caption(down, CFlatButton::s_crPressed), captionUp);
    m_button->setDown(false);
    EXPECT_EQ(Picture(), up);
}

TEST_F(FlatButtonTest, TheFocusedButtonOutlinesItsCaption) {
    m_button->SetCaption("O K");
    m_other->SetCaption("Cancel");
    m_window.activateWindow();
    Focus(m_button);
    EXPECT_GT(Count(Picture(), CFlatButton::s_crFocus), 10);
    EXPECT_EQ(Count(m_other->grab().toImage(), CFlatButton::s_crFocus), 0);

    Focus(m_other);
    EXPECT_EQ(Count(Picture(), CFlatButton::s_crFocus), 0);
    EXPECT_GT(Count(m_other->grab().toImage(), CFlatButton::s_crFocus), 10);
}

} // namespace
