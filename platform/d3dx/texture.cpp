#include "platform/d3dx/texture.h"

#include <algorithm>
#include <bit>
#include <span>

#include "platform/d3d/format.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/dds.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr UINT kDefaultSide = 256;  // pixels, for a size asked as 0 or D3DX_DEFAULT

// Formats tried, in order, when the device refuses the one asked for.
constexpr D3DFORMAT kAlphaFallbacks[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5,
                                         D3DFMT_DXT3};
constexpr D3DFORMAT kOpaqueFallbacks[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,
                                          D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};

bool IsDefault(UINT value) { return value == 0 || value == D3DX_DEFAULT; }

UINT RoundUpToPowerOfTwo(UINT value) { return std::bit_ceil(std::max(value, 1u)); }

// ---- Requirements

HRESULT CorrectFormat(IDirect3DDevice8* device, D3DRESOURCETYPE type, DWORD usage,
                      D3DFORMAT* format) {
  ComPtr<IDirect3D8> direct3d;
  D3DDISPLAYMODE mode{};
  if (FAILED(device->GetDirect3D(direct3d.Out())) || FAILED(device->GetDisplayMode(&mode))) {
    return D3DERR_INVALIDCALL;
  }
  auto supported = [&](D3DFORMAT candidate) {
    return SUCCEEDED(direct3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format,
                                                 usage, type, candidate));
  };
  D3DFORMAT wanted = (*format == D3DFMT_UNKNOWN || *format == static_cast<D3DFORMAT>(D3DX_DEFAULT))
                         ? D3DFMT_A8R8G8B8
                         : *format;
  if (supported(wanted)) {
    *format = wanted;
    return D3D_OK;
  }
  std::span<const D3DFORMAT> fallbacks = HasAlpha(wanted) || wanted == D3DFMT_P8
                                             ? std::span<const D3DFORMAT>(kAlphaFallbacks)
                                             : std::span<const D3DFORMAT>(kOpaqueFallbacks);
  for (D3DFORMAT candidate : fallbacks) {
    if (supported(candidate)) {
      *format = candidate;
      return D3D_OK;
    }
  }
  return D3DERR_NOTAVAILABLE;
}

// Corrects one side: default, power of two, maximum.
UINT CorrectSide(UINT side, bool powerOfTwo, UINT maximum) {
  if (IsDefault(side)) side = kDefaultSide;
  if (powerOfTwo) side = RoundUpToPowerOfTwo(side);
  if (maximum != 0 && side > maximum) side = maximum;
  return side;
}

UINT CorrectLevels(UINT levels, UINT width, UINT height, bool mipMaps) {
  if (!mipMaps) return 1;
  UINT full = FullMipCount(width, height);
  return IsDefault(levels) || levels > full ? full : levels;
}

// ---- Reading and writing surfaces

std::optional<ArgbImage> ReadSurface(IDirect3DSurface8* surface, const PALETTEENTRY* palette) {
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (FAILED(surface->GetDesc(&desc)) ||
      FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    return std::nullopt;
  }
  auto image = ReadPixels({desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                           static_cast<uint8_t*>(locked.pBits)},
                          palette);
  surface->UnlockRect();
  return image;
}

// The rectangle, or the whole of a width x height area; nothing when it does not lie inside.
std::optional<PixelRect> RectWithin(const RECT* rect, UINT width, UINT height) {
  if (rect == nullptr) return PixelRect{0, 0, width, height};
  if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
      static_cast<UINT>(rect->right) > width || static_cast<UINT>(rect->bottom) > height) {
    return std::nullopt;
  }
  return PixelRect{static_cast<uint32_t>(rect->left), static_cast<uint32_t>(rect->top),
                   static_cast<uint32_t>(rect->right), static_cast<uint32_t>(rect->bottom)};
}

// Keys, scales and writes the source rectangle of image into the destination rectangle.
HRESULT LoadIntoSurface(IDirect3DSurface8* destination, const PALETTEENTRY* palette,
                        const RECT* destinationRect, ArgbImage image, const RECT* sourceRect,
                        DWORD filter, D3DCOLOR colourKey) {
  D3DSURFACE_DESC desc{};
  if (destination == nullptr || !IsValidFilter(filter) || FAILED(destination->GetDesc(&desc))) {
    return D3DERR_INVALIDCALL;
  }
  auto source = RectWithin(sourceRect, image.width, image.height);
  auto target = RectWithin(destinationRect, desc.Width, desc.Height);
  if (!source || !target || !IsConvertibleFormat(desc.Format)) return D3DERR_INVALIDCALL;
  ApplyColourKey(image, colourKey);
  bool whole = source->Width() == image.width && source->Height() == image.height &&
               target->Width() == image.width && target->Height() == image.height;
  ArgbImage scaled = whole ? std::move(image)
                           : Resample(image, *source, target->Width(), target->Height(), filter);

  RECT lockRect{static_cast<LONG>(target->left), static_cast<LONG>(target->top),
                static_cast<LONG>(target->right), static_cast<LONG>(target->bottom)};
  D3DLOCKED_RECT locked{};
  HRESULT result = destination->LockRect(&locked, destinationRect ? &lockRect : nullptr, 0);
  if (FAILED(result)) return result;
  bool written =
      WritePixels(scaled,
                  {desc.Format, scaled.width, scaled.height, static_cast<size_t>(locked.Pitch),
                   static_cast<uint8_t*>(locked.pBits)},
                  palette);
  destination->UnlockRect();
  return written ? D3D_OK : D3DERR_INVALIDCALL;
}

// An image file as the loaders take it. DDS files are read whole first, for their levels and
// faces; every other file is decoded only once its surface is made, straight into it where it can.
struct SourceFile {
  D3DXIMAGE_INFO info{};
  std::span<const uint8_t> bytes;
  std::optional<ImageFile> dds;

  uint32_t FaceCount() const { return dds ? dds->FaceCount() : 1; }
};

std::optional<SourceFile> ReadSourceFile(const void* data, UINT size) {
  SourceFile file;
  file.bytes = {static_cast<const uint8_t*>(data), size};
  if (LooksLikeDds(file.bytes)) {
    file.dds = ReadDds(file.bytes);
    if (!file.dds) return std::nullopt;
    file.info = file.dds->info;
    return file;
  }
  auto info = ReadImageInfo(file.bytes);
  if (!info) return std::nullopt;
  file.info = *info;
  return file;
}

// Level 0 of one face, as ARGB.
std::optional<ArgbImage> ReadTopLevel(const SourceFile& file, uint32_t face) {
  if (file.dds) return ReadPixels(file.dds->View(face, 0), nullptr);
  ArgbImage image(file.info.Width, file.info.Height);
  if (!DecodeImageInto(file.bytes, ViewOf(image))) return std::nullopt;
  return image;
}

// Decodes a file that is not DDS into the surface, which has the file's size, and keys it there;
// in A8R8G8B8 the key is the pixels' own value. Every decoder writes the whole surface (or fails,
// and the new texture is dropped), so the lock discards it.
HRESULT DecodeIntoSurface(IDirect3DSurface8* destination, const SourceFile& file,
                          D3DCOLOR colourKey) {
  D3DSURFACE_DESC desc{};
  if (FAILED(destination->GetDesc(&desc)) || !IsConvertibleFormat(desc.Format)) {
    return D3DERR_INVALIDCALL;
  }
  D3DLOCKED_RECT locked{};
  HRESULT result = destination->LockRect(&locked, nullptr, D3DLOCK_DISCARD);
  if (FAILED(result)) return result;
  PixelView view{desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                 static_cast<uint8_t*>(locked.pBits)};
  bool decoded = DecodeImageInto(file.bytes, view);
  for (uint32_t y = 0; decoded && colourKey != 0 && y < view.height; ++y) {
    uint8_t* row = view.bits + y * view.pitch;
    for (uint8_t* pixel = row; pixel != row + size_t{view.width} * sizeof(uint32_t);
         pixel += sizeof(uint32_t)) {
      if (LoadPixel(pixel, sizeof(uint32_t)) == colourKey) StorePixel(pixel, sizeof(uint32_t), 0);
    }
  }
  destination->UnlockRect();
  return decoded ? D3D_OK : D3DXERR_INVALIDDATA;
}

// Copies packed pixels of the surface's own format into it, row by row.
HRESULT CopyPackedIntoSurface(IDirect3DSurface8* destination, const ImageFile& file, uint32_t face,
                              uint32_t level) {
  D3DLOCKED_RECT locked{};
  HRESULT result = destination->LockRect(&locked, nullptr, 0);
  if (FAILED(result)) return result;
  const auto& packed = file.levels[face][level];
  size_t pitch = RowPitch(file.storedFormat, file.LevelWidth(level));
  for (size_t row = 0; row < RowCount(file.storedFormat, file.LevelHeight(level)); ++row) {
    std::copy_n(packed.data() + row * pitch, pitch,
                static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch);
  }
  destination->UnlockRect();
  return D3D_OK;
}

// The surfaces of a texture or cube texture, face by face.
class TextureSurfaces {
 public:
  explicit TextureSurfaces(IDirect3DBaseTexture8* texture) {
    if (texture == nullptr) return;
    texture->QueryInterface(IID_IDirect3DTexture8, reinterpret_cast<void**>(flat_.Out()));
    texture->QueryInterface(IID_IDirect3DCubeTexture8, reinterpret_cast<void**>(cube_.Out()));
    levels_ = texture->GetLevelCount();
  }
  bool Valid() const { return flat_ || cube_; }
  UINT Faces() const { return cube_ ? kCubeFaceCount : (flat_ ? 1 : 0); }
  UINT Levels() const { return levels_; }
  D3DFORMAT Format() {
    D3DSURFACE_DESC desc{};
    if (flat_) flat_->GetLevelDesc(0, &desc);
    if (cube_) cube_->GetLevelDesc(0, &desc);
    return desc.Format;
  }
  ComPtr<IDirect3DSurface8> Surface(UINT face, UINT level) {
    ComPtr<IDirect3DSurface8> surface;
    if (flat_) flat_->GetSurfaceLevel(level, surface.Out());
    if (cube_) cube_->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, surface.Out());
    return surface;
  }

 private:
  ComPtr<IDirect3DTexture8> flat_;
  ComPtr<IDirect3DCubeTexture8> cube_;
  UINT levels_ = 0;
};

// Builds each level below sourceLevel from the one above it and writes it.
HRESULT FilterLevels(TextureSurfaces& surfaces, UINT face, UINT sourceLevel, const ArgbImage& top,
                     const PALETTEENTRY* palette, DWORD filter) {
  if (sourceLevel + 1 >= surfaces.Levels()) return D3D_OK;
  std::vector<ArgbImage> chain = BuildMipChain(top, surfaces.Levels() - sourceLevel, filter);
  for (UINT i = 0; i < chain.size(); ++i) {
    auto surface = surfaces.Surface(face, sourceLevel + 1 + i);
    if (!surface) return D3DERR_INVALIDCALL;
    HRESULT result = LoadIntoSurface(surface.Get(), palette, nullptr, std::move(chain[i]), nullptr,
                                     D3DX_FILTER_POINT, 0);
    if (FAILED(result)) return result;
  }
  return D3D_OK;
}

// Files are named the library's way (backslashes, any case); the win layer finds them here.
std::optional<std::vector<uint8_t>> ReadWholeFile(const char* file) {
  if (file == nullptr) return std::nullopt;
  return win::ReadFileBytes(win::ResolvePath(file), kMaxImageFileBytes);
}

bool WriteWholeFile(const char* file, const std::vector<uint8_t>& bytes) {
  return win::WriteFileBytes(win::ResolvePath(file), bytes);
}

// Fills one face of a new texture from the file.
HRESULT FillFace(TextureSurfaces& surfaces, UINT face, const SourceFile& file, D3DFORMAT format,
                 DWORD filter, DWORD mipFilter, D3DCOLOR colourKey) {
  auto top = surfaces.Surface(face, 0);
  D3DSURFACE_DESC desc{};
  if (!top || FAILED(top->GetDesc(&desc))) return D3DERR_INVALIDCALL;
  bool sameSize = desc.Width == file.info.Width && desc.Height == file.info.Height;
  // Pixels already in the texture's format and size are copied as they are, levels included.
  if (file.dds && sameSize && colourKey == 0 && file.dds->storedFormat == format) {
    UINT copied = std::min(file.dds->LevelCount(), surfaces.Levels());
    for (UINT level = 0; level < copied; ++level) {
      HRESULT result =
          CopyPackedIntoSurface(surfaces.Surface(face, level).Get(), *file.dds, face, level);
      if (FAILED(result)) return result;
    }
    if (copied == surfaces.Levels()) return D3D_OK;
    auto last = ReadPixels(file.dds->View(face, copied - 1), nullptr);
    if (!last) return D3DXERR_INVALIDDATA;
    return FilterLevels(surfaces, face, copied - 1, *last, nullptr, mipFilter);
  }
  HRESULT result = D3D_OK;
  if (!file.dds && sameSize && (colourKey == 0 || format == D3DFMT_A8R8G8B8)) {
    result = DecodeIntoSurface(top.Get(), file, colourKey);
  } else {
    auto image = ReadTopLevel(file, face);
    if (!image) return D3DXERR_INVALIDDATA;
    result =
        LoadIntoSurface(top.Get(), nullptr, nullptr, std::move(*image), nullptr, filter, colourKey);
  }
  if (FAILED(result) || surfaces.Levels() == 1) return result;
  // The lower levels are filtered from level 0 as stored, in the texture's own format.
  auto level0 = ReadSurface(top.Get(), nullptr);
  if (!level0) return D3DERR_INVALIDCALL;
  return FilterLevels(surfaces, face, 0, *level0, nullptr, mipFilter);
}

HRESULT CreateTextureFromImage(IDirect3DDevice8* device, const SourceFile& file, UINT width,
                               UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                               IDirect3DTexture8** texture) {
  if (IsDefault(width)) width = file.info.Width;
  if (IsDefault(height)) height = file.info.Height;
  if (format == D3DFMT_UNKNOWN || format == static_cast<D3DFORMAT>(D3DX_DEFAULT))
    format = file.info.Format;
  HRESULT result =
      D3DXCheckTextureRequirements(device, &width, &height, &mipLevels, usage, &format, pool);
  if (FAILED(result)) return result;
  ComPtr<IDirect3DTexture8> created;
  result = device->CreateTexture(width, height, mipLevels, usage, format, pool, created.Out());
  if (FAILED(result)) return result;
  TextureSurfaces surfaces(created.Get());
  result = FillFace(surfaces, 0, file, format, filter, mipFilter, colourKey);
  if (FAILED(result)) return result;
  *texture = created.Detach();
  return D3D_OK;
}

HRESULT CreateCubeTextureFromImage(IDirect3DDevice8* device, const SourceFile& file, UINT size,
                                   UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                                   IDirect3DCubeTexture8** texture) {
  if (file.FaceCount() != kCubeFaceCount) return D3DXERR_INVALIDDATA;
  if (IsDefault(size)) size = file.info.Width;
  if (format == D3DFMT_UNKNOWN || format == static_cast<D3DFORMAT>(D3DX_DEFAULT))
    format = file.info.Format;
  HRESULT result =
      D3DXCheckCubeTextureRequirements(device, &size, &mipLevels, usage, &format, pool);
  if (FAILED(result)) return result;
  ComPtr<IDirect3DCubeTexture8> created;
  result = device->CreateCubeTexture(size, mipLevels, usage, format, pool, created.Out());
  if (FAILED(result)) return result;
  TextureSurfaces surfaces(created.Get());
  for (UINT face = 0; face < kCubeFaceCount && SUCCEEDED(result); ++face) {
    result = FillFace(surfaces, face, file, format, filter, mipFilter, colourKey);
  }
  if (FAILED(result)) return result;
  *texture = created.Detach();
  return D3D_OK;
}

// Reads the file and makes the texture with make, reporting the file's description on success.
template <typename Make>
HRESULT FromMemory(const void* data, UINT size, DWORD filter, DWORD mipFilter, D3DXIMAGE_INFO* info,
                   Make make) {
  if (data == nullptr || !IsValidFilter(filter) || !IsValidFilter(mipFilter))
    return D3DERR_INVALIDCALL;
  auto file = ReadSourceFile(data, size);
  if (!file) return D3DXERR_INVALIDDATA;
  HRESULT result = make(*file);
  if (SUCCEEDED(result) && info != nullptr) *info = file->info;
  return result;
}

}  // namespace

// ---- Requirements and creation

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                     UINT* mipLevels, DWORD usage, D3DFORMAT* format, D3DPOOL) {
  D3DCAPS8 caps{};
  if (device == nullptr || FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
  bool powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  UINT w = CorrectSide(width ? *width : 0, powerOfTwo, caps.MaxTextureWidth);
  UINT h = CorrectSide(height ? *height : 0, powerOfTwo, caps.MaxTextureHeight);
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
  if (width) *width = w;
  if (height) *height = h;
  if (mipLevels) {
    *mipLevels = CorrectLevels(*mipLevels, w, h, (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0);
  }
  return format ? CorrectFormat(device, D3DRTYPE_TEXTURE, usage, format) : D3D_OK;
}

HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice8* device, UINT* size, UINT* mipLevels,
                                         DWORD usage, D3DFORMAT* format, D3DPOOL) {
  D3DCAPS8 caps{};
  if (device == nullptr || FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
  if (!(caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) return D3DERR_NOTAVAILABLE;
  bool powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) != 0;
  UINT side = CorrectSide(size ? *size : 0, powerOfTwo, caps.MaxTextureWidth);
  if (size) *size = side;
  if (mipLevels) {
    *mipLevels =
        CorrectLevels(*mipLevels, side, side, (caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP) != 0);
  }
  return format ? CorrectFormat(device, D3DRTYPE_CUBETEXTURE, usage, format) : D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  HRESULT result =
      D3DXCheckTextureRequirements(device, &width, &height, &mipLevels, usage, &format, pool);
  if (FAILED(result)) return result;
  return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}

HRESULT D3DXCreateCubeTexture(IDirect3DDevice8* device, UINT size, UINT mipLevels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture8** texture) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  HRESULT result =
      D3DXCheckCubeTextureRequirements(device, &size, &mipLevels, usage, &format, pool);
  if (FAILED(result)) return result;
  return device->CreateCubeTexture(size, mipLevels, usage, format, pool, texture);
}

// ---- Loading textures

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size,
                                            UINT width, UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colourKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY*,
                                            IDirect3DTexture8** texture) {
  if (device == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  return FromMemory(data, size, filter, mipFilter, info, [&](const SourceFile& file) {
    return CreateTextureFromImage(device, file, width, height, mipLevels, usage, format, pool,
                                  filter, mipFilter, colourKey, texture);
  });
}

HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data,
                                                UINT dataSize, UINT size, UINT mipLevels,
                                                DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                                                D3DXIMAGE_INFO* info, PALETTEENTRY*,
                                                IDirect3DCubeTexture8** texture) {
  if (device == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  return FromMemory(data, dataSize, filter, mipFilter, info, [&](const SourceFile& file) {
    return CreateCubeTextureFromImage(device, file, size, mipLevels, usage, format, pool, filter,
                                      mipFilter, colourKey, texture);
  });
}

HRESULT D3DXCreateCubeTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                         PALETTEENTRY* palette, IDirect3DCubeTexture8** texture) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return D3DERR_NOTFOUND;
  return D3DXCreateCubeTextureFromFileInMemoryEx(
      device, bytes->data(), static_cast<UINT>(bytes->size()), size, mipLevels, usage, format, pool,
      filter, mipFilter, colourKey, info, palette, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return D3DERR_NOTFOUND;
  return D3DXCreateTextureFromFileInMemoryEx(
      device, bytes->data(), static_cast<UINT>(bytes->size()), width, height, mipLevels, usage,
      format, pool, filter, mipFilter, colourKey, info, palette, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* file,
                                   IDirect3DTexture8** texture) {
  return D3DXCreateTextureFromFileExA(device, file, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                      0, nullptr, nullptr, texture);
}

// ---- Image information

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info) {
  if (data == nullptr || info == nullptr) return D3DERR_INVALIDCALL;
  auto read = ReadImageInfo({static_cast<const uint8_t*>(data), size});
  if (!read) return D3DXERR_INVALIDDATA;
  *info = *read;
  return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return D3DERR_NOTFOUND;
  return D3DXGetImageInfoFromFileInMemory(bytes->data(), static_cast<UINT>(bytes->size()), info);
}

// ---- Surfaces

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface8* destination,
                                        const PALETTEENTRY* destinationPalette,
                                        const RECT* destinationRect, const void* data, UINT size,
                                        const RECT* sourceRect, DWORD filter, D3DCOLOR colourKey,
                                        D3DXIMAGE_INFO* info) {
  if (data == nullptr) return D3DERR_INVALIDCALL;
  auto file = ReadSourceFile(data, size);
  auto image = file ? ReadTopLevel(*file, 0) : std::nullopt;
  if (!image) return D3DXERR_INVALIDDATA;
  HRESULT result = LoadIntoSurface(destination, destinationPalette, destinationRect,
                                   std::move(*image), sourceRect, filter, colourKey);
  if (SUCCEEDED(result) && info != nullptr) *info = file->info;
  return result;
}

HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface8* destination,
                                 const PALETTEENTRY* destinationPalette,
                                 const RECT* destinationRect, const char* file,
                                 const RECT* sourceRect, DWORD filter, D3DCOLOR colourKey,
                                 D3DXIMAGE_INFO* info) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return D3DERR_NOTFOUND;
  return D3DXLoadSurfaceFromFileInMemory(destination, destinationPalette, destinationRect,
                                         bytes->data(), static_cast<UINT>(bytes->size()),
                                         sourceRect, filter, colourKey, info);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* destination,
                                  const PALETTEENTRY* destinationPalette,
                                  const RECT* destinationRect, const void* source,
                                  D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                                  DWORD filter, D3DCOLOR colourKey) {
  if (source == nullptr || sourceRect == nullptr || sourceRect->left < 0 || sourceRect->top < 0 ||
      sourceRect->right <= sourceRect->left || sourceRect->bottom <= sourceRect->top) {
    return D3DERR_INVALIDCALL;
  }
  // The memory is read from its origin to the rectangle's far corner; the rectangle then picks its
  // part.
  auto image = ReadPixels({sourceFormat, static_cast<uint32_t>(sourceRect->right),
                           static_cast<uint32_t>(sourceRect->bottom), sourcePitch,
                           const_cast<uint8_t*>(static_cast<const uint8_t*>(source))},
                          sourcePalette);
  if (!image) return D3DERR_INVALIDCALL;
  return LoadIntoSurface(destination, destinationPalette, destinationRect, std::move(*image),
                         sourceRect, filter, colourKey);
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* destination,
                                   const PALETTEENTRY* destinationPalette,
                                   const RECT* destinationRect, IDirect3DSurface8* source,
                                   const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                                   DWORD filter, D3DCOLOR colourKey) {
  if (source == nullptr) return D3DERR_INVALIDCALL;
  auto image = ReadSurface(source, sourcePalette);
  if (!image) return D3DERR_INVALIDCALL;
  return LoadIntoSurface(destination, destinationPalette, destinationRect, std::move(*image),
                         sourceRect, filter, colourKey);
}

// ---- Saving

HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DSurface8* surface, const PALETTEENTRY* palette,
                               const RECT* sourceRect) {
  D3DSURFACE_DESC desc{};
  if (file == nullptr || surface == nullptr || FAILED(surface->GetDesc(&desc)) ||
      (fileFormat != D3DXIFF_BMP && fileFormat != D3DXIFF_DDS)) {
    return D3DERR_INVALIDCALL;
  }
  auto image = ReadSurface(surface, palette);
  auto rect = RectWithin(sourceRect, desc.Width, desc.Height);
  if (!image || !rect) return D3DERR_INVALIDCALL;
  ArgbImage part = Resample(*image, *rect, rect->Width(), rect->Height(), D3DX_FILTER_NONE);
  std::vector<uint8_t> bytes;
  if (fileFormat == D3DXIFF_BMP) {
    bytes = EncodeBmp(part, HasAlpha(desc.Format));
  } else {
    D3DFORMAT format = IsDdsFormat(desc.Format) && IsConvertibleFormat(desc.Format)
                           ? desc.Format
                           : D3DFMT_A8R8G8B8;
    ImageFile dds;
    dds.info = {part.width, part.height, 1, 1, format, D3DRTYPE_TEXTURE, D3DXIFF_DDS};
    dds.storedFormat = format;
    std::vector<uint8_t> packed(SurfaceSize(format, part.width, part.height));
    WritePixels(part,
                {format, part.width, part.height, RowPitch(format, part.width), packed.data()},
                palette);
    dds.levels = {{std::move(packed)}};
    bytes = *EncodeDds(dds);
  }
  return WriteWholeFile(file, bytes) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT D3DXSaveTextureToFileA(const char* file, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette) {
  TextureSurfaces surfaces(texture);
  if (file == nullptr || !surfaces.Valid()) return D3DERR_INVALIDCALL;
  if (fileFormat != D3DXIFF_DDS)
    return D3DXSaveSurfaceToFileA(file, fileFormat, surfaces.Surface(0, 0).Get(), palette, nullptr);

  D3DFORMAT format = surfaces.Format();
  bool raw = IsDdsFormat(format);
  ImageFile dds;
  dds.storedFormat = raw ? format : D3DFMT_A8R8G8B8;
  dds.levels.resize(surfaces.Faces());
  for (UINT face = 0; face < surfaces.Faces(); ++face) {
    for (UINT level = 0; level < surfaces.Levels(); ++level) {
      auto surface = surfaces.Surface(face, level);
      D3DSURFACE_DESC desc{};
      D3DLOCKED_RECT locked{};
      if (!surface || FAILED(surface->GetDesc(&desc)) ||
          FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        return D3DERR_INVALIDCALL;
      }
      if (face == 0 && level == 0) {
        dds.info = {desc.Width,
                    desc.Height,
                    1,
                    surfaces.Levels(),
                    dds.storedFormat,
                    surfaces.Faces() == 1 ? D3DRTYPE_TEXTURE : D3DRTYPE_CUBETEXTURE,
                    D3DXIFF_DDS};
      }
      PixelView view{desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                     static_cast<uint8_t*>(locked.pBits)};
      std::vector<uint8_t> packed(SurfaceSize(dds.storedFormat, desc.Width, desc.Height));
      size_t pitch = RowPitch(dds.storedFormat, desc.Width);
      bool ok = true;
      if (raw) {
        for (size_t row = 0; row < RowCount(format, desc.Height); ++row) {
          std::copy_n(view.bits + row * view.pitch, pitch, packed.data() + row * pitch);
        }
      } else {
        auto image = ReadPixels(view, palette);
        ok = image &&
             WritePixels(*image, {dds.storedFormat, desc.Width, desc.Height, pitch, packed.data()},
                         nullptr);
      }
      surface->UnlockRect();
      if (!ok) return D3DERR_INVALIDCALL;
      dds.levels[face].push_back(std::move(packed));
    }
  }
  auto bytes = EncodeDds(dds);
  if (!bytes) return D3DERR_INVALIDCALL;
  return WriteWholeFile(file, *bytes) ? D3D_OK : D3DERR_INVALIDCALL;
}

// ---- Mip levels and normal maps

HRESULT D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette,
                          UINT sourceLevel, DWORD filter) {
  TextureSurfaces surfaces(texture);
  if (sourceLevel == D3DX_DEFAULT) sourceLevel = 0;
  if (!surfaces.Valid() || !IsValidFilter(filter) || sourceLevel >= surfaces.Levels()) {
    return D3DERR_INVALIDCALL;
  }
  for (UINT face = 0; face < surfaces.Faces(); ++face) {
    auto top = surfaces.Surface(face, sourceLevel);
    auto image = top ? ReadSurface(top.Get(), palette) : std::nullopt;
    if (!image) return D3DERR_INVALIDCALL;
    HRESULT result = FilterLevels(surfaces, face, sourceLevel, *image, palette, filter);
    if (FAILED(result)) return result;
  }
  return D3D_OK;
}

HRESULT D3DXComputeNormalMap(IDirect3DTexture8* destination, IDirect3DTexture8* source,
                             const PALETTEENTRY* sourcePalette, DWORD flags, DWORD channel,
                             float amplitude) {
  TextureSurfaces from(source), to(destination);
  if (!from.Valid() || !to.Valid()) return D3DERR_INVALIDCALL;
  auto heights = ReadSurface(from.Surface(0, 0).Get(), sourcePalette);
  if (!heights) return D3DERR_INVALIDCALL;
  auto normals = ComputeNormalMapImage(*heights, flags, channel, amplitude);
  if (!normals) return D3DERR_INVALIDCALL;
  auto top = to.Surface(0, 0);
  HRESULT result = LoadIntoSurface(top.Get(), nullptr, nullptr, std::move(*normals), nullptr,
                                   D3DX_FILTER_POINT, 0);
  if (FAILED(result)) return result;
  auto written = ReadSurface(top.Get(), nullptr);
  if (!written) return D3DERR_INVALIDCALL;
  return FilterLevels(to, 0, 0, *written, nullptr, D3DX_FILTER_BOX);
}

}  // namespace d3dx
