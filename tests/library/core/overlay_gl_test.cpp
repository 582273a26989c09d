// Pixel tests of the overlay families on the OpenGL device, surfaceless (Mesa's software
// rasteriser in CI): text, the frame-rate display, textured quads and outlines as they are drawn.
// Each test writes its picture as a PNG file into the build folder, to be looked at.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3d/gl.h"
#include "tests/library/core/gl_library_device.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

constexpr UINT kWidth = 256;
constexpr UINT kHeight = 128;
constexpr int kTolerance = 3;  // per channel, for rounding in the rasteriser

int Channel(D3DCOLOR color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

::testing::AssertionResult Near(D3DCOLOR actual, D3DCOLOR expected) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > kTolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

class OverlayPixels : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kWidth, kHeight, &device_, &direct3d_), D3D_OK)
        << "no OpenGL device: " << GlDeviceError();
    Viewport_SetBackground(0, 0xFF000000);
    ASSERT_EQ(Viewport_Clear(0, 0), 1);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      TextureFactory_SetTextureMode(0);  // the formats at load, for a test that changed them
      device_->EndScene();
      EXPECT_TRUE(ShutDownAndRelease());
    }
    LibraryTest::TearDown();
  }

  // The back buffer's pixels, also written as a PNG file named after the test.
  std::vector<D3DCOLOR> Picture() {
    IDirect3DSurface8* backBuffer = nullptr;
    device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<D3DCOLOR> pixels(kWidth * kHeight);
    for (UINT y = 0; y < kHeight; ++y) {
      std::memcpy(&pixels[y * kWidth], static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch,
                  kWidth * 4);
    }
    backBuffer->UnlockRect();
    backBuffer->Release();
    std::vector<uint8_t> rgb;
    for (D3DCOLOR pixel : pixels) {
      rgb.insert(rgb.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                             static_cast<uint8_t>(pixel)});
    }
    std::filesystem::create_directories(MAROVIN_PICTURES);
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string file = std::string(MAROVIN_PICTURES) + "/" + name + ".png";
    EXPECT_NE(stbi_write_png(file.c_str(), kWidth, kHeight, 3, rgb.data(), kWidth * 3), 0);
    return pixels;
  }

  static D3DCOLOR At(const std::vector<D3DCOLOR>& pixels, UINT x, UINT y) {
    return pixels[y * kWidth + x] & 0x00FFFFFF;
  }
};

// The string as FreeType itself draws it with the face fontconfig gives for the name: glyphs on
// whole-pixel advances from the pen, the baseline one ascent below the top; coverage 0..255.
std::vector<uint8_t> FreeTypeText(const char* face, int emPixels, const char* text, int left,
                                  int top) {
  std::vector<uint8_t> coverage(kWidth * kHeight, 0);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* path = nullptr;
  EXPECT_EQ(FcPatternGetString(match, FC_FILE, 0, &path), FcResultMatch);
  FT_Library library = nullptr;
  FT_Init_FreeType(&library);
  FT_Face ftFace = nullptr;
  EXPECT_EQ(FT_New_Face(library, reinterpret_cast<const char*>(path), 0, &ftFace), 0);
  FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(emPixels));
  const int baseline = top + static_cast<int>((ftFace->size->metrics.ascender + 63) >> 6);
  int pen = left;
  for (const char* at = text; *at != '\0'; ++at) {
    FT_Load_Char(ftFace, static_cast<FT_ULong>(static_cast<uint8_t>(*at)), FT_LOAD_RENDER);
    const FT_GlyphSlot slot = ftFace->glyph;
    for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
      for (unsigned column = 0; column < slot->bitmap.width; ++column) {
        const int x = pen + slot->bitmap_left + static_cast<int>(column);
        const int y = baseline - slot->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= static_cast<int>(kWidth) || y >= static_cast<int>(kHeight))
          continue;
        uint8_t& value = coverage[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
        value = std::max(
            value, slot->bitmap.buffer[row * static_cast<unsigned>(slot->bitmap.pitch) + column]);
      }
    }
    pen += static_cast<int>((slot->advance.x + 32) >> 6);
  }
  FT_Done_Face(ftFace);
  FT_Done_FreeType(library);
  return coverage;
}

// How far the drawn white-on-black text is from FreeType's: the mean difference of brightness over
// the band, and the share of FreeType's ink pixels (coverage above one half) drawn dark.
struct TextMatch {
  double meanDifference = 0;  // 0..255
  double missedInk = 0;       // 0..1
  int ink = 0;
};

TextMatch Compare(const std::vector<D3DCOLOR>& pixels, const std::vector<uint8_t>& reference,
                  UINT top, UINT bottom) {
  TextMatch match;
  double difference = 0;
  int missed = 0;
  for (UINT y = top; y < bottom; ++y) {
    for (UINT x = 0; x < kWidth; ++x) {
      const int drawn = Channel(pixels[y * kWidth + x], 8);
      const int expected = reference[y * kWidth + x];
      difference += std::abs(drawn - expected);
      if (expected > 128) {
        ++match.ink;
        if (drawn < 64) ++missed;
      }
    }
  }
  match.meanDifference = difference / ((bottom - top) * kWidth);
  match.missedInk = match.ink > 0 ? static_cast<double>(missed) / match.ink : 1.0;
  return match;
}

constexpr const char* kLine = "Lunar Module 1969";

TEST_F(OverlayPixels, TextureAndPlainFontsDrawWhatFreeTypeDraws) {
  const int32_t texture = TextureFont_Create("texture", "DejaVu Sans", 12, 0);
  const int32_t plain = NormalFont_Create("plain", "DejaVu Sans", 12, 0, 0, 0);
  ASSERT_NE(texture * plain, 0);
  ASSERT_EQ(TextureFont_Render(texture, 10, 10, kLine, 0xFFFFFFFF), 1);
  ASSERT_EQ(NormalFont_Render(plain, 10, 50, kLine, 0xFFFFFFFF), 1);
  const std::vector<D3DCOLOR> pixels = Picture();
  // 12 points at 96 dots per inch: a 16-pixel em.
  const auto expectedTexture = FreeTypeText("DejaVu Sans", 16, kLine, 10, 10);
  const auto expectedPlain = FreeTypeText("DejaVu Sans", 16, kLine, 10, 50);
  const TextMatch textureMatch = Compare(pixels, expectedTexture, 5, 35);
  const TextMatch plainMatch = Compare(pixels, expectedPlain, 45, 75);
  for (const TextMatch& match : {textureMatch, plainMatch}) {
    EXPECT_GT(match.ink, 150);
    EXPECT_LT(match.meanDifference, 1.5);  // the texture font keeps 16 levels of coverage
    EXPECT_LT(match.missedInk, 0.01);
  }
}

TEST_F(OverlayPixels, TheFrameRateIsRedInTheTopLeftCorner) {
  ASSERT_EQ(TextureFactory_WriteFrameRate(60), 1);
  const std::vector<D3DCOLOR> pixels = Picture();
  int red = 0;
  for (UINT y = 0; y < kHeight; ++y) {
    for (UINT x = 0; x < kWidth; ++x) {
      const D3DCOLOR pixel = At(pixels, x, y);
      if (pixel == 0) continue;
      EXPECT_TRUE(x >= 5 && x < 67 && y >= 5 && y < 19) << "drawn at " << x << ", " << y;
      EXPECT_EQ(pixel & 0x00FFFF, 0u) << "not red at " << x << ", " << y;
      if (Channel(pixel, 16) > 200) ++red;
    }
  }
  EXPECT_GT(red, 80);
  // The glyph image is sampled between texels, filtered: full red where a stroke is two texels
  // thick both ways. The 6's top bar and left stem, and the S's top bar; the 6's corner is dark.
  EXPECT_TRUE(Near(At(pixels, 10, 6), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 7, 10), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 63, 6), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 6, 5), 0x000000));
}

TEST_F(OverlayPixels, ATextureDrawnOneToOnePutsEachTexelOnItsPixel) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  D3DCOLOR texels[16];
  for (UINT i = 0; i < 16; ++i) {
    texels[i] = 0xFF000000 | (i * 16 + 15) << 16 | (255 - i * 16) << 8 | (i % 2 == 0 ? 0xFF : 0);
    reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + (i / 4) * locked.Pitch)[i % 4] =
        texels[i];
  }
  texture->UnlockRect(0);
  const int32_t identifier = TextureFactory_GetNewTextureId();
  ASSERT_EQ(TextureFactory_SetTextureData(identifier, &texture), 1);
  texture->Release();
  Screen2D_Start();
  Screen2D_DrawTexture(20, 30, 24, 34, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 1, 1,
                       identifier);
  Screen2D_End();
  const std::vector<D3DCOLOR> pixels = Picture();
  for (UINT i = 0; i < 16; ++i) {
    EXPECT_TRUE(Near(At(pixels, 20 + i % 4, 30 + i / 4), texels[i] & 0xFFFFFF)) << "texel " << i;
  }
  EXPECT_TRUE(Near(At(pixels, 19, 30), 0));
  EXPECT_TRUE(Near(At(pixels, 24, 33), 0));
  EXPECT_TRUE(Near(At(pixels, 20, 34), 0));
}

TEST_F(OverlayPixels, BoxesLinesAndCircleRimsLandOnTheirPixels) {
  Screen2D_Start();
  Screen2D_DrawFilledBox(10, 10, 30, 20, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF);
  Screen2D_DrawBox(40, 10, 60, 30, 0xFF00FF00);
  Screen2D_DrawLine(70, 15, 100, 15, 0xFFFF0000, 0xFFFF0000);
  Screen2D_DrawCircle(150, 60, 30, 64, 0xFFFFFF00);
  Screen2D_End();
  const std::vector<D3DCOLOR> pixels = Picture();
  // The filled box covers the pixels from its first corner up to, not including, its second.
  EXPECT_TRUE(Near(At(pixels, 10, 10), 0x0000FF));
  EXPECT_TRUE(Near(At(pixels, 29, 19), 0x0000FF));
  EXPECT_TRUE(Near(At(pixels, 30, 15), 0));
  EXPECT_TRUE(Near(At(pixels, 20, 20), 0));
  // The outline's four sides, and nothing inside it.
  EXPECT_TRUE(Near(At(pixels, 50, 10), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 50, 30), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 40, 20), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 60, 20), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 50, 20), 0));
  EXPECT_TRUE(Near(At(pixels, 85, 15), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 85, 16), 0));
  // The rim at its right, bottom, left and top; the centre stays black.
  EXPECT_TRUE(Near(At(pixels, 180, 60), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 150, 90), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 120, 60), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 150, 30), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 150, 60), 0));
}

}  // namespace

// What the 2D panels rely on, with the blending the engine sets for its 2D batches: texels that a
// colour key or the file's own alpha clears show what lies beneath, in the 16- and 32-bit modes
// and when the load scales the picture. The code key asks for the alpha format and keys nothing,
// so its colour in a file without alpha stays as opaque as the frame round it.
TEST_F(OverlayPixels, ClearTexelsOfAKeyOrOfTheFilesAlphaShowWhatLiesBeneath) {
  constexpr D3DCOLOR kCodeKey = 0xFFFAFFAC;
  constexpr D3DCOLOR kFrame = 0xFF405060;
  constexpr D3DCOLOR kBeneath = 0xFFFF0000;
  struct Case {
    const char* file;
    D3DCOLOR inside;
    D3DCOLOR key;
    int32_t mode;
    int32_t side;  // of the load, -1 for the file's own
    D3DCOLOR seen;
  } const cases[] = {{"black.bmp", 0xFF000000, 0xFF000000, 0, -1, kBeneath},
                     {"black.bmp", 0xFF000000, 0xFF000000, 1, -1, kBeneath},
                     {"clear.png", 0x00FAFFAC, kCodeKey, 0, -1, kBeneath},
                     {"clear.png", 0x00FAFFAC, kCodeKey, 1, -1, kBeneath},
                     {"clear.png", 0x00FAFFAC, kCodeKey, 1, 64, kBeneath},
                     {"code.bmp", kCodeKey, kCodeKey, 1, -1, kCodeKey}};
  constexpr int kSide = 8;
  for (const Case& c : cases) {
    const std::string name = std::to_string(&c - cases) + c.file;
    std::vector<uint8_t> bytes;  // RGBA, or RGB for a BMP file
    const bool png = std::string_view(c.file).ends_with(".png");
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const bool edge = x == 0 || y == 0 || x == kSide - 1 || y == kSide - 1;
        const D3DCOLOR texel = edge ? kFrame : c.inside;
        for (int shift : {16, 8, 0, 24})
          if (png || shift != 24) bytes.push_back(static_cast<uint8_t>(texel >> shift));
      }
    }
    const std::string path = (Folder() / name).string();
    ASSERT_NE(png ? stbi_write_png(path.c_str(), kSide, kSide, 4, bytes.data(), kSide * 4)
                  : stbi_write_bmp(path.c_str(), kSide, kSide, 3, bytes.data()),
              0);
    TextureFactory_SetTextureMode(c.mode);
    const int32_t texture = TextureFactory_LoadTextureFromFile(
        path.c_str(), name.c_str(), c.side, c.side, static_cast<int32_t>(c.key), 0, 0);
    ASSERT_NE(texture, 0) << name;
    ASSERT_EQ(Viewport_Clear(0, 0), 1);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (D3DTEXTURESTAGESTATETYPE op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP})
      device_->SetTextureStageState(0, op, D3DTOP_MODULATE);
    Screen2D_Start();
    Screen2D_DrawFilledBox(0, 0, 64, 64, kBeneath, kBeneath, kBeneath, kBeneath);
    Screen2D_DrawTexture(0, 0, 64, 64, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 1, 1,
                         texture);
    Screen2D_End();
    const std::vector<D3DCOLOR> pixels = Picture();
    // The 16-bit formats keep four bits of each colour.
    const D3DCOLOR frame = c.mode == 0 ? 0x445566 : kFrame & 0xFFFFFF;
    EXPECT_TRUE(Near(At(pixels, 2, 2), frame)) << name;
    EXPECT_TRUE(Near(At(pixels, 32, 32), c.seen & 0xFFFFFF)) << name;
    TextureFactory_DeleteTexture(texture);
  }
}
