#include "program/scene/scene_resources.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "platform/win/rnd.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

struct Colour {
  float r, g, b, a;
};

struct LightRow {
  d3d::D3DLIGHTTYPE type;
  Colour diffuse, specular, ambient;
  d3dx::D3DXVECTOR3 direction;  // directional lights; point lights stand at the origin
  float range;                  // point lights, world units
  float constant, linear;       // point lights' attenuation
};

constexpr std::array<LightRow, LightCount> LightTable = {{
    {d3d::D3DLIGHT_DIRECTIONAL,
     {1, 1, 1, 1},
     {0.7f, 0.7f, 0.7f, 1},
     {0.2f, 0.2f, 0.2f, 1},
     {-1.0f, -0.25f, 0.001f},
     0,
     0,
     0},
    {d3d::D3DLIGHT_DIRECTIONAL,
     {0.6f, 0.6f, 0.6f, 1},
     {0.3f, 0.3f, 0.3f, 1},
     {0.01f, 0.01f, 0.01f, 1},
     {1.0f, 0.25f, 0.001f},
     0,
     0,
     0},
    {d3d::D3DLIGHT_POINT,
     {0.9f, 0.9f, 0.9f, 1},
     {0.3f, 0.3f, 0.3f, 1},
     {0, 0.1f, 0.05f, 1},
     {},
     14.0f,
     0.99f,
     0.05f},
    {d3d::D3DLIGHT_POINT, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {}, 45.0f, 1.0f, 0.0f},
}};

struct FontRow {
  const char* name;
  const char* face;
  float size;  // points on a window 1024 pixels high
  bool bold;
};

// In FontIndex order: the texture fonts, then the plain ones.
constexpr std::array<FontRow, FontCount> FontTable = {{
    {"SmallFont", "Arial", 11, true},
    {"ScoreFont", "Arial", 13, false},
    {"MessageFont", "Arial", 14, false},
    {"ArialFont16", "Arial", 16, false},
    {"LargeFont", "Arial", 30, true},
    {"TimesFont14", "Times German", 18, true},
    {"FileFont12", "Courier New", 12, true},
    {"FileFont14", "Courier New", 14, true},
    {"SmallFontN", "Arial", 11, true},
    {"ScoreFontN", "Arial", 13, false},
    {"MessageFontN", "Arial", 14, false},
    {"LargeFontN", "Arial", 30, true},
    {"FileFont12N", "Courier New", 12, true},
    {"FileFont14N", "Courier New", 14, true},
}};

constexpr float FontReferenceHeight = 1024.0f;  // pixels of the window the base sizes are for
constexpr int32_t FontOption = 1;
constexpr int32_t EnglishLanguage = 1;

constexpr int32_t InstrumentSide = 512;       // pixels at TextureQuality 1
constexpr int32_t LowInstrumentSide = 256;    // pixels otherwise
constexpr int32_t TapeWidth = 64;             // pixels
constexpr int32_t StripWidth = 32;            // pixels
constexpr int32_t StripHeight = 256;          // pixels
constexpr int32_t DSKYWidth = 128;            // pixels
constexpr int32_t DSKYHeight = 256;           // pixels
constexpr int32_t ClockWidth = 128;           // pixels
constexpr int32_t ClockHeight = 32;           // pixels
constexpr int32_t FuelCounterWidth = 64;      // pixels
constexpr int32_t AttitudeMeasureSide = 32;   // pixels
constexpr int32_t WindowViewSide = 128;       // pixels
constexpr int32_t WindowOverlayWidth = 64;    // pixels
constexpr int32_t WindowOverlayHeight = 128;  // pixels
constexpr int32_t ShadowSide = 512;           // pixels
constexpr float WindowViewAngle = 90.0f;      // degrees
constexpr float WindowViewFar = 5000.0f;      // world units
constexpr float WindowViewNear = 1.0f;        // world units
constexpr int32_t ViewSurfaceStep = 256;      // pixels of the view surface's height per detail
constexpr float ExplosionSide = 128.0f;       // world units

RenderSurfacePtr Surface(int32_t width, int32_t height, int32_t flag) {
  return Scene->CreateRenderSurface(width, height, flag, 0, 0);
}

void CreateViewSurface() {
  const int32_t s = RenderSurfaceSize();
  ViewSurface = Scene->CreateRenderTarget(2 * s, s, -1);
  ViewSurfaceActive = true;
}

void CreateSurfaceMissionSurfaces() {
  ShadowSurface = Scene->CreateRenderTarget(ShadowSide, ShadowSide, 0);
  TerrainPatchSurface = Surface(ShadowSide, ShadowSide, -1);
}

void ReleaseSurface(RenderSurfacePtr& surface) {
  surface->Release();
  surface.reset();
  forms::DoEvents();
}

void MeasureFDAIScale() {
  FDAIScale = static_cast<float>(FDAISurface->GetWidth()) / static_cast<float>(InstrumentSide);
}

struct ParticleRow {
  engine::EngineParticleSystem* system;
  int32_t count;
  bool spread;
  float shortestLife, longestLife;  // seconds
};

constexpr float ParticleTimeStep = 0.05f;  // seconds
constexpr float ParticleSize = 15.0f;      // world units
constexpr float ParticlePower = 10.0f;
constexpr int32_t ParticleAmount = 5;  // particles emitted each update
// The ascent exhaust once its engine starts.
constexpr float ExhaustParticleSize = 0.05f;  // world units
constexpr std::array<int32_t, 3> ExhaustBlend = {1, 5, 2};
constexpr float ParticleLife = 3.0f;  // seconds

// Velocity (world axes) and life (seconds) of a new ascent exhaust particle.
void NewAscentParticle(Vector3& velocity, float& life) {
  const float r1 = win::Rnd();
  const float r2 = win::Rnd();
  const float r3 = win::Rnd();
  const Vector3 local = MissionType == OrbitalMission
                            ? Vector3{(2 * r1 - 1) * 0.05f, r2 * 0.005f, (2 * r3 - 1) * 0.05f}
                            : Vector3{(2 * r1 - 1) * 0.8f, -(r2 * 0.2f), (2 * r3 - 1) * 0.8f};
  velocity = PivotTransformVector(local);
  life = ParticleLife;
}

}  // namespace

void CreateLights() {
  for (int n = 0; n < LightCount; ++n) {
    const LightRow& row = LightTable[static_cast<size_t>(n)];
    d3d::D3DLIGHT8& light = LightRecords[static_cast<size_t>(n)];
    light = {};
    light.Type = row.type;
    light.Diffuse = {row.diffuse.r, row.diffuse.g, row.diffuse.b, row.diffuse.a};
    light.Specular = {row.specular.r, row.specular.g, row.specular.b, row.specular.a};
    light.Ambient = {row.ambient.r, row.ambient.g, row.ambient.b, row.ambient.a};
    if (row.type == d3d::D3DLIGHT_DIRECTIONAL) {
      const d3dx::D3DXVECTOR3 d =
          engine::EngineGlobals::MakeVector(row.direction.x, row.direction.y, row.direction.z);
      light.Direction = {d.x, d.y, d.z};
    } else {
      light.Range = row.range;
      light.Attenuation0 = row.constant;
      light.Attenuation1 = row.linear;
    }
    const int32_t id = LightEngine->CreateLight(light, 0, 0);
    LightIds[static_cast<size_t>(n)] = static_cast<int16_t>(id);
    if (n == NearPointLight) LightEngine->EnableLight(id, true);
  }
}

void CreateFonts() {
  const float scale = static_cast<float>(ScreenHeight) / FontReferenceHeight;
  const bool extended = CurrentLanguage > EnglishLanguage;
  for (int n = 0; n < FontCount; ++n) {
    const FontRow& row = FontTable[static_cast<size_t>(n)];
    // A very small window would give fonts of no size at all.
    const int32_t size = std::max(1, win::RoundHalfEven(scale * row.size));
    if (n < SmallFontN) {
      Screen2DText->CreateTextureFont(row.name, row.face, size, row.bold, false, false, extended);
      FontIds[static_cast<size_t>(n)] = Globals->GetFontId(row.name);
    } else {
      FontIds[static_cast<size_t>(n)] =
          Screen2DText->CreateFont(row.name, row.face, size, row.bold, false, false);
    }
  }
  Screen2DText->SetFontOption(FontOption);
}

int32_t RenderSurfaceSize() {
  const int32_t h = std::max(DisplayModeHeight, ScreenHeight);
  const int32_t steps = h < 512 ? 1 : h < 1024 ? 2 : 4;
  return steps * ViewSurfaceStep * RenderDetail;
}

void CreateRenderSurfaces() {
  if (RenderDetail != 0)
    CreateViewSurface();
  else
    ViewSurfaceActive = false;
  const bool full = TextureQuality == 1.0f;
  const int32_t side = full ? InstrumentSide : LowInstrumentSide;
  FDAISurface = Surface(side, side, -1);
  XPointerSurface = Surface(side, side, 0);
  AltitudeSurface = Surface(TapeWidth, side, 0);
  AltitudeRateSurface = Surface(TapeWidth, side, 0);
  MeasureFDAIScale();
  PanelSurface = Surface(StripWidth, StripHeight, 0);
  ThrottleSurface = Surface(StripWidth, StripHeight, 0);
  AttitudeMeasureSurface = Surface(AttitudeMeasureSide, AttitudeMeasureSide, -1);
  DSKYSurface = Surface(DSKYWidth, DSKYHeight, 0);
  DSKYLightsSurface = Surface(DSKYWidth, DSKYHeight, 0);
  for (RenderSurfacePtr& display : DataDisplaySurfaces)
    display = Surface(ClockWidth, ClockHeight, 0);
  FuelCounterSurface = Surface(FuelCounterWidth, ClockHeight, 0);
  CounterSurface = Surface(ClockWidth, ClockHeight, 0);
  WindowViewSurface = Surface(WindowViewSide, WindowViewSide, -1);
  WindowViewSurface->SetFrustum(WindowViewAngle, WindowViewFar, WindowViewNear);
  if (!SimpleLM) WindowOverlaySurface = Surface(WindowOverlayWidth, WindowOverlayHeight, 0);
  if (MissionType == OrbitalMission) return;
  CreateSurfaceMissionSurfaces();
}

void RebuildRenderSurfaces() {
  if (ViewSurfaceActive) {
    ReleaseSurface(ViewSurface);
    ViewSurfaceActive = false;
  }
  if (RenderDetail > 0) CreateViewSurface();
  MeasureFDAIScale();
  const bool orbital = MissionType == OrbitalMission;
  const bool wasOrbital = PreviousMissionType == OrbitalMission;
  if (orbital && !wasOrbital) {
    ReleaseSurface(ShadowSurface);
    ReleaseSurface(TerrainPatchSurface);
  } else if (!orbital && wasOrbital) {
    forms::DoEvents();
    CreateSurfaceMissionSurfaces();
  }
}

void CreateExplosion() {
  const int32_t blast = Globals->GetTextureId("blast1");
  ExplosionMesh =
      Scene->CreateBillboard(blast, 0, 0, 0, ExplosionSide, ExplosionSide, "", 0, 0, 0, -1, 0);
  ExplosionMesh->SetBlendMode(2, -1);
  ExplosionMesh->SetAlphaTest(false, 128, -1, -1);
  ExplosionMesh->SetMaterial(Globals->GetMaterialId("Ambient"), -1);
  ExplosionMesh->SetName("Explosion");
  ExplosionMesh->SetPickable(false, -1);
}

void InitParticleSystem() {
  const std::array<ParticleRow, 2> rows = {
      {{&ParticleAscent, 5000, false, 3.0f, 0.5f}, {&ParticleRCS1, 100, true, 0.0f, 0.0f}}};
  for (const ParticleRow& row : rows) {
    engine::EngineParticleSystem& system = *row.system;
    system.SetTimeStep(ParticleTimeStep);
    const d3dx::D3DXVECTOR3 position = engine::EngineGlobals::MakeVector2(0, 0, 0);
    system.Create(*Engine, row.count, 0, ParticleSize, position, 0, TextureIds.ParticleTexture);
    if (row.spread) system.SetSpread(1, 5, 2);
    system.SetLifeRange(row.shortestLife, row.longestLife);
    system.SetPower(ParticlePower);
    system.SetAmount(ParticleAmount);
  }
}

void RecreateFonts() {
  Screen2DText->ResetFonts();
  forms::DoEvents();
  CreateFonts();
}

void CreateExhaustEmitters() {
  ParticleAscent = {};
  ParticleRCS1 = {};
  ParticleAscent.NewParticle = [](d3dx::D3DXVECTOR3& velocity, float& life) {
    Vector3 v;
    NewAscentParticle(v, life);
    velocity = {v.x, v.y, v.z};
  };
}

void StartAscentExhaust(float driftX, float driftY, float speed) {
  ParticleAscent.SetParticleSize(ExhaustParticleSize);
  ParticleAscent.SetTexture(TextureIds.ParticleTexture);
  ParticleAscent.SetBlend(ExhaustBlend[0], ExhaustBlend[1], ExhaustBlend[2]);
  ParticleAscent.SetDrift(driftX, driftY);
  ParticleAscent.SetSpeed(speed);
  ParticleAscent.Start(ParticleAmount);
}
