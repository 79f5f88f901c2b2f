#include "Paint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>

namespace skin {

namespace {

int s_nPixelRatio = 1;

QImage NewImage(int width, int height, QImage::Format format) {
    QImage image(width * s_nPixelRatio, height * s_nPixelRatio, format);
    image.setDevicePixelRatio(s_nPixelRatio);
    return image;
}

QPainterPath Rounded(const QRectF& box, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

QLinearGradient Vertical(const QRectF& box, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QColor WithAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

} // namespace

PixelRatio::PixelRatio(int ratio) : m_previous(s_nPixelRatio) {
    s_nPixelRatio = ratio;
}

PixelRatio::~PixelRatio() {
    s_nPixelRatio = m_previous;
}

QImage OpaqueImage(int width, int height) {
    QImage image = NewImage(width, height, QImage::Format_RGB32);
    image.fill(kBase);
    return image;
}

QImage AlphaImage(int width, int height) {
    QImage image = NewImage(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void PrepareAntialiased(QPainter& painter) {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
}

QFont SkinFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Never let fontconfig swap in a condensed face: the squeeze is ours.
    font.setStretch(QFont::Unstretched);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void DrawLabel(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
               const QColor& colour, Qt::Alignment alignment) {
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    const qreal squeeze = std::min<qreal>(1.0, box.width() / std::max<qreal>(advance, 1.0));
    painter.save();
    painter.setFont(font);
    painter.translate(box.left(), 0);
    painter.scale(squeeze, 1.0);
    const QRectF local(0, box.top(), box.width() / squeeze, box.height());
    // Light text gets a dark drop shadow, dark text a light one.
    painter.setPen(colour.lightness() < 128 ? QColor(255, 255, 255, 90) : QColor(20, 22, 36, 170));
    painter.drawText(local.translated(1 / squeeze, 1), alignment, text);
    painter.setPen(colour);
    painter.drawText(local, alignment, text);
    painter.restore();
}

void DrawButtonFace(QPainter& painter, const QRectF& box, Look look, qreal radius) {
    const QRectF face = box.adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hover = look == Look::Hover;
    painter.save();
    painter.setPen(QPen(hover ? kGlow : kDeep, 1));
    painter.setBrush(hover ? Vertical(face, QColor(196, 204, 232), QColor(118, 127, 164))
                           : Vertical(face, QColor(160, 166, 194), QColor(92, 98, 128)));
    painter.drawPath(Rounded(face, radius));
    // A thin light edge under the rim makes the face read as raised.
    const QRectF inner = face.adjusted(1, 1, -1, -1);
    painter.setBrush(Qt::NoBrush);
    QLinearGradient edge =
        Vertical(inner, WithAlpha(Qt::white, hover ? 150 : 110), WithAlpha(Qt::white, 0));
    if (hover)
        edge.setColorAt(1, WithAlpha(kGlow, 120));
    painter.setPen(QPen(QBrush(edge), 1));
    painter.drawPath(Rounded(inner, std::max<qreal>(radius - 1, 0)));
    painter.restore();
}

void DrawSocket(QPainter& painter, const QRectF& inner, qreal margin, qreal radius) {
    const QRectF outer = inner.adjusted(-margin + 0.5, -margin + 0.5, margin - 0.5, margin - 0.5);
    painter.save();
    QLinearGradient rim = Vertical(outer, QColor(40, 43, 62), QColor(206, 210, 228));
    painter.setPen(QPen(QBrush(rim), 1));
    painter.setBrush(Vertical(outer, QColor(62, 66, 90), QColor(88, 93, 120)));
    painter.drawPath(Rounded(outer, radius));
    painter.restore();
}

void DrawPlate(QPainter& painter, const QRectF& box, qreal radius, const QColor& top,
               const QColor& bottom) {
    const QRectF plate = box.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.save();
    QLinearGradient rim = Vertical(plate, WithAlpha(Qt::white, 120), WithAlpha(kDeep, 200));
    painter.setPen(QPen(QBrush(rim), 1));
    painter.setBrush(Vertical(plate, top, bottom));
    painter.drawPath(Rounded(plate, radius));
    painter.restore();
}

QColor GlyphColour(Look look) {
    return look == Look::Hover ? QColor(Qt::white) : kInk;
}

} // namespace skin
