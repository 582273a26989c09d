#include "platform/sound/sound_engine.h"

#include <cstdio>
#include <string>

#include "platform/sound/mixer_output.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"

namespace sound {
namespace {

constexpr size_t kMaxSoundFileBytes = size_t{256} << 20;  // far above any sound of a flight

// Set once the line is written, cleared when a device opens: engine after engine without a device
// says so once, and a device lost after one had opened is said again.
bool saidNoDevice = false;

void SayOnceThatNoDeviceOpened(const std::string& reason) {
  if (saidNoDevice) return;
  saidNoDevice = true;
  std::fprintf(stderr, "Sound: no audio device (%s); sounds keep their state but play nothing.\n",
               reason.c_str());
}

}  // namespace

void SoundEngine::Init(uintptr_t, int32_t& result) {
  result = 0;
  if (output_) return;
  if (side_ == SoundSide::kDevice) {
    std::string reason;
    output_ = OpenMixerOutput(reason);
    if (output_) {
      saidNoDevice = false;
    } else {
      SayOnceThatNoDeviceOpened(reason);
    }
  }
  if (!output_) output_ = MakeNullOutput();
}

std::shared_ptr<Output> SoundEngine::CurrentOutput(const char* call) const {
  if (!output_) throw SoundError(std::string(call) + ": the sound engine has not been initialised");
  return output_;
}

std::optional<std::vector<uint8_t>> ReadSoundFile(const std::string& programPath) {
  return win::ReadFileBytes(win::ResolvePath(programPath), kMaxSoundFileBytes);
}

void CheckAttenuation(const char* call, int32_t attenuation) {
  if (attenuation < kSilentAttenuation || attenuation > kFullAttenuation) {
    throw SoundError(std::string(call) + ": attenuation " + std::to_string(attenuation) +
                     " is outside " + std::to_string(kSilentAttenuation) + " to " +
                     std::to_string(kFullAttenuation));
  }
}

}  // namespace sound
