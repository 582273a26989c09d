// Loads the same 3DS files through the toolkit and through lib3ds, alternately in every iteration,
// and reports the toolkit's time per load (manual time), lib3ds's time per load and their ratio.
// Files: the assimp test models, and generated ones of growing size to show that loading is
// linear in the file size (compare bytes_per_second across the generated sizes).
#include <lib3ds/file.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/keyframe_nodes.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/scene_objects.h"
#include "library/toolkit3ds/scene_settings.h"

namespace {

const std::filesystem::path kModels = "/usr/share/assimp/models/3DS";
constexpr uint16_t kGeneratedMeshVertices = 20000;
constexpr int kGeneratedMeshCounts[] = {1, 4, 16, 64};

// Fills one record after the other through get, then frees it.
template <typename Record, typename Get>
void GetAll(ChunkDatabase3ds* database, int32_t count, Get get) {
  Record* record = nullptr;
  for (int32_t i = 0; i < count; ++i) {
    get(database, i, &record);
    benchmark::DoNotOptimize(record);
  }
  ReleaseRecord3ds(&record);
}

template <typename Record, typename Get>
void GetOnce(ChunkDatabase3ds* database, Get get) {
  Record* record = nullptr;
  get(database, &record);
  benchmark::DoNotOptimize(record);
  ReleaseRecord3ds(&record);
}

// What lib3ds_file_load takes out besides meshes and materials: cameras, lights, the scene
// settings and every key-frame node.
void GetSceneRecords(ChunkDatabase3ds* database) {
  GetAll<Camera3ds>(database, GetCameraCount3ds(database), GetCameraByIndex3ds);
  GetAll<Light3ds>(database, GetOmnilightCount3ds(database), GetOmnilightByIndex3ds);
  GetAll<Light3ds>(database, GetSpotlightCount3ds(database), GetSpotlightByIndex3ds);
  GetOnce<Atmosphere3ds>(database, GetAtmosphere3ds);
  GetOnce<Background3ds>(database, GetBackground3ds);
  GetOnce<Meshset3ds>(database, GetMeshSet3ds);
  GetOnce<Viewport3ds>(database, GetViewport3ds);
  GetOnce<Kfsets3ds>(database, GetKfSets3ds);
  GetAll<AmbientNode3ds>(database, GetAmbientNodeCount3ds(database), GetAmbientNodeByIndex3ds);
  GetAll<CameraNode3ds>(database, GetCameraNodeCount3ds(database), GetCameraNodeByIndex3ds);
  GetAll<ObjectNode3ds>(database, GetObjectNodeCount3ds(database), GetObjectNodeByIndex3ds);
  GetAll<OmniNode3ds>(database, GetOmniNodeCount3ds(database), GetOmniNodeByIndex3ds);
  GetAll<SpotNode3ds>(database, GetSpotNodeCount3ds(database), GetSpotNodeByIndex3ds);
}

// What lib3ds_file_load does with a file, through the toolkit: every mesh and its materials, the
// rest of the scene, then all chunk data.
void LoadWithToolkit(const std::string& path) {
  ClearErrors3ds();
  File3ds* file = OpenFile3ds(path.c_str(), "r");
  ChunkDatabase3ds* database = nullptr;
  InitDatabase3ds(&database);
  ReadDatabase3ds(file, database);
  Mesh3ds* mesh = nullptr;
  Materials3ds* material = nullptr;
  for (int32_t i = 0, count = GetMeshCount3ds(database); i < count; ++i) {
    GetMeshByIndex3ds(database, i, &mesh);
    for (const objmat3ds& group : mesh->matarray)
      GetMaterialByName3ds(database, group.name, &material);
    benchmark::DoNotOptimize(mesh->vertexarray.data());
  }
  GetSceneRecords(database);
  ReadAllChunks3ds(database);
  ReleaseMeshObj3ds(&mesh);
  ReleaseMaterial3ds(&material);
  ReleaseDatabase3ds(&database);
  CloseAllFiles3ds();
}

void LoadWithLib3ds(const std::string& path) {
  Lib3dsFile* file = lib3ds_file_load(path.c_str());
  benchmark::DoNotOptimize(file);
  if (file != nullptr) lib3ds_file_free(file);
}

// A mesh file of meshCount grid meshes sharing one textured material, written by the toolkit.
std::string GeneratedFile(int meshCount) {
  auto path = std::filesystem::temp_directory_path() /
              ("toolkit3ds_bench_" + std::to_string(meshCount) + ".3ds");
  if (std::filesystem::exists(path)) return path.string();
  ClearErrors3ds();
  ChunkDatabase3ds* database = nullptr;
  InitDatabase3ds(&database);
  NewDatabaseRoot3ds(database, kMeshFile3ds);
  Materials3ds* material = nullptr;
  InitMaterial3ds(&material);
  CopyName3ds(material->name, sizeof(material->name), "Ground");
  CopyName3ds(material->texture.name, sizeof(material->texture.name), "ground.png");
  material->diffuse = {0.5f, 0.4f, 0.3f};
  PutMaterial3ds(database, material);
  const uint16_t side = static_cast<uint16_t>(std::sqrt(double{kGeneratedMeshVertices}));
  const uint16_t faces = static_cast<uint16_t>(2 * (side - 1) * (side - 1));
  for (int m = 0; m < meshCount; ++m) {
    Mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, static_cast<uint16_t>(side * side), faces,
                   kMeshTextureVertices3ds | kMeshSmoothing3ds);
    CopyName3ds(mesh->name, sizeof(mesh->name), "Grid" + std::to_string(m));
    for (uint16_t y = 0; y < side; ++y) {
      for (uint16_t x = 0; x < side; ++x) {
        mesh->vertexarray[y * side + x] = {float(x), float(y), float(m)};
        mesh->textarray[y * side + x] = {float(x) / side, float(y) / side};
      }
    }
    size_t f = 0;
    for (uint16_t y = 0; y + 1 < side; ++y) {
      for (uint16_t x = 0; x + 1 < side; ++x) {
        uint16_t corner = static_cast<uint16_t>(y * side + x);
        mesh->facearray[f++] = {corner, static_cast<uint16_t>(corner + 1),
                                static_cast<uint16_t>(corner + side), 7};
        mesh->facearray[f++] = {static_cast<uint16_t>(corner + 1),
                                static_cast<uint16_t>(corner + side + 1),
                                static_cast<uint16_t>(corner + side), 7};
      }
    }
    mesh->nmats = 1;
    InitMeshArrays3ds(mesh, kMeshMaterialGroups3ds);
    CopyName3ds(mesh->matarray[0].name, sizeof(mesh->matarray[0].name), "Ground");
    InitMatArrayIndex3ds(mesh, 0, faces);
    for (uint16_t i = 0; i < faces; ++i) mesh->matarray[0].faceindex[i] = i;
    PutMesh3ds(database, mesh);
    ReleaseMeshObj3ds(&mesh);
  }
  File3ds* file = OpenFile3ds(path.string().c_str(), "w");
  WriteDatabase3ds(file, database);
  ReleaseMaterial3ds(&material);
  ReleaseDatabase3ds(&database);
  CloseAllFiles3ds();
  return path.string();
}

void CompareLoads(benchmark::State& state, const std::string& path) {
  using Clock = std::chrono::steady_clock;
  double peerSeconds = 0.0, toolkitSeconds = 0.0;
  for (auto _ : state) {
    auto start = Clock::now();
    LoadWithToolkit(path);
    auto middle = Clock::now();
    LoadWithLib3ds(path);
    auto end = Clock::now();
    double toolkit = std::chrono::duration<double>(middle - start).count();
    toolkitSeconds += toolkit;
    peerSeconds += std::chrono::duration<double>(end - middle).count();
    state.SetIterationTime(toolkit);
  }
  if (ErrorsPending3ds()) state.SkipWithError("the toolkit refused the file");
  auto size = static_cast<int64_t>(std::filesystem::file_size(path));
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["lib3ds_us"] = benchmark::Counter(peerSeconds * 1e6 / double(state.iterations()));
  state.counters["toolkit/lib3ds"] = benchmark::Counter(toolkitSeconds / peerSeconds);
}

const bool kRegistered = [] {
  if (std::filesystem::exists(kModels)) {
    for (const auto& entry : std::filesystem::directory_iterator(kModels)) {
      // Known by the first chunk: one of the files has no extension.
      char magic[2] = {};
      std::ifstream(entry.path(), std::ios::binary).read(magic, sizeof(magic));
      if (magic[0] != 0x4D || magic[1] != 0x4D) continue;
      std::string path = entry.path().string();
      benchmark::RegisterBenchmark(("Load/" + entry.path().filename().string()).c_str(),
                                   [path](benchmark::State& state) { CompareLoads(state, path); })
          ->UseManualTime();
    }
  }
  for (int meshCount : kGeneratedMeshCounts) {
    benchmark::RegisterBenchmark(
        ("Load/generated_" + std::to_string(meshCount) + "_meshes").c_str(),
        [meshCount](benchmark::State& state) { CompareLoads(state, GeneratedFile(meshCount)); })
        ->UseManualTime();
  }
  return true;
}();

}  // namespace
