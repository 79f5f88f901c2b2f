#include "Pictures.h"

#include "Glyphs.h"
#include "Layout.h"
#include "Paint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace skin {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 527;
const QString kName = QStringLiteral("Brindle");
const QString kVersion = QStringLiteral("2.17");
const QString kSlogan = QStringLiteral("WAV <-> MP3 converter");

// The header steps down on the right to hold the Exit and web buttons.
QPainterPath HeaderShape() {
    QPolygonF outline;
    outline << QPointF(0, 0) << QPointF(kWidth, 0) << QPointF(kWidth, 60) << QPointF(522, 60)
            << QPointF(506, 46) << QPointF(0, 46);
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

void DrawBody(QPainter& painter) {
    QLinearGradient body(0, 0, 0, kHeight);
    body.setColorAt(0, QColor(142, 147, 174));
    body.setColorAt(1, QColor(114, 119, 146));
    painter.fillRect(QRect(0, 0, kWidth, kHeight), body);
    // A faint brushed grain.
    painter.setPen(QColor(255, 255, 255, 9));
    for (int y = 1; y < kHeight; y += 3)
        painter.drawLine(0, y, kWidth, y);
}

// The name in white and the version in cyan beside it, on one baseline at
// `baseline`, starting at `left`.
void DrawNameAndVersion(QPainter& painter, qreal left, qreal baseline, int nameSize,
                        int versionSize) {
    const QFont nameFont = SkinFont(nameSize, true);
    const QFont versionFont = SkinFont(versionSize, true);
    const QFontMetricsF name(nameFont);
    const QFontMetricsF version(versionFont);
    DrawLabel(painter,
              QRectF(left, 0, name.horizontalAdvance(kName) + 4, baseline + name.descent()), kName,
              nameFont, Qt::white, Qt::AlignLeft | Qt::AlignBottom);
    const qreal versionLeft = left + name.horizontalAdvance(kName) + versionSize / 3.0;
    DrawLabel(painter,
              QRectF(versionLeft, 0, version.horizontalAdvance(kVersion) + 4,
                     baseline + version.descent()),
              kVersion, versionFont, kGlow, Qt::AlignLeft | Qt::AlignBottom);
}

void DrawTitle(QPainter& painter) {
    DrawEmblem(painter, QRectF(12, 7, 32, 32));
    DrawNameAndVersion(painter, 52, 33, 26, 14);
    DrawLabel(painter, QRectF(238, 8, 150, 30), kSlogan, SkinFont(11, false), QColor(196, 204, 230),
              Qt::AlignLeft | Qt::AlignVCenter);
}

void DrawHeader(QPainter& painter) {
    const QPainterPath shape = HeaderShape();
    QLinearGradient fill(0, 0, 0, 60);
    fill.setColorAt(0, QColor(86, 93, 130));
    fill.setColorAt(1, QColor(50, 55, 84));
    painter.fillPath(shape, fill);
    // Accent rule along the header's lower edge.
    QPainterPath edge;
    edge.moveTo(0, 46.5);
    edge.lineTo(506, 46.5);
    edge.lineTo(522, 60.5);
    edge.lineTo(kWidth, 60.5);
    painter.strokePath(edge, QPen(QColor(30, 33, 52), 1));
    painter.strokePath(edge.translated(0, -1), QPen(QColor(96, 232, 248, 150), 1));
    DrawTitle(painter);
    DrawSocket(painter, ButtonRect(IDC_EXIT), 2, 6);
    DrawSocket(painter, ButtonRect(IDC_WEBSITE), 1, 10);
}

void DrawEngravedLine(QPainter& painter, QPointF from, QPointF to) {
    painter.setPen(QColor(60, 64, 90, 200));
    painter.drawLine(from, to);
    painter.setPen(QColor(255, 255, 255, 70));
    painter.drawLine(from + QPointF(1, 1), to + QPointF(1, 1));
}

void DrawSwapMark(QPainter& painter, const QRectF& box) {
    DrawLabel(painter, box, QStringLiteral("\u21C4"), SkinFont(20, true), kGlow);
}

// The deck: the toolbar, minimise and the two directions.
void DrawDeck(QPainter& painter) {
    DrawPlate(painter, QRectF(8, 49, 422, 75), 6, QColor(150, 156, 184), QColor(118, 124, 152));
    DrawEngravedLine(painter, QPointF(14, 88.5), QPointF(422, 88.5));
    DrawEngravedLine(painter, QPointF(366.5, 54), QPointF(366.5, 84));
    for (int control : {IDC_ADD_FILES, IDC_CLEAR_LIST, IDC_START, IDC_OPTIONS, IDC_HELP,
                        IDC_MINIMIZE, IDC_MP3TOWAVE, IDC_WAVETOMP3})
        DrawSocket(painter, ButtonRect(control), 2, 6);
    DrawSwapMark(painter, QRectF(14, 93, 30, 26));
}

void DrawChecksPanel(QPainter& painter) {
    const QRect all = ButtonRect(IDC_CHECK_ALL);
    const QRect reverse = ButtonRect(IDC_REVERSE_CHECKS);
    const QRectF panel(all.left() - 8, 64, reverse.right() + 9 - (all.left() - 8), 60);
    DrawPlate(painter, panel, 6, QColor(150, 156, 184), QColor(118, 124, 152));
    DrawLabel(painter, QRectF(panel.left(), 64, panel.width(), 15), QStringLiteral("Select"),
              SkinFont(10, true), QColor(236, 240, 250));
    for (int control : {IDC_CHECK_ALL, IDC_UNCHECK_ALL, IDC_REVERSE_CHECKS})
        DrawSocket(painter, ButtonRect(control), 2, 7);
}

void DrawWell(QPainter& painter) {
    DrawSocket(painter, kFileList, 3, 4);
    painter.fillRect(kFileList, QColor(236, 238, 246));
}

void DrawArrowRail(QPainter& painter) {
    const QRect top = ButtonRect(IDC_MOVE_TOP);
    const QRect bottom = ButtonRect(IDC_MOVE_BOTTOM);
    DrawPlate(
        painter,
        QRectF(top.left() - 6, top.top() - 10, top.width() + 12, bottom.bottom() + 21 - top.top()),
        8, QColor(150, 156, 184), QColor(118, 124, 152));
    for (int control : {IDC_MOVE_TOP, IDC_MOVE_UP, IDC_PLAY, IDC_MOVE_DOWN, IDC_MOVE_BOTTOM})
        DrawSocket(painter, ButtonRect(control), 2, 5);
}

void DrawBottomPanel(QPainter& painter) {
    DrawPlate(painter, QRectF(6, 467, 628, 54), 6, QColor(150, 156, 184), QColor(118, 124, 152));
    DrawSocket(painter, kFileProgress, 2, 3);
    DrawSocket(painter, kBatchProgress, 2, 3);
    DrawSocket(painter, kStatusLabel, 2, 3);
    painter.fillRect(kStatusLabel, kBase);
    const qreal left = kBatchProgress.right() + 14;
    DrawEmblem(painter, QRectF(left, 478, 28, 28));
    DrawLabel(painter, QRectF(left + 36, 474, 100, 18), kName + QStringLiteral(" ") + kVersion,
              SkinFont(12, true), Qt::white, Qt::AlignLeft | Qt::AlignVCenter);
    DrawLabel(painter, QRectF(left + 36, 492, 100, 16), QStringLiteral("WAV <-> MP3"),
              SkinFont(11, true), QColor(44, 48, 72), Qt::AlignLeft | Qt::AlignVCenter);
}

void DrawFrame(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor(28, 30, 46));
    painter.drawRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1));
    painter.setPen(QColor(255, 255, 255, 60));
    painter.drawRect(QRectF(1.5, 1.5, kWidth - 3, kHeight - 3));
}

QPainterPath HandShape() {
    QPainterPath hand;
    auto add = [&hand](const QRectF& box, qreal radius) {
        QPainterPath part;
        part.addRoundedRect(box, radius, radius);
        hand = hand.united(part);
    };
    add(QRectF(7.0, 1.5, 5, 15.5), 2.5);  // index finger: its tip is the hot spot, (9, 1)
    add(QRectF(11.5, 10.0, 4.5, 9), 2.2); // middle
    add(QRectF(16.0, 11.0, 4.5, 9), 2.2); // ring
    add(QRectF(20.5, 13.0, 4.0, 8), 2.0); // little
    add(QRectF(6.5, 15.0, 18, 11), 4);    // palm
    add(QRectF(9.5, 24.0, 13, 6.5), 2);   // wrist
    QPainterPath thumb;
    thumb.moveTo(7.5, 17);
    thumb.cubicTo(4, 15.5, 1, 16.5, 2, 19.5);
    thumb.cubicTo(3.5, 22.5, 6, 24.5, 8.5, 26);
    thumb.closeSubpath();
    return hand.united(thumb);
}

} // namespace

QImage Background() {
    QImage image = OpaqueImage(kWidth, kHeight);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawBody(painter);
    DrawHeader(painter);
    DrawDeck(painter);
    DrawChecksPanel(painter);
    DrawWell(painter);
    DrawArrowRail(painter);
    DrawBottomPanel(painter);
    DrawFrame(painter);
    return image;
}

QImage Splash() {
    QImage image = OpaqueImage(387, 221);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    QLinearGradient fill(0, 0, 387, 221);
    fill.setColorAt(0, QColor(104, 112, 150));
    fill.setColorAt(1, QColor(36, 40, 64));
    painter.fillRect(QRect(0, 0, 387, 221), fill);
    // Two sound waves sweeping under the name.
    for (int wave = 0; wave < 2; ++wave) {
        QPainterPath path;
        for (int x = 0; x <= 387; x += 2) {
            const qreal y =
                170 + wave * 10 +
                (14 - wave * 5) * std::sin(x / (26.0 + wave * 9)) * std::exp(-x / 420.0);
            x == 0 ? path.moveTo(x, y) : path.lineTo(x, y);
        }
        painter.strokePath(path, QPen(QColor(96, 232, 248, 150 - wave * 60), 2 - wave * 0.8));
    }
    DrawEmblem(painter, QRectF(22, 42, 84, 84));
    DrawNameAndVersion(painter, 124, 87, 40, 24);
    painter.setPen(QPen(QColor(96, 232, 248, 120), 1));
    painter.drawLine(QPointF(126, 104.5), QPointF(362, 104.5));
    DrawLabel(painter, QRectF(126, 108, 236, 24), kSlogan, SkinFont(16, false),
              QColor(214, 220, 240), Qt::AlignLeft | Qt::AlignVCenter);
    painter.setPen(QColor(96, 232, 248, 160));
    painter.drawRect(QRectF(0.5, 0.5, 386, 220));
    return image;
}

QImage Icon(int size) {
    QImage image = AlphaImage(size, size);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    DrawEmblem(painter, QRectF(0, 0, size, size));
    return image;
}

QImage HandCursor() {
    QImage image = AlphaImage(32, 32);
    QPainter painter(&image);
    PrepareAntialiased(painter);
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(HandShape());
    // Creases between the folded fingers.
    painter.setPen(QPen(QColor(0, 0, 0, 170), 1));
    painter.drawLine(QPointF(12.5, 11), QPointF(12.5, 17));
    painter.drawLine(QPointF(16.5, 12), QPointF(16.5, 19));
    painter.drawLine(QPointF(20.5, 14), QPointF(20.5, 20));
    return image;
}

} // namespace skin
