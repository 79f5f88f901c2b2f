#include "PlayingTime.h"

#include <algorithm>
#include <cmath>

namespace {

// "%d" for a number over 9, "0%d" below.
QString TwoDigits(long long number) {
    return number > 9 ? QString::number(number) : "0" + QString::number(number);
}

} // namespace

long long PlayingSeconds(long long position, double unitMs, double musicMs) {
    if (position <= 0 || !(unitMs > 0) || !(musicMs > 0))
        return 0;
    return (long long)std::floor(std::min(double(position) * unitMs, musicMs) / 1000.0);
}

QString PlayingTimeText(long long seconds) {
    long long minutes = 0;
    if (seconds > 59) {
        minutes = seconds / 60;
        seconds %= 60;
    }
    return QString("%1%2%3%4").arg("Time: ", TwoDigits(minutes), " : ", TwoDigits(seconds));
}
