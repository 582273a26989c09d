// A flight's DSKY on virtual time: keys are pressed one per call, as the keyboard dispatch hands
// them over, and time moves in frame-sized steps with a yield after each. Each test starts from
// the DSKY of a fresh process: no flight start resets the guidance computer's state, so the
// fixture gives back what the DSKY and the test changed, and the main display loads afresh.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string_view>

#include "platform/forms/event_pump.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"

class DSKYTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    forms::UseClock(&clock);
    for (int32_t id = 0; id <= LastUiTextId; ++id) UiText[id] = NativeString(id, "");
    Main_Display->DSKYFlash.SetEnabled(true);
  }
  void TearDown() override {
    DropMainDisplay();
    forms::UseClock(nullptr);
  }

  // V verb, N noun, E ENTR, C CLR, R RSET, P PRO, K KEY REL, + and - signs, digits.
  static void Keys(std::string_view sequence) {
    for (char key : sequence) {
      ControlAssignments[Action(key)].Pressed = true;
      ProcessDSKYKeys(0);
    }
  }
  static ActionIndex Action(char key) {
    switch (key) {
      case 'V':
        return ActionKeyPadVerb;
      case 'N':
        return ActionKeyPadNoun;
      case 'E':
        return ActionKeyPadEntr;
      case 'C':
        return ActionKeyPadClr;
      case 'R':
        return ActionKeyPadRset;
      case 'P':
        return ActionKeyPadPro;
      case 'K':
        return ActionKeyPadRelease;
      case '+':
        return ActionKeyPadPlus;
      case '-':
        return ActionKeyPadMinus;
      default:
        return static_cast<ActionIndex>(ActionKeyPad0 + (key - '0'));
    }
  }
  void RunFor(std::chrono::milliseconds total) {
    using namespace std::chrono_literals;
    for (std::chrono::milliseconds t{0}; t < total; t += 10ms) {
      clock.Advance(10ms);
      forms::DoEvents();
    }
  }

  forms::VirtualClock clock;

 private:
  // The guidance computer's own state, then what its programs and the tests set in the flight's.
  SavedVariables cockpit_ = SavedVariables(
      CurrentProgram, ManeuverActive, AutoAttitudeHold, MinimumImpulseMode, ProgramRCSFlag,
      DSKYVerb, DSKYNoun, DSKYProgram, DSKYRegister, RegisterLoads, VerbPosition, NounPosition,
      VerbEntryActive, NounEntryActive, KeyEntryEnabled, KeyChar, DisplayHold, VerbFlash, NounFlash,
      FlashPhase, EnterRequest, ProceedRequest, KeyReleaseRequest, ExtendedRoutine, LampTestTicks,
      LoadsRemaining, ProgramAlarmPending, CompActyPercent, CompActyOnce, LampUplinkActy, LampNoAtt,
      LampStby, LampKeyRel, LampOprErr, LampSpare1, LampSpare2, LampTemp, LampGimbalLock, LampProg,
      LampRestart, LampTracker, LampAlt, LampVel, SavedVerb, SavedNoun, SavedProgram,
      SavedVerbFlash, SavedNounFlash, Noun71Text, Noun85Text, MessageText, LPDAngle, LPDTimeTens,
      LPDTimeOnes, AscentIgnited, DSKYNeighbours, UiText);
  SavedVariables flight_ = SavedVariables(
      APSThrust, AltitudeAboveGround, AscentFuelMass, AscentOnly, AscentStageFlying, BurnWindowFlag,
      DescentFuelMass, DockRangeFeet, DockSpeed, WorldScale, DockClosingAngleRate,
      DockLateralAngleRate, EVAMode, EngineOff, EngineThrust, Fuel, HorizontalVelocityForward,
      IgnitionTime, LMVelocity, ManeuverTargets, MissionClock, PlatformAlignmentFlag, Staged,
      ThrottleCommand, ThrustAverage, ThrustAverageLength, TimeToAscentIgnition, TimeToIgnition,
      RollAxis, PitchAxis, YawAxis, AttitudeReachedFlags, ContactLightFlags, BurnVelocity,
      AttitudeEntryAngles, InstrumentLayout, ControlAssignments);
};
