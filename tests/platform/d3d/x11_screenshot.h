// What the X server shows: the demos' check that presenting reaches a real window.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

namespace d3dtest {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom
};

// The root window's pixels; false when they cannot be read.
inline bool ReadScreen(Display* display, Screenshot* shot) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  shot->width = attributes.width;
  shot->height = attributes.height;
  shot->rgb.assign(static_cast<size_t>(attributes.width) * attributes.height * 3, 0);
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      uint8_t* out = &shot->rgb[(static_cast<size_t>(y) * attributes.width + x) * 3];
      out[0] = static_cast<uint8_t>((pixel >> 16) & 0xFF);
      out[1] = static_cast<uint8_t>((pixel >> 8) & 0xFF);
      out[2] = static_cast<uint8_t>(pixel & 0xFF);
    }
  }
  XDestroyImage(image);
  return true;
}

}  // namespace d3dtest
