// Where the main window's controls sit, in pixels, so the background's frames
// line up with them. Positions come from the window's dialog units.
#pragma once

#include "resource.h"

#include <QRect>
#include <cmath>

namespace skin {

inline int DialogX(int x) {
    return int(std::lround(x * 6.0 / 4.0));
}
inline int DialogY(int y) {
    return int(std::lround(y * 13.0 / 8.0));
}
inline QRect DialogRect(int x, int y, int width, int height) {
    return {DialogX(x), DialogY(y), DialogX(width), DialogY(height)};
}

// A skinned button: placed by dialog units, sized by its picture in pixels.
struct ButtonPlace {
    int control;
    int normalBitmap;
    int x, y;
    int width, height;

    QRect Pixels() const { return {DialogX(x), DialogY(y), width, height}; }
};

inline constexpr ButtonPlace kButtons[] = {
    {IDC_MINIMIZE, IDB_MINIMIZE, 259, 35, 25, 26},
    {IDC_MOVE_TOP, IDB_TOP, 406, 105, 19, 18},
    {IDC_MOVE_UP, IDB_UP, 406, 138, 19, 18},
    {IDC_PLAY, IDB_PLAY, 406, 171, 19, 18},
    {IDC_MOVE_DOWN, IDB_DOWN, 406, 204, 19, 18},
    {IDC_MOVE_BOTTOM, IDB_BOTTOM, 406, 237, 19, 18},
    {IDC_MP3TOWAVE, IDB_MP3TOWAVE_CHECKED, 33, 58, 159, 23},
    {IDC_WAVETOMP3, IDB_WAVETOMP3, 145, 58, 159, 23},
    {IDC_CHECK_ALL, IDB_CHECKALL, 293, 50, 44, 38},
    {IDC_UNCHECK_ALL, IDB_UNCHECKALL, 327, 50, 44, 38},
    {IDC_REVERSE_CHECKS, IDB_REVERSE, 361, 50, 44, 38},
    {IDC_ADD_FILES, IDB_ADD, 14, 32, 33, 32},
    {IDC_CLEAR_LIST, IDB_CLEAR, 62, 32, 33, 32},
    {IDC_START, IDB_START, 110, 32, 33, 32},
    {IDC_OPTIONS, IDB_OPTIONS, 158, 32, 33, 32},
    {IDC_HELP, IDB_HELP, 206, 32, 33, 32},
    {IDC_EXIT, IDB_EXIT, 374, 4, 65, 24},
    {IDC_WEBSITE, IDB_WEBSITE, 351, 22, 111, 19},
};

inline QRect ButtonRect(int control) {
    for (const ButtonPlace& place : kButtons)
        if (place.control == control)
            return place.Pixels();
    return {};
}

// The controls that are not pictures: the list and the bars under it.
inline const QRect kFileList = DialogRect(8, 81, 389, 203);
inline const QRect kFileProgress = DialogRect(8, 290, 224, 11);
inline const QRect kStatusLabel = DialogRect(243, 290, 67, 11);
inline const QRect kBatchProgress = DialogRect(8, 305, 309, 11);

} // namespace skin
