#include "platform/d3dx/dds.h"

#include <array>

#include "platform/d3d/format.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr uint32_t kMagic = MakeFourCC('D', 'D', 'S', ' ');
constexpr uint32_t kHeaderSize = 124;      // bytes after the magic
constexpr uint32_t kPixelFormatSize = 32;  // bytes
constexpr size_t kReservedWords = 11;

constexpr uint32_t kFlagCaps = 0x1, kFlagHeight = 0x2, kFlagWidth = 0x4, kFlagPitch = 0x8;
constexpr uint32_t kFlagPixelFormat = 0x1000, kFlagMipCount = 0x20000, kFlagLinearSize = 0x80000;

constexpr uint32_t kPixelAlphaPixels = 0x1, kPixelAlpha = 0x2, kPixelFourCC = 0x4, kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000, kPixelBumpDuDv = 0x80000;

constexpr uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000;
constexpr uint32_t kCaps2Cube = 0x200, kCaps2AllFaces = 0xFC00, kCaps2Volume = 0x200000;

struct PixelFormat {
  uint32_t flags = 0;
  uint32_t fourCC = 0;
  uint32_t bits = 0;
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

struct FormatEntry {
  D3DFORMAT format;
  PixelFormat pixel;
};

constexpr std::array kFormats = {
    FormatEntry{D3DFMT_A8R8G8B8,
                {kPixelRgb | kPixelAlphaPixels, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    FormatEntry{D3DFMT_X8R8G8B8, {kPixelRgb, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0}},
    FormatEntry{D3DFMT_R8G8B8, {kPixelRgb, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0}},
    FormatEntry{D3DFMT_R5G6B5, {kPixelRgb, 0, 16, 0xF800, 0x7E0, 0x1F, 0}},
    FormatEntry{D3DFMT_X1R5G5B5, {kPixelRgb, 0, 16, 0x7C00, 0x3E0, 0x1F, 0}},
    FormatEntry{D3DFMT_A1R5G5B5,
                {kPixelRgb | kPixelAlphaPixels, 0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000}},
    FormatEntry{D3DFMT_A4R4G4B4, {kPixelRgb | kPixelAlphaPixels, 0, 16, 0xF00, 0xF0, 0xF, 0xF000}},
    FormatEntry{D3DFMT_X4R4G4B4, {kPixelRgb, 0, 16, 0xF00, 0xF0, 0xF, 0}},
    FormatEntry{D3DFMT_A8, {kPixelAlpha, 0, 8, 0, 0, 0, 0xFF}},
    FormatEntry{D3DFMT_L8, {kPixelLuminance, 0, 8, 0xFF, 0, 0, 0}},
    FormatEntry{D3DFMT_V8U8, {kPixelBumpDuDv, 0, 16, 0xFF, 0xFF00, 0, 0}},
    FormatEntry{D3DFMT_DXT1, {kPixelFourCC, D3DFMT_DXT1, 0, 0, 0, 0, 0}},
    FormatEntry{D3DFMT_DXT3, {kPixelFourCC, D3DFMT_DXT3, 0, 0, 0, 0, 0}},
    FormatEntry{D3DFMT_DXT5, {kPixelFourCC, D3DFMT_DXT5, 0, 0, 0, 0, 0}},
};

std::optional<D3DFORMAT> FormatOf(const PixelFormat& pixel) {
  for (const FormatEntry& entry : kFormats) {
    const PixelFormat& known = entry.pixel;
    if (pixel.flags & kPixelFourCC) {
      if ((known.flags & kPixelFourCC) && known.fourCC == pixel.fourCC) return entry.format;
      continue;
    }
    // An alpha mask counts only where the file says it is valid.
    uint32_t alpha = (pixel.flags & (kPixelAlphaPixels | kPixelAlpha)) ? pixel.alpha : 0;
    uint32_t kind = pixel.flags & (kPixelRgb | kPixelAlpha | kPixelLuminance | kPixelBumpDuDv);
    uint32_t knownKind = known.flags & (kPixelRgb | kPixelAlpha | kPixelLuminance | kPixelBumpDuDv);
    if (kind == knownKind && known.bits == pixel.bits && known.red == pixel.red &&
        known.green == pixel.green && known.blue == pixel.blue && known.alpha == alpha) {
      return entry.format;
    }
  }
  return std::nullopt;
}

// The header fields this layer uses.
struct Header {
  uint32_t width = 0, height = 0, levels = 0, faces = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

std::optional<Header> ReadHeader(win::ByteReader& reader) {
  if (reader.U32() != kMagic || reader.U32() != kHeaderSize) return std::nullopt;
  reader.U32();  // flags: readers of the format ignore them, writers set them unreliably
  Header header;
  header.height = reader.U32();
  header.width = reader.U32();
  reader.U32();  // pitch or linear size: derived from the format instead
  reader.U32();  // depth
  header.levels = reader.U32();
  reader.Skip(kReservedWords * 4);
  PixelFormat pixel;
  uint32_t pixelSize = reader.U32();
  pixel.flags = reader.U32();
  pixel.fourCC = reader.U32();
  pixel.bits = reader.U32();
  pixel.red = reader.U32();
  pixel.green = reader.U32();
  pixel.blue = reader.U32();
  pixel.alpha = reader.U32();
  reader.U32();  // caps
  uint32_t caps2 = reader.U32();
  reader.Skip(3 * 4);  // caps3, caps4, reserved
  if (!reader.Ok() || pixelSize != kPixelFormatSize) return std::nullopt;

  auto format = FormatOf(pixel);
  if (!format || header.width == 0 || header.height == 0 || header.width > kMaxImageSide ||
      header.height > kMaxImageSide || (caps2 & kCaps2Volume)) {
    return std::nullopt;
  }
  header.format = *format;
  if (header.levels == 0) header.levels = 1;
  if (header.levels > FullMipCount(header.width, header.height)) return std::nullopt;
  if (caps2 & kCaps2Cube) {
    if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces || header.width != header.height)
      return std::nullopt;
    header.faces = 6;
  } else {
    header.faces = 1;
  }
  return header;
}

D3DXIMAGE_INFO InfoOf(const Header& header) {
  return D3DXIMAGE_INFO{
      header.width,  header.height, 1,
      header.levels, header.format, header.faces == 6 ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE,
      D3DXIFF_DDS};
}

const PixelFormat* PixelFormatOf(D3DFORMAT format) {
  for (const FormatEntry& entry : kFormats) {
    if (entry.format == format) return &entry.pixel;
  }
  return nullptr;
}

}  // namespace

bool LooksLikeDds(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  return reader.U32() == kMagic && reader.Ok();
}

std::optional<D3DXIMAGE_INFO> ReadDdsInfo(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  auto header = ReadHeader(reader);
  if (!header) return std::nullopt;
  return InfoOf(*header);
}

std::optional<ImageFile> ReadDds(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  auto header = ReadHeader(reader);
  if (!header) return std::nullopt;
  ImageFile image;
  image.info = InfoOf(*header);
  image.storedFormat = header->format;
  image.levels.resize(header->faces);
  for (auto& face : image.levels) {
    for (uint32_t level = 0; level < header->levels; ++level) {
      size_t size = SurfaceSize(header->format, MipDimension(header->width, level),
                                MipDimension(header->height, level));
      auto pixels = reader.Bytes(size);
      if (!reader.Ok()) return std::nullopt;
      face.emplace_back(pixels.begin(), pixels.end());
    }
  }
  return image;
}

bool IsDdsFormat(D3DFORMAT format) { return PixelFormatOf(format) != nullptr; }

std::optional<std::vector<uint8_t>> EncodeDds(const ImageFile& image) {
  const PixelFormat* pixel = PixelFormatOf(image.storedFormat);
  uint32_t faces = image.FaceCount(), levels = image.LevelCount();
  if (pixel == nullptr || (faces != 1 && faces != 6) || levels == 0) return std::nullopt;
  for (const auto& face : image.levels) {
    if (face.size() != levels) return std::nullopt;
  }
  uint32_t width = image.LevelWidth(0), height = image.LevelHeight(0);
  bool block = IsBlockCompressed(image.storedFormat);

  win::ByteWriter out;
  out.U32(kMagic);
  out.U32(kHeaderSize);
  out.U32(kFlagCaps | kFlagHeight | kFlagWidth | kFlagPixelFormat |
          (levels > 1 ? kFlagMipCount : 0) | (block ? kFlagLinearSize : kFlagPitch));
  out.U32(height);
  out.U32(width);
  out.U32(block ? SurfaceSize(image.storedFormat, width, height)
                : RowPitch(image.storedFormat, width));
  out.U32(0);
  out.U32(levels);
  for (size_t i = 0; i < kReservedWords; ++i) out.U32(0);
  out.U32(kPixelFormatSize);
  out.U32(pixel->flags);
  out.U32(pixel->fourCC);
  out.U32(pixel->bits);
  out.U32(pixel->red);
  out.U32(pixel->green);
  out.U32(pixel->blue);
  out.U32(pixel->alpha);
  bool complex = levels > 1 || faces == 6;
  out.U32(kCapsTexture | (complex ? kCapsComplex : 0) | (levels > 1 ? kCapsMipMap : 0));
  out.U32(faces == 6 ? kCaps2Cube | kCaps2AllFaces : 0);
  for (int i = 0; i < 3; ++i) out.U32(0);  // caps3, caps4, reserved
  for (const auto& face : image.levels) {
    for (uint32_t level = 0; level < levels; ++level) {
      if (face[level].size() !=
          SurfaceSize(image.storedFormat, image.LevelWidth(level), image.LevelHeight(level))) {
        return std::nullopt;
      }
      out.Bytes(face[level]);
    }
  }
  return out.Data();
}

}  // namespace d3dx
