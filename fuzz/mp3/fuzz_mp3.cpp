// MP3 stream starts of any bytes: a file is refused with SoundError or its first frame lies inside
// it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sound/mp3_file.h"
#include "platform/sound/sound_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  try {
    sound::Mp3Format format = sound::ReadMp3Format(std::span<const uint8_t>(data, size));
    if (format.firstFrameBytes == 0 || format.firstFrameBytes > size || format.sampleRate == 0)
      __builtin_trap();
  } catch (const sound::SoundError&) {
  }
  return 0;
}
