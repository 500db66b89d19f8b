#pragma once

#include <QRect>

// Window coordinates are kept in twips, 15 to a pixel at 96 dots per inch.
inline constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

inline constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}
