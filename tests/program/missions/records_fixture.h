// A program folder in which a test records, saves, loads and scores flights, with every record
// variable it touches given back afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms/script.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "tests/program/missions/program_folder.h"

class RecordsTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    MissionName = "Apollo 12";
    MissionType = 12;
    ReplayLoaded = false;
    ReplayPlayback = false;
    ActivePilot = 1;
    for (PilotRecord& pilot : PilotRoster) pilot = PilotRecord{};
    CurrentScore = ReplayScore = PilotRecord{};
  }

  // Records count samples of a straight descent, 100 ms apart.
  static void RecordDescent(int32_t count) {
    FlightRecordCount = count;
    for (int32_t i = 1; i <= count; ++i) {
      FlightSample& s = FlightRecord[static_cast<size_t>(i)];
      s = FlightSample{};
      s.Time = 100.0 * i;
      s.Velocity = {0.0, -2.0, 0.0};
      s.Position = {10.0, 200.0 - i, 20.0};
    }
  }

  std::vector<uint8_t> ReadBytes(const std::string& relative) const {
    std::ifstream file(folder_.Path() / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

 private:
  SavedVariables records_ = SavedVariables(
      FlightRecord, FlightRecordCount, PilotRoster, ActivePilot, CurrentScore, ReplayScore,
      ReplayName, ReplayLoaded, ReplayPlayback, ReplayCount, ReplayLowGateIndex,
      ReplayTouchdownIndex, ReplayManualStartIndex, ReplayMissDistance, ReplayUnevenness,
      ReplayPosition, ReplayStartValue, ControlStartRecord, ContactRecord, LowGateIndex,
      FirstTouchRecord, TouchdownDistance, SurfaceUnevenness, ManualControlTime, ManualThrottleTime,
      LMPosition, LMMeshPosition, LMVelocity, HistoricLandingSpot, MissionClock, EventClock,
      StartProgram, DescentSpeed, StartVelocity, StartRotation, StartPosition, RCSFuel, MessageText,
      PitchAxis, RollAxis, YawAxis, ThrottleCommand, CommandedVerticalRate, RCSFiring, MissionTime,
      ReplayIndex, TouchdownSpeed);
};
