// Twips, the unit of the program's stored window positions and sizes, and
// pixels.  The stored values assume the classic 96 dots per inch, where one
// pixel is 15 twips; the conversion is fixed so that stored layouts read the
// same on every screen.
#pragma once

#include <cmath>

namespace platform {

constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

// The twips to store for a position or size that is now `pixels`, when
// `stored` twips were read for it: `stored` itself while it still gives those
// pixels (the window did not move or change size), so a value the user did
// not change is written back exactly as read; else the pixels in twips.
inline double KeptTwips(double stored, int pixels) {
    return TwipsToPixels(stored) == pixels ? stored : PixelsToTwips(pixels);
}

}  // namespace platform
