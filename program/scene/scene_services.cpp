#include "program/scene/scene_services.h"

#include "platform/forms/event_pump.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"

void ResolveHorizontalVelocity() {}
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
