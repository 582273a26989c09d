// The D3DX texture functions over a device: size and format rules, creation, loading from image
// files and memory, copies between surfaces, saving, mip filtering and normal maps.
//
// Size rules (CheckTextureRequirements), applied in this order:
// - a width or height of 0 or D3DX_DEFAULT becomes 256 (the loaders pass the file's size instead);
// - on a device whose caps ask for powers of two, each side rounds up to the next power of two;
// - each side is clamped to the device's maximum, and square-only devices take the larger side;
// - a mip count of 0 or D3DX_DEFAULT, or more than the full chain, becomes the full chain (1 when
// the
//   device has no mip maps);
// - a format of D3DFMT_UNKNOWN or D3DX_DEFAULT becomes A8R8G8B8; a format the device refuses
// becomes
//   the first one it accepts of a list that keeps alpha when the format had it (32-bit, then
//   16-bit).
// A file larger than the device allows is therefore scaled down when it is loaded.
//
// Every function returns D3D_OK or an error and leaves nothing half-made: a texture is handed out
// only when it was created and filled.
#pragma once

#include "platform/d3d/interfaces.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/normal_map.h"
#include "platform/d3dx/pixels.h"

namespace d3dx {

using d3d::D3DCOLOR;
using d3d::D3DFORMAT;
using d3d::D3DPOOL;
using d3d::DWORD;
using d3d::HRESULT;
using d3d::IDirect3DBaseTexture8;
using d3d::IDirect3DCubeTexture8;
using d3d::IDirect3DDevice8;
using d3d::IDirect3DSurface8;
using d3d::IDirect3DTexture8;
using d3d::RECT;
using d3d::UINT;

// The data is not an image this layer reads, or is damaged.
inline constexpr HRESULT D3DXERR_INVALIDDATA = d3d::MakeDeviceError(2905);

// ---- Requirements and creation
// Corrects the arguments in place by the rules above; null pointers are left out.
HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                     UINT* mipLevels, DWORD usage, D3DFORMAT* format, D3DPOOL pool);
HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice8* device, UINT* size, UINT* mipLevels,
                                         DWORD usage, D3DFORMAT* format, D3DPOOL pool);
HRESULT D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture);
HRESULT D3DXCreateCubeTexture(IDirect3DDevice8* device, UINT size, UINT mipLevels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture8** texture);

// ---- Loading textures
// width, height and mipLevels of 0 or D3DX_DEFAULT take the file's; format D3DFMT_UNKNOWN takes the
// file's. filter scales level 0 (D3DX_DEFAULT: box), mipFilter builds the lower levels where the
// file has none of the right size (D3DX_DEFAULT: box). Pixels equal to colourKey (0xAARRGGBB, 0 for
// none) become transparent black before filtering. info, when given, receives the file's
// description; palette is accepted for the shape of the call and left untouched.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture);
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size,
                                            UINT width, UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colourKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture);
// A cube texture from a DDS cube map, by the same rules; size 0 or D3DX_DEFAULT takes the file's.
HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data,
                                                UINT dataSize, UINT size, UINT mipLevels,
                                                DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                                                D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                                IDirect3DCubeTexture8** texture);
HRESULT D3DXCreateCubeTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                         PALETTEENTRY* palette, IDirect3DCubeTexture8** texture);
// All defaults: the file's size and format, a full chain, managed pool.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* file,
                                   IDirect3DTexture8** texture);

// ---- Image information
HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info);
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info);

// ---- Surfaces
// Each loads the source rectangle (null: all of it) into the destination rectangle (null: all of
// the surface), converting formats and scaling with the filter; D3DX_FILTER_NONE crops or pads with
// transparent black instead of scaling. Pixels equal to colourKey become transparent black first.
// Palettes serve P8 surfaces.
HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface8* destination,
                                 const PALETTEENTRY* destinationPalette,
                                 const RECT* destinationRect, const char* file,
                                 const RECT* sourceRect, DWORD filter, D3DCOLOR colourKey,
                                 D3DXIMAGE_INFO* info);
HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface8* destination,
                                        const PALETTEENTRY* destinationPalette,
                                        const RECT* destinationRect, const void* data, UINT size,
                                        const RECT* sourceRect, DWORD filter, D3DCOLOR colourKey,
                                        D3DXIMAGE_INFO* info);
// source holds sourceFormat pixels, rows sourcePitch bytes apart; sourceRect is required.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* destination,
                                  const PALETTEENTRY* destinationPalette,
                                  const RECT* destinationRect, const void* source,
                                  D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                                  DWORD filter, D3DCOLOR colourKey);
HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* destination,
                                   const PALETTEENTRY* destinationPalette,
                                   const RECT* destinationRect, IDirect3DSurface8* source,
                                   const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                                   DWORD filter, D3DCOLOR colourKey);

// ---- Saving: BMP (24 bits, or 32 when the format has alpha) and DDS (the surface's own format,
// mip levels and cube faces where it can hold them, else A8R8G8B8). Other file types are refused.
HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DSurface8* surface, const PALETTEENTRY* palette,
                               const RECT* sourceRect);
// BMP holds level 0 (of the +x face for cube textures); DDS holds every level and face.
HRESULT D3DXSaveTextureToFileA(const char* file, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette);

// ---- Mip levels and normal maps
// Rebuilds every level below sourceLevel (D3DX_DEFAULT: 0) of each face from the one above it.
HRESULT D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette,
                          UINT sourceLevel, DWORD filter);
// Fills level 0 of destination with the normal map of level 0 of source (see normal_map.h), scaled
// to the destination's size, and the lower levels by box filtering.
HRESULT D3DXComputeNormalMap(IDirect3DTexture8* destination, IDirect3DTexture8* source,
                             const PALETTEENTRY* sourcePalette, DWORD flags, DWORD channel,
                             float amplitude);

}  // namespace d3dx
