#include "platform/d3d/format.h"

#include <gtest/gtest.h>

namespace {

using namespace d3d;

TEST(FvfVertexSize, MatchesTheLayoutsTheLibraryDrawsWith) {
  const struct {
    DWORD fvf;
    UINT bytes;
  } cases[] = {
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28},  // 2D overlay
      {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 24},     // sky box, flares
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},      // models
      {D3DFVF_XYZ | D3DFVF_TEX1, 20},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE, 16},
      {D3DFVF_XYZ, 12},
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2, 40},  // terrain
      {D3DFVF_XYZB3 | D3DFVF_NORMAL | D3DFVF_TEX1, 44},
      {D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL, 40},  // indices in the last beta
      {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE1(1), 28},
      {D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_PSIZE, 20},
      {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FvfVertexSize(c.fvf), c.bytes) << std::hex << c.fvf;
}

TEST(PrimitiveVertexCount, FollowsEachPrimitiveType) {
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_POINTLIST, 5), 5u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_LINELIST, 5), 10u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_LINESTRIP, 5), 6u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_TRIANGLELIST, 5), 15u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_TRIANGLESTRIP, 5), 7u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_TRIANGLEFAN, 5), 7u);
  EXPECT_EQ(PrimitiveVertexCount(D3DPT_TRIANGLESTRIP, 0), 0u);
}

TEST(SurfaceSize, CountsRowsOfPixelsOrOfBlocks) {
  EXPECT_EQ(RowPitch(D3DFMT_R5G6B5, 5), 10u);
  EXPECT_EQ(SurfaceSize(D3DFMT_A8R8G8B8, 3, 2), 24u);
  EXPECT_EQ(SurfaceSize(D3DFMT_R8G8B8, 3, 2), 18u);
  EXPECT_EQ(RowPitch(D3DFMT_DXT1, 8), 16u);
  EXPECT_EQ(RowPitch(D3DFMT_DXT3, 5), 32u) << "a partial block still takes a whole block";
  EXPECT_EQ(SurfaceSize(D3DFMT_DXT3, 1, 1), 16u);
  EXPECT_EQ(SurfaceSize(D3DFMT_DXT5, 8, 8), 64u);
}

TEST(MipChain, HalvesDownToOne) {
  EXPECT_EQ(FullMipCount(256, 64), 9u);
  EXPECT_EQ(FullMipCount(1, 1), 1u);
  EXPECT_EQ(FullMipCount(5, 3), 3u);
  EXPECT_EQ(MipDimension(64, 3), 8u);
  EXPECT_EQ(MipDimension(64, 9), 1u);
}

TEST(PackColor, CutsAndWidensChannelsPerFormat) {
  const struct {
    D3DFORMAT format;
    D3DCOLOR color;
    uint32_t packed;
    D3DCOLOR roundTrip;
  } cases[] = {
      {D3DFMT_A8R8G8B8, 0x80123456u, 0x80123456u, 0x80123456u},
      {D3DFMT_X8R8G8B8, 0x00123456u, 0xFF123456u, 0xFF123456u},
      {D3DFMT_R8G8B8, 0x80123456u, 0x123456u, 0xFF123456u},
      {D3DFMT_R5G6B5, 0xFFFF8000u, 0xFC00u, 0xFFFF8200u},
      {D3DFMT_R5G6B5, 0xFFFFFFFFu, 0xFFFFu, 0xFFFFFFFFu},
      {D3DFMT_X1R5G5B5, 0x00000000u, 0x8000u, 0xFF000000u},
      {D3DFMT_A1R5G5B5, 0x80FF0000u, 0xFC00u, 0xFFFF0000u},
      {D3DFMT_A1R5G5B5, 0x7F00FF00u, 0x03E0u, 0x0000FF00u},
      {D3DFMT_A4R4G4B4, 0xF0E0D0C0u, 0xFEDCu, 0xFFEEDDCCu},
      {D3DFMT_A8, 0x7F123456u, 0x7Fu, 0x7F000000u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PackColor(c.format, c.color), c.packed) << c.format;
    EXPECT_EQ(UnpackColor(c.format, c.packed), c.roundTrip) << c.format;
  }
  EXPECT_FALSE(PackColor(D3DFMT_DXT3, 0));
  EXPECT_FALSE(UnpackColor(D3DFMT_D16, 0));
}

TEST(PixelBytes, StoreAndLoadLittleEndian) {
  BYTE bytes[4] = {};
  StorePixel(bytes, 3, 0x123456);
  EXPECT_EQ(bytes[0], 0x56);
  EXPECT_EQ(bytes[2], 0x12);
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(LoadPixel(bytes, 3), 0x123456u);
}

}  // namespace
