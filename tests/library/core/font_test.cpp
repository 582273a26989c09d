#include <algorithm>
#include <string>

#include "platform/win/gdi_text.h"
#include "tests/library/core/overlay_fixture.h"

namespace {

using namespace d3d;
using Fonts = OverlayTest;
using FontSides = LibraryTest;

constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct WorldVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};

UINT PrimitivesOf(const std::vector<DrawRecord>& draws) {
  UINT primitives = 0;
  for (const DrawRecord& draw : draws) primitives += draw.primitiveCount;
  return primitives;
}

int32_t GlyphSide(int32_t font) {
  TextureInfo info{};
  TextureFactory_GetTextureInfo(TextureFont_GetTexture(font), &info);
  return info.width;
}

TEST_F(FontSides, TheTextureSideFollowsTheSizeAndTheDevicesLimit) {
  struct Case {
    int32_t size;
    int32_t flags;
    DWORD largest;  // the device's largest texture side
    int32_t side;   // 0: refused
  };
  const Case cases[] = {
      {20, 0, 2048, 256},  {21, 0, 2048, 512}, {40, 0, 2048, 512},
      {41, 0, 2048, 1024}, {41, 0, 512, 512},  // rasterised at half the size, drawn at full size
      {20, 4, 2048, 512},  // the extended characters do not fit 256 texels: the side grows
  };
  float fullExtent[2] = {};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "size " << c.size << ", flags " << c.flags << ", largest " << c.largest);
    HeadlessConfig config;
    config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = c.largest;
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
    const int32_t font = TextureFont_Create("font", "DejaVu Sans", c.size, c.flags);
    ASSERT_EQ(font, 1);
    EXPECT_EQ(GlyphSide(font), c.side);
    float width = 0;
    float height = 0;
    TextureFont_GetExtent(font, "Moon", &width, &height);
    if (c.largest == 2048) {
      fullExtent[0] = width;
      fullExtent[1] = height;
    } else {
      EXPECT_NEAR(width, fullExtent[0], 3.0f);
      EXPECT_NEAR(height, fullExtent[1], 2.0f);
    }
    EXPECT_TRUE(ShutDownAndRelease());
  }
}

TEST_F(FontSides, GlyphsThatCannotFitAreRefused) {
  HeadlessConfig config;
  config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 256;
  ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
  EXPECT_EQ(TextureFont_Create("font", "DejaVu Sans", 20, 4), 0);
  EXPECT_EQ(TextureFont_GetFontFromName("font"), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FONT MANAGER : The glyphs of the font DejaVu Sans (size 20) need a texture "
             "larger than the device's 256x256"));
  EXPECT_EQ(TextureFactory_GetCount(), 2);  // the default bump texture alone: no glyph texture
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Fonts, GlyphsAreTheTextLayersCoverageAsAlphaNibbles) {
  const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 4);
  ASSERT_EQ(font, 1);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(TextureFactory_GetDXTexture(TextureFont_GetTexture(font), &texture), 1);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
  char name[512] = {};
  TextureFactory_GetTextureName(TextureFont_GetTexture(font), name);
  EXPECT_EQ(std::string(name),
            "TextureFont " + std::to_string(TextureFont_GetTexture(font)) + " (DejaVu Sans)");

  // The H: where the text layer draws it in a fresh cell, the texture holds its coverage's high
  // nibble as alpha over white; the quad covers that ink and a texel around it, no more.
  Control()->ClearDraws();
  ASSERT_EQ(TextureFont_Render(font, 0, 0, "H", 0xFFFFFFFF), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const std::vector<Vertex> quad = VerticesOf(Draws()[0]);
  ASSERT_EQ(quad.size(), 6u);
  const auto left = static_cast<int32_t>(quad[1].u * static_cast<float>(desc.Width) + 0.5f);
  const auto top = static_cast<int32_t>(quad[1].v * static_cast<float>(desc.Height) + 0.5f);
  const auto width = static_cast<int32_t>(quad[2].x - quad[0].x);
  const auto height = static_cast<int32_t>(quad[0].y - quad[1].y);
  const auto offsetX = static_cast<int32_t>(quad[1].x + 0.5f);  // from the pen
  const auto offsetY = static_cast<int32_t>(quad[1].y + 0.5f);
  constexpr int32_t kCell = 40;  // pixels, more than the H's cell
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HFONT same =
      win::CreateFontA(-16, 0, 0, 0, win::FW_NORMAL, 0, 0, 0, win::DEFAULT_CHARSET, 0, 0,
                       win::ANTIALIASED_QUALITY, win::VARIABLE_PITCH, "DejaVu Sans");
  win::BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(win::BITMAPINFOHEADER), kCell, -kCell, 1, 32, win::BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win::HBITMAP bitmap = win::CreateDIBSection(dc, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
  win::SelectObject(dc, bitmap);
  win::SelectObject(dc, same);
  win::SetTextColor(dc, win::RGB(255, 255, 255));
  win::SetBkColor(dc, win::RGB(0, 0, 0));
  win::ExtTextOutA(dc, 0, 0, win::ETO_OPAQUE, nullptr, "H", 1, nullptr);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto nibbleAt = [&](int32_t x, int32_t y) {
    return static_cast<uint16_t>((static_cast<const uint32_t*>(bits)[y * kCell + x] & 0xFF) >> 4);
  };
  int32_t opaque = 0;
  int32_t partial = 0;
  for (int32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint16_t*>(
        static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(top + y) * locked.Pitch);
    for (int32_t x = 0; x < width; ++x) {
      const uint16_t nibble = nibbleAt(offsetX + x, offsetY + y);
      const uint16_t expected = nibble == 0 ? 0 : static_cast<uint16_t>(nibble << 12 | 0x0FFF);
      ASSERT_EQ(row[left + x], expected) << x << ", " << y;
      opaque += nibble == 15 ? 1 : 0;
      partial += nibble > 0 && nibble < 15 ? 1 : 0;
    }
  }
  texture->UnlockRect(0);
  EXPECT_GT(opaque, 10);
  EXPECT_GT(partial, 0);
  int32_t inked = 0, border = 0;
  for (int32_t y = 0; y < kCell; ++y)
    for (int32_t x = 0; x < kCell; ++x) {
      const bool inside =
          x >= offsetX && x < offsetX + width && y >= offsetY && y < offsetY + height;
      const bool edge = inside && (x == offsetX || x == offsetX + width - 1 || y == offsetY ||
                                   y == offsetY + height - 1);
      if (nibbleAt(x, y) == 0) continue;
      inked += inside ? 0 : 1;
      border += edge ? 1 : 0;
    }
  EXPECT_EQ(inked, 0);   // no ink outside the quad
  EXPECT_EQ(border, 0);  // and a transparent texel around it
  win::DeleteObject(bitmap);
  win::DeleteObject(same);
  win::DeleteDC(dc);
}

TEST_F(Fonts, EveryCellLiesInsideItsTexture) {
  const int32_t font = TextureFont_Create("wide", "DejaVu Sans", 20, 4 | 1);
  ASSERT_NE(font, 0);
  std::string all;
  for (int character = 33; character <= 253; ++character) all += static_cast<char>(character);
  Control()->ClearDraws();
  TextureFont_Render(font, 0, 0, all.c_str(), 0xFFFFFFFF);
  ASSERT_FALSE(Draws().empty());
  for (const DrawRecord& draw : Draws()) {
    for (const Vertex& vertex : VerticesOf(draw)) {
      EXPECT_GE(vertex.u, 0.0f);
      EXPECT_LE(vertex.u, 1.0f);
      EXPECT_GE(vertex.v, 0.0f);
      EXPECT_LE(vertex.v, 1.0f);
    }
  }
  EXPECT_EQ(PrimitivesOf(Draws()), 2u * 220);  // every glyph but the blank no-break space
}

TEST_F(Fonts, ExtentsCountTheWidestLineAndEveryLine) {
  const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 0);
  float one = 0, lineHeight = 0, two = 0, twoLines = 0, empty = 0, emptyHeight = 0;
  ASSERT_EQ(TextureFont_GetExtent(font, "abc", &one, &lineHeight), 1);
  TextureFont_GetExtent(font, "ab\nabc", &two, &twoLines);
  TextureFont_GetExtent(font, "", &empty, &emptyHeight);
  EXPECT_GT(one, 0.0f);
  EXPECT_EQ(two, one);
  EXPECT_EQ(twoLines, 2 * lineHeight);
  EXPECT_EQ(empty, 0.0f);
  EXPECT_EQ(emptyHeight, lineHeight);
  EXPECT_EQ(lineHeight, 19.0f);  // DejaVu Sans' cell at 12 points, 16 pixels
  // The drawn glyphs span exactly the extent.
  Control()->ClearDraws();
  TextureFont_Render(font, 100, 50, "abc", 0xFFFFFFFF);
  float left = 1e9f, right = -1e9f;
  for (const Vertex& vertex : VerticesOf(Draws().at(0))) {
    left = std::min(left, vertex.x);
    right = std::max(right, vertex.x);
  }
  EXPECT_FLOAT_EQ(right - left, one);

  const int32_t plain = NormalFont_Create("plain", "DejaVu Sans", 12, 0, 0, 0);
  float width = 1, height = 1;
  EXPECT_EQ(TextureFont_GetExtent(plain, "abc", &width, &height), 1);
  EXPECT_EQ(width + height, 0.0f);
  EXPECT_EQ(TextureFont_GetExtent(99, "abc", &width, &height), 0);
}

TEST_F(Fonts, InsideABatchTextIsQueuedAndDrawnInItsPlace) {
  const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 0);
  const int32_t plain = NormalFont_Create("plain", "DejaVu Sans", 12, 1, 0, 0);
  IDirect3DTexture8* glyphs = nullptr;
  TextureFactory_GetDXTexture(TextureFont_GetTexture(font), &glyphs);
  Control()->ClearDraws();
  Screen2D_Start();
  Quad(0, first_);
  EXPECT_EQ(TextureFont_Render(font, 10, 10, "ab", 0xFFFFFFFF), 0);
  Quad(10, first_);
  EXPECT_EQ(NormalFont_Render(plain, 10, 40, "cd", 0xFF00FF00), 0);
  EXPECT_TRUE(Draws().empty());
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 4u);
  EXPECT_EQ(Draws()[0].textures[0], textures_[first_]);
  EXPECT_EQ(Draws()[1].textures[0], glyphs);
  EXPECT_EQ(Draws()[1].primitiveCount, 4u);
  EXPECT_EQ(Draws()[1].call, DrawCall::Primitive);
  // The quad after the text has its own texture again.
  EXPECT_EQ(Draws()[2].textures[0], textures_[first_]);
  EXPECT_EQ(Draws()[3].primitiveCount, 4u);
  EXPECT_EQ(VerticesOf(Draws()[3])[0].color, 0xFF00FF00u);

  // Texts alone are drawn too; one past 1023 characters is cut there.
  Control()->ClearDraws();
  Screen2D_Start();
  const std::string longText(2000, 'a');
  TextureFont_Render(font, 0, 0, longText.c_str(), 0xFFFFFFFF);
  Screen2D_End();
  EXPECT_EQ(PrimitivesOf(Draws()), 2u * 1023);

  // Outside a batch the text is drawn at once, in batches of 100 triangles.
  Control()->ClearDraws();
  EXPECT_EQ(TextureFont_Render(font, 0, 0, std::string(120, 'x').c_str(), 0xFFFFFFFF), 1);
  std::vector<UINT> counts;
  for (const DrawRecord& draw : Draws()) counts.push_back(draw.primitiveCount);
  EXPECT_EQ(counts, (std::vector<UINT>{100, 100, 40}));
  DWORD zFunc = 0;
  device_->GetRenderState(D3DRS_ZFUNC, &zFunc);
  EXPECT_EQ(zFunc, D3DCMP_LESS);
}

TEST_F(Fonts, IdentifiersStartAtOneAndFailuresLeaveNoRecord) {
  EXPECT_EQ(TextureFont_Render(1, 0, 0, "x", 0xFFFFFFFF), 0);
  EXPECT_EQ(Font_Render(0, 0, 0, "x", 0xFFFFFFFF, 0), 0);
  EXPECT_EQ(TextureFont_Create("body", "DejaVu Sans", 12, 0), 1);
  EXPECT_EQ(NormalFont_Create("Plain", "No Such Face", 10, 0, 1, 7), 2);
  EXPECT_EQ(TextureFont_GetFontFromName("PLAIN"), 2);
  EXPECT_EQ(TextureFont_GetFontFromName("missing"), 0);
  EXPECT_TRUE(Logged("FONT MANAGER : Couldn't find the font 'missing' in the font factory."));
  EXPECT_EQ(TextureFont_GetTexture(2), 0);
  EXPECT_EQ(TextureFont_Render(2, 0, 0, "x", 0xFFFFFFFF), 1);  // a plain font: nothing drawn
  EXPECT_EQ(NormalFont_Render(1, 0, 0, "x", 0xFFFFFFFF), 0);
  EXPECT_EQ(NormalFont_Render(2, 0, 0, nullptr, 0xFFFFFFFF), 0);
  EXPECT_EQ(NormalFont_Render(2, 0, 0, "x", 0xFFFFFFFF), 1);
  EXPECT_EQ(TextureFont_Render3D(2, nullptr, "x", 0xFFFFFFFF), 0);

  EXPECT_EQ(TextureFont_Unload(), 1);
  EXPECT_TRUE(Logged("FONT MANAGER: Destroying texture  #1"));
  EXPECT_TRUE(Logged("FONT MANAGER: Destroying texture  #2"));
  EXPECT_EQ(TextureFont_GetFontFromName("body"), 0);
  EXPECT_EQ(TextureFont_Create("again", "DejaVu Sans", 12, 0), 1);
}

TEST_F(Fonts, ThreeDimensionalTextIsCentredOnTheOrigin) {
  const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 0);
  D3DMATRIX world{};
  for (int i = 0; i < 4; ++i) world.m[i][i] = 1.0f;
  Control()->ClearDraws();
  ASSERT_EQ(TextureFont_Render3DBillboard(font, &world, "Eagle", 3, 4, 5, 0xFFFFFFFF), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const DrawRecord& draw = Draws()[0];
  EXPECT_EQ(draw.fvf, kWorldFvf);
  const D3DMATRIX placed = draw.state.Transform(D3DTS_WORLD);
  EXPECT_EQ(placed.m[3][0], 3.0f);
  EXPECT_EQ(placed.m[3][2], 5.0f);
  std::vector<WorldVertex> vertices(draw.vertices.size() / sizeof(WorldVertex));
  std::memcpy(vertices.data(), draw.vertices.data(), vertices.size() * sizeof(WorldVertex));
  float width = 0, height = 0;
  TextureFont_GetExtent(font, "Eagle", &width, &height);
  float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
  for (const WorldVertex& vertex : vertices) {
    left = std::min(left, vertex.x);
    right = std::max(right, vertex.x);
    bottom = std::min(bottom, vertex.y);
    top = std::max(top, vertex.y);
  }
  EXPECT_NEAR(left, -right, 1e-4);
  EXPECT_NEAR(right - left, width / 10, 1e-4);  // ten pixels to the unit
  EXPECT_NEAR(bottom, -top, 1e-4);
  EXPECT_NEAR(top - bottom, height / 10, 1e-4);

  Control()->ClearDraws();
  TextureFont_Render3DBillboard2(font, &world, "E", 0, 0, 0, 0xFFFFFFFF, 2.0f, 3.0f);
  const D3DMATRIX scaled = Draws().at(0).state.Transform(D3DTS_WORLD);
  EXPECT_EQ(scaled.m[0][0], 2.0f);
  EXPECT_EQ(scaled.m[1][1], 3.0f);
  EXPECT_EQ(scaled.m[2][2], 3.0f);
}

TEST_F(Fonts, AFailedResetIsLoggedAndTheNextOneMendsIt) {
  const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 0);
  EXPECT_EQ(TextureFont_OnLostAll(), 1);
  Control()->ClearDraws();
  TextureFont_Render(font, 0, 0, "x", 0xFFFFFFFF);
  EXPECT_TRUE(Draws().empty());  // no buffer to draw from while the device is lost
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(TextureFont_OnResetAll(), 1);
  EXPECT_TRUE(Logged("FONT MANAGER : Couldn't reset the texture font #1"));
  EXPECT_EQ(TextureFont_OnResetAll(), 1);
  TextureFont_Render(font, 0, 0, "x", 0xFFFFFFFF);
  EXPECT_EQ(Draws().size(), 1u);
}

}  // namespace
