#include "program/cockpit/dsky_keys.h"

#include <cmath>
#include <cstdint>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/dsky_timers.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t KeyPressMs = 200;
constexpr int32_t ConfirmKeyPressMs = 400;  // ENTR, PRO, KEY REL and RSET
constexpr int32_t StartDelayAfterVerb37Ms = 1000;
constexpr int ProceedText = 190;
constexpr int DSKYResetText = 191;
constexpr int LightTestText = 192;
constexpr int KeyReleasedText = 201;
constexpr const char* BlankRegister = "bbbbbb";
constexpr int FullEntry = 7;  // the register position after five digits

// Tests the key of `action` and consumes its click or button press.
bool Pressed(ActionIndex action, int32_t currentKeyCode) {
  ControlAssignment& key = ControlAssignments[action];
  const bool pressed = key.Pressed || (key.KeyCode != 0 && key.KeyCode == currentKeyCode);
  if (pressed) key.Pressed = false;
  return pressed;
}

bool RefusedDuringEVA() {
  if (EVAMode) {
    ShowMessage("You cannot operate the DSKY during EVA.", 2000, RedBox, WhiteText);
  }
  return EVAMode;
}

void EndLoads() {
  for (RegisterLoad& load : RegisterLoads) load.Active = false;
}

void EndKeyEntry() {
  VerbEntryActive = false;
  NounEntryActive = false;
}

void StartLoad(int r) {
  RegisterLoad& load = RegisterLoads[r];
  load.Position = 1;
  load.Text = BlankRegister;
  load.Active = true;
  DSKYRegister[r] = BlankRegister;
  KeyEntryEnabled = true;
  VerbFlash = true;
  NounFlash = true;
  DisplayHold = true;
  LampKeyRel = true;
}

// ENTR on an active load: ends it and tells whether five digits were keyed.
bool FinishLoad(int r) {
  RegisterLoad& load = RegisterLoads[r];
  load.Active = false;
  KeyEntryEnabled = false;
  VerbFlash = false;
  NounFlash = false;
  DisplayHold = false;
  if (load.Position < FullEntry) {
    LampOprErr = true;
    return false;
  }
  return true;
}

void WriteChar(std::string& field, int32_t position, const std::string& c) {
  field.replace(static_cast<size_t>(position - 1), 1, c);
}

void KeyIntoRegister(RegisterLoad& load) {
  const bool sign = KeyChar == "p" || KeyChar == "m";
  if (load.Position == 1) {
    if (sign) {
      WriteChar(load.Text, 1, KeyChar);
      load.Position = 2;
      load.Octal = false;
    } else {
      WriteChar(load.Text, 1, "p");
      WriteChar(load.Text, 2, KeyChar);
      load.Position = 3;
      load.Octal = true;
    }
  } else if (!sign && load.Position < FullEntry) {
    WriteChar(load.Text, load.Position, KeyChar);
    ++load.Position;
  }
  if (load.Position >= FullEntry) KeyEntryEnabled = false;
}

void KeyIntoField(std::string& field, int32_t& position, bool& active) {
  DisplayHold = true;
  WriteChar(field, position, KeyChar);
  if (position++ == 2) {
    active = false;
    KeyEntryEnabled = false;
  }
}

// What verbs 32, 34 and 37 clear before the next program.
void ClearForNewProgram() {
  EnterRequest = false;
  ProceedRequest = false;
  ManeuverActive = false;
  ExtendedRoutine = NoRoutine;
  SetAllLamps(false);
  VerbFlash = false;
  EndKeyEntry();
}

// Noun 22: the keyed angles become the targets of the alignment (P51) or of the manoeuvre.
void ApplyAttitudeEntry() {
  float first = 0.0f;
  float second = 0.0f;
  float third = 0.0f;
  ConvertAttitudeAngles(first, second, third, AttitudeEntryAngles[0], AttitudeEntryAngles[1],
                        AttitudeEntryAngles[2]);
  if (CurrentProgram == P51) {
    RollAxis.TargetAngle = first;
    PitchAxis.TargetAngle = -second;
    YawAxis.TargetAngle = third;
  } else {
    ManeuverTargets = {first, second, third};
    StartR62();
  }
}

float WholeNumber(float value) { return static_cast<float>(win::RoundHalfEven(value)); }

// Loads register r (0 to 2) into the quantity the noun selects; `clockVerb` is the verb that may
// set this register's part of the mission clock.
void LoadRegister(int r, const char* clockVerb) {
  RegisterLoad& load = RegisterLoads[r];
  const auto number = [&](int decimals) {
    return RegisterToNumber(load.Text, decimals, load.Octal);
  };
  if (DSKYNoun == "33") {
    const int32_t value = static_cast<int32_t>(WholeNumber(number(r == 2 ? 2 : 0)));
    (r == 0 ? IgnitionTime.Hours : r == 1 ? IgnitionTime.Minutes : IgnitionTime.Seconds) = value;
    SetTimeDigits(IgnitionTime);
  } else if (DSKYNoun == "81") {
    BurnVelocity[r] = number(2);
  } else if (DSKYNoun == "22") {
    AttitudeEntryAngles[r] = DegToRad(number(2));
    ApplyAttitudeEntry();
  } else if (DSKYNoun == "36" || DSKYNoun == "65") {
    if (DSKYVerb != clockVerb) {
      LampOprErr = true;
      DSKYRegister[r] = BlankRegister;
      load.Text = BlankRegister;
      return;
    }
    const int32_t value = static_cast<int32_t>(WholeNumber(number(r == 2 ? 2 : 0)));
    (r == 0 ? MissionClock.Hours : r == 1 ? MissionClock.Minutes : MissionClock.Seconds) = value;
    SetTimeDigits(MissionClock);
  } else if (DSKYNoun == "71" && r == 0) {
    Noun71Text = load.Text;
  } else if (DSKYNoun == "85" && r < 2) {
    Noun85Text[static_cast<size_t>(r)] = load.Text;
  }
}

// Verbs 21 to 25: the first ENTR starts the load of register `r`; the next loads it and goes on
// to the next register while the chain has more.
void RegisterVerb(int r, int32_t remaining) {
  if (!RegisterLoads[r].Active) {
    StartLoad(r);
    if (r == 0) {
      LoadsRemaining = remaining;
      DSKYVerb = "21";
    } else {
      LoadsRemaining = 0;
    }
    return;
  }
  if (!FinishLoad(r)) {
    if (r == 2) RestoreDSKYState();
    return;
  }
  static constexpr void (*Loads[])() = {LoadRegister1, LoadRegister2, LoadRegister3};
  Loads[r]();
  KeyReleaseRequest = true;
  const bool chainGoesOn = r == 0 ? LoadsRemaining > 1 : r == 1 && LoadsRemaining >= 2;
  if (chainGoesOn) {
    if (r == 0) --LoadsRemaining;
    DSKYVerb = r == 0 ? "22" : "23";
    StartLoad(r + 1);
  } else {
    if (r == 2) LoadsRemaining = 0;
    RestoreDSKYState();
  }
}

void RecycleProgram() {
  ClearForNewProgram();
  // Recycling has no start for the burn programs P30 and P40.
  if (CurrentProgram == P30 || CurrentProgram == P40 || !StartProgramByIndex(CurrentProgram)) {
    LampOprErr = true;
  }
  DisplayHold = false;
}

void SelectProgram() {
  if (!VerbFlash) {
    NounPosition = 1;
    NounEntryActive = true;
    VerbEntryActive = false;
    DSKYNoun = "bb";
    KeyEntryEnabled = true;
    VerbFlash = true;
    DisplayHold = true;
    return;
  }
  if (DSKYNoun == "bb") return;
  ClearForNewProgram();
  DSKYProgram = DSKYNoun;
  Main_Display->DSKYStartProgram.SetInterval(StartDelayAfterVerb37Ms);
  static const std::pair<const char*, void (*)()> ByNumber[] = {
      {"70", StartP70}, {"71", StartP71}, {"68", StartP68}, {"66", StartP66}, {"65", StartP65},
      {"64", StartP64}, {"63", StartP63}, {"41", StartP41}, {"51", StartP51}, {"30", StartP30},
      {"40", StartP40}, {"20", StartP20}, {"12", StartP12}, {"00", StartP00}};
  bool started = false;
  for (const auto& [number, start] : ByNumber) {
    if (DSKYNoun == number) {
      start();
      started = true;
      break;
    }
  }
  if (!started) LampOprErr = true;
  DisplayHold = false;
}

void SetImpulseMode(bool on) {
  MinimumImpulseMode = on;
  RestoreDSKYState();
  if (DSKYNeighbours.ReapplyPGNSSwitch) DSKYNeighbours.ReapplyPGNSSwitch();
  DisplayHold = false;
}

void OnlyInP00(void (*start)()) {
  if (CurrentProgram == P00) {
    DisplayHold = false;
    start();
  } else {
    LampOprErr = true;
  }
}

// The clock registers of nouns 36 and 65, from the mission clock.
void ShowClockRegisters() {
  const TimeRecord& c = MissionClock;
  DSKYRegister[0] = c.Sign + "00" + c.HoursHundreds + c.HoursTens + c.HoursOnes;
  DSKYRegister[1] = "p000" + c.MinutesTens + c.MinutesOnes;
  DSKYRegister[2] = "p0" + c.SecondsTens + c.SecondsOnes + c.Tenths + c.Hundredths;
}

}  // namespace

void SetAllLamps(bool lit) {
  for (bool* lamp :
       {&LampUplinkActy, &LampNoAtt, &LampStby, &LampKeyRel, &LampOprErr, &LampSpare1, &LampSpare2,
        &LampTemp, &LampGimbalLock, &LampProg, &LampRestart, &LampTracker, &LampAlt, &LampVel}) {
    *lamp = lit;
  }
}

void ProcessDSKYKeys(int32_t currentKeyCode) {
  if (Pressed(ActionKeyPadVerb, currentKeyCode)) {
    if (RefusedDuringEVA()) return;
    SaveDSKYState();
    ArmKeyPress(KeyPressMs);
    VerbFlash = false;
    VerbPosition = 1;
    VerbEntryActive = true;
    NounEntryActive = false;
    DSKYVerb = "bb";
    KeyEntryEnabled = true;
  }
  if (Pressed(ActionKeyPadNoun, currentKeyCode)) {
    if (RefusedDuringEVA()) return;
    ArmKeyPress(KeyPressMs);
    NounPosition = 1;
    NounEntryActive = true;
    VerbEntryActive = false;
    DSKYNoun = "bb";
    KeyEntryEnabled = true;
  }
  if (Pressed(ActionKeyPadClr, currentKeyCode)) {
    ArmKeyPress(KeyPressMs);
    for (size_t r = 0; r < RegisterLoads.size(); ++r) {
      if (!RegisterLoads[r].Active) continue;
      RegisterLoads[r].Position = 1;
      RegisterLoads[r].Text = BlankRegister;
      DSKYRegister[r] = BlankRegister;
      KeyEntryEnabled = true;
    }
  }

  KeyChar.clear();
  if (KeyEntryEnabled) {
    static constexpr std::pair<ActionIndex, const char*> CharKeys[] = {
        {ActionKeyPad0, "0"}, {ActionKeyPad1, "1"},    {ActionKeyPad2, "2"},
        {ActionKeyPad3, "3"}, {ActionKeyPad4, "4"},    {ActionKeyPad5, "5"},
        {ActionKeyPad6, "6"}, {ActionKeyPad7, "7"},    {ActionKeyPad8, "8"},
        {ActionKeyPad9, "9"}, {ActionKeyPadPlus, "p"}, {ActionKeyPadMinus, "m"}};
    for (const auto& [action, c] : CharKeys) {
      if (!Pressed(action, currentKeyCode)) continue;
      Main_Display->TimerKeyPress.SetEnabled(true);
      KeyChar = c;
    }
  }
  if (!KeyChar.empty()) {
    if (NounEntryActive) {
      KeyIntoField(DSKYNoun, NounPosition, NounEntryActive);
    } else if (VerbEntryActive) {
      KeyIntoField(DSKYVerb, VerbPosition, VerbEntryActive);
    }
    for (size_t r = 0; r < RegisterLoads.size(); ++r) {
      if (!RegisterLoads[r].Active) continue;
      DisplayHold = true;
      KeyIntoRegister(RegisterLoads[r]);
      DSKYRegister[r] = RegisterLoads[r].Text;
    }
  }

  if (Pressed(ActionKeyPadEntr, currentKeyCode)) {
    ArmKeyPress(ConfirmKeyPressMs);
    EnterRequest = true;
    ExecuteVerb();
  }
  if (Pressed(ActionKeyPadPro, currentKeyCode)) {
    ArmKeyPress(ConfirmKeyPressMs);
    ProceedRequest = true;
    ShowMessage(UiText[ProceedText], 500, BlackBox, GreenText);
  }
  if (Pressed(ActionKeyPadRelease, currentKeyCode)) {
    ArmKeyPress(ConfirmKeyPressMs);
    ShowMessage(UiText[KeyReleasedText], 500, BlackBox, GreenText);
    KeyReleaseRequest = true;
    EndKeyEntry();
    EndLoads();
    KeyEntryEnabled = false;
    DisplayHold = false;
  }
  if (Pressed(ActionKeyPadRset, currentKeyCode)) {
    EndLoads();
    DisplayHold = false;
    KeyEntryEnabled = false;
    if (LampOprErr) {
      LampOprErr = false;
      RestoreDSKYState();
    }
    if (LampProg) {
      ShowMessage(UiText[DSKYResetText], 1500, BlackBox, GreenText);
      Main_Display->TimerKeyPress.SetInterval(ConfirmKeyPressMs);
      DisplayHold = true;
      SetAllLamps(false);
      if (ProgramAlarmPending >= 1) {
        ProgramAlarmPending = 0;
        Main_Display->DSKYReset.SetEnabled(true);
        LampRestart = true;
        Main_Display->TimerKeyPress.SetEnabled(true);
        RestartCurrentProgram();
      }
    }
  }
}

void ExecuteVerb() {
  const std::string verb = DSKYVerb;
  if (verb == "21" || verb == "24" || verb == "25") {
    RegisterVerb(0, verb == "21" ? 0 : verb == "24" ? 2 : 3);
  } else if (verb == "22") {
    RegisterVerb(1, 0);
  } else if (verb == "23") {
    RegisterVerb(2, 0);
  } else if (verb == "32") {
    RecycleProgram();
  } else if (verb == "33") {
    ProceedRequest = true;
    DSKYVerb.clear();
  } else if (verb == "34") {
    TerminateProgram();
  } else if (verb == "35") {
    OnlyInP00(StartLampTest);
  } else if (verb == "36") {
    ManeuverActive = false;
    ExtendedRoutine = NoRoutine;
    SetAllLamps(false);
    VerbFlash = false;
    EndKeyEntry();
    DisplayHold = false;
  } else if (verb == "37") {
    SelectProgram();
  } else if (verb == "49") {
    OnlyInP00(StartR62);
  } else if (verb == "76" || verb == "77") {
    SetImpulseMode(verb == "76");
  } else if (verb == "96") {
    DisplayHold = false;
    StartP00();
  } else {
    EndKeyEntry();
    KeyEntryEnabled = false;
    DisplayHold = false;
  }
  if (DSKYNoun == "65" || DSKYNoun == "36") ShowClockRegisters();
}

void LoadRegister1() { LoadRegister(0, "21"); }
void LoadRegister2() { LoadRegister(1, "22"); }
void LoadRegister3() { LoadRegister(2, "23"); }

float RegisterToNumber(const std::string& text, int decimals, bool octal) {
  if (text.empty()) return 0.0f;
  double digits = 0.0;
  for (size_t i = 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    digits = digits * 10.0 + (text[i] - '0');
  }
  double value = digits / std::pow(10.0, decimals);
  if (text[0] == 'm') value = -value;
  if (octal) {
    int64_t whole = win::RoundHalfEven(value);
    const bool negative = whole < 0;
    if (negative) whole = -whole;
    double asOctal = 0.0;
    for (double place = 1.0; whole > 0; whole /= 8, place *= 10.0)
      asOctal += static_cast<double>(whole % 8) * place;
    value = negative ? -asOctal : asOctal;
  }
  return static_cast<float>(value);
}

void SaveDSKYState() {
  SavedVerb = DSKYVerb;
  SavedNoun = DSKYNoun;
  SavedProgram = DSKYProgram;
  SavedVerbFlash = VerbFlash;
  SavedNounFlash = NounFlash;
}

void RestoreDSKYState() {
  if (KeyReleaseRequest) {
    if (!LampKeyRel) return;
    KeyReleaseRequest = false;
    LampKeyRel = false;
  }
  DSKYVerb = SavedVerb;
  DSKYNoun = SavedNoun;
  DSKYProgram = SavedProgram;
  VerbFlash = SavedVerbFlash;
  NounFlash = SavedNounFlash;
}

void TerminateProgram() {
  ClearForNewProgram();
  DSKYVerb = "37";
  DSKYNoun = "bb";
  NounPosition = 1;
  NounEntryActive = true;
  VerbEntryActive = false;
  KeyEntryEnabled = true;
  VerbFlash = true;
  DisplayHold = true;
  DSKYRegister = {BlankRegister, BlankRegister, BlankRegister};
}

void RestartCurrentProgram() {
  ManeuverActive = false;
  ExtendedRoutine = NoRoutine;
  EnterRequest = false;
  ProceedRequest = false;
  if (!StartProgramByIndex(CurrentProgram)) {
    DSKYRegister = {"abbbbb", "abbbbb", "abbbbb"};
    ProgramRCSFlag = true;
  }
}

void StartLampTest() {
  ExtendedRoutine = LampTestRoutine;
  LampTestTicks = 9;
  CompActyOnce = true;
  CompActyPercent = 0;
  VerbFlash = true;
  NounFlash = true;
  ShowMessage(UiText[LightTestText], 1000, BlackBox, GreenText);
  DSKYRegister = {"888888", "888888", "888888"};
  DSKYVerb = "88";
  DSKYNoun = "88";
  SetAllLamps(true);
  LampStby = false;
  LampRestart = false;
  LampSpare1 = false;
  LampSpare2 = false;
}

bool IsAttitudeReached(float toleranceDegrees, float rateDegrees) {
  const float tolerance = toleranceDegrees * PiSingle / 180.0f;
  const float rate = rateDegrees * PiSingle / 180.0f;
  for (const AttitudeAxis* axis : {&PitchAxis, &YawAxis, &RollAxis}) {
    const bool within =
        axis->TargetAngle > axis->Angle - tolerance && axis->TargetAngle < axis->Angle + tolerance;
    if (!within) return false;
  }
  for (const AttitudeAxis* axis : {&PitchAxis, &RollAxis, &YawAxis}) {
    if (std::fabs(axis->Rate) >= rate) return false;
  }
  ExtendedRoutine = NoRoutine;
  ManeuverActive = false;
  AutoAttitudeHold = true;  // the attitude control now holds what was reached
  AttitudeReachedFlags[0] = true;
  AttitudeReachedFlags[1] = true;
  return true;
}
