// A test's program folder: a fresh temporary one, or the shipped data folder.
#pragma once

#include <string>

#include "platform/win/app_path.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/saved_variables.h"

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    win::SetAppPath(folder_.Path().string());
  }
  static void UseShippedData() { win::SetAppPath(MAROVIN_DATA); }

  TempFolder folder_;

 private:
  // The language and the flight chosen, which the tests set in place of the chooser and the
  // launcher.
  SavedVariables saved_ =
      SavedVariables(CurrentLanguage, MissionName, FlightFile, MissionType, LandPrecision);
  EngineStartedElsewhere engine_;
};

// A program folder with the scenario "Test" of the mission "Apollo 12" chosen, at high landscape
// precision.
class ScenarioTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    MissionName = "Apollo 12";
    FlightFile = "Test";
    MissionType = 12;
    LandPrecision = 4;
  }
  void WriteScenario(const std::string& text) const {
    folder_.WriteFile("Missions/" + MissionName + "/" + FlightFile + ".sit", text);
  }
};
