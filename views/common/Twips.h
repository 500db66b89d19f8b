#pragma once

// Window coordinates are kept in twips: 1/1440 inch, 15 to a pixel at 96 dots per inch. A
// length in pixels at the window's resolution, rounded to the nearest (halves away from zero).
inline constexpr int TwipsToPixels(int twips, int dpi = 96) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// Points (1/72 inch) in pixels at the resolution: a font's height.
inline constexpr int PointsToPixels(double points, int dpi = 96) {
    return static_cast<int>(points * dpi / 72 + 0.5);
}
