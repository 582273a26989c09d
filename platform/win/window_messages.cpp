#include "platform/win/window_messages.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <list>
#include <map>
#include <string>

namespace win {

namespace {

struct TopWindow {
  Window record;  // the handle points here
  WNDPROC procedure = nullptr;
  std::string title;
};

std::map<std::string, WNDCLASSA> classes;
std::list<TopWindow> windows;
std::deque<MSG> queue;
MessagePumpHook pumpHook = nullptr;

// The X11 connection, opened with the first window when there is a display.
struct NativeDisplay {
  ::Display* display = nullptr;
  Atom deleteWindow = 0;
  bool tried = false;

  ::Display* Get() {
    if (!tried) {
      tried = true;
      const char* name = std::getenv("DISPLAY");
      if (name != nullptr && name[0] != '\0') display = XOpenDisplay(nullptr);
      if (display != nullptr) deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    }
    return display;
  }
  ~NativeDisplay() {
    if (display != nullptr) XCloseDisplay(display);
  }
} native;

TopWindow* Find(HWND handle) {
  for (TopWindow& window : windows) {
    if (&window.record == handle) return &window;
  }
  return nullptr;
}

void CreateNative(TopWindow& window, bool visible) {
  ::Display* display = native.Get();
  if (display == nullptr) return;
  const ::Window id = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0,
                                          static_cast<unsigned>(window.record.clientWidth),
                                          static_cast<unsigned>(window.record.clientHeight), 0,
                                          BlackPixel(display, 0), WhitePixel(display, 0));
  XStoreName(display, id, window.title.c_str());
  XSetWMProtocols(display, id, &native.deleteWindow, 1);
  // The window manager keeps the asked size.
  XSizeHints hints{};
  hints.flags = PSize | PMinSize;
  hints.width = hints.min_width = window.record.clientWidth;
  hints.height = hints.min_height = window.record.clientHeight;
  XSetWMNormalHints(display, id, &hints);
  if (visible) XMapWindow(display, id);
  XSync(display, False);
  window.record.nativeWindow = id;
}

// Turns what the native windows received into messages.
void ReadNativeEvents() {
  ::Display* display = native.display;
  if (display == nullptr) return;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    for (TopWindow& window : windows) {
      if (window.record.nativeWindow != event.xany.window) continue;
      if (event.type == ClientMessage &&
          static_cast<Atom>(event.xclient.data.l[0]) == native.deleteWindow) {
        queue.push_back({&window.record, WM_CLOSE, 0, 0});
      } else if (event.type == Expose) {
        queue.push_back({&window.record, WM_PAINT, 0, 0});
      }
    }
  }
}

}  // namespace

bool RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
      windowClass->lpfnWndProc == nullptr) {
    return false;
  }
  return classes.emplace(windowClass->lpszClassName, *windowClass).second;
}

bool AdjustWindowRect(RECT* rect, uint32_t style, bool menu) {
  if (rect == nullptr) return false;
  int32_t border = 0;
  if ((style & WS_THICKFRAME) != 0) {
    border = kSizingBorder;
  } else if ((style & WS_CAPTION) != 0) {
    border = kThinBorder;
  }
  rect->left -= border;
  rect->right += border;
  rect->bottom += border;
  rect->top -=
      border + ((style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0) + (menu ? kMenuHeight : 0);
  return true;
}

void* CreateMenu() {
  static char menuBar;
  return &menuBar;
}

HWND CreateWindowA(const char* className, const char* title, uint32_t style, int32_t, int32_t,
                   int32_t width, int32_t height, HWND, void* menu, void*, void*) {
  if (className == nullptr) return nullptr;
  const auto found = classes.find(className);
  if (found == classes.end()) return nullptr;
  RECT frame;
  AdjustWindowRect(&frame, style, menu != nullptr);
  TopWindow& window = windows.emplace_back();
  window.procedure = found->second.lpfnWndProc;
  window.title = title != nullptr ? title : "";
  window.record.clientWidth = std::max(0, width - (frame.right - frame.left));
  window.record.clientHeight = std::max(0, height - (frame.bottom - frame.top));
  window.record.show = (style & WS_VISIBLE) != 0 ? ShowState::Normal : ShowState::Hidden;
  CreateNative(window, (style & WS_VISIBLE) != 0);
  return &window.record;
}

bool UpdateWindow(HWND window) {
  if (Find(window) == nullptr) return false;
  SendMessageA(window, WM_PAINT, 0, 0);
  return true;
}

bool DestroyWindow(HWND handle) {
  TopWindow* window = Find(handle);
  if (window == nullptr) return false;
  window->procedure(handle, WM_DESTROY, 0, 0);
  if (window->record.nativeWindow != 0 && native.display != nullptr) {
    XDestroyWindow(native.display, window->record.nativeWindow);
    XSync(native.display, False);
  }
  std::erase_if(queue, [&](const MSG& message) { return message.hwnd == handle; });
  windows.remove_if([&](const TopWindow& kept) { return &kept == window; });
  return true;
}

bool IsWindow(HWND window) { return Find(window) != nullptr; }

const char* WindowTitle(HWND handle) {
  const TopWindow* window = Find(handle);
  return window != nullptr ? window->title.c_str() : "";
}

bool PeekMessageA(MSG* message, HWND, uint32_t, uint32_t, uint32_t remove) {
  if (message == nullptr) return false;
  if (pumpHook != nullptr) pumpHook();
  ReadNativeEvents();
  if (queue.empty()) return false;
  *message = queue.front();
  if ((remove & PM_REMOVE) != 0) queue.pop_front();
  return true;
}

bool TranslateMessage(const MSG* message) { return message != nullptr; }

intptr_t DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

intptr_t SendMessageA(HWND handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  TopWindow* window = Find(handle);
  return window != nullptr ? window->procedure(handle, message, wParam, lParam) : 0;
}

bool PostMessageA(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (Find(window) == nullptr) return false;
  queue.push_back({window, message, wParam, lParam});
  return true;
}

intptr_t DefWindowProcA(HWND window, uint32_t message, uintptr_t, intptr_t) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

int32_t MessageBoxA(HWND, const char* text, const char* caption, uint32_t) {
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
  return IDOK;
}

void SetMessagePumpHook(MessagePumpHook hook) { pumpHook = hook; }

}  // namespace win
