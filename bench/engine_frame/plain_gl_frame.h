// The engine's frame replayed with plain OpenGL 2.1: the draws the device recorded for one frame
// (their vertices and indices, textures, render states, transforms, lights and material, and
// targets), drawn in a context of its own through the fixed-function pipeline, client arrays for
// the draws from memory and buffers for the draws from the device's buffers, into framebuffers of
// the targets' sizes with a depth and stencil buffer each, every target cleared before its first
// draw of the frame.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d/headless.h"

namespace bench {

class PlainGlFrame {
 public:
  // Reads the textures and targets the draws name, which must be alive while it is made.
  explicit PlainGlFrame(const std::vector<d3d::DrawRecord>& draws);
  ~PlainGlFrame();
  PlainGlFrame(const PlainGlFrame&) = delete;
  PlainGlFrame& operator=(const PlainGlFrame&) = delete;

  bool Ready() const;
  // Draws the frame and waits for the pixels.
  void Frame();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace bench
