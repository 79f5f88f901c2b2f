// The pictures of the main window's skinned buttons, at their fixed sizes.
#pragma once

#include "Glyphs.h"

namespace skin {

// 33 x 32: a glyph over the caption of control `controlId` (Add, Clear,
// Start, Options, Help).
QImage ToolButton(Glyph glyph, int controlId, Look look);
// 19 x 18: list arrows and play.
QImage SmallButton(Glyph glyph, Look look);
// 25 x 26: minimise.
QImage MinimiseButton(Look look);
// 159 x 23: a conversion direction, with or without its check mark.
QImage DirectionButton(const QString& label, bool checked);
// 44 x 38: check all, uncheck all, reverse, each with its control's caption.
QImage CheckButton(Glyph glyph, int controlId, Look look);
// 65 x 24.
QImage ExitButton(Look look);
// 111 x 19: the maker's web address.
QImage WebsiteButton(Look look);

} // namespace skin
