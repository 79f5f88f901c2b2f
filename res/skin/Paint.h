// Colours and drawing helpers shared by every picture of the skin.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace skin {

// The blue-grey of the whole skin; the status label paints exactly this colour.
inline const QColor kBase(130, 135, 160);
inline const QColor kDeep(46, 50, 72);
inline const QColor kShadow(78, 83, 110);
inline const QColor kLight(188, 193, 214);
inline const QColor kInk(240, 244, 252);
inline const QColor kCyan(0, 255, 255);
inline const QColor kGlow(96, 232, 248);

enum class Look { Normal, Hover };

// While one lives, pictures are made with `ratio` device pixels to a logical
// pixel (Qt's device pixel ratio): everything is drawn in logical pixels, so a
// picture keeps its design at any ratio and only gets sharper.
class PixelRatio {
public:
    explicit PixelRatio(int ratio);
    ~PixelRatio();
    PixelRatio(const PixelRatio&) = delete;
    PixelRatio& operator=(const PixelRatio&) = delete;

private:
    int m_previous;
};

// An opaque picture (24-bit once saved) filled with the base colour, of
// `width` x `height` logical pixels.
QImage OpaqueImage(int width, int height);
// A transparent picture for the cursor and the icon.
QImage AlphaImage(int width, int height);
// A painter with antialiasing switched on.
void PrepareAntialiased(QPainter& painter);

// The skin's one typeface at a pixel size; bold when asked.
QFont SkinFont(int pixelSize, bool bold);

// Text centred (or left aligned) in `box`, squeezed horizontally when it would
// not fit, with a one-pixel shadow so it reads on any face.
void DrawLabel(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
               const QColor& colour, Qt::Alignment alignment = Qt::AlignCenter);

// A raised button face filling `box` (rounded corners, light top, dark rim);
// the hover face is lighter and ringed in cyan.
void DrawButtonFace(QPainter& painter, const QRectF& box, Look look, qreal radius);
// A sunken socket: the groove a control sits in, `margin` pixels around it.
void DrawSocket(QPainter& painter, const QRectF& inner, qreal margin, qreal radius);
// A raised plate with a soft bevel.
void DrawPlate(QPainter& painter, const QRectF& box, qreal radius, const QColor& top,
               const QColor& bottom);

// The glyph colour of a button face.
QColor GlyphColour(Look look);

} // namespace skin
