// Whole library sessions in one process, as a caller that starts again (another level, another
// window) runs them: a device, one of everything, a frame, the release and the shutdown. Nothing of
// one session may show in the next, and no export may read what a release freed.
#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "library/core/actors/entities.h"
#include "library/core/actors/md2_models.h"
#include "library/core/actors/mdl_models.h"
#include "library/core/actors/skinned_models.h"
#include "library/core/geometry/shadow_volume.h"
#include "library/core/render/atmosphere.h"
#include "library/core/render/light_factory.h"
#include "library/core/render/material_factory.h"
#include "library/core/render/texture_factory.h"
#include "library/core/render/texture_font.h"
#include "library/core/render/viewport.h"
#include "library/core/terrain/terrain.h"
#include "tests/library/core/actors_scene.h"
#include "tests/library/core/archive_writers.h"
#include "tests/library/core/bsp_writer.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr D3DVECTOR kEye = {256, 300, -400};
constexpr D3DVECTOR kLookAt = {256, 300, 0};

// What a session leaves to be compared with the next: its tables' sizes and the identifiers it
// was given, the texture memory it used, and its first frame's draws.
struct Snapshot {
  std::map<std::string, int64_t> counts;
  std::vector<std::string> draws;
};

// One line of a draw: everything the device saw but the addresses of the objects bound.
std::string Describe(const DrawRecord& draw) {
  std::string line =
      std::to_string(static_cast<int>(draw.call)) + " " + std::to_string(draw.primitive) + " " +
      std::to_string(draw.primitiveCount) + " " + std::to_string(draw.startVertex) + " " +
      std::to_string(draw.minIndex) + " " + std::to_string(draw.vertexCount) + " " +
      std::to_string(draw.startIndex) + " " + std::to_string(draw.baseVertexIndex) + " fvf " +
      std::to_string(draw.fvf) + " stride " + std::to_string(draw.stride) + " textures";
  for (const IDirect3DBaseTexture8* texture : draw.textures)
    line += texture != nullptr ? " +" : " -";
  line += " vertices " +
          std::to_string(std::hash<std::string_view>{}(std::string_view(
              reinterpret_cast<const char*>(draw.vertices.data()), draw.vertices.size())));
  line +=
      " indices " + std::to_string(std::hash<std::string_view>{}(std::string_view(
                        reinterpret_cast<const char*>(draw.indices.data()), draw.indices.size())));
  return line;
}

class Sessions : public LibraryTest {
 protected:
  // Creates the device and one of everything; the identifiers go into counts.
  void Start(Snapshot& snapshot) {
    ASSERT_EQ(CreateDevice(D3DFMT_D24S8), D3D_OK);
    System_SetVariables(0, &polygons_, 0);
    auto& ids = snapshot.counts;
    // Textures, one before and one after a texture mode.
    ids["sky texture"] = sky_ = Texture("sky.bmp", 0xFF3060A0);
    TextureFactory_SetTextureMode(1);
    ids["ground texture"] = ground_ = Texture("ground.bmp", 0xFF806040);
    ids["material"] = MaterialFactory_CreateQuickMaterial(1, 0.5f, 0.25f, 1, "paint");
    ids["light"] = LightFactory_CreateLight(nullptr, "sun", 1);
    ids["font"] = font_ = TextureFont_Create("text", "DejaVu Sans", 12, 0);
    ids["render surface"] = TextureFactory_CreateRenderSurface(32, 32, 0);
    // The sky, the sun and its flares, the clouds.
    Atmosphere_SkyBoxEnable(1);
    Atmosphere_SkyBoxSetTexture(sky_, sky_, sky_, sky_, sky_, sky_);
    Atmosphere_SunSetPosition(0, 0, 1000);
    Atmosphere_SunSetTexture(sky_);
    Atmosphere_SunEnable(1);
    Atmosphere_LensFlareEnable(1);
    Atmosphere_LensFlareSetLensNumber(2);
    Atmosphere_LensFlareSetLensParams(1, sky_, 5, 10, 0xFFFFFFFF, 0);
    Atmosphere_LensFlareSetLensParams(2, ground_, 8, 30, 0xFFFFFFFF, 0);
    ids["clouds"] = CloudSky_Init(1, 8);
    IDirect3DTexture8* cloud = nullptr;
    TextureFactory_GetDXTexture(ground_, &cloud);
    CloudSky_SetParam(0, 2, 2, 2, &cloud);
    // A terrain with a generator layer, a shadow caster, the three kinds of actor, a level.
    ids["terrain"] = Terrain_Create(0);
    Terrain_GenerateEmptyTerrain(0, 64, 2, 2, 0, 0);
    Terrain_SetTexture(0, ground_, -1);
    ids["layer"] = Terrain_TexGenAddLayer(0, WriteBmp("layer.bmp", 2, 2, 0xFF00FF00).c_str(), 0,
                                          255, 1, 1, 1, 0);
    const D3DVECTOR triangle[3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    const uint16_t corners[3] = {0, 1, 2};
    ids["shadow volumes"] = ShadowVolume_Create(0);
    ShadowVolume_InitShadowFromPointers(0, triangle, sizeof(D3DVECTOR), 3, corners, 3, 0);
    ShadowVolume_SetShadowParameters(0x80000000, 50);
    ShadowVolume_AllocVolumes(16);
    actors_.Build(Folder());
    Entity_SetSpeed(actors_.md2, 1);
    ids["md2 entity"] = actors_.md2;
    ids["mdl entity"] = actors_.mdl;
    ids["skinned entity"] = actors_.skinned;
    const std::string level = (Folder() / "room.bsp").string();
    win::WriteFileBytes(level, bsp_test::Write(bsp_test::BoxRoom()));
    ids["level"] = level_ = BSPSystem_Create();
    BSPSystem_Load(level_, level.c_str(), 0, 0, "", 0);
    // Archives, a waypoint graph and a grid.
    archive_test::WadTexture wall{"WALL", 4, 4, std::vector<uint8_t>(16, 0), {{9, 9, 9}}};
    ids["wad"] = WAD_Load(Write("w.wad", archive_test::WriteWad({{wall}})).c_str());
    ids["pak"] =
        Archive_OpenPak(Write("p.pak", archive_test::WritePak({{{"a.txt", {1, 2, 3}}}})).c_str());
    WaypointNodeInput nodes[2] = {};
    nodes[0] = {0, 0, 0, {1}, {1.0f}, 1};
    nodes[1] = {1, 0, 0, {0}, {1.0f}, 1};
    AI_Create(0);
    ids["graph"] = AI_AddGraph(0, nodes, 2);
    ids["grid"] = AStar_Init(0, 4, cells_.data());
  }

  // One frame as a caller draws it; the camera and the frame time are set at its end, for the
  // frame after.
  void DrawFrame() {
    Control()->ClearDraws();
    Viewport_Clear(0, 0);
    for (const int32_t entity : {actors_.md2, actors_.mdl, actors_.skinned})
      Scene_UpdateEntity(entity, 0);
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye = AsVector(kEye), at = AsVector(kLookAt), up{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 10000.0f);
    D3DXMATRIX sun;
    d3dx::D3DXMatrixIdentity(&sun);
    Atmosphere_Render(&kEye, &kLookAt, &sun, &view);
    CloudSky_Update(1);
    CloudSky_Render();
    Terrain_Render(0);
    Scene_RenderAllEntities(&view, &projection);
    BSPSystem_RenderAll();
    const D3DVECTOR down = {0, -1, 0};
    const D3DMATRIX identity = IdentityMatrix();
    ShadowVolume_SilhouettePrepare();
    ShadowVolume_AddToRenderList(&identity, 0, 1, 1, &down, nullptr);
    ShadowVolume_SilhouetteUnlockRender();
    ShadowVolume_RenderAlphaBlendedTri();
    ShadowVolume_ResetAll();
    Screen2D_Start();
    Screen2D_DrawBox(10, 10, 50, 30, 0xFFFFFFFF);
    TextureFont_Render(font_, 12, 12, "abc", 0xFFFFFFFF);
    Screen2D_End();
    TextureFont_Render(font_, 100, 100, "outside", 0xFFFFFFFF);
    Viewport_Present(0, -1);
    // Turned up, the camera sees none of the ground; the frame after lasts 40 ms.
    const D3DXVECTOR3 above{{256, 1000, 256}};
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &above, &up);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
    Scene_SetTimeElapsed(40);
  }

  // The tables' sizes and the memory used, after a session's start and frame.
  static void Count(Snapshot& snapshot) {
    auto& counts = snapshot.counts;
    counts["textures"] = TextureCount;
    counts["used texture memory"] = TextureFactory_GetUsedTextureMemory();
    counts["materials"] = MaterialCount;
    counts["lights"] = LightCount;
    counts["fonts"] = TextureFontCount;
    counts["viewports"] = ViewportCount;
    counts["terrains"] = TerrainCount;
    counts["entities"] = static_cast<int64_t>(EntityTable.size());
    counts["md2 models"] = static_cast<int64_t>(MD2ModelTable.size());
    counts["mdl models"] = static_cast<int64_t>(MDLModelTable.size());
    counts["skinned models"] = static_cast<int64_t>(SkinnedEntityTable.size());
    counts["shadow table"] = static_cast<int64_t>(ShadowVolumeTable.size());
    counts["flares"] = static_cast<int64_t>(LensFlareTable.size());
    counts["cloud layers"] = static_cast<int64_t>(CloudLayers.size());
  }

  Snapshot RunSession() {
    Snapshot snapshot;
    Start(snapshot);
    DrawFrame();
    for (const DrawRecord& draw : Control()->Draws()) snapshot.draws.push_back(Describe(draw));
    Count(snapshot);
    snapshot.counts["live device objects"] = static_cast<int64_t>(Control()->LiveObjectCount());
    snapshot.counts["polygons"] = polygons_;
    polygons_ = 0;
    EXPECT_TRUE(ShutDownAndRelease());
    return snapshot;
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  int32_t Texture(const std::string& name, uint32_t colour) const {
    return TextureFactory_LoadTextureFromFile(WriteBmp(name, 8, 8, colour).c_str(), name.c_str(), 0,
                                              0, 0, 0, 0);
  }

  static D3DXVECTOR3 AsVector(const D3DVECTOR& v) { return {{v.x, v.y, v.z}}; }

  static D3DMATRIX IdentityMatrix() {
    D3DMATRIX identity{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
    return identity;
  }

  int32_t polygons_ = 0;
  int32_t sky_ = 0, ground_ = 0, font_ = 0, level_ = 0;
  actorstest::ActorsScene actors_;
  std::array<int32_t, 16> cells_{};
};

TEST_F(Sessions, ASecondSessionIsTheFirstOnceMore) {
  const Snapshot first = RunSession();
  EXPECT_GT(first.draws.size(), 10u);
  const Snapshot second = RunSession();
  EXPECT_EQ(second.counts, first.counts);
  EXPECT_EQ(second.draws, first.draws);
}

TEST_F(Sessions, EveryFamilyIsSafeToCallAfterAReleaseThatKeepsTheDevice) {
  Snapshot snapshot;
  Start(snapshot);
  DrawFrame();
  ReleaseAll();
  // The same frame with the identifiers of before: the sky is not initialised, every table is
  // empty, and nothing of them is drawn.
  DrawFrame();
  // What is left is the 2D overlay the frame queues itself: the box and the shadow's darkening.
  for (const DrawRecord& draw : Control()->Draws()) {
    EXPECT_EQ(draw.fvf, 0x144u);
    for (const IDirect3DBaseTexture8* texture : draw.textures) EXPECT_EQ(texture, nullptr);
  }
  // The graphs and grids went too: a grid no longer reads the caller's cells.
  int32_t path[2] = {}, steps = 0, xs[301] = {}, ys[301] = {};
  EXPECT_EQ(AI_CheckPath(0, 0, 1, path, &steps), 0);
  EXPECT_EQ(AStar_FindPath(0, 0, 0, 3, 3, xs, ys), 0);
  // A create starts its table afresh.
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 1);
  EXPECT_EQ(MaterialFactory_CreateMaterial("fresh"), 1);
  EXPECT_EQ(MaterialFactory_GetMaterialFromName("blankmat"), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Sessions, NoFlareOfOneSessionIsDrawnInTheNext) {
  Snapshot snapshot;
  Start(snapshot);
  EXPECT_TRUE(ShutDownAndRelease());
  // The next session turns the sun and its flares on but makes no flare of its own.
  ASSERT_EQ(CreateDevice(), D3D_OK);
  ASSERT_EQ(Atmosphere_SunEnable(1), 1);
  Atmosphere_SunSetPosition(0, 0, 1000);
  Atmosphere_LensFlareEnable(1);
  D3DXMATRIX view, sun;
  const D3DXVECTOR3 eye = AsVector(kEye), at = AsVector(kLookAt), up{{0, 1, 0}};
  d3dx::D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  d3dx::D3DXMatrixIdentity(&sun);
  Control()->ClearDraws();
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  ASSERT_EQ(Atmosphere_Render(&kEye, &kLookAt, &sun, &view), 1);
  Viewport_Present(0, -1);
  ASSERT_EQ(Control()->Draws().size(), 1u);  // the sun alone
  EXPECT_EQ(Control()->Draws()[0].fvf, kLitVertexFvf);
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
