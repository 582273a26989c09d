#include "library/toolkit3ds/node_parents.h"

#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

// Identifiers 0 to 32767: a node beyond would be numbered into the negative range.
constexpr size_t kMaxNodes = static_cast<size_t>(std::numeric_limits<int16_t>::max()) + 1;

std::vector<NodeEntry3ds> NodeList;

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

std::string ParentText(const NodeEntry3ds& parent) {
  return parent.instance.empty() ? parent.name : parent.name + "." + parent.instance;
}

// Lists the nodes of KFDATA in file order; false when a node's data cannot be read.
bool ListNodes(ChunkNode3ds* kfdata) {
  FreeNodeList3ds();
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next) {
    if (IsNodeTag3ds(node->tag)) AddNodeEntry3ds(node);
    if (ErrorsPending3ds()) return false;
  }
  return true;
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

void AddNodeEntry3ds(ChunkNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  NodeEntry3ds entry;
  entry.header = FindChildChunk3ds(node, NODE_HDR);
  const auto* header = ChunkDataAs3ds<NodeHeaderData3ds>(entry.header);
  if (header == nullptr) return;
  entry.tag = node->tag;
  entry.name = header->name;
  entry.parentId = header->parentIndex;
  entry.id = GetNodeId3ds(node);
  if (node->tag == OBJECT_NODE_TAG) {
    if (const auto* text = ChunkDataAs3ds<NameData3ds>(FindChildChunk3ds(node, INSTANCE_NAME)))
      entry.instance = text->name;
  }
  if (!ErrorsPending3ds()) NodeList.push_back(std::move(entry));
}

const std::vector<NodeEntry3ds>& GetNodeList3ds() { return NodeList; }

const NodeEntry3ds* FindNodeEntryById3ds(int16_t id) {
  for (const NodeEntry3ds& entry : NodeList) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const NodeEntry3ds* FindNodeEntryByName3ds(const char* text) {
  if (text == nullptr) return nullptr;
  std::string_view whole = text;
  size_t stop = whole.find('.');
  std::string_view name = whole.substr(0, stop);
  std::string_view instance = stop == std::string_view::npos ? "" : whole.substr(stop + 1);
  for (const NodeEntry3ds& entry : NodeList) {
    if (entry.name == name && entry.instance == instance) return &entry;
  }
  return nullptr;
}

int16_t GetNodeId3ds(ChunkNode3ds* node) {
  const auto* id = ChunkDataAs3ds<ShortData3ds>(FindChildChunk3ds(node, NODE_ID));
  return id != nullptr ? id->value : kNoNodeId3ds;
}

void SetNodeId3ds(ChunkNode3ds* node, int16_t id) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
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

void AssignNodeIds3ds() {
  bool unnumbered = false;
  for (const NodeEntry3ds& entry : NodeList) unnumbered = unnumbered || entry.id == kNoNodeId3ds;
  if (!unnumbered) return;
  for (size_t i = 0; i < NodeList.size(); ++i) NodeList[i].id = static_cast<int16_t>(i);
}

void FreeNodeList3ds() {
  NodeList.clear();
  NodeList.shrink_to_fit();
}

void DumpNodeList3ds(FILE* stream) {
  if (stream == nullptr) return;
  for (const NodeEntry3ds& entry : NodeList) {
    if (entry.instance.empty()) {
      std::fprintf(stream, "ID:%d\tName:%s\tParent:%d\n", entry.id, entry.name.c_str(),
                   entry.parentId);
    } else {
      std::fprintf(stream, "ID:%d\tName:%s.%s\tParent:%d\n", entry.id, entry.name.c_str(),
                   entry.instance.c_str(), entry.parentId);
    }
  }
}

void DumpNodeTree3ds(FILE* stream) {
  if (stream == nullptr) return;
  std::vector<bool> written(NodeList.size(), false);
  // Entries still to write, with their depth, the next one last; a list rather than recursion, so
  // that a long chain of parents cannot exhaust the stack.
  std::vector<std::pair<size_t, size_t>> pending;
  auto pushChildren = [&](int16_t parentId, size_t depth) {
    for (size_t i = NodeList.size(); i-- > 0;) {
      if (!written[i] && NodeList[i].parentId == parentId) pending.emplace_back(i, depth);
    }
  };
  pushChildren(kNoNodeId3ds, 0);
  while (!pending.empty()) {
    auto [index, depth] = pending.back();
    pending.pop_back();
    if (written[index]) continue;
    written[index] = true;
    std::fprintf(stream, "%s%s\n", std::string(depth, '-').c_str(), NodeList[index].name.c_str());
    pushChildren(NodeList[index].id, depth + 1);
  }
}

void ResolveNodeParents3ds(ChunkDatabase3ds* database) {
  ChunkNode3ds* kfdata = FindKeyFrameSection(database);
  if (kfdata == nullptr) return;
  if (ListNodes(kfdata)) {
    // Files without node identifiers number their nodes in order, and their parent indexes count
    // so.
    AssignNodeIds3ds();
    std::unordered_map<int16_t, const NodeEntry3ds*> byId;
    for (const NodeEntry3ds& entry : NodeList) byId.emplace(entry.id, &entry);
    for (const NodeEntry3ds& entry : NodeList) {
      if (entry.parentId == kNoNodeId3ds) continue;
      auto parent = byId.find(entry.parentId);
      if (parent == byId.end()) continue;
      std::string text = ParentText(*parent->second);
      if (ChunkNode3ds* existing = FindChildChunk3ds(entry.header, PARENT_NAME)) {
        existing->data = NameData3ds{text};
      } else {
        AddParentName3ds(entry.header, text.c_str());
      }
      if (ErrorsPending3ds()) break;
    }
  }
  FreeNodeList3ds();
}

void ResolveParentIndexes3ds(ChunkDatabase3ds* database) {
  ChunkNode3ds* kfdata = FindKeyFrameSection(database);
  if (kfdata == nullptr) return;
  size_t nodes = 0;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr; node = node->next)
    nodes += IsNodeTag3ds(node->tag);
  if (nodes > kMaxNodes) {
    PushError3ds(ERR_INVALID_DATA);
    return;
  }
  int16_t counter = 0;
  for (ChunkNode3ds* node = kfdata->children; node != nullptr && !ErrorsPending3ds();
       node = node->next) {
    if (node->tag == AMBIENT_NODE_TAG) {
      SetNodeId3ds(node, kNoNodeId3ds);
    } else if (IsNodeTag3ds(node->tag)) {
      SetNodeId3ds(node, counter++);
    }
  }
  if (!ErrorsPending3ds() && ListNodes(kfdata)) {
    for (const NodeEntry3ds& entry : NodeList) {
      int16_t parentIndex = kNoNodeId3ds;
      if (FindChildChunk3ds(entry.header, PARENT_NAME) != nullptr) {
        std::string parentName = GetParentName3ds(entry.header);
        if (const NodeEntry3ds* parent = FindNodeEntryByName3ds(parentName.c_str()))
          parentIndex = parent->id;
      }
      auto* header = EditChunkData3ds<NodeHeaderData3ds>(entry.header);
      if (header == nullptr) break;
      header->parentIndex = parentIndex;
    }
  }
  FreeNodeList3ds();
}
