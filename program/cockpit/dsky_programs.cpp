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

constexpr int StartedText = 194;
constexpr int32_t StartMessageMs = 1000;
constexpr int KeepSamples = 0;

// One row of the program table.
struct ProgramStart {
  ProgramIndex Index;
  const char* Shown;  // the program number the display shows
  const char* Verb;
  const char* Noun;
  bool Flash;
  int CompActy;  // percent
  bool RCS;
  int Samples;  // throttle average samples; KeepSamples leaves the count
  const char* Label;
  bool Abort;  // white on red instead of green on black
};

constexpr ProgramStart P00Start{P00, "00", "bb", "bb", false, 0, true, KeepSamples, "P00 ", false};
constexpr ProgramStart P12Start{P12, "12", "06", "33", true, 40, false, 5, "P12", false};
constexpr ProgramStart P20Start{P20, "20", "06", "72", true, 50, true, 5, "P20 ", false};
constexpr ProgramStart P30Start{P30, "30", "06", "33", true, 30, true, KeepSamples, "P30 ", false};
constexpr ProgramStart P40Start{P40, "40", "50", "18", true, 50, true, KeepSamples, "P40 ", false};
constexpr ProgramStart P41Start{P41, "41", "50", "18", true, 50, true, KeepSamples, "P41 ", false};
constexpr ProgramStart P51Start{P51, "51", "50", "25", true, 30, true, KeepSamples, "P51 ", false};
constexpr ProgramStart P63Start{P63, "63",  "06",        "69",   false,
                                80,  false, KeepSamples, "P63 ", false};
constexpr ProgramStart P64Start{P64, "64", "06", "64", true, 80, false, 15, "P64 ", false};
constexpr ProgramStart P65Start{P65, "65", "06", "60", true, 80, false, 5, "P65 ", false};
constexpr ProgramStart P66Start{P66, "66", "06", "60", true, 80, false, 5, "P66 ", false};
constexpr ProgramStart P68Start{P68, "68", "06", "43", true, 10, false, 5, "P68 ", false};
constexpr ProgramStart P70Start{P70, "66", "06", "60", true, 80, false, 5, "P66 ", false};
constexpr ProgramStart P71Start{P71, "71", "06", "94", false, 80, false, 5, "P71", true};

void Call(const std::function<void()>& service) {
  if (service) service();
}

void Announce(const std::string& label, bool abort) {
  const std::string text =
      label + (label.empty() || label.back() != ' ' ? " " : "") + UiText[StartedText];
  if (abort) {
    ShowMessage(text, StartMessageMs, RedBox, WhiteText);
  } else {
    ShowMessage(text, StartMessageMs, BlackBox, GreenText);
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
  if (p.Samples != KeepSamples) ThrustAverageLength = p.Samples;
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
  StartPlain(P00Start);
}

void StartP12() {
  ClearContactLight();
  BeginProgram(P12Start);
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
  BeginProgram(P20Start, true);
  SaveDSKYState();
  EnableStartDelay();
}

void StartP30() {
  ClearContactLight();
  StartPlain(P30Start);
}

void StartP40() {
  EngineOff = true;
  AttitudeReachedFlags[1] = false;
  ClearContactLight();
  StartPlain(P40Start);
  EnterRequest = false;
  IgnitionTime = AddTimes(MissionClock, TimeRecord{});
  TimeToIgnition = SubtractTimes(IgnitionTime, MissionClock);
}

void StartP41() {
  ManeuverTargets = {DegToRad(20.0f), -DegToRad(-30.0f), DegToRad(40.0f)};
  BeginProgram(P41Start, true);
  SaveDSKYState();
  EnableStartDelay();
}

void StartP51() {
  ClearContactLight();
  BeginProgram(P51Start);
  PitchAxis.TargetAngle = 0.0f;
  RollAxis.TargetAngle = 0.0f;
  YawAxis.TargetAngle = 0.0f;
  Noun71Text = "p00150";
  Noun85Text = {"p00000", "p00000"};
  SaveDSKYState();
}

void StartP63() { StartPlain(P63Start); }
void StartP64() { StartPlain(P64Start); }
void StartP65() { StartPlain(P65Start); }
void StartP66() { StartPlain(P66Start); }

void StartP68() {
  ClearContactLight();
  StartPlain(P68Start);
}

void StartP70() { StartPlain(P70Start); }

void StartP71() {
  BeginProgram(P71Start);
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
  static constexpr void (*Starts[])() = {StartP00, StartP12, StartP20, StartP30, StartP40,
                                         StartP41, StartP51, StartP63, StartP64, StartP65,
                                         StartP66, StartP68, StartP70, StartP71};
  if (index < FirstProgram || index > LastProgram) return false;
  Starts[index - FirstProgram]();
  return true;
}
