// The real side under SDL2's dummy audio driver: sounds take real time to play here.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "platform/sound/mixer_output.h"
#include "platform/sound/music_player.h"
#include "platform/sound/sound_buffer.h"
#include "platform/sound/sound_engine.h"
#include "tests/platform/sound/sound_fixtures.h"

namespace {

using namespace std::chrono_literals;

// Far longer than the sound and the driver's buffering, so a slow machine does not fail the test.
constexpr auto kPatience = 3s;

bool EndsWithin(const sound::SoundBuffer& buffer, std::chrono::milliseconds patience) {
  auto until = std::chrono::steady_clock::now() + patience;
  while (Status(buffer) == 1) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Tests never play on the user's speakers: every device they open is the dummy driver's.
void UseTheDummyDriver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

class MixerSound : public testing::Test {
 protected:
  MixerSound() {
    UseTheDummyDriver();
    int32_t result = -1;
    engine.Init(0, result);
    EXPECT_EQ(result, 0);
  }

  sound::SoundEngine engine{sound::SoundSide::kDevice};
};

TEST_F(MixerSound, OpensTheDummyDevice) { EXPECT_TRUE(engine.PlaysAudio()); }

TEST_F(MixerSound, ASinglePlayEndsOnItsOwn) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetVolume(-1000);
  buffer.Play();
  EXPECT_EQ(Status(buffer), 1);
  EXPECT_TRUE(EndsWithin(buffer, kPatience));
}

TEST_F(MixerSound, StopEndsAPlayAtOnce) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetLooping(true);
  buffer.Play();
  buffer.Stop();
  EXPECT_EQ(Status(buffer), 0);
}

TEST_F(MixerSound, ALoopOutlastsItsFileAndEndsAfterItsPassOnceLoopingIsOff) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.SetLooping(true);
  buffer.Play();
  std::this_thread::sleep_for(350ms);
  EXPECT_EQ(Status(buffer), 1);
  buffer.SetLooping(false);
  buffer.SetLooping(true);
  std::this_thread::sleep_for(250ms);
  EXPECT_EQ(Status(buffer), 1);
  buffer.SetLooping(false);
  EXPECT_TRUE(EndsWithin(buffer, kPatience));
}

TEST_F(MixerSound, LoopingSetDuringASinglePlayKeepsItPlaying) {
  sound::SoundBuffer buffer = LoadedSound(engine);
  buffer.Play();
  buffer.SetLooping(true);
  std::this_thread::sleep_for(350ms);  // three passes and a half
  EXPECT_EQ(Status(buffer), 1);
  buffer.SetLooping(false);
  EXPECT_TRUE(EndsWithin(buffer, kPatience));
}

TEST_F(MixerSound, SoundsOverlapOnChannelsOfTheirOwn) {
  sound::SoundBuffer first = LoadedSound(engine);
  sound::SoundBuffer second = LoadedSound(engine);
  first.SetLooping(true);
  second.SetLooping(true);
  first.Play();
  second.Play();
  first.Stop();
  EXPECT_EQ(Status(first), 0);
  EXPECT_EQ(Status(second), 1);
}

TEST_F(MixerSound, MissingAndCorruptFilesAreRefused) {
  TempFolder folder;
  WriteCutCopy(folder, "cut.wav", kTone, 100);
  folder.WriteFile("cut.mp3", "\xFF\xF3\x40\xC4");
  sound::SoundBuffer buffer(engine);
  sound::MusicPlayer music(engine);
  bool success = true;
  buffer.Load((folder.Path() / "cut.wav").string(), 0, true, success);
  EXPECT_FALSE(success);
  buffer.Load((folder.Path() / "missing.wav").string(), 0, true, success);
  EXPECT_FALSE(success);
  music.Load((folder.Path() / "cut.mp3").string(), success);
  EXPECT_FALSE(success);
  music.Load(kTone, success);
  EXPECT_FALSE(success);
  buffer.Play();
  music.Play();
  EXPECT_EQ(Status(buffer), 0);
  EXPECT_FALSE(music.Playing());
}

TEST_F(MixerSound, MusicPlaysUntilStopped) {
  sound::MusicPlayer music = LoadedMusic(engine);
  music.SetVolume(-2000);
  music.Play();
  std::this_thread::sleep_for(400ms);  // twice the file's length
  EXPECT_TRUE(music.Playing());
  music.Stop();
  EXPECT_FALSE(music.Playing());
}

TEST_F(MixerSound, SoundsOutliveTheirEngine) {
  auto shortLived = std::make_unique<sound::SoundEngine>(sound::SoundSide::kDevice);
  int32_t result = -1;
  shortLived->Init(0, result);
  sound::SoundBuffer buffer(*shortLived);
  sound::MusicPlayer music(*shortLived);
  bool success = false;
  buffer.Load(kTone, 0, true, success);
  music.Load(kMusic, success);
  shortLived.reset();
  buffer.Play();
  music.Play();
  EXPECT_EQ(Status(buffer), 1);
  EXPECT_TRUE(music.Playing());
}

TEST(MixerVolume, IsLinearInAmplitudeFromSilentToFull) {
  const std::pair<int32_t, int> cases[] = {{0, 128}, {-600, 64}, {-2000, 12}, {-4000, 0}};
  for (auto [attenuation, volume] : cases)
    EXPECT_EQ(sound::MixerVolume(attenuation), volume) << attenuation;
  for (int32_t attenuation = -4000; attenuation < 0; attenuation += 10) {
    EXPECT_LE(sound::MixerVolume(attenuation), sound::MixerVolume(attenuation + 10)) << attenuation;
  }
}

// A driver that does not exist stands in for a machine without an audio device. A device opened
// and closed first makes the missing one news again, whatever an earlier test said.
class MixerFallback : public testing::Test {
 protected:
  void SetUp() override {
    UseTheDummyDriver();
    sound::SoundEngine opened(sound::SoundSide::kDevice);
    int32_t result = -1;
    opened.Init(0, result);
    ASSERT_TRUE(opened.PlaysAudio());
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  }
  void TearDown() override { UseTheDummyDriver(); }
};

TEST_F(MixerFallback, WithoutADeviceSoundsKeepTheirStateAndTheLogSaysSoOnce) {
  testing::internal::CaptureStderr();
  sound::SoundEngine first(sound::SoundSide::kDevice);
  sound::SoundEngine second(sound::SoundSide::kDevice);
  int32_t result = -1;
  first.Init(0, result);
  EXPECT_EQ(result, 0);
  second.Init(0, result);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(first.PlaysAudio());
  EXPECT_EQ(said.find("no audio device"), said.rfind("no audio device"));
  EXPECT_NE(said.find("no audio device"), std::string::npos) << said;

  sound::SoundBuffer buffer(first);
  bool success = false;
  buffer.Load(kTone, 0, true, success);
  ASSERT_TRUE(success);
  buffer.SetLooping(true);
  buffer.Play();
  EXPECT_EQ(Status(buffer), 1);
}

}  // namespace
