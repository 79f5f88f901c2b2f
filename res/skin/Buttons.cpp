#include "Buttons.h"

#include "Captions.h"

namespace skin {

namespace {

// Every button starts as its face on the colour of the socket it sits in.
QImage Face(int width, int height, Look look, qreal radius) {
    QImage image = OpaqueImage(width, height);
    image.fill(QColor(62, 66, 90));
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawButtonFace(painter, QRectF(0, 0, width, height), look, radius);
    return image;
}

} // namespace

QImage ToolButton(Glyph glyph, int controlId, Look look) {
    QImage image = Face(33, 32, look, 4);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawGlyph(painter, glyph, QRectF(9.5, 3, 14, 14), look);
    DrawLabel(painter, QRectF(2, 18, 29, 12), ButtonCaptionOf(controlId), SkinFont(9, true),
              GlyphColour(look));
    return image;
}

QImage SmallButton(Glyph glyph, Look look) {
    QImage image = Face(19, 18, look, 3);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawGlyph(painter, glyph, QRectF(4, 3.5, 11, 11), look);
    return image;
}

QImage MinimiseButton(Look look) {
    QImage image = Face(25, 26, look, 4);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    painter.setPen(QPen(QColor(26, 29, 46, 210), 1));
    painter.setBrush(GlyphColour(look));
    painter.drawRoundedRect(QRectF(6.5, 16.5, 12, 3), 1, 1);
    return image;
}

QImage DirectionButton(const QString& label, bool checked) {
    QImage image = Face(159, 23, Look::Normal, 4);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    if (checked) {
        // The chosen direction glows along its lower edge.
        painter.setPen(QPen(kGlow, 2));
        painter.drawLine(QPointF(26, 20), QPointF(153, 20));
    }
    DrawCheckBox(painter, QRectF(5, 4, 15, 15), checked);
    DrawLabel(painter, QRectF(27, 0, 126, 21), label, SkinFont(12, true),
              checked ? QColor(Qt::white) : QColor(206, 210, 228),
              Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

QImage CheckButton(Glyph glyph, int controlId, Look look) {
    QImage image = Face(44, 38, look, 5);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    const QRectF glyphBox = glyph == Glyph::Reverse ? QRectF(3, 4, 38, 16) : QRectF(14, 4, 16, 16);
    DrawGlyph(painter, glyph, glyphBox, look);
    DrawLabel(painter, QRectF(2, 22, 40, 13), ButtonCaptionOf(controlId), SkinFont(10, true),
              GlyphColour(look));
    return image;
}

QImage ExitButton(Look look) {
    QImage image = Face(65, 24, look, 5);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawGlyph(painter, Glyph::Exit, QRectF(9, 5, 14, 14), look);
    DrawLabel(painter, QRectF(27, 0, 32, 24), ButtonCaptionOf(IDC_EXIT), SkinFont(13, true),
              GlyphColour(look), Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

QImage WebsiteButton(Look look) {
    const bool hover = look == Look::Hover;
    QImage image = OpaqueImage(111, 19);
    image.fill(QColor(62, 66, 90));
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawPlate(painter, QRectF(0, 0, 111, 19), 9,
              hover ? QColor(104, 112, 150) : QColor(78, 84, 114),
              hover ? QColor(70, 76, 108) : QColor(56, 60, 86));
    if (hover) {
        painter.setPen(QPen(kGlow, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(0.5, 0.5, 110, 18), 9, 9);
    }
    const QColor ink = hover ? kCyan : QColor(204, 220, 244);
    DrawLabel(painter, QRectF(6, 0, 99, 18), ButtonCaptionOf(IDC_WEBSITE), SkinFont(10, false),
              ink);
    if (hover) {
        painter.setPen(QPen(ink, 1));
        painter.drawLine(QPointF(9, 15.5), QPointF(102, 15.5));
    }
    return image;
}

} // namespace skin
