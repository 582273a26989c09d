#include "program/cockpit/cockpit_services.h"

void DrawLandingScoreTable() {}
void DrawRaceScoreTable() {}
void InitProgramNames() {}
void CheckAttitudeWarnings() {}
void UpdateNeedleAngles() {}
void DrawCockpitDisplays() {}
void DrawCounterDigits4() {}
void DrawCounterDigits2() {}
void DrawDataDisplays() {}
void DrawSceneSurface() {}
void DrawSceneSurfaceOrbital() {}
void DrawViewOverlays() {}
void DrawHudPanel(ViewRecord&) {}
void DrawHelpPages() {}
void DrawProgramHelpText() {}
void DrawValueLines() {}
void DrawFPS() {}
void AnyViewFlagSet() {}
