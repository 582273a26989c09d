#include "library/toolkit3ds/mesh_objects.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using MeshObjects = test3ds::ToolkitTest;

// A mesh that uses every part of the record.
Mesh3ds FullMesh() {
  Mesh3ds* mesh = nullptr;
  InitMeshObj3ds(&mesh, 4, 2, kMeshTextureVertices3ds | kMeshSmoothing3ds | kMeshVertexFlags3ds);
  CopyName3ds(mesh->name, sizeof(mesh->name), "Panel");
  mesh->vertexarray = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 2}};
  mesh->textarray = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  mesh->vflagarray = {1, 2, 3, 4};
  mesh->facearray = {{0, 1, 2, 7}, {1, 3, 2, 3}};
  mesh->smootharray = {1, 6};
  mesh->nmats = 2;
  InitMeshArrays3ds(mesh, kMeshMaterialGroups3ds);
  CopyName3ds(mesh->matarray[0].name, kMaterialNameSize3ds, "Glass");
  InitMatArrayIndex3ds(mesh, 0, 1);
  CopyName3ds(mesh->matarray[1].name, kMaterialNameSize3ds, "Metal");
  InitMatArrayIndex3ds(mesh, 1, 1);
  mesh->matarray[1].faceindex[0] = 1;
  mesh->usemapinfo = 1;
  mesh->m_map.maptype = 2;
  mesh->m_map.scale = 3.0f;
  mesh->useboxmap = 1;
  for (int side = 0; side < 6; ++side) {
    CopyName3ds(mesh->boxmap[side], kMaterialNameSize3ds, "Side" + std::to_string(side));
  }
  mesh->meshcolor = 5;
  mesh->ishidden = 1;
  mesh->isfrozen = 1;
  mesh->isproc = 1;
  CopyName3ds(mesh->procname, sizeof(mesh->procname), "twist.pxp");
  mesh->procdata = {9, 8, 7};
  mesh->procsize = 3;
  SetMeshCenterMatrix3ds(mesh);
  Mesh3ds copy = *mesh;
  ReleaseMeshObj3ds(&mesh);
  return copy;
}

TEST_F(MeshObjects, InitialisedMeshHasZeroVerticesAndFirstTriangleFaces) {
  Mesh3ds* mesh = nullptr;
  InitMeshObj3ds(&mesh, 8, 12, 0);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->vertexarray, std::vector<point3ds>(8));
  EXPECT_EQ(mesh->facearray, std::vector<face3ds>(12, face3ds{0, 1, 2, 0}));
  EXPECT_EQ(mesh->ntextverts, 0);
  EXPECT_TRUE(mesh->textarray.empty());
  EXPECT_EQ(mesh->m_map.matrix[0], 1.0f);
  EXPECT_EQ(mesh->m_map.matrix[4], 1.0f);
  EXPECT_EQ(mesh->m_map.pw, 1.0f);
  InitMatArrayIndex3ds(mesh, 0, 3);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_INVALID_DATA});
  ReleaseMeshObj3ds(&mesh);
}

TEST_F(MeshObjects, AMeshPutWrittenAndReadBackIsTheSameRecord) {
  Mesh3ds original = FullMesh();
  EXPECT_EQ(original.locmatrix[9], 0.5f);
  EXPECT_EQ(original.locmatrix[11], 1.0f);
  ChunkDatabase3ds* database = test3ds::NewDatabase(kMeshFile3ds);
  PutMesh3ds(database, &original);
  ChunkDatabase3ds* reread = test3ds::WriteAndReadBack(database);
  Mesh3ds* mesh = nullptr;
  GetMeshByName3ds(reread, "Panel", &mesh);
  EXPECT_FALSE(ErrorsPending3ds());
  ASSERT_NE(mesh, nullptr);
  EXPECT_TRUE(*mesh == original);
  ReleaseMeshObj3ds(&mesh);
}

TEST_F(MeshObjects, OnlyObjectsHoldingATriangleMeshAreMeshes) {
  Bytes camera = Chunk(NAMED_OBJECT, Text("Cam"), {Chunk(N_CAMERA, Bytes(32))});
  Bytes mesh =
      Chunk(NAMED_OBJECT, Text("Box"),
            {Container(N_TRI_OBJECT, {Chunk(POINT_ARRAY, Pack(uint16_t{1}, 1.0f, 2.0f, 3.0f))})});
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {camera, mesh})}));
  EXPECT_EQ(GetMeshCount3ds(database), 1);
  Mesh3ds* read = nullptr;
  GetMeshByIndex3ds(database, 0, &read);
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read->name, "Box");
  EXPECT_EQ(read->ntextverts, 0);
  EXPECT_TRUE(read->textarray.empty());
  GetMeshByIndex3ds(database, 1, &read);
  EXPECT_STREQ(read->name, "Box");
  Mesh3ds* untouched = nullptr;
  GetMeshByName3ds(database, "Cam", &untouched);
  EXPECT_EQ(untouched, nullptr);
  EXPECT_FALSE(ErrorsPending3ds());
  ReleaseMeshObj3ds(&read);
}

TEST_F(MeshObjects, SmoothingMasksAreOnePerFace) {
  Bytes faces = Pack(uint16_t{2}, uint16_t{0}, uint16_t{1}, uint16_t{2}, uint16_t{0}, uint16_t{0},
                     uint16_t{2}, uint16_t{1}, uint16_t{0});
  Bytes mesh =
      Chunk(NAMED_OBJECT, Text("Box"),
            {Container(N_TRI_OBJECT,
                       {Chunk(FACE_ARRAY, faces, {Chunk(SMOOTH_GROUP, Pack(5u, 6u, 7u))})})});
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {mesh})}));
  Mesh3ds* read = nullptr;
  GetMeshByIndex3ds(database, 0, &read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->smootharray, (std::vector<ulong3ds>{5, 6}));
  EXPECT_EQ(read->nmats, 0);
  EXPECT_TRUE(read->matarray.empty());
  ReleaseMeshObj3ds(&read);
}

TEST_F(MeshObjects, ReplacingAMeshKeepsItsExtraDataAndCountsBeyondArraysAreRefused) {
  Bytes xdata =
      Container(XDATA_SECTION, {Container(XDATA_ENTRY, {Chunk(XDATA_APPNAME, Text("tool"))})});
  Bytes mesh = Chunk(NAMED_OBJECT, Text("Panel"), {Container(N_TRI_OBJECT, {xdata})});
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {mesh})}));
  Mesh3ds replacement = FullMesh();
  PutMesh3ds(database, &replacement);
  EXPECT_EQ(GetMeshCount3ds(database), 1);
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, "Panel", &object);
  ChunkNode3ds* kept = nullptr;
  FindChunk3ds(object, XDATA_APPNAME, &kept);
  ASSERT_NE(kept, nullptr);
  const NameData3ds* appName = ChunkDataAs3ds<NameData3ds>(kept);
  ASSERT_NE(appName, nullptr);
  EXPECT_EQ(appName->name, "tool");

  replacement.nvertices = 5;
  PutMesh3ds(database, &replacement);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_INVALID_DATA});
}

TEST_F(MeshObjects, DeletedAndCopiedMeshes) {
  ChunkDatabase3ds* source = test3ds::NewDatabase(kMeshFile3ds);
  Mesh3ds mesh = FullMesh();
  PutMesh3ds(source, &mesh);
  CopyName3ds(mesh.name, sizeof(mesh.name), "Second");
  PutMesh3ds(source, &mesh);
  ChunkDatabase3ds* destination = test3ds::NewDatabase(kMeshFile3ds);
  CopyMeshByName3ds(destination, source, "Second");
  CopyMeshByIndex3ds(destination, source, 1);
  DeleteMeshByIndex3ds(source, 0);
  EXPECT_FALSE(ErrorsPending3ds());
  NameArray3ds names;
  GetMeshNames3ds(source, &names);
  EXPECT_EQ(names, NameArray3ds{"Second"});
  GetMeshNames3ds(destination, &names);
  EXPECT_EQ(names, NameArray3ds{"Second"});
}

}  // namespace
