// The small pictures drawn on the buttons, and the product emblem.
#pragma once

#include "Paint.h"

namespace skin {

enum class Glyph {
    Add,
    Clear,
    Start,
    Options,
    Help,
    Exit,
    Top,
    Up,
    Down,
    Bottom,
    Play,
    CheckAll,
    UncheckAll,
    Reverse,
};

// Draws `glyph` into `box` (its natural aspect is square, except Reverse).
void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, Look look);
// A check box of side box.height(), ticked or empty.
void DrawCheckBox(QPainter& painter, const QRectF& box, bool ticked);
// The product emblem: a blue tile with level bars, readable down to 16 pixels.
void DrawEmblem(QPainter& painter, const QRectF& box);

} // namespace skin
