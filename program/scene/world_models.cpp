#include "program/scene/world_models.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "platform/win/rnd.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/scene/star_catalogue.h"

namespace {

using d3dx::D3DXVECTOR3;

constexpr int32_t AlphaReference = 128;

// The sky: far and large at render detail 0, near and small otherwise (world units).
constexpr float FarSkyRadius = 200000.0f;
constexpr float NearSkyRadius = 5000.0f;
constexpr float FarStarScale = 10.0f;  // star size per StarSize step
constexpr float NearStarScale = 0.1f;
constexpr float FarEarthSide = 4000.0f;
constexpr float NearEarthSide = 300.0f;
constexpr float FarEarthDistance = 200000.0f;
constexpr float NearEarthDistance = 4500.0f;
constexpr float FarEarthScale = 3.0f;
constexpr float NearEarthScale = 0.65f;
constexpr float BrightestMagnitude = 2.0f;
constexpr float DimmestMagnitude = 7.0f;
constexpr float ReferenceFieldOfView = 60.0f;  // degrees at which stars show their own size
constexpr int32_t StarDiscSegments = 5;
constexpr int32_t FileNotFound = 53;      // the error number of a file that cannot be opened
constexpr int32_t EngineFailure = 50001;  // the error number of a failing engine call

constexpr float AllMoonScale = 234.0f;
constexpr float AllMoonDepth = 6000000.0f;         // world units below the LM's ground
constexpr float OrbitalAllMoonDepth = 6500000.0f;  // world units
constexpr float OrbitalMoonScale = 102.0f;
constexpr float OrbitalMoonHeight = -1039327.75f;  // world units
constexpr int AllMoonSiteGroups = 7;               // groups 1 to 7 mark the landing sites
constexpr int32_t MoonDrawMode = 3;
constexpr float CraterDebrisScale = 0.025f;
constexpr float GateScale = 0.5f;
constexpr float SurveyorScale = 0.067f;
constexpr int32_t RockMaterials = 5;
constexpr float DustCell = 20.0f;     // world units
constexpr float DustExtent = 400.0f;  // world units
constexpr float DustHeight = 60.0f;   // world units
constexpr float ScoreHeight = 10.0f;  // world units

float SkyRadius() { return RenderDetail <= 0 ? FarSkyRadius : NearSkyRadius; }
float StarScale() {
  return static_cast<float>(StarSize) * (RenderDetail <= 0 ? FarStarScale : NearStarScale);
}
D3DXVECTOR3 ToD3DX(const Vector3& v) { return {v.x, v.y, v.z}; }
Vector3 FromD3DX(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }
std::string ProgramFile(const std::string& relative) { return win::AppPath() + relative; }
std::string Model(const std::string& file) { return ProgramFile("\\Models\\" + file); }
int32_t Material(const std::string& name) { return Globals->GetMaterialId(name); }
int32_t TextureNamed(const std::string& name) { return Globals->GetTextureId(name); }

MeshPtr OneVertex(const D3DXVECTOR3& at = {}) {
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->AddVertex(at.x, at.y, at.z, engine::EngineGlobals::MakeColor(0, 0, 0, 0), 0, 0);
  return mesh;
}

void Destroy(MeshPtr& mesh) {
  if (mesh) mesh->Destroy();
  mesh.reset();
}

// A failing step of the star field: logged, the first of the run also shown, then skipped.
struct StepFailure {
  std::string description;
  int32_t number;
};

void ReportStarError(const StepFailure& failure) {
  ++StarErrorCount;
  const std::string number = std::to_string(failure.number);
  if (StarErrorCount == 1)
    forms::MsgBox(failure.description + "  Number=" + number + "  Attempting to continue...");
  Engine->WriteLog("Init_Stars_and_Planets Program Error" + failure.description + "  " + number +
                   "  Errors=" + std::to_string(StarErrorCount));
}

void StarStep(const std::function<void()>& step) {
  try {
    step();
  } catch (const StepFailure& failure) {
    ReportStarError(failure);
  } catch (const std::exception& error) {
    ReportStarError({error.what(), EngineFailure});
  }
}

void ReadKeptStars() {
  const std::filesystem::path path = win::ResolvePath(ProgramFile("\\bsb.dat"));
  if (!std::filesystem::is_regular_file(path)) throw StepFailure{"File not found", FileNotFound};
  std::vector<BrightStar> catalogue;
  // A record the file holds only in part, and those beyond the catalogue's size, are left out.
  ReadStarCatalogue(path, catalogue);
  const float cut = StarMagnitudeCut;
  const float base = static_cast<float>(StarBrightness) / 10.0f;
  for (const BrightStar& star : catalogue) {
    if (!std::isfinite(star.RightAscension) || !std::isfinite(star.Declination) ||
        !std::isfinite(star.Magnitude))
      continue;
    const float b = std::clamp(
        1.0f - (star.Magnitude - BrightestMagnitude) / (DimmestMagnitude - BrightestMagnitude),
        0.0f, 1.0f);
    if (!(b > cut)) continue;
    const float t = (b - cut) / (1.0f - cut);
    const D3DXVECTOR3 position = engine::EngineMathLibrary::PointOnSphere(
        {}, SkyRadius(), static_cast<float>(star.RightAscension * 2 * Pi),
        static_cast<float>(star.Declination * Pi / 2.0));
    KeptStars.push_back({FromD3DX(position), true, base + t * (1.0f - base),
                         "Bright Star #:" + std::to_string(star.Number) + ",Ext:" + star.Ext +
                             ", Constellation: " + star.Constellation});
  }
}

// The star's marker of the star information option, facing the centre of the sky.
void SetUpInfoMesh(engine::EngineMesh& info, const KeptStar& star) {
  info.SetMaterial(Material("Illuminate"), -1);
  info.SetDrawMode(2);
  info.SetShadowCast(false, 0, -1.0f);
  info.SetPickable(true, -1);
  info.SetName(star.InfoText);
  info.SetColor(
      engine::EngineGlobals::MakeColor(star.Brightness, star.Brightness, star.Brightness, 1.0f), 0);
  const float size = StarScale();
  info.SetScale(size, size, size);
}

void BuildStarMeshes() {
  StarPointMeshes.assign(KeptStars.size(), nullptr);
  StarInfoMeshes.assign(KeptStars.size(), nullptr);
  for (size_t i = 0; i < KeptStars.size(); ++i) {
    const KeptStar& star = KeptStars[i];
    if (StarInformationFlag) {
      MeshPtr& info = StarInfoMeshes[i];
      if (i == 0) {
        info = Scene->CreateMesh("");
        info->LoadXFile(Model("star.x"), -1, -1);
        info->PrepareC();
      } else {
        info = StarInfoMeshes[0]->Duplicate("");
      }
      SetUpInfoMesh(*info, star);
    }
    MeshPtr& point = StarPointMeshes[i];
    point = i == 0 ? OneVertex(ToD3DX(star.Position)) : StarPointMeshes[0]->Clone("");
    point->SetPosition(star.Position.x, star.Position.y, star.Position.z);
    point->SetShadowCast(false, 0, -1.0f);
    point->SetPickable(false, -1);
    StarField->AttachChild(point);
  }
}

// The points stay in the star field's axes; the kept positions and markers go to world axes.
void TurnStarField() {
  if (MissionType == OrbitalMission)
    StarField->SetRotation(-45 * RadiansPerDegreeSingle, -90 * RadiansPerDegreeSingle,
                           -60 * RadiansPerDegreeSingle);
  else
    StarField->SetRotation(0, 0, 0);
  for (size_t i = 0; i < KeptStars.size(); ++i) {
    KeptStar& star = KeptStars[i];
    const D3DXVECTOR3 world = StarField->TransformVector(ToD3DX(star.Position));
    star.Position = FromD3DX(world);
    if (!StarInfoMeshes[i]) continue;
    engine::EngineMesh& info = *StarInfoMeshes[i];
    info.SetPosition(world.x, world.y, world.z);
    const float r = std::sqrt(world.x * world.x + world.z * world.z);
    const float pitch = engine::EngineMathLibrary::Angle2D(r, world.y) + static_cast<float>(Pi / 2);
    const float heading = engine::EngineMathLibrary::Angle(world.x, world.z);
    info.SetRotationMatrix(engine::EngineMathLibrary::RotationMatrix(heading, pitch, 0));
  }
}

struct EarthSite {
  int32_t mission;
  float elevation, azimuth;  // degrees
};
constexpr EarthSite EarthSites[] = {
    {11, -58.0f, -86.5f}, {12, -67.0f, 88.0f}, {15, -77.0f, -124.5f}, {17, -53.5f, -98.0f}};
constexpr EarthSite OtherEarthSite{0, -46.0f, -90.0f};

void BuildEarth() {
  Engine->WriteLog("Loading Earth...");
  const float side = RenderDetail <= 0 ? FarEarthSide : NearEarthSide;
  EarthMesh =
      Scene->CreateBillboard(TextureNamed("earth"), 0, 0, 0, side, side, "", 0, 0, 0, -1, -1);
  EarthMesh->SetMaterial(Material("Illuminate"), -1);
  if (MissionType == OrbitalMission) {
    EarthMesh->SetLightingMode(0);
  } else {
    EarthMesh->SetLightingMode(2);
    EarthMesh->SetRotationMatrix(engine::EngineMathLibrary::RotationMatrix(
        -90 * RadiansPerDegreeSingle, -46 * RadiansPerDegreeSingle, 0));
  }
  EarthMesh->SetShadowCast(false, 0, -1.0f);
  EarthPoint = OneVertex();
  if (StarField) StarField->AttachChild(EarthPoint);
  EarthSite site = OtherEarthSite;
  for (const EarthSite& s : EarthSites)
    if (s.mission == MissionType) site = s;
  EarthAngles = {site.elevation * RadiansPerDegreeSingle, site.azimuth * RadiansPerDegreeSingle};
  const bool near = RenderDetail >= 1;
  EarthDistance = near ? NearEarthDistance : FarEarthDistance;
  const float scale = near ? NearEarthScale : FarEarthScale;
  EarthMesh->SetScale(scale, scale, scale);
  EarthPosition = FromD3DX(
      engine::EngineMathLibrary::PointOnSphere({}, EarthDistance, EarthAngles[1], EarthAngles[0]));
  EarthPoint->SetPosition(EarthPosition.x, EarthPosition.y, EarthPosition.z);
  EarthMesh->SetPickable(true, -1);
  EarthMesh->SetName("Earth");
}

// The previous flight's stars and Earth make way for the new ones.
void ReleaseStarsAndEarth() {
  for (MeshPtr& mesh : StarPointMeshes) Destroy(mesh);
  for (MeshPtr& mesh : StarInfoMeshes) Destroy(mesh);
  StarPointMeshes.clear();
  StarInfoMeshes.clear();
  Destroy(EarthPoint);
  Destroy(EarthMesh);
  Destroy(StarField);
  KeptStars.clear();
  BrightStarCount = 0;
}

// A scenery model: loaded, alpha-tested, named and scaled, casting a shadow or none.
MeshPtr Scenery(const std::string& file, const std::string& name, float scale, int32_t material,
                bool pickable, bool shadow) {
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->LoadXFile(Model(file), -1, -1);
  mesh->SetAlphaTest(false, AlphaReference, -1, -1);
  mesh->SetMaterial(material, -1);
  mesh->SetPickable(pickable, -1);
  if (shadow)
    mesh->SetShadowCast(true, LightIds[SunLight], -1.0f);
  else
    mesh->SetShadowCast(false, 0, -1.0f);
  mesh->SetName(name);
  mesh->SetScale(scale, std::abs(scale), scale);
  return mesh;
}

struct TilePrecision {
  int32_t precision;  // the build's detail argument
  float repeat;       // of the tile texture
};

}  // namespace

void CreateLand() {
  const std::string folder = "\\Missions\\" + MissionName + "\\Textures\\";
  const bool finest = LandPrecision == 4;
  for (int k = 0; k < LandTileCount; ++k) {
    const TilePrecision p = LandPrecision == 1   ? TilePrecision{k == 1 ? 2 : 4, 1}
                            : LandPrecision == 2 ? TilePrecision{2, 1}
                                                 : TilePrecision{2, 2};
    auto tile = std::make_unique<engine::EngineLandscape>(*Engine);
    const std::string n = std::to_string(k);
    if (finest && k == 0) tile->SetPrecisionMode(1);
    tile->Generate(ProgramFile(folder + LandTileFiles[static_cast<size_t>(k)].TextureFile),
                   p.precision, p.repeat, p.repeat, 0, 0, finest && k == 0 ? -1 : 0);
    tile->LoadHeightMap(ProgramFile(folder + "temp" + n + ".ht"), 0, 0, 1);
    tile->SetTexture(TextureNamed("Tex" + n), 0, 0, p.repeat, p.repeat, 0);
    tile->SetMaterial(Material("LandTile" + n), -1, 0);
    LandTiles[static_cast<size_t>(k)] = std::move(tile);
  }
  LoadMissionFile();
  for (int k = 0; k < LandTileCount; ++k) {
    engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(k)];
    const Vector3& at = LandTilePosition[static_cast<size_t>(k)];
    const Vector3& scale = LandTileScale[static_cast<size_t>(k)];
    tile.Update();
    tile.SetDetailTexture(TextureNamed("lunartexture"));
    tile.SetPosition(at.x, at.y, at.z);
    tile.SetScale(scale.x, scale.y, scale.z);
  }
  LandTilesCreated = true;
}

void CreateSunAndFlares() {
  Atmosphere->Enable(true);
  Atmosphere->SetSunTexture(TextureNamed("Sun"));
  Atmosphere->SetSunPosition(2500.0f, 500.0f, 0);
  Atmosphere->EnableLensFlare(true);
  Atmosphere->SetFlareCount(8);
  const struct {
    int32_t index;
    const char* texture;
    float position, size;
    float r, g, b;
  } flares[] = {
      {8, "sun", 64.0f, 128.0f, 0.9f, 0.9f, 1.0f},  {7, "Flare0", 32.0f, 64.0f, 0.6f, 0.6f, 0.6f},
      {6, "Flare4", 4.0f, 32.0f, 1.0f, 0.9f, 0.9f}, {5, "Flare0", 6.0f, 20.0f, 1, 1, 1},
      {4, "Flare4", 0.7f, 18.0f, 1, 1, 1},          {3, "Flare0", 2.0f, 14.0f, 1, 1, 1},
      {2, "Flare4", 0.2f, 12.0f, 1.0f, 0.9f, 0.9f}, {1, "Flare4", 0.1f, 11.0f, 1, 1, 1}};
  for (const auto& f : flares)
    Atmosphere->SetFlare(f.index, TextureNamed(f.texture), f.position, f.size,
                         engine::EngineGlobals::MakeColor(f.r, f.g, f.b, 1.0f), -1);
  const int32_t sky[6] = {TextureNamed("halfside"),  TextureNamed("sunside"),
                          TextureNamed("halfside"),  TextureNamed("halfside"),
                          TextureNamed("blackside"), TextureNamed("moonside")};
  Atmosphere->SetSkyBox(sky);
  Atmosphere->SetSkyParameter(0);
  Atmosphere->SetSkyState(0, -1);
}

void Init_Stars_and_Planets() {
  ReleaseStarsAndEarth();
  StarStep([] {
    StarField = OneVertex();
    StarField->SetName("StarField");
    StarField->SetPickable(false, -1);
    StarField->SetShadowCast(false, 0, -1.0f);
  });
  StarStep(ReadKeptStars);
  BrightStarCount = static_cast<int32_t>(KeptStars.size());
  forms::DoEvents();
  Engine->WriteLog("Loading Stars...");
  // Without the star field there is nothing to hang the stars on.
  if (StarField) {
    StarStep(BuildStarMeshes);
    Engine->WriteLog("Setting up starfield sky...");
    StarStep(TurnStarField);
  }
  if (!StarField || StarPointMeshes.size() != KeptStars.size() ||
      std::ranges::find(StarPointMeshes, nullptr) != StarPointMeshes.end()) {
    KeptStars.clear();
    BrightStarCount = 0;
  }
  StarStep(BuildEarth);
}

void DrawStars() {
  if (BrightStarCount < 1 || !StarField) return;
  const float m = StarScale() * FieldOfView / ReferenceFieldOfView;
  // The field's matrix and the camera once a frame, not once a star: a star goes from the field's
  // axes to the pixels in one product, and only its height above the horizon apart.
  const d3dx::D3DXMATRIX field = StarField->GetMatrix();
  const engine::PointProjector projector(*Engine, field);
  const float floor = -CameraDistance;
  if (!StarInformationFlag) Screen2DDraw->Begin();
  for (size_t i = 0; i < KeptStars.size(); ++i) {
    const KeptStar& star = KeptStars[i];
    if (!star.Shown) continue;
    const D3DXVECTOR3 local = StarPointMeshes[i]->GetPosition();
    // The field turns and moves, so its matrix leaves w at 1.
    const auto& f = field.m;
    const float height = local.x * f[0][1] + local.y * f[1][1] + local.z * f[2][1] + f[3][1];
    if (!(height > floor)) continue;
    if (StarInformationFlag) {
      D3DXVECTOR3 world;
      d3dx::D3DXVec3TransformCoord(&world, &local, &field);
      engine::EngineMesh& info = *StarInfoMeshes[i];
      info.SetScale(m, m, m);
      info.SetPosition(world.x, world.y, world.z);
      info.Render();
      continue;
    }
    float x = 0;
    float y = 0;
    // A star behind the camera would show mirrored through it.
    if (!projector.Project(local, x, y)) continue;
    const float b = star.Brightness;
    Screen2DDraw->DrawFilledCircle(x, y, m, StarDiscSegments,
                                   engine::EngineGlobals::MakeColor(b, b, b, b));
  }
  if (!StarInformationFlag) Screen2DDraw->End();
}

void Init_AllMoon() {
  const auto step = [](const std::function<void()>& call) {
    try {
      call();
    } catch (const std::exception& error) {
      Engine->WriteLog(std::string("Init_AllMoon Program Error") + error.what() + "  " +
                       std::to_string(EngineFailure));
    }
  };
  Destroy(AllMoonMesh);
  step([] {
    AllMoonMesh = Scene->CreateMesh("");
    AllMoonMesh->LoadXFile(Model("allmoon.x"), 0, -1);
  });
  if (!AllMoonMesh) return;
  step([] {
    AllMoonMesh->SetPickable(false, -1);
    AllMoonMesh->SetShadowCast(false, 0, -1.0f);
    AllMoonMesh->SetName("AllMoon");
    AllMoonMesh->SetDrawMode(MoonDrawMode);
    AllMoonMesh->SetTexture(TextureNamed("texallmoon"), -1.0f);
    AllMoonMesh->SetMaterial(Material("MatMoon"), -1);
    AllMoonMesh->SetScale(-AllMoonScale, AllMoonScale, -AllMoonScale);
  });
  step([] {
    const float depth = MissionType == OrbitalMission ? OrbitalAllMoonDepth : AllMoonDepth;
    AllMoonMesh->SetPosition(-LMMeshPosition.x, -depth - LMMeshPosition.y, -LMMeshPosition.z);
  });
  step([] {
    const struct {
      int32_t mission, group;
    } sites[] = {{11, 2}, {12, 7}, {14, 6}, {15, 5}, {16, 3}, {17, 4}};
    for (int k = 1; k <= AllMoonSiteGroups; ++k) AllMoonMesh->EnableGroup(k, false);
    for (const auto& site : sites)
      if (site.mission == MissionType) AllMoonMesh->EnableGroup(site.group, true);
  });
}

void CreateOrbitalMoon() {
  const auto moon = [](const char* file, const char* name) {
    MeshPtr mesh = Scene->CreateMesh("");
    mesh->LoadXFile(Model(file), 0, -1);
    mesh->SetName(name);
    mesh->SetPickable(false, -1);
    mesh->SetShadowCast(false, 0, -1.0f);
    mesh->SetDrawMode(MoonDrawMode);
    return mesh;
  };
  HalfMoonMesh = moon("moonslice.x", "HalfMoon");
  OrbitalMoonMesh = moon("moonorbital.x", "orbitalMoon");
  OrbitalMoonMesh->SetMaterial(Material("MatOrbit"), -1);
  OrbitalMoonMesh->SetTexture(TextureNamed("texallmoon"), -1.0f);
  for (const MeshPtr* mesh : {&HalfMoonMesh, &OrbitalMoonMesh}) {
    (*mesh)->SetScale(-OrbitalMoonScale, OrbitalMoonScale, -OrbitalMoonScale);
    (*mesh)->SetPosition(0, OrbitalMoonHeight, 0);
  }
  TextureMoonSlice();
}

void TextureMoonSlice() {
  HalfMoonMesh->SetTexture(TextureNamed("halfmoonbackground"), -1.0f);
  HalfMoonMesh->SetMaterial(Material("MatOrbit"), -1);
}

void CreateFlag() {
  FlagMesh = Scenery("USflag.x", "US Flag!", -1.0f, Material("MatFlag"), true, true);
  FlagDarkMesh = Scenery("USFlagDark.x", "USFlagDark", -1.0f, Material("MatFlagD"), false, true);
}

void CreateCraterDebris() {
  CraterDebrisMesh = Scenery("craterdebri.x", "CraterDebri", -CraterDebrisScale,
                             MaterialIds.CraterMat, false, false);
}

void CreateStartFinishGates() {
  StartMesh =
      Scenery("StartFinish.x", "Start_Mesh", GateScale, Material("StartFinish"), true, false);
  FinishMesh = StartMesh->Clone("Finish_Mesh");
  FinishMesh->SetName("Finish_Mesh");
}

void CreateSurveyor() {
  SurveyorMesh =
      Scenery("surveyor.x", "Surveyor", -SurveyorScale, Material("Surveyor"), false, true);
  SurveyorMesh->SetPosition(0, 0, 0);
}

void CreateRocks() {
  for (MeshPtr& rock : RockMeshes) Destroy(rock);
  for (MeshPtr& rock : FakeRockMeshes) Destroy(rock);
  RockMeshes.clear();
  FakeRockMeshes.clear();
  const int32_t texture = TextureNamed("rocktexture");
  for (int32_t n = 1; n <= RockCount; ++n) {
    const std::string number = std::to_string(n);
    const int32_t k =
        std::clamp(win::RoundHalfEven(win::Rnd() * RockMaterials), 1, RockMaterials);
    MeshPtr rock;
    MeshPtr fake;
    if (n == 1) {
      rock = Scenery("rock.x", "Rock1", -1.0f, MaterialIds.MatRock[0], false, false);
      fake = Scenery("fakerock.x", "FakeRock1", -1.0f, Material("FakeRockMat"), false, false);
    } else {
      rock = RockMeshes[0]->Clone("Rock" + number);
      fake = FakeRockMeshes[0]->Clone("FakeRock" + number);
    }
    rock->SetName("Rock" + number);
    fake->SetName("FakeRock" + number);
    rock->SetMaterial(MaterialIds.MatRock[static_cast<size_t>(k - 1)], -1);
    rock->SetTexture(texture, -1.0f);
    if (ShadowFlags[0]) rock->SetShadowCast(true, LightIds[SunLight], -1.0f);
    RockMeshes.push_back(rock);
    FakeRockMeshes.push_back(fake);
  }
}

void CreateDustSurface() {
  DustMesh = Scene->CreateMesh("");
  const uint32_t colour = engine::EngineGlobals::MakeColor(0, 0, 0, 0);
  const auto corner = [&](float x, float z) {
    DustMesh->AddVertex(x, DustHeight, z, colour, x / DustExtent, 1.0f - z / DustExtent);
  };
  for (float x = DustCell; x <= DustExtent; x += DustCell)
    for (float z = DustCell; z <= DustExtent; z += DustCell) {
      corner(x - DustCell, z - DustCell);
      corner(x - DustCell, z);
      corner(x, z);
      corner(x - DustCell, z - DustCell);
      corner(x, z);
      corner(x, z - DustCell);
    }
  DustMesh->SetName("DustMesh");
  DustMesh->SetMaterial(Material("DustMat"), -1);
  DustMesh->SetPickable(false, -1);
  DustMesh->SetAlphaTest(false, AlphaReference, -1, -1);
  // The dust is the shadow surface's streaks. That surface keeps no alpha: the streaks stand on
  // black, faded as they were drawn, so they are added to the ground under them.
  DustMesh->SetAlphaBlending(true, d3d::D3DBLEND_ONE, d3d::D3DBLEND_ONE, 0, -1);
  DustMesh->SetShadowCast(false, 0, -1.0f);
}

void CreateScoreMesh() {
  ScoreMesh = Scene->CreateMesh("");
  const D3DXVECTOR3 corners[4] = {
      {0, ScoreHeight, 0}, {0, ScoreHeight, 1}, {1, ScoreHeight, 1}, {1, ScoreHeight, 0}};
  ScoreMesh->CreateQuad(0, corners, 1.0f, 1.0f);
  ScoreMesh->SetName("ScoreMesh");
  ScoreMesh->SetPickable(false, -1);
  ScoreMesh->SetAlphaTest(false, AlphaReference, -1, -1);
  ScoreMesh->PrepareA();
  ScoreMesh->SetShadowCast(false, 0, -1.0f);
}
