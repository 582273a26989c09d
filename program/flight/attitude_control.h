// Attitude control: the reaction-control jets fired by hand (direct), as a rate command with
// attitude hold, or by the guidance computer's timed steps; the attitude errors and the attitude
// ball's error needles; the attitude measured from the attitude reference; the stepped turn toward
// a target attitude; and the choice of jet plumes shown.
//
// Rates are rad/s, angles radians, times seconds.
#pragma once

#include "program/flight/flight_state.h"

inline constexpr float SmallDeadband = 0.00872664625997165f;  // rad, deadband switch at 0
inline constexpr float LargeDeadband = 0.08726646259971649f;  // rad, deadband switch at 1

// Once per frame: by the PGNS switch and the three mode switches.
void UpdateAttitudeControl();
void StepDirectAxis(AttitudeAxis& axis);
void StepRateHoldAxis(AttitudeAxis& axis);
void StepTimedAxis(AttitudeAxis& axis);
// Roll and pitch targets that tilt against the horizontal velocity (hovering in P66).
void UpdateHoverAttitudeTargets();
// Every 0.2 s: the pitch target from the vertical speed.
void UpdatePitchSchedule();
// Body-axis errors from the targets and the needle positions.
void UpdateAttitudeErrors();
// The three angles from the attitude reference, and the guidance computer's display angles.
void MeasureLMAngles();
// Turns the attitude reference by this frame's increments, then measures.
void SetFDAIBallAttitude();
// Turns the LM meshes, the pivot and the attitude reference by this frame's increments.
void UpdateFDAIFromLM();
// The turns of a replay: by this frame's increments, or absolutely from the axes' angles during
// its first 300 ms.
void ApplyLMAttitude();
// One step of the turn toward the targets at up to `rateDegrees` per second, over this frame's
// time when `realTime`, else over 0.01 s.
void StepAttitudeManeuver(float rateDegrees, bool realTime);
void ResetAttitudeAxis(AttitudeAxis& axis);
void UpdateRCSJets();
void ShowJetPlumes(const JetSelection& table);
void FillJetSelectionTables();
// A jet fired: keeps the jet sound looping for another 0.2 s.
void RestartLoopSound();
