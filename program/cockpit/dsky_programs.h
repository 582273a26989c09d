// The guidance programs' start routines: each puts the DSKY into the program's first display,
// sets the flight quantities the program needs, arms the start delay and announces the start.
#pragma once

#include <functional>

// Services of other subsystems that the program starts call. Each is empty until its owner
// installs it, so the DSKY runs on its own in tests and before the engine is up.
struct DSKYServices {
  std::function<void()> ResetContactLight;  // the cockpit contact light back to "off"
  std::function<void()> StopAllSounds;
  std::function<void()> ResetAttitudeAxes;
  std::function<void()> ClearInteriorViewFlag;
  std::function<void(float)> RotateLMMeshes;
  std::function<void()> StartStaging;    // the frame loop's 6 s staging sequence
  std::function<void()> StageAndAscend;  // the abort's staging: meshes, disturbances, velocity
  std::function<void()> StartAscentEngine;
  std::function<void()> StartDescentEngine;
  std::function<void()> ReapplyPGNSSwitch;  // verbs 76 and 77
};
inline DSKYServices DSKYNeighbours;

void StartP00();
void StartP12();
void StartP20();
void StartP30();
void StartP40();
void StartP41();
void StartP51();
void StartP63();
void StartP64();
void StartP65();
void StartP66();
void StartP68();
void StartP70();
void StartP71();
void StartR60();
void StartR62();

// The start routine of a ProgramIndex; false for an index without one.
bool StartProgramByIndex(int index);
