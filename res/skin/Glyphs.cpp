#include "Glyphs.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <cmath>

namespace skin {

namespace {

const QColor kOutline(26, 29, 46, 210);
const QColor kGreen(128, 236, 156);
const QColor kRed(255, 136, 128);
const QColor kBlue(98, 176, 246);

// Maps unit coordinates (0..1) onto the glyph box.
QPointF At(const QRectF& box, qreal x, qreal y) {
    return {box.left() + x * box.width(), box.top() + y * box.height()};
}

QPainterPath Polygon(const QRectF& box, std::initializer_list<QPointF> unitPoints) {
    QPolygonF polygon;
    for (const QPointF& point : unitPoints)
        polygon << At(box, point.x(), point.y());
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

QPainterPath Bar(const QRectF& box, qreal top, qreal height) {
    QPainterPath path;
    path.addRoundedRect(QRectF(At(box, 0.1, top), At(box, 0.9, top + height)), 1, 1);
    return path;
}

void Fill(QPainter& painter, const QPainterPath& path, const QColor& colour) {
    painter.save();
    painter.setPen(QPen(kOutline, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour);
    painter.drawPath(path);
    painter.restore();
}

void Stroke(QPainter& painter, const QPainterPath& path, const QColor& colour, qreal width) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kOutline, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.restore();
}

QPainterPath Cross(const QRectF& box, qreal thickness, qreal angle) {
    const QPointF centre = box.center();
    const qreal half = box.width() / 2;
    QPainterPath arm;
    arm.addRoundedRect(QRectF(-half, -thickness / 2, 2 * half, thickness), 1, 1);
    QPainterPath both = arm.united(QTransform().rotate(90).map(arm));
    return QTransform().translate(centre.x(), centre.y()).rotate(angle).map(both);
}

QPainterPath Gear(const QRectF& box) {
    const QPointF centre = box.center();
    const qreal outer = box.width() / 2;
    QPainterPath gear;
    gear.addEllipse(centre, outer * 0.72, outer * 0.72);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath rect;
        rect.addRect(QRectF(-outer * 0.17, -outer, outer * 0.34, outer * 0.5));
        gear = gear.united(
            QTransform().translate(centre.x(), centre.y()).rotate(45.0 * tooth).map(rect));
    }
    QPainterPath hole;
    hole.addEllipse(centre, outer * 0.3, outer * 0.3);
    return gear.subtracted(hole);
}

void DrawStart(QPainter& painter, const QRectF& box) {
    QPainterPath disc;
    disc.addEllipse(box);
    Fill(painter, disc, QColor(58, 170, 98));
    Fill(painter, Polygon(box, {{0.38, 0.26}, {0.38, 0.74}, {0.78, 0.5}}), Qt::white);
}

void DrawHelp(QPainter& painter, const QRectF& box) {
    QPainterPath disc;
    disc.addEllipse(box);
    Fill(painter, disc, kBlue);
    QFont font = SkinFont(int(std::lround(box.height() * 0.8)), true);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box.translated(0, 0.5), Qt::AlignCenter, QStringLiteral("?"));
    painter.restore();
}

void DrawPower(QPainter& painter, const QRectF& box) {
    QPainterPath ring;
    ring.arcMoveTo(box.adjusted(1, 1, -1, -1), 120);
    ring.arcTo(box.adjusted(1, 1, -1, -1), 120, -300);
    ring.moveTo(At(box, 0.5, 0.02));
    ring.lineTo(At(box, 0.5, 0.46));
    Stroke(painter, ring, kRed, 2.0);
}

void DrawReverse(QPainter& painter, const QRectF& box) {
    const qreal side = box.height() * 0.75;
    const qreal top = box.top() + (box.height() - side) / 2;
    DrawCheckBox(painter, QRectF(box.left(), top, side, side), true);
    DrawCheckBox(painter, QRectF(box.right() - side, top, side, side), false);
    const qreal left = box.left() + side + 2;
    const qreal right = box.right() - side - 2;
    const qreal middle = box.center().y();
    QPainterPath arrows;
    arrows.moveTo(left + 1, middle - 3);
    arrows.lineTo(right - 1, middle - 3);
    arrows.moveTo(right - 4, middle - 6);
    arrows.lineTo(right - 1, middle - 3);
    arrows.lineTo(right - 4, middle);
    arrows.moveTo(right - 1, middle + 3);
    arrows.lineTo(left + 1, middle + 3);
    arrows.moveTo(left + 4, middle);
    arrows.lineTo(left + 1, middle + 3);
    arrows.lineTo(left + 4, middle + 6);
    Stroke(painter, arrows, kGlow, 1.3);
}

} // namespace

void DrawCheckBox(QPainter& painter, const QRectF& box, bool ticked) {
    painter.save();
    const QRectF square = box.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(square.topLeft(), square.bottomLeft());
    fill.setColorAt(0, ticked ? QColor(40, 190, 210) : QColor(44, 48, 70));
    fill.setColorAt(1, ticked ? QColor(20, 120, 150) : QColor(70, 75, 102));
    painter.setPen(QPen(ticked ? QColor(190, 250, 255) : QColor(200, 205, 224), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(square, 2, 2);
    painter.restore();
    if (!ticked)
        return;
    QPainterPath tick;
    tick.moveTo(At(box, 0.22, 0.52));
    tick.lineTo(At(box, 0.43, 0.74));
    tick.lineTo(At(box, 0.8, 0.26));
    Stroke(painter, tick, Qt::white, std::max<qreal>(1.6, box.height() / 7));
}

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, Look look) {
    const QColor ink = GlyphColour(look);
    switch (glyph) {
    case Glyph::Add:
        Fill(painter, Cross(box, box.width() * 0.28, 0), kGreen);
        break;
    case Glyph::Clear:
        Fill(painter, Cross(box, box.width() * 0.26, 45), kRed);
        break;
    case Glyph::Start:
        DrawStart(painter, box);
        break;
    case Glyph::Options:
        Fill(painter, Gear(box), ink);
        break;
    case Glyph::Help:
        DrawHelp(painter, box);
        break;
    case Glyph::Exit:
        DrawPower(painter, box);
        break;
    case Glyph::Top:
        Fill(painter,
             Bar(box, 0.0, 0.2).united(Polygon(box, {{0.5, 0.3}, {0.95, 0.95}, {0.05, 0.95}})),
             ink);
        break;
    case Glyph::Up:
        Fill(painter, Polygon(box, {{0.5, 0.12}, {0.98, 0.85}, {0.02, 0.85}}), ink);
        break;
    case Glyph::Down:
        Fill(painter, Polygon(box, {{0.02, 0.15}, {0.98, 0.15}, {0.5, 0.88}}), ink);
        break;
    case Glyph::Bottom:
        Fill(painter,
             Polygon(box, {{0.05, 0.05}, {0.95, 0.05}, {0.5, 0.7}}).united(Bar(box, 0.8, 0.2)),
             ink);
        break;
    case Glyph::Play:
        Fill(painter, Polygon(box, {{0.15, 0.02}, {0.95, 0.5}, {0.15, 0.98}}), kGreen);
        break;
    case Glyph::CheckAll:
        DrawCheckBox(painter, box, true);
        break;
    case Glyph::UncheckAll:
        DrawCheckBox(painter, box, false);
        break;
    case Glyph::Reverse:
        DrawReverse(painter, box);
        break;
    }
}

void DrawEmblem(QPainter& painter, const QRectF& box) {
    const qreal unit = box.width() / 16;
    painter.save();
    const QRectF tile = box.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, QColor(84, 110, 190));
    fill.setColorAt(1, QColor(28, 36, 82));
    painter.setPen(QPen(QColor(150, 240, 255), std::max<qreal>(1, unit * 0.8)));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, 3 * unit, 3 * unit);
    // Four level bars, on whole pixels at 16 px so they stay crisp.
    const qreal heights[] = {5, 10, 7, 3};
    QLinearGradient bars(box.topLeft(), box.bottomLeft());
    bars.setColorAt(0, Qt::white);
    bars.setColorAt(1, QColor(0, 230, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(bars);
    for (int index = 0; index < 4; ++index) {
        const qreal height = heights[index] * unit;
        painter.drawRect(QRectF(box.left() + (3 + 3 * index) * unit, box.top() + 13 * unit - height,
                                2 * unit, height));
    }
    painter.restore();
}

} // namespace skin
