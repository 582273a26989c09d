#include "library/toolkit3ds/chunk_database.h"

#include <new>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/node_parents.h"

namespace {

constexpr int32_t kUnknownVersion = 3;

std::string NameOf(ChunkNode3ds* node) {
  const auto* text = ChunkDataAs3ds<NameData3ds>(node);
  return text != nullptr ? text->name : std::string();
}

void ReadAllChunkData(ChunkNode3ds* node) {
  for (; node != nullptr && !ErrorsPending3ds(); node = node->next) {
    ReadChunkData3ds(node);
    node->fileIndex = kNoFileIndex3ds;
    node->writeIndex = kNoFileIndex3ds;
    ReadAllChunkData(node->children);
  }
}

// Maps a stored version to 0..3; the key-frame header counts 5 for version 2.
int32_t VersionFromStored(uint32_t stored, bool keyFrames) {
  if (stored == 1) return 0;
  if (stored == 2) return 1;
  if (stored == (keyFrames ? 5u : 3u)) return 2;
  return kUnknownVersion;
}

uint32_t StoredFromVersion(int32_t version, bool keyFrames) {
  uint32_t stored = static_cast<uint32_t>(version) + 1;
  return keyFrames && version >= 2 ? stored + 2 : stored;
}

// Puts source's subtree in place of target, keeping target's place among its siblings.
void ReplaceChunk(ChunkNode3ds* target, ChunkNode3ds* source) {
  ClearChunk3ds(target);
  ChunkNode3ds* next = target->next;
  *target = std::move(*source);
  target->next = next;
  source->children = nullptr;
  delete source;
}

void CopyEntryInto(ChunkNode3ds* parent, ChunkNode3ds* entry, ChunkNode3ds* sameNamed) {
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(entry, &copy);
  if (ErrorsPending3ds()) {
    DeleteChunk3ds(&copy);
    return;
  }
  if (sameNamed != nullptr) {
    ReplaceChunk(sameNamed, copy);
  } else {
    InsertChildChunk3ds(parent, copy);
  }
}

// Where materials live: the root of a material library, else MDATA (created when asked to).
ChunkNode3ds* MaterialParent(ChunkDatabase3ds* database, bool create) {
  if (GetDatabaseKind3ds(database) == kMaterialFile3ds) return database->root;
  ChunkNode3ds* mdata = nullptr;
  if (create) {
    FindMData3ds(database->root, &mdata);
  } else {
    mdata = FindChildChunk3ds(database->root, MDATA);
  }
  return mdata;
}

ChunkNode3ds* FindByName(const NameIndex3ds& index, const char* name) {
  for (const NameIndexEntry3ds& entry : index) {
    if (entry.name == name) return entry.node;
  }
  return nullptr;
}

// The target node that goes with a camera or spotlight node, or none.
uint16_t TargetTagOf(uint16_t tag) {
  if (tag == CAMERA_NODE_TAG) return TARGET_NODE_TAG;
  if (tag == SPOTLIGHT_NODE_TAG) return L_TARGET_NODE_TAG;
  return 0;
}

std::string NodeNameOf(ChunkDatabase3ds* database, const ChunkNode3ds* node) {
  for (const NameIndexEntry3ds& entry : database->nodeList) {
    if (entry.node == node) return entry.name;
  }
  return {};
}

// Copies a node and, through its PARENT_NAME, its ancestors; depth stops a cycle of parent names.
void CopyNodeWithParents(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name,
                         uint16_t tag, int depth) {
  ChunkNode3ds* node = FindNodeByName3ds(source, name, tag);
  if (node == nullptr || depth > kMaxChunkDepth3ds) return;
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(destination->root, &kfdata);
  ChunkNode3ds* sameNamed = FindNodeByName3ds(destination, name, tag);
  if (ErrorsPending3ds()) return;
  CopyEntryInto(kfdata, node, sameNamed);
  MarkNodeListDirty3ds(destination);
  std::string parent = GetParentName3ds(FindChildChunk3ds(node, NODE_HDR));
  if (parent.empty()) return;
  UpdateNodeList3ds(source);
  for (const NameIndexEntry3ds& entry : source->nodeList) {
    if (entry.name == parent) {
      CopyNodeWithParents(destination, source, parent.c_str(),
                          static_cast<uint16_t>(entry.node->tag), depth + 1);
      return;
    }
  }
}

}  // namespace

bool CheckDatabase3ds(const ChunkDatabase3ds* database, bool allowMaterialLibrary) {
  if (database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return false;
  }
  if (database->root == nullptr) {
    PushError3ds(ERR_INVALID_DATABASE);
    return false;
  }
  DatabaseKind3ds kind = GetDatabaseKind3ds(database);
  if (kind == kNoDatabase3ds || (kind == kMaterialFile3ds && !allowMaterialLibrary)) {
    PushError3ds(ERR_WRONG_DATABASE);
    return false;
  }
  return true;
}

void InitDatabase3ds(ChunkDatabase3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = ChunkDatabase3ds{};
}

void ReleaseDatabase3ds(ChunkDatabase3ds** out) {
  if (out == nullptr || *out == nullptr) return;
  DeleteChunk3ds(&(*out)->root);
  delete *out;
  *out = nullptr;
}

void ReadDatabase3ds(File3ds* file, ChunkDatabase3ds* database) {
  if (file == nullptr || database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (file->mode != kModeRead3ds) return;
  DeleteChunk3ds(&database->root);
  MarkObjectListDirty3ds(database);
  MarkMaterialListDirty3ds(database);
  MarkNodeListDirty3ds(database);
  NewChunk3ds(&database->root);
  if (ErrorsPending3ds()) {
    PushError3ds(ERR_CREATING_DATABASE);
    return;
  }
  ChunkNode3ds* root = database->root;
  root->fileIndex = file->tableIndex;
  SetCurrentFile3ds(file);
  SetFilePosition3ds(0);
  uint16_t tag = 0;
  ReadChunkHeader3ds(&tag, &root->length);
  root->tag = tag;
  if (ErrorsPending3ds()) {
    PushError3ds(ERR_CREATING_DATABASE);
    return;
  }
  if (tag != M3DMAGIC && tag != CMAGIC && tag != MLIBMAGIC) return;
  if (root->length < kChunkHeaderSize3ds || root->length > file->contents.size()) {
    PushError3ds(ERR_INVALID_CHUNK);
  } else {
    ReadChildChunks3ds(root, 1);
    if (!ErrorsPending3ds()) ResolveNodeParents3ds(database);
  }
  if (ErrorsPending3ds()) PushError3ds(ERR_CREATING_DATABASE);
}

void WriteDatabase3ds(File3ds* file, ChunkDatabase3ds* database) {
  if (file == nullptr || database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  PutDatabaseVersion3ds(database, 2);
  if (ErrorsPending3ds() || file->mode != kModeWrite3ds || database->root == nullptr) return;
  ResolveParentIndexes3ds(database);
  SetCurrentFile3ds(file);
  if (!ErrorsPending3ds() && !SetFilePosition3ds(0)) PushError3ds(ERR_WRITING_FILE);
  if (!ErrorsPending3ds()) WriteChunk3ds(database->root, file->tableIndex);
  if (!ErrorsPending3ds() && std::fflush(file->stream) != 0) PushError3ds(ERR_WRITING_FILE);
  if (ErrorsPending3ds()) PushError3ds(ERR_WRITING_DATABASE);
}

void ReadAllChunks3ds(ChunkDatabase3ds* database) {
  if (database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (database->root == nullptr) {
    PushError3ds(ERR_INVALID_DATABASE);
    return;
  }
  ReadAllChunkData(database->root);
}

DatabaseKind3ds GetDatabaseKind3ds(const ChunkDatabase3ds* database) {
  if (database == nullptr || database->root == nullptr) return kNoDatabase3ds;
  switch (database->root->tag) {
    case M3DMAGIC:
      return kMeshFile3ds;
    case CMAGIC:
      return kProjectFile3ds;
    case MLIBMAGIC:
      return kMaterialFile3ds;
    default:
      return kNoDatabase3ds;
  }
}

void NewDatabaseRoot3ds(ChunkDatabase3ds* database, DatabaseKind3ds kind) {
  static constexpr uint16_t kRootTags[] = {0, M3DMAGIC, CMAGIC, MLIBMAGIC};
  if (database == nullptr || kind < kMeshFile3ds || kind > kMaterialFile3ds) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  DeleteChunk3ds(&database->root);
  NewChunkWithTag3ds(&database->root, kRootTags[kind]);
  MarkObjectListDirty3ds(database);
  MarkMaterialListDirty3ds(database);
  MarkNodeListDirty3ds(database);
  if (!ErrorsPending3ds()) PutDatabaseVersion3ds(database, 2);
}

void CopyDatabase3ds(ChunkDatabase3ds* source, ChunkDatabase3ds* destination) {
  if (source == nullptr || destination == nullptr || source->root == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  DeleteChunk3ds(&destination->root);
  CopyChunk3ds(source->root, &destination->root);
  MarkObjectListDirty3ds(destination);
  MarkMaterialListDirty3ds(destination);
  MarkNodeListDirty3ds(destination);
}

int32_t GetM3dVersion3ds(ChunkDatabase3ds* database) {
  if (GetDatabaseKind3ds(database) != kMeshFile3ds) return kUnknownVersion;
  const auto* stored = ChunkDataAs3ds<DwordData3ds>(FindChildChunk3ds(database->root, M3D_VERSION));
  return stored != nullptr ? VersionFromStored(stored->value, false) : kUnknownVersion;
}

int32_t GetMeshVersion3ds(ChunkDatabase3ds* database) {
  if (database == nullptr) return kUnknownVersion;
  ChunkNode3ds* version = FindChildChunk3ds(FindChildChunk3ds(database->root, MDATA), MESH_VERSION);
  const auto* stored = version != nullptr ? ChunkDataAs3ds<DwordData3ds>(version) : nullptr;
  return stored != nullptr ? VersionFromStored(stored->value, false) : kUnknownVersion;
}

int32_t GetKfVersion3ds(ChunkDatabase3ds* database) {
  if (database == nullptr) return kUnknownVersion;
  ChunkNode3ds* header = FindChildChunk3ds(FindChildChunk3ds(database->root, KFDATA), KFHDR);
  const auto* stored = header != nullptr ? ChunkDataAs3ds<KfHeaderData3ds>(header) : nullptr;
  return stored != nullptr ? VersionFromStored(static_cast<uint16_t>(stored->revision), true)
                           : kUnknownVersion;
}

int32_t GetDatabaseVersion3ds(ChunkDatabase3ds* database) {
  switch (GetDatabaseKind3ds(database)) {
    case kMeshFile3ds:
      return GetM3dVersion3ds(database);
    case kProjectFile3ds:
      return GetMeshVersion3ds(database);
    default:
      return kUnknownVersion;
  }
}

void PutM3dVersion3ds(ChunkDatabase3ds* database, int32_t version) {
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* chunk = FindChildChunk3ds(database->root, M3D_VERSION);
  if (chunk == nullptr) PutChunk3ds(database->root, M3D_VERSION, &chunk);
  if (auto* data = chunk != nullptr ? EditChunkData3ds<DwordData3ds>(chunk) : nullptr) {
    data->value = StoredFromVersion(version, false);
  }
}

void PutMeshVersion3ds(ChunkDatabase3ds* database, int32_t version) {
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(database->root, &mdata);
  ChunkNode3ds* chunk = FindChildChunk3ds(mdata, MESH_VERSION);
  if (chunk == nullptr && mdata != nullptr) PutChunk3ds(mdata, MESH_VERSION, &chunk);
  if (auto* data = chunk != nullptr ? EditChunkData3ds<DwordData3ds>(chunk) : nullptr) {
    data->value = StoredFromVersion(version, false);
  }
}

void PutKfVersion3ds(ChunkDatabase3ds* database, int32_t version) {
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(database->root, &kfdata);
  ChunkNode3ds* chunk = FindChildChunk3ds(kfdata, KFHDR);
  bool created = chunk == nullptr;
  if (created && kfdata != nullptr) PutChunk3ds(kfdata, KFHDR, &chunk);
  auto* data = chunk != nullptr ? EditChunkData3ds<KfHeaderData3ds>(chunk) : nullptr;
  if (data == nullptr) return;
  if (created) data->animationLength = kNewAnimationLength3ds;
  data->revision = static_cast<int16_t>(StoredFromVersion(version, true));
}

void PutDatabaseVersion3ds(ChunkDatabase3ds* database, int32_t version) {
  switch (GetDatabaseKind3ds(database)) {
    case kMeshFile3ds:
      PutM3dVersion3ds(database, version);
      [[fallthrough]];
    case kProjectFile3ds:
      PutMeshVersion3ds(database, version);
      PutKfVersion3ds(database, version);
      return;
    default:
      return;
  }
}

ChunkNode3ds* PrepareEntryForPut3ds(ChunkNode3ds* parent, ChunkNode3ds* existing, uint16_t tag,
                                    ChunkNode3ds** xdata) {
  *xdata = nullptr;
  if (existing != nullptr) {
    *xdata = CopyFirstXData3ds(existing);
    ClearChunk3ds(existing);
    existing->tag = tag;
    return existing;
  }
  ChunkNode3ds* entry = nullptr;
  NewChunkWithTag3ds(&entry, tag);
  if (!ErrorsPending3ds()) InsertChildChunk3ds(parent, entry);
  return entry;
}

void FindMData3ds(ChunkNode3ds* root, ChunkNode3ds** out) {
  if (root == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = FindChildChunk3ds(root, MDATA);
  if (*out != nullptr) return;
  NewChunkWithTag3ds(out, MDATA);
  if (!ErrorsPending3ds()) InsertChildChunk3ds(root, *out);
}

void FindKfData3ds(ChunkNode3ds* root, ChunkNode3ds** out) {
  if (root == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = FindChildChunk3ds(root, KFDATA);
  if (*out != nullptr) return;
  NewChunkWithTag3ds(out, KFDATA);
  if (!ErrorsPending3ds()) InsertChildChunk3ds(root, *out);
}

void MarkObjectListDirty3ds(ChunkDatabase3ds* database) { database->objectListDirty = true; }
void MarkMaterialListDirty3ds(ChunkDatabase3ds* database) { database->materialListDirty = true; }
void MarkNodeListDirty3ds(ChunkDatabase3ds* database) { database->nodeListDirty = true; }

void UpdateObjectList3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, true) || !database->objectListDirty) return;
  database->objectListDirty = false;
  database->objectList.clear();
  ChunkNode3ds* mdata = FindChildChunk3ds(database->root, MDATA);
  for (ChunkNode3ds* node = mdata != nullptr ? mdata->children : nullptr; node != nullptr;
       node = node->next) {
    if (node->tag != NAMED_OBJECT) continue;
    std::string name = NameOf(node);
    if (ErrorsPending3ds()) return;
    database->objectList.push_back({std::move(name), node});
  }
}

void UpdateMaterialList3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, true) || !database->materialListDirty) return;
  database->materialListDirty = false;
  database->materialList.clear();
  ChunkNode3ds* parent = MaterialParent(database, false);
  for (ChunkNode3ds* node = parent != nullptr ? parent->children : nullptr; node != nullptr;
       node = node->next) {
    if (node->tag != MAT_ENTRY) continue;
    ChunkNode3ds* nameNode = FindChildChunk3ds(node, MAT_NAME);
    std::string name = nameNode != nullptr ? NameOf(nameNode) : std::string();
    if (ErrorsPending3ds()) return;
    database->materialList.push_back({std::move(name), node});
  }
}

void UpdateNodeList3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, true) || !database->nodeListDirty) return;
  database->nodeListDirty = false;
  database->nodeList.clear();
  ChunkNode3ds* kfdata = FindChildChunk3ds(database->root, KFDATA);
  for (ChunkNode3ds* node = kfdata != nullptr ? kfdata->children : nullptr; node != nullptr;
       node = node->next) {
    if (node->tag < AMBIENT_NODE_TAG || node->tag > SPOTLIGHT_NODE_TAG) continue;
    ChunkNode3ds* headerNode = FindChildChunk3ds(node, NODE_HDR);
    const auto* header =
        headerNode != nullptr ? ChunkDataAs3ds<NodeHeaderData3ds>(headerNode) : nullptr;
    std::string name = header != nullptr ? header->name : std::string();
    if (ChunkNode3ds* instance =
            node->tag == OBJECT_NODE_TAG ? FindChildChunk3ds(node, INSTANCE_NAME) : nullptr) {
      name += "." + NameOf(instance);
    }
    if (ErrorsPending3ds()) return;
    database->nodeList.push_back({std::move(name), node});
  }
}

void FindNamedObject3ds(ChunkDatabase3ds* database, const char* name, ChunkNode3ds** out) {
  if (out == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  UpdateObjectList3ds(database);
  *out = ErrorsPending3ds() ? nullptr : FindByName(database->objectList, name);
}

std::vector<NameIndexEntry3ds> ListNamedObjects3ds(ChunkDatabase3ds* database, uint16_t tag) {
  std::vector<NameIndexEntry3ds> objects;
  UpdateObjectList3ds(database);
  if (ErrorsPending3ds()) return objects;
  for (const NameIndexEntry3ds& entry : database->objectList) {
    if (FindChildChunk3ds(entry.node, tag) != nullptr) objects.push_back(entry);
  }
  return objects;
}

ChunkNode3ds* FindNamedObjectByIndex3ds(ChunkDatabase3ds* database, uint16_t tag, int32_t index) {
  UpdateObjectList3ds(database);
  if (ErrorsPending3ds() || index < 0) return nullptr;
  for (const NameIndexEntry3ds& entry : database->objectList) {
    if (FindChildChunk3ds(entry.node, tag) != nullptr && index-- == 0) return entry.node;
  }
  return nullptr;
}

void FindMaterial3ds(ChunkDatabase3ds* database, const char* name, ChunkNode3ds** out) {
  if (out == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  UpdateMaterialList3ds(database);
  *out = ErrorsPending3ds() ? nullptr : FindByName(database->materialList, name);
}

ChunkNode3ds* GetMaterialNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  UpdateMaterialList3ds(database);
  if (ErrorsPending3ds() || index < 0 ||
      static_cast<size_t>(index) >= database->materialList.size()) {
    return nullptr;
  }
  return database->materialList[static_cast<size_t>(index)].node;
}

ChunkNode3ds* FindNodeByName3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag) {
  UpdateNodeList3ds(database);
  if (ErrorsPending3ds() || name == nullptr) return nullptr;
  for (const NameIndexEntry3ds& entry : database->nodeList) {
    if (entry.node->tag == tag && entry.name == name) return entry.node;
  }
  return nullptr;
}

ChunkNode3ds* FindNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, uint16_t tag) {
  UpdateNodeList3ds(database);
  if (ErrorsPending3ds() || index < 0) return nullptr;
  for (const NameIndexEntry3ds& entry : database->nodeList) {
    if (entry.node->tag == tag && index-- == 0) return entry.node;
  }
  return nullptr;
}

void DeleteNamedObjectByName3ds(ChunkDatabase3ds* database, const char* name) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (object == nullptr) return;
  ClearChunk3ds(object);
  MarkObjectListDirty3ds(database);
}

void DeleteNamedObjectByIndex3ds(ChunkDatabase3ds* database, uint16_t tag, int32_t index) {
  ChunkNode3ds* object = FindNamedObjectByIndex3ds(database, tag, index);
  if (object == nullptr) return;
  ClearChunk3ds(object);
  MarkObjectListDirty3ds(database);
}

void CopyNamedObjectByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              const char* name) {
  if (!CheckDatabase3ds(destination, false)) return;
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(source, name, &object);
  if (object == nullptr) return;
  ChunkNode3ds* sameNamed = nullptr;
  FindNamedObject3ds(destination, name, &sameNamed);
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(destination->root, &mdata);
  if (ErrorsPending3ds()) return;
  CopyEntryInto(mdata, object, sameNamed);
  MarkObjectListDirty3ds(destination);
}

void CopyNamedObjectByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                               uint16_t tag, int32_t index) {
  ChunkNode3ds* object = FindNamedObjectByIndex3ds(source, tag, index);
  if (object == nullptr) return;
  CopyNamedObjectByName3ds(destination, source, NameOf(object).c_str());
}

void DeleteMaterialByName3ds(ChunkDatabase3ds* database, const char* name) {
  ChunkNode3ds* entry = nullptr;
  FindMaterial3ds(database, name, &entry);
  if (entry == nullptr) return;
  ClearChunk3ds(entry);
  MarkMaterialListDirty3ds(database);
}

void DeleteMaterialByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  ChunkNode3ds* entry = GetMaterialNodeByIndex3ds(database, index);
  if (entry == nullptr) return;
  ClearChunk3ds(entry);
  MarkMaterialListDirty3ds(database);
}

void CopyMaterialByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name) {
  if (!CheckDatabase3ds(destination, true)) return;
  ChunkNode3ds* entry = nullptr;
  FindMaterial3ds(source, name, &entry);
  if (entry == nullptr) return;
  ChunkNode3ds* sameNamed = nullptr;
  FindMaterial3ds(destination, name, &sameNamed);
  ChunkNode3ds* parent = MaterialParent(destination, true);
  if (ErrorsPending3ds()) return;
  CopyEntryInto(parent, entry, sameNamed);
  MarkMaterialListDirty3ds(destination);
}

void CopyMaterialByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            int32_t index) {
  UpdateMaterialList3ds(source);
  if (ErrorsPending3ds() || index < 0 || static_cast<size_t>(index) >= source->materialList.size())
    return;
  std::string name = source->materialList[static_cast<size_t>(index)].name;
  CopyMaterialByName3ds(destination, source, name.c_str());
}

void DeleteNodeByName3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag) {
  ChunkNode3ds* node = FindNodeByName3ds(database, name, tag);
  if (node == nullptr) return;
  ClearChunk3ds(node);
  MarkNodeListDirty3ds(database);
  if (uint16_t targetTag = TargetTagOf(tag)) DeleteNodeByName3ds(database, name, targetTag);
}

void DeleteNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, uint16_t tag) {
  ChunkNode3ds* node = FindNodeByIndex3ds(database, index, tag);
  if (node != nullptr) DeleteNodeByName3ds(database, NodeNameOf(database, node).c_str(), tag);
}

void CopyNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name,
                       uint16_t tag) {
  if (!CheckDatabase3ds(destination, false) || name == nullptr) return;
  CopyNodeWithParents(destination, source, name, tag, 0);
  if (uint16_t targetTag = TargetTagOf(tag))
    CopyNodeWithParents(destination, source, name, targetTag, 0);
}

void CopyNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index,
                        uint16_t tag) {
  ChunkNode3ds* node = FindNodeByIndex3ds(source, index, tag);
  if (node != nullptr)
    CopyNodeByName3ds(destination, source, NodeNameOf(source, node).c_str(), tag);
}

namespace {

// Frees a record made for the caller and sets *out to none.
template <typename Record>
void ReleaseOwned(Record** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  delete *out;
  *out = nullptr;
}

}  // namespace

void InitNameList3ds(NameIndex3ds** out) {
  if (ReuseOrAllocate3ds(out)) (*out)->clear();
}

void ReleaseNameList3ds(NameIndex3ds** out) { ReleaseOwned(out); }

void InitNameArray3ds(NameArray3ds** out) {
  if (!ReuseOrAllocate3ds(out)) return;
  (*out)->clear();
  (*out)->shrink_to_fit();
  (*out)->reserve(kNameArrayStep3ds);
}

void ReleaseNameArray3ds(NameArray3ds** out) { ReleaseOwned(out); }

void AddToNameArray3ds(NameArray3ds* array, const char* name) {
  if (array == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (array->size() == array->capacity()) array->reserve(array->size() + kNameArrayStep3ds);
  array->emplace_back(name);
}
