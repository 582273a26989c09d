// The skinned loader against the peer importer on the packaged X models: the same frame names,
// bone counts and, per animation set, the same tracks and key counts.
#include <gtest/gtest.h>

#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/actors/skinned_models.h"
#include "tests/library/core/current_headless_device.h"
#include "tests/peer_package.h"

namespace {

const std::filesystem::path kPeerModels = "/usr/share/assimp/models/X";

class SkinnedPeer : public ::testing::Test {
 protected:
  void TearDown() override { SkinnedMesh_DestroyAll(); }

  tests::CurrentHeadlessDevice device_;
};

void NodeNames(const aiNode* node, std::vector<std::string>& names) {
  for (unsigned c = 0; c < node->mNumChildren; ++c) {
    names.emplace_back(node->mChildren[c]->mName.C_Str());
    NodeNames(node->mChildren[c], names);
  }
}

TEST_F(SkinnedPeer, PackagedModelsLoadAsThePeerReadsThem) {
  if (tests::PeerMissing(kPeerModels, "assimp-testmodels")) GTEST_SKIP();
  for (const char* name : {"anim_test.x", "BCN_Epileptic.X", "Testwuson.X", "test_cube_text.x",
                           "test_cube_binary.x", "fromtruespace_bin32.x"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = kPeerModels / name;
    const int32_t slot = SkinnedMesh_LoadModel(path.string().c_str(), 0);
    ASSERT_GE(slot, 0);
    const SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(slot)];
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();

    std::vector<std::string> theirs, ours;
    if (std::string(scene->mRootNode->mName.C_Str()) != "$dummy_root")
      theirs.emplace_back(scene->mRootNode->mName.C_Str());
    NodeNames(scene->mRootNode, theirs);
    for (const auto& frame : model.frames) ours.push_back(frame->name);
    std::sort(theirs.begin(), theirs.end());
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, theirs);

    size_t theirBones = 0, ourBones = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) theirBones += scene->mMeshes[m]->mNumBones;
    for (const auto& container : model.containers) ourBones += container->boneNames.size();
    EXPECT_EQ(ourBones, theirBones);

    ASSERT_EQ(model.sets.size(), scene->mNumAnimations);
    for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
      const aiAnimation* animation = scene->mAnimations[a];
      const AnimationSetRecord& set = model.sets[a];
      EXPECT_EQ(set.name, animation->mName.C_Str());
      ASSERT_EQ(set.tracks.size(), animation->mNumChannels);
      for (unsigned c = 0; c < animation->mNumChannels; ++c) {
        const aiNodeAnim* channel = animation->mChannels[c];
        const AnimationTrack& track = set.tracks[c];
        SCOPED_TRACE(channel->mNodeName.C_Str());
        ASSERT_NE(track.frame, nullptr);
        EXPECT_EQ(track.frame->name, channel->mNodeName.C_Str());
        if (!track.matrices.empty()) {
          EXPECT_EQ(track.matrices.size(), channel->mNumRotationKeys);
        } else {
          EXPECT_EQ(track.rotations.size(), channel->mNumRotationKeys);
          EXPECT_EQ(track.positions.size(), channel->mNumPositionKeys);
          EXPECT_EQ(track.scales.size(), channel->mNumScalingKeys);
        }
      }
    }
  }
}

}  // namespace
