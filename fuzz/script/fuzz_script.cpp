// Feeds arbitrary bytes to the script interpreter: loaded, linked and run on the headless device
// with a step budget, so that a script that loops ends; whatever device it left is shut down.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "library/core/frame/script.h"
#include "library/core/vortanautil.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
constexpr uint64_t kStepBudget = 10000;  // commands of one run
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The script's windows stay in memory: no X11 window for each input.
  static const bool noDisplay = unsetenv("DISPLAY") == 0;
  (void)noDisplay;
  if (size > kMaxInputBytes) return 0;
  RunScriptImage(std::span<const uint8_t>(data, size), kStepBudget);
  ShutDownDevice();
  return 0;
}
