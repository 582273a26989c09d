#include "program/cockpit/cockpit_services.h"

void PlayCrashSound() {}
void PlaySeparationSound() {}
void PlayEngineSound() {}
void PlayRCSLoopSound() {}
void DrawLandingScoreTable() {}
void DrawRaceScoreTable() {}
void RestartMusic() {}
