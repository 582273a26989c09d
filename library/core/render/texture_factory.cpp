#include "library/core/render/texture_factory.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <utility>

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/bump_maps.h"
#include "library/core/render/pcx.h"
#include "platform/d3dx/texture.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_reader.h"

using namespace d3d;

TextureRecord* TextureTable = nullptr;
int32_t TextureCount = 0;

TextureFormatPair TextureFormats;
AutoTransColorSetting AutoTransColor;

namespace {

UINT TextureMemoryAtStart = 0;  // bytes

// Asks for the alpha format without keying any colour out.
constexpr D3DCOLOR kAlphaWithoutKey = 0xFFFAFFAC;
constexpr const char* kLoadedInMemoryFile = "Loaded from memory";

void ReleaseRenderTarget(d3dx::ID3DXRenderToSurface*& renderTarget) {
  if (renderTarget != nullptr) AsUnknown(renderTarget)->Release();
  renderTarget = nullptr;
}

void AddRenderTargetReference(d3dx::ID3DXRenderToSurface* renderTarget) {
  if (renderTarget != nullptr) AsUnknown(renderTarget)->AddRef();
}

void ReleaseTable() {
  for (int32_t index = 0; index < TextureCount; ++index) {
    TextureFactory_ReleaseObjects(TextureTable[index]);
  }
  // Its identifier would name whatever texture takes the record next.
  DefaultBumpTexture = 0;
  TextureFactory_ForgetRenderSurfaces();
  FreeTable(reinterpret_cast<void**>(&TextureTable), &TextureCount);
}

// The record of an identifier from 1 up (record 0 is reserved), else null.
TextureRecord* LoadableRecord(int32_t identifier) {
  return identifier >= 1 && identifier < TextureCount ? &TextureTable[identifier] : nullptr;
}

void FillFromLevel0(TextureRecord& record, IDirect3DTexture8* texture) {
  D3DSURFACE_DESC desc{};
  if (texture != nullptr && SUCCEEDED(texture->GetLevelDesc(0, &desc))) {
    record.width = static_cast<int32_t>(desc.Width);
    record.height = static_cast<int32_t>(desc.Height);
    record.format = desc.Format;
  }
}

// A new texture from an image file, or null. PCX files go through the library's own reader.
IDirect3DTexture8* LoadFile(const char* file, UINT width, UINT height, D3DFORMAT format,
                            DWORD filter, D3DCOLOR colourKey) {
  IDirect3DTexture8* texture = nullptr;
  if (win::EndsWithIgnoringCase(file, "pcx")) {
    if (LoadPCX(file, &texture) == 0) return nullptr;
    return texture;
  }
  if (FAILED(d3dx::D3DXCreateTextureFromFileExA(
          CurrentDevice, HostPath(file).c_str(), width, height, d3dx::D3DX_DEFAULT, 0, format,
          D3DPOOL_MANAGED, filter, d3dx::D3DX_DEFAULT, colourKey, nullptr, nullptr, &texture))) {
    return nullptr;
  }
  return texture;
}

// Bits per pixel and the alpha flag the texture information reports for a format.
void DescribeFormat(D3DFORMAT format, int16_t* bits, int32_t* alpha) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_DXT3:
      *bits = 32;
      *alpha = -1;
      return;
    case D3DFMT_X8R8G8B8:
      *bits = 32;
      *alpha = 0;
      return;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
      *bits = 16;
      *alpha = 0;
      return;
    case D3DFMT_A4R4G4B4:
      *bits = 16;
      *alpha = -1;
      return;
    default:
      *bits = 8;
      *alpha = -1;
      return;
  }
}

// Applies each format of a pair that the device takes unchanged; the other keeps its format.
void TryTextureFormats(D3DFORMAT opaque, D3DFORMAT alpha) {
  if (CurrentDevice == nullptr) return;
  for (const auto& [candidate, chosen] :
       {std::pair{opaque, &TextureFormats.opaque}, std::pair{alpha, &TextureFormats.alpha}}) {
    D3DFORMAT checked = candidate;
    if (SUCCEEDED(d3dx::D3DXCheckTextureRequirements(CurrentDevice, nullptr, nullptr, nullptr, 0,
                                                     &checked, D3DPOOL_MANAGED)) &&
        checked == candidate) {
      *chosen = candidate;
    }
  }
}

int32_t ClampToInt32(UINT bytes) {
  constexpr UINT kMax = 0x7FFFFFFF;
  return static_cast<int32_t>(bytes > kMax ? kMax : bytes);
}

}  // namespace

void TextureFactory_ReleaseObjects(TextureRecord& record) {
  SafeRelease(record.cube);
  SafeRelease(record.normalMap);
  ReleaseRenderTarget(record.renderTarget);
  SafeRelease(record.texture);
}

TextureRecord& TextureFactory_TakeRecord(int32_t identifier) {
  TextureRecord& record = TextureTable[identifier];
  TextureFactory_ReleaseObjects(record);
  record = {};
  record.inUse = 1;
  record.identifier = identifier;
  record.kind = kTextureOrdinary;
  return record;
}

TextureRecord* TextureFactory_Record(int32_t identifier) {
  return identifier >= 0 && identifier < TextureCount ? &TextureTable[identifier] : nullptr;
}

int32_t Internal_GetTexture(int32_t identifier, IDirect3DTexture8** texture) {
  if (texture == nullptr) return 0;
  *texture = nullptr;
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (record == nullptr || record->texture == nullptr) return 0;
  record->texture->AddRef();
  *texture = record->texture;
  return 1;
}

int32_t TextureFactory_Initialize() {
  // An earlier table's objects would otherwise stay alive on the device with no owner.
  ReleaseTable();
  GrowTable(&TextureTable, &TextureCount, 1);
  // The formats a texture mode chose were checked against the device of that table.
  TextureFormats = TextureFormatPair{};
  return 0;
}

int32_t TextureFactory_InitializeTextureMemory() {
  TextureMemoryAtStart = CurrentDevice != nullptr ? CurrentDevice->GetAvailableTextureMem() : 0;
  return 0;
}

int32_t TextureFactory_GetNewTextureId() {
  // Identifier 0 means "no texture" to every caller: an emptied table gets its reserved record
  // back.
  if (TextureCount == 0 && !GrowTable(&TextureTable, &TextureCount, 1)) return 0;
  for (int32_t index = 1; index < TextureCount; ++index) {
    if (TextureTable[index].inUse == 0) return index;
  }
  const int32_t identifier = TextureCount;
  return GrowTable(&TextureTable, &TextureCount, 1) ? identifier : 0;
}

int32_t TextureFactory_GetCount() { return TextureCount; }

int32_t TextureFactory_LoadTextureFromFile(const char* file, const char* name, int32_t width,
                                           int32_t height, int32_t colourKey, int32_t filterFlag,
                                           int32_t) {
  if (file == nullptr || file[0] == '\0') {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_LoadTextureFromFile : Can't load a texture with an "
        "empty filename");
    return 0;
  }
  const bool named = name != nullptr && name[0] != '\0';
  const char* effectiveName = named ? name : file;
  if (named) {
    AddLog("TEXTURE FACTORY 2 : Loading texture %s ('%s')", file, name);
  } else {
    AddLog("TEXTURE FACTORY 2 : Loading texture %s ('noname')", file);
  }

  int32_t identifier = 0;
  bool reload = false;
  for (int32_t index = 1; index < TextureCount && identifier == 0; ++index) {
    const TextureRecord& found = TextureTable[index];
    if (found.inUse == 0) continue;
    const bool sameFile = win::EqualsIgnoringCase(found.file, file);
    const bool sameName = win::EqualsIgnoringCase(found.name, effectiveName);
    if (sameFile && sameName) return index;
    if (sameFile) {
      const int32_t shared = TextureFactory_GetNewTextureId();
      if (shared == 0) return 0;
      TextureRecord& record = TextureTable[shared];
      record = TextureTable[index];
      // The copy owns its own reference on every object it shares.
      for (IUnknown* object :
           {static_cast<IUnknown*>(record.texture), static_cast<IUnknown*>(record.normalMap),
            static_cast<IUnknown*>(record.cube)}) {
        if (object != nullptr) object->AddRef();
      }
      AddRenderTargetReference(record.renderTarget);
      CopyToField(record.name, sizeof record.name, effectiveName);
      record.identifier = shared;
      return shared;
    }
    if (sameName) {
      identifier = index;
      reload = true;
    }
  }
  if (identifier == 0) identifier = TextureFactory_GetNewTextureId();
  if (identifier == 0) return 0;

  D3DFORMAT format = colourKey != 0 ? TextureFormats.alpha : TextureFormats.opaque;
  D3DCOLOR key = static_cast<D3DCOLOR>(colourKey);
  if (key == kAlphaWithoutKey) key = 0;
  UINT loadWidth = d3dx::D3DX_DEFAULT;
  UINT loadHeight = d3dx::D3DX_DEFAULT;
  if (width != -1 && height != -1) {
    loadWidth = static_cast<UINT>(width);
    loadHeight = static_cast<UINT>(height);
    d3dx::D3DXCheckTextureRequirements(CurrentDevice, &loadWidth, &loadHeight, nullptr, 0, &format,
                                       D3DPOOL_MANAGED);
  }
  const DWORD filter = filterFlag != 0 ? d3dx::D3DX_FILTER_LINEAR : d3dx::D3DX_FILTER_POINT;

  // The file is loaded before the record is touched, so a failed reload keeps the texture it had.
  if (!File_Exists(file)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_LoadTexture : Couldn't load the texture %s because it "
        "hasn't been found.",
        file);
    return 0;
  }
  IDirect3DTexture8* texture = CurrentDevice != nullptr
                                   ? LoadFile(file, loadWidth, loadHeight, format, filter, key)
                                   : nullptr;
  if (texture == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_LoadTexture : Couldn't load the texture %s because the "
        "file is invalid.",
        file);
    return 0;
  }
  TextureRecord& record = TextureTable[identifier];
  if (!reload) record = {};
  SafeRelease(record.cube);
  SafeRelease(record.normalMap);
  SafeRelease(record.texture);
  record.inUse = 1;
  record.texture = texture;
  CopyToField(record.file, sizeof record.file, file);
  CopyToField(record.name, sizeof record.name, effectiveName);
  record.identifier = identifier;
  record.kind = kTextureOrdinary;
  FillFromLevel0(record, texture);
  record.format = format;
  return identifier;
}

int32_t TextureFactory_IsAlreadyLoaded(const char* name, const char* file) {
  const bool byName = name != nullptr && name[0] != '\0';
  const bool byFile = file != nullptr && file[0] != '\0';
  if (!byName && !byFile) return 0;
  for (int32_t index = 1; index < TextureCount; ++index) {
    const TextureRecord& record = TextureTable[index];
    if (record.inUse == 0) continue;
    if (byName && !win::EqualsIgnoringCase(record.name, name)) continue;
    if (byFile && !win::EqualsIgnoringCase(record.file, file)) continue;
    return index;
  }
  return 0;
}

namespace {

// The first record in use whose name or file (field) equals text without regard to case; else 0.
int32_t FindInUse(char (TextureRecord::*field)[512], const char* text) {
  if (text == nullptr) return 0;
  for (int32_t index = 1; index < TextureCount; ++index) {
    if (TextureTable[index].inUse != 0 &&
        win::EqualsIgnoringCase(TextureTable[index].*field, text)) {
      return index;
    }
  }
  return 0;
}

}  // namespace

int32_t TextureFactory_GetTextureIDByName(const char* name) {
  const int32_t identifier = FindInUse(&TextureRecord::name, name);
  if (identifier == 0) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_GetTex : The texture '%s' hasn't been found in the "
        "texture list.",
        name != nullptr ? name : "");
  }
  return identifier;
}

int32_t TextureFactory_GetTextureIDByFilename(const char* file) {
  const int32_t identifier = FindInUse(&TextureRecord::file, file);
  if (identifier == 0) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_GetTexByFilename : The texture that has for filename "
        "'%s' hasn't been found in the texture list.",
        file != nullptr ? file : "");
  }
  return identifier;
}

int32_t TextureFactory_GetTextureName(int32_t identifier, char* destination) {
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (record == nullptr) {
    AddLog("TEXTURE FACTORY 2 : TextureFactory_GetTextureName : TextureID index out of range => %d",
           identifier);
    return 0;
  }
  if (destination == nullptr) return 0;
  CopyToField(destination, sizeof record->name, record->name);
  return 1;
}

int32_t TextureFactory_SetTextureName(int32_t identifier, const char* name) {
  TextureRecord* record = TextureFactory_Record(identifier);
  if (record == nullptr) {
    AddLog("TEXTURE FACTORY 2 : TextureFactory_SetTextureName : TextureID index out of range => %d",
           identifier);
    return 0;
  }
  if (name == nullptr) return 0;
  CopyToField(record->name, sizeof record->name, name);
  return 1;
}

int32_t TextureFactory_GetTextureInfo(int32_t identifier, TextureInfo* info) {
  if (info == nullptr) return 0;
  *info = {};
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (record == nullptr) {
    AddLog("TEXTURE FACTORY 2 : TextureFactory_GetTextureInfo : TextureId index out of range => %d",
           identifier);
    return 0;
  }
  if (record->inUse == 0) return 0;
  info->valid = 1;
  CopyToField(info->name, sizeof info->name, record->name);
  CopyToField(info->file, sizeof info->file, record->file);
  info->width = record->width;
  info->height = record->height;
  DescribeFormat(record->format, &info->bitsPerPixel, &info->alpha);
  info->sizeBytes = info->bitsPerPixel / 8 * record->width * record->height;
  return 0;
}

int32_t TextureFactory_DeleteTexture(int32_t identifier) {
  TextureRecord* record = LoadableRecord(identifier);
  if (record == nullptr) {
    AddLog("TEXTURE FACTORY 2 : TextureFactory_DeleteTexture : TextureId Index out of range => %d",
           identifier);
    return 0;
  }
  record->inUse = 0;
  TextureFactory_ReleaseObjects(*record);
  return identifier;
}

int32_t TextureFactory_UnloadAll() {
  if (CurrentDevice != nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : Deleting all textures from video memory. Free memory before : %d "
        "bytes",
        TextureFactory_GetFreeTextureMemory());
  }
  ReleaseTable();
  AddLog("TEXTURE FACTORY 2 : All textures deleted. Free memory after unloading : %d bytes",
         TextureFactory_GetFreeTextureMemory());
  return 1;
}

int32_t TextureFactory_SaveTexture(const char* file, int32_t identifier, int32_t ddsFlag) {
  if (file == nullptr) {
    AddLog("TEXTURE FACTORY 2: TextureFactory_SaveTexture : You didn't specify a good filename");
    return 0;
  }
  const TextureRecord* record = LoadableRecord(identifier);
  if (record == nullptr) {
    AddLog("TEXTURE FACTORY 2: TextureFactory_SaveTexture : TextureID Index out of range => %d",
           identifier);
    return 0;
  }
  if (record->texture == nullptr && record->cube == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2: TextureFactory_SaveTexture : The texture %d doesn't exist or is not "
        "available. Unable to save",
        identifier);
    return 0;
  }
  const bool cube = record->cube != nullptr;
  IDirect3DBaseTexture8* source = cube ? static_cast<IDirect3DBaseTexture8*>(record->cube)
                                       : static_cast<IDirect3DBaseTexture8*>(record->texture);
  const auto fileFormat = (cube || ddsFlag != 0) ? d3dx::D3DXIFF_DDS : d3dx::D3DXIFF_BMP;
  const HRESULT result =
      d3dx::D3DXSaveTextureToFileA(HostPath(file).c_str(), fileFormat, source, nullptr);
  if (FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2: TextureFactory_SaveTexture : Couldn't save the texture %d to the disk. "
        "DX Error %d",
        identifier, result);
    return 0;
  }
  return 1;
}

int32_t TextureFactory_DumpToDebug() {
  const char* dashes = "------------------------------------------------------------------";
  AddLog("%s", dashes);
  AddLog(" TEXTURES LIST DUMP : %d slots used.", TextureCount);
  AddLog("%s", dashes);
  for (int32_t index = 0; index < TextureCount; ++index) {
    const TextureRecord& record = TextureTable[index];
    if (record.inUse != 0) {
      AddLog("TEXTURE ID#%d | Name : %s | Filename : %s | Size : %dx%d.", index, record.name,
             record.file, record.width, record.height);
    } else {
      AddLog("TEXTURE ID#%d | Free texture slot", index);
    }
  }
  return 1;
}

int32_t TextureFactory_SetTextureMode(int32_t mode) {
  constexpr int32_t kMode16Bits = 0;
  constexpr int32_t kMode32Bits = 1;
  constexpr int32_t kModeCompressed = 2;
  constexpr int32_t kModeBest = 3;
  constexpr int32_t kModePalettized = 4;
  if (mode == kMode16Bits || mode == kModeBest) {
    TryTextureFormats(D3DFMT_R5G6B5, D3DFMT_A4R4G4B4);
    AddLog("TEXTURE FACTORY 2 : Texture mode changed to 16bits mode");
  }
  if (mode == kModeCompressed || mode == kModeBest) {
    TryTextureFormats(D3DFMT_DXT3, D3DFMT_DXT3);
    AddLog("TEXTURE FACTORY 2: Texture mode changed to compressed mode");
  }
  if (mode == kMode32Bits || mode == kModeBest) {
    TryTextureFormats(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
    AddLog("TEXTURE FACTORY 2: Texture mode changed to 32bits mode");
  }
  if (mode == kModePalettized) {
    TryTextureFormats(D3DFMT_P8, D3DFMT_P8);
    AddLog("TEXTURE FACTORY 2: Texture mode changed to Palletized mode 8bits");
  }
  return 1;
}

int32_t TextureFactory_SetAutoTransColor(int32_t enable, uint32_t color) {
  AutoTransColor = {enable, color};
  return 1;
}

int32_t TextureFactory_ApplyTexture(int32_t stage, int32_t identifier) {
  if (CurrentDevice == nullptr || identifier < 0 || identifier >= TextureCount) return 1;
  if (identifier == 0) {
    CurrentDevice->SetTexture(0, nullptr);
    CurrentDevice->SetTexture(static_cast<DWORD>(stage), nullptr);
    return 1;
  }
  CurrentDevice->SetTexture(static_cast<DWORD>(stage), TextureTable[identifier].texture);
  return 1;
}

int32_t TextureFactory_ApplyCubeTexture(int32_t stage, int32_t identifier) {
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (CurrentDevice != nullptr && record != nullptr) {
    CurrentDevice->SetTexture(static_cast<DWORD>(stage), record->cube);
  }
  return 1;
}

int32_t TextureFactory_ApplyBumpTexture(int32_t stage, int32_t identifier) {
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (CurrentDevice != nullptr && record != nullptr) {
    CurrentDevice->SetTexture(static_cast<DWORD>(stage), record->normalMap);
  }
  return 1;
}

namespace {

// Writes one object of a record (no reference added); 0 and null outside the table.
template <class T>
int32_t HandOut(int32_t identifier, T* TextureRecord::*field, T** out) {
  if (out == nullptr) return 0;
  const TextureRecord* record = TextureFactory_Record(identifier);
  *out = record != nullptr ? record->*field : nullptr;
  return record != nullptr ? 1 : 0;
}

}  // namespace

int32_t TextureFactory_GetDXTexture(int32_t identifier, IDirect3DTexture8** texture) {
  return HandOut(identifier, &TextureRecord::texture, texture);
}

int32_t TextureFactory_GetDXTextureCube(int32_t identifier, IDirect3DCubeTexture8** cube) {
  return HandOut(identifier, &TextureRecord::cube, cube);
}

int32_t TextureFactory_GetDXTextureNormal(int32_t identifier, IDirect3DTexture8** normalMap) {
  return HandOut(identifier, &TextureRecord::normalMap, normalMap);
}

int32_t TextureFactory_GetDXRenderToSurface(int32_t identifier,
                                            d3dx::ID3DXRenderToSurface** renderTarget) {
  return HandOut(identifier, &TextureRecord::renderTarget, renderTarget);
}

int32_t TextureFactory_SetTextureData(int32_t identifier, IDirect3DTexture8** texture) {
  TextureRecord* record = LoadableRecord(identifier);
  if (record == nullptr || texture == nullptr || *texture == nullptr) return 0;
  (*texture)->AddRef();
  // The record owns one reference: the texture it held before is its own to release.
  SafeRelease(record->texture);
  record->texture = *texture;
  FillFromLevel0(*record, *texture);
  record->identifier = identifier;
  if (record->file[0] == '\0') CopyToField(record->file, sizeof record->file, kLoadedInMemoryFile);
  return 1;
}

int32_t TextureFactory_SetCubeTextureData(int32_t identifier, IDirect3DCubeTexture8** cube) {
  TextureRecord* record = LoadableRecord(identifier);
  if (record == nullptr || cube == nullptr || *cube == nullptr) return 0;
  (*cube)->AddRef();
  SafeRelease(record->cube);
  record->cube = *cube;
  D3DSURFACE_DESC desc{};
  if (SUCCEEDED(record->cube->GetLevelDesc(0, &desc))) {
    record->width = static_cast<int32_t>(desc.Width);
    record->height = static_cast<int32_t>(desc.Height);
    record->format = desc.Format;
  }
  record->identifier = identifier;
  return 1;
}

int32_t TextureFactory_SetRenderToTextureData(int32_t identifier,
                                              d3dx::ID3DXRenderToSurface** renderTarget) {
  TextureRecord* record = LoadableRecord(identifier);
  if (record == nullptr || renderTarget == nullptr || *renderTarget == nullptr) return 0;
  AddRenderTargetReference(*renderTarget);
  ReleaseRenderTarget(record->renderTarget);
  record->renderTarget = *renderTarget;
  return 1;
}

int32_t TextureFactory_GetFreeTextureMemory() {
  return CurrentDevice != nullptr ? ClampToInt32(CurrentDevice->GetAvailableTextureMem()) : 0;
}

int32_t TextureFactory_GetUsedTextureMemory() {
  if (CurrentDevice == nullptr) return 0;
  const UINT available = CurrentDevice->GetAvailableTextureMem();
  return available < TextureMemoryAtStart ? ClampToInt32(TextureMemoryAtStart - available) : 0;
}

int32_t TextureFactory_FixAlpha(IDirect3DTexture8** texture) {
  D3DSURFACE_DESC desc{};
  if (texture == nullptr || *texture == nullptr || FAILED((*texture)->GetLevelDesc(0, &desc)) ||
      desc.Format != D3DFMT_A8R8G8B8) {
    return E_FAIL;
  }
  D3DLOCKED_RECT locked{};
  if (const HRESULT result = (*texture)->LockRect(0, &locked, nullptr, 0); FAILED(result))
    return result;
  for (UINT y = 0; y < desc.Height; ++y) {
    auto* row =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) row[x] = (row[x] & 0x00FFFFFF) | (row[x] & 0xFF) << 24;
  }
  return (*texture)->UnlockRect(0);
}

int32_t Imaging_GetFileInfo(const char* file, int32_t* width, int32_t* height, int32_t* format,
                            int32_t* mipLevels, int32_t* fileFormat) {
  d3dx::D3DXIMAGE_INFO info{};
  if (file == nullptr || FAILED(d3dx::D3DXGetImageInfoFromFileA(HostPath(file).c_str(), &info)))
    return 0;
  if (width != nullptr) *width = static_cast<int32_t>(info.Width);
  if (height != nullptr) *height = static_cast<int32_t>(info.Height);
  if (format != nullptr) *format = static_cast<int32_t>(info.Format);
  if (mipLevels != nullptr) *mipLevels = static_cast<int32_t>(info.MipLevels);
  if (fileFormat != nullptr) *fileFormat = static_cast<int32_t>(info.ImageFileFormat);
  return 1;
}

int32_t LoadPCX(const char* file, IDirect3DTexture8** texture) {
  if (texture == nullptr) return 0;
  *texture = nullptr;
  AddLog("TEXTURE FACTORY : Load PCX %s ", file != nullptr ? file : "");
  if (file == nullptr || CurrentDevice == nullptr) return 0;
  const auto bytes = win::ReadFileBytes(HostPath(file), d3dx::kMaxImageFileBytes);
  if (!bytes) return 0;
  const auto image = DecodePcx(*bytes);
  if (!image) {
    AddLog("TEXTURE FACTORY : LoadPCX : %s is not a PCX file this library reads", file);
    return 0;
  }
  AddLog("Load Image %s ", file);
  UINT width = image->width;
  UINT height = image->height;
  UINT levels = 1;
  D3DFORMAT format = D3DFMT_R5G6B5;
  d3dx::D3DXCheckTextureRequirements(CurrentDevice, &width, &height, &levels, 0, &format,
                                     D3DPOOL_MANAGED);
  IDirect3DTexture8* created = nullptr;
  if (FAILED(d3dx::D3DXCreateTexture(CurrentDevice, width, height, 1, 0, format, D3DPOOL_MANAGED,
                                     &created))) {
    return 0;
  }
  IDirect3DSurface8* level0 = nullptr;
  const RECT source = {0, 0, static_cast<LONG>(image->width), static_cast<LONG>(image->height)};
  const bool loaded =
      SUCCEEDED(created->GetSurfaceLevel(0, &level0)) &&
      SUCCEEDED(d3dx::D3DXLoadSurfaceFromMemory(level0, nullptr, nullptr, image->pixels.data(),
                                                D3DFMT_X8R8G8B8, image->width * sizeof(uint32_t),
                                                nullptr, &source, d3dx::D3DX_FILTER_POINT, 0));
  SafeRelease(level0);
  if (!loaded) {
    SafeRelease(created);
    return 0;
  }
  *texture = created;
  return 1;
}
