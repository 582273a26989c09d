// The P64 guidance step: the roll and yaw targets that steer the horizontal velocity, the pitch
// that brakes the LM to the landing spot, the descent rate along the line of sight to the low
// gate, and the landing point designator's angle, time and redesignation step.
#pragma once

// Once a frame while P64 runs.
void UpdateLandingGuidance();
// The flight loop's name for the same step.
void UpdateNeedleAngles();
