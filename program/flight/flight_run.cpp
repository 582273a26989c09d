#include "program/flight/flight_run.h"

#include "platform/forms/forms.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"

void RunFlight() {}
void RunFrameLoop() {}
void RunOrbitalFrameLoop() {}
void ShutDownSimulator() {}
void InitEngineAndWindow() {}
void StartFlight() {}
void ApplyMissionSelection() {}
void RestartFlight() {}

void ShowLoadingStep(const std::string& text, bool, int32_t) {
  if (SimulationInitialised && Engine) Engine->WriteLog(text);
  forms::DoEvents();
}
