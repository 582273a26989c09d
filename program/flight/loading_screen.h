// The loading screen that the long set-ups draw their steps on: the earthrise climbing with the
// progress, the mission's description and the step's text.
#pragma once

#include <cstdint>
#include <string>

// A step of a long set-up: logs its text once the simulation is initialised and lets the window
// system run; with `draw`, it draws the loading screen with the progress bar at `step` (0 keeps
// the bar as it was).
void ShowLoadingStep(const std::string& text, bool draw, int32_t step);
