#pragma once
// Control geometry is given in twips (1/1440 inch); at 96 dots per inch one
// pixel is 15 twips.
#include <QRect>
#include <QSize>

namespace korvel::controls {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel (halves away from zero).
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

inline QSize TwipsSize(int width, int height) {
    return QSize(TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace korvel::controls
