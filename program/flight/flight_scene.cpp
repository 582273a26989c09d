#include "program/flight/flight_scene.h"

#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/placement.h"
#include "program/scene/scene_state.h"

namespace {

// The attitude surface's view of the ball's camera, degrees and world units.
constexpr float MeasureAngle = 40.0f;
constexpr float MeasureFarPlane = 50000.0f;
constexpr float MeasureNearPlane = 1.0f;
constexpr float RollReferenceLength = 3.0f;  // along the world's x axis
constexpr double QuarterTurnDegrees = 90.0;

d3dx::D3DXVECTOR3 ToD3DX(const Vector3& v) { return {v.x, v.y, v.z}; }
Vector3 FromD3DX(const d3dx::D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }

}  // namespace

float TerrainHeight(float x, float z) {
  int tile = -1;
  return HighestTileHeight(x, z, tile);
}

bool PickTerrain(const Vector3& from, const Vector3& to, Vector3& hit) {
  const auto& tile = LandTiles[static_cast<size_t>(ActiveLandTile)];
  if (!tile) return false;
  const engine::EnginePickResult pick = tile->PickRay(ToD3DX(from), ToD3DX(to));
  if (!pick.HasHit()) return false;
  hit = FromD3DX(pick.GetHitPoint());
  return true;
}

Vector3 PivotTransformVector(const Vector3& v) {
  return FromD3DX(CameraPivot->TransformVector(ToD3DX(v)));
}

void MeasureHeading() {
  const Vector3 origin = PivotTransformVector({});
  const Vector3 ahead = PivotTransformVector({0.0f, 0.0f, -1.0f});
  // The direction from the pivot's point ahead back to its origin: the LM as it starts heads 0,
  // and the velocity it flies with, windows first, is forward.
  LMHeading = engine::EngineMathLibrary::Angle2D(origin.x - ahead.x, origin.z - ahead.z);
}

Vector3 DescentShadowTransformVector(const Vector3& v) {
  return FromD3DX(DescentShadowGroup->TransformVector(ToD3DX(v)));
}

void TurnPivot(const Vector3& increment) {
  CameraPivot->RotateY(increment.z);
  CameraPivot->RotateX(increment.x);
  CameraPivot->RotateZ(increment.y);
}

void TurnAttitudeReference(ReferenceAxis axis, float angle) {
  switch (axis) {
    case ReferenceAxis::X:
      FDAIBallCameraPivot->RotateX(angle);
      break;
    case ReferenceAxis::Y:
      FDAIBallCameraPivot->RotateY(angle);
      break;
    case ReferenceAxis::Z:
      FDAIBallCameraPivot->RotateZ(angle);
      break;
  }
}

void ResetAttitudeReference() { FDAIBallCameraPivot->SetRotation(0, 0, 0); }

Vector3 AttitudeReferenceVector() {
  FDAIBallCameraPivot->UpdateMatrix();
  OrientationMesh->SetMatrix(FDAIBallCameraPivot->GetMatrix());
  OrientationMesh->UpdateMatrix();
  d3dx::D3DXVECTOR3 v;
  GetMeshVector(v, *OrientationMesh, {0, 0, -1});
  return FromD3DX(v);
}

float AttitudeReferenceRollDegrees() {
  FDAIBallCameraPoint->UpdateMatrix();
  AttitudeMeasureSurface->SetFrustum(MeasureAngle, MeasureFarPlane, MeasureNearPlane);
  engine::EngineCamera& camera = AttitudeMeasureSurface->GetCamera();
  camera.SetMatrix(FDAIBallCameraPoint->GetMatrix());
  AttitudeMeasureSurface->StartRender(true);
  Screen2DDraw->Begin();
  float pointX = 0, pointY = 0, originX = 0, originY = 0;
  bool onScreen = false;
  Screen2DDraw->ProjectPoint({RollReferenceLength, 0, 0}, pointX, pointY, 0, onScreen);
  Screen2DDraw->ProjectPoint({0, 0, 0}, originX, originY, 0, onScreen);
  Screen2DDraw->End();
  AttitudeMeasureSurface->EndRender();
  const float a = engine::EngineMathLibrary::Angle2D(originX - pointX, originY - pointY);
  return static_cast<float>(a * DegreesPerRadianExact + QuarterTurnDegrees);
}
