// DDS files: textures with their mip chains and the six faces of cube maps, in the device's
// formats.
//
// The layout, little-endian throughout:
//   "DDS "                 4-byte magic
//   header                 124 bytes: size (124), flags, height, width, pitch of a row (or the byte
//                          size of level 0 for block formats), depth, mip level count (0 means 1),
//                          44 reserved bytes, the 32-byte pixel format, caps, caps2, caps3, caps4
//                          and a reserved word
//   pixel format           size (32), flags, four-character code, bits per pixel, then the red,
//                          green, blue and alpha bit masks. Flags: 0x1 alpha mask valid, 0x2 alpha
//                          only, 0x4 four-character code (DXT1, DXT3, DXT5), 0x40 RGB, 0x20000
//                          luminance, 0x80000 signed du/dv offsets
//   caps2                  0x200 cube map, with 0x400..0x8000 for the faces +x, -x, +y, -y, +z, -z;
//                          0x200000 volume (refused)
//   pixels                 for each face, each level from the largest down, packed rows with no
//                          padding (rows of 4x4 blocks for the DXT formats)
// Files with the extended header ("DX10"), volumes, partial cube maps and formats outside the
// table in dds.cpp are refused.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/d3dx/image_file.h"

namespace d3dx {

// True when the bytes start like a DDS file.
bool LooksLikeDds(std::span<const uint8_t> bytes);
// The file's description, from the header alone.
std::optional<D3DXIMAGE_INFO> ReadDdsInfo(std::span<const uint8_t> bytes);
std::optional<ImageFile> ReadDds(std::span<const uint8_t> bytes);

// Whether a DDS file can hold pixels of this format as they are.
bool IsDdsFormat(d3d::D3DFORMAT format);
// The DDS file of the image's levels in its storedFormat; nothing when IsDdsFormat is false or the
// faces are not 1 or 6 of equal level counts.
std::optional<std::vector<uint8_t>> EncodeDds(const ImageFile& image);

}  // namespace d3dx
