// The studio decoder against the peer importer on the packaged studio models whose body parts
// hold one model each: the same triangles, bone names and textures. The peer lists the bones flat,
// so their parents are not compared.
#include <gtest/gtest.h>

#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/actors/mdl_file.h"
#include "library/core/actors/mdl_models.h"
#include "platform/win/byte_reader.h"
#include "tests/peer_package.h"

namespace {

const std::filesystem::path kPeerModels = "/usr/share/assimp/models/MDL/MDL (HL1)";

const aiNode* Child(const aiNode* node, const char* name) {
  for (unsigned c = 0; c < node->mNumChildren; ++c)
    if (std::string(node->mChildren[c]->mName.C_Str()) == name) return node->mChildren[c];
  return nullptr;
}

// The model and its side files read as the loader reads them.
MdlDecoded Decode(const std::filesystem::path& path) {
  auto bytes = win::ReadFileBytes(path, kMdlMaxFileBytes);
  if (!bytes) return {};
  const MdlPreview preview = PreviewMdl(*bytes);
  std::optional<std::vector<uint8_t>> textures;
  const std::string base = path.string();
  auto side = [&](const std::string& ending) {
    // The packaged side files are in lower case.
    std::string name = MDL_SidePath(base, ending);
    for (size_t i = base.size() - 4; i < name.size(); ++i)
      name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return win::ReadFileBytes(name, kMdlMaxFileBytes);
  };
  if (preview.textureCount == 0) textures = side("T.MDL");
  std::vector<std::optional<std::vector<uint8_t>>> groups;
  for (int32_t g = 1; g < preview.groupCount; ++g) {
    char ending[16];
    std::snprintf(ending, sizeof ending, "%02d.MDL", g);
    groups.push_back(side(ending));
  }
  return DecodeMdl(
      *bytes, textures ? std::span<const uint8_t>(*textures) : std::span<const uint8_t>(), groups);
}

TEST(MdlPeer, PackagedModelsDecodeAsThePeerReadsThem) {
  if (tests::PeerMissing(kPeerModels, "assimp-testmodels")) GTEST_SKIP();
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kPeerModels)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != ".mdl") continue;
    auto bytes = win::ReadFileBytes(path, kMdlMaxFileBytes);
    ASSERT_TRUE(bytes);
    if (!PreviewMdl(*bytes).geometry) continue;  // a texture or sequence-group file
    SCOPED_TRACE(path.string());
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    const aiNode* parts = Child(scene->mRootNode, "<MDL_bodyparts>");
    ASSERT_NE(parts, nullptr);
    bool oneModelEach = true;
    for (unsigned p = 0; p < parts->mNumChildren; ++p)
      oneModelEach &= parts->mChildren[p]->mNumChildren == 1;
    if (!oneModelEach) continue;

    const MdlDecoded decoded = Decode(path);
    ASSERT_TRUE(decoded.model) << decoded.reason;
    const MdlModel& model = *decoded.model;
    unsigned faces = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) faces += scene->mMeshes[m]->mNumFaces;
    EXPECT_EQ(model.vertices.size() / 3, faces);
    EXPECT_EQ(model.textures.size(), scene->mNumTextures);
    const aiNode* bones = Child(scene->mRootNode, "<MDL_bones>");
    ASSERT_NE(bones, nullptr);
    std::vector<std::string> theirs, ours;
    // The peer lists the bones flat, in file order.
    const auto collect = [&](auto& self, const aiNode* node) -> void {
      for (unsigned c = 0; c < node->mNumChildren; ++c) {
        theirs.emplace_back(node->mChildren[c]->mName.C_Str());
        self(self, node->mChildren[c]);
      }
    };
    collect(collect, bones);
    bool named = true;
    for (const MdlBone& bone : model.bones) {
      ours.push_back(bone.name);
      named &= !bone.name.empty();
    }
    EXPECT_EQ(ours.size(), theirs.size());
    // The peer names unnamed bones of its own accord.
    if (named) {
      EXPECT_EQ(ours, theirs);
    }
    ++compared;
  }
  EXPECT_GE(compared, 8);
}

}  // namespace
