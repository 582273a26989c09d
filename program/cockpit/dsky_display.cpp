#include "program/cockpit/dsky_display.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/docking.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"

namespace {

constexpr double LargestRegister = 99999.0;
constexpr const char* Blank = "bbbbbb";
constexpr const char* Pending = "abbbbb";

// Stored display values whose signs nouns 92 and 94 reuse.
float StoredR1Value = 0.0f;
float StoredR2Value = 0.0f;
float StoredR3Value = 0.0f;

void SetRegisters(const std::string& r1, const std::string& r2, const std::string& r3) {
  DSKYRegister = {r1, r2, r3};
}

std::string Angle(float radians) { return FormatSignedValue(RadToDeg360(radians)); }

// Sign letter, the two minute digits, a blank and the two second digits of the countdown.
std::string TimeToIgnitionRegister() {
  const TimeRecord& t = TimeToIgnition;
  return t.Sign + t.MinutesTens + t.MinutesOnes + "b" + t.SecondsTens + t.SecondsOnes;
}

// Whole seconds still to go to ignition; negative once it has passed.
int32_t SecondsToIgnition() {
  const int32_t seconds = std::abs(TimeToIgnition.TotalSeconds);
  return TimeToIgnition.Negative ? seconds : -seconds;
}

// The countdown as the ascent displays show it: always with a minus sign.
std::string CountdownRegister() { return "m" + TimeToIgnitionRegister().substr(1); }

std::string Tenths(double x) { return SignLetter(x) + Digits5(x * 10.0); }

std::string Signed5(double x) { return SignLetter(x) + Digits5(x); }

std::string Stored(float& stored, double value) {
  stored = static_cast<float>(value);
  return Signed5(value);
}

void ShowClock(const TimeRecord& clock) {
  SetRegisters(clock.Sign + "00" + clock.HoursHundreds + clock.HoursTens + clock.HoursOnes,
               "p000" + clock.MinutesTens + clock.MinutesOnes,
               "p0" + clock.SecondsTens + clock.SecondsOnes + clock.Tenths + clock.Hundredths);
}

void Show(const char* verb, const char* noun);

void FormatVerb06(const std::string& noun) {
  if (noun == "18") {
    SetRegisters(Angle(ManeuverTargets.x), Angle(ManeuverTargets.y), Angle(ManeuverTargets.z));
  } else if (noun == "20") {
    SetRegisters(Angle(DisplayAttitudeAngles[2]), Angle(DisplayAttitudeAngles[0]),
                 Angle(DisplayAttitudeAngles[1]));
  } else if (noun == "22") {
    SetRegisters(Angle(AttitudeEntryAngles[0]), Angle(AttitudeEntryAngles[1]),
                 Angle(AttitudeEntryAngles[2]));
  } else if (noun == "33") {
    const TimeRecord& i = IgnitionTime;
    const TimeRecord& c = MissionClock;
    SetRegisters(i.Sign + "00" + i.HoursHundreds + i.HoursTens + i.HoursOnes,
                 "p000" + i.MinutesTens + i.MinutesOnes,
                 "p0" + i.SecondsTens + i.SecondsOnes + c.Tenths + c.Hundredths);
  } else if (noun == "40") {
    SetRegisters(TimeToIgnitionRegister(), FormatSignedValue(BurnVelocity[0]),
                 FormatSignedValue(LMVelocity.x));
  } else if (noun == "42") {
    SetRegisters(FormatSignedValue(0.0), FormatSignedValue(0.0),
                 FormatSignedValue(BurnVelocity[0]));
  } else if (noun == "43") {
    SetRegisters("p00340", "p03367", "p10234");
  } else if (noun == "45") {
    SetRegisters("p00000", TimeToIgnitionRegister(), Angle(DisplayAttitudeAngles[1]));
  } else if (noun == "49" || noun == "78") {
    // Nouns 49 and 78 show the range in tenths of a nautical mile to one decimal: 13,200 ft
    // is 25.0, which the five digits show without the point as 00250.
    const std::string range = Tenths(DockRangeFeet * 10.0 / 5280.0);
    const double rate = DockRangeRateFeet();
    if (noun == "49") {
      SetRegisters(range, Tenths(rate * 10.0), "bbbbb4");
    } else {
      SetRegisters(range, SignLetter(rate) + Digits5(rate * 10.0), "b0bb00");
    }
  } else if (noun == "64") {
    SetRegisters("a" + LPDTimeTens + LPDTimeOnes + "b" + Digits5(LPDAngle).substr(3),
                 Stored(StoredR2Value, LMVelocity.y * 10.0),
                 Stored(StoredR3Value, AltitudeAboveGround));
  } else if (noun == "72") {
    const auto lineOfSight = [](float milliradians) {
      return VerbFlash ? FormatSignedValue(milliradians) : std::string(Blank);
    };
    SetRegisters(lineOfSight(DockLateralAngleRate), lineOfSight(DockClosingAngleRate), Blank);
  } else if (noun == "74") {
    const int32_t seconds = SecondsToIgnition();
    if (seconds >= 30 && seconds <= 35) {
      DSKYRegister[0] = Blank;
    } else {
      SetRegisters(CountdownRegister(), "p00100", "p05450");
    }
    if (seconds <= 5 && !VerbFlash) {
      DSKYVerb = "99";
      VerbFlash = true;
      NounFlash = true;
    }
  } else if (noun == "60") {
    SetRegisters(Stored(StoredR1Value, HorizontalVelocityForward),
                 Stored(StoredR2Value, LMVelocity.y * 10.0),
                 Stored(StoredR3Value, AltitudeAboveGround));
    if (!VerbFlash) NounFlash = false;
  } else if (noun == "36" || noun == "65") {
    // The clock strings stay as the last verb built them.
  } else if (noun == "69") {
    SetRegisters("b00000", "b00000", "b00000");
    LampAlt = true;
    LampVel = true;
  } else if (noun == "81") {
    SetRegisters(FormatSignedValue(BurnVelocity[0]), FormatSignedValue(BurnVelocity[1]),
                 FormatSignedValue(BurnVelocity[2]));
  } else if (noun == "85") {
    SetRegisters(Noun71Text, Noun85Text[0], Noun85Text[1]);
  } else if (noun == "94") {
    SetRegisters(SignLetter(StoredR1Value) + Digits5(LMVelocity.x * 10.0),
                 SignLetter(StoredR2Value) + Digits5(LMVelocity.y * 10.0),
                 SignLetter(StoredR3Value) + Digits5(AltitudeAboveGround));
  }
}

void FormatVerb16(const std::string& noun) {
  if (noun == "18" || noun == "20" || noun == "22" || noun == "85") {
    FormatVerb06(noun);
  } else if (noun == "40") {
    // The third register's quantity is computed by nothing: it stands at zero.
    SetRegisters(TimeToIgnitionRegister(), FormatSignedValue(BurnVelocity[0]),
                 FormatSignedValue(0.0));
  } else if (noun == "36" || noun == "65") {
    ShowClock(MissionClock);
  } else if (noun == "78") {
    FormatVerb06("78");
    DSKYRegister[2] = "00bb00";
  } else if (noun == "92") {
    VerbFlash = true;
    NounFlash = true;
    SetRegisters(SignLetter(StoredR1Value) + Digits5(ThrustAverage * 100.0),
                 Stored(StoredR2Value, LMVelocity.y * 10.0),
                 Stored(StoredR3Value, AltitudeAboveGround));
  }
}

// Restores the display after a finished load or KEY REL.
void RestoreOnRequest() {
  if (KeyReleaseRequest) RestoreDSKYState();
}

// Sets verb and noun, lights both flashes and makes it the restore point.
void Show(const char* verb, const char* noun) {
  DSKYVerb = verb;
  DSKYNoun = noun;
  VerbFlash = true;
  NounFlash = true;
  SaveDSKYState();
}

void FlashesOffAndSave() {
  VerbFlash = false;
  NounFlash = false;
  SaveDSKYState();
}

bool TakeProceed() { return std::exchange(ProceedRequest, false); }

void MonitorGeneric() { RestoreOnRequest(); }

// P63 brakes down to the high gate; from there the approach is P64's, which the pilot calls up.
constexpr float P63HighGateFeet = 7000.0f;
constexpr char CallUpP64[] = "P64: VERB 3 7 ENTER, 6 4 ENTER";
constexpr int32_t CallUpMs = 1500;  // outlasts the next display tick, so the prompt stays up

// The braking display counts the horizontal velocity, the vertical velocity in tenths and the
// altitude, as the landing programs' displays do; another verb and noun, a program alarm among
// them, keep the registers they were given. Below the high gate the screen asks for P64.
void MonitorP63() {
  RestoreOnRequest();
  LampAlt = true;
  LampVel = true;
  if (DSKYVerb == "06" && DSKYNoun == "69") {
    SetRegisters(Signed5(HorizontalVelocityForward), Tenths(LMVelocity.y),
                 Signed5(AltitudeAboveGround));
  }
  if (AltitudeAboveGround < P63HighGateFeet) ShowMessage(CallUpP64, CallUpMs, BlackBox, GreenText);
}

// P64 and P66: PRO accepts the display of `noun`.
void MonitorLanding(const char* noun) {
  RestoreOnRequest();
  if (ProceedRequest && DSKYNoun == noun) FlashesOffAndSave();
  ProceedRequest = false;
}

void MonitorP68() {
  MonitorLanding("43");
  if (DSKYNoun == "43" && MinimumImpulseMode) {
    DSKYRegister = {Blank, Blank, Blank};
    Show("37", "00");
  }
}

// Flies to the manoeuvre targets; `pitchSign` -1 turns the pitch target round.
void StartManeuver(float pitchSign) {
  PitchAxis.TargetAngle = pitchSign * ManeuverTargets.y;
  RollAxis.TargetAngle = ManeuverTargets.x;
  YawAxis.TargetAngle = ManeuverTargets.z;
  ManeuverActive = true;
}

void MonitorP41() {
  RestoreOnRequest();
  if (TakeProceed() && DSKYVerb == "50") {
    StartManeuver(1.0f);
    DSKYVerb = "16";
    FlashesOffAndSave();
  }
}

void MonitorR60() {
  RestoreOnRequest();
  if (TakeProceed() && DSKYVerb == "50") {
    StartManeuver(-1.0f);
    DSKYVerb = "16";
    FlashesOffAndSave();
  }
  if (ManeuverActive) IsAttitudeReached(1.0f, 0.4f);
}

void MonitorR62() {
  if (TakeProceed() && DSKYNoun == "22" && VerbFlash) {
    ManeuverActive = false;
    Show("16", "22");
    StartR60();
  }
}

void MonitorP30() {
  RestoreOnRequest();
  if (!TakeProceed()) return;
  // One PRO runs every later step in the same tick: from noun 33 it ends the program.
  if (DSKYNoun == "33") Show("06", "81");
  if (DSKYNoun == "81") Show("06", "42");
  if (DSKYNoun == "42") Show("16", "45");
  if (DSKYNoun == "45") TerminateProgram();
}

void MonitorP51() {
  RestoreOnRequest();
  if (EnterRequest && DSKYVerb == "50") {
    EnterRequest = false;
    DisplayHold = false;
    PlatformAlignmentFlag = true;
    LampNoAtt = true;
    DSKYVerb = "41";
    DSKYNoun = "22";
    VerbFlash = false;
    NounFlash = false;
  }
  if (!TakeProceed()) return;
  if (DSKYVerb == "41" || DSKYVerb == "50") Show("01", "71");
  if (DSKYNoun == "71" && DSKYVerb == "01") Show("06", "87");
  if (DSKYNoun == "87" && DSKYVerb == "06") Show("54", "71");
}

void ShowExtendedDisplay() {
  if (ExtendedRoutine == LampTestRoutine) {
    DSKYRegister = {"888888", "888888", "888888"};
    DSKYVerb = "88";
    DSKYNoun = "88";
  } else if (ExtendedRoutine == R60) {
    MonitorR60();
  } else if (ExtendedRoutine == R62) {
    MonitorR62();
  }
}

constexpr int32_t ChecklistMs = 3000;

// Refuses to go on with the PGNS switch off automatic: both flashes light and the crew is told.
bool PGNSInAuto() {
  if (PGNSSwitch.SwitchPosition == PGNSAuto) return true;
  ShowMessage("Checklist Item: PGNS must be in Auto", ChecklistMs, RedBox, WhiteText);
  VerbFlash = true;
  NounFlash = true;
  return false;
}

void Call(const std::function<void()>& service) {
  if (service) service();
}

void MonitorP12() {
  const int32_t seconds = SecondsToIgnition();
  if (DSKYVerb == "06" && DSKYNoun == "33") {
    AscentIgnited = false;
    if (TakeProceed()) Show("06", "76");
  }
  if (DSKYVerb == "06" && DSKYNoun == "76" && TakeProceed()) {
    DSKYNoun = "25";
    DSKYVerb = "50";
    VerbFlash = true;
    SaveDSKYState();
  }
  if (DSKYVerb == "50" && DSKYNoun == "25" && ProceedRequest) {
    if (PGNSInAuto()) {
      DSKYNoun = "74";
      DSKYVerb = "06";
      FlashesOffAndSave();
    }
    ProceedRequest = false;
  }
  if (DSKYVerb == "06" && DSKYNoun == "74") {
    CompActyPercent = seconds >= 30 && seconds <= 35 ? 90 : 50;
    if (seconds <= 5 && !VerbFlash) {
      CompActyPercent = 5;
      DSKYVerb = "99";
      VerbFlash = true;
      NounFlash = true;
    }
    ProceedRequest = false;
  }
  if (DSKYVerb == "99" && DSKYNoun == "74") {
    if (!ProceedRequest) {
      DSKYRegister = {Blank, Blank, Blank};
      CompActyPercent = 0;
      return;
    }
    CompActyPercent = 50;
    SetRegisters(CountdownRegister(), "p00100", "p05450");
    if (seconds <= 4 && seconds >= 0 && !AscentIgnited) {
      CompActyPercent = 80;
      AscentIgnited = true;
      Call(DSKYNeighbours.StartAscentEngine);
      DSKYNoun = "94";
      DSKYVerb = "06";
      VerbFlash = false;
      NounFlash = false;
      ProceedRequest = false;
    }
  }
}

void MonitorP40() {
  const int32_t seconds = SecondsToIgnition();
  RestoreOnRequest();
  if (DSKYVerb == "50" && EnterRequest && DSKYNoun == "25") {
    EnterRequest = false;
    if (PGNSInAuto()) {
      DisplayHold = false;
      DSKYVerb = "06";
      DSKYNoun = "40";
      VerbFlash = false;
      NounFlash = false;
    }
  }
  if (!EngineOff) ThrottleCommand = std::min(ThrottleCommand + 0.1f, 1.0f);
  if (DSKYVerb == "06" && DSKYNoun == "18" && AttitudeReachedFlags[1]) {
    DSKYVerb = "50";
    DSKYNoun = "25";
    FlashesOffAndSave();
  }
  if (TakeProceed()) {
    if (DSKYVerb == "50" && DSKYNoun == "18") {
      StartManeuver(-1.0f);
      DSKYVerb = "06";
      FlashesOffAndSave();
    } else if (DSKYVerb == "99" && DSKYNoun == "40") {
      CompActyPercent = 50;
      if (seconds >= -4 && seconds < 5) {
        CompActyPercent = 80;
        Call(DSKYNeighbours.StartDescentEngine);
        DSKYNoun = "40";
        DSKYVerb = "16";
        VerbFlash = true;
        NounFlash = true;
      }
    }
  }
  if (DSKYVerb == "06" && DSKYNoun == "40") {
    const bool blanked = seconds >= 31 && seconds <= 34;
    CompActyPercent = blanked ? 90 : 50;
    if (blanked) DSKYRegister = {Blank, Blank, Blank};
    if (seconds >= -4 && seconds < 8) BurnWindowFlag = true;
    if (seconds <= 5 && !VerbFlash) {
      CompActyPercent = 5;
      DSKYVerb = "99";
      VerbFlash = true;
      NounFlash = true;
    }
  }
  if (DSKYVerb == "99" && DSKYNoun == "40") {
    SetRegisters(TimeToIgnitionRegister(), FormatSignedValue(BurnVelocity[0]),
                 FormatSignedValue(LMVelocity.x));
  }
}

void RunProgramMonitor() {
  switch (CurrentProgram) {
    case P12:
      MonitorP12();
      break;
    case P40:
      MonitorP40();
      break;
    case P41:
      MonitorP41();
      break;
    case P30:
      MonitorP30();
      break;
    case P51:
      MonitorP51();
      break;
    case P63:
      MonitorP63();
      break;
    case P64:
      MonitorLanding("64");
      break;
    case P66:
      MonitorLanding("60");
      break;
    case P68:
      MonitorP68();
      break;
    default:
      MonitorGeneric();
      break;
  }
}

}  // namespace

std::string SignLetter(double x) { return x >= 0.0 ? "p" : "m"; }

std::string Digits5(double x) {
  const long digits = std::lround(std::min(std::fabs(x), LargestRegister));
  std::string text = std::to_string(digits);
  return std::string(5 - text.size(), '0') + text;
}

std::string FormatSignedValue(double x) { return SignLetter(x) + Digits5(x * 100.0); }

int GlyphIndex(const std::string& character) {
  if (character == "m") return 10;
  if (character == "p") return 11;
  if (character == "b") return 12;
  if (character == "a") return 13;
  if (character.size() == 1 && character[0] >= '0' && character[0] <= '9') {
    return character[0] - '0';
  }
  return 0;
}

void FormatVerbNounDisplay() {
  const std::string verb = DSKYVerb;
  const std::string noun = DSKYNoun;
  if (verb == "99") return;
  if (verb == "01" && noun == "71") {
    SetRegisters(Noun71Text, "p00000", "p00000");
  } else if (verb == "50" && noun == "18") {
    FormatVerb06("18");
  } else if (verb == "50" && noun == "25") {
    SetRegisters(CurrentProgram == P12 || CurrentProgram == P40 ? "p00203" : "p00015", Blank,
                 Blank);
  } else if ((verb == "41" || verb == "42") && noun == "22") {
    FormatVerb06("22");
  } else if (verb == "06") {
    FormatVerb06(noun);
  } else if (verb == "16") {
    FormatVerb16(noun);
  }
  if (verb == "00" && noun == "00") DSKYRegister = {Blank, Blank, Blank};
}

void UpdateDSKYDisplay() {
  MainDisplayForm& display = *Main_Display;
  if (DisplayHold) {
    if (display.DSKYReset.Enabled()) DSKYRegister = {Pending, Pending, Pending};
    return;
  }
  if (display.DSKYStartProgram.Enabled()) {
    DSKYRegister = {Pending, Pending, Pending};
    return;
  }
  FormatVerbNounDisplay();
  if (ExtendedRoutine != NoRoutine) {
    ShowExtendedDisplay();
    return;
  }
  if (CurrentProgram != P00 && CurrentProgram != P20 && CurrentProgram != P65 &&
      CurrentProgram != P70 && CurrentProgram != P71 && (VerbEntryActive || NounEntryActive)) {
    LampKeyRel = true;
  }
  RunProgramMonitor();
}

void ClearDSKYLights() { SetAllLamps(false); }

namespace {

constexpr int32_t CellWidth = 17;
constexpr int32_t CellHeight = 28;
constexpr int32_t RegisterLeft = 12;
constexpr int32_t RegisterTop[3] = {122, 170, 215};

void DrawGlyph(DSKYCanvas& canvas, int glyph, int32_t left, int32_t top, int32_t right,
               int32_t bottom) {
  canvas.DrawTexture("D" + std::to_string(glyph), left, top, right, bottom);
}

std::string CharAt(const std::string& text, size_t i) {
  return i < text.size() ? text.substr(i, 1) : std::string();
}

// Two digits of a two-character field; a flashing field is blank in the dark phase.
void DrawPair(DSKYCanvas& canvas, const std::string& field, bool flashing, int32_t left,
              int32_t top, int32_t bottom) {
  for (size_t i = 0; i < 2; ++i) {
    const int glyph = flashing && FlashPhase ? GlyphIndex("b") : GlyphIndex(CharAt(field, i));
    const int32_t x = left + 15 * static_cast<int32_t>(i);
    DrawGlyph(canvas, glyph, x, top, x + 15, bottom);
  }
}

}  // namespace

void DrawDSKY(DSKYCanvas& canvas, float random100) {
  canvas.Begin("DSKYDisp");
  canvas.DrawTexture("DSKYDisp", 0, 0, 128, 256);
  DrawPair(canvas, DSKYVerb, VerbFlash, 15, 74, 100);
  DrawPair(canvas, DSKYNoun, NounFlash, 85, 74, 100);
  // The program number is drawn by the value of its characters only.
  for (size_t i = 0; i < 2; ++i) {
    const std::string c = CharAt(DSKYProgram, i);
    const int glyph = c.size() == 1 && c[0] >= '0' && c[0] <= '9' ? c[0] - '0' : 0;
    const int32_t x = 85 + 15 * static_cast<int32_t>(i);
    DrawGlyph(canvas, glyph, x, 27, x + 15, 52);
  }
  if ((CompActyPercent > 0 && static_cast<float>(CompActyPercent) > random100) || CompActyOnce) {
    canvas.DrawTexture("CompAct", 16, 11, 48, 48);
    CompActyOnce = false;
  }
  for (size_t r = 0; r < 3; ++r) {
    for (size_t i = 0; i < 6; ++i) {
      const int32_t x = RegisterLeft + CellWidth * static_cast<int32_t>(i);
      DrawGlyph(canvas, GlyphIndex(CharAt(DSKYRegister[r], i)), x, RegisterTop[r], x + CellWidth,
                RegisterTop[r] + CellHeight);
    }
  }
  canvas.End("DSKYDisp");
  DrawDSKYLights(canvas);
}

void DrawDSKYLights(DSKYCanvas& canvas) {
  struct Lamp {
    bool lit;
    const char* texture;
    bool flashes;  // KEY REL and OPR ERR are dark in the dark flash phase
  };
  // Row by row: the left column's lamp, then the right column's.
  // The ALT and VEL lamps also show the approach's attitude warnings.
  const Lamp lamps[7][2] = {
      {{LampUplinkActy, "DSKYUPLINKACTY", false}, {LampTemp, "DSKYTEMPA", false}},
      {{LampNoAtt, "DSKYNOATT", false}, {LampGimbalLock, "DSKYGIMBALLOCK", false}},
      {{LampStby, "DSKYSTBY", false}, {LampProg, "DSKYPROG", false}},
      {{LampKeyRel, "DSKYKEYREL", true}, {LampRestart, "DSKYRESTART", false}},
      {{LampOprErr, "DSKYOPRERR", true}, {LampTracker, "DSKYTRACKER", false}},
      {{LampSpare1, "BLANK", false}, {LampAlt || AltitudeWarning, "DSKYALT", false}},
      {{LampSpare2, "BLANK", false}, {LampVel || VelocityWarning, "DSKYVEL", false}}};
  constexpr int32_t ColumnLeft[2] = {7, 65};
  constexpr int32_t ColumnRight[2] = {62, 120};
  constexpr int32_t LampHeight = 28;
  canvas.Begin("DSKYLights");
  canvas.DrawTexture("DSKYLights", 0, 0, 128, 256);
  for (int row = 0; row < 7; ++row) {
    const int32_t top = 9 + 35 * row;
    for (int column = 0; column < 2; ++column) {
      const Lamp& lamp = lamps[row][column];
      const bool lit = lamp.lit && !(lamp.flashes && FlashPhase);
      canvas.DrawTexture(std::string(lamp.texture) + (lit ? "" : "off"), ColumnLeft[column], top,
                         ColumnRight[column], top + LampHeight);
    }
  }
  canvas.End("DSKYLights");
}
