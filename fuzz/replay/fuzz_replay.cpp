// Replay files of any bytes: a file is either refused or read whole, and what is read writes back
// to the bytes it was read from, up to any tail after the last sample.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "program/missions/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const ReplayDecodeResult result = DecodeReplay(bytes);
  if (!result.replay) {
    if (result.reason.empty()) std::abort();
    return 0;
  }
  if (result.replay->Samples.size() > static_cast<size_t>(MaxFlightSamples)) std::abort();
  const auto written = EncodeReplay(*result.replay);
  if (!written || written->size() > size) std::abort();
  // The sign flags are read as any non-zero value and written as -1, so only the length is sure.
  return 0;
}
