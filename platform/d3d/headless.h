// The headless device: everything but the pixels of draws is real. Resources keep their memory and
// contents (locks, copies and clears work on them), every state is kept and read back, scenes and
// device loss follow the rules of a real device, and each draw is recorded with what it would
// draw, for tests of the library's families. It runs in every test and in CI.
//
// A test creates the creation object with the capabilities it needs, then reaches the device's
// test controls through Headless(device).
//
// Where it is more lenient than a hardware device, it is so on purpose: every colour surface can be
// locked (render targets and default-pool textures included), a device or swap chain has one back
// buffer, and Present shows the whole back buffer (its rectangles and dirty region are ignored).
#pragma once

#include "platform/d3d/device_state.h"
#include "platform/d3d/interfaces.h"
#include "platform/d3d/shader_program.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3d {

// Generous capabilities of a device of the library's time: 2048-texel power-of-two textures,
// cube maps, 4 texture stages with DOT3 and environment bumps, 8 lights, 4 blend matrices, vertex
// shaders 1.1 with 96 constants. A test sets VertexShaderVersion to 0 for a device without them
// (shaders made for software vertex processing still work there).
D3DCAPS8 HeadlessDefaultCaps();

// One display adapter as the creation object lists it; the modes in any order.
struct HeadlessAdapter {
  std::string description;
  std::vector<D3DDISPLAYMODE> modes;
};

// One adapter with 640x480, 800x600 and 1024x768 at 60 Hz in X8R8G8B8.
std::vector<HeadlessAdapter> HeadlessDefaultAdapters();

// What the headless creation object reports and allows.
struct HeadlessConfig {
  D3DCAPS8 caps = HeadlessDefaultCaps();
  // The first adapter's desktop; devices are made on the first adapter only.
  D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
  std::vector<HeadlessAdapter> adapters = HeadlessDefaultAdapters();
  // Bytes of texture memory. GetAvailableTextureMem counts default- and managed-pool resources;
  // a default-pool creation fails only beyond what the default pool itself holds, since managed
  // resources give way.
  UINT textureMemory = 64u << 20;
  std::vector<D3DFORMAT> textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                           D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                                           D3DFMT_L8,       D3DFMT_A8,       D3DFMT_V8U8,
                                           D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5};
  std::vector<D3DFORMAT> renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
  std::vector<D3DFORMAT> depthFormats = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D15S1,
                                         D3DFMT_D32};
  // A failure code here makes CreateDevice fail with it.
  HRESULT createDeviceResult = D3D_OK;
};

IDirect3D8* CreateHeadlessDirect3D(const HeadlessConfig& config = HeadlessConfig{});

enum class DeviceLoss {
  None,      // the device works
  Lost,      // Clear, Present and TestCooperativeLevel report D3DERR_DEVICELOST; Reset fails
  NotReset,  // they report D3DERR_DEVICENOTRESET until a Reset succeeds
};

enum class DrawCall { Primitive, IndexedPrimitive, PrimitiveUP, IndexedPrimitiveUP };

// One draw as the device saw it. Object pointers identify what was bound; they hold no reference
// and may dangle once the object is gone.
struct DrawRecord {
  DrawCall call;
  D3DPRIMITIVETYPE primitive;
  UINT primitiveCount;
  UINT startVertex;       // DrawPrimitive
  UINT minIndex;          // indexed draws: the vertex range the indices reach
  UINT vertexCount;       //   (and for DrawIndexedPrimitive also relative to baseVertexIndex)
  UINT startIndex;        // DrawIndexedPrimitive
  UINT baseVertexIndex;   // DrawIndexedPrimitive
  DWORD fvf;              // the vertex shader handle, when a shader draws
  UINT stride;            // of stream 0
  D3DFORMAT indexFormat;  // indexed draws
  std::array<IDirect3DBaseTexture8*, kMaxTextureStages> textures;
  IDirect3DVertexBuffer8* streamSource;  // stream 0; null for the UP draws
  IDirect3DIndexBuffer8* indexBuffer;    // null for the UP draws
  IDirect3DSurface8* renderTarget;
  FixedFunctionState state;
  uint64_t stateDigest;
  // The vertices the draw reads, from its first vertex (startVertex, or minIndex plus
  // baseVertexIndex) on, and the indices it reads: copied at the time of the draw.
  std::vector<BYTE> vertices;  // of stream 0
  std::vector<BYTE> indices;
  // With a vertex shader: what it computed for each of those vertices, in the same order.
  std::vector<vs::VertexOutput> shaded;
};

// What one pass of the frames counted cost: the draws it made and the fragments the rasteriser
// shaded for it (0 on the headless device, which shades none).
struct PassStatistics {
  std::string name;
  uint64_t draws = 0;
  uint64_t fragments = 0;
};

// An image shown in a window: A8R8G8B8 pixels, rows of width pixels top to bottom.
struct PresentedImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<D3DCOLOR> pixels;
};

// Test controls of one headless device.
class HeadlessControl {
 public:
  virtual void SetLoss(DeviceLoss loss) = 0;
  virtual DeviceLoss Loss() const = 0;
  // The next resource or swap-chain creation fails with result (E_OUTOFMEMORY, say).
  virtual void FailNextCreation(HRESULT result) = 0;

  virtual const std::vector<DrawRecord>& Draws() const = 0;
  virtual void ClearDraws() = 0;
  // Recording is on from the headless device's creation (the OpenGL device's is off until turned
  // on). A long headless run turns it off so that records do not pile up; draws are still checked.
  virtual void SetRecording(bool on) = 0;
  virtual UINT PresentCount() const = 0;
  // Draws from now on touch only the pixels inside that rectangle of the render target (an empty
  // one: no such limit), until it is set again or the render target changes; clears are not
  // limited. A drawing that leaves alone what others cover opaquely shades fewer pixels.
  virtual void SetScissor(const RECT& area) = 0;

  // Frame statistics: while on, draws and shaded fragments are counted under the pass named last
  // (BeginPass; "frame" until one is named), passes of one name adding up. Counting fragments
  // waits for the rasteriser when they are taken, so it is for measuring, not for every run.
  virtual void SetStatistics(bool on) = 0;
  virtual void BeginPass(const std::string& name) = 0;
  // The passes counted since the last take, in the order they were first named.
  virtual std::vector<PassStatistics> TakeStatistics() = 0;

  // Resources, surfaces and swap chains of this device that are still alive (the device's own
  // back buffer and automatic depth surface not counted).
  virtual size_t LiveObjectCount() const = 0;

  // Where a window's client area lies on the desktop, for GetFrontBuffer; (0, 0) unless set.
  virtual void SetWindowOrigin(HWND window, POINT origin) = 0;
  // The last image presented into a window; null when none was.
  virtual const PresentedImage* Presented(HWND window) const = 0;

  // The depth (0..1) and stencil values of a depth surface, row by row; false for other surfaces.
  virtual bool ReadDepthStencil(IDirect3DSurface8* surface, std::vector<float>* depth,
                                std::vector<BYTE>* stencil) const = 0;

 protected:
  ~HeadlessControl() = default;
};

// The controls of a headless device, or of the OpenGL device built on the same core (there,
// Presented reads back what the window shows, and depth surfaces keep no values in memory); null
// for any other device.
HeadlessControl* Headless(IDirect3DDevice8* device);

}  // namespace d3d
