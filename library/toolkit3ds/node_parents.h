// The parents of the key-frame nodes.
//
// In the file, a node chunk under KFDATA (0xB002 object, 0xB003 camera, 0xB004 camera target,
// 0xB005 omni light, 0xB006 light target, 0xB007 spotlight; the ambient node 0xB001 has no parent)
// carries a NODE_ID (0xB030, short) and a NODE_HDR (0xB010: name, two flag words, parent index:
// the NODE_ID of its parent, -1 for none). In memory the parent is named instead, by a PARENT_NAME
// (0x80F0) chunk under the NODE_HDR holding the parent's name, or "name.instance" when the parent
// is an object node with an instance name, so that nodes can be added, removed and copied without
// renumbering. PARENT_NAME is never written to a file: every read names the parents, every write
// numbers the nodes afresh and turns the names back into indexes.
#pragma once

#include <cstdint>

#include "library/toolkit3ds/chunk_database.h"

bool IsNodeTag3ds(int32_t tag);
// After a read: gives each node header whose parent index names a node a PARENT_NAME.
void ResolveNodeParents3ds(ChunkDatabase3ds* database);
// Before a write: numbers the nodes in file order and sets each header's parent index.
void ResolveParentIndexes3ds(ChunkDatabase3ds* database);
void AddParentName3ds(ChunkNode3ds* header, const char* name);
// The header's parent name, or an empty text when it has none.
std::string GetParentName3ds(ChunkNode3ds* header);
