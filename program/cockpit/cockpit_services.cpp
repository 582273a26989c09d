#include "program/cockpit/cockpit_services.h"

void ShowMessage(const std::string&, int32_t, uint32_t, uint32_t) {}
void PlayCrashSound() {}
void PlaySeparationSound() {}
void PlayEngineSound() {}
void PlayRCSLoopSound() {}
void DrawLandingScoreTable() {}
void DrawRaceScoreTable() {}
void UpdateDSKYDisplay() {}
void ClearDSKYLights() {}
void RestartMusic() {}
