// Windows as the device and the 3D library see them: a window handle points at the Window record
// that the view layer keeps for each top-level window or control it shows. The record carries what
// those layers ask of a window (its client size, where its client area lies on the desktop, and
// whether it is shown, minimised or in front), so the answer travels with the handle and no
// process-wide table has to be shared between the program and the library it loads. It also carries
// the native X11 window that an OpenGL device presents into: nothing reads a handle as an X11 id.
#pragma once

#include <cstdint>

namespace win {

enum class ShowState : int32_t { Hidden, Normal, Minimised };

// Show commands of ShowWindow.
inline constexpr int32_t SW_SHOWMINIMIZED = 2;
inline constexpr int32_t SW_MINIMIZE = 6;
inline constexpr int32_t SW_RESTORE = 9;

// A rectangle in pixels: left and top inside, right and bottom just outside.
struct RECT {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct Window {
  int32_t clientWidth = 0;   // pixels
  int32_t clientHeight = 0;  // pixels
  int32_t screenX = 0;       // desktop pixels of the client area's top-left corner
  int32_t screenY = 0;
  ShowState show = ShowState::Normal;
  bool foreground = false;
  uint64_t nativeWindow = 0;  // the X11 window id; 0 without a native window
};

// Where a picture of width x height pixels shows in a client area: as large as fits with its
// proportions kept, centred, bars on the sides left over.
struct PresentedArea {
  int32_t x = 0;  // client pixels
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

inline PresentedArea PlacePicture(int32_t clientWidth, int32_t clientHeight, int32_t width,
                                  int32_t height) {
  if (width <= 0 || height <= 0) return {};
  // Exact in integers: the side that limits fills the client area.
  PresentedArea area{0, 0, clientWidth, clientHeight};
  if (int64_t{clientWidth} * height > int64_t{clientHeight} * width) {
    area.width = static_cast<int32_t>(int64_t{clientHeight} * width / height);
  } else {
    area.height = static_cast<int32_t>(int64_t{clientWidth} * height / width);
  }
  area.x = (clientWidth - area.width) / 2;
  area.y = (clientHeight - area.height) / 2;
  return area;
}

// A null handle names no window; the queries then answer false.
inline Window* WindowFromHandle(void* handle) { return static_cast<Window*>(handle); }

// The X11 window id the handle's record carries; 0 for a null handle or a window without one.
inline uint64_t NativeWindow(void* handle) {
  const Window* window = WindowFromHandle(handle);
  return window != nullptr ? window->nativeWindow : 0;
}

inline bool GetClientSize(void* handle, int32_t* width, int32_t* height) {
  const Window* window = WindowFromHandle(handle);
  if (window == nullptr) return false;
  *width = window->clientWidth;
  *height = window->clientHeight;
  return true;
}

inline bool ClientToScreen(void* handle, int32_t* x, int32_t* y) {
  const Window* window = WindowFromHandle(handle);
  if (window == nullptr) return false;
  *x += window->screenX;
  *y += window->screenY;
  return true;
}

// Minimising commands minimise; every other command shows and restores the window.
inline bool ShowWindow(void* handle, int32_t command) {
  Window* window = WindowFromHandle(handle);
  if (window == nullptr) return false;
  const bool minimise = command == SW_SHOWMINIMIZED || command == SW_MINIMIZE;
  window->show = minimise ? ShowState::Minimised : ShowState::Normal;
  if (minimise) window->foreground = false;
  return true;
}

inline bool SetForegroundWindow(void* handle) {
  Window* window = WindowFromHandle(handle);
  if (window == nullptr) return false;
  window->foreground = true;
  return true;
}

}  // namespace win
