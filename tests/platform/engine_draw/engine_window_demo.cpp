// The whole stack in a real X11 window: the Qt view's main display, the engine, the library and the
// OpenGL device. At each window size it draws a frame, captures what the X server shows to a PNG
// file and checks the window's part of it against the engine's own copy of the frame. Run under
// Xvfb:
//   xvfb-run -s '-screen 0 1280x1024x24' engine_window_demo OUTPUT_FOLDER
#include <QScreen>
#include <QWidget>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/engine/draw2d.h"
#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/resources.h"
#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/forms/qt_view.h"
#include "platform/win/twips.h"
#include "platform/win/window.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct DisplayForm : forms::Form {
  DisplayForm() : Form("Main_Display") {
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(640), win::PixelsToTwips(480));
  }
};

void Settle() {
  for (int turn = 0; turn < 20; ++turn) forms::DoEvents();
}

// The client area's pixels as the X server shows them, 0xFFRRGGBB, also written to path.
std::vector<uint32_t> Capture(Display* display, const win::Window& window,
                              const std::string& path) {
  XSync(display, False);
  XImage* image = XGetImage(display, DefaultRootWindow(display), window.screenX, window.screenY,
                            static_cast<unsigned>(window.clientWidth),
                            static_cast<unsigned>(window.clientHeight), AllPlanes, ZPixmap);
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> rgb;
  if (image == nullptr) return pixels;
  for (int y = 0; y < window.clientHeight; ++y) {
    for (int x = 0; x < window.clientWidth; ++x) {
      const auto pixel = static_cast<uint32_t>(XGetPixel(image, x, y)) | 0xFF000000u;
      pixels.push_back(pixel);
      for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(pixel >> shift));
    }
  }
  XDestroyImage(image);
  stbi_write_png(path.c_str(), window.clientWidth, window.clientHeight, 3, rgb.data(),
                 window.clientWidth * 3);
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  if (!forms::StartQtView(argc, argv)) return 1;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  forms::FormSlot<DisplayForm> form;
  form->Show();
  Settle();
  int failures = 0;
  try {
    engine::Engine engine(engine::MakeDrawBackend());
    int32_t result = -1;
    engine.Init(*form, true, result);
    engine::EngineScreen2DDraw draw(engine);
    const auto* window = win::WindowFromHandle(reinterpret_cast<void*>(form->hWnd()));
    const struct { int width, height; } sizes[] = {{640, 480}, {800, 600}, {500, 700}};
    for (const auto& size : sizes) {
      forms::WidgetOf(*form)->resize(size.width, size.height);
      Settle();
      int32_t unused = 0;
      engine.UpdateWindowSize(unused);
      const auto w = static_cast<float>(engine.Width()), h = static_cast<float>(engine.Height());
      for (int frame = 0; frame < 3; ++frame) {
        engine.Clear(0xFF203050u);
        draw.Begin();
        draw.DrawFilledBox(0, 0, w / 2, h / 2, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu);
        draw.DrawFilledBox(w / 2, h / 2, w, h, 0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFF00u);
        draw.End();
        const std::vector<uint32_t> drawn =
            engine.Backend().ReadBackBuffer(engine.Width(), engine.Height());
        engine.RenderToScreen();
        Settle();
        if (frame < 2) continue;
        const std::string name = folder + "/window_" + std::to_string(size.width) + "x" +
                                 std::to_string(size.height) + ".png";
        const std::vector<uint32_t> shown = Capture(display, *window, name);
        size_t differing = 0;
        for (size_t i = 0; i < shown.size() && i < drawn.size(); ++i)
          differing += shown[i] != drawn[i];
        const bool same = shown.size() == drawn.size() && differing == 0;
        std::printf("%d x %d: window %d x %d at (%d, %d), %zu pixels differ: %s\n", size.width,
                    size.height, window->clientWidth, window->clientHeight, window->screenX,
                    window->screenY, differing, same ? "ok" : "MISMATCH");
        failures += same ? 0 : 1;
      }
    }
    // Minimised, the engine does not count the window active.
    forms::WidgetOf(*form)->showMinimized();
    Settle();
    std::printf("minimised: %s\n", engine.IsWindowActive() ? "still active: MISMATCH" : "ok");
    failures += engine.IsWindowActive() ? 1 : 0;
    forms::WidgetOf(*form)->showNormal();
    Settle();
    {
      // Through a gamma of 2 the window shows each level brighter; the back buffer keeps it.
      engine::EngineGraphicEffect effect(engine);
      effect.SetGamma(2);
      for (int frame = 0; frame < 3; ++frame) {
        engine.Clear(0xFF203050u);
        engine.RenderToScreen();
        Settle();
      }
      const std::vector<uint32_t> shown = Capture(display, *window, folder + "/gamma.png");
      uint32_t expected = 0xFF000000u;
      for (int shift : {16, 8, 0}) {
        const double level = (0xFF203050u >> shift & 0xFF) / 255.0;
        expected |= static_cast<uint32_t>(std::lround(std::sqrt(level) * 65535) >> 8) << shift;
      }
      const bool brighter = !shown.empty() && shown[shown.size() / 2] == expected &&
                            engine.Backend().ReadBackBuffer(1, 1)[0] == 0xFF203050u;
      std::printf("gamma 2: %06X shown for 203050: %s\n", shown.empty() ? 0 : shown[0] & 0xFFFFFFu,
                  brighter ? "ok" : "MISMATCH");
      failures += brighter ? 0 : 1;
      effect.SetGamma(1);
    }
    // Full screen at 800 x 600 on a larger screen: the window covers the screen and the frame
    // shows whole, scaled, between bars.
    const QSize screen = forms::WidgetOf(*form)->screen()->size();
    forms::WidgetOf(*form)->setGeometry(0, 0, screen.width(), screen.height());
    Settle();
    engine.EnterFullScreen(800, 600, 32, 24);
    for (int frame = 0; frame < 3; ++frame) {
      engine.Clear(0xFF203050u);
      draw.Begin();
      draw.DrawFilledBox(400, 300, 800, 600, 0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFF00u);
      draw.End();
      engine.RenderToScreen();
      Settle();
    }
    const std::vector<uint32_t> shown = Capture(display, *window, folder + "/full_screen.png");
    const win::PresentedArea area =
        win::PlacePicture(window->clientWidth, window->clientHeight, 800, 600);
    auto at = [&](int x, int y) { return shown[static_cast<size_t>(y * window->clientWidth + x)]; };
    const bool barsBlack = area.y == 0 || at(window->clientWidth / 2, area.y / 2) == 0xFF000000u;
    const bool scaled =
        at(area.x + area.width * 3 / 4, area.y + area.height * 3 / 4) == 0xFFFFFF00u &&
        at(area.x + area.width / 4, area.y + area.height / 4) == 0xFF203050u;
    std::printf("full screen 800 x 600 in %d x %d, shown at %d x %d from (%d, %d): %s\n",
                window->clientWidth, window->clientHeight, area.width, area.height, area.x, area.y,
                barsBlack && scaled ? "ok" : "MISMATCH");
    failures += barsBlack && scaled ? 0 : 1;
    engine.LeaveFullScreen();
    engine.Shutdown();
  } catch (const engine::EngineError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    failures = 1;
  }
  form.Unload();
  XCloseDisplay(display);
  return failures == 0 ? 0 : 1;
}
