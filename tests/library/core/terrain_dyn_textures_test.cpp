// Dynamic terrain textures on the headless device: the render surfaces made for the chunks, the
// painting the draw records show, their files, and their pictures across a device reset.
#include <filesystem>

#include "platform/d3dx/math.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

struct PaintVertex {  // the 2D queue's vertex
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};

class TerrainDynTextures : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
    ASSERT_EQ(Terrain_Create(0), 0);
    ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 2, 1, 0, 0), 0);
    red_ = Texture("red", 0xFFFF0000);
    green_ = Texture("green", 0xFF00FF00);
    Terrain_SetTexture(0, red_, -1);
  }

  int32_t Texture(const std::string& name, uint32_t colour) {
    return TextureFactory_LoadTextureFromFile(WriteBmp(name + ".bmp", 8, 8, colour).c_str(),
                                              name.c_str(), 0, 0, 0, 0, 0);
  }

  IDirect3DSurface8* SurfaceOf(int32_t identifier) const {
    IDirect3DTexture8* texture = nullptr;
    TextureFactory_GetDXTexture(identifier, &texture);
    IDirect3DSurface8* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    surface->Release();  // the texture keeps it
    return surface;
  }

  // The painting quads drawn since the last look, as (render target, texture, first corner, last).
  struct Paint {
    IDirect3DSurface8* target;
    IDirect3DBaseTexture8* texture;
    PaintVertex first, last;
  };
  std::vector<Paint> Paints() {
    std::vector<Paint> paints;
    for (const DrawRecord& draw : Control()->Draws()) {
      if (draw.call != DrawCall::PrimitiveUP) continue;
      const auto* vertices = reinterpret_cast<const PaintVertex*>(draw.vertices.data());
      paints.push_back({draw.renderTarget, draw.textures[0], vertices[0], vertices[5]});
    }
    Control()->ClearDraws();
    return paints;
  }

  IDirect3DBaseTexture8* DX(int32_t identifier) const {
    IDirect3DTexture8* texture = nullptr;
    TextureFactory_GetDXTexture(identifier, &texture);
    return texture;
  }

  int32_t red_ = 0;
  int32_t green_ = 0;
};

TEST_F(TerrainDynTextures, ChunkSurfacesTakeTheirTexturesAndThePaintingLandsWhereItIsAimed) {
  Control()->ClearDraws();
  ASSERT_EQ(Terrain_CreateDynTextures(0, 64, 64, 1), 1);
  EXPECT_TRUE(Logged("LANDSCAPE : Creating dynamic texture (64x64)"));
  EXPECT_TRUE(Logged("LANDSCAPE : Dynamic Textures successfully created !"));
  const int32_t first = Terrain_GetTexture(0, 0), second = Terrain_GetTexture(0, 1);
  ASSERT_NE(first, red_);
  ASSERT_NE(first, second);
  // Each surface cleared to opaque black, then the chunk's texture copied over it whole.
  std::vector<Paint> paints = Paints();
  ASSERT_EQ(paints.size(), 2u);
  EXPECT_EQ(paints[0].target, SurfaceOf(first));
  EXPECT_EQ(paints[0].texture, DX(red_));
  EXPECT_EQ(std::vector<float>({paints[0].last.x, paints[0].last.y, paints[0].last.u}),
            (std::vector<float>{63.5f, 63.5f, 0.999f}));

  // World x 300..364, z 64..128 lies in the second chunk: 64 texels over its 256 units.
  ASSERT_EQ(Terrain_DynDrawTexture(0, green_, 300, 64, 364, 128, 0x80FFFFFF, 1, 0, 0, 0, 0, 0), 1);
  paints = Paints();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_EQ(paints[0].target, SurfaceOf(second));
  EXPECT_EQ(paints[0].texture, DX(green_));
  EXPECT_EQ(std::vector<float>(
                {paints[0].first.x, paints[0].first.y, paints[0].last.x, paints[0].last.y}),
            (std::vector<float>{10.5f, 15.5f, 26.5f, 31.5f}));
  EXPECT_EQ(paints[0].first.colour, 0x80FFFFFFu);
  EXPECT_FLOAT_EQ(paints[0].first.u, 0.002f);
  // Across the seam both chunks are painted; beyond the terrain neither; custom coordinates.
  ASSERT_EQ(Terrain_DynDrawTexture(0, green_, 200, 0, 300, 100, -1, 0, 1, 0.5f, 0.25f, 1, 0), 1);
  paints = Paints();
  ASSERT_EQ(paints.size(), 2u);
  // In the second chunk the rectangle runs from texel -14 to 11: u = texel x 0.5 + 1.
  EXPECT_EQ(std::vector<float>({paints[1].first.u, paints[1].last.u, paints[1].last.v}),
            (std::vector<float>{-6, 6.5f, 6.25f}));
  ASSERT_EQ(Terrain_DynDrawTexture(0, green_, 600, 0, 700, 100, -1, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_TRUE(Paints().empty());
  // Painting keeps to its own 2D batch.
  Screen2D_Start();
  EXPECT_EQ(Terrain_DynDrawTexture(0, green_, 300, 64, 364, 128, -1, 0, 0, 0, 0, 0, 0), 0);
  Screen2D_End();

  // Saved and loaded again as the chunks' textures.
  const std::string base = (Folder() / "painted").string();
  ASSERT_EQ(Terrain_SaveDynTextures(0, base.c_str()), 1);
  EXPECT_TRUE(std::filesystem::exists(Folder() / "painted1.bmp"));
  const size_t objects = Control()->LiveObjectCount();
  ASSERT_EQ(Terrain_DestroyDynTextures(0, 1), 1);
  EXPECT_EQ(Terrain_GetTexture(0, 1), 0);
  EXPECT_LT(Control()->LiveObjectCount(), objects);
  ASSERT_EQ(Terrain_LoadDynTexture(0, base.c_str(), 0, 0), 1);
  EXPECT_EQ(Terrain_GetTexture(0, 1), TextureFactory_GetTextureIDByName("DynTex1"));
}

TEST_F(TerrainDynTextures, TheExpandedSurfaceIsPaintedInTerrainUnits) {
  ASSERT_EQ(Terrain_CreateDynExpandTexture(0, 128, 64, 1), 1);
  EXPECT_TRUE(Logged("LANDSCAPE : Successfully created the dynamic expanded texture."));
  const int32_t surface = Terrain_GetTexture(0, 0);
  EXPECT_EQ(Terrain_GetTexture(0, 1), surface);
  Paints();
  // 128 texels over the terrain's 512 units, 64 over its 256.
  ASSERT_EQ(Terrain_DynDrawTexture(0, green_, 256, 0, 512, 128, -1, 0, 0, 0, 0, 0, 0), 1);
  std::vector<Paint> paints = Paints();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_EQ(paints[0].target, SurfaceOf(surface));
  EXPECT_EQ(std::vector<float>(
                {paints[0].first.x, paints[0].first.y, paints[0].last.x, paints[0].last.y}),
            (std::vector<float>{63.5f, -0.5f, 127.5f, 31.5f}));
  EXPECT_EQ(Terrain_DynDrawTexture(0, green_, -100, 0, -50, 10, -1, 0, 0, 0, 0, 0, 0), 0);
  // Kept as an ordinary texture when not deleted.
  ASSERT_EQ(Terrain_DestroyDynTextures(0, 0), 1);
  EXPECT_EQ(Terrain_GetTexture(0, 0), surface);
  EXPECT_EQ(Terrain_DynDrawTexture(0, green_, 256, 0, 512, 128, -1, 0, 0, 0, 0, 0, 0), 0);
}

TEST_F(TerrainDynTextures, APaintedPictureSurvivesADeviceReset) {
  ASSERT_EQ(Terrain_CreateDynTextures(0, 16, 16, 0), 1);
  IDirect3DTexture8* texture = static_cast<IDirect3DTexture8*>(DX(Terrain_GetTexture(0, 0)));
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  static_cast<D3DCOLOR*>(locked.pBits)[5] = 0xFF123456;
  texture->UnlockRect(0);
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(TextureFactory_OnLostAll(), 1);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  ASSERT_EQ(TextureFactory_OnResetAll(), 1);
  texture = static_cast<IDirect3DTexture8*>(DX(Terrain_GetTexture(0, 0)));
  EXPECT_EQ(Pixels(texture).At(5, 0), 0xFF123456u);
  EXPECT_EQ(Pixels(texture).At(0, 0), 0xFF000000u);
}

TEST_F(TerrainDynTextures, ATerrainWithoutChunksHasNoDynamicTextures) {
  ASSERT_EQ(Terrain_Create(1), 1);
  EXPECT_EQ(Terrain_CreateDynTextures(1, 64, 64, 0), 0);
  EXPECT_TRUE(
      Logged("LANDSCAPE : Terrain_CreateDynTextures : Couldn't create dynamic textures "
             "since the terrain is empty"));
  EXPECT_EQ(Terrain_CreateDynExpandTexture(1, 64, 64, 0), 0);
  EXPECT_TRUE(Logged("LANDSCAPE : Couldn't create expanded texture on a non-existing terrain."));
  EXPECT_EQ(Terrain_LoadDynTexture(1, "x", 0, 0), 0);
  EXPECT_TRUE(Logged(
      "LANDSCAPE : Terrain_LoadDynTexture : Couldn't load the textures in a EMPTY landscape"));
  EXPECT_EQ(Terrain_DynDrawTexture(1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(Terrain_SaveDynTextures(5, "x"), 0);
}

}  // namespace
