// Image files in memory: reading PNG (through libspng), JPEG (through libjpeg-turbo), BMP, TGA and
// PPM (through the stb decoder) and DDS (see dds.h), and writing BMP. Every reader refuses what it
// cannot read whole and leaves nothing behind; images larger than kMaxImageSide are refused.
//
// BMP as written here: a 14-byte file header ("BM", file size, two zero words, offset 54 of the
// pixels), a 40-byte information header (size 40, width, positive height for rows stored bottom to
// top, 1 plane, 24 or 32 bits, no compression, image bytes, 2835 pixels per metre both ways, no
// palette), then the rows, blue-green-red(-alpha) per pixel, each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/d3dx/pixels.h"

namespace d3dx {

inline constexpr uint32_t kMaxImageSide = 8192;           // pixels; larger images are refused
inline constexpr size_t kMaxImageFileBytes = 256u << 20;  // bytes read from an image file at most

enum D3DXIMAGE_FILEFORMAT : uint32_t {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
};

struct D3DXIMAGE_INFO {
  d3d::UINT Width;
  d3d::UINT Height;
  d3d::UINT Depth;
  d3d::UINT MipLevels;
  d3d::D3DFORMAT Format;  // the format of the file's pixels
  d3d::D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// A decoded image file: levels[face][level] hold packed pixels of storedFormat (rows d3d::RowPitch
// apart). DDS files keep their own format; all others are stored as A8R8G8B8. Cube maps have six
// faces, in the order +x, -x, +y, -y, +z, -z.
struct ImageFile {
  D3DXIMAGE_INFO info{};
  d3d::D3DFORMAT storedFormat = d3d::D3DFMT_UNKNOWN;
  std::vector<std::vector<std::vector<uint8_t>>> levels;

  uint32_t FaceCount() const { return static_cast<uint32_t>(levels.size()); }
  uint32_t LevelCount() const {
    return levels.empty() ? 0 : static_cast<uint32_t>(levels[0].size());
  }
  uint32_t LevelWidth(uint32_t level) const;
  uint32_t LevelHeight(uint32_t level) const;
  // The pixels of one level, to read (the view's bits must not be written through).
  PixelView View(uint32_t face, uint32_t level) const;
};

// The description of an image file without decoding its pixels; nothing when it is not one.
std::optional<D3DXIMAGE_INFO> ReadImageInfo(std::span<const uint8_t> bytes);
// The whole image file; nothing when it is not one this layer reads or it is damaged.
std::optional<ImageFile> DecodeImageFile(std::span<const uint8_t> bytes);
// Decodes an image file of any type but DDS straight into the destination, which must have the
// file's size and a convertible format; false when it does not, or the file is damaged (the
// destination then holds part of a picture). PNG and JPEG files are written as they are decoded,
// row by row, into A8R8G8B8, X8R8G8B8, R8G8B8 and (grey files) L8 memory; other formats and file
// types pass through an ARGB image of the file.
bool DecodeImageInto(std::span<const uint8_t> bytes, const PixelView& destination);

// A BMP file of the image: 32 bits per pixel when keepAlpha, else 24 (alpha dropped).
std::vector<uint8_t> EncodeBmp(const ArgbImage& image, bool keepAlpha);

}  // namespace d3dx
