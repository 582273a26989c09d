#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/sound/mp3_file.h"
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

TEST(ProgramFolderGeneralSounds, TheDefaultMusicIsAnMp3) {
  const sound::Mp3Format format = sound::ReadMp3Format(Bytes("backgroundmusic.mp3"));
  EXPECT_EQ(format.layer, 3);
  EXPECT_EQ(format.channels, 2);
}

}  // namespace
