#include "library/toolkit3ds/chunk_tree.h"

#include <new>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

constexpr size_t kNodeNameLength = 10;      // characters of object and instance names
constexpr size_t kFileNameLength = 12;      // characters of bitmap and procedure file names
constexpr size_t kMaterialNameLength = 16;  // characters of material and map names
constexpr size_t kKfFileNameLength = 512;   // characters
constexpr uint32_t kNodeHeaderFields = 6;   // bytes after the node header's name
constexpr uint32_t kFaceSize = 8;           // bytes

// Size in bytes of the fixed own data that comes before a chunk's sub-chunks; -1 when the chunk's
// own data is not of a fixed size.
int FixedOwnDataSize(uint16_t tag) {
  switch (tag) {
    case M3D_VERSION:
    case FLOAT_PERCENTAGE:
    case MASTER_SCALE:
    case V_GRADIENT:
    case LO_SHADOW_BIAS:
    case HI_SHADOW_BIAS:
    case MESH_VERSION:
    case KFCURTIME:
    case MORPH_SMOOTH:
    case 0xD000:
      return 4;
    case COLOR_F:
    case O_CONSTS:
    case N_DIRECT_LIGHT:
    case MAT_ACUBIC:
    case PIVOT:
      return 12;
    case COLOR_24:
      return 3;
    case INT_PERCENTAGE:
    case SHADOW_MAP_SIZE:
    case SHADOW_SAMPLES:
    case NODE_ID:
      return 2;
    case FOG:
    case DISTANCE_CUE:
    case LAYER_FOG:
      return 16;
    case VIEW_USER:
      return 28;
    case MESH_MATRIX:
      return 48;
    case DL_SPOTLIGHT:
      return 20;
    case DL_LOCAL_SHADOW2:
      return 10;
    case N_CAMERA:
      return 32;
    case VIEWPORT_LAYOUT:
      return 14;
    case KFSEG:
      return 8;
    case BOUNDBOX:
      return 24;
    default:
      break;
  }
  if (tag >= VIEW_TOP && tag <= VIEW_BACK && tag % 0x10 == 0) return 16;
  return -1;
}

// Characters of the name that leads the own data of a named chunk with sub-chunks; 0 for others.
size_t LeadingNameLength(uint16_t tag) {
  switch (tag) {
    case NAMED_OBJECT:
    case VIEW_CAMERA:
    case INSTANCE_NAME:
      return kNodeNameLength;
    case BIT_MAP:
    case PROC_NAME:
      return kFileNameLength;
    case MAT_NAME:
    case MAT_MAPNAME:
      return kMaterialNameLength;
    default:
      return 0;
  }
}

bool HasNoOwnData(uint16_t tag) {
  switch (tag) {
    case M3DMAGIC:
    case CMAGIC:
    case MLIBMAGIC:
    case MDATA:
    case MATMAGIC:
    case N_TRI_OBJECT:
    case SOLID_BGND:
    case AMBIENT_LIGHT:
    case DEFAULT_VIEW:
    case SMAGIC:
    case LMAGIC:
    case XDATA_SECTION:
    case XDATA_ENTRY:
      return true;
    default:
      return IsMaterialContainer3ds(tag) || (tag >= MAT_ENTRY && tag <= SPOTLIGHT_NODE_TAG);
  }
}

ChunkNode3ds* NewNode() {
  ChunkNode3ds* node = new (std::nothrow) ChunkNode3ds;
  if (node == nullptr) PushError3ds(ERR_NO_MEM);
  return node;
}

void DeleteSubtree(ChunkNode3ds* node) {
  while (node != nullptr) {
    ChunkNode3ds* next = node->next;
    DeleteSubtree(node->children);
    delete node;
    node = next;
  }
}

// Reads the header of the chunk at the current position of parent's file into a new node. The
// header must lie within the parent; the chunk must be at least a header long (a shorter one
// would never move the reader on) and may run past its parent's end as far as the file goes.
ChunkNode3ds* ReadChildHeader(const ChunkNode3ds* parent, uint32_t parentEnd) {
  uint32_t position = GetFilePosition3ds();
  if (parentEnd - position < kChunkHeaderSize3ds) {
    PushError3ds(ERR_INVALID_CHUNK);
    return nullptr;
  }
  uint16_t tag = 0;
  uint32_t length = 0;
  ReadChunkHeader3ds(&tag, &length);
  if (ErrorsPending3ds()) return nullptr;
  if (length < kChunkHeaderSize3ds || length - kChunkHeaderSize3ds > GetFileBytesLeft3ds()) {
    PushError3ds(ERR_INVALID_CHUNK);
    return nullptr;
  }
  ChunkNode3ds* child = NewNode();
  if (child == nullptr) return nullptr;
  child->tag = tag;
  child->length = length;
  child->position = position;
  child->fileIndex = parent->fileIndex;
  return child;
}

// XDATA_RFU1 is the last of the kinds an extra-data entry holds.
bool IsXDataChildTag(int32_t tag) { return tag >= XDATA_APPNAME && tag <= XDATA_RFU1; }

// Extra data is written by other applications, so its children are taken more warily: a child of
// an unknown kind ends the entry, and a child that would run past the entry is stepped over.
void ReadXDataChunks3ds(ChunkNode3ds* parent, int depth) {
  if (depth > kMaxChunkDepth3ds) {
    PushError3ds(ERR_INVALID_CHUNK);
    return;
  }
  SelectFile3ds(parent->fileIndex);
  const uint32_t end = parent->position + parent->length;
  if (!SetFilePosition3ds(parent->position + kChunkHeaderSize3ds)) {
    PushError3ds(ERR_READING_FILE);
    return;
  }
  SkipChunkData3ds(parent);
  ChunkNode3ds* last = nullptr;
  while (!ErrorsPending3ds() && GetFilePosition3ds() < end &&
         end - GetFilePosition3ds() >= kChunkHeaderSize3ds) {
    uint32_t position = GetFilePosition3ds();
    uint16_t tag = 0;
    uint32_t length = 0;
    ReadChunkHeader3ds(&tag, &length);
    if (ErrorsPending3ds() || !IsXDataChildTag(tag)) return;
    if (length < kChunkHeaderSize3ds || length > end - position) continue;
    ChunkNode3ds* child = NewNode();
    if (child == nullptr) return;
    child->tag = tag;
    child->length = length;
    child->position = position;
    child->fileIndex = parent->fileIndex;
    (last != nullptr ? last->next : parent->children) = child;
    last = child;
    ReadXDataChunks3ds(child, depth + 1);
    if (ErrorsPending3ds()) return;
    SetFilePosition3ds(position + length);
  }
}

}  // namespace

void NewChunk3ds(ChunkNode3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = NewNode();
}

void NewChunkWithTag3ds(ChunkNode3ds** out, uint16_t tag) {
  NewChunk3ds(out);
  if (!ErrorsPending3ds()) (*out)->tag = tag;
}

void NewChunkWithData3ds(ChunkNode3ds** out, uint16_t tag) {
  NewChunkWithTag3ds(out, tag);
  if (!ErrorsPending3ds()) InitChunkData3ds(*out);
}

void DeleteChunk3ds(ChunkNode3ds** out) { DeleteChunkChain3ds(out); }

void DeleteChunkChain3ds(ChunkNode3ds** out) {
  if (out == nullptr) return;
  DeleteSubtree(*out);
  *out = nullptr;
}

void ClearChunk3ds(ChunkNode3ds* node) {
  if (node == nullptr) return;
  DeleteChunkChain3ds(&node->children);
  node->data = std::monostate{};
  node->tag = 0;
  node->length = 0;
  node->position = 0;
  node->fileIndex = kNoFileIndex3ds;
  node->writeIndex = kNoFileIndex3ds;
}

void FindChunk3ds(ChunkNode3ds* node, uint16_t tag, ChunkNode3ds** out) {
  *out = nullptr;
  if (node == nullptr) return;
  if (node->tag == tag) {
    *out = node;
    return;
  }
  for (ChunkNode3ds* child = node->children; child != nullptr && *out == nullptr;
       child = child->next) {
    FindChunk3ds(child, tag, out);
  }
}

void FindNextChunk3ds(ChunkNode3ds* node, uint16_t tag, ChunkNode3ds** out) {
  while (node != nullptr && node->tag != tag) node = node->next;
  *out = node;
}

ChunkNode3ds* FindChildChunk3ds(ChunkNode3ds* parent, uint16_t tag) {
  ChunkNode3ds* child = nullptr;
  if (parent != nullptr) FindNextChunk3ds(parent->children, tag, &child);
  return child;
}

ChunkNode3ds* CopyFirstXData3ds(ChunkNode3ds* node) {
  ChunkNode3ds* section = nullptr;
  FindChunk3ds(node, XDATA_SECTION, &section);
  if (section == nullptr) return nullptr;
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(section, &copy);
  if (copy != nullptr) copy->next = nullptr;
  return copy;
}

void AddChildChunk3ds(ChunkNode3ds* parent, ChunkNode3ds* child) {
  if (parent == nullptr || child == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds** link = &parent->children;
  while (*link != nullptr) link = &(*link)->next;
  *link = child;
}

void AddDataChunk3ds(ChunkNode3ds* parent, uint16_t tag, ChunkData3ds data) {
  ChunkNode3ds* child = nullptr;
  NewChunkWithTag3ds(&child, tag);
  if (ErrorsPending3ds()) return;
  child->data = std::move(data);
  AddChildChunk3ds(parent, child);
}

void InsertChildChunk3ds(ChunkNode3ds* parent, ChunkNode3ds* child) {
  if (parent == nullptr || child == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  int rank = GetChunkOrder3ds(static_cast<uint16_t>(child->tag));
  ChunkNode3ds** link = &parent->children;
  while (*link != nullptr && GetChunkOrder3ds(static_cast<uint16_t>((*link)->tag)) >= rank)
    link = &(*link)->next;
  child->next = *link;
  *link = child;
}

void PutChunk3ds(ChunkNode3ds* parent, uint16_t tag, ChunkNode3ds** out) {
  if (parent == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  FindNextChunk3ds(parent->children, tag, out);
  if (*out != nullptr) {
    ClearChunk3ds(*out);
    (*out)->tag = tag;
    return;
  }
  NewChunkWithTag3ds(out, tag);
  if (!ErrorsPending3ds()) InsertChildChunk3ds(parent, *out);
}

void CopyChunk3ds(ChunkNode3ds* source, ChunkNode3ds** out) {
  if (source == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* copy = NewNode();
  *out = copy;
  if (copy == nullptr) return;
  copy->tag = source->tag;
  copy->length = source->length;
  copy->position = source->position;
  copy->fileIndex = source->fileIndex;
  copy->writeIndex = source->writeIndex;
  if (source->fileIndex == kNoFileIndex3ds) {
    copy->data = source->data;
  } else {
    copy->data = std::move(source->data);
    source->data = std::monostate{};
  }
  ChunkNode3ds* last = nullptr;
  for (ChunkNode3ds* child = source->children; child != nullptr; child = child->next) {
    ChunkNode3ds* childCopy = nullptr;
    CopyChunk3ds(child, &childCopy);
    if (ErrorsPending3ds()) return;
    (last != nullptr ? last->next : copy->children) = childCopy;
    last = childCopy;
  }
}

int GetChunkOrder3ds(uint16_t tag) {
  switch (tag) {
    case NULL_CHUNK:
      return 35;
    case SMAGIC:
      return 34;
    case LMAGIC:
      return 33;
    case M3DMAGIC:
      return 32;
    case M3D_VERSION:
      return 31;
    case MDATA:
      return 30;
    case KFDATA:
      return 29;
    case COLOR_24:
      return 28;
    case LIN_COLOR_24:
      return 27;
    case MESH_VERSION:
      return 26;
    case MAT_ENTRY:
      return 25;
    case KFHDR:
      return 24;
    case MASTER_SCALE:
      return 23;
    case VIEWPORT_LAYOUT:
      return 22;
    case LO_SHADOW_BIAS:
      return 21;
    case SHADOW_MAP_SIZE:
      return 20;
    case SHADOW_FILTER:
      return 19;
    case RAY_BIAS:
      return 18;
    case O_CONSTS:
      return 17;
    case AMBIENT_LIGHT:
      return 16;
    case SOLID_BGND:
      return 15;
    case BIT_MAP:
      return 14;
    case V_GRADIENT:
      return 13;
    case USE_BIT_MAP:
    case USE_SOLID_BGND:
    case USE_V_GRADIENT:
      return 12;
    case FOG:
      return 11;
    case LAYER_FOG:
      return 10;
    case DISTANCE_CUE:
      return 9;
    case DEFAULT_VIEW:
      return 8;
    case NAMED_OBJECT:
      return 7;
    case KFSEG:
      return 6;
    case KFCURTIME:
      return 5;
    case OBJECT_NODE_TAG:
    case CAMERA_NODE_TAG:
    case TARGET_NODE_TAG:
    case L_TARGET_NODE_TAG:
    case SPOTLIGHT_NODE_TAG:
      return 4;
    case AMBIENT_NODE_TAG:
      return 3;
    case N_TRI_OBJECT:
    case N_DIRECT_LIGHT:
    case N_CAMERA:
      return 2;
    case OBJ_HIDDEN:
      return 1;
    default:
      return 0;
  }
}

uint32_t ChunkChecksum3ds(ChunkNode3ds* node) {
  if (node == nullptr || !IsFileIndexValid3ds(node->fileIndex)) return 0;
  SelectFile3ds(node->fileIndex);
  if (!SetFilePosition3ds(node->position) || GetFileBytesLeft3ds() < node->length) {
    PushError3ds(ERR_READING_FILE);
    return 0;
  }
  uint32_t sum = 0;
  for (uint32_t i = 0; i + 1 < node->length; i += 2) sum += ReadWord3ds();
  if (node->length % 2 != 0) sum += ReadUByte3ds();
  return sum;
}

ChunkData3ds* InitChunkData3ds(ChunkNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  node->data = NewChunkDataFor3ds(static_cast<uint16_t>(node->tag), node->length);
  return std::holds_alternative<std::monostate>(node->data) ? nullptr : &node->data;
}

ChunkData3ds* ReadChunkData3ds(ChunkNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  if (!std::holds_alternative<std::monostate>(node->data)) return &node->data;
  if (!IsFileIndexValid3ds(node->fileIndex) || node->length <= kChunkHeaderSize3ds) return nullptr;
  SelectFile3ds(node->fileIndex);
  if (!SetFilePosition3ds(node->position + kChunkHeaderSize3ds)) {
    PushError3ds(ERR_READING_FILE);
    return nullptr;
  }
  node->data = ReadChunkDataFromFile3ds(static_cast<uint16_t>(node->tag),
                                        node->length - kChunkHeaderSize3ds);
  return std::holds_alternative<std::monostate>(node->data) ? nullptr : &node->data;
}

void WriteChunkData3ds(ChunkNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  WriteChunkDataToFile3ds(node->data);
}

void CopyChunkData3ds(const ChunkNode3ds* source, ChunkNode3ds* destination) {
  if (source == nullptr || destination == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  destination->data = source->data;
}

void FreeChunkData3ds(ChunkNode3ds* node) {
  if (node != nullptr) node->data = std::monostate{};
}

void FreeReadableChunkData3ds(ChunkNode3ds* node) {
  if (node != nullptr && IsFileIndexValid3ds(node->fileIndex)) FreeChunkData3ds(node);
}

void SkipChunkData3ds(ChunkNode3ds* node) {
  const uint16_t tag = static_cast<uint16_t>(node->tag);
  const uint32_t ownBytes = node->length - kChunkHeaderSize3ds;
  std::string name;
  if (HasNoOwnData(tag)) return;
  if (size_t nameLength = LeadingNameLength(tag); nameLength > 0) {
    ReadNewString3ds(&name, nameLength);
    return;
  }
  if (int fixed = FixedOwnDataSize(tag); fixed >= 0) {
    SkipBytes3ds(static_cast<size_t>(fixed));
    return;
  }
  switch (tag) {
    case FACE_ARRAY: {
      uint16_t count = ReadWord3ds();
      if (!ErrorsPending3ds()) SkipBytes3ds(size_t{count} * kFaceSize);
      return;
    }
    case NODE_HDR:
      if (ReadNewString3ds(&name, kNodeNameLength)) SkipBytes3ds(kNodeHeaderFields);
      return;
    case KFHDR:
      ReadWord3ds();
      if (ReadNewString3ds(&name, kKfFileNameLength)) ReadDword3ds();
      return;
    default:
      SkipBytes3ds(ownBytes);
      return;
  }
}

void ReadChildChunks3ds(ChunkNode3ds* parent, int depth) {
  // Each level that finds a fault adds ERR_READING_DATABASE once; the levels above only stop.
  auto fail = [](int32_t code) {
    PushError3ds(code);
    PushError3ds(ERR_READING_DATABASE);
  };
  if (depth > kMaxChunkDepth3ds) return fail(ERR_INVALID_CHUNK);
  SelectFile3ds(parent->fileIndex);
  const uint32_t end = parent->position + parent->length;
  if (!SetFilePosition3ds(parent->position + kChunkHeaderSize3ds)) return fail(ERR_READING_FILE);
  SkipChunkData3ds(parent);
  if (ErrorsPending3ds()) return fail(NO_FTK_ERRORS);
  if (GetFilePosition3ds() > end) return fail(ERR_INVALID_CHUNK);
  ChunkNode3ds* last = nullptr;
  while (GetFilePosition3ds() < end) {
    ChunkNode3ds* child = ReadChildHeader(parent, end);
    if (child == nullptr) return fail(NO_FTK_ERRORS);
    (last != nullptr ? last->next : parent->children) = child;
    last = child;
    if (child->tag == XDATA_ENTRY) {
      ReadXDataChunks3ds(child, depth + 1);
      if (ErrorsPending3ds()) return fail(NO_FTK_ERRORS);
    } else {
      ReadChildChunks3ds(child, depth + 1);
      if (ErrorsPending3ds()) return;
    }
    SelectFile3ds(parent->fileIndex);
    SetFilePosition3ds(child->position + child->length);
  }
}

void WriteChunk3ds(ChunkNode3ds* node, uint8_t index) {
  if (node->tag == NULL_CHUNK || node->tag == PARENT_NAME) return;
  node->writeIndex = index;
  SelectFile3ds(index);
  const uint32_t start = GetFilePosition3ds();
  ReadChunkData3ds(node);
  if (ErrorsPending3ds()) return;
  SelectFile3ds(index);
  SetFilePosition3ds(start);
  WriteChunkHeader3ds(static_cast<uint16_t>(node->tag), node->length);
  // Raw data of a chunk that also has sub-chunks already holds them: write them only once.
  if (node->children == nullptr || !std::holds_alternative<RawData3ds>(node->data))
    WriteChunkData3ds(node);
  for (ChunkNode3ds* child = node->children; child != nullptr && !ErrorsPending3ds();
       child = child->next) {
    WriteChunk3ds(child, index);
  }
  if (ErrorsPending3ds()) return;
  SelectFile3ds(index);
  const uint32_t end = GetFilePosition3ds();
  if (end - start != node->length) {
    FinishChunkHeader3ds(start, end);
    node->length = end - start;
  }
  FreeReadableChunkData3ds(node);
}
