#include "library/core/render/pcx.h"

#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/win/byte_reader.h"

namespace {

constexpr uint8_t kRunMarker = 0xC0;  // the two top bits set: the low six bits count a run
constexpr uint8_t kRunLengthMask = 0x3F;
constexpr uint8_t kSupportedBitsPerPixel = 8;
constexpr uint8_t kSupportedPlanes = 1;
constexpr uint32_t kOpaque = 0xFF000000;

}  // namespace

std::optional<d3dx::ArgbImage> DecodePcx(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPcxHeaderSize + kPcxPaletteSize) return std::nullopt;
  win::ByteReader header(bytes.first(kPcxHeaderSize));
  header.Seek(3);
  const uint8_t bitsPerPixel = header.U8();
  const uint16_t xMin = header.U16();
  const uint16_t yMin = header.U16();
  const uint16_t xMax = header.U16();
  const uint16_t yMax = header.U16();
  header.Seek(65);
  const uint8_t planes = header.U8();
  const uint16_t bytesPerLine = header.U16();
  if (!header.Ok() || bitsPerPixel != kSupportedBitsPerPixel || planes != kSupportedPlanes ||
      xMax < xMin || yMax < yMin) {
    return std::nullopt;
  }
  const uint32_t width = uint32_t{xMax} - xMin + 1;
  const uint32_t height = uint32_t{yMax} - yMin + 1;
  if (bytesPerLine < width || width > d3dx::kMaxImageSide || height > d3dx::kMaxImageSide) {
    return std::nullopt;
  }

  std::vector<uint8_t> indexes(size_t{bytesPerLine} * height, 0);
  win::ByteReader data(
      bytes.subspan(kPcxHeaderSize, bytes.size() - kPcxHeaderSize - kPcxPaletteSize));
  size_t written = 0;
  while (written < indexes.size() && !data.AtEnd()) {
    uint8_t value = data.U8();
    size_t count = 1;
    if ((value & kRunMarker) == kRunMarker) {
      count = value & kRunLengthMask;
      value = data.U8();
      if (!data.Ok()) break;
    }
    for (; count > 0 && written < indexes.size(); --count) indexes[written++] = value;
  }

  const uint8_t* palette = bytes.data() + bytes.size() - kPcxPaletteSize;
  d3dx::ArgbImage image(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* entry = palette + 3 * size_t{indexes[size_t{y} * bytesPerLine + x]};
      image.At(x, y) = kOpaque | uint32_t{entry[0]} << 16 | uint32_t{entry[1]} << 8 | entry[2];
    }
  }
  return image;
}
