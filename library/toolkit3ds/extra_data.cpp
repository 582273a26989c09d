#include "library/toolkit3ds/extra_data.h"

#include <string>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

ChunkNode3ds* SectionOf(ChunkNode3ds* node) {
  ChunkNode3ds* section = nullptr;
  if (node != nullptr) FindChunk3ds(node, XDATA_SECTION, &section);
  return section;
}

std::string AppNameOf(ChunkNode3ds* entry) {
  const auto* name = ChunkDataAs3ds<NameData3ds>(FindChildChunk3ds(entry, XDATA_APPNAME));
  return name != nullptr ? name->name : std::string();
}

NameIndex3ds EntriesOf(ChunkNode3ds* node) {
  NameIndex3ds entries;
  ChunkNode3ds* section = SectionOf(node);
  for (ChunkNode3ds* child = section != nullptr ? section->children : nullptr; child != nullptr;
       child = child->next) {
    if (child->tag == XDATA_ENTRY) entries.push_back({AppNameOf(child), child});
  }
  return entries;
}

ChunkNode3ds* EntryByName(ChunkNode3ds* node, const char* appName) {
  for (const NameIndexEntry3ds& entry : EntriesOf(node)) {
    if (entry.name == appName) return entry.node;
  }
  return nullptr;
}

ChunkNode3ds* EntryByIndex(ChunkNode3ds* node, int32_t index) {
  NameIndex3ds entries = EntriesOf(node);
  return index >= 0 && static_cast<size_t>(index) < entries.size()
             ? entries[static_cast<size_t>(index)].node
             : nullptr;
}

bool CheckArguments(const void* node, const void* out) {
  if (node == nullptr || out == nullptr) PushError3ds(ERR_INVALID_ARG);
  return node != nullptr && out != nullptr;
}

void CopyOut(ChunkNode3ds* entry, ChunkNode3ds** out) {
  *out = nullptr;
  if (entry != nullptr) CopyChunk3ds(entry, out);
}

ChunkNode3ds* MeshTriObject(ChunkDatabase3ds* database, const char* meshName) {
  if (database == nullptr || meshName == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, meshName, &object);
  return FindChildChunk3ds(object, N_TRI_OBJECT);
}

}  // namespace

int32_t GetXDataEntryCount3ds(ChunkNode3ds* node) {
  return static_cast<int32_t>(EntriesOf(node).size());
}

void GetXDataEntryList3ds(ChunkNode3ds* node, NameIndex3ds* out) {
  if (CheckArguments(node, out)) *out = EntriesOf(node);
}

void GetXDataAppNames3ds(ChunkNode3ds* node, NameArray3ds* out) {
  if (!CheckArguments(node, out)) return;
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : EntriesOf(node)) AddToNameArray3ds(out, entry.name.c_str());
}

void FindXDataEntry3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds** out) {
  if (CheckArguments(node, out) && CheckArguments(appName, out)) *out = EntryByName(node, appName);
}

void FindXDataEntryByIndex3ds(ChunkNode3ds* node, int32_t index, ChunkNode3ds** out) {
  if (CheckArguments(node, out)) *out = EntryByIndex(node, index);
}

void GetXDataEntryByName3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds** out) {
  if (CheckArguments(node, out) && CheckArguments(appName, out))
    CopyOut(EntryByName(node, appName), out);
}

void GetXDataEntryByIndex3ds(ChunkNode3ds* node, int32_t index, ChunkNode3ds** out) {
  if (CheckArguments(node, out)) CopyOut(EntryByIndex(node, index), out);
}

void PutXDataEntry3ds(ChunkNode3ds* node, const char* appName, ChunkNode3ds* entry) {
  if (!CheckArguments(node, entry) || !CheckArguments(appName, entry)) {
    PushError3ds(ERR_PUT_FAILED);
    return;
  }
  ChunkNode3ds* section = SectionOf(node);
  if (section == nullptr) {
    ChunkNode3ds* triObject = nullptr;
    FindChunk3ds(node, N_TRI_OBJECT, &triObject);
    if (triObject == nullptr) return;
    NewChunkWithTag3ds(&section, XDATA_SECTION);
    if (!ErrorsPending3ds()) AddChildChunk3ds(triObject, section);
  }
  if (ChunkNode3ds* old = EntryByName(node, appName)) ClearChunk3ds(old);
  ChunkNode3ds* copy = nullptr;
  if (!ErrorsPending3ds()) CopyChunk3ds(entry, &copy);
  if (!ErrorsPending3ds()) AddChildChunk3ds(section, copy);
  if (ErrorsPending3ds()) PushError3ds(ERR_PUT_FAILED);
}

int32_t GetMeshXDataCount3ds(ChunkDatabase3ds* database, const char* meshName) {
  ChunkNode3ds* triObject = MeshTriObject(database, meshName);
  return triObject != nullptr ? GetXDataEntryCount3ds(triObject) : 0;
}

void GetMeshXDataByIndex3ds(ChunkDatabase3ds* database, const char* meshName, int32_t index,
                            ChunkNode3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = nullptr;
  if (ChunkNode3ds* triObject = MeshTriObject(database, meshName))
    GetXDataEntryByIndex3ds(triObject, index, out);
}

void GetMeshXDataByName3ds(ChunkDatabase3ds* database, const char* meshName, const char* appName,
                           ChunkNode3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = nullptr;
  if (ChunkNode3ds* triObject = MeshTriObject(database, meshName))
    GetXDataEntryByName3ds(triObject, appName, out);
}
