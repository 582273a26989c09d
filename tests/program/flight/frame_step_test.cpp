// The frame loops' rules as tables: the time step, the replay's spacing and playback index, and
// the screenshot numbers.
#include "program/flight/frame_step.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "program/missions/missions_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/saved_variables.h"

namespace {

TEST(FrameStep, IsNeverNegativeAndAStallCountsAsOneFrame) {
  struct Case {
    float elapsed, screenshot, fps, step;
  };
  for (const Case& c : std::vector<Case>{{16.0f, 0.0f, 60.0f, 16.0f},
                                         {40.0f, 30.0f, 60.0f, 10.0f},
                                         {20.0f, 90.0f, 60.0f, 0.0f},
                                         {200.0f, 0.0f, 5.0f, 200.0f},
                                         {5000.0f, 0.0f, 50.0f, 20.0f},
                                         {5000.0f, 0.0f, 1.0f, 200.0f}})
    EXPECT_FLOAT_EQ(FrameStepMs(c.elapsed, c.screenshot, c.fps), c.step)
        << c.elapsed << " " << c.screenshot << " " << c.fps;
}

// At 60 frames a second a sample falls every seventh frame (100 ms), never every other one, and
// the store stops at the replay file's limit.
TEST(FrameStep, ReplaySamplesAreTakenEveryHundredMillisecondsUpToTheLimit) {
  double next = 0.0;
  int samples = 0;
  for (int frame = 1; frame <= 600; ++frame)
    if (ReplaySampleDue(frame * 1000.0 / 60.0, next, samples)) ++samples;
  EXPECT_NEAR(samples, 100, 15);
  next = 0.0;
  EXPECT_FALSE(ReplaySampleDue(1.0e9, next, RecordedSampleLimit));
  EXPECT_TRUE(ReplaySampleDue(1.0e9, next, RecordedSampleLimit - 1));
}

TEST(FrameStep, PlaybackFindsTheSamplePairAndNeverReadsPastTheCount) {
  SavedVariables saved(FlightRecord);
  for (int k = 1; k <= 10; ++k) FlightRecord[static_cast<size_t>(k)].Time = 100.0 * k;
  FlightRecord[11].Time = 0.0;  // beyond the count: must not be read as a match
  struct Case {
    int32_t index;
    double time;
    bool found;
    int32_t after;
  };
  for (const Case& c : std::vector<Case>{{1, 150.0, true, 1},
                                         {1, 250.0, true, 2},
                                         {1, 650.0, true, 6},
                                         {3, 50.0, true, 3},
                                         {1, 5000.0, false, 1},
                                         {9, 950.0, false, 9}}) {
    int32_t index = c.index;
    EXPECT_EQ(StepReplayIndex(10, index, c.time), c.found) << c.index << " " << c.time;
    EXPECT_EQ(index, c.after) << c.index << " " << c.time;
  }
}

TEST(FrameStep, ScreenshotsGoOnAfterTheHighestNumberOfTheMission) {
  TempFolder folder;
  EXPECT_EQ(NextScreenshotNumber(folder.Path(), "Apollo 11", 0), 1);
  folder.WriteFile("Apollo 110007.bmp", "");
  folder.WriteFile("apollo 110003.BMP", "");
  folder.WriteFile("Orbital0042.bmp", "");
  EXPECT_EQ(NextScreenshotNumber(folder.Path(), "Apollo 11", 0), 8);
  EXPECT_EQ(NextScreenshotNumber(folder.Path(), "Apollo 11", 12), 13);
  EXPECT_EQ(NextScreenshotNumber(folder.Path() / "none", "Apollo 11", 0), 1);
  // Past 9999 the names grow a digit, and the count goes on; what is no number of ours, and an
  // entry that cannot be read, are passed over.
  folder.WriteFile("Apollo 1110000.bmp", "");
  folder.WriteFile("Apollo 119999999999.bmp", "");
  folder.WriteFile("Apollo 11-0050.bmp", "");
  std::filesystem::create_symlink("Apollo 110900.bmp", folder.Path() / "Apollo 110900.bmp");
  EXPECT_EQ(NextScreenshotNumber(folder.Path(), "Apollo 11", 0), 10001);
  EXPECT_EQ(ScreenshotNumberText(7), "0007");
  EXPECT_EQ(ScreenshotNumberText(10001), "10001");
}

}  // namespace
