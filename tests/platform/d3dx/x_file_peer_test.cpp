// Every X file of the peer's test models: what the peer reads, we read with the same counts, and
// our text writer's output reads back unchanged.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <filesystem>
#include <fstream>

#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/d3dx/x_file_writer.h"
#include "tests/peer_package.h"

namespace d3dx {
namespace {

const std::filesystem::path kPeerModels = "/usr/share/assimp/models";

// Files that start like X files, whatever their names (some test inputs have no extension).
std::vector<std::filesystem::path> PeerXFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kPeerModels)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    char magic[4] = {};
    file.read(magic, 4);
    std::string extension = entry.path().extension().string();
    if (std::string_view(magic, 4) == "xof " || extension == ".x" || extension == ".X") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

struct Counts {
  size_t corners = 0;
  size_t polygons = 0;
  size_t materials = 0;
  size_t bones = 0;
};

void AddCounts(const XFrame& frame, Counts& counts) {
  for (const XMesh& mesh : frame.meshes) {
    counts.corners += mesh.fileCorners;
    counts.polygons += mesh.filePolygons;
    counts.materials += mesh.materials.size();
    counts.bones += mesh.bones.size();
  }
  for (const XFrame& child : frame.children) AddCounts(child, counts);
}

TEST(XFilePeer, ReadsEveryPeerModelWithThePeersCountsAndRoundTripsIt) {
  if (tests::PeerMissing(kPeerModels, "assimp-testmodels")) GTEST_SKIP();
  std::vector<std::filesystem::path> files = PeerXFiles();
  ASSERT_GE(files.size(), 10u);
  size_t compared = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.string());
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), 0);
    if (scene == nullptr) {
      // Inputs the peer refuses are broken on purpose; we must refuse them cleanly too.
      EXPECT_THROW(LoadXModel(ReadXFile(path)), XFileError);
      continue;
    }
    Counts peer;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
      // The peer gives each polygon corner a vertex of its own.
      peer.corners += scene->mMeshes[m]->mNumVertices;
      peer.polygons += scene->mMeshes[m]->mNumFaces;
      peer.bones += scene->mMeshes[m]->mNumBones;
    }
    XFileDocument document = ReadXFile(path);
    XModel model = LoadXModel(document);
    Counts ours;
    AddCounts(model.root, ours);
    EXPECT_EQ(ours.corners, peer.corners);
    EXPECT_EQ(ours.polygons, peer.polygons);
    EXPECT_EQ(ours.bones, peer.bones);
    // The peer adds a default material to a file that has none.
    EXPECT_EQ(std::max<size_t>(ours.materials, 1), scene->mNumMaterials);
    EXPECT_EQ(model.animationSets.size(), scene->mNumAnimations);

    std::string text = WriteXText(document);
    XFileDocument again = ReadXFile(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    ASSERT_EQ(again.objects.size(), document.objects.size());
    for (size_t i = 0; i < document.objects.size(); ++i) {
      EXPECT_TRUE(SameContent(again.objects[i], document.objects[i])) << "object " << i;
    }
    ++compared;
  }
  EXPECT_GE(compared, 10u);
}

}  // namespace
}  // namespace d3dx
