#include "platform/d3d/format.h"

#include <algorithm>

namespace d3d {
namespace {

constexpr UINT kBlockEdge = 4;  // block-compressed formats store 4 x 4 pixel blocks
constexpr UINT kDxt1BlockBytes = 8;
constexpr UINT kDxtBlockBytes = 16;

// One channel of a packed RGB format: its width in bits and the bit it starts at.
struct Channel {
  UINT bits = 0;
  UINT shift = 0;
};

struct PackedLayout {
  Channel a, r, g, b;
  uint32_t unusedOnes = 0;  // X bits, written as ones
};

std::optional<PackedLayout> LayoutOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8:
      return PackedLayout{{}, {8, 16}, {8, 8}, {8, 0}};
    case D3DFMT_A8R8G8B8:
      return PackedLayout{{8, 24}, {8, 16}, {8, 8}, {8, 0}};
    case D3DFMT_X8R8G8B8:
      return PackedLayout{{}, {8, 16}, {8, 8}, {8, 0}, 0xFF000000u};
    case D3DFMT_R5G6B5:
      return PackedLayout{{}, {5, 11}, {6, 5}, {5, 0}};
    case D3DFMT_X1R5G5B5:
      return PackedLayout{{}, {5, 10}, {5, 5}, {5, 0}, 0x8000u};
    case D3DFMT_A1R5G5B5:
      return PackedLayout{{1, 15}, {5, 10}, {5, 5}, {5, 0}};
    case D3DFMT_A4R4G4B4:
      return PackedLayout{{4, 12}, {4, 8}, {4, 4}, {4, 0}};
    case D3DFMT_X4R4G4B4:
      return PackedLayout{{}, {4, 8}, {4, 4}, {4, 0}, 0xF000u};
    case D3DFMT_A8:
      return PackedLayout{{8, 0}, {}, {}, {}};
    default:
      return std::nullopt;
  }
}

uint32_t PackChannel(Channel channel, uint32_t value8) {
  if (channel.bits == 0) return 0;
  return (value8 >> (8 - channel.bits)) << channel.shift;
}

// Widens a channel to 8 bits by repeating its top bits, so that full scale stays full scale.
uint32_t WidenChannel(Channel channel, uint32_t packed) {
  const uint32_t value = (packed >> channel.shift) & ((1u << channel.bits) - 1);
  uint32_t widened = 0;
  for (int filled = 0; filled < 8; filled += static_cast<int>(channel.bits)) {
    widened = widened << channel.bits | value;
  }
  const int excess = static_cast<int>(((8 + channel.bits - 1) / channel.bits) * channel.bits) - 8;
  return (widened >> excess) & 0xFF;
}

}  // namespace

UINT BitsPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_DXT1:
      return 4;
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
      return 8;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_V8U8:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
    case D3DFMT_INDEX16:
      return 16;
    case D3DFMT_R8G8B8:
      return 24;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_INDEX32:
      return 32;
    default:
      return 0;
  }
}

bool IsBlockCompressed(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

bool IsDepthFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D16:
      return true;
    default:
      return false;
  }
}

bool HasStencil(D3DFORMAT format) { return format == D3DFMT_D24S8 || format == D3DFMT_D15S1; }

bool HasAlpha(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_DXT1:
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
      return true;
    default:
      return false;
  }
}

UINT RowPitch(D3DFORMAT format, UINT width) {
  if (IsBlockCompressed(format)) {
    const UINT blocks = std::max(1u, (width + kBlockEdge - 1) / kBlockEdge);
    return blocks * (format == D3DFMT_DXT1 ? kDxt1BlockBytes : kDxtBlockBytes);
  }
  return width * (BitsPerPixel(format) / 8);
}

UINT RowCount(D3DFORMAT format, UINT height) {
  if (IsBlockCompressed(format)) return std::max(1u, (height + kBlockEdge - 1) / kBlockEdge);
  return height;
}

UINT SurfaceSize(D3DFORMAT format, UINT width, UINT height) {
  return RowPitch(format, width) * RowCount(format, height);
}

UINT MipDimension(UINT topDimension, UINT level) {
  if (level >= 32) return 1;
  return std::max(1u, topDimension >> level);
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT largest = std::max(width, height); largest > 1; largest >>= 1) ++levels;
  return levels;
}

UINT FvfVertexSize(DWORD fvf) {
  constexpr UINT kFloat = 4;
  UINT size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0:
      break;
    case D3DFVF_XYZ:
      size = 3 * kFloat;
      break;
    case D3DFVF_XYZRHW:
      size = 4 * kFloat;
      break;
    default:  // XYZ followed by 1 to 5 blend weights
      size = 3 * kFloat + ((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2 * kFloat;
      break;
  }
  if (fvf & D3DFVF_NORMAL) size += 3 * kFloat;
  if (fvf & D3DFVF_PSIZE) size += kFloat;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return 0;
  for (UINT set = 0; set < sets; ++set) {
    switch ((fvf >> (16 + set * 2)) & 3) {
      case D3DFVF_TEXTUREFORMAT1:
        size += kFloat;
        break;
      case D3DFVF_TEXTUREFORMAT2:
        size += 2 * kFloat;
        break;
      case D3DFVF_TEXTUREFORMAT3:
        size += 3 * kFloat;
        break;
      case D3DFVF_TEXTUREFORMAT4:
        size += 4 * kFloat;
        break;
    }
  }
  return size;
}

UINT PrimitiveVertexCount(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  if (primitiveCount == 0) return 0;
  switch (type) {
    case D3DPT_POINTLIST:
      return primitiveCount;
    case D3DPT_LINELIST:
      return primitiveCount * 2;
    case D3DPT_LINESTRIP:
      return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
      return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitiveCount + 2;
  }
  return 0;
}

std::optional<uint32_t> PackColor(D3DFORMAT format, D3DCOLOR color) {
  const auto layout = LayoutOf(format);
  if (!layout) return std::nullopt;
  return PackChannel(layout->a, color >> 24 & 0xFF) | PackChannel(layout->r, color >> 16 & 0xFF) |
         PackChannel(layout->g, color >> 8 & 0xFF) | PackChannel(layout->b, color & 0xFF) |
         layout->unusedOnes;
}

std::optional<D3DCOLOR> UnpackColor(D3DFORMAT format, uint32_t packed) {
  const auto layout = LayoutOf(format);
  if (!layout) return std::nullopt;
  const auto channel = [packed](Channel c, uint32_t absent) {
    return c.bits == 0 ? absent : WidenChannel(c, packed);
  };
  return D3DCOLOR_ARGB(channel(layout->a, 0xFF), channel(layout->r, 0), channel(layout->g, 0),
                       channel(layout->b, 0));
}

void StorePixel(BYTE* destination, UINT bytesPerPixel, uint32_t packed) {
  for (UINT i = 0; i < bytesPerPixel; ++i) destination[i] = static_cast<BYTE>(packed >> (8 * i));
}

uint32_t LoadPixel(const BYTE* source, UINT bytesPerPixel) {
  uint32_t packed = 0;
  for (UINT i = 0; i < bytesPerPixel; ++i) packed |= static_cast<uint32_t>(source[i]) << (8 * i);
  return packed;
}

}  // namespace d3d
