// Sizes of pixels, blocks, vertices and primitives, and packing of colours into the plain RGB
// formats: the arithmetic every device and the image layer share.
#pragma once

#include "platform/d3d/types.h"

#include <optional>

namespace d3d {

// Bits of one pixel; for block-compressed formats the average (4 for DXT1, 8 for DXT3 and DXT5).
// 0 for a format the layer does not store.
UINT BitsPerPixel(D3DFORMAT format);
bool IsBlockCompressed(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
bool HasStencil(D3DFORMAT format);
bool HasAlpha(D3DFORMAT format);

// Bytes from one row to the next: a row of pixels, or for block-compressed formats a row of
// 4 x 4 blocks. Rows are packed (no padding).
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of pixels, or of blocks, in a surface of that height.
UINT RowCount(D3DFORMAT format, UINT height);
UINT SurfaceSize(D3DFORMAT format, UINT width, UINT height);  // bytes

// The size of one level of a mip chain: halves per level, never below 1.
UINT MipDimension(UINT topDimension, UINT level);
// Levels of a full chain down to 1 x 1.
UINT FullMipCount(UINT width, UINT height);

// The bytes of one vertex of a flexible vertex format; 0 for an invalid format.
UINT FvfVertexSize(DWORD fvf);
// Vertices (for indexed draws, indices) a draw of primitiveCount primitives reads.
UINT PrimitiveVertexCount(D3DPRIMITIVETYPE type, UINT primitiveCount);

// A colour in one of the plain RGB formats (R8G8B8, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5,
// A1R5G5B5, A4R4G4B4, X4R4G4B4, A8) as the little-endian value of its BitsPerPixel bits.
// Channels are cut to their width; X channels are written as ones.
std::optional<uint32_t> PackColor(D3DFORMAT format, D3DCOLOR color);
// The reverse: channels widened by repeating their top bits; a format without alpha reads opaque.
std::optional<D3DCOLOR> UnpackColor(D3DFORMAT format, uint32_t packed);

// Writes and reads one packed pixel of BitsPerPixel / 8 bytes (formats of 8 to 32 bits).
void StorePixel(BYTE* destination, UINT bytesPerPixel, uint32_t packed);
uint32_t LoadPixel(const BYTE* source, UINT bytesPerPixel);

}  // namespace d3d
