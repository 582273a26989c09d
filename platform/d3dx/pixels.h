// Pixel memory in the device's formats, and the 32-bit ARGB image every conversion passes through.
//
// A conversion reads the source format into an ArgbImage, filters or scales that, and writes it
// into the destination format. Formats handled: A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5, X1R5G5B5,
// A1R5G5B5, A4R4G4B4, X4R4G4B4, A8, L8, P8 (through a palette) and the block formats DXT1, DXT3 and
// DXT5. V8U8 holds signed offsets, not colours: it is stored and copied but never converted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/d3d/types.h"

namespace d3dx {

// A palette entry of a P8 image; flags carries the entry's alpha.
struct PALETTEENTRY {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
};
inline constexpr size_t kPaletteSize = 256;  // entries

// Packed 0xAARRGGBB pixels, row after row without padding.
struct ArgbImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> pixels;

  ArgbImage() = default;
  ArgbImage(uint32_t w, uint32_t h, uint32_t fill = 0)
      : width(w), height(h), pixels(size_t{w} * h, fill) {}
  uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t{y} * width + x]; }
  uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t{y} * width + x]; }
};

// Whether pixels of this format can be read and written as colours (V8U8 and depth formats not).
bool IsConvertibleFormat(d3d::D3DFORMAT format);

// Pixel memory of one image: rows pitch bytes apart (rows of 4x4 blocks for block formats; see
// d3d::RowPitch and d3d::RowCount for packed memory).
struct PixelView {
  d3d::D3DFORMAT format = d3d::D3DFMT_UNKNOWN;
  uint32_t width = 0;
  uint32_t height = 0;
  size_t pitch = 0;
  uint8_t* bits = nullptr;
};

// The image's own memory: its pixels are A8R8G8B8 as the device stores them.
inline PixelView ViewOf(ArgbImage& image) {
  return {d3d::D3DFMT_A8R8G8B8, image.width, image.height, size_t{image.width} * sizeof(uint32_t),
          reinterpret_cast<uint8_t*>(image.pixels.data())};
}

// Reads the pixels as ARGB; nothing when the format cannot be converted. P8 reads through the
// palette, or through the 3-3-2 colour cube when there is none.
std::optional<ArgbImage> ReadPixels(const PixelView& view, const PALETTEENTRY* palette);
// Writes the image, whose size must equal the view's; false when the format cannot be converted.
// P8 takes the nearest palette entry, or the 3-3-2 colour cube when there is no palette.
bool WritePixels(const ArgbImage& image, const PixelView& view, const PALETTEENTRY* palette);

}  // namespace d3dx
