#include "ColorLabel.h"

#include <QPainter>
#include <QPalette>

namespace {

QColor FromRgb(unsigned rgb) {
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

} // namespace

CColorLabel::CColorLabel(QWidget* parent) : QLabel(parent) {
    SetForeColor(kDefaultColor);
    SetBackColor(kDefaultColor);
}

void CColorLabel::SetForeColor(unsigned rgb) {
    m_crText = rgb == kDefaultColor ? palette().color(QPalette::ButtonText) : FromRgb(rgb);
    update();
}

void CColorLabel::SetBackColor(unsigned rgb) {
    m_crBack = rgb == kDefaultColor ? palette().color(QPalette::Button) : FromRgb(rgb);
    update();
}

void CColorLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_crBack);
    painter.setPen(m_crText);
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
}
