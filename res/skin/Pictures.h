// The large pictures of the skin and the window's icon and cursor.
#pragma once

#include <QImage>

namespace skin {

// 640 x 527: the main window's face, with frames for every control.
QImage Background();
// 387 x 221: the start-up picture.
QImage Splash();
// The window icon at `size` x `size`.
QImage Icon(int size);
// 32 x 32 pointing hand, fingertip at (9, 1).
QImage HandCursor();

} // namespace skin
