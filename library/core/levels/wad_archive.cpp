// WAD3 texture archives: open while a level loads, asked for textures by name when no bitmap file
// is found. A texture is converted once to a managed texture of the texture table and shared.
#include <algorithm>
#include <cstdio>

#include "library/core/frame/debug_log.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/levels/archives.h"
#include "library/core/render/texture_factory.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/texture.h"
#include "platform/win/ascii_case.h"

using namespace d3d;

namespace {

constexpr uint32_t kDefaultKey = 0xFF0000FF;  // blue, when the caller set no key colour

struct WadRecord {
  bool inUse = false;
  std::vector<WadEntry> directory;
  std::FILE* file = nullptr;
};

// Record 0 is never used, so that an index is never mistaken for a refusal.
std::vector<WadRecord> WadTable(1);

void CloseRecord(WadRecord& record) {
  if (record.file != nullptr) std::fclose(record.file);
  record = WadRecord{};
}

// The texels of the entry, or nothing when the texture is damaged.
std::optional<WadTexels> ReadTexels(std::FILE* file, const WadEntry& entry, uint32_t key) {
  const uint64_t start = static_cast<uint64_t>(entry.dataOffset);
  const auto header = ReadFileRange(file, start, kWadTextureHeaderBytes);
  if (!header) return std::nullopt;
  const auto extent = WadTextureExtent(*header);
  if (!extent) return std::nullopt;
  const auto bytes = ReadFileRange(file, start, std::min(*extent, OpenFileSize(file) - start));
  if (!bytes) return std::nullopt;
  return DecodeWadTexture(*bytes, key);
}

// A managed texture with a full mip chain holding the texels, fitted to the device; null on
// failure.
d3dx::ComPtr<IDirect3DTexture8> CreateTexture(const WadTexels& texels, D3DFORMAT format) {
  UINT width = static_cast<UINT>(texels.width);
  UINT height = static_cast<UINT>(texels.height);
  d3dx::D3DXCheckTextureRequirements(CurrentDevice, &width, &height, nullptr, 0, &format,
                                     D3DPOOL_MANAGED);
  d3dx::ComPtr<IDirect3DTexture8> texture;
  if (FAILED(d3dx::D3DXCreateTexture(CurrentDevice, width, height, 0, 0, format, D3DPOOL_MANAGED,
                                     texture.Out()))) {
    return {};
  }
  d3dx::ComPtr<IDirect3DSurface8> level0;
  const RECT source{0, 0, texels.width, texels.height};
  if (FAILED(texture->GetSurfaceLevel(0, level0.Out())) ||
      FAILED(d3dx::D3DXLoadSurfaceFromMemory(level0.Get(), nullptr, nullptr, texels.argb.data(),
                                             D3DFMT_A8R8G8B8,
                                             static_cast<UINT>(texels.width) * sizeof(uint32_t),
                                             nullptr, &source, d3dx::D3DX_FILTER_LINEAR, 0))) {
    AddLog("WAD MANAGER : Couldn't convert the wad data to the surface data");
    return {};
  }
  d3dx::D3DXFilterTexture(texture.Get(), nullptr, 0, d3dx::D3DX_FILTER_LINEAR);
  return texture;
}

}  // namespace

int32_t WAD_Load(const char* path) {
  std::FILE* file = path != nullptr ? std::fopen(HostPath(path).c_str(), "rb") : nullptr;
  if (file == nullptr) {
    AddLog("WAD MANAGER : Could not load the file : %s.", path != nullptr ? path : "");
    return 0;
  }
  const auto header = ReadFileRange(file, 0, kArchiveHeaderBytes);
  const auto range = header ? WadDirectoryRange(*header) : std::nullopt;
  const auto directory = range ? ReadFileRange(file, range->first, range->second) : std::nullopt;
  auto entries =
      directory ? ParseWadDirectory(*header, *directory, OpenFileSize(file)) : std::nullopt;
  if (!entries) {
    AddLog("WAD MANAGER : Could not load the file : %s. This is not a valid WAD file", path);
    std::fclose(file);
    return 0;
  }
  size_t index = 1;
  while (index < WadTable.size() && WadTable[index].inUse) ++index;
  if (index == WadTable.size()) WadTable.emplace_back();
  WadTable[index] = WadRecord{true, std::move(*entries), file};
  return static_cast<int32_t>(index);
}

int32_t WAD_LoadTextureFromWAD(const char* name, int32_t format) {
  if (name == nullptr || CurrentDevice == nullptr) return 0;
  char recordName[kWadNameBytes + 8];
  std::snprintf(recordName, sizeof recordName, "WAD_%.*s", static_cast<int>(kWadNameBytes), name);
  if (const int32_t shared = TextureFactory_IsAlreadyLoaded(recordName, recordName)) return shared;

  const WadRecord* archive = nullptr;
  const WadEntry* entry = nullptr;
  for (const WadRecord& record : WadTable) {
    for (const WadEntry& candidate : record.directory) {
      if (entry == nullptr && record.inUse && win::EqualsIgnoringCase(candidate.name, name)) {
        archive = &record;
        entry = &candidate;
      }
    }
  }
  if (entry == nullptr) return 0;

  const uint32_t key = AutoTransColor.enabled != 0 ? AutoTransColor.color : kDefaultKey;
  const auto texels = ReadTexels(archive->file, *entry, key);
  if (!texels) {
    AddLog("WAD MANAGER : Invalid texture format / file format during loading of %s", name);
    return 0;
  }
  d3dx::ComPtr<IDirect3DTexture8> texture = CreateTexture(*texels, static_cast<D3DFORMAT>(format));
  if (!texture) return 0;
  // The identifier is taken last, so that a refused texture leaves no record behind.
  const int32_t identifier = TextureFactory_GetNewTextureId();
  if (identifier == 0) return 0;
  TextureRecord& record = TextureFactory_TakeRecord(identifier);
  record.texture = texture.Detach();
  CopyToField(record.name, sizeof record.name, recordName);
  CopyToField(record.file, sizeof record.file, recordName);
  return identifier;
}

int32_t WAD_CloseAll() {
  for (WadRecord& record : WadTable) CloseRecord(record);
  AddLog("WAD MANAGER : Closing all WAD opened sessions.");
  return 1;
}
