#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/mp3_file.h"
#include "platform/sound/music_player.h"
#include "platform/sound/sound_engine.h"
#include "platform/sound/wave_file.h"
#include "platform/win/byte_reader.h"

namespace {

constexpr size_t MaxSoundBytes = 8u << 20;
const std::string kFolder = MAROVIN_PROGRAM_FOLDER "/General Sounds/";

std::vector<uint8_t> Bytes(const std::string& name) {
  auto bytes = win::ReadFileBytes(kFolder + name, MaxSoundBytes);
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or(std::vector<uint8_t>{});
}

TEST(ProgramFolderGeneralSounds, EveryFixedSoundIsAMono16BitWaveAt22kHz) {
  for (const char* name : {"silence.wav", "click.wav", "DescentEngineNoise.wav", "rcscont.wav",
                           "RCSBoom2.wav", "separate.wav", "boom.wav", "bounceoff.wav",
                           "harddock.wav", "scapeintunnel.wav", "test11.wav"}) {
    SCOPED_TRACE(name);
    const sound::WaveFormat format = sound::ReadWaveFormat(Bytes(name));
    EXPECT_EQ(format.encoding, 1);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.sampleRate, 22050u);
    EXPECT_GT(format.Length(), std::chrono::milliseconds(10));
    EXPECT_LT(format.Length(), std::chrono::seconds(5));
  }
}

// The samples of a mono 16-bit wave file that sox wrote: its frames come last.
std::vector<int16_t> Samples(const std::string& name) {
  const std::vector<uint8_t> bytes = Bytes(name);
  const sound::WaveFormat format = sound::ReadWaveFormat(bytes);
  std::vector<int16_t> samples(format.Frames());
  const uint8_t* frames = bytes.data() + bytes.size() - format.dataBytes;
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(frames[2 * i] | frames[2 * i + 1] << 8);
  return samples;
}

double Rms(std::span<const int16_t> samples) {
  double sum = 0;
  for (const int16_t s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

// The sounds the flight loops (the engine's rumble, the jets' hiss) run on from their end into
// their start: the step across the seam is no larger than the sound's own steps, with no click
// every pass, and the level holds through the pass.
TEST(ProgramFolderGeneralSounds, LoopedSoundsJoinTheirEndToTheirStart) {
  for (const char* name : {"DescentEngineNoise.wav", "rcscont.wav"}) {
    SCOPED_TRACE(name);
    const std::vector<int16_t> samples = Samples(name);
    ASSERT_GT(samples.size(), 1000u);
    std::vector<int> steps;
    for (size_t i = 1; i < samples.size(); ++i)
      steps.push_back(std::abs(samples[i] - samples[i - 1]));
    std::ranges::sort(steps);
    const int largeStep = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(samples.front() - samples.back()), largeStep);
    const double whole = Rms(samples);
    const size_t quarter = samples.size() / 4;
    for (size_t q = 0; q < 4; ++q) {
      const double part = Rms(std::span(samples).subspan(q * quarter, quarter));
      EXPECT_GT(part, whole / 2) << "quarter " << q;
      EXPECT_LT(part, whole * 2) << "quarter " << q;
    }
  }
}

// How alike a channel of interleaved stereo is to itself `lag` frames later, against how alike it
// is half a 110 Hz period later: near 0 for a channel that repeats every `lag` frames.
double Repetition(const std::vector<int16_t>& stereo, size_t channel, size_t lag) {
  const auto difference = [&](size_t by) {
    double sum = 0;
    size_t count = 0;
    for (size_t i = channel; i + 2 * by < stereo.size(); i += 2, ++count)
      sum += std::abs(stereo[i] - stereo[i + 2 * by]);
    return sum / static_cast<double>(count);
  };
  return difference(lag) / difference(lag / 2);
}

// The default music as the mixer plays it, recorded by SDL's disk driver: a chord in both ears.
// Each channel held a bare 110 and 220 Hz pair, which repeats every 401 frames at 44.1 kHz and
// sounds as a buzz under the flight's noises.
TEST(ProgramFolderGeneralSounds, TheDefaultMusicRepeatsInNeitherEar) {
  const std::string recording = testing::TempDir() + "general_sounds_music.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
  {
    sound::SoundEngine engine{sound::SoundSide::kDevice};
    int32_t result = -1;
    engine.Init(0, result);
    ASSERT_TRUE(engine.PlaysAudio());
    sound::MusicPlayer music(engine);
    bool loaded = false;
    music.Load(kFolder + "backgroundmusic.mp3", loaded);
    ASSERT_TRUE(loaded);
    music.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    music.Stop();
  }
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_AUDIODRIVER");
  const auto bytes = win::ReadFileBytes(recording, MaxSoundBytes);
  std::filesystem::remove(recording);
  ASSERT_TRUE(bytes);
  std::vector<int16_t> stereo(bytes->size() / 2);
  for (size_t i = 0; i < stereo.size(); ++i)
    stereo[i] = static_cast<int16_t>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
  // The second after the first, well into the fade-in.
  constexpr size_t kFramesPerSecond = 44100;
  ASSERT_GT(stereo.size(), 4 * kFramesPerSecond);
  const std::vector<int16_t> heard(stereo.begin() + 2 * kFramesPerSecond,
                                   stereo.begin() + 4 * kFramesPerSecond);
  for (size_t channel : {0u, 1u}) EXPECT_GT(Repetition(heard, channel, 401), 0.5) << channel;
}

TEST(ProgramFolderGeneralSounds, TheDefaultMusicIsAnMp3) {
  const sound::Mp3Format format = sound::ReadMp3Format(Bytes("backgroundmusic.mp3"));
  EXPECT_EQ(format.layer, 3);
  EXPECT_EQ(format.channels, 2);
}

}  // namespace
