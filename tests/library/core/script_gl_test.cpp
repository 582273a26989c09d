// The script interpreter on the OpenGL device: offscreen (surfaceless) without a display, and in a
// real X11 window with one (under xvfb-run in CI). Each writes a PNG of what it presented into the
// build folder, for a person to look at.
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "library_fixture.h"
#include "platform/d3d/gl.h"
#include "platform/win/window_messages.h"
#include "script_writer.h"

// Last: its macros (None, Bool) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace d3d;

constexpr int32_t kWidth = 200;  // pixels of the script window's client area
constexpr int32_t kHeight = 150;

// A script that opens the window, clears and presents it twice.
ScriptSource OpenClearPresent() {
  return {{10, 0, 1, -1, 11, -1, 12, -1, 11, -1, 12, -1}, {}, {{0, kWidth}, {1, kHeight}}, 2};
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

class ScriptOnOpenGl : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    InstallGlDirect3D();
  }
  void TearDown() override {
    win::SetMessagePumpHook(nullptr);
    SetDirect3DCreator(nullptr);
    EXPECT_EQ(ShutDownDevice(), 0);
    LibraryTest::TearDown();
  }

  void RunScript(const ScriptSource& source = OpenClearPresent()) {
    const std::string file = (Folder() / "script.bin").string();
    const std::vector<uint8_t> bytes = source.Bytes();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(LoadScript(file.c_str()), 1);
  }

  // The device the script left current, and its window (closed by now).
  IDirect3DDevice8* ScriptDevice(HWND* window) {
    IDirect3DDevice8* device = nullptr;
    Internal_GetDevice(&device);
    D3DDEVICE_CREATION_PARAMETERS creation{};
    if (device != nullptr) device->GetCreationParameters(&creation);
    *window = creation.hFocusWindow;
    return device;
  }
};

TEST_F(ScriptOnOpenGl, OffscreenTheScriptRunsToItsEndAndPresentsTheClearedPicture) {
  if (std::getenv("DISPLAY") != nullptr) GTEST_SKIP() << "a display is set: see the X11 test";
  RunScript();
  EXPECT_EQ(LogMessages().back(), "Flow 11 : contains -1") << "ran to its end";
  HWND window = nullptr;
  IDirect3DDevice8* device = ScriptDevice(&window);
  ASSERT_NE(device, nullptr) << GlDeviceError();
  HeadlessControl* control = Headless(device);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->PresentCount(), 2u);
  const PresentedImage* image = control->Presented(window);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->width, static_cast<UINT>(kWidth));
  ASSERT_EQ(image->height, static_cast<UINT>(kHeight));
  EXPECT_EQ(image->pixels, std::vector<D3DCOLOR>(kWidth * kHeight, 0xff000000));
  std::vector<uint8_t> rgb;
  for (const D3DCOLOR pixel : image->pixels) {
    rgb.insert(rgb.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                           static_cast<uint8_t>(pixel)});
  }
  EXPECT_TRUE(
      WritePng(std::string(SCRIPT_PNG_FOLDER) + "/script_offscreen.png", kWidth, kHeight, rgb));
}

// What the X11 server showed of the script's window when the script last pumped its messages.
struct Shown {
  bool seen = false;
  std::string title;
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};
Shown shown;

void ReadTheNativeWindow() {
  IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  if (device == nullptr || FAILED(device->GetCreationParameters(&creation)) ||
      !win::IsWindow(creation.hFocusWindow)) {
    return;
  }
  const uint64_t id = win::NativeWindow(creation.hFocusWindow);
  Display* display = XOpenDisplay(nullptr);
  if (id == 0 || display == nullptr) return;
  char* name = nullptr;
  if (XFetchName(display, id, &name) != 0 && name != nullptr) {
    shown.title = name;
    XFree(name);
  }
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, id, &attributes);
  shown.width = attributes.width;
  shown.height = attributes.height;
  if (XImage* image = XGetImage(display, id, 0, 0, static_cast<unsigned>(attributes.width),
                                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)) {
    shown.rgb.clear();
    for (int y = 0; y < attributes.height; ++y) {
      for (int x = 0; x < attributes.width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        shown.rgb.insert(shown.rgb.end(),
                         {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                          static_cast<uint8_t>(pixel)});
      }
    }
    XDestroyImage(image);
    shown.seen = true;
  }
  XCloseDisplay(display);
}

TEST_F(ScriptOnOpenGl, InAnX11WindowTheScriptShowsTheClearedPicture) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under xvfb-run";
  shown = {};
  win::SetMessagePumpHook(ReadTheNativeWindow);
  RunScript();
  HWND window = nullptr;
  ASSERT_NE(ScriptDevice(&window), nullptr) << GlDeviceError();
  ASSERT_TRUE(shown.seen);
  EXPECT_EQ(shown.title, "Vortana Script");
  EXPECT_EQ(shown.width, kWidth);
  EXPECT_EQ(shown.height, kHeight);
  // The window's own background is white: black is the script's clear.
  EXPECT_EQ(shown.rgb, std::vector<uint8_t>(kWidth * kHeight * 3, 0));
  EXPECT_TRUE(WritePng(std::string(SCRIPT_PNG_FOLDER) + "/script_x11.png", shown.width,
                       shown.height, shown.rgb));
}

// Closes the script's X11 window the way a window manager does, at the third pump.
int pumps = 0;
void CloseLikeTheWindowManager() {
  IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  if (device == nullptr || FAILED(device->GetCreationParameters(&creation)) ||
      !win::IsWindow(creation.hFocusWindow) || ++pumps != 3) {
    return;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = win::NativeWindow(creation.hFocusWindow);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
}

TEST_F(ScriptOnOpenGl, TheWindowManagersCloseOfTheX11WindowEndsALoopingScript) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under xvfb-run";
  pumps = 0;
  win::SetMessagePumpHook(CloseLikeTheWindowManager);
  RunScript({{10, 0, 1, -1, 11, -1, 12, -1, 50, 4, -1}, {}, {{0, 64}, {1, 48}}, 2});
  EXPECT_EQ(LogMessages().back(), "Flow 6 : the script window was closed, run ended");
}

}  // namespace
