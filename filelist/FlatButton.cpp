#include "FlatButton.h"

#include <QPainter>

const QColor CFlatButton::s_crPressed(110, 110, 110);
const QColor CFlatButton::s_crFace(204, 204, 204);
const QColor CFlatButton::s_crDark(128, 128, 128);
const QColor CFlatButton::s_crLight(255, 255, 255);
const QColor CFlatButton::s_crFocus(153, 153, 204);

CFlatButton::CFlatButton(QWidget* parent) : QPushButton(parent) {}

void CFlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), isDown() ? s_crPressed : s_crFace);
    if (!isDown())
        DrawFrame(painter);

    // The caption stays in place when pressed.
    const QFontMetrics metrics = fontMetrics();
    const int w = metrics.horizontalAdvance(m_strCaption);
    const int h = metrics.height();
    const int cx = width() / 2;
    const int cy = height() / 2;
    const int x = cx - w / 2;
    const int y = cy - h / 2;
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(x, y + metrics.ascent(), m_strCaption);

    if (hasFocus()) {
        painter.setPen(s_crFocus);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(x - 1, y - 1), QPoint(cx + w / 2 + 2, cy + h / 2 + 2)));
    }
}

// Dark outside at top and left, light outside at bottom and right, and the
// other way round one pixel inside.
void CFlatButton::DrawFrame(QPainter& painter) const {
    const int r = width() - 1;
    const int b = height() - 1;
    painter.setPen(s_crDark);
    painter.drawLine(0, 0, r - 1, 0);
    painter.drawLine(0, 0, 0, b - 1);
    painter.drawLine(0, b - 1, r - 1, b - 1);
    painter.drawLine(r - 1, b, r - 1, 1);
    painter.setPen(s_crLight);
    painter.drawLine(0, b, r - 1, b);
    painter.drawLine(r, b, r, 1);
    painter.drawLine(1, 1, r - 2, 1);
    painter.drawLine(1, 1, 1, b - 2);
}
