// PAK packages of whole files: a file a loader wants and cannot find on disk is extracted from the
// open packages into the working folder, remembered, and deleted by Archive_RemoveTempFiles.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "library/core/frame/debug_log.h"
#include "library/core/frame/file_paths.h"
#include "library/core/levels/archives.h"
#include "library/core/vortanautil.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_writer.h"

namespace {

constexpr size_t kPackagePathBytes = 512;
constexpr uint64_t kCopyChunkBytes = 1 << 16;

struct PakRecord {
  bool inUse = false;
  std::vector<PakEntry> directory;
  char path[kPackagePathBytes] = {};
  std::FILE* file = nullptr;
};

struct TempFile {
  int32_t package;
  int32_t entry;
  std::filesystem::path path;
};

// Slot 0 is never used, so that an index is never mistaken for a refusal.
std::vector<PakRecord> PakTable;
std::vector<TempFile> TempFileList;

void CloseSlot(PakRecord& record) {
  if (record.file != nullptr) std::fclose(record.file);
  record = PakRecord{};
}

// Copies count bytes of the package from offset into destination.
bool CopyEntry(std::FILE* package, const PakEntry& entry, std::FILE* destination) {
  for (uint64_t done = 0; done < static_cast<uint64_t>(entry.length);) {
    const uint64_t chunk = std::min(kCopyChunkBytes, static_cast<uint64_t>(entry.length) - done);
    const auto bytes =
        ReadFileRange(package, static_cast<uint64_t>(entry.dataOffset) + done, chunk);
    if (!bytes || std::fwrite(bytes->data(), 1, bytes->size(), destination) != bytes->size()) {
      return false;
    }
    done += chunk;
  }
  return true;
}

}  // namespace

int32_t Archive_OpenPak(const char* path) {
  char resolved[kPathBufferSize] = {};
  if (path != nullptr) {
    CopyToField(resolved, sizeof resolved, path);
    Path_ResolveFile(path, resolved, "");
  }
  std::FILE* file = std::fopen(HostPath(resolved).c_str(), "rb");
  if (file == nullptr) {
    AddLog("PACK MANAGER : The package '%s' hasn't been found.", resolved);
    return 0;
  }
  const auto header = ReadFileRange(file, 0, kArchiveHeaderBytes);
  const auto range = header ? PakDirectoryRange(*header) : std::nullopt;
  const auto directory = range ? ReadFileRange(file, range->first, range->second) : std::nullopt;
  auto entries = directory ? ParsePakDirectory(*directory, OpenFileSize(file)) : std::nullopt;
  if (!entries) {
    AddLog("PACK MANAGER : The file '%s' isn't a valid PAK file", resolved);
    std::fclose(file);
    return 0;
  }
  if (PakTable.empty()) PakTable.emplace_back();
  size_t index = 1;
  while (index < PakTable.size() && PakTable[index].inUse) ++index;
  if (index == PakTable.size()) PakTable.emplace_back();
  PakRecord& record = PakTable[index];
  record.inUse = true;
  record.directory = std::move(*entries);
  CopyToField(record.path, sizeof record.path, resolved);
  record.file = file;
  return static_cast<int32_t>(index);
}

int32_t Archive_ClosePak(int32_t index) {
  if (index <= 0 || static_cast<size_t>(index) >= PakTable.size()) {
    AddLog("PACK MANAGER : Archive_ClosePak : Index out of range -> %d", index);
    return 0;
  }
  CloseSlot(PakTable[static_cast<size_t>(index)]);
  return 0;
}

int32_t Archive_CloseAll() {
  for (PakRecord& record : PakTable) CloseSlot(record);
  PakTable.clear();
  return 1;
}

int32_t Archive_ExtractFileTo(char* name, const char* destination, int32_t remember) {
  if (PakTable.empty() || name == nullptr || destination == nullptr) return 0;
  const std::string wanted = NormalisePakName(name);
  for (size_t slot = 1; slot < PakTable.size(); ++slot) {
    const PakRecord& record = PakTable[slot];
    for (size_t index = 0; record.inUse && index < record.directory.size(); ++index) {
      const PakEntry& entry = record.directory[index];
      if (!win::EqualsIgnoringCase(entry.name, wanted)) continue;
      const std::filesystem::path target = HostPath(destination);
      // Written under a temporary name: a failed extraction leaves a file already at the
      // destination as it was, and never leaves one empty or cut short for the next loader.
      win::ReplacingFile out(target);
      if (out.Stream() == nullptr) {
        AddLog(
            "PACK MANAGER : Couldn't open the destination file '%s' for the package extraction. "
            "Probably access denied.",
            destination);
        return 0;
      }
      const bool empty = entry.length == 0;
      if (empty || !CopyEntry(record.file, entry, out.Stream())) out.Fail();
      if (!out.Commit()) {
        if (empty) {
          AddLog("PACK MANAGER : Problem !! Entry with less than 0 byte");
        } else {
          AddLog("PACK MANAGER : Problem !! Couldn't copy '%s' from package #%zu", wanted.c_str(),
                 slot);
        }
        return 0;
      }
      if (remember != 0) {
        TempFileList.push_back({static_cast<int32_t>(slot), static_cast<int32_t>(index), target});
      }
      AddLog("PACK MANAGER : Extracted '%s' from package #%zu (length : %d bytes)", wanted.c_str(),
             slot, entry.length);
      return 1;
    }
  }
  return 0;
}

int32_t Archive_TestPakFile(char* path) {
  if (path == nullptr || File_Exists(path)) return 0;
  char bare[kPathBufferSize] = {};
  Path_GetFileName(path, bare);
  // A file of that name in the working folder is what the loaders will open anyway: it is used,
  // never overwritten (and later deleted) by an extraction.
  if (File_Exists(bare)) {
    CopyToField(path, kPathBufferSize, bare);
    return 0;
  }
  char whole[kPathBufferSize] = {};
  CopyToField(whole, sizeof whole, path);
  if (Archive_ExtractFileTo(whole, bare, 1) == 1) {
    CopyToField(path, kPathBufferSize, bare);
    return 1;
  }
  // The caller's path keeps the forward slashes the lookup wrote, as before.
  NormalisePakName(path);
  char bareName[kPathBufferSize] = {};
  CopyToField(bareName, sizeof bareName, bare);
  if (Archive_ExtractFileTo(bareName, bare, 1) == 1) CopyToField(path, kPathBufferSize, bare);
  return 1;
}

int32_t Archive_RemoveTempFiles() {
  for (const TempFile& file : TempFileList) {
    std::error_code ignored;
    std::filesystem::remove(file.path, ignored);
  }
  TempFileList.clear();
  return 1;
}
