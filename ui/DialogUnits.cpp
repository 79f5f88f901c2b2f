#include "DialogUnits.h"

#include <QFont>
#include <QFontMetricsF>

namespace {

constexpr double kAverageLetterWidth = 6.0;
constexpr int kLargestPixelSize = 13;
constexpr int kSmallestPixelSize = 8;

double AverageLetterWidth(const QFont& font) {
    static const QString letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return QFontMetricsF(font).horizontalAdvance(letters) / letters.size();
}

} // namespace

QFont DialogFont(const QFont& base) {
    QFont font = base;
    for (int size = kLargestPixelSize; size > kSmallestPixelSize; --size) {
        font.setPixelSize(size);
        if (AverageLetterWidth(font) <= kAverageLetterWidth)
            return font;
    }
    font.setPixelSize(kSmallestPixelSize);
    return font;
}
