// Fuzz target of the 3DS chunk reader: builds a database from the input, takes every mesh and
// material out of it, reads all chunk data and writes the database back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"

namespace {

constexpr size_t kMaxInputSize = 1 << 20;  // bytes

std::string ScratchPath(const char* role) {
  auto folder = std::filesystem::temp_directory_path();
  return (folder / ("chunk3ds_fuzz_" + std::to_string(getpid()) + "_" + role + ".3ds")).string();
}

void TakeRecords(ChunkDatabase3ds* database) {
  for (int32_t i = 0, count = GetMeshCount3ds(database); i < count && !ErrorsPending3ds(); ++i) {
    Mesh3ds* mesh = nullptr;
    GetMeshByIndex3ds(database, i, &mesh);
    ReleaseMeshObj3ds(&mesh);
  }
  ClearErrors3ds();
  for (int32_t i = 0, count = GetMaterialCount3ds(database); i < count && !ErrorsPending3ds();
       ++i) {
    Materials3ds* material = nullptr;
    GetMaterialByIndex3ds(database, i, &material);
    ReleaseMaterial3ds(&material);
  }
  ClearErrors3ds();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputSize) return 0;
  static const std::string input = ScratchPath("in");
  static const std::string output = ScratchPath("out");
  if (FILE* stream = std::fopen(input.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, stream);
    std::fclose(stream);
  }
  ClearErrors3ds();
  File3ds* file = OpenFile3ds(input.c_str(), "r");
  ChunkDatabase3ds* database = nullptr;
  InitDatabase3ds(&database);
  ReadDatabase3ds(file, database);
  if (!ErrorsPending3ds()) {
    TakeRecords(database);
    ReadAllChunks3ds(database);
    File3ds* written = OpenFile3ds(output.c_str(), "w");
    WriteDatabase3ds(written, database);
  }
  ReleaseDatabase3ds(&database);
  CloseAllFiles3ds();
  ClearErrors3ds();
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
