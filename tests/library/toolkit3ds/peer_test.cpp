// The toolkit's cameras and key-frame nodes against what the peer reader, lib3ds, takes out of the
// same files.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/node.h>

#include <cstring>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/keyframe_nodes.h"
#include "library/toolkit3ds/scene_objects.h"
#include "library/toolkit3ds/scene_settings.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using Peer = test3ds::ToolkitTest;

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
  auto files = test3ds::ModelFiles();
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

void SetVector(float* target, float x, float y, float z) {
  target[0] = x;
  target[1] = y;
  target[2] = z;
}

Lib3dsNode* PeerNode(Lib3dsNode* node, uint16_t id, const char* name, uint16_t parent) {
  node->node_id = id;
  std::strcpy(node->name, name);
  node->parent_id = parent;
  node->flags1 = 0x4000;
  return node;
}

void AddPointKey(Lib3dsLin3Track* track, int frame, float x, float y, float z) {
  Lib3dsLin3Key* key = lib3ds_lin3_key_new();
  key->tcb.frame = frame;
  SetVector(key->value, x, y, z);
  lib3ds_lin3_track_insert(track, key);
}

void AddFloatKey(Lib3dsLin1Track* track, int frame, float value) {
  Lib3dsLin1Key* key = lib3ds_lin1_key_new();
  key->tcb.frame = frame;
  key->value = value;
  lib3ds_lin1_track_insert(track, key);
}

// A scene of every kind the peer writes: cameras, an omni and a spot light, the three fogs, the
// three backgrounds, shadow settings, a viewport layout and nodes with tracks of every kind.
Lib3dsFile* PeerScene() {
  Lib3dsFile* file = lib3ds_file_new();
  Lib3dsCamera* camera = lib3ds_camera_new("Cam01");
  SetVector(camera->position, 1, 2, 3);
  SetVector(camera->target, 4, 5, 6);
  camera->roll = 10.0f;
  camera->fov = 60.0f;
  camera->see_cone = 1;
  camera->near_range = 5.0f;
  camera->far_range = 500.0f;
  lib3ds_file_insert_camera(file, camera);
  Lib3dsLight* omni = lib3ds_light_new("Omni01");
  SetVector(omni->color, 1.0f, 0.5f, 0.25f);
  SetVector(omni->position, -1, -2, -3);
  omni->off = 1;
  omni->inner_range = 20.0f;
  omni->outer_range = 200.0f;
  omni->multiplier = 2.0f;
  lib3ds_file_insert_light(file, omni);
  Lib3dsLight* spot = lib3ds_light_new("Spot01");
  spot->spot_light = 1;
  SetVector(spot->color, 0.0f, 1.0f, 0.0f);
  SetVector(spot->position, 7, 8, 9);
  SetVector(spot->spot, 0, 0, 0);
  spot->hot_spot = 30.0f;
  spot->fall_off = 40.0f;
  spot->roll = 5.0f;
  spot->shadowed = 1;
  spot->shadow_bias = 0.5f;
  spot->shadow_filter = 2.0f;
  spot->shadow_size = 256;
  spot->spot_aspect = 1.5f;
  spot->see_cone = 1;
  spot->rectangular_spot = 1;
  // No projector: the peer writes its chunk's length too short for the name.
  spot->ray_shadows = 1;
  spot->ray_bias = 0.25f;
  spot->inner_range = 10.0f;
  spot->outer_range = 100.0f;
  spot->multiplier = 1.0f;
  lib3ds_file_insert_light(file, spot);

  file->master_scale = 2.0f;
  SetVector(file->construction_plane, 0, 0, 1);
  SetVector(file->ambient, 0.25f, 0.5f, 0.75f);
  file->shadow.map_size = 1024;
  file->shadow.lo_bias = 0.75f;
  file->shadow.filter = 4.0f;
  file->shadow.ray_bias = 0.5f;
  Lib3dsAtmosphere& atmosphere = file->atmosphere;
  // The peer writes only the settings in use; the first USE_ chunk picks the active one.
  atmosphere.fog = {1, {0.5f, 0.5f, 0.5f}, 1, 1.0f, 2.0f, 300.0f, 40.0f};
  atmosphere.layer_fog = {1, 0x100002, {0.25f, 0.0f, 1.0f}, -5.0f, 50.0f, 25.0f};
  atmosphere.dist_cue = {1, 1, 3.0f, 4.0f, 500.0f, 60.0f};
  Lib3dsBackground& background = file->background;
  background.bitmap.use = 1;
  std::strcpy(background.bitmap.name, "stars.tga");
  background.solid = {1, {0.1f, 0.2f, 0.3f}};
  background.gradient = {1, 0.25f, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

  Lib3dsNode* cameraNode = PeerNode(lib3ds_node_new_camera(), 0, "Cam01", LIB3DS_NO_PARENT);
  AddPointKey(&cameraNode->data.camera.pos_track, 0, 1, 2, 3);
  AddPointKey(&cameraNode->data.camera.pos_track, 10, 2, 3, 4);
  AddFloatKey(&cameraNode->data.camera.fov_track, 0, 60.0f);
  AddFloatKey(&cameraNode->data.camera.roll_track, 5, 10.0f);
  lib3ds_file_insert_node(file, cameraNode);
  Lib3dsNode* targetNode = PeerNode(lib3ds_node_new_target(), 1, "Cam01", LIB3DS_NO_PARENT);
  AddPointKey(&targetNode->data.target.pos_track, 0, 4, 5, 6);
  lib3ds_file_insert_node(file, targetNode);
  Lib3dsNode* object = PeerNode(lib3ds_node_new_object(), 2, "Box", 0);
  SetVector(object->data.object.pivot, 1, 1, 1);
  object->data.object.morph_smooth = 0.0f;
  AddPointKey(&object->data.object.pos_track, 0, 0, 0, 1);
  AddPointKey(&object->data.object.scl_track, 0, 1, 2, 1);
  Lib3dsQuatKey* rotation = lib3ds_quat_key_new();
  rotation->tcb.frame = 3;
  rotation->angle = 1.5f;
  SetVector(rotation->axis, 0, 1, 0);
  lib3ds_quat_track_insert(&object->data.object.rot_track, rotation);
  Lib3dsMorphKey* morph = lib3ds_morph_key_new();
  morph->tcb.frame = 4;
  std::strcpy(morph->name, "Sphere");
  lib3ds_morph_track_insert(&object->data.object.morph_track, morph);
  Lib3dsBoolKey* hide = lib3ds_bool_key_new();
  hide->tcb.frame = 6;
  lib3ds_bool_track_insert(&object->data.object.hide_track, hide);
  lib3ds_file_insert_node(file, object);
  return file;
}

TEST_F(Peer, AScenePeerWrittenReadsIntoTheSameValues) {
  Lib3dsFile* peer = PeerScene();
  std::string path = (test3ds::TestFolder() / "peer.3ds").string();
  ASSERT_TRUE(lib3ds_file_save(peer, path.c_str()));
  lib3ds_file_free(peer);
  peer = lib3ds_file_load(path.c_str());
  ASSERT_NE(peer, nullptr);
  ChunkDatabase3ds* database = test3ds::NewDatabase();
  ReadDatabase3ds(OpenFile3ds(path.c_str(), "r"), database);

  Camera3ds* camera = nullptr;
  GetCameraByName3ds(database, "Cam01", &camera);
  ASSERT_NE(camera, nullptr);
  ExpectPoint(peer->cameras->position, camera->position);
  ExpectPoint(peer->cameras->target, camera->target);
  EXPECT_FLOAT_EQ(camera->roll, 10.0f);
  EXPECT_NEAR(camera->fov, 60.0f, 1e-4);
  EXPECT_EQ(camera->seecone, 1);
  EXPECT_FLOAT_EQ(camera->nearplane, 5.0f);
  EXPECT_FLOAT_EQ(camera->farplane, 500.0f);
  ReleaseCamera3ds(&camera);

  EXPECT_EQ(GetOmnilightCount3ds(database), 1);
  EXPECT_EQ(GetSpotlightCount3ds(database), 1);
  for (const Lib3dsLight* light = peer->lights; light != nullptr; light = light->next) {
    SCOPED_TRACE(light->name);
    Light3ds* read = nullptr;
    if (light->spot_light) {
      GetSpotlightByName3ds(database, light->name, &read);
    } else {
      GetOmnilightByName3ds(database, light->name, &read);
    }
    ASSERT_NE(read, nullptr);
    ExpectPoint(light->position, read->position);
    ExpectPoint(light->color, {read->color.r, read->color.g, read->color.b});
    EXPECT_EQ(light->off != 0, read->off != 0);
    EXPECT_FLOAT_EQ(light->inner_range, read->innerrange);
    EXPECT_FLOAT_EQ(light->outer_range, read->outerrange);
    EXPECT_FLOAT_EQ(light->multiplier, read->multiplier);
    ASSERT_EQ(light->spot_light != 0, read->spot.has_value());
    if (!read->spot) {
      ReleaseLight3ds(&read);
      continue;
    }
    const Spotlight3ds& spot = *read->spot;
    ExpectPoint(light->spot, spot.target);
    EXPECT_FLOAT_EQ(light->hot_spot, spot.hotspot);
    EXPECT_FLOAT_EQ(light->fall_off, spot.falloff);
    EXPECT_FLOAT_EQ(light->roll, spot.roll);
    EXPECT_EQ(light->shadowed != 0, spot.cast != 0);
    EXPECT_FLOAT_EQ(light->shadow_bias, spot.shadowbias);
    EXPECT_FLOAT_EQ(light->shadow_filter, spot.shadowfilter);
    EXPECT_EQ(light->shadow_size, spot.shadowmapsize);
    EXPECT_FLOAT_EQ(light->spot_aspect, spot.aspect);
    EXPECT_EQ(light->see_cone != 0, spot.seecone != 0);
    EXPECT_EQ(light->rectangular_spot != 0, spot.rectangular != 0);
    EXPECT_EQ(light->use_projector != 0, spot.projectoron != 0);
    EXPECT_EQ(std::string(light->projector), spot.projector);
    EXPECT_EQ(light->ray_shadows != 0, spot.rayshadows != 0);
    EXPECT_FLOAT_EQ(light->ray_bias, spot.raybias);
    ReleaseLight3ds(&read);
  }

  Atmosphere3ds* atmosphere = nullptr;
  GetAtmosphere3ds(database, &atmosphere);
  ASSERT_NE(atmosphere, nullptr);
  const Lib3dsAtmosphere& fogs = peer->atmosphere;
  EXPECT_EQ(atmosphere->active, kUseFog3ds);
  EXPECT_FLOAT_EQ(atmosphere->fog.nearplane, fogs.fog.near_plane);
  EXPECT_FLOAT_EQ(atmosphere->fog.fardensity, fogs.fog.far_density);
  // The colour the peer wrote; its own reader does not take it back.
  EXPECT_EQ(atmosphere->fog.color, (fcolor3ds{0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(atmosphere->fog.fogbackground != 0, fogs.fog.fog_background != 0);
  EXPECT_FLOAT_EQ(atmosphere->layerfog.zmin, fogs.layer_fog.near_y);
  EXPECT_FLOAT_EQ(atmosphere->layerfog.zmax, fogs.layer_fog.far_y);
  EXPECT_FLOAT_EQ(atmosphere->layerfog.density, fogs.layer_fog.density);
  EXPECT_EQ(atmosphere->layerfog.falloff, 1u);
  EXPECT_EQ(atmosphere->layerfog.fogbackground, 1);
  EXPECT_FLOAT_EQ(atmosphere->dcue.farplane, fogs.dist_cue.far_plane);
  EXPECT_FLOAT_EQ(atmosphere->dcue.fardimming, fogs.dist_cue.far_dimming);
  EXPECT_EQ(atmosphere->dcue.dcuebackground != 0, fogs.dist_cue.cue_background != 0);
  ReleaseAtmosphere3ds(&atmosphere);

  Background3ds* background = nullptr;
  GetBackground3ds(database, &background);
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->used, kUseBitmapBackground3ds);
  EXPECT_EQ(background->bitmap, peer->background.bitmap.name);
  ExpectPoint(peer->background.solid.col,
              {background->solid.r, background->solid.g, background->solid.b});
  EXPECT_FLOAT_EQ(background->gradient.midpoint, peer->background.gradient.percent);
  ExpectPoint(peer->background.gradient.bottom,
              {background->gradient.bottom.r, background->gradient.bottom.g,
               background->gradient.bottom.b});
  ReleaseBackground3ds(&background);

  Meshset3ds* settings = nullptr;
  GetMeshSet3ds(database, &settings);
  ASSERT_NE(settings, nullptr);
  EXPECT_FLOAT_EQ(settings->masterscale, peer->master_scale);
  EXPECT_EQ(settings->shadowmapsize, peer->shadow.map_size);
  EXPECT_FLOAT_EQ(settings->loshadowbias, peer->shadow.lo_bias);
  EXPECT_FLOAT_EQ(settings->shadowfilter, peer->shadow.filter);
  EXPECT_FLOAT_EQ(settings->raybias, peer->shadow.ray_bias);
  ExpectPoint(peer->construction_plane, settings->oconsts);
  // The ambient light's bytes count in 256ths here and in 255ths in the peer.
  EXPECT_NEAR(settings->ambientlight.g, peer->ambient[1], 1.0 / 255);
  ReleaseMeshSet3ds(&settings);

  std::vector<int> kinds(8, 0);
  ExpectNodes(database, peer->nodes, &kinds);
  EXPECT_EQ(kinds[LIB3DS_OBJECT_NODE], 1);
  EXPECT_EQ(kinds[LIB3DS_CAMERA_NODE], 1);
  EXPECT_FALSE(ErrorsPending3ds());
  lib3ds_file_free(peer);
}

TEST_F(Peer, AToolkitWrittenSceneReadsInThePeerWithTheSameValues) {
  ChunkDatabase3ds* database = test3ds::NewDatabase(kMeshFile3ds);
  Camera3ds camera;
  CopyName3ds(camera.name, sizeof(camera.name), "Cam01");
  camera.position = {1, 2, 3};
  camera.roll = 15.0f;
  camera.fov = 50.0f;
  camera.seecone = 1;
  PutCamera3ds(database, &camera);
  Light3ds spot;
  CopyName3ds(spot.name, sizeof(spot.name), "Spot01");
  spot.position = {4, 5, 6};
  spot.color = {0.5f, 0.25f, 1.0f};
  spot.off = 1;
  spot.spot.emplace();
  spot.spot->target = {0, 0, -1};
  spot.spot->roll = 5.0f;
  spot.spot->cast = 1;
  spot.spot->localshadow = 1;
  spot.spot->shadowbias = 2.0f;
  spot.spot->shadowmapsize = 256;
  spot.spot->aspect = 2.0f;
  spot.spot->projectoron = 1;
  spot.spot->projector = "slide.gif";
  spot.spot->overshoot = 1;
  PutLight3ds(database, &spot);
  Atmosphere3ds atmosphere;
  atmosphere.active = kUseLayerFog3ds;
  atmosphere.layerfog = {-1.0f, 9.0f, 30.0f, 2, {0.0f, 0.5f, 1.0f}, 1};
  PutAtmosphere3ds(database, &atmosphere);
  Background3ds background;
  background.used = kUseGradientBackground3ds;
  background.gradient = {0.75f, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  PutBackground3ds(database, &background);
  Meshset3ds settings;
  settings.masterscale = 0.5f;
  settings.shadowmapsize = 2048;
  PutMeshSet3ds(database, &settings);
  Kfsets3ds frames;
  frames.animlength = 90;
  frames.curframe = 12;
  frames.segment = {1, 10, 80};
  PutKfSets3ds(database, &frames);
  CameraNode3ds* cameraNode = nullptr;
  InitCameraNode3ds(&cameraNode, 2, 1, 1, 1);
  CopyName3ds(cameraNode->name, sizeof(cameraNode->name), "Cam01");
  cameraNode->position.keys[1].time = 20;
  cameraNode->position.values = {{1, 2, 3}, {3, 2, 1}};
  cameraNode->fov.values = {50.0f};
  PutCameraNode3ds(database, cameraNode);
  ReleaseCameraNode3ds(&cameraNode);
  ObjectNode3ds* object = nullptr;
  InitObjectNode3ds(&object, 1, 1, 1, 0, 2);
  CopyName3ds(object->name, sizeof(object->name), "Box");
  CopyName3ds(object->parent, sizeof(object->parent), "Cam01");
  object->pivot = {0.5f, 0.5f, 0.5f};
  object->rotation.values = {{0.5f, 1, 0, 0}};
  object->scale.values = {{2, 2, 2}};
  object->hide.keys[1].time = 8;
  PutObjectNode3ds(database, object);
  ReleaseObjectNode3ds(&object);
  ASSERT_FALSE(ErrorsPending3ds());
  std::string path = (test3ds::TestFolder() / "toolkit.3ds").string();
  File3ds* file = OpenFile3ds(path.c_str(), "w");
  WriteDatabase3ds(file, database);
  CloseFile3ds(file);
  ASSERT_FALSE(ErrorsPending3ds());

  Lib3dsFile* peer = lib3ds_file_load(path.c_str());
  ASSERT_NE(peer, nullptr);
  ASSERT_NE(peer->cameras, nullptr);
  EXPECT_STREQ(peer->cameras->name, "Cam01");
  ExpectPoint(peer->cameras->position, camera.position);
  EXPECT_FLOAT_EQ(peer->cameras->roll, camera.roll);
  EXPECT_NEAR(peer->cameras->fov, camera.fov, 1e-4);
  EXPECT_TRUE(peer->cameras->see_cone);
  EXPECT_FLOAT_EQ(peer->cameras->far_range, camera.farplane);
  const Lib3dsLight* light = peer->lights;
  ASSERT_NE(light, nullptr);
  EXPECT_TRUE(light->spot_light);
  ExpectPoint(light->position, spot.position);
  ExpectPoint(light->color, {spot.color.r, spot.color.g, spot.color.b});
  EXPECT_TRUE(light->off);
  ExpectPoint(light->spot, spot.spot->target);
  EXPECT_FLOAT_EQ(light->hot_spot, spot.spot->hotspot);
  EXPECT_FLOAT_EQ(light->fall_off, spot.spot->falloff);
  EXPECT_FLOAT_EQ(light->roll, spot.spot->roll);
  EXPECT_TRUE(light->shadowed);
  EXPECT_FLOAT_EQ(light->shadow_bias, spot.spot->shadowbias);
  EXPECT_EQ(light->shadow_size, spot.spot->shadowmapsize);
  EXPECT_FLOAT_EQ(light->spot_aspect, spot.spot->aspect);
  EXPECT_TRUE(light->use_projector);
  EXPECT_STREQ(light->projector, "slide.gif");
  // The peer does not take DL_SPOT_OVERSHOOT back (its spot_overshoot stays 0).
  // The peer takes USE_LAYER_FOG for its plain fog's switch, so only the values are compared.
  EXPECT_FLOAT_EQ(peer->atmosphere.layer_fog.near_y, atmosphere.layerfog.zmin);
  EXPECT_FLOAT_EQ(peer->atmosphere.layer_fog.density, atmosphere.layerfog.density);
  EXPECT_EQ(peer->atmosphere.layer_fog.flags, 0x100001u);
  EXPECT_TRUE(peer->background.gradient.use);
  EXPECT_FLOAT_EQ(peer->background.gradient.percent, background.gradient.midpoint);
  ExpectPoint(peer->background.gradient.middle, {0, 1, 0});
  EXPECT_FLOAT_EQ(peer->master_scale, settings.masterscale);
  EXPECT_EQ(peer->shadow.map_size, settings.shadowmapsize);
  EXPECT_EQ(peer->frames, 90);
  EXPECT_EQ(peer->current_frame, 12);
  EXPECT_EQ(peer->segment_from, 10);
  EXPECT_EQ(peer->segment_to, 80);
  std::vector<int> kinds(8, 0);
  ExpectNodes(database, peer->nodes, &kinds);
  EXPECT_EQ(kinds[LIB3DS_CAMERA_NODE], 1);
  EXPECT_EQ(kinds[LIB3DS_TARGET_NODE], 1);
  EXPECT_EQ(kinds[LIB3DS_OBJECT_NODE], 1);
  EXPECT_FALSE(ErrorsPending3ds());
  lib3ds_file_free(peer);
}

}  // namespace
