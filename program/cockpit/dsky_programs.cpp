#include "program/cockpit/dsky_programs.h"

#include <string>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int kStartedText = 194;
constexpr int32_t kStartMessageMs = 1000;
constexpr int kKeepSamples = 0;

// One row of the program table.
struct ProgramStart {
  ProgramIndex Index;
  const char* Shown;  // the program number the display shows
  const char* Verb;
  const char* Noun;
  bool Flash;
  int CompActy;  // percent
  bool RCS;
  int Samples;  // throttle average samples; kKeepSamples leaves the count
  const char* Label;
  bool Abort;  // white on red instead of green on black
};

constexpr ProgramStart kP00{P00, "00", "bb", "bb", false, 0, true, kKeepSamples, "P00 ", false};
constexpr ProgramStart kP12{P12, "12", "06", "33", true, 40, false, 5, "P12", false};
constexpr ProgramStart kP20{P20, "20", "06", "72", true, 50, true, 5, "P20 ", false};
constexpr ProgramStart kP30{P30, "30", "06", "33", true, 30, true, kKeepSamples, "P30 ", false};
constexpr ProgramStart kP40{P40, "40", "50", "18", true, 50, true, kKeepSamples, "P40 ", false};
constexpr ProgramStart kP41{P41, "41", "50", "18", true, 50, true, kKeepSamples, "P41 ", false};
constexpr ProgramStart kP51{P51, "51", "50", "25", true, 30, true, kKeepSamples, "P51 ", false};
constexpr ProgramStart kP63{P63, "63", "06", "69", false, 80, false, kKeepSamples, "P63 ", false};
constexpr ProgramStart kP64{P64, "64", "06", "64", true, 80, false, 15, "P64 ", false};
constexpr ProgramStart kP65{P65, "65", "06", "60", true, 80, false, 5, "P65 ", false};
constexpr ProgramStart kP66{P66, "66", "06", "60", true, 80, false, 5, "P66 ", false};
constexpr ProgramStart kP68{P68, "68", "06", "43", true, 10, false, 5, "P68 ", false};
constexpr ProgramStart kP70{P70, "66", "06", "60", true, 80, false, 5, "P66 ", false};
constexpr ProgramStart kP71{P71, "71", "06", "94", false, 80, false, 5, "P71", true};

void Call(const std::function<void()>& service) {
  if (service) service();
}

void Announce(const std::string& label, bool abort) {
  const std::string text =
      label + (label.empty() || label.back() != ' ' ? " " : "") + UiText[kStartedText];
  if (abort) {
    ShowMessage(text, kStartMessageMs, kRedBox, kWhiteText);
  } else {
    ShowMessage(text, kStartMessageMs, kBlackBox, kGreenText);
  }
}

void EnableStartDelay() { Main_Display->DSKYStartProgram.SetEnabled(true); }

// The common steps of a program start from the start delay to the announcement; `delayLast`
// leaves the start delay to the caller, after the restore point.
void BeginProgram(const ProgramStart& p, bool delayLast = false) {
  if (!delayLast) EnableStartDelay();
  ExtendedRoutine = NoRoutine;
  ProgramRCSFlag = p.RCS;
  LampKeyRel = false;
  CurrentProgram = p.Index;
  DSKYNoun = p.Noun;
  DSKYVerb = p.Verb;
  DSKYProgram = p.Shown;
  CompActyPercent = p.CompActy;
  VerbFlash = p.Flash;
  NounFlash = p.Flash;
  if (p.Samples != kKeepSamples) ThrustAverageLength = p.Samples;
  Announce(p.Label, p.Abort);
}

void ClearContactLight() {
  Call(DSKYNeighbours.ResetContactLight);
  ContactLightFlags[0] = false;
  ContactLightFlags[1] = false;
}

// The start of a program with no steps of its own.
void StartPlain(const ProgramStart& p) {
  BeginProgram(p);
  SaveDSKYState();
}

}  // namespace

void StartP00() {
  ClearContactLight();
  StartPlain(kP00);
}

void StartP12() {
  ClearContactLight();
  BeginProgram(kP12);
  Call(DSKYNeighbours.StopAllSounds);
  Call(DSKYNeighbours.ResetAttitudeAxes);
  Call(DSKYNeighbours.ClearInteriorViewFlag);
  SetTimeDigits(TimeToAscentIgnition);
  IgnitionTime = AddTimes(MissionClock, TimeToAscentIgnition);
  // A second ascent start only changes the program: the ascent stage keeps the fuel it has
  // burnt and is not staged twice.
  if (!AscentStageFlying) {
    if (DSKYNeighbours.RotateLMMeshes) DSKYNeighbours.RotateLMMeshes(-3.0f);
    Fuel = AscentFuelMass;
    EngineThrust = APSThrust;
    AscentStageFlying = true;
    Call(DSKYNeighbours.StartStaging);
  }
  SaveDSKYState();
}

void StartP20() {
  if (AscentOnly) Staged = true;
  EngineOff = true;
  Fuel = Staged ? AscentFuelMass : DescentFuelMass;
  BeginProgram(kP20, true);
  SaveDSKYState();
  EnableStartDelay();
}

void StartP30() {
  ClearContactLight();
  StartPlain(kP30);
}

void StartP40() {
  EngineOff = true;
  AttitudeReachedFlags[1] = false;
  ClearContactLight();
  StartPlain(kP40);
  EnterRequest = false;
  IgnitionTime = AddTimes(MissionClock, TimeRecord{});
  TimeToIgnition = SubtractTimes(IgnitionTime, MissionClock);
}

void StartP41() {
  ManeuverTargets = {DegToRad(20.0f), -DegToRad(-30.0f), DegToRad(40.0f)};
  BeginProgram(kP41, true);
  SaveDSKYState();
  EnableStartDelay();
}

void StartP51() {
  ClearContactLight();
  BeginProgram(kP51);
  PitchAxis.TargetAngle = 0.0f;
  RollAxis.TargetAngle = 0.0f;
  YawAxis.TargetAngle = 0.0f;
  Noun71Text = "p00150";
  Noun85Text = {"p00000", "p00000"};
  SaveDSKYState();
}

void StartP63() { StartPlain(kP63); }
void StartP64() { StartPlain(kP64); }
void StartP65() { StartPlain(kP65); }
void StartP66() { StartPlain(kP66); }

void StartP68() {
  ClearContactLight();
  StartPlain(kP68);
}

void StartP70() { StartPlain(kP70); }

void StartP71() {
  BeginProgram(kP71);
  // Aborting again once the ascent stage flies only changes the program: staging twice would
  // refill the ascent tanks.
  if (!AscentStageFlying) {
    AscentStageFlying = true;
    Fuel = AscentFuelMass;
    EngineThrust = APSThrust;
    Call(DSKYNeighbours.StageAndAscend);
  }
  SaveDSKYState();
  Call(DSKYNeighbours.StartAscentEngine);
}

namespace {

// R60 and R62 keep the program and its start delay and only take over the display.
void StartRoutine(RoutineIndex routine, const char* verb, const char* noun, const char* label) {
  ExtendedRoutine = routine;
  ProgramRCSFlag = true;
  if (CurrentProgram == P00) LampKeyRel = false;
  DSKYNoun = noun;
  DSKYVerb = verb;
  CompActyPercent = 50;
  VerbFlash = true;
  NounFlash = true;
  Announce(label, false);
}

}  // namespace

void StartR60() {
  AttitudeReachedFlags[1] = false;
  StartRoutine(R60, "50", "18", "R60 ");
}

void StartR62() {
  StartRoutine(R62, "06", "22", "R62 ");
  if (CurrentProgram == P00) SaveDSKYState();
}

bool StartProgramByIndex(int index) {
  static constexpr void (*kStarts[])() = {StartP00, StartP12, StartP20, StartP30, StartP40,
                                          StartP41, StartP51, StartP63, StartP64, StartP65,
                                          StartP66, StartP68, StartP70, StartP71};
  if (index < FirstProgram || index > LastProgram) return false;
  kStarts[index - FirstProgram]();
  return true;
}
