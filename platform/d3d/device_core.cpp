// The device core: real resources and state, scene and loss rules, and the draw recorder; the
// pixels of clears, draws and presents go to the renderer when there is one.
#include "platform/d3d/device_core.h"

#include "platform/d3d/format.h"

#include <algorithm>
#include <cstring>

namespace d3d::core {
namespace {

// Software vertex processing gives every shader this many constants, whatever the caps say.
constexpr UINT kSoftwareShaderConstants = 96;
constexpr UINT kMaxShaderConstants = 8192;
constexpr DWORD kShaderVersionBits = 0xFFFF;  // major << 8 | minor

// Shader handles are odd; no flexible vertex format has bit 0.
bool IsShaderHandle(DWORD handle) { return (handle & 1) != 0; }

// Each stream of a draw as the executor reads it: vertex i at data + i * stride.
std::array<vs::StreamView, kMaxStreams> ViewsOf(const DrawSubmission& draw) {
  std::array<vs::StreamView, kMaxStreams> views{};
  for (UINT stream = 0; stream < kMaxStreams; ++stream) {
    const DrawStream& source = draw.streams[stream];
    const BYTE* data = source.buffer != nullptr ? source.buffer->Bytes().data() : source.data;
    if (data == nullptr) continue;
    views[stream] = {data + static_cast<size_t>(draw.baseVertex) * source.stride, source.stride};
  }
  return views;
}

bool IsValidPrimitive(D3DPRIMITIVETYPE type) {
  return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN;
}

bool IsValidTransform(D3DTRANSFORMSTATETYPE type) {
  return type == D3DTS_VIEW || type == D3DTS_PROJECTION ||
         (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) ||
         (type >= D3DTS_WORLD && type < D3DTS_WORLD + kMaxWorldMatrices);
}

UINT IndexSize(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_INDEX16:
      return 2;
    case D3DFMT_INDEX32:
      return 4;
    default:
      return 0;
  }
}

UINT ReadIndex(const BYTE* indices, UINT indexSize, UINT position) {
  return LoadPixel(indices + static_cast<size_t>(position) * indexSize, indexSize);
}

// Every index of the draw reaches a vertex in first .. first + count - 1.
bool IndicesInRange(const BYTE* indices, UINT indexSize, UINT indexCount, UINT first, UINT count) {
  for (UINT i = 0; i < indexCount; ++i) {
    const UINT index = ReadIndex(indices, indexSize, i);
    if (index < first || index - first >= count) return false;
  }
  return true;
}

std::vector<BYTE> CopyBytes(const BYTE* from, size_t count) {
  return std::vector<BYTE>(from, from + count);
}

// Whether [offset, offset + count * size) fits in length bytes, without overflow.
bool Fits(uint64_t offset, uint64_t count, uint64_t size, uint64_t length) {
  return offset + count * size <= length;
}

// The part of a rectangle inside the viewport and a surface of width x height.
std::optional<D3DRECT> ClipToViewport(const D3DRECT& rect, const D3DVIEWPORT8& viewport, UINT width,
                                      UINT height) {
  const LONG left = std::max({rect.x1, static_cast<LONG>(viewport.X), LONG{0}});
  const LONG top = std::max({rect.y1, static_cast<LONG>(viewport.Y), LONG{0}});
  const LONG right =
      std::min({rect.x2, static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(width)});
  const LONG bottom = std::min(
      {rect.y2, static_cast<LONG>(viewport.Y + viewport.Height), static_cast<LONG>(height)});
  if (left >= right || top >= bottom) return std::nullopt;
  return D3DRECT{left, top, right, bottom};
}

}  // namespace

Device::Device(Direct3D* parent, const D3DDEVICE_CREATION_PARAMETERS& creation,
               const D3DPRESENT_PARAMETERS& params, std::unique_ptr<Renderer> renderer)
    : parent_(parent),
      creation_(creation),
      params_(params),
      renderer_(std::move(renderer)),
      recording_(renderer_ == nullptr) {
  MakeImplicitSurfaces(params_, &backBuffer_, &autoDepth_);
  ResetState();
  parent_->AddRef();  // last: a constructor that throws must leave the parent as it was
}

Device::~Device() { parent_->Release(); }

HRESULT Device::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DDevice8>(iid, object, this, {&IID_IUnknown, &IID_IDirect3DDevice8});
}

ULONG Device::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- Device life
// ----------------------------------------------------------------------------------

HRESULT Device::LossResult() const {
  switch (loss_) {
    case DeviceLoss::None:
      return D3D_OK;
    case DeviceLoss::Lost:
      return D3DERR_DEVICELOST;
    case DeviceLoss::NotReset:
      return D3DERR_DEVICENOTRESET;
  }
  return D3D_OK;
}

HRESULT Device::TestCooperativeLevel() { return LossResult(); }

UINT Device::UsedMemory(bool defaultPoolOnly) const {
  UINT used = 0;
  for (const DeviceHold* hold : live_)
    if (!defaultPoolOnly || hold->Pool() == D3DPOOL_DEFAULT) used += hold->MemoryBytes();
  return used;
}

UINT Device::GetAvailableTextureMem() {
  const UINT used = UsedMemory();
  return used >= Config().textureMemory ? 0 : Config().textureMemory - used;
}

HRESULT Device::ResourceManagerDiscardBytes(DWORD) { return D3D_OK; }

HRESULT Device::GetDirect3D(IDirect3D8** direct3d) {
  return HandOut<IDirect3D8>(parent_, direct3d);
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  *caps = Config().caps;
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (mode == nullptr) return D3DERR_INVALIDCALL;
  *mode = Config().desktop;
  if (!params_.Windowed) {
    *mode = {params_.BackBufferWidth, params_.BackBufferHeight, params_.FullScreen_RefreshRateInHz,
             params_.BackBufferFormat};
  }
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) {
  if (params == nullptr) return D3DERR_INVALIDCALL;
  *params = creation_;
  return D3D_OK;
}

HRESULT Device::TakeInjectedFailure() {
  const HRESULT failure = injectedFailure_;
  injectedFailure_ = D3D_OK;
  return failure;
}

HRESULT Device::CheckMemory(D3DPOOL pool, UINT bytes) const {
  if (pool != D3DPOOL_DEFAULT) return D3D_OK;
  // Managed resources keep their copy in system memory: the runtime evicts them from texture
  // memory to make room, so only what the default pool holds can refuse a creation.
  const UINT used = UsedMemory(true);
  return used > Config().textureMemory || bytes > Config().textureMemory - used
             ? D3DERR_OUTOFVIDEOMEMORY
             : D3D_OK;
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params,
                                          IDirect3DSwapChain8** swapChain) {
  if (swapChain == nullptr) return D3DERR_INVALIDCALL;
  *swapChain = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  if (const HRESULT invalid = parent_->CompleteParameters(params); FAILED(invalid)) return invalid;
  const UINT bytes =
      SurfaceSize(params->BackBufferFormat, params->BackBufferWidth, params->BackBufferHeight);
  if (const HRESULT full = CheckMemory(D3DPOOL_DEFAULT, bytes); FAILED(full)) return full;
  return Allocating([&] { *swapChain = new SwapChain(this, *params, bytes); });
}

void Device::MakeImplicitSurfaces(const D3DPRESENT_PARAMETERS& params, SurfacePtr* backBuffer,
                                  SurfacePtr* autoDepth) {
  *backBuffer = std::make_unique<Surface>(
      this,
      SurfaceLayout{params.BackBufferFormat, params.BackBufferWidth, params.BackBufferHeight,
                    D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT},
      SurfaceOwnership::Implicit, nullptr);
  autoDepth->reset();
  if (params.EnableAutoDepthStencil) {
    *autoDepth = std::make_unique<Surface>(
        this,
        SurfaceLayout{params.AutoDepthStencilFormat, params.BackBufferWidth,
                      params.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT},
        SurfaceOwnership::Implicit, nullptr);
  }
}

void Device::ResetState() {
  for (auto& texture : textures_) texture.Set(nullptr, false);
  for (auto& stream : streams_) stream.Set(nullptr, false);
  streamStrides_.fill(0);
  indices_.Set(nullptr, false);
  baseVertexIndex_ = 0;
  renderTarget_.Set(backBuffer_.get(), false);
  depthStencil_.Set(autoDepth_.get(), false);
  state_ = DefaultFixedFunctionState(params_, creation_.BehaviorFlags, params_.BackBufferWidth,
                                     params_.BackBufferHeight);
  shaderConstants_.assign(ConstantCount(), vs::Vec4{});
  inScene_ = false;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
  if (loss_ == DeviceLoss::Lost) return D3DERR_DEVICELOST;
  if (const HRESULT invalid = parent_->CompleteParameters(params); FAILED(invalid)) return invalid;
  // The device lets go of what it has bound; what the caller still holds decides.
  renderTarget_.Set(nullptr, false);
  depthStencil_.Set(nullptr, false);
  for (auto& texture : textures_) texture.Set(nullptr, false);
  for (auto& stream : streams_) stream.Set(nullptr, false);
  indices_.Set(nullptr, false);
  const bool defaultPoolAlive = std::any_of(
      live_.begin(), live_.end(), [](const DeviceHold* h) { return h->Pool() == D3DPOOL_DEFAULT; });
  const bool implicitHeld =
      backBuffer_->ImplicitReferences() > 0 || (autoDepth_ && autoDepth_->ImplicitReferences() > 0);
  if (defaultPoolAlive || implicitHeld) {
    loss_ = DeviceLoss::NotReset;
    return D3DERR_INVALIDCALL;
  }
  SurfacePtr backBuffer;
  SurfacePtr autoDepth;
  if (const HRESULT full =
          Allocating([&] { MakeImplicitSurfaces(*params, &backBuffer, &autoDepth); });
      FAILED(full)) {
    loss_ = DeviceLoss::NotReset;
    return full;
  }
  params_ = *params;
  backBuffer_ = std::move(backBuffer);
  autoDepth_ = std::move(autoDepth);
  ResetState();
  loss_ = DeviceLoss::None;
  return D3D_OK;
}

HRESULT Device::ShowInWindow(HWND window, Surface& backBuffer) {
  if (const HRESULT lost = LossResult(); FAILED(lost)) return lost;
  const SurfaceLayout& layout = backBuffer.Layout();
  if (renderer_) {
    // Showing the image shades fragments of its own, apart from any pass of the frame.
    BeginPass("present");
    if (const HRESULT failed =
            renderer_->Present(window, backBuffer, straightGamma_ ? nullptr : &gamma_);
        FAILED(failed)) {
      return failed;
    }
    stale_.insert(window);
    ++presentCount_;
    return D3D_OK;
  }
  PresentedImage image{layout.width, layout.height, {}};
  image.pixels.reserve(static_cast<size_t>(layout.width) * layout.height);
  for (UINT y = 0; y < layout.height; ++y) {
    for (UINT x = 0; x < layout.width; ++x)
      image.pixels.push_back(ThroughGammaRamp(backBuffer.ReadColor(x, y), gamma_));
  }
  presented_[window] = std::move(image);
  ++presentCount_;
  return D3D_OK;
}

void Device::SetGammaRamp(DWORD, const D3DGAMMARAMP* ramp) {
  if (ramp == nullptr) return;
  gamma_ = *ramp;
  const D3DGAMMARAMP straight = StraightGammaRamp();
  straightGamma_ = std::memcmp(&gamma_, &straight, sizeof straight) == 0;
}

void Device::GetGammaRamp(D3DGAMMARAMP* ramp) {
  if (ramp != nullptr) *ramp = gamma_;
}

HWND Device::PresentWindow() const {
  return params_.hDeviceWindow != nullptr ? params_.hDeviceWindow : creation_.hFocusWindow;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND overrideWindow, const void*) {
  return ShowInWindow(overrideWindow != nullptr ? overrideWindow : PresentWindow(), *backBuffer_);
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** backBuffer) {
  if (index != 0) return D3DERR_INVALIDCALL;
  return HandOut<IDirect3DSurface8>(backBuffer_.get(), backBuffer);
}

void Device::RefreshPresented() const {
  for (HWND window : stale_) renderer_->ReadPresented(window, &presented_[window]);
  stale_.clear();
}

const PresentedImage* Device::Presented(HWND window) const {
  RefreshPresented();
  const auto found = presented_.find(window);
  return found == presented_.end() ? nullptr : &found->second;
}

bool Device::ReadDepthStencil(IDirect3DSurface8* surface, std::vector<float>* depth,
                              std::vector<BYTE>* stencil) const {
  const Surface* own = OwnSurface(surface);
  if (own == nullptr || !own->IsDepth()) return false;
  if (depth != nullptr) *depth = own->Depth();
  if (stencil != nullptr) *stencil = own->Stencil();
  return true;
}

// ---- Resources
// ------------------------------------------------------------------------------------

HRESULT Device::CheckTextureSize(UINT width, UINT height) const {
  const D3DCAPS8& caps = Config().caps;
  if (width == 0 || height == 0 || width > std::min(caps.MaxTextureWidth, kMaxSurfaceEdge) ||
      height > std::min(caps.MaxTextureHeight, kMaxSurfaceEdge)) {
    return D3DERR_INVALIDCALL;
  }
  const bool powersOfTwo = (width & (width - 1)) == 0 && (height & (height - 1)) == 0;
  if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
      !(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && !powersOfTwo) {
    return D3DERR_INVALIDCALL;
  }
  if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture8** texture) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  if (const HRESULT badSize = CheckTextureSize(width, height); FAILED(badSize)) return badSize;
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  if (renderTarget ? !IsListed(Config().renderTargetFormats, format) || pool != D3DPOOL_DEFAULT
                   : !IsListed(Config().textureFormats, format)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT fullChain = FullMipCount(width, height);
  if (levels > fullChain) return D3DERR_INVALIDCALL;
  if (levels == 0) levels = fullChain;
  UINT bytes = 0;
  for (UINT level = 0; level < levels; ++level) {
    bytes += SurfaceSize(format, MipDimension(width, level), MipDimension(height, level));
  }
  if (const HRESULT full = CheckMemory(pool, bytes); FAILED(full)) return full;
  return Allocating([&] {
    *texture = new Texture(this, {format, width, height, usage, pool}, levels,
                           pool == D3DPOOL_SYSTEMMEM ? 0 : bytes);
  });
}

HRESULT Device::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture) {
  if (cubeTexture == nullptr) return D3DERR_INVALIDCALL;
  *cubeTexture = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  const D3DCAPS8& caps = Config().caps;
  if (!(caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) return D3DERR_INVALIDCALL;
  const bool powerOfTwo = (edgeLength & (edgeLength - 1)) == 0;
  if (edgeLength == 0 || edgeLength > std::min(caps.MaxTextureWidth, kMaxSurfaceEdge) ||
      ((caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) && !powerOfTwo)) {
    return D3DERR_INVALIDCALL;
  }
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  if (renderTarget ? !IsListed(Config().renderTargetFormats, format) || pool != D3DPOOL_DEFAULT
                   : !IsListed(Config().textureFormats, format)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT fullChain = FullMipCount(edgeLength, edgeLength);
  if (levels > fullChain) return D3DERR_INVALIDCALL;
  if (levels == 0) levels = fullChain;
  UINT bytes = 0;
  for (UINT level = 0; level < levels; ++level) {
    const UINT edge = MipDimension(edgeLength, level);
    bytes += kCubeFaceCount * SurfaceSize(format, edge, edge);
  }
  if (const HRESULT full = CheckMemory(pool, bytes); FAILED(full)) return full;
  return Allocating([&] {
    *cubeTexture = new CubeTexture(this, {format, edgeLength, edgeLength, usage, pool}, levels,
                                   pool == D3DPOOL_SYSTEMMEM ? 0 : bytes);
  });
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  if (length == 0 || (fvf != 0 && length < FvfVertexSize(fvf))) return D3DERR_INVALIDCALL;
  if (const HRESULT full = CheckMemory(pool, length); FAILED(full)) return full;
  return Allocating([&] { *buffer = new VertexBuffer(this, length, usage, fvf, pool); });
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  if (length == 0 || IndexSize(format) == 0) return D3DERR_INVALIDCALL;
  if (const HRESULT full = CheckMemory(pool, length); FAILED(full)) return full;
  return Allocating([&] { *buffer = new IndexBuffer(this, length, usage, format, pool); });
}

HRESULT Device::CreateStandaloneSurface(const SurfaceLayout& layout, IDirect3DSurface8** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (const HRESULT failure = TakeInjectedFailure(); FAILED(failure)) return failure;
  if (layout.width == 0 || layout.height == 0 || layout.width > kMaxSurfaceEdge ||
      layout.height > kMaxSurfaceEdge || BitsPerPixel(layout.format) == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (const HRESULT full =
          CheckMemory(layout.pool, SurfaceSize(layout.format, layout.width, layout.height));
      FAILED(full)) {
    return full;
  }
  return Allocating(
      [&] { *surface = new Surface(this, layout, SurfaceOwnership::Standalone, nullptr); });
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE,
                                   BOOL, IDirect3DSurface8** surface) {
  if (!IsListed(Config().renderTargetFormats, format)) return D3DERR_INVALIDCALL;
  return CreateStandaloneSurface({format, width, height, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT},
                                 surface);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE, IDirect3DSurface8** surface) {
  if (!IsListed(Config().depthFormats, format)) return D3DERR_INVALIDCALL;
  return CreateStandaloneSurface({format, width, height, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT},
                                 surface);
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                   IDirect3DSurface8** surface) {
  if (IsDepthFormat(format)) return D3DERR_INVALIDCALL;
  return CreateStandaloneSurface({format, width, height, 0, D3DPOOL_SYSTEMMEM}, surface);
}

Surface* Device::OwnSurface(IDirect3DSurface8* surface) const {
  auto* own = dynamic_cast<Surface*>(surface);
  return own != nullptr && own->Owner() == this ? own : nullptr;
}

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount,
                          IDirect3DSurface8* destination, const POINT* destPoints) {
  Surface* from = OwnSurface(source);
  Surface* to = OwnSurface(destination);
  if (from == nullptr || to == nullptr || from == to) return D3DERR_INVALIDCALL;
  const D3DFORMAT format = from->Layout().format;
  if (format != to->Layout().format || from->IsDepth() || from->IsLocked() || to->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  BeforeMemoryAccess(*from);
  BeforeMemoryAccess(*to);
  to->Slot().Touch();
  const RECT whole = {0, 0, static_cast<LONG>(from->Layout().width),
                      static_cast<LONG>(from->Layout().height)};
  const UINT count = sourceRects == nullptr ? 1 : rectCount;
  // Check every rectangle before copying any, so a refused copy changes nothing.
  for (int pass = 0; pass < 2; ++pass) {
    for (UINT i = 0; i < count; ++i) {
      const RECT rect = sourceRects == nullptr ? whole : sourceRects[i];
      const POINT at = destPoints == nullptr ? POINT{rect.left, rect.top} : destPoints[i];
      const RECT target = {at.x, at.y, at.x + (rect.right - rect.left),
                           at.y + (rect.bottom - rect.top)};
      if (pass == 0) {
        if (!from->Holds(rect) || !to->Holds(target)) return D3DERR_INVALIDCALL;
        continue;
      }
      const UINT width = static_cast<UINT>(rect.right - rect.left);
      const UINT rows = RowCount(format, static_cast<UINT>(rect.bottom - rect.top));
      const UINT rowBytes = RowPitch(format, width);
      const BYTE* in = from->Bits() + from->ByteOffset(rect.left, rect.top);
      BYTE* out = to->Bits() + to->ByteOffset(target.left, target.top);
      for (UINT row = 0; row < rows; ++row) {
        std::memcpy(out + static_cast<size_t>(row) * to->Pitch(),
                    in + static_cast<size_t>(row) * from->Pitch(), rowBytes);
      }
    }
  }
  return D3D_OK;
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* destination) {
  Surface* to = OwnSurface(destination);
  if (to == nullptr || to->Layout().format != D3DFMT_A8R8G8B8 || to->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  D3DDISPLAYMODE screen{};
  GetDisplayMode(&screen);
  if (to->Layout().width != screen.Width || to->Layout().height != screen.Height) {
    return D3DERR_INVALIDCALL;
  }
  constexpr D3DCOLOR kDesktopColor = 0xFF000000u;  // opaque black where no window shows
  constexpr UINT kBytes = 4;
  RefreshPresented();
  BeforeMemoryAccess(*to);
  to->Slot().Touch();
  for (UINT y = 0; y < screen.Height; ++y) {
    for (UINT x = 0; x < screen.Width; ++x) {
      StorePixel(to->Bits() + to->ByteOffset(x, y), kBytes, kDesktopColor);
    }
  }
  for (const auto& [window, image] : presented_) {
    if (!params_.Windowed && window != PresentWindow()) continue;
    const auto origin = windowOrigins_.find(window);
    const POINT at =
        params_.Windowed && origin != windowOrigins_.end() ? origin->second : POINT{0, 0};
    for (UINT y = 0; y < image.height; ++y) {
      for (UINT x = 0; x < image.width; ++x) {
        const int64_t screenX = at.x + static_cast<int64_t>(x);
        const int64_t screenY = at.y + static_cast<int64_t>(y);
        if (screenX < 0 || screenY < 0 || screenX >= screen.Width || screenY >= screen.Height) {
          continue;
        }
        StorePixel(
            to->Bits() + to->ByteOffset(static_cast<UINT>(screenX), static_cast<UINT>(screenY)),
            kBytes, image.pixels[static_cast<size_t>(y) * image.width + x]);
      }
    }
  }
  return D3D_OK;
}

// ---- Targets and scenes
// ---------------------------------------------------------------------------

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) {
  Surface* target = OwnSurface(renderTarget);
  Surface* depth = OwnSurface(depthStencil);
  if ((renderTarget != nullptr && target == nullptr) ||
      (depthStencil != nullptr && depth == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  if (target != nullptr && !(target->Layout().usage & D3DUSAGE_RENDERTARGET)) {
    return D3DERR_INVALIDCALL;
  }
  if (depth != nullptr) {
    if (!depth->IsDepth()) return D3DERR_INVALIDCALL;
    if (target != nullptr && (depth->Layout().width < target->Layout().width ||
                              depth->Layout().height < target->Layout().height)) {
      return D3DERR_INVALIDCALL;
    }
  }
  renderTarget_.Set(renderTarget, true);
  depthStencil_.Set(depthStencil, true);
  if (target != nullptr) {
    state_.viewport = {0, 0, target->Layout().width, target->Layout().height, 0.0f, 1.0f};
  }
  // A scissor set for one target does not follow the drawing into another.
  state_.scissor = {};
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** renderTarget) {
  if (renderTarget != nullptr && renderTarget_.Get() == nullptr) return D3DERR_NOTFOUND;
  return HandOut(renderTarget_.Get(), renderTarget);
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** depthStencil) {
  if (depthStencil != nullptr && depthStencil_.Get() == nullptr) return D3DERR_NOTFOUND;
  return HandOut(depthStencil_.Get(), depthStencil);
}

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  if (const HRESULT lost = LossResult(); FAILED(lost)) return lost;
  if (rectCount > 0 && rects == nullptr) return D3DERR_INVALIDCALL;
  Surface* target = OwnSurface(renderTarget_.Get());
  Surface* depth = OwnSurface(depthStencil_.Get());
  const bool clearTarget = (flags & D3DCLEAR_TARGET) != 0;
  const bool clearDepth = (flags & D3DCLEAR_ZBUFFER) != 0;
  const bool clearStencil = (flags & D3DCLEAR_STENCIL) != 0;
  if ((clearTarget && target == nullptr) || (clearDepth && depth == nullptr) ||
      (clearStencil && (depth == nullptr || !HasStencil(depth->Layout().format)))) {
    return D3DERR_INVALIDCALL;
  }
  if (clearDepth && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
  std::optional<uint32_t> packed;
  if (clearTarget) {
    packed = PackColor(target->Layout().format, color);
    if (!packed) return D3DERR_INVALIDCALL;
  }
  const D3DRECT everything = {0, 0, INT32_MAX, INT32_MAX};
  const UINT areas = rectCount == 0 ? 1 : rectCount;
  if (renderer_) {
    const Surface* frame = target != nullptr ? target : depth;
    if (frame == nullptr) return D3D_OK;
    std::vector<D3DRECT> clipped;
    for (UINT i = 0; i < areas; ++i) {
      if (const auto area = ClipToViewport(rectCount == 0 ? everything : rects[i], state_.viewport,
                                           frame->Layout().width, frame->Layout().height)) {
        clipped.push_back(*area);
      }
    }
    return renderer_->Clear(target, depth, clipped, flags, color, z, stencil);
  }
  for (UINT i = 0; i < areas; ++i) {
    const D3DRECT& rect = rectCount == 0 ? everything : rects[i];
    if (clearTarget) {
      const UINT bytes = BitsPerPixel(target->Layout().format) / 8;
      if (const auto area = ClipToViewport(rect, state_.viewport, target->Layout().width,
                                           target->Layout().height)) {
        for (LONG y = area->y1; y < area->y2; ++y) {
          for (LONG x = area->x1; x < area->x2; ++x) {
            StorePixel(target->Bits() + target->ByteOffset(x, y), bytes, *packed);
          }
        }
      }
    }
    if (clearDepth || clearStencil) {
      const UINT width = depth->Layout().width;
      if (const auto area = ClipToViewport(rect, state_.viewport, width, depth->Layout().height)) {
        for (LONG y = area->y1; y < area->y2; ++y) {
          for (LONG x = area->x1; x < area->x2; ++x) {
            const size_t at = static_cast<size_t>(y) * width + static_cast<size_t>(x);
            if (clearDepth) depth->Depth()[at] = z;
            if (clearStencil) depth->Stencil()[at] = static_cast<BYTE>(stencil);
          }
        }
      }
    }
  }
  return D3D_OK;
}

// ---- Fixed-function state
// -------------------------------------------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (matrix == nullptr || !IsValidTransform(state)) return D3DERR_INVALIDCALL;
  state_.transforms[state] = *matrix;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (matrix == nullptr || !IsValidTransform(state)) return D3DERR_INVALIDCALL;
  *matrix = state_.Transform(state);
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  if (!(viewport->MinZ >= 0.0f && viewport->MaxZ <= 1.0f && viewport->MinZ <= viewport->MaxZ)) {
    return D3DERR_INVALIDCALL;
  }
  if (const Surface* target = OwnSurface(renderTarget_.Get())) {
    const uint64_t right = uint64_t{viewport->X} + viewport->Width;
    const uint64_t bottom = uint64_t{viewport->Y} + viewport->Height;
    if (right > target->Layout().width || bottom > target->Layout().height) {
      return D3DERR_INVALIDCALL;
    }
  }
  state_.viewport = *viewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  state_.material = *material;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  *material = state_.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  if (light == nullptr || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  const D3DVECTOR& d = light->Direction;
  if (light->Type != D3DLIGHT_POINT && d.x == 0.0f && d.y == 0.0f && d.z == 0.0f) {
    return D3DERR_INVALIDCALL;
  }
  auto [slot, added] = state_.lights.try_emplace(index, LightSlot{*light, false});
  if (!added) slot->second.light = *light;
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
  const auto found = state_.lights.find(index);
  if (light == nullptr || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *light = found->second.light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  auto [slot, added] = state_.lights.try_emplace(index, LightSlot{DefaultLight(), false});
  slot->second.enabled = enable != 0;
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enabled) {
  const auto found = state_.lights.find(index);
  if (enabled == nullptr || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *enabled = found->second.enabled ? 1 : 0;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= kRenderStateCount) return D3DERR_INVALIDCALL;
  state_.renderStates[state] = value;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (value == nullptr || state >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *value = state_.renderStates[state];
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
  if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  return HandOut(textures_[stage].Get(), texture);
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  if (texture != nullptr) {
    const auto* flat = dynamic_cast<Texture*>(texture);
    const auto* cube = dynamic_cast<CubeTexture*>(texture);
    const Device* owner = flat != nullptr   ? flat->OwnerDevice()
                          : cube != nullptr ? cube->OwnerDevice()
                                            : nullptr;
    if (owner != this) return D3DERR_INVALIDCALL;
  }
  textures_[stage].Set(texture, true);
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (value == nullptr || stage >= kMaxTextureStages || type >= kTextureStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.stageStates[stage][type];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kMaxTextureStages || type >= kTextureStageStateCount) return D3DERR_INVALIDCALL;
  state_.stageStates[stage][type] = value;
  return D3D_OK;
}

// ---- Vertex shaders
// -------------------------------------------------------------------------------

const VertexShader* Device::FindShader(DWORD handle) const {
  const auto found = shaders_.find(handle);
  return found == shaders_.end() ? nullptr : found->second.get();
}

UINT Device::ConstantCount() const {
  return std::clamp<UINT>(Config().caps.MaxVertexShaderConst, kSoftwareShaderConstants,
                          kMaxShaderConstants);
}

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                   DWORD usage) {
  if (declaration == nullptr || function == nullptr || handle == nullptr ||
      (usage & ~D3DUSAGE_SOFTWAREPROCESSING) != 0) {
    return D3DERR_INVALIDCALL;
  }
  const bool software = (usage & D3DUSAGE_SOFTWAREPROCESSING) != 0 ||
                        (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
  if (!software && (Config().caps.VertexShaderVersion & kShaderVersionBits) <
                       (vs::kVersion11 & kShaderVersionBits)) {
    return D3DERR_INVALIDCALL;
  }
  vs::Program program;
  if (const HRESULT bad = vs::Decode({declaration, vs::kMaxTokens}, {function, vs::kMaxTokens},
                                     ConstantCount(), &program);
      FAILED(bad)) {
    return bad;
  }
  while (shaders_.count(nextShaderHandle_) != 0) nextShaderHandle_ += 2;
  return Allocating([&] {
    shaders_[nextShaderHandle_] =
        std::make_unique<VertexShader>(VertexShader{std::move(program), {}});
    *handle = nextShaderHandle_;
    nextShaderHandle_ += 2;  // stays odd: bit 0 marks a shader handle
  });
}

HRESULT Device::DeleteVertexShader(DWORD handle) {
  return shaders_.erase(handle) == 1 ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) {
  if (data == nullptr || uint64_t{reg} + count > shaderConstants_.size()) {
    return D3DERR_INVALIDCALL;
  }
  std::memcpy(shaderConstants_.data() + reg, data, sizeof(vs::Vec4) * count);
  return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* data, DWORD count) {
  if (data == nullptr || uint64_t{reg} + count > shaderConstants_.size()) {
    return D3DERR_INVALIDCALL;
  }
  std::memcpy(data, shaderConstants_.data() + reg, sizeof(vs::Vec4) * count);
  return D3D_OK;
}

// ---- Drawing
// --------------------------------------------------------------------------------------

HRESULT Device::SetVertexShader(DWORD handle) {
  if (IsShaderHandle(handle)) {
    const VertexShader* shader = FindShader(handle);
    if (shader == nullptr) return D3DERR_INVALIDCALL;
    for (const vs::DeclaredConstant& constant : shader->program.constants) {
      shaderConstants_[constant.index] = constant.value;
    }
  }
  state_.vertexShader = handle;
  return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
  if (handle == nullptr) return D3DERR_INVALIDCALL;
  *handle = state_.vertexShader;
  return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle) {
  state_.pixelShader = handle;
  return D3D_OK;
}

HRESULT Device::GetPixelShader(DWORD* handle) {
  if (handle == nullptr) return D3DERR_INVALIDCALL;
  *handle = state_.pixelShader;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  if (stream >= std::min<UINT>(kMaxStreams, Config().caps.MaxStreams)) return D3DERR_INVALIDCALL;
  if (buffer != nullptr) {
    const auto* own = dynamic_cast<VertexBuffer*>(buffer);
    if (own == nullptr || own->OwnerDevice() != this) return D3DERR_INVALIDCALL;
  }
  streams_[stream].Set(buffer, true);
  streamStrides_[stream] = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
  if (stream >= kMaxStreams || stride == nullptr) return D3DERR_INVALIDCALL;
  *stride = streamStrides_[stream];
  return HandOut(streams_[stream].Get(), buffer);
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
  if (buffer != nullptr) {
    const auto* own = dynamic_cast<IndexBuffer*>(buffer);
    if (own == nullptr || own->OwnerDevice() != this) return D3DERR_INVALIDCALL;
  }
  indices_.Set(buffer, true);
  baseVertexIndex_ = baseVertexIndex;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) {
  if (baseVertexIndex == nullptr) return D3DERR_INVALIDCALL;
  *baseVertexIndex = baseVertexIndex_;
  return HandOut(indices_.Get(), buffer);
}

HRESULT Device::PrepareDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, DrawSubmission* draw,
                            std::array<UINT, kMaxStreams>* needs) const {
  if (!inScene_ || !IsValidPrimitive(type) || primitiveCount == 0 ||
      primitiveCount > Config().caps.MaxPrimitiveCount) {
    return D3DERR_INVALIDCALL;
  }
  draw->primitive = type;
  draw->primitiveCount = primitiveCount;
  draw->vertexCount = PrimitiveVertexCount(type, primitiveCount);
  needs->fill(0);
  if (IsShaderHandle(state_.vertexShader)) {
    draw->shader = FindShader(state_.vertexShader);
    if (draw->shader == nullptr) return D3DERR_INVALIDCALL;
    draw->constants = &shaderConstants_;
    *needs = draw->shader->program.streamBytes;
    return D3D_OK;
  }
  // Tweening moves between two positions, and a flexible vertex format holds only one.
  if (state_.renderStates[D3DRS_VERTEXBLEND] == D3DVBF_TWEENING) return D3DERR_INVALIDCALL;
  (*needs)[0] = FvfVertexSize(state_.vertexShader);
  return (*needs)[0] == 0 ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::BindStreams(const std::array<UINT, kMaxStreams>& needs,
                            DrawSubmission* draw) const {
  const uint64_t first = uint64_t{draw->baseVertex} + draw->firstVertex;
  for (UINT stream = 0; stream < kMaxStreams; ++stream) {
    if (needs[stream] == 0) continue;
    const auto* buffer = dynamic_cast<VertexBuffer*>(streams_[stream].Get());
    const UINT stride = streamStrides_[stream];
    if (buffer == nullptr || buffer->IsLocked() || stride < needs[stream] ||
        !Fits(first * stride, draw->vertexCount, stride, buffer->Bytes().size())) {
      return D3DERR_INVALIDCALL;
    }
    draw->streams[stream] = {buffer, nullptr, stride};
  }
  return D3D_OK;
}

HRESULT Device::UserStream(const std::array<UINT, kMaxStreams>& needs, const void* vertexData,
                           UINT stride, DrawSubmission* draw) {
  const bool otherStreams =
      std::any_of(needs.begin() + 1, needs.end(), [](UINT need) { return need != 0; });
  if (vertexData == nullptr || otherStreams || stride < needs[0]) return D3DERR_INVALIDCALL;
  draw->streams[0] = {nullptr, static_cast<const BYTE*>(vertexData), stride};
  return D3D_OK;
}

DrawRecord Device::StartRecord(DrawCall call, const DrawSubmission& draw) const {
  DrawRecord record{};
  record.call = call;
  record.primitive = draw.primitive;
  record.primitiveCount = draw.primitiveCount;
  record.fvf = state_.vertexShader;
  record.stride = draw.streams[0].stride;
  record.vertexCount = draw.vertexCount;
  for (UINT stage = 0; stage < kMaxTextureStages; ++stage) {
    record.textures[stage] = textures_[stage].Get();
  }
  record.renderTarget = renderTarget_.Get();
  record.state = state_;
  record.stateDigest = Digest(state_);
  const std::array<vs::StreamView, kMaxStreams> views = ViewsOf(draw);
  if (views[0].data != nullptr) {
    const size_t stride = views[0].stride;
    record.vertices =
        CopyBytes(views[0].data + draw.firstVertex * stride, draw.vertexCount * stride);
  }
  if (draw.shader != nullptr) {
    const vs::Program& program = draw.shader->program;
    record.shaded.reserve(draw.vertexCount);
    for (UINT v = draw.firstVertex; v < draw.firstVertex + draw.vertexCount; ++v) {
      record.shaded.push_back(
          vs::Execute(program, vs::FetchInputs(program, views, v), shaderConstants_));
    }
  }
  return record;
}

void Device::Keep(DrawRecord record) { draws_.push_back(std::move(record)); }

void Device::SetStatistics(bool on) {
  statistics_ = on;
  passes_.clear();
  pass_ = 0;
  if (renderer_) renderer_->TakeFragmentCounts();
  if (on) BeginPass("frame");
}

void Device::BeginPass(const std::string& name) {
  if (!statistics_) return;
  const auto found = std::ranges::find(passes_, name, &PassStatistics::name);
  pass_ = static_cast<size_t>(found - passes_.begin());
  if (found == passes_.end()) passes_.push_back({name, 0, 0});
  if (renderer_) renderer_->CountFragments(static_cast<int>(pass_));
}

std::vector<PassStatistics> Device::TakeStatistics() {
  if (!statistics_) return {};
  if (renderer_) {
    const std::vector<uint64_t> counts = renderer_->TakeFragmentCounts();
    for (size_t k = 0; k < counts.size() && k < passes_.size(); ++k)
      passes_[k].fragments += counts[k];
  }
  std::vector<PassStatistics> taken = std::move(passes_);
  // Counting goes on in the pass that was counting, now first of the next take.
  passes_ = {{taken[pass_].name, 0, 0}};
  pass_ = 0;
  if (renderer_) renderer_->CountFragments(0);
  std::erase_if(taken,
                [](const PassStatistics& pass) { return pass.draws == 0 && pass.fragments == 0; });
  return taken;
}

HRESULT Device::Render(DrawSubmission draw) {
  if (statistics_) ++passes_[pass_].draws;
  if (!renderer_) return D3D_OK;
  draw.state = &state_;
  for (UINT stage = 0; stage < kMaxTextureStages; ++stage) {
    draw.textures[stage] = textures_[stage].Get();
  }
  draw.target = OwnSurface(renderTarget_.Get());
  draw.depth = OwnSurface(depthStencil_.Get());
  return renderer_->Draw(draw);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  DrawSubmission draw;
  std::array<UINT, kMaxStreams> needs{};
  if (const HRESULT invalid = PrepareDraw(type, primitiveCount, &draw, &needs); FAILED(invalid)) {
    return invalid;
  }
  draw.firstVertex = startVertex;
  if (const HRESULT invalid = BindStreams(needs, &draw); FAILED(invalid)) return invalid;
  if (recording_) {
    DrawRecord record = StartRecord(DrawCall::Primitive, draw);
    record.startVertex = startVertex;
    record.streamSource = streams_[0].Get();
    Keep(std::move(record));
  }
  return Render(draw);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                     UINT startIndex, UINT primitiveCount) {
  DrawSubmission draw;
  std::array<UINT, kMaxStreams> needs{};
  if (const HRESULT invalid = PrepareDraw(type, primitiveCount, &draw, &needs); FAILED(invalid)) {
    return invalid;
  }
  const auto* indices = dynamic_cast<IndexBuffer*>(indices_.Get());
  if (indices == nullptr || indices->IsLocked() || vertexCount == 0) return D3DERR_INVALIDCALL;
  const UINT indexSize = IndexSize(indices->Format());
  const UINT indexCount = draw.vertexCount;
  draw.baseVertex = baseVertexIndex_;
  draw.firstVertex = minIndex;
  draw.vertexCount = vertexCount;
  draw.indexSize = indexSize;
  draw.indexBuffer = indices;
  draw.startIndex = startIndex;
  if (const HRESULT invalid = BindStreams(needs, &draw); FAILED(invalid)) return invalid;
  const std::vector<BYTE>& indexBytes = indices->Bytes();
  if (!Fits(uint64_t{startIndex} * indexSize, indexCount, indexSize, indexBytes.size())) {
    return D3DERR_INVALIDCALL;
  }
  const BYTE* firstIndex = indexBytes.data() + static_cast<size_t>(startIndex) * indexSize;
  if (!IndicesInRange(firstIndex, indexSize, indexCount, minIndex, vertexCount)) {
    return D3DERR_INVALIDCALL;
  }
  if (recording_) {
    DrawRecord record = StartRecord(DrawCall::IndexedPrimitive, draw);
    record.minIndex = minIndex;
    record.startIndex = startIndex;
    record.baseVertexIndex = baseVertexIndex_;
    record.indexFormat = indices->Format();
    record.streamSource = streams_[0].Get();
    record.indexBuffer = indices_.Get();
    record.indices = CopyBytes(firstIndex, static_cast<size_t>(indexCount) * indexSize);
    Keep(std::move(record));
  }
  return Render(draw);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                UINT stride) {
  DrawSubmission draw;
  std::array<UINT, kMaxStreams> needs{};
  if (const HRESULT invalid = PrepareDraw(type, primitiveCount, &draw, &needs); FAILED(invalid)) {
    return invalid;
  }
  if (const HRESULT invalid = UserStream(needs, vertexData, stride, &draw); FAILED(invalid)) {
    return invalid;
  }
  if (recording_) Keep(StartRecord(DrawCall::PrimitiveUP, draw));
  const HRESULT drawn = Render(draw);
  streams_[0].Set(nullptr, false);
  streamStrides_[0] = 0;
  return drawn;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                       UINT primitiveCount, const void* indexData,
                                       D3DFORMAT indexFormat, const void* vertexData, UINT stride) {
  DrawSubmission draw;
  std::array<UINT, kMaxStreams> needs{};
  if (const HRESULT invalid = PrepareDraw(type, primitiveCount, &draw, &needs); FAILED(invalid)) {
    return invalid;
  }
  if (const HRESULT invalid = UserStream(needs, vertexData, stride, &draw); FAILED(invalid)) {
    return invalid;
  }
  const UINT indexSize = IndexSize(indexFormat);
  if (indexData == nullptr || indexSize == 0 || vertexCount == 0) return D3DERR_INVALIDCALL;
  const UINT indexCount = draw.vertexCount;
  const auto* indices = static_cast<const BYTE*>(indexData);
  if (!IndicesInRange(indices, indexSize, indexCount, minVertexIndex, vertexCount)) {
    return D3DERR_INVALIDCALL;
  }
  draw.firstVertex = minVertexIndex;
  draw.vertexCount = vertexCount;
  draw.indexSize = indexSize;
  draw.indexData = indices;
  if (recording_) {
    DrawRecord record = StartRecord(DrawCall::IndexedPrimitiveUP, draw);
    record.minIndex = minVertexIndex;
    record.indexFormat = indexFormat;
    record.indices = CopyBytes(indices, static_cast<size_t>(indexCount) * indexSize);
    Keep(std::move(record));
  }
  const HRESULT drawn = Render(draw);
  streams_[0].Set(nullptr, false);
  streamStrides_[0] = 0;
  indices_.Set(nullptr, false);
  baseVertexIndex_ = 0;
  return drawn;
}

}  // namespace d3d::core
