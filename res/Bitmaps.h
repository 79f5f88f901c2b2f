// Pictures of the skin, by their fixed numbers (see resource.h).
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// Bitmap `id` from the program's resources; a null pixmap when there is none.
QPixmap LoadBitmap(int id);
// Icon 128 with all its sizes.
QIcon LoadMainIcon();
// Cursor 134, the pointing hand shown over the skinned buttons.
QCursor LoadHandCursor();
