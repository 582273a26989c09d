#include "library/toolkit3ds/node_parents.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using NodeParents = test3ds::ToolkitTest;

Bytes Node(uint16_t tag, std::optional<int16_t> id, const std::string& name, int16_t parent,
           const std::string& instance = "") {
  Bytes bytes = id ? Chunk(NODE_ID, Pack(*id)) : Bytes();
  Bytes header =
      Chunk(NODE_HDR, test3ds::Join({Text(name), Pack(uint16_t{0}, uint16_t{0}, parent)}));
  bytes.insert(bytes.end(), header.begin(), header.end());
  if (!instance.empty()) {
    Bytes instanceChunk = Chunk(INSTANCE_NAME, Text(instance));
    bytes.insert(bytes.end(), instanceChunk.begin(), instanceChunk.end());
  }
  return Chunk(tag, bytes);
}

// The index-th node chunk under KFDATA (a write adds the key-frame header before them).
ChunkNode3ds* NodeAt(ChunkDatabase3ds* database, int index) {
  ChunkNode3ds* kfdata = nullptr;
  FindChunk3ds(database->root, KFDATA, &kfdata);
  if (kfdata == nullptr) return nullptr;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next) {
    if (node->tag >= AMBIENT_NODE_TAG && node->tag <= SPOTLIGHT_NODE_TAG && index-- == 0)
      return node;
  }
  return nullptr;
}

std::string ParentOf(ChunkDatabase3ds* database, int index) {
  return GetParentName3ds(FindChildChunk3ds(NodeAt(database, index), NODE_HDR));
}

int16_t StoredParentIndex(ChunkDatabase3ds* database, int index) {
  return ChunkDataAs3ds<NodeHeaderData3ds>(FindChildChunk3ds(NodeAt(database, index), NODE_HDR))
      ->parentIndex;
}

int16_t StoredId(ChunkDatabase3ds* database, int index) {
  return ChunkDataAs3ds<ShortData3ds>(FindChildChunk3ds(NodeAt(database, index), NODE_ID))->value;
}

TEST_F(NodeParents, NodesWithoutIdentifiersAreCountedInOrder) {
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(
      Container(M3DMAGIC, {Container(KFDATA, {Node(OBJECT_NODE_TAG, std::nullopt, "A", -1),
                                              Node(OBJECT_NODE_TAG, std::nullopt, "B", 0),
                                              Node(OBJECT_NODE_TAG, std::nullopt, "C", 1)})}));
  ASSERT_FALSE(ErrorsPending3ds());
  EXPECT_EQ(ParentOf(database, 0), "");
  EXPECT_EQ(ParentOf(database, 1), "A");
  EXPECT_EQ(ParentOf(database, 2), "B");
}

TEST_F(NodeParents, InstanceNamesTravelThroughAWrite) {
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(Container(
      M3DMAGIC,
      {Container(KFDATA,
                 {Node(OBJECT_NODE_TAG, 7, "Box", -1, "copy"), Node(OBJECT_NODE_TAG, 3, "Box", -1),
                  Node(OBJECT_NODE_TAG, 9, "Child", 7), Node(OBJECT_NODE_TAG, 4, "Other", 3)})}));
  EXPECT_EQ(ParentOf(database, 2), "Box.copy");
  EXPECT_EQ(ParentOf(database, 3), "Box");

  ChunkDatabase3ds* reread = test3ds::WriteAndReadBack(database);
  ASSERT_FALSE(ErrorsPending3ds());
  EXPECT_EQ(StoredId(reread, 0), 0);
  EXPECT_EQ(StoredParentIndex(reread, 2), 0);
  EXPECT_EQ(StoredParentIndex(reread, 3), 1);
  EXPECT_EQ(ParentOf(reread, 2), "Box.copy");
  EXPECT_EQ(ParentOf(reread, 3), "Box");
}

TEST_F(NodeParents, AnUnknownParentIsWrittenAsNoneAndTheAmbientNodeIsNotCounted) {
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(Container(
      M3DMAGIC,
      {Container(KFDATA, {Node(AMBIENT_NODE_TAG, 5, "$AMBIENT$", -1),
                          Node(OBJECT_NODE_TAG, 1, "A", -1), Node(OBJECT_NODE_TAG, 2, "B", 1)})}));
  AddParentName3ds(FindChildChunk3ds(NodeAt(database, 1), NODE_HDR), "Nobody");

  ChunkDatabase3ds* reread = test3ds::WriteAndReadBack(database);
  ASSERT_FALSE(ErrorsPending3ds());
  EXPECT_EQ(StoredId(reread, 0), -1);
  EXPECT_EQ(StoredId(reread, 1), 0);
  EXPECT_EQ(StoredId(reread, 2), 1);
  EXPECT_EQ(StoredParentIndex(reread, 1), -1);
  EXPECT_EQ(StoredParentIndex(reread, 2), 0);
  EXPECT_EQ(ParentOf(reread, 2), "A");
}

}  // namespace

namespace {

TEST_F(NodeParents, CopiedNodesTakeTheirParentsAndDeletedCamerasTheirTargets) {
  ChunkDatabase3ds* source = test3ds::ReadDatabaseFromBytes(Container(
      M3DMAGIC,
      {Container(KFDATA, {Node(OBJECT_NODE_TAG, 0, "Base", -1), Node(OBJECT_NODE_TAG, 1, "Arm", 0),
                          Node(OBJECT_NODE_TAG, 2, "Hand", 1), Node(CAMERA_NODE_TAG, 3, "Cam", -1),
                          Node(TARGET_NODE_TAG, 4, "Cam", -1)})}));
  ChunkDatabase3ds* destination = test3ds::NewDatabase(kMeshFile3ds);
  CopyNodeByName3ds(destination, source, "Hand", OBJECT_NODE_TAG);
  EXPECT_NE(FindNodeByName3ds(destination, "Base", OBJECT_NODE_TAG), nullptr);
  EXPECT_NE(FindNodeByName3ds(destination, "Arm", OBJECT_NODE_TAG), nullptr);
  EXPECT_EQ(ParentOf(destination, 0), "Arm");

  DeleteNodeByName3ds(source, "Cam", CAMERA_NODE_TAG);
  EXPECT_EQ(FindNodeByName3ds(source, "Cam", CAMERA_NODE_TAG), nullptr);
  EXPECT_EQ(FindNodeByName3ds(source, "Cam", TARGET_NODE_TAG), nullptr);
  EXPECT_NE(FindNodeByName3ds(source, "Hand", OBJECT_NODE_TAG), nullptr);
  EXPECT_FALSE(ErrorsPending3ds());
}

}  // namespace
