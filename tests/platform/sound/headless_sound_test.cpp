#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>

#include "platform/forms/event_pump.h"
#include "platform/sound/music_player.h"
#include "platform/sound/sound_buffer.h"
#include "platform/sound/sound_engine.h"
#include "platform/sound/sound_error.h"
#include "tests/platform/sound/sound_fixtures.h"

namespace {

using namespace std::chrono_literals;

class HeadlessSound : public testing::Test {
 protected:
  HeadlessSound() {
    forms::UseClock(&clock);
    int32_t result = -1;
    engine.Init(0, result);
    EXPECT_EQ(result, 0);
  }
  ~HeadlessSound() override { forms::UseClock(nullptr); }

  forms::VirtualClock clock;
  sound::SoundEngine engine;
};

TEST_F(HeadlessSound, PlaysNothingButKeepsState) {
  EXPECT_TRUE(engine.Initialised());
  EXPECT_FALSE(engine.PlaysAudio());
}

TEST_F(HeadlessSound, RecordsEveryPlay) {
  sound::ClearPlayRecords();
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetVolume(-1000);
  buffer.Play();
  clock.Advance(40ms);
  buffer.SetVolume(-2000);
  clock.Advance(110ms);
  buffer.SetVolume(-3000);  // heard by no one: the play has ended
  buffer.SetLooping(true);
  buffer.Play();
  clock.Advance(250ms);
  buffer.Stop();
  buffer.Stop();
  const auto& records = sound::PlayRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].path, kTone);
  EXPECT_EQ(records[0].attenuation, -1000);
  EXPECT_FALSE(records[0].looped);
  EXPECT_FALSE(records[0].stop) << "a play that ran out was not stopped";
  EXPECT_EQ(records[0].end, records[0].start + 100ms);
  EXPECT_EQ(records[0].AttenuationAt(records[0].start + 39ms), -1000);
  EXPECT_EQ(records[0].AttenuationAt(records[0].start + 99ms), -2000);
  EXPECT_EQ(records[0].volumes.size(), 1u);
  EXPECT_TRUE(records[0].PlayingAt(records[0].start + 99ms));
  EXPECT_FALSE(records[0].PlayingAt(records[0].start + 100ms));
  EXPECT_EQ(records[1].start - records[0].start, 150ms);
  EXPECT_TRUE(records[1].looped);
  EXPECT_EQ(records[1].attenuation, -3000);
  ASSERT_TRUE(records[1].stop);
  EXPECT_EQ(*records[1].stop - records[1].start, 250ms);
  EXPECT_EQ(records[1].end, records[1].stop);
  sound::ClearPlayRecords();
  EXPECT_TRUE(sound::PlayRecords().empty());
}

TEST_F(HeadlessSound, ASinglePlayLastsTheLengthOfItsFile) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  EXPECT_EQ(Status(buffer), 0);
  buffer.Play();
  clock.Advance(99ms);
  EXPECT_EQ(Status(buffer), 1);
  clock.Advance(1ms);
  EXPECT_EQ(Status(buffer), 0);
  buffer.Play();  // a finished sound starts again from its beginning
  clock.Advance(99ms);
  EXPECT_EQ(Status(buffer), 1);
}

TEST_F(HeadlessSound, PlayGoesOnWhilePlayingAndStopRewinds) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.Play();
  clock.Advance(60ms);
  buffer.Play();
  clock.Advance(40ms);
  EXPECT_EQ(Status(buffer), 0);

  buffer.Play();
  clock.Advance(60ms);
  buffer.Stop();
  EXPECT_EQ(Status(buffer), 0);
  buffer.Play();
  clock.Advance(99ms);
  EXPECT_EQ(Status(buffer), 1);
}

TEST_F(HeadlessSound, ALoopEndsAtTheEndOfItsPassOnceLoopingIsOff) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetLooping(true);
  buffer.Play();
  clock.Advance(1030ms);
  EXPECT_EQ(Status(buffer), 1);
  buffer.SetLooping(false);
  clock.Advance(69ms);
  EXPECT_EQ(Status(buffer), 1);
  clock.Advance(1ms);
  EXPECT_EQ(Status(buffer), 0);
}

TEST_F(HeadlessSound, LoopingOnAgainBeforeThePassEndsKeepsTheLoop) {
  // The jet sound: looping is switched off when the jets pause and on again when they fire.
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetLooping(true);
  buffer.Play();
  clock.Advance(30ms);
  buffer.SetLooping(false);
  clock.Advance(50ms);
  buffer.SetLooping(true);
  buffer.Play();
  clock.Advance(10s);
  EXPECT_EQ(Status(buffer), 1);
  buffer.Stop();
  EXPECT_EQ(Status(buffer), 0);
}

TEST_F(HeadlessSound, LoopingSetDuringASinglePlayKeepsItPlaying) {
  // The engine noise: played, then set to loop.
  sound::ClearPlayRecords();
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.Play();
  clock.Advance(50ms);
  buffer.SetLooping(true);
  clock.Advance(1s);
  EXPECT_EQ(Status(buffer), 1);
  EXPECT_FALSE(sound::PlayRecords().back().end) << "it loops on";
  buffer.SetLooping(false);
  clock.Advance(99ms);
  EXPECT_EQ(Status(buffer), 0) << "it ends with the pass it was in";
  EXPECT_EQ(sound::PlayRecords().size(), 1u);
}

TEST_F(HeadlessSound, VolumeReadsBackAndOutOfRangeIsRefused) {
  sound::SoundBuffer buffer(engine);
  int32_t volume = 1;
  buffer.GetVolume(volume);
  EXPECT_EQ(volume, 0);
  buffer.SetVolume(-2500);
  for (int32_t refused : {-4001, 1, INT_MIN, INT_MAX}) {
    EXPECT_THROW(buffer.SetVolume(refused), sound::SoundError) << refused;
  }
  bool success = false;
  buffer.Load(kTone, 0, true, success);
  ASSERT_TRUE(success);
  buffer.GetVolume(volume);
  EXPECT_EQ(volume, -2500);
  buffer.SetVolume(-4000);
  buffer.GetVolume(volume);
  EXPECT_EQ(volume, -4000);
}

TEST_F(HeadlessSound, MissingAndCorruptFilesAreRefused) {
  TempFolder folder;
  folder.WriteFile("text.wav", "RIFF but not much more");
  WriteCutCopy(folder, "cut.wav", kTone, 100);
  for (const char* name : {"missing.wav", "text.wav", "cut.wav", ""}) {
    sound::SoundBuffer buffer(engine);
    bool success = true;
    buffer.Load((folder.Path() / name).string(), 0, true, success);
    EXPECT_FALSE(success) << name;
    buffer.Play();  // nothing loaded: nothing plays, nothing fails
    buffer.SetLooping(true);
    EXPECT_EQ(Status(buffer), 0) << name;
  }
}

TEST_F(HeadlessSound, AFailedLoadKeepsTheSoundLoadedBefore) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  bool success = true;
  buffer.Load(kMusic, 0, true, success);
  EXPECT_FALSE(success);
  buffer.Play();
  EXPECT_EQ(Status(buffer), 1);
}

TEST_F(HeadlessSound, ProgramPathsFindTheFileWhateverTheCase) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "General Sounds");
  std::filesystem::copy_file(kTone, folder.Path() / "General Sounds" / "Click.wav");
  LoadedSound(engine, folder.Path().string() + "\\general sounds\\CLICK.WAV");
}

TEST(SoundEngine, SoundsCannotLoadBeforeInit) {
  sound::SoundEngine engine;
  sound::SoundBuffer buffer(engine);
  sound::MusicPlayer music(engine);
  bool success = true;
  EXPECT_THROW(buffer.Load(kTone, 0, true, success), sound::SoundError);
  EXPECT_THROW(music.Load(kMusic, success), sound::SoundError);
}

TEST_F(HeadlessSound, MusicRepeatsUntilStopped) {
  sound::MusicPlayer music = LoadedMusic(engine);
  music.SetVolume(-2000);
  music.Play();
  clock.Advance(10min);
  EXPECT_TRUE(music.Playing());
  music.Stop();
  EXPECT_FALSE(music.Playing());
  int32_t volume = 0;
  music.GetVolume(volume);
  EXPECT_EQ(volume, -2000);
  EXPECT_THROW(music.SetVolume(100), sound::SoundError);
}

TEST_F(HeadlessSound, MusicRefusesWhatIsNotMp3) {
  sound::MusicPlayer music(engine);
  for (const std::string& path : {kTone, std::string(MAROVIN_FIXTURES) + "/sound/missing.mp3"}) {
    bool success = true;
    music.Load(path, success);
    EXPECT_FALSE(success) << path;
  }
  music.Play();
  EXPECT_FALSE(music.Playing());
}

}  // namespace
