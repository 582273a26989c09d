// Fuzz target of the 3DS chunk reader: builds a database from the input, takes every record
// (meshes, materials, cameras, lights, the scene settings and the key-frame nodes) out of it, dumps
// its node list, reads all chunk data and writes the database back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/chunk_dump.h"
#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/keyframe_nodes.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/node_parents.h"
#include "library/toolkit3ds/scene_objects.h"
#include "library/toolkit3ds/scene_settings.h"

namespace {

constexpr size_t kMaxInputSize = 1 << 20;  // bytes

std::string ScratchPath(const char* role) {
  auto folder = std::filesystem::temp_directory_path();
  return (folder / ("chunk3ds_fuzz_" + std::to_string(getpid()) + "_" + role + ".3ds")).string();
}

// Takes each of count records out by index through get, then frees it.
template <typename Record, typename Get>
void TakeEach(ChunkDatabase3ds* database, int32_t count, Get get) {
  for (int32_t i = 0; i < count && !ErrorsPending3ds(); ++i) {
    Record* record = nullptr;
    get(database, i, &record);
    ReleaseRecord3ds(&record);
  }
  ClearErrors3ds();
}

// Takes a database-wide record out through get, then frees it.
template <typename Record, typename Get>
void TakeOne(ChunkDatabase3ds* database, Get get) {
  Record* record = nullptr;
  get(database, &record);
  ReleaseRecord3ds(&record);
  ClearErrors3ds();
}

void TakeRecords(ChunkDatabase3ds* database) {
  TakeEach<Mesh3ds>(database, GetMeshCount3ds(database), GetMeshByIndex3ds);
  TakeEach<Materials3ds>(database, GetMaterialCount3ds(database), GetMaterialByIndex3ds);
  TakeEach<Camera3ds>(database, GetCameraCount3ds(database), GetCameraByIndex3ds);
  TakeEach<Light3ds>(database, GetOmnilightCount3ds(database), GetOmnilightByIndex3ds);
  TakeEach<Light3ds>(database, GetSpotlightCount3ds(database), GetSpotlightByIndex3ds);
  TakeOne<Atmosphere3ds>(database, GetAtmosphere3ds);
  TakeOne<Background3ds>(database, GetBackground3ds);
  TakeOne<Meshset3ds>(database, GetMeshSet3ds);
  TakeOne<Viewport3ds>(database, GetViewport3ds);
  TakeOne<Viewport3ds>(database, GetDefaultView3ds);
  TakeOne<Kfsets3ds>(database, GetKfSets3ds);
  TakeEach<AmbientNode3ds>(database, GetAmbientNodeCount3ds(database), GetAmbientNodeByIndex3ds);
  TakeEach<CameraNode3ds>(database, GetCameraNodeCount3ds(database), GetCameraNodeByIndex3ds);
  TakeEach<ObjectNode3ds>(database, GetObjectNodeCount3ds(database), GetObjectNodeByIndex3ds);
  TakeEach<OmniNode3ds>(database, GetOmniNodeCount3ds(database), GetOmniNodeByIndex3ds);
  TakeEach<SpotNode3ds>(database, GetSpotNodeCount3ds(database), GetSpotNodeByIndex3ds);
}

// Lists every node of the key-frame section as it stands and dumps the list and its tree.
void DumpNodes(ChunkDatabase3ds* database, FILE* sink) {
  ChunkNode3ds* kfdata = nullptr;
  FindChunk3ds(database->root, KFDATA, &kfdata);
  FreeNodeList3ds();
  for (ChunkNode3ds* node = kfdata != nullptr ? kfdata->children : nullptr; node != nullptr;
       node = node->next) {
    if (IsNodeTag3ds(node->tag)) AddNodeEntry3ds(node);
  }
  AssignNodeIds3ds();
  DumpNodeList3ds(sink);
  DumpNodeTree3ds(sink);
  FreeNodeList3ds();
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
    static FILE* const sink = std::fopen("/dev/null", "w");
    DumpNodes(database, sink);
    DumpDatabase3ds(sink, database);
    ClearErrors3ds();
    DumpDatabaseChecksums3ds(sink, database);
    ClearErrors3ds();
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
