#include "program/cockpit/voice_callouts.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/missions_state.h"

namespace {

constexpr int16_t PacingChannel = 9;
constexpr int32_t AlarmAltitude = 3000;  // feet
constexpr double AltitudeWindow = 0.02;  // of the entry's altitude, either side
constexpr int32_t AlarmMission = 11;
constexpr int32_t RateCallFloorFeet = 10;  // no rate call at or below it

forms::Timer& PacingTimer() { return Main_Display->TimerTalk(PacingChannel); }

void RaiseProgramAlarm1201() {
  LampProg = true;
  ProgramAlarmPending = 1201;
  DSKYRegister = {"ab1201", "abbbbb", "abbbbb"};
  DSKYNoun = "09";
  DSKYVerb = "05";
}

// Starts the first entry that is due and may play, with its pause; with sound off the pause runs
// silent. A pause of 0 arms no timer, which would otherwise never fire and hold every later call.
template <class Entry, class Due>
const Entry* StartFirstDue(std::vector<Entry>& calls, const std::vector<SoundObject>& sounds,
                           Due due) {
  for (size_t i = 0; i < calls.size(); ++i) {
    Entry& call = calls[i];
    if (!due(call) || (call.Once && call.Played)) continue;
    if (call.Interval > 0) {
      PacingTimer().SetInterval(call.Interval);
      PacingTimer().SetEnabled(true);
    }
    if (SoundOn && i < sounds.size() && sounds[i]) sounds[i]->Play();
    if (call.Once) call.Played = true;
    return &call;
  }
  return nullptr;
}

void CheckRateCallouts(std::vector<CalloutEntry>& calls, const std::vector<SoundObject>& sounds,
                       int32_t rate) {
  if (PacingTimer().Enabled()) return;
  RateCallsArmed = false;
  StartFirstDue(calls, sounds,
                [rate](const CalloutEntry& call) { return call.Low <= rate && rate <= call.High; });
}

}  // namespace

void CheckAltitudeCallouts() {
  if (PacingTimer().Enabled()) return;
  const double altitude = AltitudeAboveGround;
  const AltitudeCallEntry* started =
      StartFirstDue(AltitudeCalls, AltitudeCallSounds, [altitude](const AltitudeCallEntry& call) {
        const double window = AltitudeWindow * call.Altitude;
        if (!(altitude + window > call.Altitude && altitude - window < call.Altitude)) return false;
        if (MissionType == AlarmMission && call.Altitude == AlarmAltitude) RaiseProgramAlarm1201();
        return true;
      });
  if (started && started->ArmsRateCalls) RateCallsArmed = true;
}

void CheckDescentRateCallouts() {
  CheckRateCallouts(DescentCalls, DescentCallSounds,
                    static_cast<int32_t>(std::nearbyint(LMVelocity.y * -10.0)));
}

void CheckLPDAngleCallouts() { CheckRateCallouts(LPDCalls, LPDCallSounds, LPDAngle); }

void CheckFuelCallouts() {
  if (PacingTimer().Enabled()) return;
  const auto tenths = static_cast<int32_t>(std::nearbyint(FuelPercent * 10.0));
  StartFirstDue(FuelCalls, FuelCallSounds,
                [tenths](const CalloutEntry& call) { return call.Low * 10 == tenths; });
}

// The altitude calls are checked with sound off as well: the 1201 alarm they raise is the
// guidance computer's, seen on the DSKY, and their pauses keep its timing the same.
void CheckCallouts() {
  if (!PacingTimer().Enabled() && !AscentStageFlying && ControlsActive && !Test11Mode)
    CheckAltitudeCallouts();
  if (SoundOn && ControlsActive && !AscentStageFlying && !Test11Mode) CheckFuelCallouts();
  if (AltitudeFeet > RateCallFloorFeet && RateCallsArmed && !PacingTimer().Enabled() &&
      ControlsActive && SoundOn) {
    if (CurrentProgram == P66 && !Test11Mode) CheckDescentRateCallouts();
    if (CurrentProgram == P64) CheckLPDAngleCallouts();
  }
}

void ResetCallouts() {
  for (AltitudeCallEntry& call : AltitudeCalls) call.Played = false;
  for (auto* calls : {&DescentCalls, &LPDCalls, &FuelCalls})
    for (CalloutEntry& call : *calls) call.Played = false;
  RateCallsArmed = false;
}
