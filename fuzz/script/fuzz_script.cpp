// Feeds arbitrary bytes to the script interpreter: loaded, linked and run on the headless device
// with a step budget, so that a script that loops ends, and a pixel budget, since one clear or
// present goes over every pixel of a window as large as the script asks; whatever device it left
// is shut down.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "library/core/frame/script.h"
#include "library/core/vortanautil.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
constexpr uint64_t kStepBudget = 10000;      // commands of one run
constexpr uint64_t kPixelBudget = 1u << 22;  // pixels of one run: a 2048 x 2048 window once
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The script's windows stay in memory: no X11 window for each input.
  static const bool noDisplay = unsetenv("DISPLAY") == 0;
  (void)noDisplay;
  if (size > kMaxInputBytes) return 0;
  RunScriptImage(std::span<const uint8_t>(data, size), kStepBudget, kPixelBudget);
  ShutDownDevice();
  return 0;
}
