// The PCX reader behind LoadPCX: 8-bit images of one colour plane with a 256-colour palette.
//
// A PCX file as read here:
// - a 128-byte header; of it the reader uses the bits per pixel (byte 3, must be 8), the window
//   xmin, ymin, xmax, ymax (16-bit at 4, 6, 8 and 10; width = xmax - xmin + 1, height = ymax - ymin
//   + 1), the colour planes (byte 65, must be 1) and the bytes per line (16-bit at 66, at least the
//   width; PCX writers keep it even, so odd-width images carry one pad byte per line);
// - from byte 128 the run-length encoded lines, each bytes-per-line long: a byte of 192 or more
//   repeats the next byte (byte - 192) times, any other byte stands for itself; a run may carry on
//   into the next line, and lines the data do not reach stay zero;
// - the palette in the last 768 bytes of the file: red, green and blue of entries 0 to 255.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/d3dx/pixels.h"

inline constexpr size_t kPcxHeaderSize = 128;   // bytes
inline constexpr size_t kPcxPaletteSize = 768;  // bytes: 256 entries of red, green, blue

// Each pixel as opaque 0xFFRRGGBB from the palette; nothing for a file this reader refuses.
std::optional<d3dx::ArgbImage> DecodePcx(std::span<const uint8_t> bytes);
