// Pictures of the skin, by their fixed numbers (see resource.h).
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// Bitmap `id` from the program's resources, at device pixel ratio 2 (twice its
// size in device pixels) where a screen is scaled above 100 %; a null pixmap
// when there is none. Its logical size is always the design's.
QPixmap LoadBitmap(int id);
// Icon 128 with all its sizes.
QIcon LoadMainIcon();
// Cursor 134, the pointing hand shown over the skinned buttons.
QCursor LoadHandCursor();
