// The view and window surfaces on a recording backend: what is drawn into which target, with
// which camera, in which order.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/engine/height_grid.h"
#include "program/scene/lm_models.h"
#include "program/scene/placement.h"
#include "program/scene/scene_resources.h"
#include "program/scene/textures_materials.h"
#include "program/scene/view_surfaces.h"
#include "program/scene/world_models.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class ViewSurfacesTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ReleaseEngineObjects();
    auto recording = std::make_unique<RecordingBackend>();
    backend_ = recording.get();
    CreateEngineObjects(std::move(recording));
    engine::HeightGrid grid{3, 3, 10.0f, std::vector<float>(9, 5.0f)};
    const auto bytes = engine::WriteHeightGrid(grid);
    folder_.WriteFile("t.ht", std::string(bytes.begin(), bytes.end()));
    for (auto& tile : LandTiles) {
      tile = std::make_unique<engine::EngineLandscape>(*Engine);
      tile->LoadHeightMap(win::AppPath() + "\\t.ht");
    }
    MissionType = 12;
    TextureQuality = 1.0f;
    RenderDetail = 1;
    ScreenHeight = 600;
    SimpleLM = false;
    CreateMaterials();
    CreateLights();
    CreateRenderSurfaces();
    ViewCameras[1]->SetCamera({5, 6, 7}, {0, 0, 0});
  }
  void TearDown() override {
    for (auto& tile : LandTiles) tile.reset();
    SceneTest::TearDown();
  }

  std::vector<std::string> DrawsInto(const RenderSurfacePtr& surface) const {
    std::vector<std::string> kinds;
    for (const auto& draw : backend_->draws)
      if (draw.target == surface.get()) kinds.push_back(draw.kind);
    return kinds;
  }

  RecordingBackend* backend_ = nullptr;
  SavedVariables saved_ = SavedVariables(AltitudeAboveGround, FieldOfView, RenderNearTiles);
};

struct PlaneCase {
  float altitude;
  float nearPlane, farPlane;
};

class ViewPlanesTest : public ViewSurfacesTest, public ::testing::WithParamInterface<PlaneCase> {};

TEST_P(ViewPlanesTest, TheViewSurfaceSeesTheSkyAndFarTileWithTheViewCamera) {
  AltitudeAboveGround = GetParam().altitude;
  FieldOfView = 50.0f;
  RenderViewSurface();
  EXPECT_EQ(DrawsInto(ViewSurface), (std::vector<std::string>{"sky", "landscape"}));
  const engine::EngineCamera& camera = ViewSurface->Camera();
  EXPECT_FLOAT_EQ(camera.NearPlane(), GetParam().nearPlane);
  EXPECT_FLOAT_EQ(camera.FarPlane(), GetParam().farPlane);
  EXPECT_FLOAT_EQ(camera.FieldOfView(), 50.0f);
  const d3dx::D3DXMATRIX expected = ViewCameras[1]->View();
  const d3dx::D3DXMATRIX& seen = backend_->draws.front().view;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      EXPECT_NEAR(seen.m[row][column], expected.m[row][column], 1e-4);
  EXPECT_FALSE(LightEngine->GetLight(LightIds[FillLight]).enabled);
}

INSTANTIATE_TEST_SUITE_P(Heights, ViewPlanesTest,
                         ::testing::Values(PlaneCase{2, 1, 600000}, PlaneCase{29, 5.8f, 600000},
                                           PlaneCase{100, 20, 2000000}));

TEST_F(ViewSurfacesTest, TheWindowSurfacesHoldTheSkyAndTheComposedLayerOnTheFoils) {
  for (const char* picture : {"LegWrap", "white", "blacksolid"}) {
    WriteImage(std::string("Textures/") + picture + ".png");
    TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + picture + ".png", picture);
  }
  TextureIds.LegWrap = Globals->GetTextureId("LegWrap");
  TextureIds.BlackSolid = Globals->GetTextureId("blacksolid");
  WriteStageModels();
  CreateHatch();
  BuildAscentStage();
  BuildDescentStage();
  CreateCameraPivot();
  RenderWindowSurfaces();
  EXPECT_EQ(DrawsInto(WindowViewSurface), (std::vector<std::string>{"sky"}));
  EXPECT_EQ(DrawsInto(WindowOverlaySurface), (std::vector<std::string>{"2D", "2D"}));
  ASSERT_EQ(backend_->shapes.size(), 2u);
  EXPECT_EQ(backend_->shapes[0].texture, TextureIds.LegWrap);
  EXPECT_EQ(backend_->shapes[1].texture, WindowViewSurface->GetTexture());
  EXPECT_EQ(AscentGoldFoilMesh->Groups()[0].texture, WindowOverlaySurface->GetTexture());
  EXPECT_EQ(DescentRedFoilMesh->Groups()[0].texture, WindowViewSurface->GetTexture());
  EXPECT_EQ(DescentLegMeshes[2]->Groups()[5].texture, TextureIds.BlackSolid);
  EXPECT_EQ(DescentLegMeshes[2]->Groups()[4].texture, WindowViewSurface->GetTexture());
  // The sky-only pass leaves the atmosphere drawing with the scene again.
  EXPECT_FALSE(Atmosphere->SkyOnly());
}

TEST_F(ViewSurfacesTest, TheEngineDrawsShadowsParticlesAndSkiesForWhatAsksForThem) {
  MeshPtr caster = Scene->CreateMesh("");
  caster->AddVertex(0, 0, 0, 0, 0, 0);
  caster->SetShadowCast(true, 1, -1.0f);
  Engine->SetColourAndRange(0x99000000, 50.0f);
  backend_->draws.clear();
  caster->ShadowPass();
  ASSERT_EQ(backend_->draws.size(), 1u);
  EXPECT_EQ(backend_->draws.back().kind, std::string("shadow"));
  EXPECT_EQ(backend_->shadowLight, 1);
  EXPECT_EQ(backend_->shadowColour, 0x99000000u);
  EXPECT_FLOAT_EQ(backend_->shadowRange, 50.0f);
  EXPECT_TRUE(backend_->meshes.empty());  // a request, not a second draw of the mesh

  engine::EngineParticleSystem exhaust;
  exhaust.Update();  // not yet part of the engine: nothing to draw
  EXPECT_EQ(backend_->draws.size(), 1u);
  exhaust.Create(*Engine, 10, 0, 15.0f, {}, 0, 0);
  exhaust.Update();
  EXPECT_EQ(backend_->draws.back().kind, std::string("particles"));

  WindowViewSurface->StartRender(true);
  Atmosphere->RenderSky();
  WindowViewSurface->EndRender();
  EXPECT_EQ(backend_->draws.back().target, WindowViewSurface.get());

  // Heights changed after the tile was made reach the drawing through the revision.
  const uint64_t revision = LandTiles[0]->HeightRevision();
  LandTiles[0]->UpdateHeights(-1, -1);
  EXPECT_GT(LandTiles[0]->HeightRevision(), revision);

  // A camera turned in place keeps its position.
  engine::EngineCamera& camera = *ViewCameras[2];
  camera.SetPosition(1, 2, 3);
  camera.SetRotation(0, 1.5707964f, 0);
  EXPECT_FLOAT_EQ(camera.GetPosition().y, 2.0f);
  EXPECT_NEAR(camera.GetMatrix().m[2][0], 1.0f, 1e-6);  // now looking along +x
}

TEST_F(ViewSurfacesTest, TheStagesCastTheirShadowsAndTheStagedOneFades) {
  SavedVariables saved(AscentStageFlying, LMMeshPosition, DescentStagePosition);
  ShadowFlags = {true, false, true};
  WriteStageModels();
  CreateHatch();
  BuildAscentStage();
  BuildDescentStage();
  const auto shadows = [this] {
    return std::ranges::count_if(backend_->draws,
                                 [](const auto& d) { return d.kind == std::string("shadow"); });
  };
  AscentStageFlying = false;
  UpdateStageVisibility();
  EXPECT_EQ(shadows(), 3 + 1 + 4);  // three companions, the shadowed parts, four legs
  Engine->SetColourAndRange(0, 0);
  AscentStageFlying = true;
  LMMeshPosition = {0, 100, 0};
  DescentStagePosition = {0, 0, 0};
  UpdateStageVisibility();
  EXPECT_EQ(Engine->ShadowColour(), engine::EngineGlobals::MakeColor(0, 0, 0, 0.6f));
  EXPECT_FLOAT_EQ(Engine->ShadowRange(), 50.0f);
}

struct ShadowCase {
  float altitude;  // feet
  bool engineOff;
  float fadeBefore, fadeAfter;
};

class LMShadowTest : public ViewSurfacesTest, public ::testing::WithParamInterface<ShadowCase> {};

TEST_P(LMShadowTest, TheGroundShadowFollowsTheTileAndFadesWithHeight) {
  SavedVariables saved(ShadowFade, ShadowTextureOffset, EngineOff, FrameTimeMs, ActiveLandTile);
  CreateDustSurface();
  WriteImage("Textures/Dustall.dds");
  TextureIds.Dustall =
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\Dustall.dds", "Dustall");
  const ShadowCase& c = GetParam();
  AltitudeAboveGround = c.altitude;
  EngineOff = c.engineOff;
  ShadowFade = c.fadeBefore;
  FrameTimeMs = 250;
  ActiveLandTile = 0;
  DrawLMShadow();
  EXPECT_FLOAT_EQ(ShadowFade, c.fadeAfter);
  EXPECT_EQ(DrawsInto(ShadowSurface), (std::vector<std::string>{"2D"}));
  // The grid shows those streaks added to the ground: untextured, or over it by an alpha the
  // surface does not keep, it hid the ground under the LM.
  EXPECT_EQ(DustMesh->Groups()[0].texture, ShadowSurface->GetTexture());
  const engine::MeshLook& dust = DustMesh->Look();
  EXPECT_TRUE(dust.alphaBlending);
  EXPECT_EQ(dust.sourceBlend, d3d::D3DBLEND_ONE);
  EXPECT_EQ(dust.destinationBlend, d3d::D3DBLEND_ONE);
  if (!c.engineOff) {
    // The tile stands 5 high over (0..20, 0..20); elsewhere it gives no ground (0).
    const engine::MeshGeometry& grid = DustMesh->Geometry();
    EXPECT_FLOAT_EQ(grid.positions[0].x, -100.0f);
    const float lift = c.altitude * 0.1f + 2;
    bool onTile = false;
    for (size_t v = 0; v < grid.positions.size(); ++v)
      if (grid.positions[v].x == 10.0f && grid.positions[v].z == 10.0f) {
        EXPECT_FLOAT_EQ(grid.positions[v].y, 5.0f + lift);
        onTile = true;
      }
    EXPECT_TRUE(onTile);
  }
}

INSTANTIATE_TEST_SUITE_P(Heights, LMShadowTest,
                         ::testing::Values(ShadowCase{50, false, 0, 0.75f},
                                           ShadowCase{300, false, 1, 0},
                                           ShadowCase{0, true, 1, 0.75f},
                                           ShadowCase{0, true, 0.1f, 0}));

}  // namespace
