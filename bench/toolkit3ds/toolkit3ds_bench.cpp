// Loads the same 3DS files through the toolkit and through lib3ds, alternately in every iteration,
// and reports the toolkit's time per load (manual time), lib3ds's time per load and their ratio.
// Files: the assimp test models, and generated ones of growing size to show that loading is
// linear in the file size (compare bytes_per_second across the generated sizes).
#include <lib3ds/file.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"

namespace {

const std::filesystem::path kModels = "/usr/share/assimp/models/3DS";
constexpr uint16_t kGeneratedMeshVertices = 20000;
constexpr int kGeneratedMeshCounts[] = {1, 4, 16, 64};

// What the library's mesh loader does with a file: every mesh and its materials, then all the rest.
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
      std::string extension = entry.path().extension().string();
      if (extension != ".3ds" && extension != ".3DS") continue;
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
