// Internal to the device core: how the device hands the work on pixels (clears, draws, presents)
// to a renderer. Without one, the core's own memory takes the pixels and draws are only recorded
// (the headless device); the OpenGL device attaches a renderer that draws them.
//
// The core's memory stays the home of every resource: locks, copies and the draw recorder work on
// it in both devices. A renderer mirrors it (uploading what changed, found by each object's
// version) and hands back what it drew before the core reads a surface (Download).
#pragma once

#include "platform/d3d/device_state.h"
#include "platform/d3d/headless.h"
#include "platform/d3d/shader_program.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace d3d::core {

class Surface;
class VertexBuffer;
class IndexBuffer;

// What a renderer keeps on one object (its names in the graphics library, say).
class RendererData {
 public:
  virtual ~RendererData() = default;
};

// The renderer's storage on an object, destroyed with the object, and the count of the object's
// changes in memory, which tells the renderer when to upload it again.
class RendererSlot {
 public:
  std::unique_ptr<RendererData>& Data() const { return data_; }
  uint64_t Version() const { return version_; }
  void Touch() { ++version_; }

 private:
  mutable std::unique_ptr<RendererData> data_;
  uint64_t version_ = 0;
};

// A vertex shader the device made: its decoded program and what the renderer keeps on it.
struct VertexShader {
  vs::Program program;
  RendererSlot slot;  // the program never changes, so its version stays 0
};

// One vertex stream of a draw: a buffer, or the caller's memory for the UP draws.
struct DrawStream {
  const VertexBuffer* buffer = nullptr;  // or null, and then data
  const BYTE* data = nullptr;
  UINT stride = 0;
};

// One checked draw. Vertex i of the draw (an index value, or for a plain draw its position) is
// read at byte i * stride of each stream it reads, from baseVertex of the stream's buffer or from
// its data. The draw reads vertices firstVertex .. firstVertex + vertexCount - 1.
struct DrawSubmission {
  D3DPRIMITIVETYPE primitive = D3DPT_TRIANGLELIST;
  UINT primitiveCount = 0;
  const FixedFunctionState* state = nullptr;
  std::array<IDirect3DBaseTexture8*, kMaxTextureStages> textures{};
  Surface* target = nullptr;
  Surface* depth = nullptr;
  // With a fixed vertex format (no shader), stream 0 alone; with a shader, every stream its
  // declaration names.
  std::array<DrawStream, kMaxStreams> streams{};
  const VertexShader* shader = nullptr;
  const std::vector<vs::Vec4>* constants = nullptr;  // with a shader
  UINT baseVertex = 0;
  UINT firstVertex = 0;
  UINT vertexCount = 0;
  // Indexed draws: indexSize 2 or 4, from indexBuffer at startIndex or from indexData.
  UINT indexSize = 0;
  const IndexBuffer* indexBuffer = nullptr;
  const BYTE* indexData = nullptr;
  UINT startIndex = 0;
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  // Fills the areas (already inside the viewport and the surfaces) of the bound target, depth or
  // stencil, as flags ask; flags name only buffers that are bound.
  virtual HRESULT Clear(Surface* target, Surface* depth, const std::vector<D3DRECT>& areas,
                        DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
  virtual HRESULT Draw(const DrawSubmission& draw) = 0;
  // gamma: the ramp the window shows the back buffer through; null for a straight one.
  virtual HRESULT Present(HWND window, Surface& backBuffer, const D3DGAMMARAMP* gamma) = 0;
  // Before the core reads or partly overwrites a surface's memory: brings in what was drawn.
  virtual void Download(Surface& surface) = 0;
  // What the window shows since its last present.
  virtual void ReadPresented(HWND window, PresentedImage* image) = 0;
  // Counts the fragments shaded from now on under the counter of that number (-1: none).
  virtual void CountFragments(int) {}
  // The fragments each counter counted since the last take (index: counter), once drawn; counting
  // stops until the next CountFragments.
  virtual std::vector<uint64_t> TakeFragmentCounts() { return {}; }
};

// Makes the renderer of a new device, or fails with a device error.
using RendererFactory = std::function<HRESULT(const D3DDEVICE_CREATION_PARAMETERS& creation,
                                              const D3DPRESENT_PARAMETERS& params,
                                              std::unique_ptr<Renderer>* renderer)>;

}  // namespace d3d::core
