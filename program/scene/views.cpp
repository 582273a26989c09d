#include "program/scene/views.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/placement.h"
#include "program/startup/startup_state.h"

namespace {

using d3dx::D3DXVECTOR3;

// The string ids of the texts naming the records on screen, in record order: "Virtual Cockpit 1"
// to "Spot View 2", the EVA view's "EVA View" and the exterior view's "Ground View".
constexpr std::array<int32_t, ViewCount> ViewNameTexts = {49, 50, 51, 58, 52, 53, 54, 57, 55, 56};
constexpr int32_t EVAStartText = 188;
constexpr int32_t ViewNameMs = 1000;
constexpr int32_t EVAStartMs = 2000;
constexpr float FewestTransitionSteps = 5.0f;
constexpr float MostTransitionSteps = 1000.0f;  // a glide of at most a thousand frames
constexpr float CameraClearance = 4.0f;  // world units the ground test allows below the camera
constexpr int LiftAttempts = 51;
constexpr float SpotChaseLiftStep = 0.3f;  // degrees
constexpr float LiftStep = 4.0f;           // degrees
// The hatch path in the ascent stage's axes, from the cabin out.
constexpr std::array<D3DXVECTOR3, 5> HatchPath = {{{-2.5f, 2.5f, 0},
                                                   {-4.85f, 2.5f, 0},
                                                   {-9.0f, -0.5f, 0},
                                                   {-12.0f, -4.7f, 0},
                                                   {-13.25f, -4.7f, 0}}};

void ShowViewName(ViewIndex view) {
  ShowMessage(UiText[ViewNameTexts[static_cast<size_t>(view)]], ViewNameMs, 0, 0);
}

void ShowHatch(bool open, bool closedInner, bool closedOuter) {
  HatchOpenMesh->Enable(open);
  HatchOpenAMesh->Enable(open);
  HatchClosedInnerMesh->Enable(closedInner);
  HatchClosedOuterMesh->Enable(closedOuter);
}

void ClosedHatchMaterial(const char* material) {
  const int32_t id = Globals->GetMaterialId(material);
  HatchClosedInnerMesh->SetMaterial(id, -1);
  HatchClosedOuterMesh->SetMaterial(id, -1);
}

// Seen from inside the closed hatch shows its inner side, from outside its outer side.
void InsideHatch() {
  ClosedHatchMaterial("MatInterior1");
  if (HatchOpenFlag)
    ShowHatch(true, false, false);
  else
    ShowHatch(false, true, false);
}

void ExteriorHatch() {
  ClosedHatchMaterial("MatShip");
  if (HatchOpenFlag)
    ShowHatch(true, false, false);
  else
    ShowHatch(false, false, true);
}

void OpenHatch() {
  const int32_t interior = Globals->GetMaterialId("MatInterior1");
  HatchOpenMesh->SetMaterial(interior, -1);
  HatchOpenAMesh->SetMaterial(interior, -1);
  ShowHatch(true, false, false);
}

void MakeCurrent(ViewIndex view) {
  CurrentView = ViewRecords[static_cast<size_t>(view)];
  CurrentViewIndex = view;
}

D3DXVECTOR3 OrbitPoint() { return OrbitCameraPoint({}); }

// The camera at the orbit point stands on or above the ground under it.
bool CameraAboveGround() {
  const D3DXVECTOR3 point = OrbitPoint();
  const float h = LandTiles[static_cast<size_t>(CameraLandTile)]->GetHeight(point.x, point.z);
  return point.y - h + CameraClearance >= CameraClearance;
}

Vector3 FromD3DX(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }

}  // namespace

void ClearViewFlags() {
  for (ViewRecord& record : ViewRecords) record.Active = false;
  InteriorViewFlag = SpotViewFlag = CockpitPanelFlag = ExteriorViewFlag = EVAViewFlag = false;
  EVAMode = false;
}

void SelectView(ViewIndex view) {
  const bool wasOutside = CockpitPanelFlag || ExteriorViewFlag || EVAViewFlag || SpotViewFlag;
  PreviousView = CurrentView;
  ClearViewFlags();
  ViewRecord& record = ViewRecords[static_cast<size_t>(view)];
  record.Active = true;
  FrameSettled = false;
  ShowViewName(view);
  switch (view) {
    case VirtualView1:
    case VirtualView2:
    case VirtualView3: {
      const auto k = static_cast<size_t>(view - VirtualView1);
      InteriorViewFlag = true;
      if (wasOutside)
        TransitionIndex = 0;
      else
        StartCameraTransition(CurrentCockpitEye, CurrentCockpitRotation, VirtualCockpitEye[k],
                              VirtualCockpitRotation[k], record.ViewAngle);
      CurrentCockpitRotation = VirtualCockpitRotation[k];
      CurrentCockpitEye = VirtualCockpitEye[k];
      InsideHatch();
      break;
    }
    case EVAView:
      EVAViewFlag = HatchOpenFlag = EVAMode = true;
      OpenHatch();
      break;
    case CockpitView1:
    case CockpitView2:
    case CockpitView3:
      CockpitPanelFlag = true;
      break;
    case SpotView1:
      SpotChase = false;
      SpotCameraPosition = FromD3DX(OrbitPoint());
      ViewCameras[1]->SetCamera({SpotCameraPosition.x, SpotCameraPosition.y, SpotCameraPosition.z},
                                {0, 0, 0});
      SpotViewFlag = true;
      ExteriorHatch();
      break;
    case SpotView2:
      SpotViewFlag = SpotChase = true;
      ExteriorHatch();
      break;
    case ExteriorView:
    case ViewCount:
      ExteriorViewFlag = true;
      ExteriorHatch();
      break;
  }
  MakeCurrent(view);
  FieldOfView = record.ViewAngle;
  Main_Display->TimerKeyPress.SetEnabled(true);
}

void StoreViewAngle() {
  for (const ViewIndex view : {VirtualView1, VirtualView2, VirtualView3, EVAView, CockpitView3,
                               ExteriorView, SpotView1, SpotView2})
    if (ViewRecords[static_cast<size_t>(view)].Active)
      ViewRecords[static_cast<size_t>(view)].ViewAngle = FieldOfView;
}

void StartCameraTransition(const Vector3& fromEye, const Vector3& fromRotation,
                           const Vector3& toEye, const Vector3& toRotation, float toAngle) {
  TransitionSteps =
      win::RoundHalfEven(std::clamp(FramesPerSecond, FewestTransitionSteps, MostTransitionSteps));
  const auto between = [](const Vector3& a, const Vector3& b, float d) {
    return Vector3{a.x + d * (b.x - a.x), a.y + d * (b.y - a.y), a.z + d * (b.z - a.z)};
  };
  TransitionEye.clear();
  TransitionRotation.clear();
  TransitionAngle.clear();
  for (int32_t i = 1; i <= TransitionSteps; ++i) {
    const float d = static_cast<float>(i) / static_cast<float>(TransitionSteps);
    TransitionEye.push_back(between(fromEye, toEye, d));
    TransitionRotation.push_back(between(fromRotation, toRotation, d));
    TransitionAngle.push_back(FieldOfView + d * (toAngle - FieldOfView));
  }
  TransitionIndex = 1;
}

void StartEVAView() {
  // The first time in a flight the path out of the hatch is built, and the walk starts where it
  // starts: the eye the camera glides to.
  const bool firstTime = !EVAStarted;
  if (firstTime) {
    AscentStageMesh->Render();
    EVAStartPoint = FromD3DX(AscentStageMesh->TransformVector(HatchPath[0]));
    EVAEye = EVAStartPoint;
    EVARotation = {PitchAxis.Angle, YawAxis.Angle - static_cast<float>(Pi / 2), EVARotation.z};
    EVAStarted = true;
  }
  StartCameraTransition(CurrentCockpitEye, CurrentCockpitRotation, EVAEye, EVARotation,
                        ViewRecords[EVAView].ViewAngle);
  ControlAssignments[ActionEVAView].Pressed = false;
  ClearViewFlags();
  ViewRecords[EVAView].Active = true;
  HatchOpenFlag = EVAViewFlag = EVAMode = true;
  MakeCurrent(EVAView);
  ShowViewName(EVAView);
  OpenHatch();
  FrameSettled = false;
  if (firstTime) {
    SceneHelper->Clear();
    SceneHelper->SetMode(0);
    ViewCameras[1]->SetPosition(EVAStartPoint.x, EVAStartPoint.y, EVAStartPoint.z);
    for (const D3DXVECTOR3& point : HatchPath)
      SceneHelper->AddPoint(AscentStageMesh->TransformVector(point));
    WalkPathMode = true;
    WalkPathValue = 0.0f;
  } else {
    Scene->SetCameraLookAt(EVAEye.x, EVAEye.y, EVAEye.z, WalkLookAt.x, WalkLookAt.y, WalkLookAt.z);
  }
  CurrentCockpitRotation = EVARotation;
  CurrentCockpitEye = EVAEye;
  ShowMessage(UiText[EVAStartText], EVAStartMs, 0, 0);
}

D3DXVECTOR3 OrbitCameraPoint(const Vector3& centre) {
  return engine::EngineMathLibrary::PointOnSphere(
      {centre.x, centre.y, centre.z}, CameraOrbitDistance, CameraOrbitYaw * RadiansPerDegreeSingle,
      CameraOrbitPitch * RadiansPerDegreeSingle);
}

void GetCameraGroundPoint() {
  std::array<float, LandTileCount> h{};
  for (int k = 0; k < LandTileCount; ++k) {
    const engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(k)];
    const D3DXVECTOR3 origin = tile.GetPosition();
    const float x = CameraGroundPoint.x;
    const float z = CameraGroundPoint.z;
    const bool inside = x >= origin.x && x <= origin.x + tile.GetWidth() && z >= origin.z &&
                        z <= origin.z + tile.GetDepth();
    const float height = tile.GetHeight(x, z);
    h[static_cast<size_t>(k)] = inside && height != 0.0f ? height : NoTerrainHeight;
  }
  if (h[2] > h[0] && h[2] > h[1]) CameraLandTile = 2;
  if (h[1] > h[2] && h[1] > h[0]) CameraLandTile = 1;
  if (h[0] > h[2] && h[0] > h[1]) CameraLandTile = 0;
}

void ChangeCameraPitch(float m, float n) {
  const float step = MouseSensitivity * m * 2 / n;
  if (LandMoveMode) {
    CameraOrbitPitch += step;
    return;
  }
  const bool orbital = MissionType == OrbitalMission;
  if (!orbital) GetCameraGroundPoint();
  CameraOrbitPitch += step;
  if (orbital) return;
  if (!CameraAboveGround()) CameraOrbitPitch -= step;
}

void LiftCameraAboveTerrain() {
  GetCameraGroundPoint();
  for (int attempt = 0; attempt < LiftAttempts && !CameraAboveGround(); ++attempt) {
    CameraOrbitPitch -= SpotChase && SpotViewFlag ? SpotChaseLiftStep : LiftStep;
    forms::DoEvents();
  }
}
