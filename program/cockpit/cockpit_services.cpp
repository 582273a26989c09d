#include "program/cockpit/cockpit_services.h"

void DrawLandingScoreTable() {}
void DrawRaceScoreTable() {}
