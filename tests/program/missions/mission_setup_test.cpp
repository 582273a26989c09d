#include "program/missions/mission_setup.h"

#include <gtest/gtest.h>

#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"
#include "tests/program/missions/program_folder.h"

namespace {

using MissionSetup = ScenarioTest;

TEST(CommaList, SkipsEmptyFieldsAndKeepsAtMostSix) {
  const struct {
    const char* Text;
    int32_t Count;
    const char* Fields[6];
  } cases[] = {
      {"des1.wav,0,50,3000,1", 5, {"des1.wav", "0", "50", "3000", "1", ""}},
      {"des1.wav,,50,3000,1", 4, {"des1.wav", "50", "3000", "1", "", ""}},
      {",a, b ,,", 2, {"a", " b ", "", "", "", ""}},
      {"1,2,3,4,5,6,7", 6, {"1", "2", "3", "4", "5", "6"}},
      {"", 0, {"", "", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    std::array<std::string, CommaListFields + 1> parts;
    parts[0] = "untouched?";
    EXPECT_EQ(SplitCommaList(c.Text, parts), c.Count) << c.Text;
    EXPECT_EQ(parts[0], "");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(parts[i + 1], c.Fields[i]) << c.Text << " " << i;
  }
}

TEST_F(MissionSetup, WithoutAFileTheTablesAreEmptyAndTheNamesDefault) {
  DescentCalls.resize(3);
  LoadMissionSetup();
  EXPECT_EQ(CockpitViewAngle, 25.0f);
  EXPECT_EQ(FullScreenViewYawAngle, 0.0f);
  EXPECT_EQ(LandTileFiles[14].TextureFile, "Missing");
  EXPECT_EQ(LandTileFiles[0].HeightFile, "Missing");
  EXPECT_TRUE(AltitudeCalls.empty());
  EXPECT_TRUE(DescentCalls.empty());
  EXPECT_TRUE(LPDCalls.empty());
  EXPECT_TRUE(FuelCalls.empty());
  EXPECT_EQ(FlyingTheme, "");
  EXPECT_EQ(DockingSoundFiles[3], "");
}

TEST_F(MissionSetup, ReadsCalloutLinesFieldByField) {
  WriteScenario(
      "[Altitude Calls]\nNumber of Calls=4\nAlt1=a500.wav,500,3000,True,False\n"
      "Alt2=a500.wav,500,3000,1,0\nAlt3=a400.wav,400,,True,False\nAlt4=a300.wav, 300 "
      ",2500,false,TRUE\n"
      "[Descent Calls]\nNumber of Calls=3\nDes1=des1.wav,0,50,3000,1\nDes2=des1.wav,,50,3000,1\n"
      "[Fuel Calls]\nNumber of Calls=1\nFuel1=q.wav,5,0,3000,1,extra,dropped\n"
      "[LPD Calls]\nNumber of Calls=-4\n"
      "[General]\nFlying Theme=theme.mp3\nDock2=d2.wav\n[Moon Surface]\nLanded=landed.wav\n"
      "[Landscape]\nLand Texture 1=t1.png\nLand Height 1=h1.ht\n");
  LoadMissionSetup();
  ASSERT_EQ(AltitudeCalls.size(), 3u);  // the line with an empty field is left out
  EXPECT_EQ(AltitudeCalls[0].File, "a500.wav");
  EXPECT_EQ(AltitudeCalls[0].Altitude, 500);
  EXPECT_EQ(AltitudeCalls[0].Interval, 3000);
  EXPECT_TRUE(AltitudeCalls[0].ArmsRateCalls);
  EXPECT_FALSE(AltitudeCalls[0].Once);
  EXPECT_EQ(AltitudeCalls[1].Altitude, AltitudeCalls[0].Altitude);
  EXPECT_EQ(AltitudeCalls[1].ArmsRateCalls, AltitudeCalls[0].ArmsRateCalls);
  EXPECT_EQ(AltitudeCalls[1].Once, AltitudeCalls[0].Once);
  EXPECT_EQ(AltitudeCalls[2].Altitude, 300);
  EXPECT_TRUE(AltitudeCalls[2].Once);

  ASSERT_EQ(DescentCalls.size(), 3u);
  EXPECT_EQ(DescentCalls[0].File, "des1.wav");
  EXPECT_EQ(DescentCalls[0].High, 50);
  EXPECT_EQ(DescentCalls[0].Interval, 3000);
  EXPECT_TRUE(DescentCalls[0].Once);
  EXPECT_EQ(DescentCalls[1].Low, 50);  // the empty field moves the values left
  EXPECT_EQ(DescentCalls[1].High, 3000);
  EXPECT_EQ(DescentCalls[1].Interval, 1);
  EXPECT_FALSE(DescentCalls[1].Once);
  EXPECT_EQ(DescentCalls[2].File, "");  // counted but absent
  EXPECT_EQ(DescentCalls[2].Low, 0);
  ASSERT_EQ(FuelCalls.size(), 1u);
  EXPECT_EQ(FuelCalls[0].Low, 5);
  EXPECT_TRUE(LPDCalls.empty());
  EXPECT_EQ(FlyingTheme, "theme.mp3");
  EXPECT_EQ(DockingSoundFiles[3], "d2.wav");
  EXPECT_EQ(LandedSoundFile, "landed.wav");
  EXPECT_EQ(LandTileFiles[1].TextureFile, "t1.png");
  EXPECT_EQ(LandTileFiles[1].HeightFile, "h1.ht");
}

TEST_F(MissionSetup, AHostileCountIsCut) {
  WriteScenario(
      "[Descent Calls]\nNumber of Calls=2000000000\nDes1=a.wav,1,2,3,4\n"
      "[Fuel Calls]\nNumber of Calls=1e30\n");
  LoadMissionSetup();
  ASSERT_EQ(DescentCalls.size(), static_cast<size_t>(MaxCalloutCount));
  EXPECT_EQ(DescentCalls[0].File, "a.wav");
  EXPECT_TRUE(FuelCalls.empty());  // beyond 32 bits: the default 0
}

TEST_F(MissionSetup, ReloadingClearsPlayed) {
  WriteScenario("[Descent Calls]\nNumber of Calls=1\nDes1=a.wav,1,2,3,-1\n");
  LoadMissionSetup();
  DescentCalls[0].Played = true;
  LoadMissionSetup();
  EXPECT_FALSE(DescentCalls[0].Played);
}

TEST_F(MissionSetup, ShippedApollo11HasEveryTable) {
  UseShippedData();
  MissionName = "Apollo 11";
  FlightFile = "Short Flight P66";
  LoadMissionSetup();
  ASSERT_FALSE(AltitudeCalls.empty());
  EXPECT_FALSE(DescentCalls.empty());
  EXPECT_FALSE(LPDCalls.empty());
  EXPECT_FALSE(FuelCalls.empty());
  EXPECT_EQ(AltitudeCalls[0].Altitude, 3000);
  EXPECT_EQ(LandTileFiles[2].HeightFile, "temp2.ht");
  EXPECT_EQ(LandedSoundFile, "landed.wav");
}

}  // namespace
