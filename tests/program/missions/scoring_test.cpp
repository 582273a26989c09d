#include "program/missions/scoring.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "program/missions/missions_texts.h"
#include "program/missions/pilot_list.h"
#include "program/missions/score_file.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/records_fixture.h"
#include "tests/program/missions/shipped_texts.h"

namespace {

class ScoringTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    RecordDescent(100);
    ControlStartRecord = 1;
    LowGateIndex = 80;
    FirstTouchRecord = 100;
    TouchdownDistance = 0;
    SurfaceUnevenness = 0.0f;
    ManualControlTime = ManualThrottleTime = 0.0;
    HistoricLandingSpot = {10.0f, 20.0f};
    LMMeshPosition = {10.0f, 0.0f, 20.0f};
    PilotRoster[1].Name = FitPilotName("Pete");
  }
  void TouchDownAt(double speed) {
    FlightRecord[static_cast<size_t>(FirstTouchRecord)].Velocity = {0.0, -speed, 0.0};
  }
  bool ScoreFileExists() const { return std::filesystem::exists(folder_.Path() / "score.dat"); }
};

// Each formula at and around its boundaries.
TEST_F(ScoringTest, PointsOfEachCriterion) {
  struct Case {
    double speed;
    int32_t miss;
    float unevenness;
    float siteDistance;
    int32_t speedPoints, targetPoints, levelPoints, sitePoints;
  };
  for (const Case& c :
       {Case{0.0, 0, 0.0f, 0.0f, 1000, 500, 500, 400},
        Case{5.0, 50, 1.5f, 100.0f, 500, 250, 250, 300}, Case{10.0, 100, 3.0f, 400.0f, 0, 0, 0, 0},
        Case{25.0, 250, 7.0f, 900.0f, 0, 0, 0, 0}}) {
    TouchDownAt(c.speed);
    TouchdownDistance = c.miss;
    SurfaceUnevenness = c.unevenness;
    LMMeshPosition = {10.0f + c.siteDistance, 0.0f, 20.0f};
    ScoreLanding();
    EXPECT_FLOAT_EQ(TouchdownSpeed, static_cast<float>(c.speed));
    EXPECT_EQ(CurrentScore.SpeedPoints, c.speedPoints) << c.speed;
    EXPECT_EQ(CurrentScore.TargetPoints, c.targetPoints) << c.miss;
    EXPECT_EQ(CurrentScore.LevelPoints, c.levelPoints) << c.unevenness;
    EXPECT_EQ(CurrentScore.SitePoints, c.sitePoints) << c.siteDistance;
  }
}

TEST_F(ScoringTest, TotalsTheLandingAndRaisesThePilotsBests) {
  TouchDownAt(5.0);
  ManualControlTime = 10.0;
  ManualThrottleTime = 2.5;
  ScoreLanding();
  EXPECT_EQ(CurrentScore.Name, FitPilotName("Pete"));
  EXPECT_FLOAT_EQ(CurrentScore.ManualAttitudeBonus, 100.0f);
  EXPECT_FLOAT_EQ(CurrentScore.ManualThrottleBonus, 25.0f);
  const PilotRecord& s = CurrentScore;
  EXPECT_EQ(s.LandingTotal, s.SpeedPoints + s.LevelPoints + s.TargetPoints + s.PathPoints +
                                s.SmoothPoints + s.SitePoints + 125);
  // A steady descent fits exactly; only the blend into the low gate over the last 100 of the 500
  // approach samples counts: 1000 - (2 ft/s x 50.5) / 3.
  EXPECT_EQ(s.PathPoints, 966);
  EXPECT_GT(s.SmoothPoints, 0);
  EXPECT_EQ(PilotRoster[1].LandingTotal, s.LandingTotal);
  EXPECT_EQ(ReadBytes("score.dat").size(), 860u);

  const int32_t best = s.LandingTotal;
  TouchDownAt(9.0);
  ScoreLanding();
  EXPECT_LT(CurrentScore.LandingTotal, best);
  EXPECT_EQ(PilotRoster[1].LandingTotal, best);
  EXPECT_EQ(PilotRoster[1].SpeedPoints, 500);
}

// The approach ends and the final approach begins at the first sample 100 ft up, not where the
// contact light came on a few feet above the ground.
TEST_F(ScoringTest, TheLowGateSplitsTheApproachFromTheFinalApproach) {
  LowGateIndex = 50;
  ContactRecord = 95;
  TouchDownAt(2.0);
  ScoreLanding();
  const auto position = [](int32_t sample) {
    const Vector3d& p = FlightRecord[static_cast<size_t>(sample)].Position;
    return std::array{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
  };
  const auto point = [](const Vector3& p) { return std::array{p.x, p.y, p.z}; };
  EXPECT_EQ(point(FlownPathLine[ApproachPathPoints]), position(50));
  EXPECT_EQ(point(FinalPathLine[1]), position(50));
  EXPECT_EQ(point(FinalPathLine[FinalApproachPoints]), position(100));
}

TEST_F(ScoringTest, SurvivesIndicesOutsideTheRecord) {
  for (auto [start, gate, touch] :
       {std::array{0, 0, 0}, std::array{90, 40, 10}, std::array{-5, 7000, 99999}}) {
    ControlStartRecord = start;
    LowGateIndex = gate;
    FirstTouchRecord = touch;
    ScoreLanding();
    EXPECT_GE(CurrentScore.PathPoints, 0);
    EXPECT_GE(CurrentScore.SmoothPoints, 0);
    ScoreRace();
    EXPECT_GE(CurrentScore.RaceTotal, 0);
  }
}

TEST_F(ScoringTest, PlaybackScoresIntoTheReplayOnly) {
  ReplayLoaded = true;
  ReplayCount = 100;
  ReplayTouchdownIndex = 100;
  ReplayLowGateIndex = 80;
  ReplayManualStartIndex = 1;
  ReplayMissDistance = 50;
  TouchDownAt(5.0);
  ScoreLanding();
  EXPECT_EQ(ReplayScore.TargetPoints, 250);
  EXPECT_EQ(ReplayScore.LandingTotal, CurrentScore.LandingTotal);
  EXPECT_EQ(PilotRoster[1].LandingTotal, 0);
  ScoreRace();
  EXPECT_EQ(ReplayScore.RaceTotal, CurrentScore.RaceTotal);
  EXPECT_EQ(PilotRoster[1].RaceTotal, 0);
  EXPECT_FALSE(ScoreFileExists());
}

TEST_F(ScoringTest, RaceWritesOnlyWhenItsTotalRises) {
  MissionType = LMRaceMission;
  ControlStartRecord = 1;
  FirstTouchRecord = 101;
  RecordDescent(101);
  for (int32_t i = 1; i <= 101; ++i) {
    FlightRecord[static_cast<size_t>(i)].Position.y = 118.0;
    FlightRecord[static_cast<size_t>(i)].ThrottleMode =
        i <= 51 ? ManualThrottleMode : AutoThrottleMode;
  }
  ScoreRace();
  EXPECT_FLOAT_EQ(CurrentScore.RaceManualPoints, 51000.0f / 101);
  EXPECT_FLOAT_EQ(CurrentScore.RaceHeightPoints, 4000.0f) << "the possible, not more";
  EXPECT_FLOAT_EQ(CurrentScore.RaceTimePoints, 4800.0f);
  EXPECT_EQ(CurrentScore.RaceTotal, 8800);
  EXPECT_EQ(CurrentScore.LandingTotal, 0);
  ASSERT_TRUE(ScoreFileExists());
  std::filesystem::remove(folder_.Path() / "score.dat");

  // A lower total with a better manual share raises that best in memory only.
  for (int32_t i = 1; i <= 101; ++i) {
    FlightRecord[static_cast<size_t>(i)].Position.y = 150.0;
    FlightRecord[static_cast<size_t>(i)].ThrottleMode = ManualThrottleMode;
  }
  ScoreRace();
  EXPECT_LT(CurrentScore.RaceTotal, 8800);
  EXPECT_FLOAT_EQ(PilotRoster[1].RaceManualPoints, 1000.0f) << "the possible, not more";
  EXPECT_EQ(PilotRoster[1].RaceTotal, 8800);
  EXPECT_FALSE(ScoreFileExists());

  // A race with no length scores no race points.
  FirstTouchRecord = ControlStartRecord;
  ScoreRace();
  EXPECT_EQ(CurrentScore.RaceTotal, 0);
}

TEST_F(ScoringTest, ScoreFileRoundTripsAndKeepsDamagedFilesAside) {
  for (int32_t i = 1; i <= PilotCount; ++i) {
    PilotRoster[static_cast<size_t>(i)].Name = FitPilotName("Pilot " + std::to_string(i));
    PilotRoster[static_cast<size_t>(i)].LandingTotal = 100 * i;
    PilotRoster[static_cast<size_t>(i)].RaceHeightPoints = 0.5f * static_cast<float>(i);
  }
  ASSERT_TRUE(SaveScoreFile());
  const std::vector<uint8_t> bytes = ReadBytes("score.dat");
  ASSERT_EQ(bytes.size(), 860u);
  EXPECT_EQ(std::string(bytes.begin() + 86, bytes.begin() + 93), "Pilot 2");
  const auto saved = PilotRoster;
  for (PilotRecord& pilot : PilotRoster) pilot = PilotRecord{};
  ASSERT_TRUE(LoadScoreFile());
  for (int32_t i = 1; i <= PilotCount; ++i) {
    EXPECT_EQ(PilotRoster[static_cast<size_t>(i)].Name, saved[static_cast<size_t>(i)].Name);
    EXPECT_EQ(PilotRoster[static_cast<size_t>(i)].LandingTotal, 100 * i);
  }

  // A short file gives its whole records; the next write keeps it aside first.
  folder_.WriteFile("score.dat", std::string(bytes.begin(), bytes.begin() + 86 * 3 + 40));
  for (PilotRecord& pilot : PilotRoster) pilot = PilotRecord{};
  EXPECT_FALSE(LoadScoreFile());
  EXPECT_EQ(PilotRoster[3].LandingTotal, 300);
  EXPECT_EQ(PilotRoster[4].LandingTotal, 0);
  const MessageBoxesShown shown;
  ASSERT_TRUE(SaveScoreFile());
  EXPECT_EQ(ReadBytes("score.dat.bad").size(), 86u * 3 + 40);
  EXPECT_EQ(ReadBytes("score.dat").size(), 860u);
  // A second damaged file is kept beside the first, and each is told of once.
  folder_.WriteFile("score.dat", "short");
  EXPECT_FALSE(LoadScoreFile());
  ASSERT_TRUE(SaveScoreFile());
  ASSERT_TRUE(SaveScoreFile());
  EXPECT_EQ(ReadBytes("score.dat.bad").size(), 86u * 3 + 40);
  EXPECT_EQ(ReadBytes("score.dat.bad.2").size(), 5u);
  const auto messages = shown();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].prompt, "The score file was damaged. It is kept as:\n" +
                                    (folder_.Path() / "score.dat.bad.2").string());
}

TEST(PilotNames, CutAtACharacterBoundary) {
  EXPECT_EQ(FitPilotName("Al"), "Al" + std::string(28, ' '));
  EXPECT_EQ(FitPilotName(std::string(40, 'x')), std::string(30, 'x'));
  // 29 ASCII bytes and a two-byte letter: the letter does not fit whole.
  EXPECT_EQ(FitPilotName(std::string(29, 'a') + "\xC3\xBC"), std::string(29, 'a') + " ");
  EXPECT_EQ(FitPilotName(std::string(28, 'a') + "\xC3\xBC"), std::string(28, 'a') + "\xC3\xBC");
}

class PilotListTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    UnloadLauncherDialogs();
  }
  void TearDown() override { UnloadLauncherDialogs(); }
};

TEST_F(PilotListTest, LoadsTenRowsAndEnablesOnlyTheChosenName) {
  PilotRoster[2].Name = FitPilotName("Buzz");
  PilotRoster[2].LandingTotal = 4321;
  PilotRoster[2].RaceTotal = 77;
  ASSERT_TRUE(SaveScoreFile());
  for (PilotRecord& pilot : PilotRoster) pilot = PilotRecord{};
  ActivePilot = 2;
  PilotListForm& form = *PilotList;
  for (int16_t i = 2; i <= PilotCount; ++i) {
    EXPECT_EQ(form.Text1(i).Top(), form.Text1(static_cast<int16_t>(i - 1)).Top() + 400);
    EXPECT_TRUE(form.Option3D1(i).Visible());
  }
  EXPECT_EQ(form.Text1(2).Text(), FitPilotName("Buzz"));
  EXPECT_EQ(form.Label4(2).Caption(), "4321");
  EXPECT_EQ(form.Label5(2).Caption(), "77");

  form.Show();
  form.Option3D1(3).UserClick();
  EXPECT_EQ(ActivePilot, 3);
  for (int16_t i = 1; i <= PilotCount; ++i) EXPECT_EQ(form.Text1(i).Enabled(), i == 3) << i;
}

TEST_F(PilotListTest, OkStoresTheNameAndClearDeletesTheFile) {
  ActivePilot = 1;
  PilotListForm& form = *PilotList;
  form.Show();
  form.Text1(1).UserType(std::string(35, 'z'));
  form.Command1.UserClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(PilotRoster[1].Name, std::string(30, 'z'));
  ASSERT_EQ(ReadBytes("score.dat").size(), 860u);

  ActivePilot = 4;
  form.Show();
  form.Command2.UserClick();
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "score.dat"));
  EXPECT_EQ(ActivePilot, 1);
  EXPECT_EQ(PilotRoster[1].Name, std::string(30, ' '));
  EXPECT_EQ(form.Text1(1).Text(), "");
  EXPECT_TRUE(form.Text1(1).Enabled());
  EXPECT_FALSE(form.Text1(4).Enabled());
  // Clear with no file blanks the rows without an error.
  const MessageBoxesShown shown;
  form.Command2.UserClick();
  EXPECT_TRUE(shown().empty());
}

TEST_F(PilotListTest, ShippedDatabaseTranslatesTheTexts) {
  const ShippedTexts shipped;
  shipped.ExpectFormTranslated(*PilotList);
  for (const char* text : MissionsTexts) shipped.ExpectTranslated(text);
}

}  // namespace
