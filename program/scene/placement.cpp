#include "program/scene/placement.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/win/numbers.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"

namespace {

using d3dx::D3DXVECTOR3;
using engine::EngineMathLibrary;

constexpr float AlignedWithin = 0.006f;   // length of (normal - up) below which nothing turns
constexpr float CraterDepth = 40.0f;      // world units
constexpr float CraterRadius = 50.0f;     // world units
constexpr float CrashAlignFactor = 0.8f;  // a step of 0.002 toward the normal
constexpr float RockNearestSize = 0.04f;
constexpr float RockSizeFactor = 0.25f;
constexpr float RockFieldRadius = 900.0f;      // world units
constexpr float RockFieldInner = 0.03f;        // of the radius
constexpr float RockCandidateMargin = 200.0f;  // world units beyond RockGraphic
constexpr float CrashClearance = 40.0f;        // world units around a crashed LM
constexpr float NoCrashDistance = 2000.0f;
constexpr float RockLift = 0.1f;  // of its size
constexpr float EmitterHeight = 20.0f;
constexpr float OrbitalEmitterSpread = 100.0f;  // world units either way
constexpr float EmitterSpread = 50.0f;
constexpr float MostParticles = 30.0f;
constexpr float FewestParticles = 5.0f;
constexpr float OrbitalExhaustPower = 100.0f;
constexpr float ExhaustPower = 30.0f;
constexpr float SmallestComponent = 0.0001f;

constexpr float ForwardStep = 1.0f / 400.0f;  // world units a millisecond
constexpr float SideStep = 1.0f / 500.0f;     // world units a millisecond
constexpr float EyeHeight = 4.0f;             // world units above the ground
constexpr float HatchReach = 0.56f;           // world units from the hatch point
constexpr float PathHatchEnd = 3.5f;
constexpr float PathFastPart = 3.0f;  // beyond it the path runs at the fast rate
constexpr float PathFastRate = 0.002f;
constexpr float PathSlowRate = 0.0005f;
// The hatch point and the path from the cabin out to it, in the cabin's axes.
constexpr D3DXVECTOR3 HatchPoint{-12.0f, -4.5f, 0};
constexpr D3DXVECTOR3 CabinPath[] = {
    {-2.5f, 2.5f, 0}, {-4.85f, 2.5f, 0}, {-9.0f, -0.5f, 0}, {-12.0f, -4.7f, 0}};

void TurnViewCameraToWalk() {
  ViewCameras[1]->SetRotation(EVARotation.x, EVARotation.y, EVARotation.z);
}

Vector3 ViewCameraPlace() {
  const D3DXVECTOR3 p = ViewCameras[1]->GetPosition();
  return {p.x, p.y, p.z};
}

void LookFromEVAEye() {
  Scene->SetCameraLookAt(EVAEye.x, EVAEye.y, EVAEye.z, WalkLookAt.x, WalkLookAt.y, WalkLookAt.z);
}

constexpr float ShadowFadeHeight = 200.0f;  // feet at which the ground shadow is gone
constexpr float ShadowLiftShare = 0.1f;     // of the height above ground
constexpr float ShadowLiftBase = 2.0f;      // world units
constexpr float LowestShadowLift = -10.0f;
constexpr float ShadowGridReach = 100.0f;      // world units either side of the LM
constexpr float ShadowGridStep = 10.0f;        // world units between samples
constexpr int ShadowSamples = 21;              // each way
constexpr float ShadowScroll = 0.1f;           // texture widths a second
constexpr float StagedShadowDistance = 40.0f;  // world units between the stages
constexpr float StagedShadowAlpha = 0.6f;
constexpr float StagedShadowRange = 50.0f;  // world units

bool Between(float value, float low, float high) { return low < value && value < high; }

float Clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }

void SetTerms(int32_t material, float diffuse, float ambient, float specular, float alpha) {
  MaterialFactory->SetDiffuse(material, diffuse, diffuse, diffuse, alpha);
  MaterialFactory->SetAmbient(material, ambient, ambient, ambient, alpha);
  MaterialFactory->SetSpecular(material, specular, specular, specular, alpha);
}

}  // namespace

void AlignMeshToTerrain(engine::EngineMesh& mesh, const engine::EngineLandscape& tile,
                        float factor) {
  if (factor == 1.0f) factor = 0.999f;
  const float step = (1.0f - factor) / 100.0f;
  const D3DXVECTOR3 p = mesh.GetPosition();
  const D3DXVECTOR3 n = tile.GetNormal(p.x, p.z);
  d3dx::D3DXMATRIX r = mesh.GetRotationMatrix();
  const D3DXVECTOR3 up{r.m[1][0], r.m[1][1], r.m[1][2]};
  const D3DXVECTOR3 forward{r.m[2][0], r.m[2][1], r.m[2][2]};
  D3DXVECTOR3 d = n - up;
  if (d3dx::D3DXVec3Length(&d) < AlignedWithin) return;
  d3dx::D3DXVec3Normalize(&d, &d);
  const D3DXVECTOR3 newUp = up + d * step;
  D3DXVECTOR3 side;
  D3DXVECTOR3 newForward;
  d3dx::D3DXVec3Cross(&side, &newUp, &forward);
  d3dx::D3DXVec3Cross(&newForward, &side, &newUp);
  d3dx::D3DXVec3Normalize(&side, &side);
  d3dx::D3DXVec3Normalize(&newForward, &newForward);
  const D3DXVECTOR3 rows[3] = {side, newUp, newForward};
  for (int row = 0; row < 3; ++row) {
    r.m[row][0] = rows[row].x;
    r.m[row][1] = rows[row].y;
    r.m[row][2] = rows[row].z;
  }
  mesh.SetRotationMatrix(r);
}

void ResolveHorizontalVelocity() {
  // A component of exactly 0 would leave the heading of the velocity undefined.
  constexpr double Least = 0.00001;  // ft/s
  if (LMVelocity.x == 0.0) LMVelocity.x = Least;
  if (LMVelocity.z == 0.0) LMVelocity.z = Least;
  const auto vx = static_cast<float>(LMVelocity.x);
  const auto vz = static_cast<float>(LMVelocity.z);
  const double a = EngineMathLibrary::Angle2D(vx, vz) - 4.712388980384691 - LMHeading;
  const float s = std::sqrt(vz * vz + vx * vx);
  HorizontalVelocityForward = static_cast<float>(s * std::cos(a));
  HorizontalVelocityLateral = static_cast<float>(s * std::sin(a));
}

void DigCrater() {
  engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(ActiveLandTile)];
  const engine::HeightGrid& grid = tile.Grid();
  const D3DXVECTOR3 origin = tile.GetPosition();
  const D3DXVECTOR3 scale = tile.GetScale();
  // Sample by sample, so that a grid coarser than a unit has each sample lowered once.
  for (uint32_t row = 0; row < grid.rows; ++row)
    for (uint32_t column = 0; column < grid.columns; ++column) {
      const float x = origin.x + static_cast<float>(column) * grid.spacing * scale.x;
      const float z = origin.z + static_cast<float>(row) * grid.spacing * scale.z;
      const float d = EngineMathLibrary::GetDistance2D(0, 0, x, z);
      const float depth = std::max(0.0f, (1.0f - d / CraterRadius) * CraterDepth);
      if (depth > 0) tile.SetHeight(x, z, tile.GetHeight(x, z) - depth);
    }
  tile.UpdateHeights(-1, -1);
}

void ShowCrashSite() {
  engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(ActiveLandTile)];
  AlignMeshToTerrain(*CraterDebrisMesh, tile, CrashAlignFactor);
  DigCrater();
}

float ActiveTileRenderHeight() {
  return LandTiles[static_cast<size_t>(ActiveLandTile)]->GetPosition().y;
}

float HighestTileHeight(float x, float z, int& tile) {
  float best = NoTerrainHeight;
  tile = -1;
  for (int k = 0; k < LandTileCount; ++k) {
    const auto& landscape = LandTiles[static_cast<size_t>(k)];
    if (!landscape) continue;
    const float h = landscape->GetHeight(x, z);
    if (h == 0.0f) continue;  // no ground here
    if (h > best) {
      best = h;
      tile = k;
    } else if (h == best) {
      tile = -1;  // a tie: no tile is strictly highest
    }
  }
  return best;
}

void UpdateFootpadHeights() {
  int tile = -1;
  HighestTileHeight(0, 0, tile);
  if (tile >= 0) ActiveLandTile = tile;
}

void PlaceRocks() {
  win::Randomize();
  RockRecords.assign(static_cast<size_t>(std::max(0, RockCount) * RockPlacesPerModel), {});
  for (RockRecord& rock : RockRecords) {
    const float r = win::Rnd();
    rock.Size = std::max(r * r * RockSizeFactor, RockNearestSize);
    rock.Turn = win::Rnd() * TwoPiSingle;
    rock.Distance = (std::sin(win::Rnd() * PiSingle / 2) + RockFieldInner) * RockFieldRadius;
    const d3dx::D3DXVECTOR2 ground =
        EngineMathLibrary::PointOnCircle({0, 0}, win::Rnd() * TwoPiSingle, rock.Distance);
    rock.World = {ground.x, 0, ground.y};
  }
  RocksPlaced = false;
  RocksLaid = false;
}

void UpdateRocks() {
  if (RocksPlaced) return;
  for (RockRecord& rock : RockRecords) {
    // The place around the site becomes a world place once; its ground is asked for at its
    // render point.
    if (!RocksLaid) {
      rock.World.x += LMMeshPosition.x;
      rock.World.z += LMMeshPosition.z;
    }
    int tile = -1;
    const float h =
        HighestTileHeight(rock.World.x - LMMeshPosition.x, rock.World.z - LMMeshPosition.z, tile);
    if (tile >= 0) rock.World.y = h + LMMeshPosition.y;
  }
  RocksLaid = true;
  RocksPlaced = true;
}

void UpdateRockField() {
  const engine::EngineCamera& camera = *ViewCameras[1];
  const D3DXVECTOR3 eye = camera.GetPosition();
  const d3dx::D3DXMATRIX view = camera.GetMatrix();
  const D3DXVECTOR3 ahead =
      EngineMathLibrary::Normalize({view.m[2][0], view.m[2][1], view.m[2][2]});
  const float cosine = std::cos(FieldOfView / DegreesPerRadianSingle);
  size_t handed = 0;
  const size_t pool = RockMeshes.size();
  for (RockRecord& rock : RockRecords) {
    rock.Relative = {rock.World.x - LMMeshPosition.x, rock.World.y - LMMeshPosition.y,
                     rock.World.z - LMMeshPosition.z};
    const D3DXVECTOR3 relative{rock.Relative.x, rock.Relative.y, rock.Relative.z};
    // Most of a field's rocks lie beyond the reach: their squared distance rules them out.
    const float reach = static_cast<float>(RockGraphic) + RockCandidateMargin;
    const float squared = d3dx::D3DXVec3LengthSq(&relative);
    if (!(reach > 0 && squared < reach * reach)) continue;
    const float dist = std::sqrt(squared);
    const float e = Crashed ? dist : NoCrashDistance;
    if (!(e > CrashClearance)) continue;
    const D3DXVECTOR3 toward = EngineMathLibrary::Normalize(relative - eye);
    if (!(EngineMathLibrary::VectorDot(toward, ahead) > cosine)) continue;
    const bool near = dist < static_cast<float>(RockGraphic);
    if (handed >= pool || (near && rock.Size > RockNearestSize)) continue;
    engine::EngineMesh& model = *RockMeshes[handed++];
    model.SetPosition(relative.x, relative.y + RockLift * rock.Size, relative.z);
    const float side = near ? -rock.Size : rock.Size;
    model.SetScale(side, rock.Size, side);
    model.Enable(true);
  }
  for (size_t n = handed; n < pool; ++n) RockMeshes[n]->Enable(false);
}

void UpdateRocksVisibility() {
  for (size_t n = 0; n < RockMeshes.size(); ++n) {
    engine::EngineMesh& rock = *RockMeshes[n];
    engine::EngineMesh& shadow = *FakeRockMeshes[n];
    rock.Render();
    shadow.Render();
    if (shadow.IsEnabled() && ShadowFlags[0]) shadow.ShadowPass();
    rock.Enable(false);
    shadow.Enable(false);
  }
}

void UpdateParticleEmitter() {
  const bool orbital = MissionType == OrbitalMission;
  const float spread = orbital ? OrbitalEmitterSpread : EmitterSpread;
  const float a = spread - win::Rnd() * 2 * spread;
  float random = win::Rnd();
  const float b = spread - random * 2 * spread;
  const D3DXVECTOR3 p = DescentBodyMesh->TransformVector({a, EmitterHeight, b});
  ParticleAscent.SetEmitterPosition(p);
  ParticleAscent.SetSecondPosition(p);
  ParticleAscent.SetOptionA(1);
  // The floor comes before the 16-bit conversion: a far camera's large negative amount would wrap.
  ParticleAscent.SetAmount(
      static_cast<int16_t>(win::RoundHalfEven(std::max(FewestParticles, MostParticles - CameraDistance))));
  ParticleAscent.SetRandomValue(random);
  const bool burning = Main_Display->Timer_Ascent_Particle.Enabled();
  ParticleAscent.SetPower(burning ? (orbital ? OrbitalExhaustPower : ExhaustPower) : 0.0f);
  ParticleAscent.SetOptionB(2);
  ParticleAscent.Update();
}

void FadeLandscapeLayers() {
  const float d = CameraDistance;
  const bool race = MissionType == LMRaceMission;
  float e1 = race ? 0.0f : Clamp01(1 - (d - 30000) / 300000);
  float e2 = Clamp01(1 - (d - 10000) / 30000);
  float e3 = Clamp01(1 - (d - 5000) / 10000);
  if (LandMoveMode) {
    e1 = race ? 0.0f : 1.0f;
    e2 = e3 = 1.0f;
  }
  const auto material = [](int k) { return LandTiles[static_cast<size_t>(k)]->Material(); };
  if (e1 > 0) {
    MaterialFactory->SetDiffuse(material(2), e1 - 0.2f, e1 - 0.2f, e1 - 0.2f, e1);
    MaterialFactory->SetAmbient(material(2), e1 * 0.2f, e1 * 0.2f, e1 * 0.2f, e1);
    MaterialFactory->SetSpecular(material(2), e1 * 0.25f, e1 * 0.25f, e1 * 0.25f, e1);
    LandTiles[2]->Render(0, 0);
  }
  const std::pair<int, float> nearer[] = {{1, e2}, {0, e3}};
  for (const auto& [k, e] : nearer) {
    if (!(e > 0)) continue;
    SetTerms(material(k), 0.8f, 0.2f, 0.25f, e);
    LandTiles[static_cast<size_t>(k)]->Render(0, 0);
  }
}

void CheckTiltLimits() {
  const float a = std::abs(RollAxis.Angle) * DegreesPerRadianSingle;
  if (Between(a, 70, 110)) {
    LampGimbalLock = true;
    if (Between(a, 85, 95)) {
      GimbalLocked = true;
      LampNoAtt = true;
    }
  } else {
    LampGimbalLock = false;
  }
}

void GetMeshVector(D3DXVECTOR3& out, const engine::EngineMesh& mesh, const D3DXVECTOR3& v) {
  out = mesh.TransformVector(v);
  for (float* c : {&out.x, &out.y, &out.z})
    if (std::abs(*c) < SmallestComponent) *c = SmallestComponent;
}

void TransformPoint(D3DXVECTOR3& out, const engine::EngineMesh& mesh, const D3DXVECTOR3& point) {
  const d3dx::D3DXMATRIX world = mesh.GetMatrix();
  d3dx::D3DXMATRIX inverse;
  d3dx::D3DXMatrixInverse(&inverse, nullptr, &world);
  d3dx::D3DXVec3TransformCoord(&out, &point, &inverse);
}

namespace {

// One frame of the walker; false when it stands at the hatch and nothing more is done this frame.
bool WalkFrame() {
  const bool moving = win::RoundHalfEven(WalkForward) != 0 || win::RoundHalfEven(WalkSide) != 0;
  // Walking goes by the frame's time, so that it keeps its pace whatever the frame rate.
  const float t = FrameTimeMs;
  const float heading = EVARotation.y;
  Vector3 next{EVAEye.x + t * WalkForward * ForwardStep * std::sin(heading) +
                   t * WalkSide * SideStep * std::sin(heading + PiSingle / 2),
               EVAEye.y,
               EVAEye.z + t * WalkForward * ForwardStep * std::cos(heading) +
                   t * WalkSide * SideStep * std::cos(heading + PiSingle / 2)};
  int tile = -1;
  const float ground = HighestTileHeight(next.x, next.z, tile);
  if (tile >= 0) next.y = ground + EyeHeight;
  WalkLookAt = {next.x + std::sin(heading), next.y - std::tan(EVARotation.x),
                next.z + std::cos(heading)};
  const D3DXVECTOR3 hatch = VirtualCockpitMesh->TransformVector(HatchPoint);
  const float d = EngineMathLibrary::GetDistance2D(next.x, next.z, hatch.x, hatch.z);

  if (!WalkPathMode) {
    if (d < HatchReach) {
      if (!moving) return false;
      const float before = EngineMathLibrary::GetDistance2D(EVAEye.x, EVAEye.z, hatch.x, hatch.z);
      if (d < before) {
        WalkPathMode = true;
        SceneHelper->Clear();
        for (const D3DXVECTOR3& point : CabinPath)
          SceneHelper->AddPoint(VirtualCockpitMesh->TransformVector(point));
        SceneHelper->AddPoint({next.x, next.y, next.z});
        EVAEye = next;
        WalkPathValue = PathHatchEnd;
        SceneHelper->MoveCamera(WalkPathValue, 1.0f);
        TurnViewCameraToWalk();
        return true;
      }
    }
    EVAEye = next;
    LookFromEVAEye();
    return true;
  }

  if (WalkForward == 0.0f) return true;
  const float facing = EVARotation.y - YawAxis.Angle - PiSingle / 4;
  const float s = (-PiSingle < facing && facing < 0) ? WalkForward : -WalkForward;
  const float rate = WalkPathValue > PathFastPart ? PathFastRate : PathSlowRate;
  WalkPathValue = std::max(0.0f, WalkPathValue + t * s / 3 * rate);
  if (WalkPathValue <= PathHatchEnd) {
    SceneHelper->MoveCamera(WalkPathValue, 1.0f);
    TurnViewCameraToWalk();
    EVAEye = ViewCameraPlace();
    return true;
  }
  EVAEye = next;
  LookFromEVAEye();
  WalkPathMode = false;
  EVAEye = ViewCameraPlace();
  return true;
}

}  // namespace

void UpdateWalkingCamera() {
  const bool walked = WalkFrame();
  // The LM stands at the render origin: the walker's eye is its offset from the LM.
  EVAOffset = {EVAEye.x, 0.0f, EVAEye.z};
  if (walked && SoundOn) UpdatePhaseSounds();
}

void UpdateStageVisibility() {
  for (const MeshPtr* shadow : {&AscentShadowMesh, &AscentRadarShadowMesh, &DescentShadowMesh})
    (*shadow)->Enable(true);
  AscentShadowMesh->ShadowPass();
  AscentRadarShadowMesh->ShadowPass();
  const D3DXVECTOR3 lm{LMMeshPosition.x, LMMeshPosition.y, LMMeshPosition.z};
  const D3DXVECTOR3 descent{DescentStagePosition.x, DescentStagePosition.y, DescentStagePosition.z};
  if (AscentStageFlying && EngineMathLibrary::Distance3D(lm, descent) > StagedShadowDistance)
    Engine->SetColourAndRange(engine::EngineGlobals::MakeColor(0, 0, 0, StagedShadowAlpha),
                              StagedShadowRange);
  DescentShadowMesh->ShadowPass();
  if (DescentPartsMesh) DescentPartsMesh->ShadowPass();
  for (const MeshPtr& leg : DescentLegMeshes) leg->ShadowPass();
}

void DrawLMShadow() {
  const float perFrame = FrameTimeMs / 1000.0f;  // seconds of this frame
  float lift = LowestShadowLift;
  if (EngineOff) {
    ShadowFade = std::max(0.0f, ShadowFade - perFrame);
  } else {
    ShadowFade = Clamp01(1 - AltitudeAboveGround / ShadowFadeHeight);
    lift = AltitudeAboveGround * ShadowLiftShare + ShadowLiftBase;
  }
  if (lift > LowestShadowLift) {
    const engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(ActiveLandTile)];
    std::array<std::array<float, ShadowSamples>, ShadowSamples> h{};
    for (int i = 0; i < ShadowSamples; ++i)
      for (int j = 0; j < ShadowSamples; ++j)
        h[static_cast<size_t>(i)][static_cast<size_t>(j)] =
            tile.GetHeight(-ShadowGridReach + static_cast<float>(i) * ShadowGridStep,
                           -ShadowGridReach + static_cast<float>(j) * ShadowGridStep) +
            lift;
    // Six vertices a cell, in the dust grid's order: A, B, C, A, C, D.
    int32_t vertex = 0;
    const auto corner = [&](int i, int j) {
      DustMesh->SetVertex(vertex++, -ShadowGridReach + static_cast<float>(i) * ShadowGridStep,
                          h[static_cast<size_t>(i)][static_cast<size_t>(j)],
                          -ShadowGridReach + static_cast<float>(j) * ShadowGridStep);
    };
    for (int i = 1; i < ShadowSamples; ++i)
      for (int j = 1; j < ShadowSamples; ++j) {
        corner(i - 1, j - 1);
        corner(i - 1, j);
        corner(i, j);
        corner(i - 1, j - 1);
        corner(i, j);
        corner(i, j - 1);
      }
  }
  ShadowTextureOffset += ShadowScroll * perFrame;
  const float side = static_cast<float>(ShadowSurface->GetWidth());
  const uint32_t full = engine::EngineGlobals::MakeColor(1, 1, 1, ShadowFade);
  const uint32_t half = engine::EngineGlobals::MakeColor(1, 1, 1, ShadowFade / 2);
  ShadowSurface->StartRender(true);
  Screen2DDraw->Begin();
  Screen2DDraw->DrawTexture(TextureIds.Dustall, 0, 0, side, side, full, full, half, half,
                            ShadowTextureOffset, 0, ShadowTextureOffset + 1.0f, 1.0f);
  Screen2DDraw->End();
  ShadowSurface->EndRender();
  // The dust grid shows the streaks just drawn; without them it would hide the ground.
  DustMesh->SetTexture(ShadowSurface->GetTexture(), -1.0f);
}
