// Window layouts are given in dialog units of the dialog font; on screen
// one horizontal unit is 6/4 pixel and one vertical unit 13/8 pixel.
#pragma once

#include <QRect>

constexpr int DialogUnitsToPixelsX(int units) {
    return (units * 6 + 2) / 4;
}
constexpr int DialogUnitsToPixelsY(int units) {
    return (units * 13 + 4) / 8;
}
constexpr QRect DialogRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

class QFont;

// `base` at the largest pixel size (at most 13) whose average letter is no
// wider than the 6 pixels a dialog unit layout assumes, so texts fit the
// controls laid out in dialog units whatever the desktop's font.
QFont DialogFont(const QFont& base);
