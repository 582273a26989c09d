// Feeds arbitrary bytes to the script interpreter: loaded, linked and run on the headless device
// with a step budget, so that a script that loops ends; whatever device it left is shut down.
//
// A step can cost a great deal: each Present reads every pixel of a window as large as the script
// asks (up to 4096 x 4096). The harness therefore also bounds the pixels presented in one run: past
// the budget it closes the script's window as a user would, which ends the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "library/core/frame/script.h"
#include "library/core/vortanautil.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

namespace {

constexpr size_t kMaxInputBytes = 1 << 20;
constexpr uint64_t kStepBudget = 10000;             // commands of one run
constexpr int64_t kPresentedPixelBudget = 1 << 22;  // pixels of one run: 2048 x 2048 once

int64_t presentedPixels = 0;
bool closing = false;

// At every pump of the script's Present: counts the window's pixels, and closes it once they
// pass the budget.
void BoundPresentedPixels() {
  d3d::IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  d3d::D3DDEVICE_CREATION_PARAMETERS creation{};
  if (closing || device == nullptr || d3d::FAILED(device->GetCreationParameters(&creation))) return;
  int32_t width = 0;
  int32_t height = 0;
  if (!win::IsWindow(creation.hFocusWindow) ||
      !win::GetClientSize(creation.hFocusWindow, &width, &height))
    return;
  presentedPixels += static_cast<int64_t>(width) * height;
  if (presentedPixels <= kPresentedPixelBudget) return;
  closing = true;
  win::PostMessageA(creation.hFocusWindow, win::WM_CLOSE, 0, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The script's windows stay in memory: no X11 window for each input.
  static const bool noDisplay = unsetenv("DISPLAY") == 0;
  (void)noDisplay;
  if (size > kMaxInputBytes) return 0;
  presentedPixels = 0;
  closing = false;
  win::SetMessagePumpHook(BoundPresentedPixels);
  RunScriptImage(std::span<const uint8_t>(data, size), kStepBudget);
  ShutDownDevice();
  return 0;
}
