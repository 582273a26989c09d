// The scene-wide settings of a mesh or project file as flat records: atmosphere (FOG, LAYER_FOG,
// DISTANCE_CUE and the one USE_ chunk that picks the active kind), background (BIT_MAP,
// SOLID_BGND, V_GRADIENT and their USE_ chunks), mesh settings (scale, shadow settings, ambient
// light, the construction plane) and views (the VIEWPORT_LAYOUT of the work area and the
// DEFAULT_VIEW). All of them lie directly under MDATA; the layout is kept under KFDATA as well.
#pragma once

#include <cstdint>
#include <string>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "library/toolkit3ds/toolkit_types.h"

struct fogsettings3ds {
  float nearplane = 0.0f, neardensity = 0.0f, farplane = 1000.0f, fardensity = 100.0f;
  fcolor3ds color;
  uint8_t fogbackground = 1;
  bool operator==(const fogsettings3ds&) const = default;
};

// falloff: 0 none, 1 towards the top, 2 towards the bottom.
struct layerfogsettings3ds {
  float zmin = 0.0f, zmax = 100.0f, density = 50.0f;
  uint32_t falloff = 0;
  fcolor3ds color;
  uint8_t fogbackground = 1;
  bool operator==(const layerfogsettings3ds&) const = default;
};

struct dcuesettings3ds {
  float nearplane = 0.0f, neardimming = 0.0f, farplane = 1000.0f, fardimming = 100.0f;
  uint8_t dcuebackground = 0;
  bool operator==(const dcuesettings3ds&) const = default;
};

enum ActiveAtmosphere3ds : int32_t {
  kNoAtmosphere3ds = 0,
  kUseFog3ds = 1,
  kUseLayerFog3ds = 2,
  kUseDistanceCue3ds = 3,
};

struct Atmosphere3ds {
  fogsettings3ds fog;
  layerfogsettings3ds layerfog;
  dcuesettings3ds dcue;
  int32_t active = kNoAtmosphere3ds;
  bool operator==(const Atmosphere3ds&) const = default;
};

enum BackgroundUsed3ds : int32_t {
  kNoBackground3ds = 0,
  kUseSolidBackground3ds = 1,
  kUseGradientBackground3ds = 2,
  kUseBitmapBackground3ds = 3,
};

struct vgradient3ds {
  float midpoint = 0.5f;
  fcolor3ds top, mid, bottom;
  bool operator==(const vgradient3ds&) const = default;
};

struct Background3ds {
  std::string bitmap;  // file name
  fcolor3ds solid;
  vgradient3ds gradient;
  int32_t used = kNoBackground3ds;
  bool operator==(const Background3ds&) const = default;
};

struct Meshset3ds {
  float masterscale = 1.0f;
  float loshadowbias = 1.0f;
  float raybias = 1.0f;
  int16_t shadowmapsize = 512;  // pixels
  float shadowfilter = 3.0f;
  fcolor3ds ambientlight{0.39216f, 0.39216f, 0.39216f};
  point3ds oconsts;  // construction plane
  bool operator==(const Meshset3ds&) const = default;
};

// View types: 1 top, 2 bottom, 3 left, 4 right, 5 front, 6 back, 7 user, 8 camera.
enum ViewType3ds : int16_t {
  kViewTop3ds = 1,
  kViewBack3ds = 6,
  kViewUser3ds = 7,
  kViewCamera3ds = 8,
};

struct viewsize3ds {
  uint16_t xpos = 0, ypos = 0, width = 1000, height = 1000;  // pixels
  bool operator==(const viewsize3ds&) const = default;
};

struct orthoview3ds {
  point3ds center;
  float zoom = 0.7395f;
  bool operator==(const orthoview3ds&) const = default;
};

struct userview3ds {
  point3ds center;
  float zoom = 0.7395f;
  float horizontalangle = 20.0f, verticalangle = 30.0f;  // degrees
  bool operator==(const userview3ds&) const = default;
};

struct Viewport3ds {
  int16_t type = kViewTop3ds;
  viewsize3ds size;
  orthoview3ds ortho;
  userview3ds user;
  char camera[kObjectNameSize3ds] = {};
  bool operator==(const Viewport3ds& other) const;
};

void InitAtmosphere3ds(Atmosphere3ds** out);
void ReleaseAtmosphere3ds(Atmosphere3ds** out);
void GetAtmosphere3ds(ChunkDatabase3ds* database, Atmosphere3ds** out);
void PutAtmosphere3ds(ChunkDatabase3ds* database, const Atmosphere3ds* atmosphere);
void CopyAtmosphere3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source);

void InitBackground3ds(Background3ds** out);
void ReleaseBackground3ds(Background3ds** out);
void GetBackground3ds(ChunkDatabase3ds* database, Background3ds** out);
void PutBackground3ds(ChunkDatabase3ds* database, const Background3ds* background);
void CopyBackground3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source);

void InitMeshSet3ds(Meshset3ds** out);
void ReleaseMeshSet3ds(Meshset3ds** out);
void GetMeshSet3ds(ChunkDatabase3ds* database, Meshset3ds** out);
void PutMeshSet3ds(ChunkDatabase3ds* database, const Meshset3ds* settings);
void CopyMeshSet3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source);

void InitViewport3ds(Viewport3ds** out);
void ReleaseViewport3ds(Viewport3ds** out);
// The layout's current view, from KFDATA or else MDATA; a layout naming no view, or a database
// without one, leaves the defaults.
void GetViewport3ds(ChunkDatabase3ds* database, Viewport3ds** out);
void ReadViewportLayout3ds(ChunkNode3ds* layout, Viewport3ds* out);
// The view of DEFAULT_VIEW; orthographic and user zooms are the view width over out's size width
// (a size of width 0 keeps the zoom).
void GetDefaultView3ds(ChunkDatabase3ds* database, Viewport3ds** out);
void PutViewport3ds(ChunkDatabase3ds* database, const Viewport3ds* viewport);
void PutViewportLayout3ds(ChunkNode3ds* parent, const Viewport3ds* viewport);
void PutDefaultView3ds(ChunkNode3ds* mdata, const Viewport3ds* viewport);
void CopyViewport3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source);
