// Twips, the unit in which windows and controls are placed: 1/1440 inch, 15 to a pixel on the
// 96-dots-per-inch screen the forms were laid out for.
#pragma once

#include <cstdint>

namespace win {

inline constexpr int32_t TwipsPerPixel = 15;

inline constexpr int32_t PixelsToTwips(int32_t pixels) { return pixels * TwipsPerPixel; }
// Whole pixels; a remainder of less than a pixel is dropped.
inline constexpr int32_t TwipsToPixels(int32_t twips) { return twips / TwipsPerPixel; }

}  // namespace win
