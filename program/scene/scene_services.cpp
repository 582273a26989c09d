#include "program/scene/scene_services.h"

#include <cmath>

#include "platform/engine/resources.h"
#include "platform/forms/event_pump.h"
#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/views.h"

void SetDescentLegOffset(int, const Vector3&) {}
void LightContactLightMesh() {}
void ShowLowFuelLight() {}
void PlaceDescentStageMeshes(const Vector3&, const Vector3&) {}
void ShowCrashSite() {}
float ActiveTileRenderHeight() { return 0.0f; }
void DrawTerrainShadowPicture(bool) {}
bool IsRCSPlumeShown(int) { return false; }
void ShowRCSPlume(int, int) {}
void TurnLMMeshes(const Vector3&) {}
void UpdateEngineWindowSize() {
  int32_t unused = 0;
  if (Engine) Engine->UpdateWindowSize(unused);
}

void SetEngineWindowed() {
  if (Engine) Engine->SetWindowedFlag(true);
}

void ReleaseInputDevices() {
  if (InputEngine) InputEngine->ReleaseDevices();
}
void RecreateFonts() {}
void CreateExhaustEmitters() {}
void StartAscentExhaust(float, float, float) {}

void ResolveHorizontalVelocity() {
  // A component of exactly 0 would leave the heading of the velocity undefined.
  constexpr double Least = 0.00001;  // ft/s
  if (LMVelocity.x == 0.0) LMVelocity.x = Least;
  if (LMVelocity.z == 0.0) LMVelocity.z = Least;
  const auto vx = static_cast<float>(LMVelocity.x);
  const auto vz = static_cast<float>(LMVelocity.z);
  const float a = engine::EngineMathLibrary::Angle2D(vx, vz) - 4.712388980384691f - LMHeading;
  const float s = std::sqrt(vz * vz + vx * vx);
  HorizontalVelocityForward = s * std::cos(a);
  HorizontalVelocityLateral = s * std::sin(a);
}

void OffsetLMMeshes(float height) {
  if (height < 0 && AscentStageFlying) return;
  AscentStageMeshOffset = {0, height, 0};
  const auto place = [height](const MeshPtr& mesh) {
    // The Simple LM has no foils, windows or detailed parts.
    if (mesh) mesh->SetPosition(0, height, 0);
  };
  for (const MeshPtr* part :
       {&AscentBodyMesh, &AscentRadarMesh, &AscentRadarOrbitMesh, &AscentEngineFlame,
        &DescentBodyMesh, &AscentGoldFoilMesh, &AscentSilverFoilMesh, &AscentWindowsMesh,
        &DescentGoldFoilMesh, &DescentSilverFoilMesh, &DescentRedFoilMesh, &DescentLegFoilMesh,
        &DescentPartsMesh})
    place(*part);
  for (size_t pad = 0; pad < DescentLegMeshes.size(); ++pad) {
    const MeshPtr& leg = DescentLegMeshes[pad];
    if (!leg) continue;
    if (!Landed) {
      place(leg);
      continue;
    }
    // Landed, a leg keeps most of its spread along its own axis: pads 0 and 2 lie on z, 1 and 3
    // on x.
    constexpr float LandedSpread = 0.6f;
    const d3dx::D3DXVECTOR3 at = leg->GetPosition();
    if (pad % 2 == 0)
      leg->SetPosition(0, at.y + height, at.z * LandedSpread);
    else
      leg->SetPosition(at.x * LandedSpread, at.y + height, 0);
  }
  // The ascent stage's companions rise with it; the descent stage's stays with its stage once the
  // ascent stage flies.
  for (const MeshPtr* shadow :
       {&AscentShadowMesh, &AscentRadarShadowMesh, &AscentRadarShadowOrbitMesh})
    place(*shadow);
  if (DescentShadowMesh) DescentShadowMesh->SetPosition(0, AscentStageFlying ? 0 : height, 0);
  for (const MeshPtr& plume : RCSPlumes) place(plume);
  place(CockpitShellMesh);
  for (const auto& [name, part] : CockpitPartMeshes) place(part);
  for (const auto& [name, lever] : SwitchMeshes) place(lever);
  for (const MeshPtr* hatch :
       {&HatchClosedOuterMesh, &HatchClosedInnerMesh, &HatchOpenMesh, &HatchOpenAMesh})
    place(*hatch);
}

void InstallSceneDSKYServices() {
  DSKYNeighbours.ResetContactLight = [] {
    CockpitPart("ContactLight").SetTexture(TextureIds.ContOff, -1.0f);
  };
  DSKYNeighbours.ClearInteriorViewFlag = [] { InteriorViewFlag = false; };
  DSKYNeighbours.RotateLMMeshes = OffsetLMMeshes;
  DSKYNeighbours.ReapplyPGNSSwitch = [] { SetSwitchModelB(PGNSSwitch.SwitchPosition); };
}
