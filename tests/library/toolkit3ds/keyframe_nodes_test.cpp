#include "library/toolkit3ds/keyframe_nodes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/extra_data.h"
#include "library/toolkit3ds/node_parents.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using KeyframeNodes = ToolkitTest;

keyheader3ds Key(uint32_t time, uint16_t flags = 0, float tension = 0.0f) {
  keyheader3ds key;
  key.time = time;
  key.rflags = flags;
  key.tension = tension;
  return key;
}

template <typename Value>
Track3ds<Value> MakeTrack(std::vector<Value> values, uint32_t flags = 0) {
  Track3ds<Value> track;
  track.keycount = static_cast<uint32_t>(values.size());
  track.flags = flags;
  for (uint32_t i = 0; i < track.keycount; ++i) {
    track.keys.push_back(i == 1 ? Key(10 * i, KEY_USE_TENS, 0.5f) : Key(10 * i));
  }
  track.values = std::move(values);
  return track;
}

struct Scene {
  AmbientNode3ds ambient;
  CameraNode3ds camera;
  ObjectNode3ds box, instance, child;
  OmniNode3ds omni;
  SpotNode3ds spot;
};

// One node of every kind, with every track and optional chunk in use somewhere.
Scene MakeScene() {
  Scene scene;
  scene.ambient.color = MakeTrack<ColorKey3ds>({{0.1f, 0.2f, 0.3f}, {1, 1, 1}});

  CameraNode3ds& camera = scene.camera;
  CopyName3ds(camera.name, sizeof(camera.name), "Camera01");
  camera.flags1 = 0x4000;
  camera.position = MakeTrack<point3ds>({{1, 2, 3}, {4, 5, 6}}, 3);
  camera.fov = MakeTrack<float>({45.0f});
  camera.roll = MakeTrack<float>({0.0f, 90.0f});
  CopyName3ds(camera.target.parent, sizeof(camera.target.parent), "Box.first");
  camera.target.position = MakeTrack<point3ds>({{7, 8, 9}});
  camera.target.flags2 = 2;

  ObjectNode3ds& box = scene.box;
  CopyName3ds(box.name, sizeof(box.name), "Box");
  box.morphsmooth = 0.0f;
  box.position = MakeTrack<point3ds>({{0, 0, 0}});
  box.rotation = MakeTrack<RotationKey3ds>({{0, 0, 0, 1}, {1.5f, 1, 0, 0}});
  box.scale = MakeTrack<point3ds>({{1, 1, 1}});

  ObjectNode3ds& instance = scene.instance;
  CopyName3ds(instance.name, sizeof(instance.name), "Box");
  CopyName3ds(instance.instance, sizeof(instance.instance), "first");
  instance.flags2 = kNodeMorphSmooth3ds;
  instance.morphsmooth = 30.0f;
  instance.pivot = {1, 1, 1};
  instance.bboxmin = {-1, -2, -3};
  instance.bboxmax = {1, 2, 3};
  instance.morph = MakeTrack<MorphKey3ds>({{"Box"}, {"Sphere"}});
  instance.hide = MakeTrack<HideKey3ds>({{}, {}, {}});

  ObjectNode3ds& child = scene.child;
  CopyName3ds(child.name, sizeof(child.name), "Lid");
  CopyName3ds(child.parent, sizeof(child.parent), "Box.first");
  child.morphsmooth = 0.0f;

  OmniNode3ds& omni = scene.omni;
  CopyName3ds(omni.name, sizeof(omni.name), "Omni01");
  CopyName3ds(omni.parent, sizeof(omni.parent), "Lid");
  omni.position = MakeTrack<point3ds>({{3, 3, 3}});
  omni.color = MakeTrack<ColorKey3ds>({{1, 0, 0}});

  SpotNode3ds& spot = scene.spot;
  CopyName3ds(spot.name, sizeof(spot.name), "Spot01");
  spot.position = MakeTrack<point3ds>({{5, 5, 5}});
  spot.color = MakeTrack<ColorKey3ds>({{0, 1, 0}});
  spot.hotspot = MakeTrack<float>({20.0f});
  spot.falloff = MakeTrack<float>({30.0f, 40.0f});
  spot.roll = MakeTrack<float>({5.0f});
  CopyName3ds(spot.target.parent, sizeof(spot.target.parent), "Camera01");
  spot.target.position = MakeTrack<point3ds>({{0, 0, 1}});
  return scene;
}

void PutScene(ChunkDatabase3ds* database, const Scene& scene) {
  PutAmbientNode3ds(database, &scene.ambient);
  PutCameraNode3ds(database, &scene.camera);
  PutObjectNode3ds(database, &scene.box);
  PutObjectNode3ds(database, &scene.instance);
  PutObjectNode3ds(database, &scene.child);
  PutOmniNode3ds(database, &scene.omni);
  PutSpotNode3ds(database, &scene.spot);
}

template <typename Record, typename Get>
Record GetNode(ChunkDatabase3ds* database, const char* name, Get get) {
  Record* read = nullptr;
  get(database, name, &read);
  EXPECT_NE(read, nullptr) << name;
  Record result = read != nullptr ? *read : Record{};
  ReleaseRecord3ds(&read);
  return result;
}

TEST_F(KeyframeNodes, InitsSizeTheTracks) {
  ObjectNode3ds* object = nullptr;
  InitObjectNode3ds(&object, 1, 2, 0, 0, 3);
  EXPECT_EQ(object->rotation.keycount, 2u);
  EXPECT_EQ(object->rotation.values, (std::vector<RotationKey3ds>(2, {0, 0, 0, 1})));
  EXPECT_EQ(object->hide.keys.size(), 3u);
  EXPECT_TRUE(object->scale.values.empty());
  EXPECT_EQ(object->morphsmooth, 24.0f);
  ReleaseObjectNode3ds(&object);
  SpotNode3ds* spot = nullptr;
  InitSpotNode3ds(&spot, 1, 1, 1, 1, 1, 4);
  EXPECT_EQ(spot->target.position.values.size(), 4u);
  ReleaseSpotNode3ds(&spot);
  EXPECT_EQ(spot, nullptr);
}

TEST_F(KeyframeNodes, EveryKindReadsBackAsPutThroughAFile) {
  Scene scene = MakeScene();
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  PutScene(database, scene);
  ASSERT_FALSE(ErrorsPending3ds());
  ChunkDatabase3ds* reread = WriteAndReadBack(database);

  EXPECT_TRUE(GetNode<AmbientNode3ds>(reread, "$AMBIENT$", GetAmbientNodeByName3ds) ==
              scene.ambient);
  EXPECT_TRUE(GetNode<CameraNode3ds>(reread, "Camera01", GetCameraNodeByName3ds) == scene.camera);
  EXPECT_TRUE(GetNode<ObjectNode3ds>(reread, "Box", GetObjectNodeByName3ds) == scene.box);
  EXPECT_TRUE(GetNode<ObjectNode3ds>(reread, "Box.first", GetObjectNodeByName3ds) ==
              scene.instance);
  EXPECT_TRUE(GetNode<ObjectNode3ds>(reread, "Lid", GetObjectNodeByName3ds) == scene.child);
  EXPECT_TRUE(GetNode<OmniNode3ds>(reread, "Omni01", GetOmniNodeByName3ds) == scene.omni);
  EXPECT_TRUE(GetNode<SpotNode3ds>(reread, "Spot01", GetSpotNodeByName3ds) == scene.spot);

  EXPECT_EQ(GetAmbientNodeCount3ds(reread), 1);
  EXPECT_EQ(GetCameraNodeCount3ds(reread), 1);
  EXPECT_EQ(GetObjectNodeCount3ds(reread), 3);
  EXPECT_EQ(GetOmniNodeCount3ds(reread), 1);
  EXPECT_EQ(GetSpotNodeCount3ds(reread), 1);
  EXPECT_EQ(GetNodeCount3ds(reread, TARGET_NODE_TAG), 1);
  EXPECT_EQ(GetNodeCount3ds(reread, L_TARGET_NODE_TAG), 1);
  NameArray3ds names;
  GetObjectNodeNames3ds(reread, &names);
  EXPECT_EQ(names, (NameArray3ds{"Box", "Box.first", "Lid"}));
  ObjectNode3ds* byIndex = nullptr;
  GetObjectNodeByIndex3ds(reread, 2, &byIndex);
  ASSERT_NE(byIndex, nullptr);
  EXPECT_TRUE(*byIndex == scene.child);
  ReleaseObjectNode3ds(&byIndex);

  // In the file the nodes are numbered in order; the ambient node is -1 and numbers nothing.
  ChunkNode3ds* kfdata = FindChildChunk3ds(reread->root, KFDATA);
  std::vector<int16_t> ids;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next) {
    if (IsNodeTag3ds(node->tag)) ids.push_back(GetNodeId3ds(node));
  }
  EXPECT_EQ(ids, (std::vector<int16_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(GetNodeId3ds(FindNodeByName3ds(reread, "$AMBIENT$", AMBIENT_NODE_TAG)), -1);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(KeyframeNodes, ReplacedNodesKeepTheirExtraDataAndNodesWithoutIdentifiersRead) {
  Bytes header = Chunk(NODE_HDR, Join({Text("Lamp"), Pack(uint16_t{1}, uint16_t{2}, int16_t{-1})}));
  Bytes xdata =
      Container(XDATA_SECTION, {Container(XDATA_ENTRY, {Chunk(XDATA_APPNAME, Text("tool"))})});
  Bytes track =
      Chunk(POS_TRACK_TAG,
            Join({Pack(uint16_t{0}, 0u, 0u, 1u), Pack(5u, uint16_t{0}), Pack(1.0f, 2.0f, 3.0f)}));
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(Container(
      M3DMAGIC, {Container(KFDATA, {Container(LIGHT_NODE_TAG, {header, track, xdata})})}));
  OmniNode3ds* read = nullptr;
  GetOmniNodeByIndex3ds(database, 0, &read);
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read->name, "Lamp");
  EXPECT_EQ(read->flags2, 2);
  EXPECT_EQ(read->position.keys[0].time, 5u);
  EXPECT_EQ(read->position.values, std::vector<point3ds>{(point3ds{1, 2, 3})});
  read->color = MakeTrack<ColorKey3ds>({{1, 1, 0}});
  PutOmniNode3ds(database, read);
  ChunkDatabase3ds* reread = WriteAndReadBack(database);
  EXPECT_EQ(GetOmniNodeCount3ds(reread), 1);
  OmniNode3ds* again = nullptr;
  GetOmniNodeByName3ds(reread, "Lamp", &again);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(*again == *read);
  ChunkNode3ds* node = FindNodeByName3ds(reread, "Lamp", LIGHT_NODE_TAG);
  EXPECT_EQ(GetXDataEntryCount3ds(node), 1);
  ReleaseOmniNode3ds(&read);
  ReleaseOmniNode3ds(&again);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(KeyframeNodes, RefusedPuts) {
  Scene scene = MakeScene();
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  ObjectNode3ds shortTrack = scene.box;
  shortTrack.rotation.keycount = 3;
  ObjectNode3ds longName = scene.box;
  CopyName3ds(longName.instance, sizeof(longName.instance), "");
  std::memset(longName.name, 'x', sizeof(longName.name));
  ChunkDatabase3ds library;
  NewDatabaseRoot3ds(&library, kMaterialFile3ds);
  struct Case {
    const char* what;
    std::function<void()> put;
    int32_t code;
  } cases[] = {
      {"keys beyond the arrays", [&] { PutObjectNode3ds(database, &shortTrack); },
       ERR_INVALID_DATA},
      {"a name without room for its end", [&] { PutObjectNode3ds(database, &longName); },
       ERR_STRING_TOO_LONG},
      {"no database", [&] { PutCameraNode3ds(nullptr, &scene.camera); }, ERR_INVALID_ARG},
      {"no record", [&] { PutSpotNode3ds(database, nullptr); }, ERR_INVALID_ARG},
      {"a material library", [&] { PutOmniNode3ds(&library, &scene.omni); }, ERR_WRONG_DATABASE},
  };
  for (const Case& c : cases) {
    ClearErrors3ds();
    c.put();
    EXPECT_EQ(PendingCodes(), std::vector<int32_t>{c.code}) << c.what;
  }
  EXPECT_EQ(GetObjectNodeCount3ds(database), 0);
  DeleteChunk3ds(&library.root);
}

TEST_F(KeyframeNodes, DeletedAndCopiedNodesTakeTheirTargetsAndParents) {
  Scene scene = MakeScene();
  ChunkDatabase3ds* source = NewDatabase(kMeshFile3ds);
  PutScene(source, scene);
  ChunkDatabase3ds* destination = NewDatabase(kProjectFile3ds);
  CopyOmniNodeByName3ds(destination, source, "Omni01");
  CopyCameraNodeByIndex3ds(destination, source, 0);
  NameArray3ds names;
  GetObjectNodeNames3ds(destination, &names);
  EXPECT_EQ(names, (NameArray3ds{"Lid", "Box.first"}));
  EXPECT_EQ(GetNodeCount3ds(destination, TARGET_NODE_TAG), 1);
  DeleteCameraNodeByName3ds(source, "Camera01");
  DeleteObjectNodeByIndex3ds(source, 0);
  DeleteSpotNodeByIndex3ds(source, 0);
  EXPECT_EQ(GetCameraNodeCount3ds(source), 0);
  EXPECT_EQ(GetNodeCount3ds(source, TARGET_NODE_TAG), 0);
  EXPECT_EQ(GetNodeCount3ds(source, L_TARGET_NODE_TAG), 0);
  GetObjectNodeNames3ds(source, &names);
  EXPECT_EQ(names, (NameArray3ds{"Box.first", "Lid"}));
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(KeyframeNodes, SettingsReadBackAndCopy) {
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  Kfsets3ds* defaults = nullptr;
  GetKfSets3ds(database, &defaults);
  ASSERT_NE(defaults, nullptr);
  EXPECT_TRUE(*defaults == Kfsets3ds{});
  ReleaseKfSets3ds(&defaults);
  for (uint8_t used : {uint8_t{1}, uint8_t{0}}) {
    Kfsets3ds settings;
    settings.animlength = 120;
    settings.curframe = 12;
    settings.segment = {used, used ? 10u : 0u, used ? 50u : kNewAnimationLength3ds};
    PutKfSets3ds(database, &settings);
    ChunkDatabase3ds* reread =
        WriteAndReadBack(database, used ? "with_segment.3ds" : "without_segment.3ds");
    Kfsets3ds* read = nullptr;
    GetKfSets3ds(reread, &read);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == settings) << int{used};
    ChunkDatabase3ds* copy = NewDatabase(kProjectFile3ds);
    CopyKfSets3ds(copy, reread);
    GetKfSets3ds(copy, &read);
    EXPECT_TRUE(*read == settings) << int{used};
    ReleaseKfSets3ds(&read);
  }
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(KeyframeNodes, BoundingBoxFromAMesh) {
  Mesh3ds mesh;
  ObjectNode3ds node;
  SetBoundBoxFromMesh3ds(&mesh, &node);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_INVALID_DATA});
  ClearErrors3ds();
  mesh.nvertices = 3;
  mesh.vertexarray = {{1, -2, 3}, {-1, 5, 0}, {0, 0, 9}};
  SetBoundBoxFromMesh3ds(&mesh, &node);
  EXPECT_EQ(node.bboxmin, (point3ds{-1, -2, 0}));
  EXPECT_EQ(node.bboxmax, (point3ds{1, 5, 9}));
}

// Nodes sharing an identifier and a node that is its own parent end the tree dump.
TEST_F(KeyframeNodes, NodeListDumps) {
  auto node = [](uint16_t tag, int16_t id, const char* name, int16_t parent,
                 const char* instance = nullptr) {
    Bytes children =
        Join({Chunk(NODE_ID, Pack(id)),
              Chunk(NODE_HDR, Join({Text(name), Pack(uint16_t{0}, uint16_t{0}, parent)}))});
    if (instance != nullptr) children = Join({children, Chunk(INSTANCE_NAME, Text(instance))});
    return Chunk(tag, children);
  };
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(Container(
      M3DMAGIC,
      {Container(KFDATA,
                 {node(OBJECT_NODE_TAG, 0, "Root", -1), node(OBJECT_NODE_TAG, 1, "Arm", 0, "left"),
                  node(OBJECT_NODE_TAG, 1, "Twin", 0), node(OBJECT_NODE_TAG, 2, "Hand", 1),
                  node(OBJECT_NODE_TAG, 3, "Self", 3)})}));
  ChunkNode3ds* kfdata = FindChildChunk3ds(database->root, KFDATA);
  FreeNodeList3ds();
  for (ChunkNode3ds* child = kfdata->children; child != nullptr; child = child->next)
    AddNodeEntry3ds(child);
  EXPECT_EQ(TextOf(DumpNodeList3ds),
            "ID:0\tName:Root\tParent:-1\n"
            "ID:1\tName:Arm.left\tParent:0\n"
            "ID:1\tName:Twin\tParent:0\n"
            "ID:2\tName:Hand\tParent:1\n"
            "ID:3\tName:Self\tParent:3\n");
  EXPECT_EQ(TextOf(DumpNodeTree3ds), "Root\n-Arm\n--Hand\n-Twin\n");
  ASSERT_NE(FindNodeEntryByName3ds("Arm.left"), nullptr);
  EXPECT_EQ(FindNodeEntryByName3ds("Arm"), nullptr);
  EXPECT_EQ(FindNodeEntryById3ds(2)->name, "Hand");
  FreeNodeList3ds();
  EXPECT_TRUE(GetNodeList3ds().empty());
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(KeyframeNodes, MoreNodesThanIdentifiersAreRefusedOnWriting) {
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(database->root, &kfdata);
  // Linked by hand: appending one by one would walk the whole chain each time.
  ChunkNode3ds** link = &kfdata->children;
  while (*link != nullptr) link = &(*link)->next;
  for (int i = 0; i <= 32768; ++i) {
    NewChunkWithTag3ds(link, OBJECT_NODE_TAG);
    AddNodeHeader3ds("Box", 0, 0, "", *link);
    link = &(*link)->next;
  }
  std::string path = (TestFolder() / "many.3ds").string();
  File3ds* file = OpenFile3ds(path.c_str(), "w");
  WriteDatabase3ds(file, database);
  std::vector<int32_t> codes = PendingCodes();
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), ERR_INVALID_DATA);
}

}  // namespace
