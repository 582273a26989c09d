#include "platform/d3d/gl_adapters.h"

#include "platform/d3d/gl_context.h"

#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <memory>
#include <string>

namespace d3d::gl {
namespace {

// The renderer's name, asked of a surfaceless context once in the process.
const std::string& RendererName() {
  static const std::string name = [] {
    std::string error;
    std::unique_ptr<Context> context = Context::Create(nullptr, &error);
    const auto* renderer =
        context ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
    return std::string(renderer != nullptr ? renderer : "OpenGL");
  }();
  return name;
}

// Hz of a mode from its dot clock and its whole frame, lines counted twice when interlaced.
UINT RefreshRate(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if (mode.modeFlags & RR_DoubleScan) lines *= 2;
  if (mode.modeFlags & RR_Interlace) lines /= 2;
  if (mode.hTotal == 0 || lines == 0) return 0;
  return static_cast<UINT>(std::lround(static_cast<double>(mode.dotClock) / (mode.hTotal * lines)));
}

const XRRModeInfo* FindMode(const XRRScreenResources& resources, RRMode id) {
  for (int i = 0; i < resources.nmode; ++i) {
    if (resources.modes[i].id == id) return &resources.modes[i];
  }
  return nullptr;
}

D3DDISPLAYMODE ModeOf(const XRRModeInfo& mode) {
  return {mode.width, mode.height, RefreshRate(mode), D3DFMT_X8R8G8B8};
}

// The adapters of the outputs of the display's default screen.
std::vector<HeadlessAdapter> OutputAdapters(Display* display, D3DDISPLAYMODE& desktop) {
  std::vector<HeadlessAdapter> adapters;
  int eventBase = 0;
  int errorBase = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase)) return adapters;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  if (resources == nullptr) return adapters;
  for (int o = 0; o < resources->noutput; ++o) {
    XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[o]);
    if (output == nullptr) continue;
    if (output->connection == RR_Connected && output->nmode > 0) {
      HeadlessAdapter adapter{RendererName() + " - " + output->name, {}};
      for (int m = 0; m < output->nmode; ++m) {
        if (const XRRModeInfo* mode = FindMode(*resources, output->modes[m]))
          adapter.modes.push_back(ModeOf(*mode));
      }
      if (adapters.empty() && output->crtc != 0) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
          if (const XRRModeInfo* mode = FindMode(*resources, crtc->mode)) desktop = ModeOf(*mode);
          XRRFreeCrtcInfo(crtc);
        }
      }
      adapters.push_back(std::move(adapter));
    }
    XRRFreeOutputInfo(output);
  }
  XRRFreeScreenResources(resources);
  return adapters;
}

}  // namespace

std::vector<HeadlessAdapter> ListAdapters(D3DDISPLAYMODE& desktop) {
  std::vector<HeadlessAdapter> adapters;
  if (Display* display = XOpenDisplay(nullptr)) {
    adapters = OutputAdapters(display, desktop);
    XCloseDisplay(display);
  }
  if (adapters.empty()) adapters.push_back({RendererName(), {desktop}});
  return adapters;
}

}  // namespace d3d::gl
