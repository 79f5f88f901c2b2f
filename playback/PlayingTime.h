// The player's time display, "Time: MM : SS", from a position of the sound
// control and the duration of one position unit.
#pragma once

#include <QString>

#include <cmath>

// The playing time in whole seconds at `position` units of `unitMs` milliseconds
// each: the exact product, rounded toward zero (never cut the unit to whole
// milliseconds first, which would run the clock half a percent slow at 44.1 kHz),
// and never past `musicMs`, the music's length (the last frame's padding and the
// encoder's delay are no music).
long long PlayingSeconds(long long position, double unitMs, double musicMs = HUGE_VAL);

// "Time: " minutes " : " seconds; each number with at least two digits, the
// minutes with as many as they need (three past 99).
QString PlayingTimeText(long long seconds);
