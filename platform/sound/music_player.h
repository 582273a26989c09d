// The program's background music from an MP3 file (mp3_file.h gives what is taken).
//
// Play starts the music from its beginning and it repeats until Stop. The volume works as a
// sound buffer's: GetVolume reads back what SetVolume set, on the same scale, and music loaded
// later plays at it. With nothing loaded, Play and Stop do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/output.h"
#include "platform/sound/sound_engine.h"

namespace sound {

class MusicPlayer {
 public:
  // The engine must outlive the calls to Load; what is loaded keeps the engine's output alive.
  explicit MusicPlayer(const SoundEngine& engine) : engine_(engine) {}

  // Loads the MP3 file at a program path; `success` is false when there is no such file or it is
  // not a playable MP3, and the player then keeps what it held. Throws SoundError before the
  // engine's Init.
  void Load(const std::string& path, bool& success);
  void Play();
  void Stop();
  // Attenuation in hundredths of a decibel, kSilentAttenuation to kFullAttenuation; a value
  // outside throws SoundError and changes nothing.
  void SetVolume(int32_t attenuation);
  void GetVolume(int32_t& attenuation) const { attenuation = volume_; }
  // Whether the music plays; for the program's own checks and tests.
  bool Playing() const { return voice_ && voice_->Playing(); }
  // The program path of what is loaded, empty while nothing is.
  const std::string& Path() const { return path_; }

 private:
  const SoundEngine& engine_;
  std::unique_ptr<MusicVoice> voice_;
  int32_t volume_ = kFullAttenuation;
  std::string path_;
};

}  // namespace sound
