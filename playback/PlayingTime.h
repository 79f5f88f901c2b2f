// The player's time display, "Time: MM : SS", from a position of the sound
// control and the duration of one position unit.
#pragma once

#include <QString>

// The playing time in whole seconds at `position` units of `unitMs` milliseconds
// each: the exact product, rounded toward zero (never cut the unit to whole
// milliseconds first, which would run the clock half a percent slow at 44.1 kHz).
long long PlayingSeconds(long long position, double unitMs);

// "Time: " minutes " : " seconds; each number with at least two digits, the
// minutes with as many as they need (three past 99).
QString PlayingTimeText(long long seconds);
