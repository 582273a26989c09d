#include "program/flight/flight_run.h"

void RunFlight() {}
void RunFrameLoop() {}
void RunOrbitalFrameLoop() {}
void StopAllSounds() {}
void ShutDownSimulator() {}
void InitEngineAndWindow() {}
void StartFlight() {}
void ApplyMissionSelection() {}
void RestartFlight() {}
void ShowLoadingStep(const std::string&, bool) {}
