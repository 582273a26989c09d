// Extra data: the blocks other programs keep in a 3DS file.
//
// An XDATA_SECTION holds one XDATA_ENTRY per program, each named by its XDATA_APPNAME child and
// holding what that program stored (its raw data and XDATA_ chunks). A node's section is the
// first one in its subtree, depth-first (the node itself when it is one); a mesh keeps its section
// under its N_TRI_OBJECT.
#pragma once

#include <cstdint>

#include "library/toolkit3ds/chunk_database.h"

int32_t GetXDataEntryCount3ds(ChunkNode3ds* node);
// Each entry by its application name (an empty text when it has none), in order.
void GetXDataEntryList3ds(ChunkNode3ds* node, NameIndex3ds* out);
void GetXDataAppNames3ds(ChunkNode3ds* node, NameArray3ds* out);
// The entry itself, or none.
void FindXDataEntry3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds** out);
void FindXDataEntryByIndex3ds(ChunkNode3ds* node, int32_t index, ChunkNode3ds** out);
// A copy of the entry's subtree for the caller to delete, or none.
void GetXDataEntryByName3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds** out);
void GetXDataEntryByIndex3ds(ChunkNode3ds* node, int32_t index, ChunkNode3ds** out);
// Adds a copy of entry under the node's section, replacing the entry of the same application name;
// a node without a section gets one under its N_TRI_OBJECT (a node without either gets nothing).
void PutXDataEntry3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds* entry);
// The same for the mesh of the given name.
int32_t GetMeshXDataCount3ds(ChunkDatabase3ds* database, const char* meshName);
void GetMeshXDataByIndex3ds(ChunkDatabase3ds* database, const char* meshName, int32_t index,
                            ChunkNode3ds** out);
void GetMeshXDataByName3ds(ChunkDatabase3ds* database, const char* meshName, const char* appName,
                           ChunkNode3ds** out);
