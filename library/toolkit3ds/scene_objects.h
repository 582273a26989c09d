// Cameras and lights as flat records.
//
// Both are NAMED_OBJECT chunks under MDATA, like meshes. A camera holds an N_CAMERA (position,
// target, bank angle, focal length) with CAM_SEE_CONE and CAM_RANGES as children; a light holds an
// N_DIRECT_LIGHT (position) whose children give its colour, ranges, multiplier, switches and
// excluded objects, and a spotlight is a light whose N_DIRECT_LIGHT also holds a DL_SPOTLIGHT
// (target, hotspot, falloff) with the spot's own settings as children. Reading works on a copy of
// the object's subtree, so the database is left as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/toolkit_types.h"

// A lens of focal length f (millimetres) sees a field of view of kLensFactor3ds / f degrees.
inline constexpr float kLensFactor3ds = 2400.0f;

struct Camera3ds {
  char name[kObjectNameSize3ds] = {};
  point3ds position;
  point3ds target{1.0f, 1.0f, 1.0f};
  float roll = 0.0f;  // degrees
  float fov = 45.0f;  // degrees
  uint8_t seecone = 0;
  float nearplane = 10.0f, farplane = 1000.0f;
  bool operator==(const Camera3ds& other) const;
};

struct Spotlight3ds {
  point3ds target{1.0f, 1.0f, 1.0f};
  float hotspot = 44.0f, falloff = 45.0f;  // degrees
  float roll = 0.0f;                       // degrees
  float aspect = 1.0f;
  uint8_t cast = 0, rayshadows = 0, localshadow = 0;
  float shadowbias = 1.0f, shadowfilter = 3.0f;
  int32_t shadowmapsize = 512;  // pixels
  float raybias = 1.0f;
  uint8_t rectangular = 0, seecone = 0, overshoot = 0;
  uint8_t projectoron = 0;
  std::string projector;  // bitmap file name
  bool operator==(const Spotlight3ds&) const = default;
};

struct Light3ds {
  char name[kObjectNameSize3ds] = {};
  point3ds position;
  fcolor3ds color{0.70885f, 0.70885f, 0.70885f};
  float multiplier = 1.0f;
  uint8_t off = 0, attenuate = 0;
  float innerrange = 10.0f, outerrange = 100.0f;
  NameArray3ds exclude;
  std::optional<Spotlight3ds> spot;  // none: an omni light
  bool operator==(const Light3ds& other) const;
};

// Cameras. Put only into mesh files.
void InitCamera3ds(Camera3ds** out);
void ReleaseCamera3ds(Camera3ds** out);
int32_t GetCameraCount3ds(ChunkDatabase3ds* database);
void GetCameraNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetCameraByIndex3ds(ChunkDatabase3ds* database, int32_t index, Camera3ds** out);
void GetCameraByName3ds(ChunkDatabase3ds* database, const char* name, Camera3ds** out);
void ReadCamera3ds(ChunkNode3ds* object, Camera3ds** out);
// Replaces an object of the same name, keeping its extra data.
void PutCamera3ds(ChunkDatabase3ds* database, const Camera3ds* camera);
void DeleteCameraByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteCameraByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void CopyCameraByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index);
void CopyCameraByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name);

// Lights. Omni lights and spotlights are counted and indexed apart.
void InitLight3ds(Light3ds** out);
void InitSpotlight3ds(Light3ds** out);
void ReleaseLight3ds(Light3ds** out);
int32_t GetOmnilightCount3ds(ChunkDatabase3ds* database);
int32_t GetSpotlightCount3ds(ChunkDatabase3ds* database);
void GetOmnilightNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetSpotlightNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
void GetOmnilightByIndex3ds(ChunkDatabase3ds* database, int32_t index, Light3ds** out);
void GetSpotlightByIndex3ds(ChunkDatabase3ds* database, int32_t index, Light3ds** out);
void GetOmnilightByName3ds(ChunkDatabase3ds* database, const char* name, Light3ds** out);
void GetSpotlightByName3ds(ChunkDatabase3ds* database, const char* name, Light3ds** out);
void DeleteOmnilightByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteSpotlightByName3ds(ChunkDatabase3ds* database, const char* name);
void DeleteOmnilightByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void DeleteSpotlightByIndex3ds(ChunkDatabase3ds* database, int32_t index);
void CopyOmnilightByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             int32_t index);
void CopySpotlightByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             int32_t index);
void CopyOmnilightByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            const char* name);
void CopySpotlightByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            const char* name);
void ReadLight3ds(ChunkNode3ds* object, Light3ds** out);
// Put into mesh or project files; an omni record put as a spot, or the reverse, is refused.
void PutOmnilight3ds(ChunkDatabase3ds* database, const Light3ds* light);
void PutSpotlight3ds(ChunkDatabase3ds* database, const Light3ds* light);
void PutLight3ds(ChunkDatabase3ds* database, const Light3ds* light);
// Adds a float chunk under parent in chunk order.
void AddFloatChunk3ds(ChunkNode3ds* parent, uint16_t tag, float value);
