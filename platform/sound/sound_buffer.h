// One wave sound of the program: an effect, a callout or wave music.
//
// Playing rules the callers rely on:
// - Play starts a stopped or finished sound from its beginning; a sound that is playing goes on.
//   Stop then Play plays from the beginning.
// - The sound repeats until stopped while looping is set: set before Play, the play loops; set
//   while a single play runs, that play goes on looping. Switched off while a play loops, the
//   sound ends at the end of its current pass; switched on again before then, it goes on looping.
// - IsPlaying gives 1 while the sound plays and 0 otherwise; headless, a single play lasts the
//   length of its file on the window system's clock.
// - The volume is kept apart from what is loaded: GetVolume reads back what SetVolume set, and a
//   sound loaded later plays at it. A buffer with nothing loaded plays nothing; Play and Stop on
//   it do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/output.h"
#include "platform/sound/sound_engine.h"

namespace sound {

class SoundBuffer {
 public:
  // The engine must outlive the calls to Load; what is loaded keeps the engine's output alive.
  explicit SoundBuffer(const SoundEngine& engine) : engine_(engine) {}

  // Loads the wave file at a program path (wave_file.h gives what is taken). The two arguments
  // after the path are taken for the callers' sake and change nothing. `success` is false when
  // there is no such file or it is not a playable wave; the buffer then keeps what it held.
  // Throws SoundError before the engine's Init.
  void Load(const std::string& path, int32_t flags, bool keepInMemory, bool& success);

  void Play();
  void Stop();
  void IsPlaying(int32_t& status) const;
  // Attenuation in hundredths of a decibel, kSilentAttenuation to kFullAttenuation; a value
  // outside throws SoundError and changes nothing.
  void SetVolume(int32_t attenuation);
  void GetVolume(int32_t& attenuation) const { attenuation = volume_; }
  void SetLooping(bool looping);
  // The program path of what is loaded, empty while nothing is; for the program's own checks and
  // tests.
  const std::string& Path() const { return path_; }
  bool Looping() const { return looping_; }

 private:
  const SoundEngine& engine_;
  std::unique_ptr<WaveVoice> voice_;
  int32_t volume_ = kFullAttenuation;
  bool looping_ = false;
  std::string path_;
};

}  // namespace sound
