// The toolkit's cameras and key-frame nodes against what the peer reader, lib3ds, takes out of the
// same files.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/keyframe_nodes.h"
#include "library/toolkit3ds/scene_objects.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using Peer = test3ds::ToolkitTest;

const std::filesystem::path kModels = "/usr/share/assimp/models/3DS";

std::vector<std::filesystem::path> ModelFiles() {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(kModels)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(kModels)) {
    char magic[2] = {};
    std::ifstream(entry.path(), std::ios::binary).read(magic, sizeof(magic));
    if (magic[0] == 0x4D && magic[1] == 0x4D) files.push_back(entry.path());
  }
  return files;
}

void ExpectPoint(const float* peer, const point3ds& point) {
  EXPECT_FLOAT_EQ(peer[0], point.x);
  EXPECT_FLOAT_EQ(peer[1], point.y);
  EXPECT_FLOAT_EQ(peer[2], point.z);
}

void ExpectKey(const Lib3dsTcb& peer, const keyheader3ds& key) {
  EXPECT_EQ(static_cast<uint32_t>(peer.frame), key.time);
  EXPECT_EQ(peer.flags, key.rflags);
  EXPECT_FLOAT_EQ(peer.tens, key.tension);
  EXPECT_FLOAT_EQ(peer.cont, key.continuity);
  EXPECT_FLOAT_EQ(peer.bias, key.bias);
  EXPECT_FLOAT_EQ(peer.ease_to, key.easeto);
  EXPECT_FLOAT_EQ(peer.ease_from, key.easefrom);
}

// Walks a peer track's keys beside the toolkit's, comparing each pair with same.
template <typename PeerKey, typename Value, typename Same>
void ExpectTrack(const PeerKey* peer, const Track3ds<Value>& track, Same same) {
  size_t key = 0;
  for (; peer != nullptr; peer = peer->next, ++key) {
    ASSERT_LT(key, track.keycount);
    ExpectKey(peer->tcb, track.keys[key]);
    same(*peer, track.values[key]);
  }
  EXPECT_EQ(key, track.keycount);
}

auto SamePoint = [](const Lib3dsLin3Key& peer, const point3ds& value) {
  ExpectPoint(peer.value, value);
};
auto SameFloat = [](const Lib3dsLin1Key& peer, float value) { EXPECT_FLOAT_EQ(peer.value, value); };

std::string ParentOf(const Lib3dsNode* node) {
  const Lib3dsNode* parent = node->parent;
  if (parent == nullptr) return {};
  std::string name = parent->name;
  if (parent->type == LIB3DS_OBJECT_NODE && parent->data.object.instance[0] != '\0')
    name += std::string(".") + parent->data.object.instance;
  return name;
}

void ExpectObjectNode(ChunkDatabase3ds* database, const Lib3dsNode* node) {
  const Lib3dsObjectData& peer = node->data.object;
  std::string name = node->name;
  if (peer.instance[0] != '\0') name += std::string(".") + peer.instance;
  ObjectNode3ds* object = nullptr;
  GetObjectNodeByName3ds(database, name.c_str(), &object);
  ASSERT_NE(object, nullptr) << name;
  EXPECT_EQ(object->flags1, node->flags1);
  EXPECT_EQ(object->flags2, node->flags2);
  EXPECT_EQ(object->parent, ParentOf(node));
  ExpectPoint(peer.pivot, object->pivot);
  ExpectPoint(peer.bbox_min, object->bboxmin);
  ExpectPoint(peer.bbox_max, object->bboxmax);
  EXPECT_FLOAT_EQ(peer.morph_smooth, object->morphsmooth);
  ExpectTrack(peer.pos_track.keyL, object->position, SamePoint);
  ExpectTrack(peer.scl_track.keyL, object->scale, SamePoint);
  ExpectTrack(peer.rot_track.keyL, object->rotation,
              [](const Lib3dsQuatKey& key, const RotationKey3ds& value) {
                EXPECT_FLOAT_EQ(key.angle, value.angle);
                ExpectPoint(key.axis, {value.x, value.y, value.z});
              });
  ExpectTrack(peer.morph_track.keyL, object->morph,
              [](const Lib3dsMorphKey& key, const MorphKey3ds& value) {
                EXPECT_EQ(std::string(key.name), value.object);
              });
  ExpectTrack(peer.hide_track.keyL, object->hide, [](const Lib3dsBoolKey&, const HideKey3ds&) {});
  ReleaseObjectNode3ds(&object);
}

void ExpectCameraNode(ChunkDatabase3ds* database, const Lib3dsNode* node) {
  CameraNode3ds* camera = nullptr;
  GetCameraNodeByName3ds(database, node->name, &camera);
  ASSERT_NE(camera, nullptr) << node->name;
  EXPECT_EQ(camera->flags1, node->flags1);
  EXPECT_EQ(camera->flags2, node->flags2);
  EXPECT_EQ(camera->parent, ParentOf(node));
  ExpectTrack(node->data.camera.pos_track.keyL, camera->position, SamePoint);
  ExpectTrack(node->data.camera.fov_track.keyL, camera->fov, SameFloat);
  ExpectTrack(node->data.camera.roll_track.keyL, camera->roll, SameFloat);
  ReleaseCameraNode3ds(&camera);
}

void ExpectTargetNode(ChunkDatabase3ds* database, const Lib3dsNode* node) {
  CameraNode3ds* camera = nullptr;
  GetCameraNodeByName3ds(database, node->name, &camera);
  ASSERT_NE(camera, nullptr) << node->name;
  EXPECT_EQ(camera->target.flags1, node->flags1);
  EXPECT_EQ(camera->target.flags2, node->flags2);
  EXPECT_EQ(camera->target.parent, ParentOf(node));
  ExpectTrack(node->data.target.pos_track.keyL, camera->target.position, SamePoint);
  ReleaseCameraNode3ds(&camera);
}

// Every node of the peer's tree, with the number of each kind seen.
void ExpectNodes(ChunkDatabase3ds* database, const Lib3dsNode* node, std::vector<int>* kinds) {
  for (; node != nullptr; node = node->next) {
    SCOPED_TRACE(node->name);
    (*kinds)[node->type] += 1;
    if (node->type == LIB3DS_OBJECT_NODE) ExpectObjectNode(database, node);
    if (node->type == LIB3DS_CAMERA_NODE) ExpectCameraNode(database, node);
    if (node->type == LIB3DS_TARGET_NODE) ExpectTargetNode(database, node);
    ExpectNodes(database, node->childs, kinds);
  }
}

TEST_F(Peer, TestModelsGiveTheCamerasAndNodesThePeerReads) {
  auto files = ModelFiles();
  if (files.empty()) GTEST_SKIP() << "assimp-testmodels is not installed";
  int withCameras = 0, withObjectNodes = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.string());
    Lib3dsFile* peer = lib3ds_file_load(path.c_str());
    ASSERT_NE(peer, nullptr);
    ChunkDatabase3ds* database = test3ds::NewDatabase();
    ReadDatabase3ds(OpenFile3ds(path.c_str(), "r"), database);
    int cameras = 0;
    for (const Lib3dsCamera* camera = peer->cameras; camera != nullptr; camera = camera->next) {
      Camera3ds* read = nullptr;
      GetCameraByName3ds(database, camera->name, &read);
      ASSERT_NE(read, nullptr) << camera->name;
      ExpectPoint(camera->position, read->position);
      ExpectPoint(camera->target, read->target);
      EXPECT_FLOAT_EQ(camera->roll, read->roll);
      EXPECT_FLOAT_EQ(camera->fov, read->fov);
      EXPECT_EQ(camera->see_cone != 0, read->seecone != 0);
      EXPECT_FLOAT_EQ(camera->near_range, read->nearplane);
      EXPECT_FLOAT_EQ(camera->far_range, read->farplane);
      ReleaseCamera3ds(&read);
      ++cameras;
    }
    EXPECT_EQ(GetCameraCount3ds(database), cameras);
    std::vector<int> kinds(8, 0);
    ExpectNodes(database, peer->nodes, &kinds);
    EXPECT_EQ(GetObjectNodeCount3ds(database), kinds[LIB3DS_OBJECT_NODE]);
    EXPECT_EQ(GetCameraNodeCount3ds(database), kinds[LIB3DS_CAMERA_NODE]);
    EXPECT_EQ(GetNodeCount3ds(database, TARGET_NODE_TAG), kinds[LIB3DS_TARGET_NODE]);
    withCameras += cameras > 0 && kinds[LIB3DS_CAMERA_NODE] > 0 && kinds[LIB3DS_TARGET_NODE] > 0;
    withObjectNodes += kinds[LIB3DS_OBJECT_NODE] > 0;
    EXPECT_FALSE(ErrorsPending3ds());
    lib3ds_file_free(peer);
  }
  EXPECT_GE(withCameras, 3);
  EXPECT_GE(withObjectNodes, 8);
}

}  // namespace
