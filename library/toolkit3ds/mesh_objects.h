// Triangle meshes as flat records.
//
// A mesh is a NAMED_OBJECT (0x4000, its name: at most 10 characters) under MDATA holding an
// N_TRI_OBJECT (0x4100) with its vertices (POINT_ARRAY), vertex flags (POINT_FLAG_ARRAY), texture
// coordinates (TEX_VERTS), mapping icon (MESH_TEXTURE_INFO), local matrix (MESH_MATRIX), colour
// index (MESH_COLOR), faces (FACE_ARRAY, with MSH_MAT_GROUP material groups, SMOOTH_GROUP masks and
// an MSH_BOXMAP as its children) and procedure (PROC_NAME, PROC_DATA); the object's flags are empty
// chunks 0x4010..0x4017 beside the N_TRI_OBJECT. Reading works on a copy of the object's subtree,
// so the database is left as it was.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/toolkit_types.h"

inline constexpr size_t kObjectNameSize3ds = 11;    // characters with the terminator
inline constexpr size_t kMaterialNameSize3ds = 17;  // characters with the terminator
inline constexpr size_t kProcNameSize3ds = 16;      // characters with the terminator

// Bits naming the arrays of a mesh record.
enum MeshArrays3ds : uint32_t {
  kMeshVertices3ds = 0x01,
  kMeshTextureVertices3ds = 0x02,
  kMeshFaces3ds = 0x04,
  kMeshMaterialGroups3ds = 0x08,
  kMeshSmoothing3ds = 0x10,
  kMeshProcedureData3ds = 0x20,
  kMeshVertexFlags3ds = 0x40,
  kMeshAllArrays3ds = 0x7F,
};

// How a planar, cylindrical or spherical mapping icon lies on the mesh.
struct MeshMapInfo3ds {
  int16_t maptype = 0;
  float tilex = 1.0f, tiley = 1.0f;
  float cenx = 0.0f, ceny = 0.0f, cenz = 0.0f;
  float scale = 1.0f;
  std::array<float, 12> matrix{};
  float pw = 1.0f, ph = 1.0f, ch = 1.0f;  // planar width and height, cylinder height
  bool operator==(const MeshMapInfo3ds&) const = default;
};

// The faces of one material.
struct objmat3ds {
  char name[kMaterialNameSize3ds] = {};
  uint16_t nfaces = 0;
  std::vector<ushort3ds> faceindex;
  bool operator==(const objmat3ds&) const;
};

struct Mesh3ds {
  char name[kObjectNameSize3ds] = {};
  uint8_t ishidden = 0, isvislofter = 0, ismatte = 0, isnocast = 0, isfast = 0, isnorcvshad = 0,
          isfrozen = 0;
  uint16_t nvertices = 0;
  std::vector<point3ds> vertexarray;
  uint16_t nvflags = 0;
  std::vector<uint16_t> vflagarray;
  uint16_t ntextverts = 0;
  std::vector<textvert3ds> textarray;
  uint8_t usemapinfo = 0;
  MeshMapInfo3ds m_map;
  std::array<float, 12> locmatrix{};  // three axis rows, then the origin
  uint16_t nfaces = 0;
  std::vector<face3ds> facearray;
  std::vector<ulong3ds> smootharray;  // one mask per face, or none
  uint8_t useboxmap = 0;
  char boxmap[6][kMaterialNameSize3ds] = {};
  uint8_t meshcolor = 0;
  uint16_t nmats = 0;
  std::vector<objmat3ds> matarray;
  uint8_t isproc = 0;
  uint32_t procsize = 0;  // bytes
  char procname[kProcNameSize3ds] = {};
  std::vector<uint8_t> procdata;
  bool operator==(const Mesh3ds&) const;
};

// Allocates *out when none; arrays per the bits 2 (texture vertices), 0x10 (smoothing masks) and
// 0x40 (vertex flags), vertices and faces always.
void InitMeshObj3ds(Mesh3ds** out, uint16_t nvertices, uint16_t nfaces, uint32_t flags);
void InitMeshArrays3ds(Mesh3ds* mesh, uint32_t arrays);
void FreeMeshArrays3ds(Mesh3ds* mesh, uint32_t arrays);
void InitMatArrayIndex3ds(Mesh3ds* mesh, uint16_t group, uint16_t count);
void ReleaseMeshObj3ds(Mesh3ds** out);

int32_t GetMeshCount3ds(ChunkDatabase3ds* database);
void GetMeshNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
// The index-th named object (from 0) that is a mesh; an index past the last leaves *out as it is.
void GetMeshByIndex3ds(ChunkDatabase3ds* database, int32_t index, Mesh3ds** out);
void GetMeshByName3ds(ChunkDatabase3ds* database, const char* name, Mesh3ds** out);
void ReadMesh3ds(ChunkNode3ds* object, Mesh3ds** out);
// Stores the mesh as a named object, replacing one of the same name (whose extra data it keeps).
void PutMesh3ds(ChunkDatabase3ds* database, const Mesh3ds* mesh);
void DeleteMeshByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteMeshByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void CopyMeshByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index);
void CopyMeshByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name);
// The least and greatest vertex coordinates on each axis; false (ERR_INVALID_DATA) without
// vertices.
bool GetMeshBounds3ds(const Mesh3ds& mesh, point3ds* low, point3ds* high);
// Identity axes with the origin at the centre of the vertices' bounding box.
void SetMeshCenterMatrix3ds(Mesh3ds* mesh);
