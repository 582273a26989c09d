#include "library/toolkit3ds/chunk_database.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using ChunkDatabase = test3ds::ToolkitTest;

Bytes Header(uint16_t tag, uint32_t length) { return Pack(tag, length); }

Bytes Quad(const std::string& name) {
  Bytes points = Pack(uint16_t{3}, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
  Bytes faces = Pack(uint16_t{1}, uint16_t{0}, uint16_t{1}, uint16_t{2}, uint16_t{7});
  return Chunk(NAMED_OBJECT, Text(name),
               {Container(N_TRI_OBJECT, {Chunk(POINT_ARRAY, points), Chunk(FACE_ARRAY, faces)})});
}

std::vector<uint16_t> ChildTags(const ChunkNode3ds* parent) {
  std::vector<uint16_t> tags;
  for (const ChunkNode3ds* child = parent->children; child != nullptr; child = child->next) {
    tags.push_back(static_cast<uint16_t>(child->tag));
  }
  return tags;
}

bool Contains(const std::vector<int32_t>& codes, int32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

TEST_F(ChunkDatabase, LengthsThatLieAreRefused) {
  Bytes deep = Header(M3DMAGIC, 6 * 200);
  for (uint32_t level = 1; level < 200; ++level) {
    Bytes inner = Header(MDATA, 6 * (200 - level));
    deep.insert(deep.end(), inner.begin(), inner.end());
  }
  const struct {
    const char* what;
    Bytes file;
    int32_t cause;
  } cases[] = {
      {"child of length 0", test3ds::Join({Header(M3DMAGIC, 18), Header(MDATA, 0), Bytes(6)}),
       ERR_INVALID_CHUNK},
      {"child of length 3", test3ds::Join({Header(M3DMAGIC, 18), Header(MDATA, 3), Bytes(6)}),
       ERR_INVALID_CHUNK},
      {"child past the file", test3ds::Join({Header(M3DMAGIC, 18), Header(MDATA, 400), Bytes(6)}),
       ERR_INVALID_CHUNK},
      {"root past the file", test3ds::Join({Header(M3DMAGIC, 5000), Bytes(10)}), ERR_INVALID_CHUNK},
      {"trailing bytes shorter than a header", Chunk(M3DMAGIC, {}, {Bytes{1, 2, 3}}),
       ERR_INVALID_CHUNK},
      {"nesting too deep", deep, ERR_INVALID_CHUNK},
      {"face count past the file",
       Container(M3DMAGIC, {Chunk(FACE_ARRAY, test3ds::Join({Pack(uint16_t{60000}), Bytes(16)}))}),
       ERR_READING_FILE},
      {"face count past the chunk",
       Container(M3DMAGIC, {Chunk(FACE_ARRAY, Pack(uint16_t{2})), Chunk(0x7777, Bytes(16))}),
       ERR_INVALID_CHUNK},
      {"object name without terminator", Container(M3DMAGIC, {Chunk(NAMED_OBJECT, Bytes(11, 'A'))}),
       ERR_READING_FILE},
      {"truncated header", Bytes{0x4D, 0x4D, 0x10}, ERR_READING_FILE},
  };
  for (const auto& c : cases) {
    ClearErrors3ds();
    test3ds::ReadDatabaseFromBytes(c.file);
    std::vector<int32_t> codes = PendingCodes();
    EXPECT_TRUE(Contains(codes, c.cause)) << c.what;
    EXPECT_EQ(codes.back(), ERR_CREATING_DATABASE) << c.what;
    CloseAllFiles3ds();
  }
}

TEST_F(ChunkDatabase, AChildRunningPastItsParentIsReadAsFarAsTheFileGoes) {
  // The root's length covers MDATA's header only; MDATA's own length reaches the object after it.
  const Bytes object = Quad("Box");
  const Bytes file = test3ds::Join(
      {Header(M3DMAGIC, 12), Header(MDATA, static_cast<uint32_t>(6 + object.size())), object});
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(file);
  EXPECT_FALSE(ErrorsPending3ds());
  EXPECT_EQ(GetMeshCount3ds(database), 1);
  EXPECT_EQ(ChildTags(database->root), std::vector<uint16_t>{MDATA});
}

TEST_F(ChunkDatabase, NameArraysGrowByFiveAndListsAreMadeAndFreedForTheCaller) {
  NameArray3ds* names = nullptr;
  InitNameArray3ds(&names);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(names->capacity(), 5u);
  for (int i = 0; i < 6; ++i) AddToNameArray3ds(names, ("name" + std::to_string(i)).c_str());
  EXPECT_EQ(names->capacity(), 10u);
  EXPECT_EQ(names->back(), "name5");
  InitNameArray3ds(&names);  // the same array, emptied
  EXPECT_TRUE(names->empty());
  EXPECT_EQ(names->capacity(), 5u);
  ReleaseNameArray3ds(&names);
  EXPECT_EQ(names, nullptr);

  NameIndex3ds* list = nullptr;
  InitNameList3ds(&list);
  ASSERT_NE(list, nullptr);
  list->push_back({"Box", nullptr});
  InitNameList3ds(&list);
  EXPECT_TRUE(list->empty());
  ReleaseNameList3ds(&list);
  EXPECT_EQ(list, nullptr);

  // A chain of siblings goes with its children.
  ChunkNode3ds* chain = nullptr;
  NewChunkWithTag3ds(&chain, MDATA);
  NewChunkWithTag3ds(&chain->next, NAMED_OBJECT);
  NewChunkWithTag3ds(&chain->next->children, N_TRI_OBJECT);
  DeleteChunkChain3ds(&chain);
  EXPECT_EQ(chain, nullptr);
  EXPECT_FALSE(ErrorsPending3ds());

  InitNameArray3ds(nullptr);
  AddToNameArray3ds(nullptr, "Box");
  ReleaseNameList3ds(nullptr);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>(3, ERR_INVALID_ARG));
}

TEST_F(ChunkDatabase, AnUnknownRootIsALoneNodeWithoutError) {
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Chunk(0x1234, {}, {Chunk(MDATA, {})}));
  EXPECT_FALSE(ErrorsPending3ds());
  ASSERT_NE(database->root, nullptr);
  EXPECT_EQ(database->root->tag, 0x1234);
  EXPECT_EQ(database->root->children, nullptr);
  EXPECT_EQ(GetDatabaseKind3ds(database), kNoDatabase3ds);
}

TEST_F(ChunkDatabase, DataIsReadWhenAskedForAndCopiesTakeIt) {
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {Quad("Box")})}));
  ChunkNode3ds* points = nullptr;
  FindChunk3ds(database->root, POINT_ARRAY, &points);
  ASSERT_NE(points, nullptr);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(points->data));

  ChunkNode3ds* copy = nullptr;
  ReadChunkData3ds(points);
  CopyChunk3ds(points, &copy);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(points->data));
  ASSERT_NE(ChunkDataAs3ds<PointArrayData3ds>(copy), nullptr);
  EXPECT_EQ(ChunkDataAs3ds<PointArrayData3ds>(copy)->points.size(), 3u);
  const PointArrayData3ds* read = ChunkDataAs3ds<PointArrayData3ds>(points);
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->points.size(), 3u);
  EXPECT_EQ(read->points[1], (point3ds{1, 0, 0}));
  DeleteChunk3ds(&copy);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(ChunkDatabase, SmoothingMasksFollowTheChunkLength) {
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(Container(
      M3DMAGIC, {Chunk(SMOOTH_GROUP, Pack(1u, 2u, 4u)), Chunk(SMOOTH_GROUP, Bytes(7, 1))}));
  ASSERT_NE(database->root, nullptr);
  ASSERT_EQ(ChildTags(database->root), (std::vector<uint16_t>{SMOOTH_GROUP, SMOOTH_GROUP}));
  ChunkNode3ds* first = database->root->children;
  const SmoothGroupData3ds* firstMasks = ChunkDataAs3ds<SmoothGroupData3ds>(first);
  const SmoothGroupData3ds* secondMasks = ChunkDataAs3ds<SmoothGroupData3ds>(first->next);
  ASSERT_NE(firstMasks, nullptr);
  ASSERT_NE(secondMasks, nullptr);
  EXPECT_EQ(firstMasks->masks, (std::vector<uint32_t>{1, 2, 4}));
  EXPECT_EQ(secondMasks->masks, (std::vector<uint32_t>{0x01010101}));
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(ChunkDatabase, ChecksumsAddTheChunksWords) {
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Chunk(0x7777, Bytes{1, 2, 3})}));
  ASSERT_NE(database->root, nullptr);
  ChunkNode3ds* odd = database->root->children;
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(ChunkChecksum3ds(odd), 0x7777u + 9 + 0 + 0x0201 + 0x0003);
  EXPECT_EQ(ChunkChecksum3ds(database->root), 0x4D4Du + 15 + 0 + ChunkChecksum3ds(odd) + 0);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(ChunkDatabase, ChildrenAreInsertedByChunkOrder) {
  ChunkNode3ds* mdata = nullptr;
  NewChunkWithTag3ds(&mdata, MDATA);
  ASSERT_NE(mdata, nullptr);
  for (uint16_t tag : {NAMED_OBJECT, MASTER_SCALE, MESH_VERSION, MAT_ENTRY, NAMED_OBJECT}) {
    ChunkNode3ds* child = nullptr;
    NewChunkWithTag3ds(&child, tag);
    InsertChildChunk3ds(mdata, child);
  }
  ASSERT_EQ(ChildTags(mdata), (std::vector<uint16_t>{MESH_VERSION, MAT_ENTRY, MASTER_SCALE,
                                                     NAMED_OBJECT, NAMED_OBJECT}));

  ChunkNode3ds* reused = nullptr;
  PutChunk3ds(mdata, MAT_ENTRY, &reused);
  EXPECT_EQ(reused, mdata->children->next);
  ChunkNode3ds* kfdata = nullptr;
  NewChunkWithTag3ds(&kfdata, KFDATA);
  ASSERT_NE(kfdata, nullptr);
  for (uint16_t tag : {LIGHT_NODE_TAG, OBJECT_NODE_TAG, KFHDR, AMBIENT_NODE_TAG}) {
    ChunkNode3ds* child = nullptr;
    NewChunkWithTag3ds(&child, tag);
    InsertChildChunk3ds(kfdata, child);
  }
  EXPECT_EQ(ChildTags(kfdata),
            (std::vector<uint16_t>{KFHDR, OBJECT_NODE_TAG, AMBIENT_NODE_TAG, LIGHT_NODE_TAG}));
  DeleteChunk3ds(&mdata);
  DeleteChunk3ds(&kfdata);
}

TEST_F(ChunkDatabase, AfterReadingAllChunksTheFileCanBeClosed) {
  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(
      Container(M3DMAGIC, {Container(MDATA, {Quad("One"), Quad("Two")})}));
  ReadAllChunks3ds(database);
  CloseAllFiles3ds();
  Mesh3ds* mesh = nullptr;
  GetMeshByName3ds(database, "Two", &mesh);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->nvertices, 3);
  EXPECT_EQ(GetMeshCount3ds(database), 2);
  EXPECT_FALSE(ErrorsPending3ds());
  ReleaseMeshObj3ds(&mesh);
}

// A caller reads file after file: once it has closed the files of a refused one and cleared its
// errors, the next file reads as the first file of the process would.
TEST_F(ChunkDatabase, AfterARefusedFileTheNextFileReads) {
  test3ds::ReadDatabaseFromBytes(test3ds::Join({Header(M3DMAGIC, 5000), Bytes(10)}), "bad.3ds");
  ASSERT_TRUE(ErrorsPending3ds());
  CloseAllFiles3ds();
  EXPECT_TRUE(FileTable3ds.slots.empty());
  ClearErrors3ds();

  ChunkDatabase3ds* database = test3ds::ReadDatabaseFromBytes(
      Container(M3DMAGIC, {Container(MDATA, {Quad("Next")})}), "next.3ds");
  ASSERT_FALSE(ErrorsPending3ds());
  EXPECT_EQ(GetCurrentFileIndex3ds(), 0);  // the table starts again from its first slot
  Mesh3ds* mesh = nullptr;
  GetMeshByName3ds(database, "Next", &mesh);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->nvertices, 3);
  EXPECT_EQ(mesh->nfaces, 1);
  EXPECT_FALSE(ErrorsPending3ds());
  ReleaseMeshObj3ds(&mesh);
}

TEST_F(ChunkDatabase, ExtraDataKeepsOnlyWhatFitsItsEntry) {
  // A child running past the entry is stepped over by its header alone; an unknown kind ends the
  // entry.
  Bytes entry = Chunk(XDATA_ENTRY, {},
                      {Chunk(XDATA_APPNAME, Text("app")), Header(XDATA_STRING, 900),
                       Chunk(XDATA_STRING, Text("kept")), Chunk(0x9999, Bytes(2)),
                       Chunk(XDATA_STRING, Text("gone"))});
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(XDATA_SECTION, {entry})}));
  EXPECT_FALSE(ErrorsPending3ds());
  ChunkNode3ds* read = nullptr;
  FindChunk3ds(database->root, XDATA_ENTRY, &read);
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(ChildTags(read), (std::vector<uint16_t>{XDATA_APPNAME, XDATA_STRING}));
  const NameData3ds* kept = ChunkDataAs3ds<NameData3ds>(read->children->next);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->name, "kept");
}

TEST_F(ChunkDatabase, WritingFixesLengthsAndKeepsTheTree) {
  ChunkDatabase3ds* database = test3ds::NewDatabase(kMeshFile3ds);
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(database->root, &mdata);
  AddDataChunk3ds(mdata, MASTER_SCALE, FloatData3ds{2.5f});
  AddDataChunk3ds(mdata, 0x7777, RawData3ds{{1, 2, 3}});

  ChunkDatabase3ds* reread = test3ds::WriteAndReadBack(database);
  ASSERT_FALSE(ErrorsPending3ds());
  ASSERT_NE(database->root, nullptr);
  ASSERT_NE(reread->root, nullptr);
  ChunkNode3ds* scale = nullptr;
  FindChunk3ds(reread->root, MASTER_SCALE, &scale);
  ASSERT_NE(scale, nullptr);
  const FloatData3ds* scaleValue = ChunkDataAs3ds<FloatData3ds>(scale);
  const RawData3ds* unknown = ChunkDataAs3ds<RawData3ds>(scale->next);
  ASSERT_NE(scaleValue, nullptr);
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(scaleValue->value, 2.5f);
  EXPECT_EQ(unknown->bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(GetM3dVersion3ds(reread), 2);
  EXPECT_EQ(GetMeshVersion3ds(reread), 2);
  EXPECT_EQ(GetKfVersion3ds(reread), 2);
  EXPECT_EQ(database->root->length, reread->root->length);
}

}  // namespace
