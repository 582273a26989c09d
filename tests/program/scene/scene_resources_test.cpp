// The lights, fonts, render surfaces, explosion and exhaust emitters that the other subsystems
// find.
#include <string>

#include "program/scene/scene_resources.h"
#include "program/scene/scene_services.h"
#include "program/scene/textures_materials.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

TEST_F(SceneTest, TheFourLightsTakeTheirRecordsAndTheNearPointLightIsOn) {
  CreateLights();
  const auto& sun = LightEngine->GetLight(LightIds[SunLight]);
  EXPECT_EQ(sun.record.Type, d3d::D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(sun.record.Direction.x, -1.0f);
  EXPECT_FLOAT_EQ(sun.record.Direction.y, -0.25f);
  EXPECT_FLOAT_EQ(sun.record.Specular.r, 0.7f);
  const auto& fill = LightEngine->GetLight(LightIds[FillLight]);
  EXPECT_FLOAT_EQ(fill.record.Direction.x, 1.0f);
  EXPECT_FLOAT_EQ(fill.record.Ambient.g, 0.01f);
  const auto& near = LightEngine->GetLight(LightIds[NearPointLight]);
  EXPECT_EQ(near.record.Type, d3d::D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(near.record.Range, 14.0f);
  EXPECT_FLOAT_EQ(near.record.Attenuation0, 0.99f);
  EXPECT_FLOAT_EQ(near.record.Attenuation1, 0.05f);
  EXPECT_FLOAT_EQ(near.record.Ambient.b, 0.05f);
  const auto& instrument = LightEngine->GetLight(LightIds[InstrumentPointLight]);
  EXPECT_FLOAT_EQ(instrument.record.Range, 45.0f);
  EXPECT_FLOAT_EQ(instrument.record.Attenuation0, 1.0f);
  EXPECT_TRUE(near.enabled);
  // The records stay for later changes.
  EXPECT_FLOAT_EQ(LightRecords[InstrumentPointLight].Range, 45.0f);
}

struct FontCase {
  int32_t screenHeight;  // pixels
  int32_t language;
  int32_t small, times, large;  // points of SmallFont, TimesFont14, LargeFontN
};

class FontsTest : public SceneTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontsTest, FontsScaleWithTheWindowAndAreFoundByName) {
  const FontCase& c = GetParam();
  SavedVariables language(CurrentLanguage);
  ScreenHeight = c.screenHeight;
  CurrentLanguage = c.language;
  CreateFonts();
  const auto font = [](const char* name) { return *Engine->Fonts().Get(Globals->GetFontId(name)); };
  EXPECT_EQ(font("SmallFont").size, c.small);
  EXPECT_TRUE(font("SmallFont").bold);
  EXPECT_TRUE(font("SmallFont").textureFont);
  EXPECT_EQ(font("TimesFont14").size, c.times);
  EXPECT_EQ(font("TimesFont14").face, "Times German");
  EXPECT_EQ(font("LargeFontN").size, c.large);
  EXPECT_FALSE(font("LargeFontN").textureFont);
  EXPECT_FALSE(font("ScoreFont").bold);
  EXPECT_EQ(font("FileFont14N").face, "Courier New");
  EXPECT_EQ(FontIds[MessageFontN], Globals->GetFontId("MessageFontN"));

  // Made again after a resize, the names find the new fonts.
  const int32_t first = FontIds[SmallFont];
  RecreateFonts();
  EXPECT_NE(FontIds[SmallFont], first);
  EXPECT_EQ(FontIds[SmallFont], Globals->GetFontId("smallfont"));
}

// 768 / 1024 x 11 = 8.25; x 18 = 13.5 goes to the even 14; a tiny window keeps fonts of 1 point.
INSTANTIATE_TEST_SUITE_P(Windows, FontsTest,
                         ::testing::Values(FontCase{1024, 1, 11, 18, 30},
                                           FontCase{768, 2, 8, 14, 22}, FontCase{20, 1, 1, 1, 1}));

struct SurfaceCase {
  int32_t displayHeight, screenHeight, renderDetail;
  int32_t viewWidth, viewHeight;  // 0 when there is no view surface
};

class ViewSurfaceTest : public SceneTest, public ::testing::WithParamInterface<SurfaceCase> {};

TEST_P(ViewSurfaceTest, TheViewSurfaceFollowsTheScreenAndTheDetail) {
  const SurfaceCase& c = GetParam();
  DisplayModeHeight = c.displayHeight;
  ScreenHeight = c.screenHeight;
  RenderDetail = c.renderDetail;
  TextureQuality = 1.0f;
  CreateRenderSurfaces();
  EXPECT_EQ(ViewSurfaceActive, c.viewWidth != 0);
  if (c.viewWidth == 0) {
    EXPECT_EQ(ViewSurface, nullptr);
    return;
  }
  EXPECT_EQ(ViewSurface->GetWidth(), c.viewWidth);
  EXPECT_EQ(ViewSurface->GetHeight(), c.viewHeight);
}

// 4096 x 2048 is beyond the device and is made at its largest size of that shape.
INSTANTIATE_TEST_SUITE_P(Screens, ViewSurfaceTest,
                         ::testing::Values(SurfaceCase{768, 600, 1, 1024, 512},
                                           SurfaceCase{0, 400, 1, 512, 256},
                                           SurfaceCase{480, 1024, 1, 2048, 1024},
                                           SurfaceCase{600, 1024, 2, 2048, 1024},
                                           SurfaceCase{768, 600, 0, 0, 0}));

TEST_F(SceneTest, InstrumentSurfacesFollowTheTextureQuality) {
  for (const float quality : {1.0f, 0.5f}) {
    SCOPED_TRACE(quality);
    TextureQuality = quality;
    MissionType = 12;
    SimpleLM = false;
    CreateRenderSurfaces();
    const int32_t side = quality == 1.0f ? 512 : 256;
    EXPECT_EQ(FDAISurface->GetWidth(), side);
    EXPECT_EQ(XPointerSurface->GetHeight(), side);
    EXPECT_EQ(AltitudeSurface->GetWidth(), 64);
    EXPECT_EQ(AltitudeRateSurface->GetHeight(), side);
    EXPECT_FLOAT_EQ(FDAIScale, quality);
    EXPECT_EQ(DSKYSurface->GetHeight(), 256);
    EXPECT_EQ(DataDisplaySurfaces[2]->GetWidth(), 128);
    EXPECT_EQ(FuelCounterSurface->GetWidth(), 64);
    EXPECT_EQ(AttitudeMeasureSurface->GetWidth(), 32);
    EXPECT_FLOAT_EQ(WindowViewSurface->Camera().FieldOfView(), 90.0f);
    EXPECT_FLOAT_EQ(WindowViewSurface->Camera().FarPlane(), 5000.0f);
    EXPECT_NE(WindowOverlaySurface, nullptr);
    EXPECT_EQ(ShadowSurface->GetWidth(), 512);
    EXPECT_EQ(TerrainPatchSurface->GetWidth(), 512);
  }
}

TEST_F(SceneTest, TheOrbitalMissionAndTheSimpleLMLeaveSurfacesOut) {
  MissionType = OrbitalMission;
  SimpleLM = true;
  TextureQuality = 0.25f;
  CreateRenderSurfaces();
  EXPECT_EQ(WindowOverlaySurface, nullptr);
  EXPECT_EQ(ShadowSurface, nullptr);
  EXPECT_EQ(TerrainPatchSurface, nullptr);
  EXPECT_FLOAT_EQ(FDAIScale, 0.5f);
}

TEST_F(SceneTest, ALaterFlightMakesTheShadowSurfacesForSurfaceMissionsOnly) {
  TextureQuality = 1.0f;
  RenderDetail = 1;
  ScreenHeight = 600;
  MissionType = 12;
  CreateRenderSurfaces();
  const RenderSurfacePtr shadow = ShadowSurface;

  const auto next = [](int32_t mission) {
    PreviousMissionType = MissionType;
    MissionType = mission;
    RebuildRenderSurfaces();
  };
  next(OrbitalMission);
  EXPECT_EQ(ShadowSurface, nullptr);
  EXPECT_EQ(TerrainPatchSurface, nullptr);
  EXPECT_EQ(shadow->GetTexture(), 0);  // released
  next(OrbitalMission);
  EXPECT_EQ(ShadowSurface, nullptr);
  next(11);
  ASSERT_NE(ShadowSurface, nullptr);
  const RenderSurfacePtr again = ShadowSurface;
  next(14);
  EXPECT_EQ(ShadowSurface, again);

  // The view surface is made again at the detail of the new flight, or not at all.
  RenderDetail = 0;
  next(14);
  EXPECT_FALSE(ViewSurfaceActive);
  EXPECT_EQ(ViewSurface, nullptr);
}

TEST_F(SceneTest, TheExplosionAndTheEmittersUseTheirTextures) {
  WriteImage("Textures/blasta1.png");
  WriteImage("Textures/particle.dds");
  CreateMaterials();
  const int32_t blast =
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\blasta1.png", "blast1");
  TextureIds.ParticleTexture =
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\particle.dds", "ParticleTexture");
  CreateExplosion();
  EXPECT_EQ(Scene->FindMesh("Explosion"), ExplosionMesh);
  EXPECT_TRUE(ExplosionMesh->Look().billboard);
  EXPECT_EQ(ExplosionMesh->Groups()[0].texture, blast);
  EXPECT_EQ(ExplosionMesh->Groups()[0].material, Globals->GetMaterialId("Ambient"));
  EXPECT_EQ(ExplosionMesh->Look().blendMode, 2);
  EXPECT_FALSE(ExplosionMesh->IsPickable());

  // The main display makes the emitters when it loads; the scene build sets them up.
  CreateExhaustEmitters();
  EXPECT_TRUE(ParticleAscent.NewParticle) << "the main display gives each particle its speed";
  EXPECT_EQ(ParticleAscent.Texture(), 0);
  InitParticleSystem();
  EXPECT_EQ(ParticleAscent.Texture(), TextureIds.ParticleTexture);
  EXPECT_EQ(ParticleRCS1.Texture(), TextureIds.ParticleTexture);

  // The ascent engine's start turns the exhaust on.
  StartAscentExhaust(0.2f, 0.0f, 30.0f);
  EXPECT_FLOAT_EQ(ParticleAscent.Size(), 0.05f);
  EXPECT_EQ(ParticleAscent.Texture(), TextureIds.ParticleTexture);
  EXPECT_EQ(ParticleAscent.Blend()[1], 5);
  EXPECT_FLOAT_EQ(ParticleAscent.Drift()[0], 0.2f);
  EXPECT_FLOAT_EQ(ParticleAscent.Speed(), 30.0f);
  EXPECT_EQ(ParticleAscent.Amount(), 5);
}

}  // namespace
