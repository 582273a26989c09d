// Internal to the device core: the creation object and the device. With a renderer factory they
// make the OpenGL device; without one, the headless device.
#pragma once

#include "platform/d3d/com_object.h"
#include "platform/d3d/device_core_objects.h"

#include <map>
#include <set>

namespace d3d::core {

class Direct3D final : public IDirect3D8 {
 public:
  explicit Direct3D(const HeadlessConfig& config, RendererFactory renderers = nullptr);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;
  UINT GetAdapterCount() override { return static_cast<UINT>(config_.adapters.size()); }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                               D3DADAPTER_IDENTIFIER8* identifier) override;
  UINT GetAdapterModeCount(UINT adapter) override;
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override;

  const HeadlessConfig& Config() const { return config_; }
  // Completes and checks presentation parameters for a device or swap chain.
  HRESULT CompleteParameters(D3DPRESENT_PARAMETERS* params) const;

 private:
  ~Direct3D() = default;

  HeadlessConfig config_;
  RendererFactory renderers_;
  ULONG references_ = 1;
};

// The ramp that shows every level as it is.
inline D3DGAMMARAMP StraightGammaRamp() {
  D3DGAMMARAMP ramp{};
  for (UINT level = 0; level < 256; ++level)
    ramp.red[level] = ramp.green[level] = ramp.blue[level] = static_cast<WORD>(level * 257);
  return ramp;
}

// A colour through a ramp.
inline D3DCOLOR ThroughGammaRamp(D3DCOLOR colour, const D3DGAMMARAMP& ramp) {
  const auto level = [&](const WORD* channel, int shift) {
    return static_cast<D3DCOLOR>(channel[colour >> shift & 0xFF] >> 8) << shift;
  };
  return (colour & 0xFF000000u) | level(ramp.red, 16) | level(ramp.green, 8) | level(ramp.blue, 0);
}

class Device final : public IDirect3DDevice8, public HeadlessControl {
 public:
  // renderer is null for the headless device.
  Device(Direct3D* parent, const D3DDEVICE_CREATION_PARAMETERS& creation,
         const D3DPRESENT_PARAMETERS& params, std::unique_ptr<Renderer> renderer);

  // IUnknown
  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

  // Device life
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT ResourceManagerDiscardBytes(DWORD bytes) override;
  HRESULT GetDirect3D(IDirect3D8** direct3d) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) override;
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params,
                                    IDirect3DSwapChain8** swapChain) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                  const void* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface8** backBuffer) override;
  void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override;
  void GetGammaRamp(D3DGAMMARAMP* ramp) override;

  // Resources
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture8** texture) override;
  HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                            D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** buffer) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** buffer) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                             D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                             IDirect3DSurface8** surface) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** surface) override;
  HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                             IDirect3DSurface8** surface) override;
  HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount,
                    IDirect3DSurface8* destination, const POINT* destPoints) override;
  HRESULT GetFrontBuffer(IDirect3DSurface8* destination) override;

  // Targets and scenes
  HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget,
                          IDirect3DSurface8* depthStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;

  // Fixed-function state
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT GetMaterial(D3DMATERIAL8* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enabled) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

  // Vertex shaders
  HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                             DWORD usage) override;
  HRESULT DeleteVertexShader(DWORD handle) override;
  HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) override;
  HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) override;

  // Drawing
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT GetVertexShader(DWORD* handle) override;
  HRESULT SetPixelShader(DWORD handle) override;
  HRESULT GetPixelShader(DWORD* handle) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
  HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
  HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                               UINT startIndex, UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                          UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                 UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                                 const void* vertexData, UINT stride) override;

  // HeadlessControl
  void SetLoss(DeviceLoss loss) override { loss_ = loss; }
  DeviceLoss Loss() const override { return loss_; }
  void FailNextCreation(HRESULT result) override { injectedFailure_ = result; }
  const std::vector<DrawRecord>& Draws() const override { return draws_; }
  void ClearDraws() override { draws_.clear(); }
  void SetRecording(bool on) override { recording_ = on; }
  void SetScissor(const RECT& area) override { state_.scissor = area; }
  UINT PresentCount() const override { return presentCount_; }
  size_t LiveObjectCount() const override { return live_.size(); }
  void SetStatistics(bool on) override;
  void BeginPass(const std::string& name) override;
  std::vector<PassStatistics> TakeStatistics() override;
  void SetWindowOrigin(HWND window, POINT origin) override { windowOrigins_[window] = origin; }
  const PresentedImage* Presented(HWND window) const override;
  bool ReadDepthStencil(IDirect3DSurface8* surface, std::vector<float>* depth,
                        std::vector<BYTE>* stencil) const override;

  // Bookkeeping of the objects the device made.
  void Track(const DeviceHold* hold) { live_.insert(hold); }
  void Untrack(const DeviceHold* hold) { live_.erase(hold); }
  // Shows a back buffer in a window, as a present does.
  HRESULT ShowInWindow(HWND window, Surface& backBuffer);
  const HeadlessConfig& Config() const { return parent_->Config(); }
  // This device's surface behind an interface pointer; null for null or another device's.
  Surface* OwnSurface(IDirect3DSurface8* surface) const;
  // Before the device or a caller reads or writes a surface's memory.
  void BeforeMemoryAccess(Surface& surface) {
    if (renderer_) renderer_->Download(surface);
  }

 private:
  ~Device();

  HRESULT LossResult() const;
  // The window the device's own presents go to.
  HWND PresentWindow() const;
  // The failure a test asked for, once; D3D_OK otherwise.
  HRESULT TakeInjectedFailure();
  // Bytes of texture memory the live resources take: every pool's, or the default pool's.
  UINT UsedMemory(bool defaultPoolOnly = false) const;
  HRESULT CheckMemory(D3DPOOL pool, UINT bytes) const;
  HRESULT CheckTextureSize(UINT width, UINT height) const;
  HRESULT CreateStandaloneSurface(const SurfaceLayout& layout, IDirect3DSurface8** surface);
  // The device's own back buffer and automatic depth surface for these parameters.
  void MakeImplicitSurfaces(const D3DPRESENT_PARAMETERS& params, SurfacePtr* backBuffer,
                            SurfacePtr* autoDepth);
  void ResetState();
  // The living shader a handle names; null for any other handle.
  const VertexShader* FindShader(DWORD handle) const;
  // The constant registers shaders see: at least the 96 of software vertex processing.
  UINT ConstantCount() const;
  // Checks what every draw needs and starts its submission; *needs gets, per stream, the least
  // stride of the streams the draw reads (0 for those it does not).
  HRESULT PrepareDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, DrawSubmission* draw,
                      std::array<UINT, kMaxStreams>* needs) const;
  // The bound streams a draw reads, checked to hold its vertices.
  HRESULT BindStreams(const std::array<UINT, kMaxStreams>& needs, DrawSubmission* draw) const;
  // The caller's vertices of an UP draw as stream 0, the only stream such a draw has.
  static HRESULT UserStream(const std::array<UINT, kMaxStreams>& needs, const void* vertexData,
                            UINT stride, DrawSubmission* draw);
  DrawRecord StartRecord(DrawCall call, const DrawSubmission& draw) const;
  void Keep(DrawRecord record);
  // Hands a checked draw to the renderer, with the device's state and bindings.
  HRESULT Render(DrawSubmission draw);
  // Reads from the renderer the images of windows presented into since they were last read.
  void RefreshPresented() const;

  Direct3D* parent_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DPRESENT_PARAMETERS params_;
  ULONG references_ = 1;
  DeviceLoss loss_ = DeviceLoss::None;
  HRESULT injectedFailure_ = D3D_OK;
  bool inScene_ = false;

  // Declared before every surface, so that it outlives what it keeps on them.
  std::unique_ptr<Renderer> renderer_;
  std::map<DWORD, std::unique_ptr<VertexShader>> shaders_;  // by handle
  DWORD nextShaderHandle_ = 1;
  std::vector<vs::Vec4> shaderConstants_;
  SurfacePtr backBuffer_;
  SurfacePtr autoDepth_;
  std::set<const DeviceHold*> live_;

  FixedFunctionState state_;
  Binding<IDirect3DSurface8> renderTarget_;
  Binding<IDirect3DSurface8> depthStencil_;
  std::array<Binding<IDirect3DBaseTexture8>, kMaxTextureStages> textures_;
  std::array<Binding<IDirect3DVertexBuffer8>, 16> streams_;
  std::array<UINT, 16> streamStrides_{};
  Binding<IDirect3DIndexBuffer8> indices_;
  UINT baseVertexIndex_ = 0;

  std::vector<DrawRecord> draws_;
  bool statistics_ = false;
  std::vector<PassStatistics> passes_;  // counted since the last take
  size_t pass_ = 0;                     // the one counting now
  bool recording_;  // on for the headless device; the OpenGL device records when asked
  UINT presentCount_ = 0;
  D3DGAMMARAMP gamma_ = StraightGammaRamp();
  bool straightGamma_ = true;
  // With a renderer, an image is read from it when asked for; stale marks one presented since.
  mutable std::map<HWND, PresentedImage> presented_;
  mutable std::set<HWND> stale_;
  std::map<HWND, POINT> windowOrigins_;
};

}  // namespace d3d::core
