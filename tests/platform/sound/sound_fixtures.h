// The sound files the sound tests play and the small helpers they share.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/sound/music_player.h"
#include "platform/sound/sound_buffer.h"
#include "platform/sound/sound_engine.h"
#include "platform/win/byte_reader.h"
#include "tests/platform/win/temp_folder.h"

inline const std::string kTone =
    std::string(MAROVIN_FIXTURES) + "/sound/tone.wav";  // 100 ms, 8 kHz mono
inline const std::string kMusic = std::string(MAROVIN_FIXTURES) + "/sound/tone.mp3";  // 200 ms

inline int32_t Status(const sound::SoundBuffer& buffer) {
  int32_t status = -1;
  buffer.IsPlaying(status);
  return status;
}

// Writes the first byteCount bytes of a file into the folder: a file cut off in transfer.
inline void WriteCutCopy(const TempFolder& folder, const std::string& name,
                         const std::string& source, size_t byteCount) {
  auto bytes = win::ReadFileBytes(source, 1 << 20);
  folder.WriteFile(
      name, std::string(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(byteCount)));
}

inline sound::SoundBuffer LoadedSound(const sound::SoundEngine& engine,
                                      const std::string& path = kTone) {
  sound::SoundBuffer buffer(engine);
  bool success = false;
  buffer.Load(path, 0, true, success);
  EXPECT_TRUE(success) << path;
  return buffer;
}

inline sound::MusicPlayer LoadedMusic(const sound::SoundEngine& engine) {
  sound::MusicPlayer music(engine);
  bool success = false;
  music.Load(kMusic, success);
  EXPECT_TRUE(success);
  return music;
}
