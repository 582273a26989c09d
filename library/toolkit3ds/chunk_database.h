// A chunk database: one 3DS file's chunk tree and its three name indexes.
//
// The root tag tells the kind of file: 0x4D4D M3DMAGIC a mesh file, 0xC23D CMAGIC a project file,
// 0x3DAA MLIBMAGIC a material library. Meshes, lights and cameras are NAMED_OBJECT chunks under
// MDATA (0x3D3D); materials are MAT_ENTRY chunks under MDATA or, in a library, under the root;
// animation nodes are the 0xB001..0xB007 chunks under KFDATA (0xB000). An index is rebuilt lazily:
// every change through the toolkit marks it dirty and the next lookup rebuilds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/toolkit3ds/chunk_tree.h"
#include "library/toolkit3ds/file_table.h"

// The animation length a new key-frame section starts with.
inline constexpr uint32_t kNewAnimationLength3ds = 30;  // frames

enum DatabaseKind3ds : int32_t {
  kNoDatabase3ds = 0,
  kMeshFile3ds = 1,
  kProjectFile3ds = 2,
  kMaterialFile3ds = 3,
};

struct NameIndexEntry3ds {
  std::string name;
  ChunkNode3ds* node = nullptr;  // not owned
};
using NameIndex3ds = std::vector<NameIndexEntry3ds>;
// Names of the objects of one kind, in file order. Its room grows by kNameArrayStep3ds names at a
// time.
using NameArray3ds = std::vector<std::string>;
inline constexpr size_t kNameArrayStep3ds = 5;  // names

struct ChunkDatabase3ds {
  ChunkNode3ds* root = nullptr;
  bool objectListDirty = true;
  bool materialListDirty = true;
  bool nodeListDirty = true;
  NameIndex3ds objectList;
  NameIndex3ds materialList;
  NameIndex3ds nodeList;
};

void InitDatabase3ds(ChunkDatabase3ds** out);
void ReleaseDatabase3ds(ChunkDatabase3ds** out);
// Builds the tree of a file open for reading: headers only, data is read when asked for.
void ReadDatabase3ds(File3ds* file, ChunkDatabase3ds* database);
void WriteDatabase3ds(File3ds* file, ChunkDatabase3ds* database);
// Reads every chunk's data into memory, after which the tree no longer needs its file.
void ReadAllChunks3ds(ChunkDatabase3ds* database);
DatabaseKind3ds GetDatabaseKind3ds(const ChunkDatabase3ds* database);
void NewDatabaseRoot3ds(ChunkDatabase3ds* database, DatabaseKind3ds kind);
void CopyDatabase3ds(ChunkDatabase3ds* source, ChunkDatabase3ds* destination);

// Versions 0 to 3 (3 also when none is stored).
int32_t GetM3dVersion3ds(ChunkDatabase3ds* database);
int32_t GetMeshVersion3ds(ChunkDatabase3ds* database);
int32_t GetKfVersion3ds(ChunkDatabase3ds* database);
int32_t GetDatabaseVersion3ds(ChunkDatabase3ds* database);
void PutM3dVersion3ds(ChunkDatabase3ds* database, int32_t version);
void PutMeshVersion3ds(ChunkDatabase3ds* database, int32_t version);
void PutKfVersion3ds(ChunkDatabase3ds* database, int32_t version);
void PutDatabaseVersion3ds(ChunkDatabase3ds* database, int32_t version);

// The entry a put rebuilds: an existing one is emptied and tagged again, and a copy of its first
// XDATA_SECTION is handed out in *xdata to be added back last; without one, a new entry is
// inserted into parent by chunk order.
ChunkNode3ds* PrepareEntryForPut3ds(ChunkNode3ds* parent, ChunkNode3ds* existing, uint16_t tag,
                                    ChunkNode3ds** xdata);

// MDATA or KFDATA under the root, created when missing.
void FindMData3ds(ChunkNode3ds* root, ChunkNode3ds** out);
void FindKfData3ds(ChunkNode3ds* root, ChunkNode3ds** out);

// Name indexes. Lookups compare names exactly.
void UpdateObjectList3ds(ChunkDatabase3ds* database);
void UpdateMaterialList3ds(ChunkDatabase3ds* database);
void UpdateNodeList3ds(ChunkDatabase3ds* database);
void MarkObjectListDirty3ds(ChunkDatabase3ds* database);
void MarkMaterialListDirty3ds(ChunkDatabase3ds* database);
void MarkNodeListDirty3ds(ChunkDatabase3ds* database);
void FindNamedObject3ds(ChunkDatabase3ds* database, const char* name, ChunkNode3ds** out);
// The index-th named object (from 0) that holds a child with the tag.
ChunkNode3ds* FindNamedObjectByIndex3ds(ChunkDatabase3ds* database, uint16_t tag, int32_t index);
// The named objects that hold a child with the tag, in file order.
std::vector<NameIndexEntry3ds> ListNamedObjects3ds(ChunkDatabase3ds* database, uint16_t tag);
void FindMaterial3ds(ChunkDatabase3ds* database, const char* name, ChunkNode3ds** out);
ChunkNode3ds* GetMaterialNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
ChunkNode3ds* FindNodeByName3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag);
ChunkNode3ds* FindNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, uint16_t tag);

// Deleting empties the chunk (it is no longer written); copying replaces a same-named entry of the
// destination or adds one, creating MDATA there when missing.
void DeleteNamedObjectByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteNamedObjectByIndex3ds(ChunkDatabase3ds* database, uint16_t tag, int32_t index);
void CopyNamedObjectByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              const char* name);
void CopyNamedObjectByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                               uint16_t tag, int32_t index);
void DeleteMaterialByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteMaterialByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void CopyMaterialByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name);
void CopyMaterialByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index);
// Key-frame nodes by name ("name.instance" for an object instance) and tag. Deleting a camera or
// spotlight node deletes its target node too; a copied node whose header names a parent takes
// that parent along.
void DeleteNodeByName3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag);
void DeleteNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, uint16_t tag);
void CopyNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name,
                       uint16_t tag);
void CopyNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index,
                        uint16_t tag);

// Name lists and arrays for a caller: Init makes one when *out is none and empties it (an array
// then has room for kNameArrayStep3ds names); Release frees it and sets *out to none; Add appends a
// copy of name, growing the room by kNameArrayStep3ds when it is full. A missing argument pushes
// ERR_INVALID_ARG.
void InitNameList3ds(NameIndex3ds** out);
void ReleaseNameList3ds(NameIndex3ds** out);
void InitNameArray3ds(NameArray3ds** out);
void ReleaseNameArray3ds(NameArray3ds** out);
void AddToNameArray3ds(NameArray3ds* array, const char* name);

// Checks shared by the object layers: the database exists, has a root, and is one of the kinds
// given; pushes ERR_INVALID_ARG, ERR_INVALID_DATABASE or ERR_WRONG_DATABASE otherwise.
bool CheckDatabase3ds(const ChunkDatabase3ds* database, bool allowMaterialLibrary);
