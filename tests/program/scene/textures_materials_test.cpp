// Every texture and material by name, as the other subsystems find them; the ids kept for them;
// the sizes that follow TextureQuality and the mission.
#include <array>
#include <string>
#include <vector>

#include "platform/engine/engine_error.h"
#include "program/scene/textures_materials.h"
#include "tests/program/scene/scene_files.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class TexturesTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    MissionName = "Apollo 12";
    MissionType = 12;
    TextureQuality = 0.5f;
    DisplayModeWidth = 640;
    DisplayModeHeight = 480;
    LandTileFiles[0].TextureFile = "fine.png";
    LandTileFiles[1].TextureFile = "middle.png";
    LandTileFiles[2].TextureFile = "coarse.png";
    for (const ExpectedTexture& row : SurfaceMissionTextures()) WriteImage(row.file);
    WriteImage("Textures/moonbackground.jpg");
    WriteImage("Textures/CMOverlay.png");
  }

  static const engine::Texture& Named(const std::string& name) {
    const engine::Texture* texture = Engine->Textures().Get(Globals->GetTextureId(name));
    if (texture == nullptr) throw std::runtime_error("no texture \"" + name + "\"");
    return *texture;
  }
};

TEST_F(TexturesTest, EveryTextureIsLoadedUnderItsNameWithItsFileSizeAndKey) {
  LoadTextures();
  for (const ExpectedTexture& row : SurfaceMissionTextures()) {
    SCOPED_TRACE(row.name);
    if (row.name.empty()) {
      EXPECT_EQ(Engine->Textures().Get(TextureIds.InstrumentBracket)->path, Resolved(row.file));
      continue;
    }
    const engine::Texture& texture = Named(row.name);
    EXPECT_EQ(texture.path, Resolved(row.file));
    EXPECT_EQ(texture.width, row.width == File ? ImageSide : row.width);
    EXPECT_EQ(texture.height, row.height == File ? ImageSide : row.height);
    EXPECT_EQ(texture.colourKey, row.key);
  }
  // Only the Orbital mission has these.
  EXPECT_EQ(Globals->GetTextureId("halfmoonbackground"), 0);
  EXPECT_EQ(Globals->GetTextureId("CMOverlay"), 0);
  // The names other code spells differently.
  EXPECT_EQ(Globals->GetTextureId("sun"), Globals->GetTextureId("Sun"));
  EXPECT_EQ(Globals->GetTextureId("COASglass"), Globals->GetTextureId("COASGlass"));
}

TEST_F(TexturesTest, TheKeptIdsAreTheNewestOfTheirNames) {
  LoadTextures();
  const std::vector<std::pair<int32_t, std::string>> kept = {
      {TextureIds.SpotTexture, "SpotTexture"},
      {TextureIds.ParticleTexture, "ParticleTexture"},
      {TextureIds.ContactLightOn, "ContactLightOn"},
      {TextureIds.LegWrap, "LegWrap"},
      {TextureIds.Panel, "Panel"},
      {TextureIds.DSKYDisp, "DSKYDisp"},
      {TextureIds.DSKYLights, "DSKYLights"},
      {TextureIds.CompAct, "CompAct"},
      {TextureIds.DSKYLampOn[0], "DSKYVEL"},
      {TextureIds.DSKYLampOff[11], "DSKYUPLINKACTYoff"},
      {TextureIds.BlackSolid, "blacksolid"},
      {TextureIds.Blast[0], "blast1"},
      {TextureIds.Blast[13], "blast14"},
      {TextureIds.DSKYGlyphs[0], "D0"},
      {TextureIds.DSKYGlyphs[9], "D9"},
      {TextureIds.DSKYGlyphs[13], "Da"},
      {TextureIds.RCSPlume[4], "RCSPlume5"},
      {TextureIds.LPDCockpit, "lpdcockpit"},
      {TextureIds.Dustall, "Dustall"},
      {TextureIds.DesQtyoff, "DesQtyoff"}};
  for (const auto& [id, name] : kept) {
    SCOPED_TRACE(name);
    EXPECT_NE(id, 0);
    EXPECT_EQ(id, Globals->GetTextureId(name));
  }
}

struct OrbitalCase {
  float quality;
  int32_t width, height;  // of the large Moon picture, pixels
  int32_t overlay;        // side of "CMOverlay", pixels
};

class OrbitalTexturesTest : public TexturesTest,
                            public ::testing::WithParamInterface<OrbitalCase> {};

TEST_P(OrbitalTexturesTest, TheMoonPictureAndOverlayFollowTheQuality) {
  MissionType = OrbitalMission;
  MissionName = "Orbital";
  TextureQuality = GetParam().quality;
  LoadTextures();
  EXPECT_EQ(Named("halfmoonbackground").width, GetParam().width);
  EXPECT_EQ(Named("halfmoonbackground").height, GetParam().height);
  EXPECT_EQ(Named("CMOverlay").width, GetParam().overlay);
  EXPECT_EQ(Named("CMOverlay").colourKey, CodeKey);
  EXPECT_EQ(Globals->GetTextureId("Tex0"), 0);
}

// The device takes at most 2048 pixels a side, so the full picture is scaled down to it.
INSTANTIATE_TEST_SUITE_P(Qualities, OrbitalTexturesTest,
                         ::testing::Values(OrbitalCase{0.25f, 1231, 511, 512},
                                           OrbitalCase{0.5f, 2048, 850, 1024},
                                           OrbitalCase{1.0f, 2048, 850, 2048}));

TEST_F(TexturesTest, QuarterQualityLandTexturesAre512Square) {
  TextureQuality = 0.25f;
  LoadTextures();
  EXPECT_EQ(Named("Tex2").width, 512);
  EXPECT_EQ(Named("texallmoon").width, 256);
}

TEST_F(TexturesTest, AMissingPictureFailsNamingItsFile) {
  std::filesystem::remove(folder_.Path() / "Textures/LegWrap.jpg");
  try {
    LoadTextures();
    FAIL() << "no error";
  } catch (const engine::EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("LegWrap.jpg"), std::string::npos);
  }
}

struct Rgba {
  float r, g, b, a;
};
constexpr Rgba G(float x) { return {x, x, x, 1}; }
constexpr Rgba K{0, 0, 0, 1};
constexpr Rgba W{1, 1, 1, 1};
constexpr Rgba None{0, 0, 0, 0};  // a term the engine leaves at its default

struct ExpectedMaterial {
  const char* name;
  Rgba diffuse, ambient, specular, emissive;
};

// As the engine holds them: a term not set keeps the initial colour (diffuse and ambient) or
// nothing (specular and emissive).
const std::vector<ExpectedMaterial> Materials = {
    {"StartFinish", {0, 0, 0, 0.4f}, {0.1f, 0.8f, 0.1f, 0.4f}, {0, 0, 0, 0.4f}, None},
    {"Illuminate", K, K, K, W},
    {"Windows", {1, 1, 1, 0.6f}, {1, 1, 1, 0.6f}, None, None},
    {"COAS", {0.5f, 0.5f, 0.5f, 0.2f}, {1, 1, 1, 0.2f}, None, None},
    {"Matg", G(0.8f), G(0.5f), None, None},
    {"MatMoon", G(0.9f), G(0.2f), G(0.7f), None},
    {"RCS", {0.8f, 0.8f, 0.8f, 0.4f}, {0.8f, 0.8f, 0.8f, 0.4f}, None, None},
    {"MatRock1", G(0.9f), G(0.3f), None, None},
    {"MatRock2", G(0.8f), G(0.2f), None, None},
    {"MatRock3", G(0.7f), G(0.1f), None, None},
    {"MatRock4", G(0.6f), G(0.2f), None, None},
    {"MatRock5", G(0.5f), G(0.1f), None, None},
    {"MatGoldFoil", {1, 0.92f, 0.4f, 1}, {0.02f, 0.01f, 0.005f, 1}, {0.5f, 0.4f, 0, 1}, None},
    {"Matredfoil", {1, 0.7f, 0.2f, 1}, {0.1f, 0.05f, 0.005f, 1}, {0.5f, 0.3f, 0.1f, 1}, None},
    {"MatSilverFoil", W, G(0.03f), W, None},
    {"MatLegFoil", G(0.8f), G(0.02f), G(0.3f), None},
    {"MatInterior1", G(0.9f), G(0.15f), G(0.2f), None},
    {"MatInstruments", G(0.7f), G(0.1f), G(0.1f), None},
    {"MatLitInstruments", G(0.7f), G(0.4f), G(0.1f), None},
    {"CM", G(0.8f), G(0.2f), G(0.1f), None},
    {"CMShiny", G(0.9f), K, G(0.1f), None},
    {"Surveyor", {0.8f, 0.8f, 0.75f, 1}, G(0.2f), G(0.5f), None},
    {"MatInvisible", K, K, K, None},
    {"Mat(0)", G(0.9f), G(0.2f), G(0.4f), None},
    {"Mat(1)", G(0.9f), G(0.2f), G(0.4f), None},
    {"Mat(2)", G(0.9f), G(0.2f), G(0.4f), None},
    {"LandTile0", G(0.9f), G(0.2f), G(0.4f), None},
    {"LandTile1", G(0.9f), G(0.2f), G(0.4f), None},
    {"LandTile2", G(0.9f), G(0.2f), G(0.4f), None},
    {"MatOrbit", G(0.9f), G(0.3f), G(0.4f), None},
    {"MatOrbital", G(0.9f), G(0.1f), {0.25f, 0.5f, 0.5f, 1}, None},
    {"Bezels", {0.5f, 0.5f, 0.5f, 0.6f}, {0.01f, 0.01f, 0.01f, 0.01f}, None, None},
    {"MatFlag", G(0.9f), G(0.9f), G(0.5f), None},
    {"MatFlagD", W, W, G(0.5f), W},
    {"ambient", K, W, K, None},
    {"Shadow", W, W, None, None},
    {"MatBump", G(0.1f), W, W, None},
    {"MatFDAI", G(0.8f), G(0.1f), G(0.45f), None},
    {"Matdonut", W, G(0.2f), None, None},
    {"LPDOut", K, {0.2f, 1, 0.2f, 1}, None, None},
    {"LPDIn", K, {1, 0.2f, 0.2f, 1}, None, None},
    {"DustMat", K, W, None, None},
    {"FakeRockMat", {0, 0, 0, 0}, W, None, None},
    {"CraterMat", K, K, None, None},
    {"MatShip", G(0.8f), G(0.01f), G(0.2f), None},
    {"LMShadow", K, G(0.6f), K, None},
    {"ScoreMat1", {1, 1, 0, 0.5f}, {1, 1, 0, 0.5f}, None, None},
    {"ScoreMat2", {1, 0, 0, 0.6f}, {1, 0, 0, 0.6f}, None, None}};

void ExpectColour(const d3dx::D3DXCOLOR& actual, const Rgba& expected, const char* term) {
  SCOPED_TRACE(term);
  EXPECT_FLOAT_EQ(actual.r, expected.r);
  EXPECT_FLOAT_EQ(actual.g, expected.g);
  EXPECT_FLOAT_EQ(actual.b, expected.b);
  EXPECT_FLOAT_EQ(actual.a, expected.a);
}

TEST_F(SceneTest, EveryMaterialHasItsColourTerms) {
  CreateMaterials();
  EXPECT_EQ(Engine->Materials().Size(), Materials.size());
  for (const ExpectedMaterial& row : Materials) {
    SCOPED_TRACE(row.name);
    const engine::Material* material = Engine->Materials().Get(Globals->GetMaterialId(row.name));
    ASSERT_NE(material, nullptr);
    ExpectColour(material->diffuse, row.diffuse, "diffuse");
    ExpectColour(material->ambient, row.ambient, "ambient");
    ExpectColour(material->specular, row.specular, "specular");
    ExpectColour(material->emissive, row.emissive, "emissive");
  }
  const std::vector<std::pair<int32_t, std::string>> kept = {
      {MaterialIds.Illuminate, "Illuminate"},
      {MaterialIds.MatMoon, "MatMoon"},
      {MaterialIds.MatGoldFoil, "MatGoldFoil"},
      {MaterialIds.MatRedFoil, "MatRedFoil"},
      {MaterialIds.MatSilverFoil, "MatSilverFoil"},
      {MaterialIds.MatlegFoil, "MatlegFoil"},
      {MaterialIds.MatInvisible, "MatInvisible"},
      {MaterialIds.CraterMat, "CraterMat"},
      {MaterialIds.MatShip, "MatShip"},
      {MaterialIds.ScoreMat1, "ScoreMat1"},
      {MaterialIds.ScoreMat2, "ScoreMat2"},
      {MaterialIds.MatRock[0], "MatRock1"},
      {MaterialIds.MatRock[4], "MatRock5"}};
  for (const auto& [id, name] : kept) EXPECT_EQ(id, Globals->GetMaterialId(name)) << name;
}

}  // namespace
