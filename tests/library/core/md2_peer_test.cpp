// The MD2 decoder against the peer importer on the packaged MD2 models: the same triangle count
// and the same first-frame box, and the frame count the files carry.
#include <gtest/gtest.h>

#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <filesystem>

#include "library/core/actors/md2_file.h"
#include "platform/win/byte_reader.h"
#include "tests/peer_package.h"

namespace {

const std::filesystem::path kPeerModels = "/usr/share/assimp/models/MD2";
constexpr size_t kMaxModelBytes = 16 << 20;

TEST(Md2Peer, PackagedModelsDecodeAsThePeerReadsThem) {
  if (tests::PeerMissing(kPeerModels, "assimp-testmodels")) GTEST_SKIP();
  for (const char* name : {"sydney.md2", "faerie.md2"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = kPeerModels / name;
    auto bytes = win::ReadFileBytes(path, kMaxModelBytes);
    ASSERT_TRUE(bytes);
    Md2Decoded decoded = DecodeMd2(*bytes);
    ASSERT_TRUE(decoded.model) << decoded.reason;
    const Md2Model& model = *decoded.model;
    EXPECT_EQ(model.frames.size(), 198u);
    EXPECT_TRUE(model.skin.empty());

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), 0);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mNumMeshes, 1u);
    const aiMesh* mesh = scene->mMeshes[0];
    EXPECT_EQ(static_cast<unsigned>(model.triangleCount), mesh->mNumFaces);
    aiVector3D low = mesh->mVertices[0], high = mesh->mVertices[0];
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      const aiVector3D& p = mesh->mVertices[v];
      low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
      high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    const Md2Frame& first = model.frames[0];
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(first.boxMin[axis], low[static_cast<unsigned>(axis)], 1e-4f) << axis;
      EXPECT_NEAR(first.boxMax[axis], high[static_cast<unsigned>(axis)], 1e-4f) << axis;
    }
  }
}

}  // namespace
