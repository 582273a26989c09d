#include "program/scene/scene_services.h"

#include <cmath>

#include "platform/engine/resources.h"
#include "platform/forms/event_pump.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"

void SetDescentLegOffset(int, const Vector3&) {}
void LightContactLightMesh() {}
void ShowLowFuelLight() {}
void PlaceDescentStageMeshes(const Vector3&, const Vector3&) {}
void OffsetLMMeshes(float) {}
void ShowCrashSite() {}
float ActiveTileRenderHeight() { return 0.0f; }
void DrawTerrainShadowPicture(bool) {}
bool IsRCSPlumeShown(int) { return false; }
void ShowRCSPlume(int, int) {}
void TurnLMMeshes(const Vector3&) {}
void UpdateEngineWindowSize() {}
void SetEngineWindowed() {}
void ReleaseInputDevices() {}
void RecreateFonts() {}
void CreateExhaustEmitters() {}
void StartAscentExhaust(float, float, float) {}

void ShowLoadingStep(const std::string& text, bool, int32_t) {
  if (SimulationInitialised && Engine) Engine->WriteLog(text);
  forms::DoEvents();
}

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
