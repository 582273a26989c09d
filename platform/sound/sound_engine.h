// The sound component's root object: the output that every sound buffer and the music player
// play on. The program makes one, calls Init with its main window, then makes its sounds.
//
// A sound engine made for the device plays through SDL2_mixer; when no audio device opens, it
// writes one line to standard error (once, until a device opens again) and goes on with the null
// output, which keeps every sound's state but plays nothing. A sound engine made headless always
// uses the null output.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/output.h"
#include "platform/sound/sound_error.h"

namespace sound {

enum class SoundSide { kHeadless, kDevice };

class SoundEngine {
 public:
  explicit SoundEngine(SoundSide side = SoundSide::kHeadless) : side_(side) {}

  // Opens the output. The window handle is taken for the callers' sake: the output does not need
  // a window. `result` is 0; a second Init keeps the output of the first.
  void Init(uintptr_t windowHandle, int32_t& result);
  bool Initialised() const { return output_ != nullptr; }
  // True when sounds reach an audio device.
  bool PlaysAudio() const { return output_ && output_->PlaysAudio(); }

  // The output that sounds load onto; throws SoundError before Init.
  std::shared_ptr<Output> CurrentOutput(const char* call) const;

 private:
  SoundSide side_;
  std::shared_ptr<Output> output_;
};

// Shared by the sound objects. The bytes of the file that a program path names (backslashes and
// case as win::ResolvePath takes them); nothing when there is no such file or it is too large.
std::optional<std::vector<uint8_t>> ReadSoundFile(const std::string& programPath);

// What `make` makes of the file at a program path: a voice, or nullptr when there is no such file
// or `make` refuses it with SoundError.
template <class Make>
auto LoadVoice(const std::string& programPath, Make make)
    -> decltype(make(std::vector<uint8_t>{})) {
  auto file = ReadSoundFile(programPath);
  if (!file) return nullptr;
  try {
    return make(std::move(*file));
  } catch (const SoundError&) {
    return nullptr;
  }
}
// Throws SoundError when an attenuation lies outside kSilentAttenuation..kFullAttenuation.
void CheckAttenuation(const char* call, int32_t attenuation);

}  // namespace sound
