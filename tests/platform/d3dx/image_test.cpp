#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/d3d/format.h"
#include "platform/d3dx/dds.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/normal_map.h"
#include "platform/d3dx/pixels.h"
#include "tests/platform/d3dx/image_encoders.h"

namespace {

using namespace d3d;
using namespace d3dx;

// Packs the image into a buffer of the format, then reads it back.
ArgbImage ThroughFormat(const ArgbImage& image, D3DFORMAT format,
                        const PALETTEENTRY* palette = nullptr) {
  std::vector<uint8_t> memory(SurfaceSize(format, image.width, image.height));
  PixelView view{format, image.width, image.height, RowPitch(format, image.width), memory.data()};
  EXPECT_TRUE(WritePixels(image, view, palette));
  auto back = ReadPixels(view, palette);
  EXPECT_TRUE(back.has_value());
  return back.value_or(ArgbImage{});
}

ArgbImage Solid(uint32_t width, uint32_t height, uint32_t argb) {
  return ArgbImage(width, height, argb);
}

// The largest difference of any channel of any pixel.
int MaxChannelError(const ArgbImage& a, const ArgbImage& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  int worst = 0;
  for (size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      int d = std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                       static_cast<int>((b.pixels[i] >> shift) & 0xFF));
      worst = std::max(worst, d);
    }
  }
  return worst;
}

TEST(D3dxPixels, PlainFormatsKeepWhatTheyCanHold) {
  ArgbImage image(2, 1);
  image.At(0, 0) = 0x80FF0000;
  image.At(1, 0) = 0xFF00FF80;
  struct Case {
    D3DFORMAT format;
    uint32_t first, second;
  } const cases[] = {
      {D3DFMT_A8R8G8B8, 0x80FF0000, 0xFF00FF80}, {D3DFMT_X8R8G8B8, 0xFFFF0000, 0xFF00FF80},
      {D3DFMT_R8G8B8, 0xFFFF0000, 0xFF00FF80},   {D3DFMT_R5G6B5, 0xFFFF0000, 0xFF00FF84},
      {D3DFMT_A1R5G5B5, 0xFFFF0000, 0xFF00FF84}, {D3DFMT_A4R4G4B4, 0x88FF0000, 0xFF00FF88},
      {D3DFMT_A8, 0x80000000, 0xFF000000},       {D3DFMT_L8, 0xFF4D4D4D, 0xFFA4A4A4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    ArgbImage back = ThroughFormat(image, c.format);
    EXPECT_EQ(c.first, back.At(0, 0));
    EXPECT_EQ(c.second, back.At(1, 0));
  }
  EXPECT_FALSE(IsConvertibleFormat(D3DFMT_V8U8));
  EXPECT_FALSE(IsConvertibleFormat(D3DFMT_D16));
}

TEST(D3dxPixels, PalettedPixelsTakeTheNearestEntry) {
  std::vector<PALETTEENTRY> palette(kPaletteSize, PALETTEENTRY{0, 0, 0, 255});
  palette[1] = {255, 0, 0, 255};
  palette[2] = {0, 0, 255, 128};
  ArgbImage image(3, 1);
  image.At(0, 0) = 0xFFF01010;
  image.At(1, 0) = 0x800000F0;
  image.At(2, 0) = 0xFF000000;
  ArgbImage back = ThroughFormat(image, D3DFMT_P8, palette.data());
  EXPECT_EQ(0xFFFF0000u, back.At(0, 0));
  EXPECT_EQ(0x800000FFu, back.At(1, 0));
  EXPECT_EQ(0xFF000000u, back.At(2, 0));
  // Without a palette the 3-3-2 colour cube stands in, exact for its own colours.
  image.At(0, 0) = 0xFFFF0000;
  image.At(1, 0) = 0xFF0000FF;
  image.At(2, 0) = 0xFFFFFFFF;
  EXPECT_EQ(image.pixels, ThroughFormat(image, D3DFMT_P8).pixels);
}

TEST(D3dxPixels, BlockFormatsRoundTrip) {
  // Flat blocks come back exactly (in 5-6-5 steps); DXT3 keeps 4 bits of alpha per pixel.
  ArgbImage flat = Solid(8, 4, 0xFF0000FF);
  EXPECT_EQ(flat.pixels, ThroughFormat(flat, D3DFMT_DXT1).pixels);
  ArgbImage fading(4, 4);
  for (uint32_t i = 0; i < 16; ++i) fading.pixels[i] = (i * 17) << 24 | 0x00FF0000;
  EXPECT_EQ(fading.pixels, ThroughFormat(fading, D3DFMT_DXT3).pixels);
  // DXT5 spreads sixteen alpha values over eight interpolated steps.
  EXPECT_LE(MaxChannelError(fading, ThroughFormat(fading, D3DFMT_DXT5)), 18);
  // Sizes that are not multiples of the block keep their own size.
  ArgbImage odd = Solid(6, 3, 0x8800FF00);
  EXPECT_EQ(odd.pixels, ThroughFormat(odd, D3DFMT_DXT3).pixels);
}

TEST(D3dxFilter, ScalingFilters) {
  ArgbImage image(4, 2);
  const uint32_t row[4] = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
  for (uint32_t x = 0; x < 4; ++x) image.At(x, 0) = image.At(x, 1) = row[x];
  PixelRect whole{0, 0, 4, 2};

  ArgbImage box = Resample(image, whole, 2, 1, D3DX_FILTER_BOX);
  EXPECT_EQ(0xFF000080u, box.At(0, 0));
  EXPECT_EQ(0xFF808000u, box.At(1, 0));
  EXPECT_EQ(box.pixels, Resample(image, whole, 2, 1, D3DX_DEFAULT).pixels);

  ArgbImage point = Resample(image, whole, 2, 1, D3DX_FILTER_POINT);
  EXPECT_EQ(0xFF0000FFu, point.At(0, 0));
  EXPECT_EQ(0xFFFF0000u, point.At(1, 0));

  // Doubling with mirrored edges: the outer samples repeat their edge pixel.
  ArgbImage wide = Resample(image, {0, 0, 2, 1}, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR);
  EXPECT_EQ(0xFF000000u, wide.At(0, 0));
  EXPECT_EQ(0xFF000040u, wide.At(1, 0));
  EXPECT_EQ(0xFF0000BFu, wide.At(2, 0));
  EXPECT_EQ(0xFF0000FFu, wide.At(3, 0));
  // Without mirroring the left neighbour of the first pixel wraps to the right edge.
  EXPECT_EQ(0xFF000040u, Resample(image, {0, 0, 2, 1}, 4, 1, D3DX_FILTER_LINEAR).At(0, 0));

  ArgbImage cropped = Resample(image, {1, 0, 3, 2}, 3, 3, D3DX_FILTER_NONE);
  EXPECT_EQ(0xFF0000FFu, cropped.At(0, 0));
  EXPECT_EQ(0xFF00FF00u, cropped.At(1, 1));
  EXPECT_EQ(0u, cropped.At(2, 0)) << "padding is transparent black";
  EXPECT_EQ(0u, cropped.At(0, 2));

  EXPECT_TRUE(IsValidFilter(D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR_U | D3DX_FILTER_DITHER));
  EXPECT_FALSE(IsValidFilter(0));
  EXPECT_FALSE(IsValidFilter(6));
  EXPECT_FALSE(IsValidFilter(D3DX_FILTER_LINEAR | 0x100000));
}

TEST(D3dxFilter, ColourKeyAndMipChain) {
  ArgbImage image = Solid(8, 2, 0xFFFF00FF);
  image.At(0, 0) = 0xFF102030;
  ApplyColourKey(image, 0xFFFF00FF);
  EXPECT_EQ(0xFF102030u, image.At(0, 0));
  EXPECT_EQ(0u, image.At(7, 1));
  ApplyColourKey(image, 0);
  EXPECT_EQ(0xFF102030u, image.At(0, 0));

  std::vector<ArgbImage> chain =
      BuildMipChain(Solid(8, 2, 0xFF336699), FullMipCount(8, 2), D3DX_DEFAULT);
  ASSERT_EQ(3u, chain.size());
  const uint32_t sizes[3][2] = {{4, 1}, {2, 1}, {1, 1}};
  for (size_t i = 0; i < chain.size(); ++i) {
    EXPECT_EQ(sizes[i][0], chain[i].width);
    EXPECT_EQ(sizes[i][1], chain[i].height);
    EXPECT_EQ(0xFF336699u, chain[i].At(0, 0));
  }
}

TEST(D3dxNormalMap, SlopesFromTheChosenChannel) {
  // Flat ground points straight out of the surface.
  auto flat = ComputeNormalMapImage(Solid(4, 4, 0xFF808080), 0, D3DX_CHANNEL_RED, 1);
  ASSERT_TRUE(flat.has_value());
  EXPECT_EQ(0xFF8080FFu, flat->At(2, 2));

  // Red rising by 51 per column (0.2): dh/dx = 0.2, amplitude 5 gives a 45-degree slope.
  ArgbImage ramp(4, 1);
  for (uint32_t x = 0; x < 4; ++x) ramp.At(x, 0) = 0xFF000000 | (x * 51) << 16;
  auto normals = ComputeNormalMapImage(ramp, D3DX_NORMALMAP_MIRROR, D3DX_CHANNEL_RED, 5);
  ASSERT_TRUE(normals.has_value());
  // (-0.7071, 0, 0.7071) encodes as red 37, green 128, blue 218.
  EXPECT_EQ(0xFF2580DAu, normals->At(1, 0));
  // The inverted sign turns the slope around.
  auto inverted = ComputeNormalMapImage(ramp, D3DX_NORMALMAP_MIRROR | D3DX_NORMALMAP_INVERTSIGN,
                                        D3DX_CHANNEL_RED, 5);
  EXPECT_NEAR(218, static_cast<int>((inverted->At(1, 0) >> 16) & 0xFF), 1);
  EXPECT_FALSE(ComputeNormalMapImage(ramp, 0, D3DX_CHANNEL_RED | D3DX_CHANNEL_BLUE, 1).has_value());
}

TEST(D3dxImageFile, DecodesEveryReadableFileType) {
  ArgbImage picture = d3dx_test::Picture(20, 12);
  ArgbImage opaque = picture, grey = picture, inked = picture;
  for (uint32_t& p : opaque.pixels) p |= 0xFF000000;
  for (uint32_t& p : grey.pixels) p = 0xFF000000 | ((p >> 16) & 0xFF) * 0x010101;
  // Inks times black over 255, channel by channel; black is the alpha byte.
  for (uint32_t& p : inked.pixels) {
    uint32_t black = p >> 24, out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) out |= ((p >> shift) & 0xFF) * black / 255 << shift;
    p = out;
  }
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    D3DXIMAGE_FILEFORMAT fileFormat;
    D3DFORMAT format;
    const ArgbImage* expected;
    int tolerance;
  } const cases[] = {
      {"png", d3dx_test::EncodePng(picture), D3DXIFF_PNG, D3DFMT_A8R8G8B8, &picture, 0},
      {"tga", d3dx_test::EncodeTga(picture), D3DXIFF_TGA, D3DFMT_A8R8G8B8, &picture, 0},
      {"bmp 32", EncodeBmp(picture, true), D3DXIFF_BMP, D3DFMT_A8R8G8B8, &picture, 0},
      {"bmp 24", EncodeBmp(picture, false), D3DXIFF_BMP, D3DFMT_R8G8B8, &opaque, 0},
      {"jpeg", d3dx_test::EncodeJpeg(picture, 95), D3DXIFF_JPG, D3DFMT_R8G8B8, &opaque, 40},
      {"png interlaced", d3dx_test::EncodeInterlacedPng(picture), D3DXIFF_PNG, D3DFMT_A8R8G8B8,
       &picture, 0},
      {"png grey", d3dx_test::EncodeGreyPng(picture), D3DXIFF_PNG, D3DFMT_L8, &grey, 0},
      {"jpeg grey", d3dx_test::EncodeGreyJpeg(picture, 95), D3DXIFF_JPG, D3DFMT_L8, &grey, 8},
      {"jpeg cmyk", d3dx_test::EncodeCmykJpeg(picture, 95), D3DXIFF_JPG, D3DFMT_R8G8B8, &inked, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto info = ReadImageInfo(c.bytes);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(20u, info->Width);
    EXPECT_EQ(12u, info->Height);
    EXPECT_EQ(1u, info->MipLevels);
    EXPECT_EQ(c.fileFormat, info->ImageFileFormat);
    EXPECT_EQ(c.format, info->Format);
    auto file = DecodeImageFile(c.bytes);
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(1u, file->FaceCount());
    auto pixels = ReadPixels(file->View(0, 0), nullptr);
    ASSERT_TRUE(pixels.has_value());
    EXPECT_LE(MaxChannelError(*c.expected, *pixels), c.tolerance);
  }
}

// Decoding into memory of a format, rows padded, gives the bytes the ARGB picture of the file
// converts to, and leaves the padding alone.
TEST(D3dxImageFile, DecodesStraightIntoEveryLayout) {
  constexpr uint8_t kUntouched = 0xA5;
  constexpr size_t kPadding = 3;  // bytes after each row
  ArgbImage picture = d3dx_test::Picture(21, 13);
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"png", d3dx_test::EncodePng(picture)},
      {"png interlaced", d3dx_test::EncodeInterlacedPng(picture)},
      {"png grey", d3dx_test::EncodeGreyPng(picture)},
      {"jpeg", d3dx_test::EncodeJpeg(picture, 90)},
      {"jpeg grey", d3dx_test::EncodeGreyJpeg(picture, 90)},
      {"jpeg cmyk", d3dx_test::EncodeCmykJpeg(picture, 90)},
      {"bmp", EncodeBmp(picture, true)},
  };
  for (const auto& [name, bytes] : files) {
    auto file = DecodeImageFile(bytes);
    ASSERT_TRUE(file.has_value()) << name;
    auto argb = ReadPixels(file->View(0, 0), nullptr);
    for (D3DFORMAT format :
         {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_L8, D3DFMT_R5G6B5, D3DFMT_DXT1}) {
      SCOPED_TRACE(testing::Message() << name << " into " << format);
      size_t pitch = RowPitch(format, picture.width) + kPadding;
      std::vector<uint8_t> expected(pitch * RowCount(format, picture.height), kUntouched);
      std::vector<uint8_t> decoded = expected;
      ASSERT_TRUE(WritePixels(
          *argb, {format, picture.width, picture.height, pitch, expected.data()}, nullptr));
      ASSERT_TRUE(
          DecodeImageInto(bytes, {format, picture.width, picture.height, pitch, decoded.data()}));
      EXPECT_EQ(expected, decoded);
    }
    // Memory of another size or of a format without colours is refused.
    std::vector<uint8_t> memory(SurfaceSize(D3DFMT_A8R8G8B8, 32, 32));
    EXPECT_FALSE(DecodeImageInto(bytes, {D3DFMT_A8R8G8B8, 20, 13, 80, memory.data()})) << name;
    EXPECT_FALSE(DecodeImageInto(bytes, {D3DFMT_V8U8, 21, 13, 42, memory.data()})) << name;
  }
}

TEST(D3dxImageFile, DdsRoundTripWithMipsAndCubeFaces) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_L8, D3DFMT_V8U8,
                           D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
    for (uint32_t faces : {1u, 6u}) {
      SCOPED_TRACE(testing::Message() << format << " faces " << faces);
      ImageFile image;
      image.info = {8, 8, 1, 4, format, D3DRTYPE_TEXTURE, D3DXIFF_DDS};
      image.storedFormat = format;
      image.levels.resize(faces);
      uint8_t seed = 1;
      for (auto& face : image.levels) {
        for (uint32_t level = 0; level < 4; ++level) {
          std::vector<uint8_t> bytes(
              SurfaceSize(format, MipDimension(8, level), MipDimension(8, level)));
          for (uint8_t& b : bytes) b = seed += 37;
          face.push_back(bytes);
        }
      }
      auto file = EncodeDds(image);
      ASSERT_TRUE(file.has_value());
      auto info = ReadImageInfo(*file);
      ASSERT_TRUE(info.has_value());
      EXPECT_EQ(4u, info->MipLevels);
      EXPECT_EQ(format, info->Format);
      EXPECT_EQ(faces == 6 ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE, info->ResourceType);
      auto back = DecodeImageFile(*file);
      ASSERT_TRUE(back.has_value());
      EXPECT_EQ(image.levels, back->levels);
    }
  }
  ImageFile paletted;
  paletted.storedFormat = D3DFMT_P8;
  paletted.info = {1, 1, 1, 1, D3DFMT_P8, D3DRTYPE_TEXTURE, D3DXIFF_DDS};
  paletted.levels = {{{0}}};
  EXPECT_FALSE(EncodeDds(paletted).has_value());
}

const std::vector<uint8_t> kHuffmanMarker = {0xFF, 0xC4};

TEST(D3dxImageFile, RefusesDamagedFiles) {
  ImageFile image;
  image.info = {4, 4, 1, 1, D3DFMT_A8R8G8B8, D3DRTYPE_TEXTURE, D3DXIFF_DDS};
  image.storedFormat = D3DFMT_A8R8G8B8;
  image.levels = {{std::vector<uint8_t>(64, 7)}};
  std::vector<uint8_t> dds = *EncodeDds(image);
  const size_t kMipCountOffset = 28, kWidthOffset = 16, kCaps2Offset = 112;

  auto patched = [&dds](size_t offset, uint32_t value) {
    std::vector<uint8_t> copy = dds;
    for (int i = 0; i < 4; ++i) copy[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return copy;
  };
  std::vector<uint8_t> truncated(dds.begin(), dds.end() - 1);
  // A Huffman table of more than 256 codes is refused; an empty first image-data chunk is allowed
  // and the picture is read on from the next one.
  std::vector<uint8_t> jpeg = d3dx_test::EncodeJpeg(d3dx_test::Picture(8, 8), 90);
  auto table = std::search(jpeg.begin(), jpeg.end(), kHuffmanMarker.begin(), kHuffmanMarker.end());
  ASSERT_NE(jpeg.end(), table);
  std::fill_n(table + 5, 16, uint8_t{255});
  std::vector<uint8_t> emptyData = d3dx_test::EncodePng(d3dx_test::Picture(4, 4));
  const uint8_t kImageDataType[] = {'I', 'D', 'A', 'T'};
  auto data = std::search(emptyData.begin(), emptyData.end(), std::begin(kImageDataType),
                          std::end(kImageDataType));
  ASSERT_NE(emptyData.end(), data);
  const uint8_t kEmptyChunk[] = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
  emptyData.insert(data - 4, std::begin(kEmptyChunk), std::end(kEmptyChunk));
  std::vector<uint8_t> png = d3dx_test::EncodePng(d3dx_test::Picture(4, 4));
  std::vector<uint8_t> cutPng(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
  const std::vector<uint8_t> refused[] = {
      truncated,
      patched(kMipCountOffset, 4),  // more levels than the data holds
      patched(kMipCountOffset, 9),  // more levels than a 4x4 chain has
      patched(kWidthOffset, 0),     // no pixels
      patched(kWidthOffset, kMaxImageSide + 1),
      patched(kCaps2Offset, 0x200 | 0x400),  // a cube map with one face
      patched(kCaps2Offset, 0x200000),       // a volume
      cutPng,
      jpeg,
      {},
      {'B', 'M', 0, 0},
  };
  for (size_t i = 0; i < std::size(refused); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(DecodeImageFile(refused[i]).has_value());
  }
  EXPECT_TRUE(DecodeImageFile(dds).has_value());
  auto split = DecodeImageFile(emptyData);
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(d3dx_test::Picture(4, 4).pixels, ReadPixels(split->View(0, 0), nullptr)->pixels);
}

}  // namespace
