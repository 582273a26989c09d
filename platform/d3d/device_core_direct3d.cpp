// The device core's creation object, the headless device's default capabilities and creation, and
// the process-wide creation function.
#include "platform/d3d/device_core.h"
#include "platform/d3d/format.h"

#include <algorithm>
#include <string>
#include <tuple>

namespace d3d {
namespace {

Direct3DCreator installedCreator = nullptr;

constexpr UINT kMaxBackBuffers = 3;

}  // namespace

D3DCAPS8 HeadlessDefaultCaps() {
  D3DCAPS8 caps{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_CUBEMAP |
                     D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP |
                     D3DPTEXTURECAPS_CUBEMAP_POW2;
  caps.StencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
  caps.TextureOpCaps = D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_BUMPENVMAP | D3DTEXOPCAPS_DOTPRODUCT3;
  caps.MaxTextureWidth = 2048;
  caps.MaxTextureHeight = 2048;
  caps.MaxTextureBlendStages = 4;
  caps.MaxSimultaneousTextures = 4;
  caps.MaxActiveLights = 8;
  caps.MaxVertexBlendMatrices = 4;
  caps.MaxPrimitiveCount = 0xFFFFF;
  caps.MaxVertexIndex = 0xFFFFFF;
  caps.MaxStreams = 16;
  caps.MaxStreamStride = 255;
  caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
  caps.MaxVertexShaderConst = 96;
  return caps;
}

std::vector<HeadlessAdapter> HeadlessDefaultAdapters() {
  HeadlessAdapter adapter{"Headless Display Adapter", {}};
  for (UINT width : {640u, 800u, 1024u})
    adapter.modes.push_back({width, width * 3 / 4, 60, D3DFMT_X8R8G8B8});
  return {adapter};
}

IDirect3D8* CreateHeadlessDirect3D(const HeadlessConfig& config) {
  return new core::Direct3D(config);
}

HeadlessControl* Headless(IDirect3DDevice8* device) { return dynamic_cast<core::Device*>(device); }

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  return installedCreator != nullptr ? installedCreator() : CreateHeadlessDirect3D();
}

void SetDirect3DCreator(Direct3DCreator creator) { installedCreator = creator; }

namespace core {

HRESULT Direct3D::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3D8>(iid, object, this, {&IID_IUnknown, &IID_IDirect3D8});
}

ULONG Direct3D::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

Direct3D::Direct3D(const HeadlessConfig& config, RendererFactory renderers)
    : config_(config), renderers_(std::move(renderers)) {
  // The launcher lists a mode only when it differs from the one before, so the order matters.
  for (HeadlessAdapter& adapter : config_.adapters) {
    std::sort(adapter.modes.begin(), adapter.modes.end(),
              [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
                return std::tie(a.Width, a.Height, a.Format, a.RefreshRate) <
                       std::tie(b.Width, b.Height, b.Format, b.RefreshRate);
              });
  }
}

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) {
  if (adapter >= GetAdapterCount() || identifier == nullptr) return D3DERR_INVALIDCALL;
  *identifier = {};
  const std::string& description = config_.adapters[adapter].description;
  description.copy(identifier->Description, kAdapterTextBytes - 1);
  return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter) {
  return adapter < GetAdapterCount() ? static_cast<UINT>(config_.adapters[adapter].modes.size())
                                     : 0;
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
  if (mode >= GetAdapterModeCount(adapter) || displayMode == nullptr) return D3DERR_INVALIDCALL;
  *displayMode = config_.adapters[adapter].modes[mode];
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter != D3DADAPTER_DEFAULT || mode == nullptr) return D3DERR_INVALIDCALL;
  *mode = config_.desktop;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (resourceType == D3DRTYPE_CUBETEXTURE &&
      !(config_.caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) {
    return D3DERR_NOTAVAILABLE;
  }
  bool supported = false;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    supported = IsListed(config_.depthFormats, checkFormat);
  } else if (usage & D3DUSAGE_RENDERTARGET) {
    supported = IsListed(config_.renderTargetFormats, checkFormat);
  } else if (resourceType == D3DRTYPE_VERTEXBUFFER) {
    supported = checkFormat == D3DFMT_VERTEXDATA;
  } else if (resourceType == D3DRTYPE_INDEXBUFFER) {
    supported = checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32;
  } else {
    supported = IsListed(config_.textureFormats, checkFormat);
  }
  return supported ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS8* caps) {
  if (adapter != D3DADAPTER_DEFAULT || caps == nullptr) return D3DERR_INVALIDCALL;
  *caps = config_.caps;
  return D3D_OK;
}

HRESULT Direct3D::CompleteParameters(D3DPRESENT_PARAMETERS* params) const {
  if (params == nullptr) return D3DERR_INVALIDCALL;
  if (params->Windowed && params->BackBufferFormat == D3DFMT_UNKNOWN) {
    params->BackBufferFormat = config_.desktop.Format;
  }
  if (params->BackBufferCount == 0) params->BackBufferCount = 1;
  if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0 ||
      params->BackBufferWidth > core::kMaxSurfaceEdge ||
      params->BackBufferHeight > core::kMaxSurfaceEdge ||
      params->BackBufferCount > kMaxBackBuffers ||
      !IsListed(config_.renderTargetFormats, params->BackBufferFormat)) {
    return D3DERR_INVALIDCALL;
  }
  if (params->EnableAutoDepthStencil &&
      !IsListed(config_.depthFormats, params->AutoDepthStencilFormat)) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (FAILED(config_.createDeviceResult)) return config_.createDeviceResult;
  // Exactly one way of processing vertices must be chosen.
  const DWORD processing =
      behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                       D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing == 0 || (processing & (processing - 1)) != 0) return D3DERR_INVALIDCALL;
  if (const HRESULT invalid = CompleteParameters(params); FAILED(invalid)) return invalid;
  const D3DDEVICE_CREATION_PARAMETERS creation = {adapter, type, focusWindow, behaviorFlags};
  std::unique_ptr<Renderer> renderer;
  if (renderers_) {
    if (const HRESULT failed = renderers_(creation, *params, &renderer); FAILED(failed)) {
      return failed;
    }
  }
  return Allocating([&] { *device = new Device(this, creation, *params, std::move(renderer)); });
}

}  // namespace core
}  // namespace d3d
