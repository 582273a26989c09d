// Top-level windows of a registered window class, with their message queue: what a component that
// opens a window of its own (the library's script interpreter) asks of the window system.
//
// A window handle points at the window's Window record (platform/win/window.h). With an X11
// display (DISPLAY set and the server reachable) each window is also a real X11 window of the
// client size, titled as asked, and the window manager's close becomes the close message; the
// record then carries the X11 id. Without a display there is no native window, and the messages
// flow the same way in memory.
//
// Message boxes never block: their text goes to standard error.
#pragma once

#include <cstdint>

#include "platform/win/window.h"

namespace win {

using HWND = void*;
using WNDPROC = intptr_t (*)(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);

inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;

// Window styles.
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;

inline constexpr int32_t CW_USEDEFAULT = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t IDC_ARROW = 32512;
inline constexpr int32_t WHITE_BRUSH = 0;
inline constexpr uint32_t PM_REMOVE = 0x0001;
inline constexpr uint32_t MB_ICONWARNING = 0x00000030;
inline constexpr int32_t IDOK = 1;

// The frame this layer draws around a client area, in pixels.
inline constexpr int32_t kCaptionHeight = 19;
inline constexpr int32_t kMenuHeight = 19;
inline constexpr int32_t kSizingBorder = 4;  // each side
inline constexpr int32_t kThinBorder = 1;    // each side of a caption without a sizing frame

struct WNDCLASSA {
  uint32_t style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int32_t cursor = IDC_ARROW;
  int32_t background = WHITE_BRUSH;
  const char* lpszClassName = nullptr;
};

struct MSG {
  HWND hwnd = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// False when the class has no name or procedure, or is registered already.
bool RegisterClassA(const WNDCLASSA* windowClass);
// Grows a client rectangle into the window's outer rectangle for the style (and a menu).
bool AdjustWindowRect(RECT* rect, uint32_t style, bool menu);
// A menu bar. This layer draws none, but a window created with one keeps its place in the frame.
void* CreateMenu();
// A window of a registered class; width and height are its outer size. Null for an unknown class.
HWND CreateWindowA(const char* className, const char* title, uint32_t style, int32_t x, int32_t y,
                   int32_t width, int32_t height, HWND parent, void* menu, void* instance,
                   void* parameter);
bool UpdateWindow(HWND window);
// Sends WM_DESTROY, then frees the window; its handle is no window from then on.
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);
// The window's title; empty for no window.
const char* WindowTitle(HWND window);

// Takes the next message of any window (the window filter and range are not used) after reading
// what the native windows received; false when there is none.
bool PeekMessageA(MSG* message, HWND window, uint32_t first, uint32_t last, uint32_t remove);
bool TranslateMessage(const MSG* message);
intptr_t DispatchMessageA(const MSG* message);
intptr_t SendMessageA(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool PostMessageA(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// WM_CLOSE destroys the window; every other message is answered 0.
intptr_t DefWindowProcA(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Writes "caption: text" to standard error and answers IDOK at once.
int32_t MessageBoxA(HWND window, const char* text, const char* caption, uint32_t type);

// Called at every PeekMessageA before the queue is read: where tests act as the user would (post a
// close, say). Null removes it.
using MessagePumpHook = void (*)();
void SetMessagePumpHook(MessagePumpHook hook);

}  // namespace win
