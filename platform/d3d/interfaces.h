// The device layer's object interfaces: the creation object, the device, swap chains, surfaces,
// textures, cube textures, vertex and index buffers.
//
// These objects cross the library's exported C interface in both directions, so they are
// COM-shaped: each is an abstract class whose vtable comes first, with QueryInterface, AddRef and
// Release as its first three operations. Release returns the references left; the library logs it.
//
// Reference rules every implementation keeps (the library's release order depends on them):
// - A created object starts with one reference, owned by the caller.
// - Every object a device created holds one reference on that device while it lives, so the
//   device's own Release reports how many of its objects are still alive.
// - Binding an object (SetTexture, SetStreamSource, SetIndices, SetRenderTarget) adds a reference
//   that the device drops when the binding changes; the device's initial render target and depth
//   surface are bound without one.
// - A surface that belongs to a container (a texture level, a cube face, a swap chain's back
//   buffer) shares its container's reference count.
// - The device's own back buffer and automatic depth surface live as long as the device; a
//   reference obtained on them counts on the device like any other object's.
//
// Implementations: the headless device (platform/d3d/headless.h); a real device implements the same
// interfaces (platform/d3d/com_object.h has the helpers for the rules above) and installs its
// creation object with SetDirect3DCreator.
#pragma once

#include "platform/d3d/types.h"

namespace d3d {

class IDirect3D8;
class IDirect3DDevice8;
class IDirect3DSwapChain8;
class IDirect3DSurface8;
class IDirect3DBaseTexture8;
class IDirect3DTexture8;
class IDirect3DCubeTexture8;
class IDirect3DVertexBuffer8;
class IDirect3DIndexBuffer8;

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// The device identifier the library asks for when it adopts a caller's device.
inline constexpr IID IID_IDirect3DDevice8 = {
    0x7385E5DF, 0x8FE8, 0x41D5, {0x86, 0xB6, 0xD7, 0xB4, 0x85, 0x47, 0xB6, 0xCF}};
inline constexpr IID IID_IDirect3D8 = {
    0x5969866B, 0xA1FC, 0x4273, {0xA5, 0x19, 0x63, 0x65, 0x0E, 0xB7, 0x6B, 0x51}};
inline constexpr IID IID_IDirect3DSwapChain8 = {
    0xF1B8E843, 0xEAF8, 0x481A, {0xA2, 0x58, 0x96, 0x32, 0x80, 0x4C, 0xC9, 0x3A}};
inline constexpr IID IID_IDirect3DResource8 = {
    0x3E345F45, 0x3C34, 0x4BF6, {0x95, 0xCD, 0x7D, 0x92, 0x55, 0x8C, 0x37, 0x50}};
inline constexpr IID IID_IDirect3DBaseTexture8 = {
    0x93E51110, 0x49B8, 0x4D80, {0x80, 0xDD, 0xCF, 0xA1, 0x0B, 0x93, 0xE8, 0x6A}};
inline constexpr IID IID_IDirect3DTexture8 = {
    0xB6DA3990, 0x29E1, 0x4ED3, {0x93, 0x62, 0xB6, 0x8F, 0x19, 0x19, 0x91, 0x3B}};
inline constexpr IID IID_IDirect3DCubeTexture8 = {
    0xA00B5648, 0x8EA9, 0x45E7, {0xB2, 0xA1, 0x91, 0xA1, 0xCE, 0x40, 0x28, 0x1D}};
inline constexpr IID IID_IDirect3DVertexBuffer8 = {
    0xFEB33F0B, 0x1257, 0x4E1F, {0x94, 0xD8, 0x08, 0x58, 0x75, 0xD6, 0x03, 0x2E}};
inline constexpr IID IID_IDirect3DIndexBuffer8 = {
    0x20386FDE, 0xB9E4, 0x43DF, {0x9C, 0xA6, 0x28, 0x2E, 0xA8, 0x21, 0x19, 0xB8}};
inline constexpr IID IID_IDirect3DSurface8 = {
    0xDC180976, 0xB36E, 0x4EDC, {0x84, 0x44, 0x00, 0x15, 0x07, 0x94, 0x72, 0xC8}};

// Objects are destroyed only through Release, never through a pointer to an interface.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// The creation object: adapters, their modes and formats, and devices.
class IDirect3D8 : public IUnknown {
 public:
  virtual UINT GetAdapterCount() = 0;
  // flags are ignored; the identifier's texts are cut to fit with their zero byte.
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                       D3DADAPTER_IDENTIFIER8* identifier) = 0;
  // The adapter's full-screen modes, sorted by width, height, format and refresh rate.
  virtual UINT GetAdapterModeCount(UINT adapter) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
  // The desktop's mode.
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
  // D3D_OK when a resource of the type and usage can have the format, D3DERR_NOTAVAILABLE if not.
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    DWORD usage, D3DRESOURCETYPE resourceType,
                                    D3DFORMAT checkFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
  // A windowed device with an unknown back-buffer format takes the desktop's format.
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) = 0;

 protected:
  ~IDirect3D8() = default;
};

class IDirect3DDevice8 : public IUnknown {
 public:
  // ---- Device life ----
  // D3D_OK, D3DERR_DEVICELOST (not yet resettable) or D3DERR_DEVICENOTRESET (Reset now).
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;  // bytes
  virtual HRESULT ResourceManagerDiscardBytes(DWORD bytes) = 0;
  virtual HRESULT GetDirect3D(IDirect3D8** direct3d) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
  virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) = 0;
  virtual HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params,
                                            IDirect3DSwapChain8** swapChain) = 0;
  // Drops the device's own bindings first, then fails with D3DERR_INVALIDCALL (and stays to be
  // reset) while any default-pool resource, additional swap chain or reference to the back buffer
  // or automatic depth surface is alive. On success every state returns to its default.
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
  // Shows the back buffer in the device window, or in overrideWindow when it is not null.
  virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                          const void* dirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface8** backBuffer) = 0;
  // The ramp the presents go through on their way to the window (straight at the start); the
  // back buffer and what GetFrontBuffer reads stay as drawn. flags are ignored.
  virtual void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) = 0;
  virtual void GetGammaRamp(D3DGAMMARAMP* ramp) = 0;

  // ---- Resources ----
  // levels 0 makes the full chain down to 1 x 1.
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture8** texture) = 0;
  virtual HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture) = 0;
  // fvf 0 makes a buffer of no fixed vertex format.
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** buffer) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer8** buffer) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                     D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                     IDirect3DSurface8** surface) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DMULTISAMPLE_TYPE multiSample,
                                            IDirect3DSurface8** surface) = 0;
  // A lockable surface in system memory.
  virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                     IDirect3DSurface8** surface) = 0;
  // Same-format copy. Without rectangles the whole source goes to the destination's origin;
  // without points each rectangle keeps its position.
  virtual HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount,
                            IDirect3DSurface8* destination, const POINT* destPoints) = 0;
  // Copies what the screen shows into an A8R8G8B8 surface of the screen's size: the desktop when
  // windowed, the presented back buffer in full screen.
  virtual HRESULT GetFrontBuffer(IDirect3DSurface8* destination) = 0;

  // ---- Targets and scenes ----
  // A null target or depth surface unbinds it. Binding a target resets the viewport to cover it.
  virtual HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget,
                                  IDirect3DSurface8* depthStencil) = 0;
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) = 0;
  // Draws happen between BeginScene and EndScene; scenes do not nest.
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  // Clears the viewport's part of the render target, depth and stencil (clipped to the
  // rectangles when rectCount > 0). Asking for a buffer the target lacks is D3DERR_INVALIDCALL.
  virtual HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD stencil) = 0;

  // ---- Fixed-function state ----
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
  // Any index; enabling a light never set gives it the default white directional light.
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
  virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT GetLightEnable(DWORD index, BOOL* enabled) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD* value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;

  // ---- Vertex shaders ----
  // Makes a shader from a declaration and a vs 1.1 program (platform/d3d/shader_tokens.h gives
  // their token layout), each read up to its end token. usage is 0, or D3DUSAGE_SOFTWAREPROCESSING
  // for a shader run in software; usage 0 needs VertexShaderVersion 1.1 in the caps unless the
  // device was created for software vertex processing. A malformed token stream is
  // D3DERR_INVALIDCALL. Handles have bit 0 set, which no flexible vertex format has, and are never
  // 0; they are not reused while the device lives. A shader lives until DeleteVertexShader or the
  // end of its device; a Reset keeps it.
  virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                     DWORD usage) = 0;
  // Deleting the current shader leaves a handle that no draw accepts until another is set.
  virtual HRESULT DeleteVertexShader(DWORD handle) = 0;
  // count four-float constants from register on; they outlive shader changes (not a Reset).
  virtual HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) = 0;
  virtual HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) = 0;

  // ---- Drawing ----
  // A shader handle from CreateVertexShader (bit 0 set), or a flexible vertex format (D3DFVF_
  // bits) for the fixed-function pipeline. Setting a shader loads its declaration's constants.
  virtual HRESULT SetVertexShader(DWORD handle) = 0;
  virtual HRESULT GetVertexShader(DWORD* handle) = 0;
  // 0: the fixed-function texture stages.
  virtual HRESULT SetPixelShader(DWORD handle) = 0;
  virtual HRESULT GetPixelShader(DWORD* handle) = 0;
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
  virtual HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) = 0;
  // baseVertexIndex is added to every index read from the buffer.
  virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) = 0;
  virtual HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
  // Indices start at startIndex; the vertices they reach (after baseVertexIndex) lie in
  // minIndex .. minIndex + vertexCount - 1.
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                       UINT startIndex, UINT primitiveCount) = 0;
  // Draws from the caller's memory; unbinds stream 0 (and, for the indexed form, the indices).
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                  const void* vertexData, UINT stride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                         UINT vertexCount, UINT primitiveCount,
                                         const void* indexData, D3DFORMAT indexFormat,
                                         const void* vertexData, UINT stride) = 0;

 protected:
  ~IDirect3DDevice8() = default;
};

class IDirect3DSwapChain8 : public IUnknown {
 public:
  virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                          const void* dirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface8** backBuffer) = 0;

 protected:
  ~IDirect3DSwapChain8() = default;
};

class IDirect3DResource8 : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource8() = default;
};

class IDirect3DBaseTexture8 : public IDirect3DResource8 {
 public:
  virtual DWORD GetLevelCount() = 0;

 protected:
  ~IDirect3DBaseTexture8() = default;
};

class IDirect3DTexture8 : public IDirect3DBaseTexture8 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;

 protected:
  ~IDirect3DTexture8() = default;
};

class IDirect3DCubeTexture8 : public IDirect3DBaseTexture8 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                    IDirect3DSurface8** surface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked,
                           const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;

 protected:
  ~IDirect3DCubeTexture8() = default;
};

class IDirect3DVertexBuffer8 : public IDirect3DResource8 {
 public:
  // size 0 locks from offset to the end. D3DLOCK_DISCARD on a dynamic buffer may hand out fresh
  // memory whose contents are undefined.
  virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DVertexBuffer8() = default;
};

class IDirect3DIndexBuffer8 : public IDirect3DResource8 {
 public:
  virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DIndexBuffer8() = default;
};

class IDirect3DSurface8 : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  // The texture, cube texture, swap chain or device the surface belongs to, as asked by iid.
  virtual HRESULT GetContainer(const IID& iid, void** container) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  // Depth surfaces cannot be locked. A rectangle must lie inside the surface (on 4 x 4 block
  // boundaries for block-compressed formats); null locks the whole surface. D3DLOCK_DISCARD on the
  // whole surface promises that every byte is written: a surface never used before is then not
  // cleared.
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface8() = default;
};

// The creation object of the device that is current for this process: the headless device
// unless a real device has installed its own creation function. sdkVersion must be
// D3D_SDK_VERSION; any other gives null.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);

using Direct3DCreator = IDirect3D8* (*)();
// Installs the creation function Direct3DCreate8 uses; null restores the headless device.
void SetDirect3DCreator(Direct3DCreator creator);

}  // namespace d3d
