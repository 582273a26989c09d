#include "program/missions/mission_file.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/profile.h"

#include "program/cockpit/cockpit_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"
#include "tests/program/missions/program_folder.h"

namespace {

constexpr float RadiansPerDegree = 0.0174532925f;

using ScenarioFile = ScenarioTest;

TEST_F(ScenarioFile, WithoutAFileEveryValueIsItsDefault) {
  CurrentProgram = P41;
  LoadMissionFile();
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 2);
  EXPECT_EQ(PGNSSwitch.Label, "PGNS");
  EXPECT_EQ(AGSSwitch.SwitchPosition, 0);
  EXPECT_EQ(RollRCSSwitch.Label, "Roll Mode");
  EXPECT_EQ(DeadbandSwitch.SwitchPosition, 0);
  EXPECT_EQ(XPointerSwitch.SwitchPosition, 1);
  EXPECT_FLOAT_EQ(MaxCommandedRadialVelocity, 20 * RadiansPerDegree);
  EXPECT_EQ(DPSThrust, 9700.0f);
  EXPECT_EQ(APSThrust, 9700.0f);
  EXPECT_EQ(MinThrottle, 0.1f);
  EXPECT_EQ(RCSDistance, -6.5);
  EXPECT_FLOAT_EQ(DescentMassEmpty, 1984 * 0.06852f);
  EXPECT_EQ(DescentFuelMass, 0.0f);
  EXPECT_FLOAT_EQ(AscentFuelMass, 2358 * 2.20462f);
  EXPECT_EQ(WorldScale, 1.45f);
  EXPECT_FLOAT_EQ(SurveyorRotation.y, -1.8204f);
  EXPECT_FLOAT_EQ(CMAttitude.Pitch, 36 * RadiansPerDegree);
  EXPECT_FLOAT_EQ(CMAttitude.Yaw, 54 * RadiansPerDegree);
  EXPECT_FLOAT_EQ(HistoricLandingSpot.EastWest, 1480 / 1.45f);
  EXPECT_FLOAT_EQ(HistoricLandingSpot.NorthSouth, 1280 / 1.45f);
  EXPECT_FLOAT_EQ(StartPosition.y, 5000 / 1.45f);
  EXPECT_EQ(CurrentProgram, NoProgram);
  EXPECT_EQ(StartProgram, NoProgram);
  EXPECT_EQ(ViewRecords[CockpitView2].ViewAngle, 66.66f);
  EXPECT_EQ(ViewRecords[SpotView1].ViewAngle, 60.0f);
  EXPECT_EQ(MissionClock.Hours, 102);
  EXPECT_EQ(MissionClock.Minutes, 41);
  EXPECT_EQ(EventClock.Seconds, 15);
  EXPECT_EQ(TimeToAscentIgnition.Minutes, 1);
  EXPECT_EQ(TimeToAscentIgnition.TotalSeconds, 60);  // its digits follow at once
  EXPECT_EQ(AscentStartTime, 25.0f);
  EXPECT_EQ(MoonRadius, -4957000.0f);

  CurrentLanguage = 3;
  LoadMissionDescription();
  EXPECT_EQ(MissionDescription[0], "Marovin Vuzidu Mission");
  EXPECT_EQ(MissionDescription[15], " ");
}

TEST_F(ScenarioFile, ConvertsUnitsAndCrossesThePitchAndRollKeys) {
  WriteScenario(
      "[Switch Positions]\nPitchRCS=0\nRollRCS=1\nMission Time Hours=2.5\n"
      "[Static Parameters]\nDescent Mass Empty=1000\nDistance between RCS units=10\n"
      "FtPerWorldUnit=2\nGravity=5,3\n"
      "[Surveyor Medium]\nSurveyor X=5\n[Surveyor High]\nSurveyor X=7\n"
      "[Flight Parameters]\nStartY=1450\nCM Yaw=0\nCM Pitch=10\nRotationX=90\nLanding Spot EW=100\n"
      "Mission Time Hours=2.5\nMission Time Minutes=2.6\nEvent Time Hours=1e12\nProgram Mode=P66\n"
      "VirtualC1.X=-3\nVirtualRotation1.Y=0.5\nVirtualC3.Z=1\n"
      "[Landscape]\nMoon Radius=1,5\nMoon Angle Y=0.25\n"
      "[Landscape Position High]\nLandPositionX 1=2048\nLandZ 2=3\n"
      "[Landscape Position Low]\nLandPositionX 1=99\n");
  LoadMissionFile();
  EXPECT_EQ(RollRCSSwitch.SwitchPosition, 0);
  EXPECT_EQ(PitchRCSSwitch.SwitchPosition, 1);
  EXPECT_EQ(PitchRCSSwitch.Label, "Pitch Mode");
  EXPECT_FLOAT_EQ(DescentMassEmpty, 68.52f);
  EXPECT_EQ(RCSDistance, -5.0);
  EXPECT_FLOAT_EQ(Gravity, 5.3f);
  EXPECT_EQ(SurveyorPosition.x, 7.0f);
  EXPECT_EQ(StartPosition.y, 725.0f);
  EXPECT_FLOAT_EQ(CMAttitude.Yaw, 1.5707963f);
  EXPECT_FLOAT_EQ(CMAttitude.Pitch, -10 * RadiansPerDegree);
  EXPECT_FLOAT_EQ(StartRotation.x, 1.5707963f);
  EXPECT_EQ(LandingSpot.EastWest, 50.0f);
  EXPECT_EQ(MissionClock.Hours, 2);
  EXPECT_EQ(MissionClock.Minutes, 3);
  EXPECT_EQ(EventClock.Hours, 0);  // beyond 32 bits: the default
  EXPECT_EQ(CurrentProgram, P66);
  EXPECT_EQ(StartProgram, P66);
  EXPECT_EQ(CurrentCockpitEye.x, -3.0f);
  EXPECT_EQ(CurrentCockpitRotation.y, 0.5f);
  EXPECT_EQ(VirtualCockpitEye[2].z, 1.0f);
  EXPECT_EQ(MoonRadius, 1.0f);  // this key stops at the comma
  EXPECT_EQ(MoonAngle.y, 0.25f);
  EXPECT_EQ(LandTilePosition[1].x, 2048.0f);
  EXPECT_EQ(LandTileScale[2].z, 3.0f);

  LandPrecision = 1;
  LoadMissionFile();
  EXPECT_EQ(LandTilePosition[1].x, 99.0f);
  EXPECT_EQ(SurveyorPosition.x, 1219.483f);
}

TEST_F(ScenarioFile, ProgramModeIsExactTextAndAnUnknownOneKeepsTheProgram) {
  const struct {
    const char* Text;
    int32_t Program;
  } cases[] = {{"P20", 4}, {"P63", 9}, {"P64", 10}, {"P65", 11},
               {"-99", 0}, {"p66", 5}, {"P12", 5},  {"", 5}};
  for (const auto& c : cases) {
    WriteScenario(std::string("[Flight Parameters]\nProgram Mode=") + c.Text + "\n");
    CurrentProgram = P30;
    LoadMissionFile();
    EXPECT_EQ(CurrentProgram, c.Program) << c.Text;
    EXPECT_EQ(StartProgram, c.Program) << c.Text;
  }
}

TEST_F(ScenarioFile, AWorldScaleOfZeroIsTakenAsAbsent) {
  WriteScenario("[Static Parameters]\nFtPerWorldUnit=0\n[Flight Parameters]\nStartX=145\n");
  LoadMissionFile();
  EXPECT_EQ(WorldScale, 1.45f);
  EXPECT_FLOAT_EQ(StartPosition.x, 100.0f);
}

TEST_F(ScenarioFile, DescriptionIsThatOfTheCurrentLanguageOnly) {
  WriteScenario(
      "[Mission Description 1]\nTitle=Landing\nLine 2=second\nLine 3=\n"
      "[Mission Description 2]\nTitle=Landung\n");
  CurrentLanguage = 1;
  LoadMissionDescription();
  EXPECT_EQ(MissionDescription[0], "Landing");
  EXPECT_EQ(MissionDescription[1], " ");
  EXPECT_EQ(MissionDescription[2], "second");
  EXPECT_EQ(MissionDescription[3], "");
  CurrentLanguage = 2;
  LoadMissionDescription();
  EXPECT_EQ(MissionDescription[0], "Landung");
}

TEST_F(ScenarioFile, ShippedApollo11ShortFlightStartsInP66) {
  UseShippedData();
  MissionName = "Apollo 11";
  FlightFile = "Short Flight P66";
  MissionType = 11;
  LoadMissionFile();
  EXPECT_EQ(CurrentProgram, P66);
  EXPECT_EQ(AutoThrottleSwitch.SwitchPosition, 1);
  EXPECT_FLOAT_EQ(StartPosition.y, 400 / 1.45f);
  EXPECT_FLOAT_EQ(HistoricLandingSpot.EastWest, 506 / 1.45f);
  EXPECT_GT(DescentFuelMass, 0.0f);
  EXPECT_EQ(MissionClock.Hours, 102);
  CurrentLanguage = 1;
  LoadMissionDescription();
  EXPECT_NE(MissionDescription[0].find("Apollo 11"), std::string::npos);
}

// A later flight reads its own scenario afresh: whatever the one before set, a key the new file
// lacks takes its default.
TEST_F(ScenarioFile, ASecondFlightKeepsNothingOfTheFirstScenario) {
  UseShippedData();
  MissionName = "Apollo 11";
  FlightFile = "Short Flight P66";
  LoadMissionFile();
  ASSERT_EQ(CurrentProgram, P66);

  win::SetAppPath(folder_.Path().string());  // the same flight, with no file behind it
  LoadMissionFile();
  EXPECT_EQ(CurrentProgram, NoProgram);
  EXPECT_EQ(StartProgram, NoProgram);
  EXPECT_EQ(DPSThrust, 9700.0f);
  EXPECT_EQ(Gravity, 5.266f);
  EXPECT_EQ(DescentFuelMass, 0.0f);
  EXPECT_FLOAT_EQ(DescentMassEmpty, 1984 * 0.06852f);
  EXPECT_FLOAT_EQ(StartPosition.y, 5000 / 1.45f);
  EXPECT_FLOAT_EQ(HistoricLandingSpot.EastWest, 1480 / 1.45f);
}

// The shipped scenario spells out every key its readers know, so that it documents them all.
TEST(ShippedScenario, HoldsEveryKey) {
  std::vector<std::pair<std::string, std::string>> keys;
  const auto add = [&](const std::string& section, std::initializer_list<std::string> names) {
    for (const std::string& name : names) keys.emplace_back(section, name);
  };
  add("Switch Positions", {"PGNS", "AGS", "YawRCS", "PitchRCS", "RollRCS", "XPointer", "Ratescale",
                           "Autothrottle", "Deadband"});
  add("Static Parameters",
      {"Maximum Commanded Radial Velocity", "DPS Thrust", "APS Thrust", "Min Thrust", "RCS Thrust",
       "Gravity", "Distance between RCS units", "Descent Mass Empty", "Ascent Mass Empty",
       "Descent Fuel Mass", "Ascent Fuel Mass", "FtPerWorldUnit", "CockpitViewAngle",
       "FullScreenViewAngle", "FullScreenViewYawAngle"});
  add("Flight Parameters", {"CM Pitch",
                            "CM Roll",
                            "CM Yaw",
                            "Landing Spot EW",
                            "Landing Spot NS",
                            "Historic Landing Spot EW",
                            "Historic Landing Spot NS",
                            "Descent Speed",
                            "Docked",
                            "AscentOnly",
                            "RCS Fuel",
                            "StartX",
                            "StartY",
                            "StartZ",
                            "RotationX",
                            "RotationY",
                            "RotationZ",
                            "VelocityX",
                            "VelocityY",
                            "VelocityZ",
                            "P64 LowGate Height",
                            "Program Mode",
                            "Mission Time Hours",
                            "Mission Time Minutes",
                            "Mission Time Seconds",
                            "Event Time Hours",
                            "Event Time Minutes",
                            "Event Time Seconds",
                            "Ascent Start Time",
                            "Time to Ascent Ignition H",
                            "Time to Ascent Ignition Min",
                            "Time to Ascent Ignition Sec"});
  for (const char* view : {"1", "2", "3"}) {
    const std::string n = view;
    add("Flight Parameters",
        {"VirtualC" + n + ".X", "VirtualC" + n + ".Y", "VirtualC" + n + ".Z",
         "VirtualRotation" + n + ".X", "VirtualRotation" + n + ".Y", "VirtualRotation" + n + ".Z",
         "VirtualView" + n + " VVFrustram", "CockpitView" + n + " VVFrustram"});
  }
  add("Flight Parameters", {"SpotView1 VVFrustram", "SpotView2 VVFrustram"});
  add("Landscape", {"Moon Radius", "Moon Angle X", "Moon Angle Y", "Moon Angle Z"});
  for (int n = 0; n < LandTileFileCount; ++n) {
    add("Landscape", {"Land Texture " + std::to_string(n), "Land Height " + std::to_string(n)});
  }
  for (const char* precision : {" Low", " Medium", " High"}) {
    add(std::string("Surveyor") + precision,
        {"Surveyor X", "Surveyor Y", "Surveyor Z", "Surveyor RotateX", "Surveyor RotateY",
         "Surveyor RotateZ"});
    for (const char* tile : {"0", "1", "2"}) {
      for (const char* key :
           {"LandPositionX ", "LandPositionY ", "LandPositionZ ", "LandX ", "LandY ", "LandZ "}) {
        add(std::string("Landscape Position") + precision, {key + std::string(tile)});
      }
    }
  }
  for (const char* language : {"1", "2"}) {
    const std::string section = std::string("Mission Description ") + language;
    add(section, {"Title", "Scenario Name"});
    for (int line = 1; line < MissionDescriptionLines; ++line) {
      add(section, {"Line " + std::to_string(line)});
    }
  }
  add("General", {"Start Loading", "After Initiation", "Flying Theme", "Ascent", "Undock1",
                  "Undock2", "Dock1", "Dock2"});
  add("Mission Specific",
      {"On the Porch", "Down Ladder", "Foot of Ladder", "Drifting to Right", "Forward"});
  add("Moon Surface", {"Surface", "Landed"});
  for (const char* section : {"Altitude Calls", "Descent Calls", "LPD Calls", "Fuel Calls"}) {
    add(section, {"Number of Calls"});
  }

  const std::string path =
      std::string(MAROVIN_DATA) + "\\Missions\\Apollo 11\\Short Flight P66.sit";
  const char* const absent = "\x01";
  for (const auto& [section, key] : keys) {
    EXPECT_NE(win::GetPrivateProfileString(section, key, absent, 128, path), absent)
        << "[" << section << "] " << key;
  }
  EXPECT_EQ(win::GetPrivateProfileString("Mission Description 1", "Scenario Name", "", 128, path),
            "Short Flight P66");
}

}  // namespace
