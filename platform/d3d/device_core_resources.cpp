// The device core's resources: surfaces with real memory, textures and cube textures made of
// surfaces, vertex and index buffers, and swap chains.
#include "platform/d3d/device_core.h"
#include "platform/d3d/format.h"

#include <algorithm>

namespace d3d::core {
namespace {

constexpr UINT kBlockEdge = 4;         // pixels per side of a compressed block
constexpr BYTE kDiscardedByte = 0xCD;  // fills memory handed out by a discarding lock

}  // namespace

// ---- DeviceHold
// -----------------------------------------------------------------------------------

DeviceHold::DeviceHold(Device* device, D3DPOOL pool, UINT memoryBytes)
    : device_(device), pool_(pool), memoryBytes_(memoryBytes) {
  device_->AddRef();
  device_->Track(this);
}

DeviceHold::~DeviceHold() {
  device_->Untrack(this);
  device_->Release();
}

HRESULT GetOwnerDevice(Device* device, IDirect3DDevice8** out) {
  return HandOut<IDirect3DDevice8>(device, out);
}

// ---- Surface
// --------------------------------------------------------------------------------------

Surface::Surface(Device* device, const SurfaceLayout& layout, SurfaceOwnership ownership,
                 IUnknown* container)
    : device_(device),
      layout_(layout),
      ownership_(ownership),
      container_(container),
      references_(ownership == SurfaceOwnership::Standalone ? 1 : 0) {
  if (ownership == SurfaceOwnership::Standalone) {
    hold_.emplace(device, layout.pool,
                  layout.pool == D3DPOOL_SYSTEMMEM
                      ? 0
                      : SurfaceSize(layout.format, layout.width, layout.height));
  }
  if (IsDepth()) {
    depth_.assign(static_cast<size_t>(layout.width) * layout.height, 1.0f);
    if (HasStencil(layout.format)) stencil_.assign(depth_.size(), 0);
  } else {
    bitsBytes_ = SurfaceSize(layout.format, layout.width, layout.height);
    bits_ = std::make_unique_for_overwrite<BYTE[]>(bitsBytes_);
  }
}

HRESULT Surface::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DSurface8>(iid, object, this, {&IID_IUnknown, &IID_IDirect3DSurface8});
}

ULONG Surface::AddRef() {
  switch (ownership_) {
    case SurfaceOwnership::Contained:
      return container_->AddRef();
    case SurfaceOwnership::Implicit:
      if (references_++ == 0) device_->AddRef();
      return references_;
    case SurfaceOwnership::Standalone:
      break;
  }
  return ++references_;
}

ULONG Surface::Release() {
  switch (ownership_) {
    case SurfaceOwnership::Contained:
      return container_->Release();
    case SurfaceOwnership::Implicit: {
      if (references_ == 0) return 0;
      const ULONG left = --references_;
      if (left == 0) device_->Release();  // may destroy the device, and with it this surface
      return left;
    }
    case SurfaceOwnership::Standalone:
      break;
  }
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device) { return GetOwnerDevice(device_, device); }

HRESULT Surface::GetContainer(const IID& iid, void** container) {
  if (container == nullptr) return D3DERR_INVALIDCALL;
  IUnknown* owner = container_ != nullptr ? container_ : static_cast<IDirect3DDevice8*>(device_);
  return owner->QueryInterface(iid, container);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {layout_.format,
           D3DRTYPE_SURFACE,
           layout_.usage,
           layout_.pool,
           IsDepth() ? 0 : SurfaceSize(layout_.format, layout_.width, layout_.height),
           D3DMULTISAMPLE_NONE,
           layout_.width,
           layout_.height};
  return D3D_OK;
}

bool Surface::IsDepth() const { return IsDepthFormat(layout_.format); }

UINT Surface::Pitch() const { return RowPitch(layout_.format, layout_.width); }

bool Surface::Holds(const RECT& rect) const {
  if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom) {
    return false;
  }
  if (static_cast<UINT>(rect.right) > layout_.width ||
      static_cast<UINT>(rect.bottom) > layout_.height) {
    return false;
  }
  if (!IsBlockCompressed(layout_.format)) return true;
  const auto onBlock = [](LONG value, UINT limit) {
    return value % kBlockEdge == 0 || static_cast<UINT>(value) == limit;
  };
  return onBlock(rect.left, layout_.width) && onBlock(rect.top, layout_.height) &&
         onBlock(rect.right, layout_.width) && onBlock(rect.bottom, layout_.height);
}

size_t Surface::ByteOffset(UINT x, UINT y) const {
  if (IsBlockCompressed(layout_.format)) {
    return static_cast<size_t>(y / kBlockEdge) * Pitch() +
           x / kBlockEdge * RowPitch(layout_.format, kBlockEdge);
  }
  return static_cast<size_t>(y) * Pitch() + x * (BitsPerPixel(layout_.format) / 8);
}

BYTE* Surface::ClearedBits() const {
  if (!cleared_) std::fill_n(bits_.get(), bitsBytes_, BYTE{0});
  cleared_ = true;
  return bits_.get();
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (locked == nullptr || locked_ || IsDepth()) return D3DERR_INVALIDCALL;
  const RECT whole = {0, 0, static_cast<LONG>(layout_.width), static_cast<LONG>(layout_.height)};
  const RECT area = rect != nullptr ? *rect : whole;
  if (!Holds(area)) return D3DERR_INVALIDCALL;
  device_->BeforeMemoryAccess(*this);
  // The locker that discards the whole surface writes every byte of it.
  if ((flags & D3DLOCK_DISCARD) != 0 && rect == nullptr) cleared_ = true;
  locked->Pitch = static_cast<INT>(Pitch());
  locked->pBits =
      ClearedBits() + ByteOffset(static_cast<UINT>(area.left), static_cast<UINT>(area.top));
  locked_ = true;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  slot_.Touch();
  return D3D_OK;
}

D3DCOLOR Surface::ReadColor(UINT x, UINT y) const {
  constexpr D3DCOLOR kOpaqueBlack = 0xFF000000u;
  const UINT bytes = BitsPerPixel(layout_.format) / 8;
  if (IsDepth() || IsBlockCompressed(layout_.format) || bytes == 0) return kOpaqueBlack;
  const uint32_t packed = LoadPixel(ClearedBits() + ByteOffset(x, y), bytes);
  return UnpackColor(layout_.format, packed).value_or(kOpaqueBlack);
}

// ---- Textures
// -------------------------------------------------------------------------------------

Texture::Texture(Device* device, const SurfaceLayout& top, UINT levels, UINT memoryBytes)
    : ResourceObject(device, top.pool, memoryBytes) {
  for (UINT level = 0; level < levels; ++level) {
    SurfaceLayout layout = top;
    layout.width = MipDimension(top.width, level);
    layout.height = MipDimension(top.height, level);
    levels_.push_back(std::make_unique<Surface>(device, layout, SurfaceOwnership::Contained, this));
    levels_.back()->Place(0, level);
  }
}

HRESULT Texture::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DTexture8>(
      iid, object, this,
      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8, &IID_IDirect3DTexture8});
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (surface == nullptr || level >= levels_.size()) return D3DERR_INVALIDCALL;
  levels_[level]->AddRef();
  *surface = levels_[level].get();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[level]->UnlockRect();
}

CubeTexture::CubeTexture(Device* device, const SurfaceLayout& top, UINT levels, UINT memoryBytes)
    : ResourceObject(device, top.pool, memoryBytes), levelCount_(levels) {
  for (UINT face = 0; face < kCubeFaceCount; ++face) {
    for (UINT level = 0; level < levels; ++level) {
      SurfaceLayout layout = top;
      layout.width = MipDimension(top.width, level);
      layout.height = layout.width;
      surfaces_.push_back(
          std::make_unique<Surface>(device, layout, SurfaceOwnership::Contained, this));
      surfaces_.back()->Place(face, level);
    }
  }
}

HRESULT CubeTexture::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DCubeTexture8>(
      iid, object, this,
      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8,
       &IID_IDirect3DCubeTexture8});
}

Surface* CubeTexture::Find(D3DCUBEMAP_FACES face, UINT level) const {
  if (face >= kCubeFaceCount || level >= levelCount_) return nullptr;
  return surfaces_[face * levelCount_ + level].get();
}

HRESULT CubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Surface* surface = Find(D3DCUBEMAP_FACE_POSITIVE_X, level);
  return surface == nullptr ? D3DERR_INVALIDCALL : surface->GetDesc(desc);
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                       IDirect3DSurface8** surface) {
  Surface* found = Find(face, level);
  if (surface == nullptr || found == nullptr) return D3DERR_INVALIDCALL;
  found->AddRef();
  *surface = found;
  return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked,
                              const RECT* rect, DWORD flags) {
  Surface* found = Find(face, level);
  return found == nullptr ? D3DERR_INVALIDCALL : found->LockRect(locked, rect, flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  Surface* found = Find(face, level);
  return found == nullptr ? D3DERR_INVALIDCALL : found->UnlockRect();
}

// ---- Buffers
// --------------------------------------------------------------------------------------

template <class Interface>
HRESULT BufferObject<Interface>::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
  if (data == nullptr || offset > bytes_.size()) return D3DERR_INVALIDCALL;
  const UINT length = static_cast<UINT>(bytes_.size());
  if (size == 0) size = length - offset;
  if (size > length - offset) return D3DERR_INVALIDCALL;
  // A discarding lock renames the buffer on a real device; poisoning the fresh memory makes a
  // caller that expects the old contents fail visibly.
  if ((flags & D3DLOCK_DISCARD) && (usage_ & D3DUSAGE_DYNAMIC) && lockCount_ == 0) {
    std::fill(bytes_.begin(), bytes_.end(), kDiscardedByte);
  }
  ++lockCount_;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

template <class Interface>
HRESULT BufferObject<Interface>::Unlock() {
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  --lockCount_;
  slot_.Touch();
  return D3D_OK;
}

template class BufferObject<IDirect3DVertexBuffer8>;
template class BufferObject<IDirect3DIndexBuffer8>;

HRESULT VertexBuffer::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DVertexBuffer8>(
      iid, object, this, {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DVertexBuffer8});
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_VERTEXDATA,
           D3DRTYPE_VERTEXBUFFER,
           usage_,
           pool_,
           static_cast<UINT>(bytes_.size()),
           fvf_};
  return D3D_OK;
}

HRESULT IndexBuffer::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DIndexBuffer8>(
      iid, object, this, {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DIndexBuffer8});
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, static_cast<UINT>(bytes_.size())};
  return D3D_OK;
}

// ---- Swap chains
// ----------------------------------------------------------------------------------

SwapChain::SwapChain(Device* device, const D3DPRESENT_PARAMETERS& params, UINT memoryBytes)
    : CountedObject(device, D3DPOOL_DEFAULT, memoryBytes),
      params_(params),
      backBuffer_(std::make_unique<Surface>(
          device,
          SurfaceLayout{params.BackBufferFormat, params.BackBufferWidth, params.BackBufferHeight,
                        D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT},
          SurfaceOwnership::Contained, this)) {}

HRESULT SwapChain::QueryInterface(const IID& iid, void** object) {
  return AnswerQuery<IDirect3DSwapChain8>(iid, object, this,
                                          {&IID_IUnknown, &IID_IDirect3DSwapChain8});
}

HRESULT SwapChain::Present(const RECT*, const RECT*, HWND overrideWindow, const void*) {
  return OwnerDevice()->ShowInWindow(
      overrideWindow != nullptr ? overrideWindow : params_.hDeviceWindow, *backBuffer_);
}

HRESULT SwapChain::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** backBuffer) {
  if (backBuffer == nullptr || index != 0) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *backBuffer = backBuffer_.get();
  return D3D_OK;
}

}  // namespace d3d::core
