// BSP levels through the exported interface on the headless device: loading generated rooms,
// their atlases and texture lookups, the visibility set, the batches and both lightmap paths.
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/d3dx/math.h"
#include "platform/win/byte_reader.h"
#include "tests/library/core/archive_writers.h"
#include "tests/library/core/bsp_writer.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using bsp_test::Level;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr float kSide = 512;  // the atlas of a device whose textures reach 512 texels

struct Vertex {
  float x, y, z, nx, ny, nz, u, v, lightU, lightV;
};

class BspLevels : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
    MakeFolders();
  }
  void MakeFolders() const {
    std::filesystem::create_directories(Folder() / "maps");
    std::filesystem::create_directories(Folder() / "textures");
  }
  void TearDown() override {
    Archive_RemoveTempFiles();
    std::filesystem::current_path(previous_);
    LibraryTest::TearDown();
  }

  void Start(DWORD stages = 4, DWORD maxTexture = 2048) {
    HeadlessConfig config;
    config.caps.MaxSimultaneousTextures = stages;
    config.caps.MaxTextureWidth = maxTexture;
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  // A new level loaded from the file written for it; the load's result.
  int32_t Load(const Level& level, const std::string& folder = "", int32_t numbered = 0) {
    level_ = BSPSystem_Create();
    // Relative to the working folder, as packages name their files.
    Write("maps/room.bsp", bsp_test::Write(level));
    return BSPSystem_Load(level_, "maps/room.bsp", 0, 0, folder.c_str(), numbered);
  }

  // A camera at eye (file coordinates) looking along the file's direction, its frustum kept.
  static void LookFrom(bsp_test::Vec3 eye, bsp_test::Vec3 direction) {
    // The level's turn about x takes the file's (x, y, z) to the world's (-x, z, -y).
    const D3DXVECTOR3 from{{-eye.x, eye.z, -eye.y}};
    const D3DXVECTOR3 to{{from.x - direction.x, from.y + direction.z, from.z - direction.y}};
    const D3DXVECTOR3 up{{0, 1, 0}};
    D3DXMATRIX view, projection;
    d3dx::D3DXMatrixLookAtLH(&view, &from, &to, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, 1.2f, 1.0f, 1.0f, 10000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
  }

  const std::vector<DrawRecord>& Render() {
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(BSPSystem_RenderAll(), 1);
    device_->EndScene();
    return Control()->Draws();
  }

  static const Vertex& VertexOf(const DrawRecord& draw, size_t index) {
    return reinterpret_cast<const Vertex*>(draw.vertices.data())[index];
  }

  d3dx::ArgbImage Atlas(const DrawRecord& draw, DWORD stage = 1) const {
    return Pixels(static_cast<IDirect3DTexture8*>(draw.textures[stage]));
  }

  int32_t level_ = -1;

 private:
  std::filesystem::path previous_;
};

TEST_F(BspLevels, ABoxRoomLoadsItsFansCoordinatesAtlasAndBatches) {
  Start();
  WriteBmp("maps/Wall.bmp", 32, 32, 0xFF808080);
  WriteBmp("maps/Floor.bmp", 16, 16, 0xFF404040);
  ASSERT_EQ(Load(bsp_test::BoxRoom()), 1);
  EXPECT_TRUE(Logged("BSP SYSTEM 2 :    Num Faces : 6 "));
  EXPECT_TRUE(Logged("BSP SYSTEM 2 :    Num Leaves : 2"));
  EXPECT_TRUE(Logged("BSP SYSTEM 2 :    Num Lightmaps : 1"));
  EXPECT_TRUE(Logged("BSP SYSTEM 2 :    Num Entity parsed : 3"));

  LookFrom({64, 64, 64}, {1, 0, 0});
  const auto& draws = Render();
  // Floor and ceiling share a texture, the four walls the other.
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].primitive, D3DPT_TRIANGLELIST);
  EXPECT_EQ(std::vector<UINT>({draws[0].minIndex, draws[0].vertexCount, draws[0].startIndex,
                               draws[0].primitiveCount}),
            std::vector<UINT>({0, 8, 0, 4}));
  EXPECT_EQ(std::vector<UINT>({draws[1].minIndex, draws[1].vertexCount, draws[1].startIndex,
                               draws[1].primitiveCount}),
            std::vector<UINT>({8, 16, 12, 8}));
  EXPECT_EQ(draws[0].fvf, 0x212u);
  EXPECT_EQ(draws[0].stride, 40u);
  EXPECT_EQ(draws[0].indexFormat, D3DFMT_INDEX16);
  EXPECT_EQ(draws[0].indices.size(), 12u * 2);
  const auto* indices = reinterpret_cast<const uint16_t*>(draws[0].indices.data());
  EXPECT_EQ(std::vector<uint16_t>(indices, indices + 12),
            (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));

  // The floor's corner (128, 128, 0): x negated, the floor texture's size, the lightmap's last
  // texel centre in the first block of the atlas; the ceiling's first corner in the second block.
  const Vertex& corner = VertexOf(draws[0], 2);
  EXPECT_TRUE(Near({corner.x, corner.y, corner.z}, {-128, 128, 0}));
  EXPECT_TRUE(Near({corner.nx, corner.ny, corner.nz}, {0, 0, 1}));
  EXPECT_FLOAT_EQ(corner.u, 8);
  EXPECT_FLOAT_EQ(corner.v, 8);
  EXPECT_FLOAT_EQ(corner.lightU, 9.5f / kSide);
  EXPECT_FLOAT_EQ(corner.lightV, 9.5f / kSide);
  EXPECT_FLOAT_EQ(VertexOf(draws[0], 0).lightU, 1.5f / kSide);
  EXPECT_FLOAT_EQ(VertexOf(draws[0], 4).lightU, 12.5f / kSide);
  // A wall of the 32-texel texture: (0, 0, 128) has s = y = 0 and t = z = 128.
  EXPECT_FLOAT_EQ(VertexOf(draws[1], 3).v, 4);

  // Every block of 9 x 9 texels sits inside a frame repeating its edge, 11 cells apart.
  const d3dx::ArgbImage atlas = Atlas(draws[0]);
  ASSERT_EQ(atlas.width, 512u);
  for (uint32_t x : {0u, 1u, 9u, 10u, 11u, 65u}) EXPECT_EQ(atlas.At(x, 0), 0xFF804020u) << x;
  EXPECT_EQ(atlas.At(10, 10), 0xFF804020u);
  EXPECT_EQ(atlas.At(66, 0), 0u);
  EXPECT_EQ(atlas.At(0, 11), 0u);
  EXPECT_EQ(draws[0].textures[1], draws[1].textures[1]);
  EXPECT_NE(draws[0].textures[0], draws[1].textures[0]);

  // The single-pass stages: texture plus the ambient factor, times twice the lightmap.
  const FixedFunctionState& state = draws[0].state;
  EXPECT_EQ(state.stageStates[0][D3DTSS_COLOROP], DWORD{D3DTOP_ADD});
  EXPECT_EQ(state.stageStates[0][D3DTSS_COLORARG2], D3DTA_TFACTOR);
  EXPECT_EQ(state.renderStates[D3DRS_TEXTUREFACTOR], 0xFF202020u);
  EXPECT_EQ(state.stageStates[1][D3DTSS_COLOROP], DWORD{D3DTOP_MODULATE2X});
  EXPECT_EQ(state.stageStates[1][D3DTSS_TEXCOORDINDEX], 1u);
  EXPECT_EQ(state.renderStates[D3DRS_ALPHATESTENABLE], 1u);
  EXPECT_EQ(state.renderStates[D3DRS_ALPHAREF], 8u);
  EXPECT_EQ(state.renderStates[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(state.renderStates[D3DRS_CULLMODE], DWORD{D3DCULL_CCW});
  // Drawing leaves stage 0 as texture times diffuse and stage 1 off.
  IDirect3DDevice8* device = device_;
  DWORD op = 0;
  device->GetTextureStageState(0, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, DWORD{D3DTOP_MODULATE});
  device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, DWORD{D3DTOP_DISABLE});

  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(BspLevels, TexturesAreLookedUpInTheFolderNumberedThenInPackagesAndArchives) {
  Start();
  const auto textureOf = [this](const DrawRecord& draw) -> int32_t {
    for (int32_t id = 1; id < TextureFactory_GetCount(); ++id) {
      IDirect3DTexture8* texture = nullptr;
      TextureFactory_GetDXTexture(id, &texture);
      if (texture != nullptr && texture == draw.textures[0]) return id;
    }
    return 0;
  };
  LookFrom({64, 64, 64}, {1, 0, 0});
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string folder;
    int32_t numbered;
    const char* wallName;  // the texture record's name, or null for none
  };
  const std::vector<Case> cases = {
      {"the given folder", [this] { WriteBmp("textures/Wall.bmp", 32, 32, 0xFF00FF00); },
       (Folder() / "textures/").string(), 0, "Wall.bmp"},
      {"the level's folder", [this] { WriteBmp("maps/Wall.bmp", 32, 32, 0xFF00FF00); }, "", 0,
       "Wall.bmp"},
      {"numbered", [this] { WriteBmp("maps/0.bmp", 32, 32, 0xFF00FF00); }, "", 1, "0.bmp"},
      {"a package",
       [this] {
         WriteBmp("packed.bmp", 32, 32, 0xFF00FF00);
         std::vector<uint8_t> bytes = *win::ReadFileBytes(Folder() / "packed.bmp", 1 << 20);
         std::filesystem::remove(Folder() / "packed.bmp");
         Archive_OpenPak(
             Write("p.pak", archive_test::WritePak({{{"maps/Wall.bmp", bytes}}})).c_str());
       },
       "", 0, "Wall.bmp"},
      {"an archive",
       [this] {
         archive_test::WadTexture wall{"WALL", 4, 4, std::vector<uint8_t>(16, 0), {{9, 9, 9}}};
         WAD_Load(Write("w.wad", archive_test::WriteWad({{wall}})).c_str());
       },
       "", 0, "WAD_Wall"},
      {"nowhere", [] {}, "", 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    ASSERT_EQ(Load(bsp_test::BoxRoom(), c.folder, c.numbered), 1);
    const auto& draws = Render();
    ASSERT_EQ(draws.size(), 2u);
    const int32_t wall = textureOf(draws[1]);
    char name[512] = {};
    TextureFactory_GetTextureName(wall, name);
    if (c.wallName != nullptr) {
      EXPECT_NE(wall, 0);
      EXPECT_TRUE(std::string(name).ends_with(c.wallName)) << name;
    } else {
      EXPECT_EQ(draws[1].textures[0], nullptr);
      EXPECT_TRUE(Logged("BSP TREE MANAGER : Couldn't load the texture Wall"));
    }
    // The record is taken again by the next case, which must not inherit its folder.
    BSPSystem_Destroy(level_);
    TextureFactory_UnloadAll();
    Archive_CloseAll();
    WAD_CloseAll();
    Archive_RemoveTempFiles();
    std::filesystem::remove_all(Folder() / "maps");
    std::filesystem::remove_all(Folder() / "textures");
    MakeFolders();
  }
}

TEST_F(BspLevels, ATextureMissingWhenTheLevelWasCompiledDrawsWithNone) {
  Start();
  WriteBmp("maps/Floor.bmp", 16, 16, 0xFF00FF00);
  Level level = bsp_test::BoxRoom();
  level.textures[0].missing = true;  // the walls'
  ASSERT_EQ(Load(level), 1);
  LookFrom({64, 64, 64}, {1, 0, 0});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 2u);  // floor and ceiling, then the walls
  EXPECT_NE(draws[0].textures[0], nullptr);
  EXPECT_EQ(draws[1].textures[0], nullptr);
  EXPECT_FALSE(Logged("BSP TREE MANAGER : Couldn't load the texture "));
}

TEST_F(BspLevels, AFullAtlasStartsTheNextAtZeroAndATooLargeLightmapIsLeftOut) {
  // Textures of 256 texels: atlases of 256.
  Start(4, 256);
  Level level = bsp_test::BoxRoom();
  level.faces.clear();
  level.lighting.clear();
  level.markSurfaces.clear();
  // 254 x 200 texels fill the first atlas's rows so that 10 x 60 no longer fit below them; a
  // lightmap of 300 texels fits no atlas.
  const auto wide = [&level](float s, float t, bsp_test::Rgb light) {
    return bsp_test::AddFace(level, {{0, 0, 0}, {s, 0, 0}, {s, t, 0}, {0, t, 0}}, 5, light);
  };
  wide(253 * 16, 199 * 16, {10, 10, 10});
  wide(9 * 16, 59 * 16, {20, 20, 20});
  wide(299 * 16, 16, {30, 30, 30});
  for (uint16_t face = 0; face < 3; ++face) level.markSurfaces.push_back(face);
  level.leaves[1].markCount = 3;
  level.models[0].faceCount = 3;
  ASSERT_EQ(Load(level), 1);
  EXPECT_TRUE(Logged("BSP SYSTEM 2 :    Num Lightmaps : 2"));
  EXPECT_TRUE(
      Logged("BSP SYSTEM : The lightmap of face 2 is larger than a lightmap texture; the "
             "face is drawn without it."));
  BSPSystem_SetParameters(level_, 0, 1, 0);
  LookFrom({64, 64, 64}, {0, 0, -1});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_NE(draws[0].textures[1], draws[1].textures[1]);
  EXPECT_EQ(Atlas(draws[1]).At(0, 0), 0xFF141414u);
  EXPECT_FLOAT_EQ(VertexOf(draws[1], 0).lightU, 1.5f / 256);
  // The face without a lightmap draws its texture and the ambient share alone.
  EXPECT_EQ(draws[2].textures[1], nullptr);
  EXPECT_EQ(draws[2].state.stageStates[1][D3DTSS_COLOROP], DWORD{D3DTOP_DISABLE});
}

TEST_F(BspLevels, TheVisibilitySetLeavesTheOtherRoomUndrawnAndTheFrustumCullsLeaves) {
  Start();
  ASSERT_EQ(Load(bsp_test::TwoRooms()), 1);
  const auto drawnFaces = [](const std::vector<DrawRecord>& draws) {
    UINT faces = 0;
    for (const DrawRecord& draw : draws) faces += draw.primitiveCount / 2;
    return faces;
  };
  // From the first room looking at the second: only the first room's six faces.
  LookFrom({64, 64, 64}, {1, 0, 0});
  EXPECT_EQ(drawnFaces(Render()), 6u);
  EXPECT_EQ(Render().back().minIndex + Render().back().vertexCount, 24u);
  LookFrom({320, 64, 64}, {-1, 0, 0});
  EXPECT_EQ(drawnFaces(Render()), 6u);
  EXPECT_EQ(Render().front().minIndex, 24u);
  // Without the set both rooms are in view; looking away from the second culls it.
  BSPSystem_SetParameters(level_, 0, 1, 0);
  LookFrom({32, 64, 64}, {1, 0, 0});
  EXPECT_EQ(drawnFaces(Render()), 12u);
  LookFrom({100, 64, 64}, {-1, 0, 0});
  EXPECT_EQ(drawnFaces(Render()), 6u);
}

TEST_F(BspLevels, OneSimultaneousTextureDrawsTheLightmapsInASecondPass) {
  Start(1);
  ASSERT_EQ(Load(bsp_test::BoxRoom()), 1);
  LookFrom({64, 64, 64}, {1, 0, 0});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 4u);
  for (size_t pass = 0; pass < 2; ++pass) {
    const FixedFunctionState& state = draws[2 * pass].state;
    EXPECT_EQ(state.stageStates[1][D3DTSS_COLOROP], DWORD{D3DTOP_DISABLE});
    EXPECT_EQ(state.renderStates[D3DRS_ALPHABLENDENABLE], pass);
    EXPECT_EQ(state.renderStates[D3DRS_ZFUNC],
              pass == 0 ? DWORD{D3DCMP_LESSEQUAL} : DWORD{D3DCMP_EQUAL});
  }
  const FixedFunctionState& second = draws[2].state;
  EXPECT_EQ(second.renderStates[D3DRS_SRCBLEND], DWORD{D3DBLEND_DESTCOLOR});
  EXPECT_EQ(second.renderStates[D3DRS_DESTBLEND], DWORD{D3DBLEND_ZERO});
  EXPECT_EQ(second.stageStates[0][D3DTSS_COLOROP], DWORD{D3DTOP_SELECTARG1});
  EXPECT_EQ(second.stageStates[0][D3DTSS_TEXCOORDINDEX], 1u);
  EXPECT_EQ(Atlas(draws[2], 0).At(1, 1), 0xFF804020u);
  EXPECT_EQ(draws[2].minIndex, draws[0].minIndex);
  EXPECT_EQ(draws[3].primitiveCount, draws[1].primitiveCount);
  IDirect3DDevice8* device = device_;
  DWORD value = 0;
  device->GetRenderState(D3DRS_ZFUNC, &value);
  EXPECT_EQ(value, DWORD{D3DCMP_LESSEQUAL});
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
  EXPECT_EQ(value, 0u);
  // With the two-pass setting off the one stage draws the textures alone.
  BSPSystem_SetParameters(level_, 1, 0, 0);
  EXPECT_EQ(Render().size(), 2u);
}

TEST_F(BspLevels, OnlyLoadedEnabledLevelsAreDrawnAndBadIndicesAreRefused) {
  Start();
  const int32_t empty = BSPSystem_Create();
  const D3DXMATRIX identity{};
  EXPECT_EQ(BSPSystem_SetMatrix(empty, &identity.m[0][0]), 1);
  ASSERT_EQ(Load(bsp_test::BoxRoom()), 1);
  EXPECT_EQ(level_, empty + 1);
  LookFrom({64, 64, 64}, {1, 0, 0});
  EXPECT_EQ(Render().size(), 2u);  // the empty level in use draws nothing
  EXPECT_EQ(BSPSystem_Enable(level_, 0), 1);
  EXPECT_TRUE(Render().empty());
  EXPECT_EQ(BSPSystem_Enable(level_, 1), 1);
  // A turned level draws through its own matrix.
  D3DXMATRIX turn, lift;
  d3dx::D3DXMatrixRotationX(&turn, -1.5707964f);
  d3dx::D3DXMatrixTranslation(&lift, 0, 1, 0);
  d3dx::D3DXMatrixMultiply(&turn, &turn, &lift);
  ASSERT_EQ(BSPSystem_SetMatrix(level_, &turn.m[0][0]), 1);
  ASSERT_FALSE(Render().empty());
  EXPECT_EQ(std::memcmp(&Render()[0].state.transforms.at(DWORD{D3DTS_WORLD}), &turn, sizeof turn),
            0);

  for (int32_t bad : {-1, level_ + 1}) {
    EXPECT_EQ(BSPSystem_Load(bad, "x.bsp", 0, 0, "", 0), 0);
    EXPECT_EQ(BSPSystem_Enable(bad, 1), 0);
    EXPECT_EQ(BSPSystem_SetMatrix(bad, &turn.m[0][0]), 0);
    EXPECT_EQ(BSPSystem_SetParameters(bad, 1, 1, 1), 0);
    EXPECT_EQ(BSPSystem_RenderBSP(bad), 0);
    EXPECT_EQ(BSPSystem_Destroy(bad), 0);
    EXPECT_EQ(BSPSystem_ParseEntity(bad), 0);
    EXPECT_EQ(BSPSystem_CombineLightmaps(bad, nullptr), 0);
  }
  // A destroyed level's record is the next one taken, with its settings kept.
  EXPECT_EQ(BSPSystem_Enable(level_, 0), 1);
  EXPECT_EQ(BSPSystem_Destroy(level_), 1);
  EXPECT_EQ(BSPSystem_Create(), level_);
  EXPECT_EQ(BSPSystem_DestroyAll(), 0);
  EXPECT_EQ(BSPSystem_Create(), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(BspLevels, ExportsOfTheLoaderRebuildTexturesAtlasesAndEntities) {
  Start();
  ASSERT_EQ(Load(bsp_test::BoxRoom()), 1);
  // A 2 x 2 atlas of the caller's pixels.
  const uint32_t pixels[4] = {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C};
  EXPECT_EQ(BSPSystem_CreateLightmapTexture(level_, 2, reinterpret_cast<const uint8_t*>(pixels)),
            1);
  EXPECT_EQ(BSPSystem_CreateLightmapTexture(level_, 0, nullptr), 0);
  EXPECT_EQ(
      BSPSystem_CreateLightmapTexture(level_, 1 << 20, reinterpret_cast<const uint8_t*>(pixels)),
      0);
  EXPECT_TRUE(
      Logged("BSP SYSTEM : Couldn't create the lightmap texture 2, probably because "
             "memory shortage."));
  // The lighting lump again packs the six lightmaps into one more atlas.
  const Level level = bsp_test::BoxRoom({1, 2, 3});
  EXPECT_EQ(BSPSystem_CombineLightmaps(level_, level.lighting.data()), 1);
  LookFrom({64, 64, 64}, {1, 0, 0});
  EXPECT_EQ(Atlas(Render()[0]).At(1, 1), 0xFF010203u);

  // The texture lump as the file lays it: two headers after the count and offsets.
  WriteBmp("maps/Floor.bmp", 16, 16, 0xFF00FF00);
  const std::vector<uint8_t> file = bsp_test::Write(level);
  int32_t offset = 0, length = 0;
  std::memcpy(&offset, &file[4 + 2 * 8], 4);
  std::memcpy(&length, &file[4 + 2 * 8 + 4], 4);
  ASSERT_EQ(length, 4 + 2 * 4 + 2 * 40);
  EXPECT_EQ(BSPSystem_LoadTextures(level_, &file[static_cast<size_t>(offset)], 0), 1);
  // A lump of another count does not fit the level's faces.
  const int32_t oneTexture[] = {1, 8, 0, 0, 0, 0, 16, 16, 0, 0, 0, 0};
  EXPECT_EQ(BSPSystem_LoadTextures(level_, reinterpret_cast<const uint8_t*>(oneTexture), 0), 0);
  EXPECT_NE(Render()[0].textures[0], nullptr);
  EXPECT_EQ(BSPSystem_ParseEntity(level_), 1);
}

// Damage that must refuse the file: the index of a record, the record's field, the new value.
struct Damage {
  const char* what;
  std::function<void(Level&)> apply;
};

TEST_F(BspLevels, DamagedFilesAreRefusedLeavingNothingBehind) {
  Start();
  const std::vector<Damage> damages = {
      {"a lump past the end", [](Level& l) { l.brokenLump = 7; }},
      {"a face plane", [](Level& l) { l.faces[0].plane = 9; }},
      {"face edges past the list", [](Level& l) { l.faces[5].firstEdge = 40; }},
      {"a face of two edges", [](Level& l) { l.faces[0].edgeCount = 2; }},
      {"a texture info", [](Level& l) { l.faces[0].texInfo = 6; }},
      {"a texture index", [](Level& l) { l.texInfos[5].texture = 2; }},
      {"a texture size of 0", [](Level& l) { l.textures[1].width = 0; }},
      {"a surface edge", [](Level& l) { l.surfaceEdges[3] = -99; }},
      {"an edge vertex", [](Level& l) { l.edges[2].second = 500; }},
      {"a lightmap past the lump", [](Level& l) { l.faces[5].lightmapOffset += 10; }},
      {"a mark surface", [](Level& l) { l.markSurfaces[2] = 6; }},
      {"leaf marks", [](Level& l) { l.leaves[1].markCount = 7; }},
      {"a visibility offset", [](Level& l) { l.leaves[1].visibilityOffset = 1; }},
      {"a node child", [](Level& l) { l.nodes[0].front = -3; }},
      {"a node plane", [](Level& l) { l.nodes[0].plane = 2; }},
      {"a head node", [](Level& l) { l.models[0].headNode = 1; }},
      {"no model", [](Level& l) { l.models.clear(); }},
      {"no leaf",
       [](Level& l) {
         l.leaves.clear();
         l.nodes[0] = {1, 0, 0};
       }},
      {"version 0", [](Level& l) { l.version = 0; }},
      {"version 29", [](Level& l) { l.version = 29; }},
  };
  const size_t objects = Control()->LiveObjectCount();
  const int32_t textures = TextureFactory_GetCount();
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    Level level = bsp_test::BoxRoom();
    damage.apply(level);
    EXPECT_EQ(Load(level), 0);
    EXPECT_EQ(level_, 0);  // the refused record is out of use again
    EXPECT_EQ(Control()->LiveObjectCount(), objects);
    EXPECT_EQ(TextureFactory_GetCount(), textures);
  }
  EXPECT_TRUE(
      Logged("BSP SYSTEM : BSPSystem_Load : The format of the file isn't recognized. The "
             "engine can only load Half-Life map files or Quake3 map files"));
  EXPECT_TRUE(Logged("BSP SYSTEM : BSPSystem_Load : The bsp map maps/room.bsp is damaged (node)."));
  EXPECT_EQ(BSPSystem_Load(BSPSystem_Create(), "missing.bsp", 0, 0, "", 0), 0);
  EXPECT_TRUE(Logged(
      "BSP SYSTEM : BSPSystem_Load : File not found !! Can't load the bsp map (missing.bsp)"));
  // A visibility offset of -1 sees every leaf.
  Level level = bsp_test::BoxRoom();
  level.leaves[1].visibilityOffset = -1;
  level.visibility.clear();
  ASSERT_EQ(Load(level), 1);
  LookFrom({64, 64, 64}, {1, 0, 0});
  EXPECT_EQ(Render().size(), 2u);
}

TEST_F(BspLevels, AFailedBufferEndsTheLoadAndAFailedAtlasLeavesFacesUnlit) {
  Start();
  const size_t objects = Control()->LiveObjectCount();
  // Without lightmaps the vertex buffer is the load's first device object.
  Level level = bsp_test::BoxRoom();
  for (bsp_test::Face& face : level.faces) face.lightmapOffset = -1;
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(Load(level), 0);
  EXPECT_TRUE(Logged(
      "BSP SYSTEM 2 : Couldn't create the vertex buffer used for the entire bsp. DirectX error : " +
      std::to_string(E_OUTOFMEMORY)));
  EXPECT_EQ(Control()->LiveObjectCount(), objects);
  EXPECT_EQ(BSPSystem_Create(), 0);
  // With them the atlas is: the level loads without lightmaps.
  Control()->FailNextCreation(E_OUTOFMEMORY);
  ASSERT_EQ(Load(bsp_test::BoxRoom()), 1);
  EXPECT_TRUE(
      Logged("BSP SYSTEM : Couldn't create the lightmap texture 0, probably because "
             "memory shortage."));
  LookFrom({64, 64, 64}, {1, 0, 0});
  EXPECT_EQ(Render()[0].textures[1], nullptr);
}

TEST_F(BspLevels, LevelsOfMoreThan65536VerticesTake32BitIndices) {
  Start();
  Level level = bsp_test::BoxRoom();
  // 16,400 more quads on the floor, each a face of its own in the room's leaf.
  for (int quad = 0; quad < 16400; ++quad) {
    const float x = static_cast<float>(quad % 128), y = static_cast<float>(quad / 128 % 128);
    const uint16_t face = bsp_test::AddFace(
        level, {{x, y, 1}, {x + 1, y, 1}, {x + 1, y + 1, 1}, {x, y + 1, 1}}, 5, std::nullopt);
    level.markSurfaces.push_back(face);
  }
  level.leaves[1].markCount = static_cast<uint16_t>(level.markSurfaces.size());
  level.models[0].faceCount = static_cast<int32_t>(level.faces.size());
  ASSERT_EQ(Load(level), 1);
  LookFrom({64, 64, 64}, {0, 0, -1});
  const auto& draws = Render();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().indexFormat, D3DFMT_INDEX32);
  const auto* indices = reinterpret_cast<const uint32_t*>(draws.back().indices.data());
  EXPECT_EQ(indices[draws.back().indices.size() / 4 - 1], 24u + 4 * 16400 - 1);
}

}  // namespace
