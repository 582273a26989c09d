#include "program/scene/textures_materials.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "program/flight/flight_state.h"
#include "program/flight/loading_screen.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_services.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t LargeMoonTextureText = 320;
constexpr int32_t LandscapeTexturesText = 279;

constexpr int32_t FileSize = -1;                 // the image's own width or height
constexpr float LandTextureBase = 2048.0f;       // pixels at TextureQuality 1
constexpr float AllMoonTextureWidth = 1024.0f;   // pixels at TextureQuality 1
constexpr float AllMoonTextureHeight = 512.0f;   // pixels at TextureQuality 1
constexpr double MoonBackgroundWidth = 12306.0;  // pixels at full size
constexpr double MoonBackgroundHeight = 5110.0;  // pixels at full size
constexpr int32_t BlastSide = 32;                // pixels
constexpr int32_t SpotSide = 256;                // pixels
constexpr int32_t NoMouseSide = 4;               // pixels

struct TextureLoad {
  std::string name;
  std::string file;  // after the program folder
  uint32_t key = NoColourKey;
  int32_t* kept = nullptr;
  bool flagAOff = false;
  int32_t width = FileSize;
  int32_t height = FileSize;
};

void Load(const TextureLoad& t) {
  const int32_t id = TextureFactory->LoadTexture(win::AppPath() + t.file, t.name, t.width, t.height,
                                                 t.key, t.flagAOff ? 0 : -1, -1);
  if (t.kept != nullptr) *t.kept = id;
}

void LoadAll(const std::vector<TextureLoad>& table) {
  for (const TextureLoad& t : table) Load(t);
}

std::vector<TextureLoad> InstrumentTextures() {
  TextureIdSet& k = TextureIds;
  std::vector<TextureLoad> table = {
      {"SpotTexture", "\\Textures\\GroundSpot.png", BlackKey, &k.SpotTexture, false, SpotSide,
       SpotSide},
      {"", "\\Textures\\instrumentbracket.png", CodeKey, &k.InstrumentBracket},
      {"ParticleTexture", "\\Textures\\particle.dds", BlackKey, &k.ParticleTexture}};
  for (int n = 1; n <= BlastFrameCount; ++n)
    table.push_back({"blast" + std::to_string(n), "\\Textures\\blasta" + std::to_string(n) + ".png",
                     BlackKey, &k.Blast[static_cast<size_t>(n - 1)], true, BlastSide, BlastSide});
  const int32_t displayWidth = DisplayModeWidth;
  const int32_t displayHeight = DisplayModeHeight;
  table.insert(
      table.end(),
      {{"ContactLightOn", "\\Textures\\ContactLightOn.png", BlackKey, &k.ContactLightOn, true},
       {"ContactLightOff", "\\Textures\\ContactLightOff.png", BlackKey, &k.ContactLightOff, true},
       {"LegWrap", "\\Textures\\LegWrap.jpg", BlackKey, &k.LegWrap, true},
       {"horzneedle", "\\Textures\\needlhorz.dds", BlackKey, &k.HorzNeedle, true},
       {"vertneedle", "\\Textures\\needlvert.dds", BlackKey, &k.VertNeedle, true},
       {"bwhorzneedle", "\\Textures\\needlebwhorz.dds", BlackKey, &k.BWHorzNeedle, true},
       {"bwvertneedle", "\\Textures\\needlebwvert.dds", BlackKey, &k.BWVertNeedle, true},
       {"UpArrow", "\\Textures\\UpArrow.png", NoColourKey, &k.UpArrow},
       {"DownArrow", "\\Textures\\downarrow.png", NoColourKey, &k.DownArrow},
       {"SwitchDown", "\\Textures\\SwitchDown.png", BlackKey, &k.SwitchDown},
       {"SwitchUp", "\\Textures\\SwitchUp.png", BlackKey, &k.SwitchUp},
       {"SwitchMiddle", "\\Textures\\SwitchMiddle.png", BlackKey, &k.SwitchMiddle},
       {"LeftArrow", "\\Textures\\LeftArrow.png", BlackKey, &k.LeftArrow},
       {"RightArrow", "\\Textures\\RightArrow.png", BlackKey, &k.RightArrow},
       {"Altitude", "\\Textures\\Instruments\\Altitude.png", NoColourKey, &k.Altitude},
       {"AltitudeRate", "\\Textures\\Instruments\\AltitudeRate.png", NoColourKey, &k.AltitudeRate},
       {"AltitudeTape", "\\Textures\\Instruments\\AltitudeTapes.png", NoColourKey, &k.AltitudeTape},
       {"Bezel1", "\\Textures\\Bezel1.dds", BlackKey, &k.Bezel1},
       {"Panel", "\\Textures\\MainScreen.png", CodeKey, &k.Panel, false, displayWidth,
        displayHeight},
       {"ArrowPointer", "\\Textures\\ArrowPointer.png", WhiteKey},
       {"nomouse", "\\Textures\\nomouse.png", BlackKey, nullptr, false, NoMouseSide, NoMouseSide},
       {"halfside", "\\Textures\\halfside.png"},
       {"blackside", "\\Textures\\blackside.png"},
       {"sunside", "\\Textures\\sunside.png"},
       {"moonside", "\\Textures\\moonside.png"}});
  if (MissionType == OrbitalMission) {
    const int32_t q = QualitySide(LandTextureBase);
    table.push_back({"CMOverlay", "\\Textures\\CMOverlay.png", CodeKey, nullptr, false, q, q});
  }
  return table;
}

std::vector<TextureLoad> DSKYTextures() {
  TextureIdSet& k = TextureIds;
  const std::string folder = "\\Textures\\Instruments\\";
  std::vector<TextureLoad> table = {{"ContOn", folder + "ContOn.png", NoColourKey, &k.ContOn},
                                    {"ContOff", folder + "ContOff.png", NoColourKey, &k.ContOff}};
  // The display faces are loaded twice; the red-keyed second load is the one kept.
  for (uint32_t key : {NoColourKey, RedKey}) {
    table.insert(table.end(), {{"DSKYDisp", folder + "DSKYDisp.png", key, &k.DSKYDisp},
                               {"DSKYLights", folder + "DSKYLights.png", key, &k.DSKYLights},
                               {"CompAct", folder + "CompAct.png", key, &k.CompAct}});
    if (key == NoColourKey)
      for (size_t n = 0; n < DSKYLampNames.size(); ++n) {
        const std::string lamp(DSKYLampNames[n]);
        table.push_back({"DSKY" + lamp, folder + lamp + ".png", RedKey, &k.DSKYLampOn[n]});
      }
  }
  for (size_t n = 0; n < DSKYLampNames.size(); ++n) {
    const std::string lamp(DSKYLampNames[n]);
    const uint32_t key = n < 3 ? RedKey : NoColourKey;  // VEL, ALT and PROG are red-keyed
    table.push_back({"DSKY" + lamp + "off", folder + lamp + "off.png", key, &k.DSKYLampOff[n]});
  }
  table.insert(table.end(), {{"BLANKoff", folder + "BLANKoff.png", NoColourKey, &k.BLANKoff},
                             {"BLANK", folder + "BLANK.png", NoColourKey, &k.BLANK},
                             {"DesQty", "\\Models\\desqty.jpg", NoColourKey, &k.DesQty},
                             {"DesQtyoff", "\\Models\\desqtyoff.jpg", NoColourKey, &k.DesQtyoff}});
  return table;
}

std::vector<TextureLoad> PlainTextures() {
  TextureIdSet& k = TextureIds;
  std::vector<TextureLoad> table = {
      {"Invisible", "\\Textures\\black.png", BlackKey},
      {"blacksolid", "\\Textures\\blacksolid.jpg", NoColourKey, &k.BlackSolid},
      {"black", "\\Textures\\black.png"},
      {"cgray", "\\Textures\\cgray.png"},
      {"white", "\\Textures\\white.png"},
      {"yellow", "\\Textures\\yellow.png"},
      {"Star", "\\Textures\\Star.png", CodeKey}};
  for (int n = 0; n <= 9; ++n)
    table.push_back({"D" + std::to_string(n), "\\Textures\\D" + std::to_string(n) + ".png",
                     BlackKey, &k.DSKYGlyphs[static_cast<size_t>(n)]});
  const std::array<std::array<const char*, 2>, 4> signs = {
      {{"Dm", "Dm"}, {"Dp", "Dp"}, {"Db", "Db"}, {"Da", "Dpb"}}};
  for (size_t n = 0; n < signs.size(); ++n)
    table.push_back({signs[n][0], std::string("\\Textures\\") + signs[n][1] + ".png", BlackKey,
                     &k.DSKYGlyphs[10 + n]});
  for (int n = 1; n <= RCSPlumeTextureCount; ++n)
    table.push_back({"RCSPlume" + std::to_string(n),
                     "\\Textures\\RCSPlume" + std::to_string(n) + ".dds", BlackKey,
                     &k.RCSPlume[static_cast<size_t>(n - 1)]});
  table.insert(table.end(),
               {{"XPointer", "\\Textures\\Instruments\\XPointer.png", BlackKey, &k.XPointer},
                {"FDAI1", "\\Textures\\Instruments\\FDAI1.png", CodeKey, &k.FDAI1},
                {"FDAI2", "\\Textures\\Instruments\\FDAI2.png", CodeKey, &k.FDAI2},
                {"LPD", "\\Textures\\LPD.png", BlackKey},
                {"DockingWindowDesignator", "\\Textures\\DockingWindowDesignator.png", BlackKey},
                {"lpdcockpit", "\\Textures\\lpdcockpitview.png", CodeKey, &k.LPDCockpit}});
  return table;
}

// The Orbital mission's large Moon picture, or the three landscape textures of the mission.
std::vector<TextureLoad> MissionTextures() {
  if (MissionType == OrbitalMission) {
    const double f = TextureQuality == 0.25f ? 0.1 : TextureQuality == 0.5f ? 0.25 : 1.0;
    return {{"halfmoonbackground", "\\Textures\\moonbackground.jpg", NoColourKey, nullptr, false,
             win::RoundHalfEven(MoonBackgroundWidth * f),
             win::RoundHalfEven(MoonBackgroundHeight * f)}};
  }
  std::vector<TextureLoad> table;
  const int32_t q = QualitySide(LandTextureBase);
  for (int n = 0; n < LandTileCount; ++n)
    table.push_back({"Tex" + std::to_string(n),
                     "\\Missions\\" + MissionName + "\\Textures\\" +
                         LandTileFiles[static_cast<size_t>(n)].TextureFile,
                     NoColourKey, nullptr, false, q, q});
  return table;
}

std::vector<TextureLoad> SceneryTextures() {
  return {{"COASGlass", "\\Textures\\COASGlass.png", CodeKey},
          {"texallmoon", "\\Textures\\allmoon.jpg", NoColourKey, nullptr, false,
           QualitySide(AllMoonTextureWidth), QualitySide(AllMoonTextureHeight)},
          {"rocktexture", "\\Textures\\rocktexture.jpg"},
          {"lunartexture", "\\Textures\\lunartexture.png"},
          {"Sun", "\\Textures\\sun.png", BlackKey},
          {"Flare0", "\\Textures\\flare0.png", BlackKey},
          {"Flare4", "\\Textures\\flare4.png", BlackKey},
          {"Dustall", "\\Textures\\Dustall.dds", CodeKey, &TextureIds.Dustall}};
}

struct Rgba {
  float r, g, b, a;
};
constexpr Rgba Grey(float x) { return {x, x, x, 1.0f}; }

struct MaterialRow {
  const char* name;
  Rgba initial;
  std::optional<Rgba> diffuse, ambient, specular, emissive;
  int32_t* kept = nullptr;
};

constexpr Rgba Black{0, 0, 0, 1};
constexpr Rgba White{1, 1, 1, 1};

}  // namespace

int32_t QualitySide(float base) {
  return win::RoundHalfEven(static_cast<double>(TextureQuality) * base);
}

void LoadTextures() {
  LoadAll(InstrumentTextures());
  LoadAll(DSKYTextures());
  LoadAll(PlainTextures());
  ShowLoadingStep(
      UiText[MissionType == OrbitalMission ? LargeMoonTextureText : LandscapeTexturesText], true,
      1);
  LoadAll(MissionTextures());
  LoadAll(SceneryTextures());
}

void CreateMaterials() {
  MaterialIdSet& k = MaterialIds;
  const std::vector<MaterialRow> table = {
      {"StartFinish",
       Black,
       Rgba{0, 0, 0, 0.4f},
       Rgba{0.1f, 0.8f, 0.1f, 0.4f},
       Rgba{0, 0, 0, 0.4f},
       {}},
      {"Illuminate", White, Black, Black, Black, White, &k.Illuminate},
      {"Windows", Black, Rgba{1, 1, 1, 0.6f}, Rgba{1, 1, 1, 0.6f}, {}, {}},
      {"COAS", Black, Rgba{0.5f, 0.5f, 0.5f, 0.2f}, Rgba{1, 1, 1, 0.2f}, {}, {}},
      {"Matg", Black, Grey(0.8f), Grey(0.5f), {}, {}},
      {"MatMoon", Black, Grey(0.9f), Grey(0.2f), Grey(0.7f), {}, &k.MatMoon},
      {"RCS",
       Rgba{0, 0, 0, 0.4f},
       Rgba{0.8f, 0.8f, 0.8f, 0.4f},
       Rgba{0.8f, 0.8f, 0.8f, 0.4f},
       {},
       {}},
      {"MatRock1", Black, Grey(0.9f), Grey(0.3f), {}, {}, &k.MatRock[0]},
      {"MatRock2", Black, Grey(0.8f), Grey(0.2f), {}, {}, &k.MatRock[1]},
      {"MatRock3", Black, Grey(0.7f), Grey(0.1f), {}, {}, &k.MatRock[2]},
      {"MatRock4", Black, Grey(0.6f), Grey(0.2f), {}, {}, &k.MatRock[3]},
      {"MatRock5", Black, Grey(0.5f), Grey(0.1f), {}, {}, &k.MatRock[4]},
      {"MatGoldFoil",
       Black,
       Rgba{1, 0.92f, 0.4f, 1},
       Rgba{0.02f, 0.01f, 0.005f, 1},
       Rgba{0.5f, 0.4f, 0, 1},
       {},
       &k.MatGoldFoil},
      {"MatRedFoil",
       Black,
       Rgba{1, 0.7f, 0.2f, 1},
       Rgba{0.1f, 0.05f, 0.005f, 1},
       Rgba{0.5f, 0.3f, 0.1f, 1},
       {},
       &k.MatRedFoil},
      {"MatSilverFoil", Black, White, Grey(0.03f), White, {}, &k.MatSilverFoil},
      {"MatlegFoil", Black, Grey(0.8f), Grey(0.02f), Grey(0.3f), {}, &k.MatlegFoil},
      {"MatInterior1", Black, Grey(0.9f), Grey(0.15f), Grey(0.2f), {}},
      {"MatInstruments", Black, Grey(0.7f), Grey(0.1f), Grey(0.1f), {}},
      {"MatLitInstruments", Black, Grey(0.7f), Grey(0.4f), Grey(0.1f), {}},
      {"CM", Black, Grey(0.8f), Grey(0.2f), Grey(0.1f), {}},
      {"CMShiny", Black, Grey(0.9f), Black, Grey(0.1f), {}},
      {"Surveyor", Black, Rgba{0.8f, 0.8f, 0.75f, 1}, Grey(0.2f), Grey(0.5f), {}},
      {"MatInvisible", Black, Black, Black, Black, {}, &k.MatInvisible},
      {"Mat(0)", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      {"Mat(1)", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      {"Mat(2)", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      // The landscape tiles' own, which the frames fade with the camera's height.
      {"LandTile0", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      {"LandTile1", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      {"LandTile2", Black, Grey(0.9f), Grey(0.2f), Grey(0.4f), {}},
      {"MatOrbit", Black, Grey(0.9f), Grey(0.3f), Grey(0.4f), {}},
      {"MatOrbital", Black, Grey(0.9f), Grey(0.1f), Rgba{0.25f, 0.5f, 0.5f, 1}, {}},
      {"Bezels", Black, Rgba{0.5f, 0.5f, 0.5f, 0.6f}, Rgba{0.01f, 0.01f, 0.01f, 0.01f}, {}, {}},
      {"MatFlag", Black, Grey(0.9f), Grey(0.9f), Grey(0.5f), {}},
      {"MatFlagD", Black, White, White, Grey(0.5f), White},
      {"Ambient", Black, Black, White, Black, {}},
      {"Shadow", Black, White, White, {}, {}},
      {"MatBump", White, Grey(0.1f), White, White, {}},
      {"MatFDAI", Black, Grey(0.8f), Grey(0.1f), Grey(0.45f), {}},
      {"Matdonut", Black, White, Grey(0.2f), {}, {}},
      {"LPDOut", Rgba{0.2f, 1, 0.2f, 1}, Black, Rgba{0.2f, 1, 0.2f, 1}, {}, {}},
      {"LPDIn", Rgba{1, 0.2f, 0.2f, 1}, Black, Rgba{1, 0.2f, 0.2f, 1}, {}, {}},
      {"DustMat", Black, Black, White, {}, {}},
      {"FakeRockMat", Black, Rgba{0, 0, 0, 0}, White, {}, {}},
      {"CraterMat", Black, {}, {}, {}, {}, &k.CraterMat},
      {"MatShip", Black, Grey(0.8f), Grey(0.01f), Grey(0.2f), {}, &k.MatShip},
      {"LMShadow", Black, Black, Grey(0.6f), Black, {}},
      {"ScoreMat1", Black, Rgba{1, 1, 0, 0.5f}, Rgba{1, 1, 0, 0.5f}, {}, {}, &k.ScoreMat1},
      {"ScoreMat2", Black, Rgba{1, 0, 0, 0.6f}, Rgba{1, 0, 0, 0.6f}, {}, {}, &k.ScoreMat2}};
  using Setter = void (engine::EngineMaterialFactory::*)(int32_t, float, float, float, float);
  for (const MaterialRow& row : table) {
    const int32_t created = MaterialFactory->CreateMaterial(row.initial.r, row.initial.g,
                                                            row.initial.b, row.initial.a, row.name);
    if (row.kept != nullptr) *row.kept = created;
    const int32_t id = Globals->GetMaterialId(row.name);
    const std::array<std::pair<const std::optional<Rgba>*, Setter>, 4> terms = {
        {{&row.diffuse, &engine::EngineMaterialFactory::SetDiffuse},
         {&row.ambient, &engine::EngineMaterialFactory::SetAmbient},
         {&row.specular, &engine::EngineMaterialFactory::SetSpecular},
         {&row.emissive, &engine::EngineMaterialFactory::SetEmissive}}};
    for (const auto& [term, set] : terms)
      if (term->has_value())
        ((*MaterialFactory).*set)(id, (*term)->r, (*term)->g, (*term)->b, (*term)->a);
  }
}
