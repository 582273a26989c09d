// The key-frame section as flat records: its settings (KFHDR, KFSEG, KFCURTIME) and the nodes of
// the ambient light, cameras, objects, omni lights and spotlights with their tracks of keys.
//
// A node chunk under KFDATA holds a NODE_ID, a NODE_HDR (name, flags, and in memory the parent's
// name as a PARENT_NAME child), the kind's own chunks and one track chunk per animated value. A
// camera or spotlight node comes with a target node of the same name (TARGET_NODE_TAG,
// L_TARGET_NODE_TAG) that carries the target's position track. The ambient light's node is the
// one named "$AMBIENT$". Reading works on a copy of the node, so the database is left as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/toolkit_types.h"

// A parent is named "name.instance" at the most: two object names and the full stop.
inline constexpr size_t kParentNameSize3ds = 23;  // characters with the terminator
inline constexpr const char* kAmbientNodeName3ds = "$AMBIENT$";
// The morph smoothing angle a new object node starts with.
inline constexpr float kNewMorphSmooth3ds = 24.0f;  // degrees

struct kfseg3ds {
  uint8_t used = 0;
  uint32_t first = 0, last = kNewAnimationLength3ds;  // frames
  bool operator==(const kfseg3ds&) const = default;
};

struct Kfsets3ds {
  uint32_t animlength = kNewAnimationLength3ds;  // frames
  uint32_t curframe = 0;
  kfseg3ds segment;
  bool operator==(const Kfsets3ds&) const = default;
};

// One track: a key header and a value per key. keycount keys are written; the arrays must hold
// them.
template <typename Value>
struct Track3ds {
  uint32_t keycount = 0;
  uint32_t flags = 0;
  std::vector<keyheader3ds> keys;
  std::vector<Value> values;
  bool operator==(const Track3ds&) const = default;
};

using PointTrack3ds = Track3ds<point3ds>;  // position and scale
using RotationTrack3ds = Track3ds<RotationKey3ds>;
using FloatTrack3ds = Track3ds<float>;  // field of view, roll, hotspot, falloff: degrees
using ColorTrack3ds = Track3ds<ColorKey3ds>;
using MorphTrack3ds = Track3ds<MorphKey3ds>;
using HideTrack3ds = Track3ds<HideKey3ds>;

// The target node of a camera or a spotlight.
struct TargetNode3ds {
  char parent[kParentNameSize3ds] = {};
  PointTrack3ds position;
  uint16_t flags1 = 0, flags2 = 0;
  bool operator==(const TargetNode3ds& other) const;
};

struct AmbientNode3ds {
  ColorTrack3ds color;
  bool operator==(const AmbientNode3ds&) const = default;
};

struct CameraNode3ds {
  char name[kObjectNameSize3ds] = {};
  char parent[kParentNameSize3ds] = {};
  uint16_t flags1 = 0, flags2 = 0;
  PointTrack3ds position;
  FloatTrack3ds fov;
  FloatTrack3ds roll;
  TargetNode3ds target;
  bool operator==(const CameraNode3ds& other) const;
};

// Flags 2 bit: the node keeps a morph smoothing angle.
inline constexpr uint16_t kNodeMorphSmooth3ds = 0x0001;

struct ObjectNode3ds {
  char name[kObjectNameSize3ds] = {};
  char parent[kParentNameSize3ds] = {};
  uint16_t flags1 = 0, flags2 = 0;
  point3ds pivot;
  char instance[kObjectNameSize3ds] = {};
  point3ds bboxmin, bboxmax;
  PointTrack3ds position;
  RotationTrack3ds rotation;
  PointTrack3ds scale;
  MorphTrack3ds morph;
  HideTrack3ds hide;
  float morphsmooth = kNewMorphSmooth3ds;  // degrees
  bool operator==(const ObjectNode3ds& other) const;
};

struct OmniNode3ds {
  char name[kObjectNameSize3ds] = {};
  char parent[kParentNameSize3ds] = {};
  uint16_t flags1 = 0, flags2 = 0;
  PointTrack3ds position;
  ColorTrack3ds color;
  bool operator==(const OmniNode3ds& other) const;
};

struct SpotNode3ds {
  char name[kObjectNameSize3ds] = {};
  char parent[kParentNameSize3ds] = {};
  uint16_t flags1 = 0, flags2 = 0;
  PointTrack3ds position;
  ColorTrack3ds color;
  FloatTrack3ds hotspot, falloff, roll;
  TargetNode3ds target;
  bool operator==(const SpotNode3ds& other) const;
};

// Key-frame settings.
void InitKfSets3ds(Kfsets3ds** out);
void ReleaseKfSets3ds(Kfsets3ds** out);
void GetKfSets3ds(ChunkDatabase3ds* database, Kfsets3ds** out);
void GetKfHeader3ds(ChunkNode3ds* kfdata, Kfsets3ds* out);
void GetKfSegment3ds(ChunkNode3ds* kfdata, Kfsets3ds* out);
void PutKfSets3ds(ChunkDatabase3ds* database, const Kfsets3ds* settings);
void PutKfHeader3ds(ChunkNode3ds* kfdata, const Kfsets3ds* settings);
void PutKfSegment3ds(ChunkNode3ds* kfdata, const Kfsets3ds* settings);
void CopyKfSets3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source);

// Node records. An init sizes each track to the given key count.
void InitAmbientNode3ds(AmbientNode3ds** out, uint32_t colorKeys);
void InitCameraNode3ds(CameraNode3ds** out, uint32_t positionKeys, uint32_t fovKeys,
                       uint32_t rollKeys, uint32_t targetKeys);
void InitObjectNode3ds(ObjectNode3ds** out, uint32_t positionKeys, uint32_t rotationKeys,
                       uint32_t scaleKeys, uint32_t morphKeys, uint32_t hideKeys);
void InitOmniNode3ds(OmniNode3ds** out, uint32_t positionKeys, uint32_t colorKeys);
void InitSpotNode3ds(SpotNode3ds** out, uint32_t positionKeys, uint32_t colorKeys,
                     uint32_t hotspotKeys, uint32_t falloffKeys, uint32_t rollKeys,
                     uint32_t targetKeys);
void ReleaseAmbientNode3ds(AmbientNode3ds** out);
void ReleaseCameraNode3ds(CameraNode3ds** out);
void ReleaseObjectNode3ds(ObjectNode3ds** out);
void ReleaseOmniNode3ds(OmniNode3ds** out);
void ReleaseSpotNode3ds(SpotNode3ds** out);

// Object nodes are named "name.instance" when they have an instance name.
int32_t GetAmbientNodeCount3ds(ChunkDatabase3ds* database);
int32_t GetCameraNodeCount3ds(ChunkDatabase3ds* database);
int32_t GetObjectNodeCount3ds(ChunkDatabase3ds* database);
int32_t GetOmniNodeCount3ds(ChunkDatabase3ds* database);
int32_t GetSpotNodeCount3ds(ChunkDatabase3ds* database);
void GetAmbientNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetCameraNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetObjectNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetOmniNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetSpotNodeNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetAmbientNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, AmbientNode3ds** out);
void GetCameraNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, CameraNode3ds** out);
void GetObjectNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, ObjectNode3ds** out);
void GetOmniNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, OmniNode3ds** out);
void GetSpotNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index, SpotNode3ds** out);
void GetAmbientNodeByName3ds(ChunkDatabase3ds* database, const char* name, AmbientNode3ds** out);
void GetCameraNodeByName3ds(ChunkDatabase3ds* database, const char* name, CameraNode3ds** out);
void GetObjectNodeByName3ds(ChunkDatabase3ds* database, const char* name, ObjectNode3ds** out);
void GetOmniNodeByName3ds(ChunkDatabase3ds* database, const char* name, OmniNode3ds** out);
void GetSpotNodeByName3ds(ChunkDatabase3ds* database, const char* name, SpotNode3ds** out);
// A put replaces the node of the same name and kind, keeping its extra data.
void PutAmbientNode3ds(ChunkDatabase3ds* database, const AmbientNode3ds* node);
void PutCameraNode3ds(ChunkDatabase3ds* database, const CameraNode3ds* node);
void PutObjectNode3ds(ChunkDatabase3ds* database, const ObjectNode3ds* node);
void PutOmniNode3ds(ChunkDatabase3ds* database, const OmniNode3ds* node);
void PutSpotNode3ds(ChunkDatabase3ds* database, const SpotNode3ds* node);
void DeleteAmbientNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteCameraNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteObjectNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteOmniNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteSpotNodeByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteAmbientNodeByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteCameraNodeByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteObjectNodeByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteOmniNodeByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteSpotNodeByName3ds(ChunkDatabase3ds* database, const char* name);
void CopyAmbientNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                               int32_t index);
void CopyCameraNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              int32_t index);
void CopyObjectNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              int32_t index);
void CopyOmniNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index);
void CopySpotNodeByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index);
void CopyAmbientNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                              const char* name);
void CopyCameraNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             const char* name);
void CopyObjectNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             const char* name);
void CopyOmniNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name);
void CopySpotNodeByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                           const char* name);

// The chunk builders of the puts.
void AddNodeHeader3ds(const char* name, uint16_t flags1, uint16_t flags2, const char* parent,
                      ChunkNode3ds* node);
void AddNodeIdChunk3ds(ChunkNode3ds* node);
// A new chunk of the tag appended under parent; none on failure.
ChunkNode3ds* AddChunk3ds(uint16_t tag, ChunkNode3ds* parent);
void AddPosTrack3ds(const PointTrack3ds& track, ChunkNode3ds* node);
void AddColTrack3ds(const ColorTrack3ds& track, ChunkNode3ds* node);
void AddRollTrack3ds(const FloatTrack3ds& track, ChunkNode3ds* node);
// Builds the target node of a camera or spotlight of that name.
void AddTargetNode3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag,
                      const TargetNode3ds& target);
// A copy of the first XDATA_SECTION of the node of that name and tag, or none.
void KeepNodeXData3ds(ChunkDatabase3ds* database, const char* name, uint16_t tag,
                      ChunkNode3ds** out);
int32_t GetNodeCount3ds(ChunkDatabase3ds* database, uint16_t tag);
void GetNodeNames3ds(ChunkDatabase3ds* database, uint16_t tag, NameArray3ds* out);
// The nodes of the tag by name, in file order.
void GetNodeNameList3ds(ChunkDatabase3ds* database, uint16_t tag, NameIndex3ds* out);

// The object node's bounding box from the mesh's vertices (none: ERR_INVALID_DATA).
void SetBoundBoxFromMesh3ds(const Mesh3ds* mesh, ObjectNode3ds* node);
