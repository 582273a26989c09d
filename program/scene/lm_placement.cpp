#include "program/scene/lm_placement.h"

#include <cstddef>
#include <vector>

#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"

namespace {

constexpr float StagedShadowDrop = -3.0f;  // world units the staged LM's shadow picture is lower
// The shadow picture's camera: from the sun's side, falling 1 in 5, narrow.
constexpr float PatchEyeX = 400.0f;
constexpr float PatchEyeY = 80.0f;
constexpr float PatchAngle = 3.5f;  // degrees
constexpr float PatchFarPlane = 500.0f;
constexpr float PatchNearPlane = 10.0f;
constexpr size_t BlobPads[] = {0, 2, 3};  // footpad 1 has no blob

}  // namespace

// A turn by (roll, pitch, yaw) increments, in the order the LM's meshes take them.
void Turn(engine::EngineMesh& mesh, const Vector3& increment) {
  mesh.RotateY(increment.z);
  mesh.RotateX(increment.x);
  mesh.RotateZ(increment.y);
}

void SetAbsoluteRotation(engine::EngineMesh& mesh, float sign) {
  mesh.SetRotation(sign * RollAxis.Angle, sign * YawAxis.Angle, sign * PitchAxis.Angle);
}

// The descent stage turns with the LM while joined; once left behind it tumbles by its own rates
// until it lies on the ground.
void TurnDescentStage(const Vector3& increment) {
  if (!AscentStageFlying) {
    Turn(*DescentStageMesh, increment);
    if (ShadowFlags[1]) DescentShadowGroup->SetRotation(0, 0, 0);
    DescentShadowGroup->SetMatrix(DescentStageMesh->GetMatrix());
    return;
  }
  if (!(DescentStageHeight > StageRestHeight || MissionType == OrbitalMission)) return;
  const auto dt = static_cast<float>(FrameTimeSec);
  Turn(*DescentStageMesh, {DescentStageTumbleRates.x * dt, DescentStageTumbleRates.y * dt,
                           DescentStageTumbleRates.z * dt});
  DescentShadowGroup->SetMatrix(DescentStageMesh->GetMatrix());
}

void PlumesFollowThePivot() {
  CameraPivot->UpdateMatrix();
  RCSPlumeGroup->SetMatrix(CameraPivot->GetMatrix());
}

namespace {

// The parts RenderAscentStage keeps out of the cockpit eye's way, for the current options.
std::vector<engine::EngineMesh*> PartsInTheWay() {
  std::vector<engine::EngineMesh*> parts{AscentRadarMesh.get(), AscentRadarOrbitMesh.get()};
  if (!SimpleLM) {
    parts.push_back(AscentWindowsMesh.get());
    parts.push_back(AscentSilverFoilMesh.get());
  }
  if (ShadowFlags[0]) {
    parts.push_back(AscentShadowMesh.get());
    parts.push_back(AscentRadarShadowMesh.get());
  }
  return parts;
}

}  // namespace

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

void TurnLMMeshes(const Vector3& increment) {
  Turn(*AscentStageMesh, increment);
  AscentShadowGroup->SetMatrix(AscentStageMesh->GetMatrix());
  TurnDescentStage(increment);
  Turn(*VirtualCockpitMesh, increment);
  PlumesFollowThePivot();
}

void SetDescentLegOffset(int pad, const Vector3& offset) {
  DescentLegMeshes[static_cast<size_t>(pad)]->SetPosition(offset.x, offset.y, offset.z);
}

void PlaceDescentStageMeshes(const Vector3& offset, const Vector3& ascentOffset) {
  DescentStageMesh->SetPosition(offset.x, offset.y, offset.z);
  DescentShadowGroup->SetPosition(offset.x, offset.y, offset.z);
  AscentShadowGroup->SetPosition(ascentOffset.x, ascentOffset.y, ascentOffset.z);
}

bool IsRCSPlumeShown(int plume) { return RCSPlumes[static_cast<size_t>(plume)]->IsEnabled(); }

void ShowRCSPlume(int plume, int texture) {
  engine::EngineMesh& mesh = *RCSPlumes[static_cast<size_t>(plume)];
  mesh.Enable(true);
  mesh.SetTexture(TextureIds.RCSPlume[static_cast<size_t>(texture - 1)], -1.0f);
}

void DrawTerrainShadowPicture(bool drawBlobs) {
  for (const size_t pad : BlobPads) {
    const Vector3& p = ShadowBlobPositions[pad];
    ShadowBlobMeshes[pad]->SetPosition(p.x, p.y, p.z);
  }
  for (size_t n = 0; n < ShadowGridVertices.size(); ++n) {
    const Vector3& v = ShadowGridVertices[n];
    ShadowGridMesh->SetVertex(static_cast<int32_t>(n), v.x, v.y, v.z);
  }
  for (size_t pad = 0; pad < DescentLegMeshes.size(); ++pad) {
    const d3dx::D3DXVECTOR3 at = DescentLegMeshes[pad]->GetPosition();
    DescentLegShadowMeshes[pad]->SetPosition(at.x, at.y, at.z);
  }
  const float drop = AscentStageFlying ? StagedShadowDrop : 0.0f;
  TerrainPatchSurface->SetCameraLookAt(PatchEyeX, PatchEyeY + drop, 0, 0, drop, 0);
  TerrainPatchSurface->SetFrustum(PatchAngle, PatchFarPlane, PatchNearPlane);
  TerrainPatchSurface->StartRender(true);
  AscentRadarShadowMesh->Enable(true);
  AscentShadowGroup->Render();
  DescentShadowGroup->Render();
  if (drawBlobs)
    for (const size_t pad : BlobPads) ShadowBlobMeshes[pad]->Render();
  TerrainPatchSurface->EndRender();
  ShadowGridMesh->SetTexture(TerrainPatchSurface->GetTexture(), -1.0f);
}

void RenderAscentStage() {
  const std::vector<engine::EngineMesh*> parts = PartsInTheWay();
  for (engine::EngineMesh* part : parts) part->Enable(false);
  AscentStageMesh->Render();
  for (engine::EngineMesh* part : parts) part->Enable(true);
}

void RenderStageMeshes() {
  AscentShadowMesh->Render();
  AscentShadowGroup->Render();
  // The descent stage is left out of a flight of the ascent stage alone.
  if (!AscentOnly) DescentShadowGroup->Render();
  for (const MeshPtr* companion : {&AscentShadowMesh, &AscentRadarShadowMesh, &DescentShadowMesh})
    (*companion)->Enable(false);
}
