#include "platform/d3dx/pixels.h"

#include <stb/stb_dxt.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d/format.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr uint32_t kBlockSide = 4;  // pixels

// A channel value widened to 8 bits, so that full scale stays 255.
uint32_t Expand(uint32_t value, uint32_t bits) {
  uint32_t max = (1u << bits) - 1;
  return (value * 255 + max / 2) / max;
}

// An 8-bit value narrowed to bits, rounded to the nearest step.
uint32_t Narrow(uint32_t value, uint32_t bits) {
  uint32_t max = (1u << bits) - 1;
  return (value * max + 127) / 255;
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

// The implied palette of P8 without one: 3 bits of red, 3 of green, 2 of blue.
uint32_t CubeColour(uint8_t index) {
  return Argb(0xFF, Expand(index >> 5, 3), Expand((index >> 2) & 7, 3), Expand(index & 3, 2));
}

uint8_t CubeIndex(uint32_t argb) {
  return static_cast<uint8_t>(Narrow((argb >> 16) & 0xFF, 3) << 5 |
                              Narrow((argb >> 8) & 0xFF, 3) << 2 | Narrow(argb & 0xFF, 2));
}

uint32_t PaletteColour(const PALETTEENTRY& entry) {
  return Argb(entry.peFlags, entry.peRed, entry.peGreen, entry.peBlue);
}

uint8_t NearestEntry(uint32_t argb, const PALETTEENTRY* palette) {
  int best = 0;
  int32_t bestDistance = INT32_MAX;
  for (int i = 0; i < static_cast<int>(kPaletteSize); ++i) {
    uint32_t entry = PaletteColour(palette[i]);
    int32_t distance = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      int32_t d = static_cast<int32_t>((argb >> shift) & 0xFF) -
                  static_cast<int32_t>((entry >> shift) & 0xFF);
      distance += d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

// ---- Block formats. A colour block is two R5G6B5 end points and sixteen 2-bit indices; in DXT1 an
// end point pair in ascending order selects three colours and transparent black.

void DecodeColourBlock(const uint8_t* block, bool allowTransparent, uint32_t colours[16]) {
  uint32_t c0 = LoadPixel(block, 2), c1 = LoadPixel(block + 2, 2);
  uint32_t e0 = *UnpackColor(D3DFMT_R5G6B5, c0), e1 = *UnpackColor(D3DFMT_R5G6B5, c1);
  auto mix = [](uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t sum) {
    uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
      out |= ((((a >> shift) & 0xFF) * wa + ((b >> shift) & 0xFF) * wb) / sum) << shift;
    }
    return out;
  };
  uint32_t palette[4] = {e0, e1, 0, 0};
  if (c0 > c1 || !allowTransparent) {
    palette[2] = mix(e0, e1, 2, 1, 3);
    palette[3] = mix(e0, e1, 1, 2, 3);
  } else {
    palette[2] = mix(e0, e1, 1, 1, 2);
    palette[3] = 0;
  }
  uint32_t indices = LoadPixel(block + 4, 4);
  for (int i = 0; i < 16; ++i) colours[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeExplicitAlpha(const uint8_t* block, uint32_t colours[16]) {
  for (int i = 0; i < 16; ++i) {
    uint32_t alpha = (block[i / 2] >> (4 * (i % 2))) & 0xF;
    colours[i] = (colours[i] & 0x00FFFFFF) | Expand(alpha, 4) << 24;
  }
}

// Two end points and sixteen 3-bit indices into eight (or six plus 0 and 255) interpolated values.
void DecodeInterpolatedAlpha(const uint8_t* block, uint32_t colours[16]) {
  uint32_t a0 = block[0], a1 = block[1];
  uint32_t values[8] = {a0, a1};
  if (a0 > a1) {
    for (uint32_t i = 1; i < 7; ++i) values[i + 1] = ((7 - i) * a0 + i * a1) / 7;
  } else {
    for (uint32_t i = 1; i < 5; ++i) values[i + 1] = ((5 - i) * a0 + i * a1) / 5;
    values[6] = 0;
    values[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
  for (int i = 0; i < 16; ++i) {
    colours[i] = (colours[i] & 0x00FFFFFF) | values[(bits >> (3 * i)) & 7] << 24;
  }
}

void DecodeBlock(D3DFORMAT format, const uint8_t* block, uint32_t colours[16]) {
  if (format == D3DFMT_DXT1) {
    DecodeColourBlock(block, true, colours);
    return;
  }
  DecodeColourBlock(block + 8, false, colours);
  if (format == D3DFMT_DXT3) {
    DecodeExplicitAlpha(block, colours);
  } else {
    DecodeInterpolatedAlpha(block, colours);
  }
}

void EncodeBlock(D3DFORMAT format, const uint32_t colours[16], uint8_t* block) {
  uint8_t rgba[16 * 4];
  for (int i = 0; i < 16; ++i) {
    rgba[4 * i + 0] = static_cast<uint8_t>(colours[i] >> 16);
    rgba[4 * i + 1] = static_cast<uint8_t>(colours[i] >> 8);
    rgba[4 * i + 2] = static_cast<uint8_t>(colours[i]);
    rgba[4 * i + 3] = static_cast<uint8_t>(colours[i] >> 24);
  }
  switch (format) {
    case D3DFMT_DXT1:
      stb_compress_dxt_block(block, rgba, 0, STB_DXT_NORMAL);
      break;
    case D3DFMT_DXT3:
      for (int i = 0; i < 8; ++i) {
        block[i] =
            static_cast<uint8_t>(Narrow(rgba[8 * i + 3], 4) | Narrow(rgba[8 * i + 7], 4) << 4);
      }
      stb_compress_dxt_block(block + 8, rgba, 0, STB_DXT_NORMAL);
      break;
    default:
      stb_compress_dxt_block(block, rgba, 1, STB_DXT_NORMAL);
      break;
  }
}

uint32_t BlockBytes(D3DFORMAT format) { return format == D3DFMT_DXT1 ? 8 : 16; }

// ---- One pixel of the byte-aligned formats: the plain RGB ones through the device layer's
// packing, luminance and palettes here.

uint32_t ReadPixel(D3DFORMAT format, const uint8_t* p, const PALETTEENTRY* palette) {
  switch (format) {
    case D3DFMT_L8:
      return Argb(0xFF, p[0], p[0], p[0]);
    case D3DFMT_P8:
      return palette != nullptr ? PaletteColour(palette[p[0]]) : CubeColour(p[0]);
    default:
      return *UnpackColor(format, LoadPixel(p, BitsPerPixel(format) / 8));
  }
}

void WritePixel(D3DFORMAT format, uint32_t argb, uint8_t* p, const PALETTEENTRY* palette) {
  uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  switch (format) {
    // Luminance by the usual video weights (of 256).
    case D3DFMT_L8:
      p[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29 + 128) >> 8);
      break;
    case D3DFMT_P8:
      p[0] = palette != nullptr ? NearestEntry(argb, palette) : CubeIndex(argb);
      break;
    default:
      StorePixel(p, BitsPerPixel(format) / 8, *PackColor(format, argb));
      break;
  }
}

}  // namespace

bool IsConvertibleFormat(D3DFORMAT format) {
  return IsBlockCompressed(format) || format == D3DFMT_L8 || format == D3DFMT_P8 ||
         PackColor(format, 0).has_value();
}

std::optional<ArgbImage> ReadPixels(const PixelView& view, const PALETTEENTRY* palette) {
  if (!IsConvertibleFormat(view.format)) return std::nullopt;
  ArgbImage image(view.width, view.height);
  if (view.width == 0 || view.height == 0) return image;
  if (IsBlockCompressed(view.format)) {
    uint32_t colours[16];
    for (uint32_t by = 0; by < RowCount(view.format, view.height); ++by) {
      const uint8_t* row = view.bits + by * view.pitch;
      for (uint32_t bx = 0; bx * kBlockSide < view.width; ++bx) {
        DecodeBlock(view.format, row + bx * BlockBytes(view.format), colours);
        for (uint32_t i = 0; i < 16; ++i) {
          uint32_t x = bx * kBlockSide + i % 4, y = by * kBlockSide + i / 4;
          if (x < view.width && y < view.height) image.At(x, y) = colours[i];
        }
      }
    }
    return image;
  }
  uint32_t bytes = BitsPerPixel(view.format) / 8;
  for (uint32_t y = 0; y < view.height; ++y) {
    const uint8_t* row = view.bits + y * view.pitch;
    uint32_t* out = &image.At(0, y);
    // Little-endian A8R8G8B8 is the image's own layout: rows copy as they are.
    if (view.format == D3DFMT_A8R8G8B8) {
      std::memcpy(out, row, size_t{view.width} * 4);
      continue;
    }
    for (uint32_t x = 0; x < view.width; ++x)
      out[x] = ReadPixel(view.format, row + x * bytes, palette);
  }
  return image;
}

bool WritePixels(const ArgbImage& image, const PixelView& view, const PALETTEENTRY* palette) {
  if (!IsConvertibleFormat(view.format) || image.width != view.width ||
      image.height != view.height) {
    return false;
  }
  if (view.width == 0 || view.height == 0) return true;
  if (IsBlockCompressed(view.format)) {
    uint32_t colours[16];
    for (uint32_t by = 0; by < RowCount(view.format, view.height); ++by) {
      uint8_t* row = view.bits + by * view.pitch;
      for (uint32_t bx = 0; bx * kBlockSide < view.width; ++bx) {
        // A partial block at the edge repeats its last row and column.
        for (uint32_t i = 0; i < 16; ++i) {
          uint32_t x = std::min(bx * kBlockSide + i % 4, view.width - 1);
          uint32_t y = std::min(by * kBlockSide + i / 4, view.height - 1);
          colours[i] = image.At(x, y);
        }
        EncodeBlock(view.format, colours, row + bx * BlockBytes(view.format));
      }
    }
    return true;
  }
  uint32_t bytes = BitsPerPixel(view.format) / 8;
  for (uint32_t y = 0; y < view.height; ++y) {
    uint8_t* row = view.bits + y * view.pitch;
    const uint32_t* in = image.pixels.data() + size_t{y} * image.width;
    if (view.format == D3DFMT_A8R8G8B8) {
      std::memcpy(row, in, size_t{view.width} * 4);
      continue;
    }
    for (uint32_t x = 0; x < view.width; ++x)
      WritePixel(view.format, in[x], row + x * bytes, palette);
  }
  return true;
}

}  // namespace d3dx
