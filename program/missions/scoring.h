// Scoring a landing or a race once the LM has landed with its engine off.
//
// The frame loop's recording counters are the sample indices the scores read: ControlStartRecord
// (manual control began; the race's start), LowGateIndex (the first sample at 100 ft or lower:
// the end of the approach and the start of the final approach; the contact light, which comes on
// a few feet up, would leave the final approach almost nothing), FirstTouchRecord (touchdown) and
// TouchdownDistance (the miss of the landing target point). A played-back flight reads the
// replay's copies of them. Indices outside the recorded samples are clamped to them.
#pragma once

// Scores a landing into CurrentScore, raises the active pilot's bests and writes the score file;
// a played-back flight is scored into ReplayScore only.
void ScoreLanding();
// The path points and final-approach points of CurrentScore, from quadratic fits of the approach,
// and the three landing path lines.
void FitFlightPathCurves();
// Scores a race; the score file is written only when the pilot's best race total rises.
void ScoreRace();
