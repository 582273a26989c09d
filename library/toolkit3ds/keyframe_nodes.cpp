#include "library/toolkit3ds/keyframe_nodes.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/node_parents.h"

namespace {

bool TextEquals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

template <typename Value>
void SizeTrack(Track3ds<Value>* track, uint32_t keys, const Value& fill = Value{}) {
  track->keycount = keys;
  track->flags = 0;
  track->keys.assign(keys, keyheader3ds{});
  track->values.assign(keys, fill);
}

// A rotation key turns by 0 about the z axis.
const RotationKey3ds kNoRotation{0.0f, 0.0f, 0.0f, 1.0f};

// Takes over the arrays of a track chunk; a chunk of another kind leaves the track as it is.
template <typename Value>
void TakeTrack(ChunkNode3ds* chunk, Track3ds<Value>* track) {
  auto* data = ChunkDataAs3ds<TrackData3ds<Value>>(chunk);
  if (data == nullptr) return;
  size_t keys = std::min(data->keys.size(), data->values.size());
  track->keycount = static_cast<uint32_t>(keys);
  track->flags = data->header.flags;
  track->keys = std::move(data->keys);
  track->values = std::move(data->values);
  track->keys.resize(keys);
  track->values.resize(keys);
}

template <typename Value>
bool TrackFits(const Track3ds<Value>& track) {
  return track.keys.size() >= track.keycount && track.values.size() >= track.keycount;
}

template <typename Value>
void AddTrack(ChunkNode3ds* node, uint16_t tag, const Track3ds<Value>& track) {
  if (track.keycount == 0) return;
  TrackData3ds<Value> data;
  data.header.flags = static_cast<uint16_t>(track.flags);
  data.header.keycount = track.keycount;
  data.keys.assign(track.keys.begin(), track.keys.begin() + track.keycount);
  data.values.assign(track.values.begin(), track.values.begin() + track.keycount);
  AddDataChunk3ds(node, tag, std::move(data));
}

// The name, parent and flags every node but the ambient one carries in its NODE_HDR.
struct NodeHeaderFields {
  char* name;
  char* parent;
  uint16_t* flags1;
  uint16_t* flags2;
};

void TakeHeader(ChunkNode3ds* node, const NodeHeaderFields& fields) {
  ChunkNode3ds* headerNode = FindChildChunk3ds(node, NODE_HDR);
  const auto* header = ChunkDataAs3ds<NodeHeaderData3ds>(headerNode);
  if (header == nullptr) return;
  if (fields.name != nullptr) CopyName3ds(fields.name, kObjectNameSize3ds, header->name);
  *fields.flags1 = header->flags1;
  *fields.flags2 = header->flags2;
  CopyName3ds(fields.parent, kParentNameSize3ds, GetParentName3ds(headerNode));
}

// Reads a record of a node from a copy of its subtree.
template <typename Record, typename Read>
void ReadNodeCopy(ChunkNode3ds* node, Record** out, Read read) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (node == nullptr) return;
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(node, &copy);
  Record record{};
  if (!ErrorsPending3ds()) read(copy, &record);
  DeleteChunk3ds(&copy);
  if (!ErrorsPending3ds() && ReuseOrAllocate3ds(out)) **out = std::move(record);
}

void TakeTarget(ChunkDatabase3ds* database, const char* name, uint16_t tag, TargetNode3ds* target) {
  ChunkNode3ds* node = FindNodeByName3ds(database, name, tag);
  if (node == nullptr) return;
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(node, &copy);
  if (!ErrorsPending3ds()) {
    TakeHeader(copy, {nullptr, target->parent, &target->flags1, &target->flags2});
    TakeTrack(FindChildChunk3ds(copy, POS_TRACK_TAG), &target->position);
  }
  DeleteChunk3ds(&copy);
}

void ReadAmbient(ChunkNode3ds* node, AmbientNode3ds* record) {
  TakeTrack(FindChildChunk3ds(node, COL_TRACK_TAG), &record->color);
}

void ReadCamera(ChunkNode3ds* node, CameraNode3ds* record) {
  TakeHeader(node, {record->name, record->parent, &record->flags1, &record->flags2});
  TakeTrack(FindChildChunk3ds(node, POS_TRACK_TAG), &record->position);
  TakeTrack(FindChildChunk3ds(node, FOV_TRACK_TAG), &record->fov);
  TakeTrack(FindChildChunk3ds(node, ROLL_TRACK_TAG), &record->roll);
}

void ReadObject(ChunkNode3ds* node, ObjectNode3ds* record) {
  record->morphsmooth = 0.0f;
  TakeHeader(node, {record->name, record->parent, &record->flags1, &record->flags2});
  if (const auto* pivot = ChunkDataAs3ds<PointData3ds>(FindChildChunk3ds(node, PIVOT)))
    record->pivot = pivot->point;
  if (const auto* instance = ChunkDataAs3ds<NameData3ds>(FindChildChunk3ds(node, INSTANCE_NAME)))
    CopyName3ds(record->instance, sizeof(record->instance), instance->name);
  if (const auto* box = ChunkDataAs3ds<BoundBoxData3ds>(FindChildChunk3ds(node, BOUNDBOX))) {
    record->bboxmin = box->minimum;
    record->bboxmax = box->maximum;
  }
  if (const auto* smooth = ChunkDataAs3ds<FloatData3ds>(FindChildChunk3ds(node, MORPH_SMOOTH)))
    record->morphsmooth = smooth->value;
  TakeTrack(FindChildChunk3ds(node, POS_TRACK_TAG), &record->position);
  TakeTrack(FindChildChunk3ds(node, ROT_TRACK_TAG), &record->rotation);
  TakeTrack(FindChildChunk3ds(node, SCL_TRACK_TAG), &record->scale);
  TakeTrack(FindChildChunk3ds(node, MORPH_TRACK_TAG), &record->morph);
  TakeTrack(FindChildChunk3ds(node, HIDE_TRACK_TAG), &record->hide);
}

void ReadOmni(ChunkNode3ds* node, OmniNode3ds* record) {
  TakeHeader(node, {record->name, record->parent, &record->flags1, &record->flags2});
  TakeTrack(FindChildChunk3ds(node, POS_TRACK_TAG), &record->position);
  TakeTrack(FindChildChunk3ds(node, COL_TRACK_TAG), &record->color);
}

void ReadSpot(ChunkNode3ds* node, SpotNode3ds* record) {
  TakeHeader(node, {record->name, record->parent, &record->flags1, &record->flags2});
  TakeTrack(FindChildChunk3ds(node, POS_TRACK_TAG), &record->position);
  TakeTrack(FindChildChunk3ds(node, COL_TRACK_TAG), &record->color);
  TakeTrack(FindChildChunk3ds(node, HOT_TRACK_TAG), &record->hotspot);
  TakeTrack(FindChildChunk3ds(node, FALL_TRACK_TAG), &record->falloff);
  TakeTrack(FindChildChunk3ds(node, ROLL_TRACK_TAG), &record->roll);
}

void GetAmbient(ChunkDatabase3ds*, ChunkNode3ds* node, AmbientNode3ds** out) {
  ReadNodeCopy(node, out, ReadAmbient);
}

void GetCamera(ChunkDatabase3ds* database, ChunkNode3ds* node, CameraNode3ds** out) {
  ReadNodeCopy(node, out, ReadCamera);
  if (node != nullptr && out != nullptr && *out != nullptr && !ErrorsPending3ds())
    TakeTarget(database, (*out)->name, TARGET_NODE_TAG, &(*out)->target);
}

void GetObject(ChunkDatabase3ds*, ChunkNode3ds* node, ObjectNode3ds** out) {
  ReadNodeCopy(node, out, ReadObject);
}

void GetOmni(ChunkDatabase3ds*, ChunkNode3ds* node, OmniNode3ds** out) {
  ReadNodeCopy(node, out, ReadOmni);
}

void GetSpot(ChunkDatabase3ds* database, ChunkNode3ds* node, SpotNode3ds** out) {
  ReadNodeCopy(node, out, ReadSpot);
  if (node != nullptr && out != nullptr && *out != nullptr && !ErrorsPending3ds())
    TakeTarget(database, (*out)->name, L_TARGET_NODE_TAG, &(*out)->target);
}

// The node chunk a put rebuilds under KFDATA, holding its NODE_ID; the old node's extra data is
// handed out in *xdata. None when the put cannot go on.
ChunkNode3ds* StartNodePut(ChunkDatabase3ds* database, const std::string& name, uint16_t tag,
                           ChunkNode3ds** xdata) {
  *xdata = nullptr;
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(database->root, &kfdata);
  ChunkNode3ds* existing = FindNodeByName3ds(database, name.c_str(), tag);
  if (ErrorsPending3ds()) return nullptr;
  ChunkNode3ds* node = PrepareEntryForPut3ds(kfdata, existing, tag, xdata);
  if (ErrorsPending3ds()) return nullptr;
  MarkNodeListDirty3ds(database);
  AddNodeIdChunk3ds(node);
  return node;
}

void FinishNodePut(ChunkNode3ds* node, ChunkNode3ds* xdata) {
  if (xdata != nullptr) AddChildChunk3ds(node, xdata);
  if (ErrorsPending3ds()) PushError3ds(ERR_PUT_FAILED);
}

// The checks every put makes: a database to put into, names that fit their fields and tracks
// whose arrays hold their keys.
template <typename... Tracks>
bool CanPut(ChunkDatabase3ds* database, const void* record,
            std::initializer_list<const char*> names, const char* parent, const Tracks&... tracks) {
  if (record == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return false;
  }
  if (!CheckDatabase3ds(database, false)) return false;
  for (const char* name : names) CheckStringLength3ds(name, kObjectNameSize3ds - 1);
  if (parent != nullptr) CheckStringLength3ds(parent, kParentNameSize3ds - 1);
  if (ErrorsPending3ds()) return false;
  if (!(TrackFits(tracks) && ...)) {
    PushError3ds(ERR_INVALID_DATA);
    return false;
  }
  return true;
}

// The name a node is found by: "name.instance" for an object instance.
std::string ObjectNodeName(const ObjectNode3ds& node) {
  std::string name = node.name;
  if (node.instance[0] != '\0') name += std::string(".") + node.instance;
  return name;
}

// The operations every kind shares, by its node tag and its get.
template <typename Record>
struct NodeKind {
  uint16_t tag;
  void (*get)(ChunkDatabase3ds*, ChunkNode3ds*, Record**);
};

constexpr NodeKind<AmbientNode3ds> kAmbient{AMBIENT_NODE_TAG, GetAmbient};
constexpr NodeKind<CameraNode3ds> kCamera{CAMERA_NODE_TAG, GetCamera};
constexpr NodeKind<ObjectNode3ds> kObject{OBJECT_NODE_TAG, GetObject};
constexpr NodeKind<OmniNode3ds> kOmni{LIGHT_NODE_TAG, GetOmni};
constexpr NodeKind<SpotNode3ds> kSpot{SPOTLIGHT_NODE_TAG, GetSpot};

template <typename Record>
void GetByIndex(const NodeKind<Record>& kind, ChunkDatabase3ds* database, int32_t index,
                Record** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* node = FindNodeByIndex3ds(database, index, kind.tag))
    kind.get(database, node, out);
}

template <typename Record>
void GetByName(const NodeKind<Record>& kind, ChunkDatabase3ds* database, const char* name,
               Record** out) {
  if (out == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* node = FindNodeByName3ds(database, name, kind.tag))
    kind.get(database, node, out);
}

}  // namespace

bool TargetNode3ds::operator==(const TargetNode3ds& other) const {
  return TextEquals(parent, other.parent) && position == other.position && flags1 == other.flags1 &&
         flags2 == other.flags2;
}

bool CameraNode3ds::operator==(const CameraNode3ds& other) const {
  return TextEquals(name, other.name) && TextEquals(parent, other.parent) &&
         flags1 == other.flags1 && flags2 == other.flags2 && position == other.position &&
         fov == other.fov && roll == other.roll && target == other.target;
}

bool ObjectNode3ds::operator==(const ObjectNode3ds& other) const {
  return TextEquals(name, other.name) && TextEquals(parent, other.parent) &&
         flags1 == other.flags1 && flags2 == other.flags2 && pivot == other.pivot &&
         TextEquals(instance, other.instance) && bboxmin == other.bboxmin &&
         bboxmax == other.bboxmax && position == other.position && rotation == other.rotation &&
         scale == other.scale && morph == other.morph && hide == other.hide &&
         morphsmooth == other.morphsmooth;
}

bool OmniNode3ds::operator==(const OmniNode3ds& other) const {
  return TextEquals(name, other.name) && TextEquals(parent, other.parent) &&
         flags1 == other.flags1 && flags2 == other.flags2 && position == other.position &&
         color == other.color;
}

bool SpotNode3ds::operator==(const SpotNode3ds& other) const {
  return TextEquals(name, other.name) && TextEquals(parent, other.parent) &&
         flags1 == other.flags1 && flags2 == other.flags2 && position == other.position &&
         color == other.color && hotspot == other.hotspot && falloff == other.falloff &&
         roll == other.roll && target == other.target;
}

void InitKfSets3ds(Kfsets3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Kfsets3ds{};
}

void ReleaseKfSets3ds(Kfsets3ds** out) { ReleaseRecord3ds(out); }

void GetKfSets3ds(ChunkDatabase3ds* database, Kfsets3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  InitKfSets3ds(out);
  ChunkNode3ds* kfdata = FindChildChunk3ds(database->root, KFDATA);
  if (kfdata == nullptr || ErrorsPending3ds()) return;
  GetKfHeader3ds(kfdata, *out);
  GetKfSegment3ds(kfdata, *out);
}

void GetKfHeader3ds(ChunkNode3ds* kfdata, Kfsets3ds* out) {
  if (kfdata == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (const auto* header = ChunkDataAs3ds<KfHeaderData3ds>(FindChildChunk3ds(kfdata, KFHDR)))
    out->animlength = header->animationLength;
  if (const auto* frame = ChunkDataAs3ds<DwordData3ds>(FindChildChunk3ds(kfdata, KFCURTIME)))
    out->curframe = frame->value;
}

void GetKfSegment3ds(ChunkNode3ds* kfdata, Kfsets3ds* out) {
  if (kfdata == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* segment = FindChildChunk3ds(kfdata, KFSEG);
  if (segment == nullptr) return;
  out->segment.used = 1;
  if (const auto* frames = ChunkDataAs3ds<KfSegmentData3ds>(segment)) {
    out->segment.first = frames->first;
    out->segment.last = frames->last;
  }
}

void PutKfSets3ds(ChunkDatabase3ds* database, const Kfsets3ds* settings) {
  if (settings == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(database->root, &kfdata);
  if (ErrorsPending3ds()) return;
  PutKfHeader3ds(kfdata, settings);
  PutKfSegment3ds(kfdata, settings);
}

void PutKfHeader3ds(ChunkNode3ds* kfdata, const Kfsets3ds* settings) {
  if (kfdata == nullptr || settings == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* header = FindChildChunk3ds(kfdata, KFHDR);
  if (header == nullptr) PutChunk3ds(kfdata, KFHDR, &header);
  if (auto* data = header != nullptr ? EditChunkData3ds<KfHeaderData3ds>(header) : nullptr)
    data->animationLength = settings->animlength;
  ChunkNode3ds* frame = nullptr;
  PutChunk3ds(kfdata, KFCURTIME, &frame);
  if (frame != nullptr) frame->data = DwordData3ds{settings->curframe};
}

void PutKfSegment3ds(ChunkNode3ds* kfdata, const Kfsets3ds* settings) {
  if (kfdata == nullptr || settings == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (settings->segment.used == 0) {
    ClearChunk3ds(FindChildChunk3ds(kfdata, KFSEG));
    return;
  }
  ChunkNode3ds* segment = nullptr;
  PutChunk3ds(kfdata, KFSEG, &segment);
  if (segment != nullptr)
    segment->data = KfSegmentData3ds{settings->segment.first, settings->segment.last};
}

void CopyKfSets3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source) {
  if (!CheckDatabase3ds(source, false) || !CheckDatabase3ds(destination, false)) return;
  ChunkNode3ds* from = FindChildChunk3ds(source->root, KFDATA);
  if (from == nullptr) return;
  ChunkNode3ds* to = nullptr;
  FindKfData3ds(destination->root, &to);
  for (uint16_t tag : {KFHDR, KFCURTIME, KFSEG}) {
    ChunkNode3ds* chunk = FindChildChunk3ds(from, tag);
    if (chunk == nullptr || ErrorsPending3ds()) continue;
    ClearChunk3ds(FindChildChunk3ds(to, tag));
    ChunkNode3ds* copy = nullptr;
    CopyChunk3ds(chunk, &copy);
    if (!ErrorsPending3ds()) InsertChildChunk3ds(to, copy);
  }
}

void InitAmbientNode3ds(AmbientNode3ds** out, uint32_t colorKeys) {
  if (!ReuseOrAllocate3ds(out)) return;
  **out = AmbientNode3ds{};
  SizeTrack(&(*out)->color, colorKeys);
}

void InitCameraNode3ds(CameraNode3ds** out, uint32_t positionKeys, uint32_t fovKeys,
                       uint32_t rollKeys, uint32_t targetKeys) {
  if (!ReuseOrAllocate3ds(out)) return;
  CameraNode3ds& node = **out;
  node = CameraNode3ds{};
  SizeTrack(&node.position, positionKeys);
  SizeTrack(&node.fov, fovKeys);
  SizeTrack(&node.roll, rollKeys);
  SizeTrack(&node.target.position, targetKeys);
}

void InitObjectNode3ds(ObjectNode3ds** out, uint32_t positionKeys, uint32_t rotationKeys,
                       uint32_t scaleKeys, uint32_t morphKeys, uint32_t hideKeys) {
  if (!ReuseOrAllocate3ds(out)) return;
  ObjectNode3ds& node = **out;
  node = ObjectNode3ds{};
  SizeTrack(&node.position, positionKeys);
  SizeTrack(&node.rotation, rotationKeys, kNoRotation);
  SizeTrack(&node.scale, scaleKeys);
  SizeTrack(&node.morph, morphKeys);
  SizeTrack(&node.hide, hideKeys);
}

void InitOmniNode3ds(OmniNode3ds** out, uint32_t positionKeys, uint32_t colorKeys) {
  if (!ReuseOrAllocate3ds(out)) return;
  **out = OmniNode3ds{};
  SizeTrack(&(*out)->position, positionKeys);
  SizeTrack(&(*out)->color, colorKeys);
}

void InitSpotNode3ds(SpotNode3ds** out, uint32_t positionKeys, uint32_t colorKeys,
                     uint32_t hotspotKeys, uint32_t falloffKeys, uint32_t rollKeys,
                     uint32_t targetKeys) {
  if (!ReuseOrAllocate3ds(out)) return;
  SpotNode3ds& node = **out;
  node = SpotNode3ds{};
  SizeTrack(&node.position, positionKeys);
  SizeTrack(&node.color, colorKeys);
  SizeTrack(&node.hotspot, hotspotKeys);
  SizeTrack(&node.falloff, falloffKeys);
  SizeTrack(&node.roll, rollKeys);
  SizeTrack(&node.target.position, targetKeys);
}

void ReleaseAmbientNode3ds(AmbientNode3ds** out) { ReleaseRecord3ds(out); }
void ReleaseCameraNode3ds(CameraNode3ds** out) { ReleaseRecord3ds(out); }
void ReleaseObjectNode3ds(ObjectNode3ds** out) { ReleaseRecord3ds(out); }
void ReleaseOmniNode3ds(OmniNode3ds** out) { ReleaseRecord3ds(out); }
void ReleaseSpotNode3ds(SpotNode3ds** out) { ReleaseRecord3ds(out); }

int32_t GetAmbientNodeCount3ds(ChunkDatabase3ds* database) {
  return GetNodeCount3ds(database, AMBIENT_NODE_TAG);
}
int32_t GetCameraNodeCount3ds(ChunkDatabase3ds* database) {
  return GetNodeCount3ds(database, CAMERA_NODE_TAG);
}
int32_t GetObjectNodeCount3ds(ChunkDatabase3ds* database) {
  return GetNodeCount3ds(database, OBJECT_NODE_TAG);
}
int32_t GetOmniNodeCount3ds(ChunkDatabase3ds* database) {
  return GetNodeCount3ds(database, LIGHT_NODE_TAG);
}
int32_t GetSpotNodeCount3ds(ChunkDatabase3ds* database) {
  return GetNodeCount3ds(database, SPOTLIGHT_NODE_TAG);
}

void GetAmbientNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetNodeNames3ds(database, AMBIENT_NODE_TAG, out);
}
void GetCameraNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetNodeNames3ds(database, CAMERA_NODE_TAG, out);
}
void GetObjectNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetNodeNames3ds(database, OBJECT_NODE_TAG, out);
}
void GetOmniNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetNodeNames3ds(database, LIGHT_NODE_TAG, out);
}
void GetSpotNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetNodeNames3ds(database, SPOTLIGHT_NODE_TAG, out);
}

void GetAmbientNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, AmbientNode3ds** out) {
  GetByIndex(kAmbient, database, index, out);
}
void GetCameraNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, CameraNode3ds** out) {
  GetByIndex(kCamera, database, index, out);
}
void GetObjectNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, ObjectNode3ds** out) {
  GetByIndex(kObject, database, index, out);
}
void GetOmniNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, OmniNode3ds** out) {
  GetByIndex(kOmni, database, index, out);
}
void GetSpotNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, SpotNode3ds** out) {
  GetByIndex(kSpot, database, index, out);
}

void GetAmbientNodeByName3ds(ChunkDatabase3ds* database, const char* name, AmbientNode3ds** out) {
  GetByName(kAmbient, database, name, out);
}
void GetCameraNodeByName3ds(ChunkDatabase3ds* database, const char* name, CameraNode3ds** out) {
  GetByName(kCamera, database, name, out);
}
void GetObjectNodeByName3ds(ChunkDatabase3ds* database, const char* name, ObjectNode3ds** out) {
  GetByName(kObject, database, name, out);
}
void GetOmniNodeByName3ds(ChunkDatabase3ds* database, const char* name, OmniNode3ds** out) {
  GetByName(kOmni, database, name, out);
}
void GetSpotNodeByName3ds(ChunkDatabase3ds* database, const char* name, SpotNode3ds** out) {
  GetByName(kSpot, database, name, out);
}

void PutAmbientNode3ds(ChunkDatabase3ds* database, const AmbientNode3ds* node) {
  if (node == nullptr || !CanPut(database, node, {}, nullptr, node->color)) return;
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, kAmbientNodeName3ds, AMBIENT_NODE_TAG, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(kAmbientNodeName3ds, 0, 0, "", chunk);
  AddColTrack3ds(node->color, chunk);
  FinishNodePut(chunk, xdata);
}

void PutCameraNode3ds(ChunkDatabase3ds* database, const CameraNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CanPut(database, node, {node->name}, node->parent, node->position, node->fov, node->roll,
              node->target.position) ||
      !CanPut(database, node, {}, node->target.parent)) {
    return;
  }
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, node->name, CAMERA_NODE_TAG, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(node->name, node->flags1, node->flags2, node->parent, chunk);
  AddPosTrack3ds(node->position, chunk);
  AddTrack(chunk, FOV_TRACK_TAG, node->fov);
  AddRollTrack3ds(node->roll, chunk);
  FinishNodePut(chunk, xdata);
  if (!ErrorsPending3ds()) AddTargetNode3ds(database, node->name, TARGET_NODE_TAG, node->target);
}

void PutObjectNode3ds(ChunkDatabase3ds* database, const ObjectNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CanPut(database, node, {node->name, node->instance}, node->parent, node->position,
              node->rotation, node->scale, node->morph, node->hide)) {
    return;
  }
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, ObjectNodeName(*node), OBJECT_NODE_TAG, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(node->name, node->flags1, node->flags2, node->parent, chunk);
  if (node->instance[0] != '\0') AddDataChunk3ds(chunk, INSTANCE_NAME, NameData3ds{node->instance});
  if (node->bboxmin != point3ds{} || node->bboxmax != point3ds{})
    AddDataChunk3ds(chunk, BOUNDBOX, BoundBoxData3ds{node->bboxmin, node->bboxmax});
  if (node->flags2 & kNodeMorphSmooth3ds)
    AddDataChunk3ds(chunk, MORPH_SMOOTH, FloatData3ds{node->morphsmooth});
  AddDataChunk3ds(chunk, PIVOT, PointData3ds{node->pivot});
  AddPosTrack3ds(node->position, chunk);
  AddTrack(chunk, ROT_TRACK_TAG, node->rotation);
  AddTrack(chunk, SCL_TRACK_TAG, node->scale);
  AddTrack(chunk, MORPH_TRACK_TAG, node->morph);
  AddTrack(chunk, HIDE_TRACK_TAG, node->hide);
  FinishNodePut(chunk, xdata);
}

void PutOmniNode3ds(ChunkDatabase3ds* database, const OmniNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CanPut(database, node, {node->name}, node->parent, node->position, node->color)) return;
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, node->name, LIGHT_NODE_TAG, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(node->name, node->flags1, node->flags2, node->parent, chunk);
  AddPosTrack3ds(node->position, chunk);
  AddColTrack3ds(node->color, chunk);
  FinishNodePut(chunk, xdata);
}

void PutSpotNode3ds(ChunkDatabase3ds* database, const SpotNode3ds* node) {
  if (node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CanPut(database, node, {node->name}, node->parent, node->position, node->color,
              node->hotspot, node->falloff, node->roll, node->target.position) ||
      !CanPut(database, node, {}, node->target.parent)) {
    return;
  }
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, node->name, SPOTLIGHT_NODE_TAG, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(node->name, node->flags1, node->flags2, node->parent, chunk);
  AddPosTrack3ds(node->position, chunk);
  AddColTrack3ds(node->color, chunk);
  AddTrack(chunk, HOT_TRACK_TAG, node->hotspot);
  AddTrack(chunk, FALL_TRACK_TAG, node->falloff);
  AddRollTrack3ds(node->roll, chunk);
  FinishNodePut(chunk, xdata);
  if (!ErrorsPending3ds()) AddTargetNode3ds(database, node->name, L_TARGET_NODE_TAG, node->target);
}

void DeleteAmbientNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNodeByIndex3ds(database, index, AMBIENT_NODE_TAG);
}
void DeleteCameraNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNodeByIndex3ds(database, index, CAMERA_NODE_TAG);
}
void DeleteObjectNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNodeByIndex3ds(database, index, OBJECT_NODE_TAG);
}
void DeleteOmniNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNodeByIndex3ds(database, index, LIGHT_NODE_TAG);
}
void DeleteSpotNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNodeByIndex3ds(database, index, SPOTLIGHT_NODE_TAG);
}

void DeleteAmbientNodeByName3ds(ChunkDatabase3ds* database, const char* name) {
  DeleteNodeByName3ds(database, name, AMBIENT_NODE_TAG);
}
void DeleteCameraNodeByName3ds(ChunkDatabase3ds* database, const char* name) {
  DeleteNodeByName3ds(database, name, CAMERA_NODE_TAG);
}
void DeleteObjectNodeByName3ds(ChunkDatabase3ds* database, const char* name) {
  DeleteNodeByName3ds(database, name, OBJECT_NODE_TAG);
}
void DeleteOmniNodeByName3ds(ChunkDatabase3ds* database, const char* name) {
  DeleteNodeByName3ds(database, name, LIGHT_NODE_TAG);
}
void DeleteSpotNodeByName3ds(ChunkDatabase3ds* database, const char* name) {
  DeleteNodeByName3ds(database, name, SPOTLIGHT_NODE_TAG);
}

void CopyAmbientNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                               int32_t index) {
  CopyNodeByIndex3ds(destination, source, index, AMBIENT_NODE_TAG);
}
void CopyCameraNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              int32_t index) {
  CopyNodeByIndex3ds(destination, source, index, CAMERA_NODE_TAG);
}
void CopyObjectNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              int32_t index) {
  CopyNodeByIndex3ds(destination, source, index, OBJECT_NODE_TAG);
}
void CopyOmniNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            int32_t index) {
  CopyNodeByIndex3ds(destination, source, index, LIGHT_NODE_TAG);
}
void CopySpotNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            int32_t index) {
  CopyNodeByIndex3ds(destination, source, index, SPOTLIGHT_NODE_TAG);
}

void CopyAmbientNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              const char* name) {
  CopyNodeByName3ds(destination, source, name, AMBIENT_NODE_TAG);
}
void CopyCameraNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             const char* name) {
  CopyNodeByName3ds(destination, source, name, CAMERA_NODE_TAG);
}
void CopyObjectNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             const char* name) {
  CopyNodeByName3ds(destination, source, name, OBJECT_NODE_TAG);
}
void CopyOmniNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name) {
  CopyNodeByName3ds(destination, source, name, LIGHT_NODE_TAG);
}
void CopySpotNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name) {
  CopyNodeByName3ds(destination, source, name, SPOTLIGHT_NODE_TAG);
}

void AddNodeHeader3ds(const char* name, uint16_t flags1, uint16_t flags2, const char* parent,
                      ChunkNode3ds* node) {
  if (name == nullptr || node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* header = AddChunk3ds(NODE_HDR, node);
  if (header == nullptr) return;
  header->data = NodeHeaderData3ds{name, flags1, flags2, kNoNodeId3ds};
  if (parent != nullptr && parent[0] != '\0') AddParentName3ds(header, parent);
}

void AddNodeIdChunk3ds(ChunkNode3ds* node) {
  // The identifier is given when the database is written.
  if (ChunkNode3ds* id = AddChunk3ds(NODE_ID, node)) id->data = ShortData3ds{kNoNodeId3ds};
}

ChunkNode3ds* AddChunk3ds(uint16_t tag, ChunkNode3ds* parent) {
  if (parent == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  ChunkNode3ds* child = nullptr;
  NewChunkWithTag3ds(&child, tag);
  if (ErrorsPending3ds()) return nullptr;
  AddChildChunk3ds(parent, child);
  return child;
}

void AddPosTrack3ds(const PointTrack3ds& track, ChunkNode3ds* node) {
  AddTrack(node, POS_TRACK_TAG, track);
}

void AddColTrack3ds(const ColorTrack3ds& track, ChunkNode3ds* node) {
  AddTrack(node, COL_TRACK_TAG, track);
}

void AddRollTrack3ds(const FloatTrack3ds& track, ChunkNode3ds* node) {
  AddTrack(node, ROLL_TRACK_TAG, track);
}

void AddTargetNode3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag,
                      const TargetNode3ds& target) {
  if (database == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* chunk = StartNodePut(database, name, tag, &xdata);
  if (chunk == nullptr) return;
  AddNodeHeader3ds(name, target.flags1, target.flags2, target.parent, chunk);
  AddPosTrack3ds(target.position, chunk);
  FinishNodePut(chunk, xdata);
}

void KeepNodeXData3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag,
                      ChunkNode3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *out = CopyFirstXData3ds(FindNodeByName3ds(database, name, tag));
}

int32_t GetNodeCount3ds(ChunkDatabase3ds* database, uint16_t tag) {
  NameIndex3ds nodes;
  GetNodeNameList3ds(database, tag, &nodes);
  return static_cast<int32_t>(nodes.size());
}

void GetNodeNames3ds(ChunkDatabase3ds* database, uint16_t tag, NameArray3ds* out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  NameIndex3ds nodes;
  GetNodeNameList3ds(database, tag, &nodes);
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : nodes) AddToNameArray3ds(out, entry.name.c_str());
}

void GetNodeNameList3ds(ChunkDatabase3ds* database, uint16_t tag, NameIndex3ds* out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  InitNameList3ds(&out);
  if (!CheckDatabase3ds(database, false)) return;
  UpdateNodeList3ds(database);
  for (const NameIndexEntry3ds& entry : database->nodeList) {
    if (entry.node->tag == tag) out->push_back(entry);
  }
}

void SetBoundBoxFromMesh3ds(const Mesh3ds* mesh, ObjectNode3ds* node) {
  if (mesh == nullptr || node == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  point3ds low, high;
  if (!GetMeshBounds3ds(*mesh, &low, &high)) return;
  node->bboxmin = low;
  node->bboxmax = high;
}
