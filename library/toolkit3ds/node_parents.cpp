#include "library/toolkit3ds/node_parents.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

constexpr int16_t kNoParent = -1;

struct NodeEntry {
  int16_t id = kNoParent;
  std::string name;
  std::string instance;
  int16_t parentId = kNoParent;
  ChunkNode3ds* header = nullptr;
};

// KFDATA of the database, found depth-first; none when it has none (ERR_INVALID_ARG without a
// database).
ChunkNode3ds* FindKeyFrameSection(const ChunkDatabase3ds* database) {
  if (database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  ChunkNode3ds* kfdata = nullptr;
  FindChunk3ds(database->root, KFDATA, &kfdata);
  return kfdata;
}

// The entry of a node chunk; false when it has no NODE_HDR or its data cannot be read.
bool MakeEntry(ChunkNode3ds* node, NodeEntry* entry) {
  entry->header = FindChildChunk3ds(node, NODE_HDR);
  if (entry->header == nullptr) return false;
  const auto* header = ChunkDataAs3ds<NodeHeaderData3ds>(entry->header);
  if (header == nullptr) return false;
  entry->name = header->name;
  entry->parentId = header->parentIndex;
  if (ChunkNode3ds* idNode = FindChildChunk3ds(node, NODE_ID)) {
    if (const auto* id = ChunkDataAs3ds<ShortData3ds>(idNode)) entry->id = id->value;
  }
  if (node->tag == OBJECT_NODE_TAG) {
    if (ChunkNode3ds* instance = FindChildChunk3ds(node, INSTANCE_NAME)) {
      if (const auto* text = ChunkDataAs3ds<NameData3ds>(instance)) entry->instance = text->name;
    }
  }
  return !ErrorsPending3ds();
}

std::string ParentText(const NodeEntry& parent) {
  return parent.instance.empty() ? parent.name : parent.name + "." + parent.instance;
}

// "name.instance" names the entry with both; a plain name the entry with that name and no instance.
const NodeEntry* FindNodeEntryByName3ds(const std::vector<NodeEntry>& entries,
                                        const std::string& text) {
  size_t stop = text.find('.');
  std::string name = text.substr(0, stop);
  std::string instance = stop == std::string::npos ? std::string() : text.substr(stop + 1);
  for (const NodeEntry& entry : entries) {
    if (entry.name == name && entry.instance == instance) return &entry;
  }
  return nullptr;
}

void SetNodeId3ds(ChunkNode3ds* node, int16_t id) {
  ChunkNode3ds* idNode = FindChildChunk3ds(node, NODE_ID);
  if (idNode == nullptr) {
    // The identifier leads a node's chunks in files.
    NewChunkWithTag3ds(&idNode, NODE_ID);
    if (ErrorsPending3ds()) return;
    idNode->next = node->children;
    node->children = idNode;
  }
  if (auto* data = EditChunkData3ds<ShortData3ds>(idNode)) data->value = id;
}

}  // namespace

bool IsNodeTag3ds(int32_t tag) { return tag >= OBJECT_NODE_TAG && tag <= SPOTLIGHT_NODE_TAG; }

void AddParentName3ds(ChunkNode3ds* header, const char* name) {
  ChunkNode3ds* parentName = nullptr;
  NewChunkWithTag3ds(&parentName, PARENT_NAME);
  if (ErrorsPending3ds()) return;
  parentName->data = NameData3ds{name};
  InsertChildChunk3ds(header, parentName);
}

std::string GetParentName3ds(ChunkNode3ds* header) {
  ChunkNode3ds* parentName = FindChildChunk3ds(header, PARENT_NAME);
  if (parentName == nullptr) return {};
  const auto* text = std::get_if<NameData3ds>(&parentName->data);
  return text != nullptr ? text->name : std::string();
}

void ResolveNodeParents3ds(ChunkDatabase3ds* database) {
  ChunkNode3ds* kfdata = FindKeyFrameSection(database);
  if (kfdata == nullptr) return;
  std::vector<NodeEntry> entries;
  bool unnumbered = false;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next) {
    if (!IsNodeTag3ds(node->tag)) continue;
    NodeEntry entry;
    if (!MakeEntry(node, &entry)) {
      if (ErrorsPending3ds()) return;
      continue;
    }
    unnumbered = unnumbered || entry.id == kNoParent;
    entries.push_back(std::move(entry));
  }
  // Files without node identifiers number their nodes in order, and their parent indexes count so.
  if (unnumbered) {
    for (size_t i = 0; i < entries.size(); ++i) entries[i].id = static_cast<int16_t>(i);
  }
  std::unordered_map<int16_t, const NodeEntry*> byId;
  for (const NodeEntry& entry : entries) byId.emplace(entry.id, &entry);
  for (const NodeEntry& entry : entries) {
    if (entry.parentId == kNoParent) continue;
    auto parent = byId.find(entry.parentId);
    if (parent == byId.end()) continue;
    std::string text = ParentText(*parent->second);
    if (ChunkNode3ds* existing = FindChildChunk3ds(entry.header, PARENT_NAME)) {
      existing->data = NameData3ds{text};
    } else {
      AddParentName3ds(entry.header, text.c_str());
    }
    if (ErrorsPending3ds()) return;
  }
}

void ResolveParentIndexes3ds(ChunkDatabase3ds* database) {
  ChunkNode3ds* kfdata = FindKeyFrameSection(database);
  if (kfdata == nullptr) return;
  std::vector<NodeEntry> entries;
  int16_t counter = 0;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next) {
    if (node->tag == AMBIENT_NODE_TAG) {
      SetNodeId3ds(node, kNoParent);
    } else if (IsNodeTag3ds(node->tag)) {
      SetNodeId3ds(node, counter);
      NodeEntry entry;
      if (MakeEntry(node, &entry)) entries.push_back(std::move(entry));
      ++counter;
    }
    if (ErrorsPending3ds()) return;
  }
  for (const NodeEntry& entry : entries) {
    ChunkNode3ds* parentName = FindChildChunk3ds(entry.header, PARENT_NAME);
    int16_t parentIndex = kNoParent;
    if (parentName != nullptr) {
      if (const NodeEntry* parent =
              FindNodeEntryByName3ds(entries, GetParentName3ds(entry.header))) {
        parentIndex = parent->id;
      }
    }
    auto* header = EditChunkData3ds<NodeHeaderData3ds>(entry.header);
    if (header == nullptr) return;
    header->parentIndex = parentIndex;
  }
}
