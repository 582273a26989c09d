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
//
// Both translations work through one toolkit-wide node list, which a caller may also build and
// dump itself. The list always holds its entries in the order they were added, and the
// translations add the nodes in file order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "library/toolkit3ds/chunk_database.h"

inline constexpr int16_t kNoNodeId3ds = -1;

struct NodeEntry3ds {
  int16_t id = kNoNodeId3ds;
  int32_t tag = 0;
  std::string name;
  std::string instance;  // object nodes only; empty when none
  int16_t parentId = kNoNodeId3ds;
  ChunkNode3ds* header = nullptr;  // the node's NODE_HDR, not owned
};

bool IsNodeTag3ds(int32_t tag);
// After a read: gives each node header whose parent index names a node a PARENT_NAME.
void ResolveNodeParents3ds(ChunkDatabase3ds* database);
// Before a write: numbers the nodes in file order and sets each header's parent index. A database
// of more nodes than identifiers reach is refused with ERR_INVALID_DATA.
void ResolveParentIndexes3ds(ChunkDatabase3ds* database);
void AddParentName3ds(ChunkNode3ds* header, const char* name);
// The header's parent name, or an empty text when it has none.
std::string GetParentName3ds(ChunkNode3ds* header);

// The node list. Adding a node without a readable NODE_HDR adds nothing.
void AddNodeEntry3ds(ChunkNode3ds* node);
const std::vector<NodeEntry3ds>& GetNodeList3ds();
const NodeEntry3ds* FindNodeEntryById3ds(int16_t id);
// "name.instance" finds the first entry with both; a plain name the first with no instance.
const NodeEntry3ds* FindNodeEntryByName3ds(const char* text);
// The node's NODE_ID, or kNoNodeId3ds when it has none.
int16_t GetNodeId3ds(ChunkNode3ds* node);
void SetNodeId3ds(ChunkNode3ds* node, int16_t id);
// When any entry has no identifier, numbers all of them 0, 1, 2, ... in list order.
void AssignNodeIds3ds();
void FreeNodeList3ds();
void DumpNodeList3ds(FILE* stream);
// Each entry without a parent and below it, one "-" deeper per level, the entries whose parent it
// is; every entry is written once at the most, so shared identifiers and cycles end.
void DumpNodeTree3ds(FILE* stream);
