// Internal to the device core (the headless device, and the OpenGL device built on it): its
// resource objects and the bookkeeping they share with the device. Callers see only the interfaces,
// platform/d3d/headless.h and platform/d3d/gl.h.
#pragma once

#include "platform/d3d/com_object.h"
#include "platform/d3d/device_renderer.h"
#include "platform/d3d/headless.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace d3d::core {

class Device;

// The largest width or height of any surface, in pixels: it keeps every byte size within 32 bits.
inline constexpr UINT kMaxSurfaceEdge = 16384;

inline bool IsListed(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// The hold a created object keeps on its device: a device reference, and an entry in the device's
// list of live objects (pool and memory, for texture memory and Reset). Declared as an object's
// first member, it is released last, after the object's own storage.
class DeviceHold {
 public:
  DeviceHold(Device* device, D3DPOOL pool, UINT memoryBytes);
  ~DeviceHold();
  DeviceHold(const DeviceHold&) = delete;
  DeviceHold& operator=(const DeviceHold&) = delete;

  Device* Owner() const { return device_; }
  D3DPOOL Pool() const { return pool_; }
  UINT MemoryBytes() const { return memoryBytes_; }

 private:
  Device* device_;
  D3DPOOL pool_;
  UINT memoryBytes_;
};

// How a surface counts its references.
enum class SurfaceOwnership {
  Standalone,  // created on its own: own count, holds the device
  Contained,   // a texture level, cube face or swap-chain back buffer: the container's count
  Implicit,    // the device's back buffer or automatic depth surface: lives with the device
};

struct SurfaceLayout {
  D3DFORMAT format;
  UINT width;
  UINT height;
  DWORD usage;
  D3DPOOL pool;
};

class Surface final : public IDirect3DSurface8 {
 public:
  // container is the object that answers for a contained surface; null otherwise.
  Surface(Device* device, const SurfaceLayout& layout, SurfaceOwnership ownership,
          IUnknown* container);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  HRESULT GetContainer(const IID& iid, void** container) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  Device* Owner() const { return device_; }
  const SurfaceLayout& Layout() const { return layout_; }
  bool IsDepth() const;
  bool IsLocked() const { return locked_; }
  ULONG ImplicitReferences() const { return references_; }
  UINT Pitch() const;
  // Whether a rectangle lies inside the surface (on block boundaries for compressed formats).
  bool Holds(const RECT& rect) const;
  // Where the pixel (or the block holding the pixel) at (x, y) starts in Bits().
  size_t ByteOffset(UINT x, UINT y) const;
  BYTE* Bits() { return ClearedBits(); }
  const BYTE* Bits() const { return ClearedBits(); }
  std::vector<float>& Depth() { return depth_; }
  std::vector<BYTE>& Stencil() { return stencil_; }
  const std::vector<float>& Depth() const { return depth_; }
  const std::vector<BYTE>& Stencil() const { return stencil_; }
  // The pixel at (x, y) as A8R8G8B8; opaque black for formats that do not unpack.
  D3DCOLOR ReadColor(UINT x, UINT y) const;
  // The texture, cube texture or swap chain holding the surface; null for others.
  IUnknown* Container() const { return container_; }
  // Where a contained surface lies in its texture: the mip level and the cube face.
  void Place(UINT face, UINT level) {
    face_ = face;
    level_ = level;
  }
  UINT Face() const { return face_; }
  UINT Level() const { return level_; }
  RendererSlot& Slot() { return slot_; }

 private:
  ~Surface() = default;
  friend struct std::default_delete<Surface>;  // containers and the device own their surfaces

  std::optional<DeviceHold> hold_;
  Device* device_;
  SurfaceLayout layout_;
  SurfaceOwnership ownership_;
  IUnknown* container_;
  ULONG references_;
  bool locked_ = false;
  UINT face_ = 0;
  UINT level_ = 0;
  RendererSlot slot_;
  // Colour memory is cleared when it is first used rather than when it is made, and not at all
  // when a lock that discards covers it whole (a texture loaded from a file): clearing it first
  // would cost the load a second pass over the pixels, and makes the decoders' streaming stores
  // write back every line the clear left in the cache.
  BYTE* ClearedBits() const;
  std::unique_ptr<BYTE[]> bits_;  // colour formats
  size_t bitsBytes_ = 0;
  mutable bool cleared_ = false;
  std::vector<float> depth_;   // depth formats: 0..1 per pixel
  std::vector<BYTE> stencil_;  // depth formats with stencil
};

using SurfacePtr = std::unique_ptr<Surface>;

// Count and deletion of the objects that are created on their own.
template <class Interface>
class CountedObject : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  Device* OwnerDevice() const { return hold_.Owner(); }

 protected:
  CountedObject(Device* device, D3DPOOL pool, UINT memoryBytes)
      : hold_(device, pool, memoryBytes) {}
  virtual ~CountedObject() = default;

 private:
  DeviceHold hold_;
  ULONG references_ = 1;
};

HRESULT GetOwnerDevice(Device* device, IDirect3DDevice8** out);

// A resource: an object a device created that answers for its device.
template <class Interface>
class ResourceObject : public CountedObject<Interface> {
 public:
  HRESULT GetDevice(IDirect3DDevice8** device) override {
    return GetOwnerDevice(this->OwnerDevice(), device);
  }

 protected:
  using CountedObject<Interface>::CountedObject;
};

class Texture final : public ResourceObject<IDirect3DTexture8> {
 public:
  Texture(Device* device, const SurfaceLayout& top, UINT levels, UINT memoryBytes);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  Surface* Level(UINT level) const { return levels_[level].get(); }
  RendererSlot& Slot() { return slot_; }

 private:
  std::vector<SurfacePtr> levels_;
  RendererSlot slot_;
};

class CubeTexture final : public ResourceObject<IDirect3DCubeTexture8> {
 public:
  CubeTexture(Device* device, const SurfaceLayout& top, UINT levels, UINT memoryBytes);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  DWORD GetLevelCount() override { return levelCount_; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                            IDirect3DSurface8** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                   DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;

  // Null for a face or level out of range.
  Surface* Find(D3DCUBEMAP_FACES face, UINT level) const;
  RendererSlot& Slot() { return slot_; }

 private:
  UINT levelCount_;
  std::vector<SurfacePtr> surfaces_;  // face by face, each face's levels in order
  RendererSlot slot_;
};

// What vertex and index buffers share: bytes, locks and the discard rule.
template <class Interface>
class BufferObject : public ResourceObject<Interface> {
 public:
  // size 0 locks from offset to the end.
  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
  HRESULT Unlock() override;

  const std::vector<BYTE>& Bytes() const { return bytes_; }
  bool IsLocked() const { return lockCount_ > 0; }
  const RendererSlot& Slot() const { return slot_; }

 protected:
  BufferObject(Device* device, UINT length, DWORD usage, D3DPOOL pool)
      : ResourceObject<Interface>(device, pool, pool == D3DPOOL_SYSTEMMEM ? 0 : length),
        bytes_(length, 0),
        usage_(usage),
        pool_(pool) {}

  std::vector<BYTE> bytes_;
  DWORD usage_;
  D3DPOOL pool_;
  UINT lockCount_ = 0;
  RendererSlot slot_;
};

class VertexBuffer final : public BufferObject<IDirect3DVertexBuffer8> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : BufferObject(device, length, usage, pool), fvf_(fvf) {}

  HRESULT QueryInterface(const IID& iid, void** object) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

 private:
  DWORD fvf_;
};

class IndexBuffer final : public BufferObject<IDirect3DIndexBuffer8> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : BufferObject(device, length, usage, pool), format_(format) {}

  HRESULT QueryInterface(const IID& iid, void** object) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  D3DFORMAT Format() const { return format_; }

 private:
  D3DFORMAT format_;
};

class SwapChain final : public CountedObject<IDirect3DSwapChain8> {
 public:
  SwapChain(Device* device, const D3DPRESENT_PARAMETERS& params, UINT memoryBytes);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                  const void* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface8** backBuffer) override;

 private:
  D3DPRESENT_PARAMETERS params_;
  SurfacePtr backBuffer_;
};

}  // namespace d3d::core
