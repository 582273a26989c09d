#include "program/missions/replay_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "program/missions/score_file.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/records_fixture.h"

namespace {

// Little-endian bytes laid down by hand, in the file's order, independent of the writer.
struct Golden {
  std::vector<uint8_t> bytes;
  template <class T>
  Golden& Put(T value) {
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
    return *this;
  }
  Golden& Text(const std::string& text) {
    Put(static_cast<uint16_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  Golden& Clock(int32_t hours, int32_t minutes, int32_t seconds) {
    for (const char* digit : {"2", "0", "1", "p", "4", "0", "9", "5", "", ""}) Text(digit);
    Put(hours).Put(minutes).Put(seconds).Put(int32_t{0}).Put(59.5).Put(int32_t{60});
    Put(hours * 3600 + minutes * 60 + seconds).Put(double(hours * 3600 + minutes * 60 + seconds));
    return Put(int16_t{0});
  }
  Golden& Sample(double time, const std::string& message) {
    for (double v : {1.0, -5.0, 0.5, 0.1, 0.2, 0.3, 0.01, 0.02, 0.03}) Put(v);
    Put(0.75f).Put(int16_t{3}).Put(time);
    Put(100.0).Put(900.0 - time / 100).Put(-50.0);
    Put(-3.0f).Put(int16_t{-1}).Text(message);
    return Put(int32_t{1}).Put(int32_t{0}).Put(int32_t{-1});
  }
};

Golden GoldenReplay(int32_t count) {
  Golden g;
  g.Put(-10.0f);
  for (float v : {1.0f, -10.0f, 2.0f, 0.0f, 3.14f, 0.0f, 100.0f, 900.0f, -50.0f}) g.Put(v);
  g.Put(0.0f).Put(250.0f);
  g.Clock(102, 40, 59).Clock(0, 12, 0);
  g.Put(int32_t{9}).Put(count).Put(int32_t{2}).Put(int32_t{3}).Put(int32_t{1});
  g.Put(int32_t{17}).Put(0.5f).Put(101.0).Put(880.0).Put(-49.0);
  std::string name = "Neil";
  name.resize(30, ' ');
  g.bytes.insert(g.bytes.end(), name.begin(), name.end());
  for (int32_t points : {900, 800, 700, 400, 300, 450, 3550, 0}) g.Put(points);
  g.Put(12.5f).Put(3.0f).Put(0.0f).Put(int32_t{0}).Put(0.0f).Put(0.0f);
  for (int32_t i = 1; i <= count; ++i) g.Sample(100.0 * i, i == 2 ? "Contact" : "");
  return g;
}

class ReplayFileTest : public RecordsTest {
 protected:
  void WriteReplay(const std::string& name, const std::vector<uint8_t>& bytes) const {
    folder_.WriteFile("Missions/Apollo 12/Replay/" + name + ".rpy",
                      std::string(bytes.begin(), bytes.end()));
  }
};

TEST(ReplayFormat, GoldenFileRoundTripsByteForByte) {
  const Golden golden = GoldenReplay(3);
  const ReplayDecodeResult decoded = DecodeReplay(golden.bytes);
  ASSERT_TRUE(decoded.replay) << decoded.reason;
  const ReplayFile& replay = *decoded.replay;
  EXPECT_EQ(replay.StartProgram, 9);
  EXPECT_EQ(replay.MissionClock.Hours, 102);
  EXPECT_EQ(replay.MissionClock.Sign, "p");
  EXPECT_EQ(replay.MissDistance, 17);
  EXPECT_EQ(replay.Score.Name.substr(0, 4), "Neil");
  EXPECT_EQ(replay.Score.LandingTotal, 3550);
  ASSERT_EQ(replay.Samples.size(), 3u);
  EXPECT_EQ(replay.Samples[1].Message, "Contact");
  EXPECT_EQ(replay.Samples[2].Time, 300.0);
  EXPECT_EQ(replay.Samples[0].YawHandController, -1);
  EXPECT_EQ(EncodeReplay(replay), golden.bytes);
}

TEST(ReplayFormat, SampleWithoutMessageTakes130Bytes) {
  const size_t header = GoldenReplay(0).bytes.size();
  EXPECT_EQ(GoldenReplay(1).bytes.size() - header, 130u);
  ReplayFile replay;
  const size_t empty = EncodeReplay(replay)->size();
  replay.Samples.resize(1);
  EXPECT_EQ(EncodeReplay(replay)->size() - empty, 130u);
  replay.Samples[0].Message = "abc";
  EXPECT_EQ(EncodeReplay(replay)->size() - empty, 133u);
}

TEST(ReplayFormat, RefusesDamagedFiles) {
  std::vector<uint8_t> bytes = GoldenReplay(2).bytes;
  // A tail left by an older, longer file is ignored.
  std::vector<uint8_t> tail = bytes;
  tail.insert(tail.end(), 50, 0xAB);
  EXPECT_TRUE(DecodeReplay(tail).replay);

  for (size_t cut : {size_t{0}, size_t{10}, size_t{150}, bytes.size() - 1})
    EXPECT_FALSE(DecodeReplay(std::span(bytes).first(cut)).replay) << cut;

  const Golden header = GoldenReplay(0);
  const size_t countAt = header.bytes.size() - PilotRecordBytes - 24 - 4 - 4 * 4 - 4;
  for (int32_t count : {-1, MaxFlightSamples + 1, INT32_MAX}) {
    std::vector<uint8_t> wrong = bytes;
    std::memcpy(wrong.data() + countAt, &count, 4);
    EXPECT_FALSE(DecodeReplay(wrong).replay) << count;
  }
  // A message length past the end.
  std::vector<uint8_t> longMessage = GoldenReplay(1).bytes;
  longMessage[longMessage.size() - 14] = 0xFF;
  longMessage[longMessage.size() - 13] = 0xFF;
  EXPECT_FALSE(DecodeReplay(longMessage).replay);
}

TEST_F(ReplayFileTest, SavesAndLoadsTheFlight) {
  RecordDescent(40);
  FlightRecord[5].Message = "Low gate";
  LowGateIndex = 30;
  FirstTouchRecord = 38;
  ControlStartRecord = 2;
  TouchdownDistance = 12;
  CurrentScore.LandingTotal = 2000;
  StartProgram = 9;
  ReplayName = "";
  ASSERT_TRUE(SaveReplay(0));
  EXPECT_EQ(ReplayName, "218");
  EXPECT_TRUE(std::filesystem::exists(folder_.Path() / "Missions/Apollo 12/Replay/218.rpy"));
  ASSERT_TRUE(SaveReplay(-1));
  const std::vector<uint8_t> saved = ReadBytes("Missions/Apollo 12/Replay/Last Flight.rpy");

  FlightRecord.fill(FlightSample{});
  StartProgram = 0;
  ReplayName = "Last Flight";
  ASSERT_TRUE(LoadReplay());
  EXPECT_EQ(ReplayCount, 40);
  EXPECT_EQ(ReplayLowGateIndex, 30);
  EXPECT_EQ(ReplayTouchdownIndex, 38);
  EXPECT_EQ(ReplayManualStartIndex, 2);
  EXPECT_EQ(ReplayMissDistance, 12);
  EXPECT_EQ(ReplayScore.LandingTotal, 2000);
  EXPECT_EQ(StartProgram, 9);
  EXPECT_EQ(FlightRecord[5].Message, "Low gate");
  EXPECT_EQ(FlightRecord[40].Time, 4000.0);
  EXPECT_EQ(EncodeReplay(CurrentReplay()), saved);
}

// The last flight saved at a landing leaves an unnamed replay unnamed, and a playback asked for
// without a name plays nothing of the samples in store.
TEST_F(ReplayFileTest, TheLastFlightLeavesAnUnnamedReplayUnnamed) {
  RecordDescent(3);
  ReplayName = "";
  const MessageBoxesShown shown;
  ASSERT_TRUE(SaveReplay(-1));
  EXPECT_EQ(ReplayName, "");
  EXPECT_TRUE(
      std::filesystem::exists(folder_.Path() / "Missions/Apollo 12/Replay/Last Flight.rpy"));
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Missions/Apollo 12/Replay/218.rpy"));
  ReplayPlayback = true;
  EXPECT_FALSE(LoadReplay());
  EXPECT_FALSE(ReplayPlayback);
  EXPECT_TRUE(shown().empty());
}

TEST_F(ReplayFileTest, OrbitalMissionNeitherWritesNorReads) {
  MissionType = OrbitalMission;
  RecordDescent(3);
  ReplayName = "Orbit";
  EXPECT_FALSE(SaveReplay(0));
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Missions"));
  WriteReplay("Orbit", GoldenReplay(2).bytes);
  FlightRecordCount = 0;
  EXPECT_FALSE(LoadReplay());
  EXPECT_EQ(FlightRecord[1].Time, 100.0);
}

TEST_F(ReplayFileTest, RefusedFileChangesNothingAndNamesTheReplay) {
  RecordDescent(3);
  std::vector<uint8_t> cut = GoldenReplay(4).bytes;
  cut.resize(cut.size() - 20);
  WriteReplay("Broken", cut);
  ReplayName = "Broken";
  ReplayPlayback = true;
  StartProgram = 5;
  const MessageBoxesShown shown;
  EXPECT_FALSE(LoadReplay());
  EXPECT_FALSE(ReplayPlayback);
  EXPECT_EQ(StartProgram, 5);
  EXPECT_EQ(FlightRecord[3].Time, 300.0);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_NE(shown()[0].prompt.find("Broken"), std::string::npos);
  EXPECT_NE(shown()[0].prompt.find("ends early"), std::string::npos);

  ReplayName = "Missing";
  EXPECT_FALSE(LoadReplay());
  EXPECT_EQ(shown().size(), 2u);
}

TEST_F(ReplayFileTest, RefusesNamesOutsideTheReplayFolder) {
  RecordDescent(2);
  const MessageBoxesShown shown;
  for (const char* name : {"..", "a/b", "a\\b", "..\\..\\score"}) {
    ReplayName = name;
    EXPECT_FALSE(SaveReplay(0)) << name;
    EXPECT_FALSE(LoadReplay()) << name;
  }
  EXPECT_EQ(shown().size(), 8u);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Missions"));
}

TEST_F(ReplayFileTest, FailedWriteLeavesTheOldFileWhole) {
  // The name fits the folder but its temporary file's name does not, so the write fails.
  ReplayName = std::string(250, 'r');
  folder_.WriteFile("Missions/Apollo 12/Replay/" + ReplayName + ".rpy", "old replay");
  RecordDescent(5);
  const MessageBoxesShown shown;
  EXPECT_FALSE(SaveReplay(0));
  EXPECT_EQ(shown().size(), 1u);
  const std::vector<uint8_t> kept = ReadBytes("Missions/Apollo 12/Replay/" + ReplayName + ".rpy");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old replay");
}

TEST_F(ReplayFileTest, InterpolatesBetweenSamples) {
  RecordDescent(3);
  ReplayCount = 3;
  FlightRecord[1].PitchRate = 0.1;
  FlightRecord[2].PitchRate = 0.3;
  FlightRecord[1].Throttle = 0.4f;
  FlightRecord[2].Throttle = 0.9f;
  FlightRecord[1].Message = "A";
  ReplayIndex = 1;
  MissionTime = 100.0;
  InterpolateReplaySample();
  EXPECT_FLOAT_EQ(PitchAxis.Rate, 0.1f);
  EXPECT_DOUBLE_EQ(LMPosition.y, 199.0);
  MissionTime = 175.0;
  InterpolateReplaySample();
  EXPECT_FLOAT_EQ(PitchAxis.Rate, 0.25f);
  EXPECT_DOUBLE_EQ(LMPosition.y, 198.25);
  EXPECT_FLOAT_EQ(ThrottleCommand, 0.4f);
  EXPECT_EQ(MessageText[0].Text, "A");
  // Two samples at one time, and the last sample alone, give the sample itself.
  FlightRecord[2].Time = FlightRecord[1].Time;
  InterpolateReplaySample();
  EXPECT_FLOAT_EQ(PitchAxis.Rate, 0.1f);
  ReplayIndex = 3;
  InterpolateReplaySample();
  EXPECT_DOUBLE_EQ(LMPosition.y, 197.0);
}

}  // namespace
