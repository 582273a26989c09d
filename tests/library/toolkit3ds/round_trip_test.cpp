// Every 3DS file of the assimp test models reads, writes back and reads again to the same records.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/node_parents.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"
#include "tests/peer_package.h"

namespace {

using RoundTrip = test3ds::ToolkitTest;

struct Records {
  std::vector<Mesh3ds> meshes;
  std::vector<Materials3ds> materials;
  std::vector<std::string> nodes;  // "name <- parent" of every key-frame node
};

// Reads the records of a file into records; a read that fails leaves them incomplete.
void ReadRecords(const std::string& path, Records* records) {
  File3ds* file = OpenFile3ds(path.c_str(), "r");
  ChunkDatabase3ds* database = test3ds::NewDatabase();
  ReadDatabase3ds(file, database);
  ASSERT_FALSE(ErrorsPending3ds()) << path;
  for (int32_t i = 0; i < GetMeshCount3ds(database); ++i) {
    Mesh3ds* mesh = nullptr;
    GetMeshByIndex3ds(database, i, &mesh);
    ASSERT_NE(mesh, nullptr) << path << " mesh " << i;
    records->meshes.push_back(*mesh);
    ReleaseMeshObj3ds(&mesh);
  }
  for (int32_t i = 0; i < GetMaterialCount3ds(database); ++i) {
    Materials3ds* material = nullptr;
    GetMaterialByIndex3ds(database, i, &material);
    ASSERT_NE(material, nullptr) << path << " material " << i;
    records->materials.push_back(*material);
    ReleaseMaterial3ds(&material);
  }
  UpdateNodeList3ds(database);
  for (const NameIndexEntry3ds& entry : database->nodeList) {
    records->nodes.push_back(entry.name + " <- " +
                             GetParentName3ds(FindChildChunk3ds(entry.node, 0xB010)));
  }
  EXPECT_FALSE(ErrorsPending3ds()) << path;
  CloseFile3ds(file);
}

void WriteBack(const std::string& from, const std::string& to) {
  File3ds* source = OpenFile3ds(from.c_str(), "r");
  ChunkDatabase3ds* database = nullptr;
  InitDatabase3ds(&database);
  ReadDatabase3ds(source, database);
  File3ds* target = OpenFile3ds(to.c_str(), "w");
  WriteDatabase3ds(target, database);
  EXPECT_FALSE(ErrorsPending3ds()) << from;
  ReleaseDatabase3ds(&database);
  CloseAllFiles3ds();
}

TEST_F(RoundTrip, EveryTestModelReadsWritesAndReadsAgainToTheSameRecords) {
  if (tests::PeerMissing(test3ds::kTestModels, "assimp-testmodels")) GTEST_SKIP();
  auto files = test3ds::ModelFiles();
  ASSERT_FALSE(files.empty());
  auto folder = test3ds::TestFolder();
  for (const auto& path : files) {
    SCOPED_TRACE(path.string());
    Records first;
    ReadRecords(path.string(), &first);
    EXPECT_FALSE(first.meshes.empty());
    std::string written = (folder / path.filename()).string();
    WriteBack(path.string(), written);
    Records second;
    ReadRecords(written, &second);
    ASSERT_EQ(first.meshes.size(), second.meshes.size());
    for (size_t i = 0; i < first.meshes.size(); ++i)
      EXPECT_TRUE(first.meshes[i] == second.meshes[i]) << i;
    ASSERT_EQ(first.materials.size(), second.materials.size());
    for (size_t i = 0; i < first.materials.size(); ++i)
      EXPECT_TRUE(first.materials[i] == second.materials[i]) << i;
    EXPECT_EQ(first.nodes, second.nodes);
  }
}

TEST_F(RoundTrip, TestModelContentsAreRead) {
  if (tests::PeerMissing(test3ds::kTestModels / "test1.3ds", "assimp-testmodels")) GTEST_SKIP();
  Records records;
  ReadRecords((test3ds::kTestModels / "test1.3ds").string(), &records);
  ASSERT_FALSE(records.meshes.empty());
  const Mesh3ds& mesh = records.meshes[0];
  EXPECT_GT(mesh.nvertices, 0);
  EXPECT_EQ(mesh.vertexarray.size(), mesh.nvertices);
  EXPECT_EQ(mesh.facearray.size(), mesh.nfaces);
  EXPECT_EQ(mesh.smootharray.size(), mesh.nfaces);
  for (const face3ds& face : mesh.facearray) {
    EXPECT_LT(std::max({face.v1, face.v2, face.v3}), mesh.nvertices);
  }
  ASSERT_FALSE(records.materials.empty());
  EXPECT_NE(records.materials[0].name[0], '\0');

  Records animated;
  ReadRecords((test3ds::kTestModels / "CameraRollAnimWithChildObject.3ds").string(), &animated);
  EXPECT_NE(std::find(animated.nodes.begin(), animated.nodes.end(), "Box02 <- Camera01"),
            animated.nodes.end());
}

}  // namespace
