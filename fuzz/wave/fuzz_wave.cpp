// Wave headers of any bytes: a file is refused with SoundError or its format is self-consistent.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sound/sound_error.h"
#include "platform/sound/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  try {
    sound::WaveFormat format = sound::ReadWaveFormat(std::span<const uint8_t>(data, size));
    if (format.Frames() == 0 || format.dataBytes > size || format.Length().count() < 0)
      __builtin_trap();
  } catch (const sound::SoundError&) {
  }
  return 0;
}
