// Materials as flat records.
//
// A material is a MAT_ENTRY (0xAFFF) under MDATA, or under the root of a material library. Its
// children: MAT_NAME (at most 16 characters); the colour containers MAT_AMBIENT, MAT_DIFFUSE and
// MAT_SPECULAR, each holding COLOR_24 (three bytes) and optionally LIN_COLOR_24 (gamma-free
// bytes, which win); the percentage containers (shininess, its strength, transparency, its falloff,
// reflection blur, self-illumination), each holding INT_PERCENTAGE (short, 0..100) or
// FLOAT_PERCENTAGE (float, 0..1); flags as empty chunks (two-sided, additive, wire, ...);
// MAT_SHADING and MAT_WIRESIZE; up to sixteen map and mask containers, each holding a strength
// percentage, MAT_MAPNAME, MAT_MAP_TILING flags and optional scale, offset, rotation, blur and tint
// chunks, with procedure data beside them in 0xA320..0xA338; and MAT_ACUBIC for automatic
// reflection maps. Reading works on copies of the entry's children, so the database is unchanged.
#pragma once

#include <cstdint>
#include <vector>

#include "library/toolkit3ds/chunk_database.h"

inline constexpr size_t kMapNameSize3ds = 17;  // characters with the terminator

// Map tiling flags (MAT_MAP_TILING).
enum MapTilingFlag3ds : uint16_t {
  TEX_DECAL = 0x1,
  TEX_MIRROR = 0x2,
  TEX_UNUSED1 = 0x4,
  TEX_INVERT = 0x8,
  TEX_NOWRAP = 0x10,
  TEX_SAT = 0x20,
  TEX_ALPHA_SOURCE = 0x40,
  TEX_TINT = 0x80,
  TEX_DONT_USE_ALPHA = 0x100,
  TEX_RGB_TINT = 0x200,
};

struct bitmap3ds {
  char name[kMapNameSize3ds] = {};
  float strength = 0.0f;  // 0..1
  int32_t tiling = 1;     // 1 tile, 2 decal, 3 both
  int32_t ignorealpha = 0, filtering = 0;
  float blur = 0.0f;
  uint8_t mirrored = 0, negative = 0;
  float uscale = 1.0f, vscale = 1.0f, uoffset = 0.0f, voffset = 0.0f, rotation = 0.0f;
  int32_t source = 0;  // 0 RGB, 1 alpha, 2 RGB luminance tint, 3 alpha tint, 4 RGB component tint
  fcolor3ds firsttint, secondtint{1.0f, 1.0f, 1.0f};
  fcolor3ds redtint{1.0f, 0.0f, 0.0f}, greentint{0.0f, 1.0f, 0.0f}, bluetint{0.0f, 0.0f, 1.0f};
  uint32_t datasize = 0;  // bytes
  std::vector<uint8_t> data;
  bool operator==(const bitmap3ds&) const;
};

struct acubic3ds {
  uint8_t use = 0, firstframeonly = 0, flatmirror = 0;
  uint32_t mapsize = 100;
  uint32_t nthframe = 1;
  bool operator==(const acubic3ds&) const = default;
};

struct Materials3ds {
  char name[kMapNameSize3ds] = {};
  fcolor3ds ambient, diffuse, specular;
  float shininess = 0.0f, shininessstrength = 0.0f, blur = 0.0f, transparency = 0.0f,
        transparencyfalloff = 0.0f, selfillumination = 0.0f, wireframesize = 1.0f;
  int32_t shadingstyle = 3;  // 0 wire, else the MAT_SHADING value
  uint8_t useblur = 0, usetransparencyfalloff = 0, twosided = 0, selfilluminated = 0, additive = 0,
          wire = 0, wireabsolute = 0, facemapping = 0, phongsoftening = 0;
  bitmap3ds texture, texturemask, texturetwo, texturetwomask, opacity, opacitymask, bump, bumpmask,
      specularmap, specularmask, shininessmap, shininessmask, selfillummap, selfillummask,
      reflection;
  acubic3ds cubic;
  bitmap3ds reflectionmask;
  bool operator==(const Materials3ds&) const;
};

void InitMap3ds(bitmap3ds* map);
void InitMaterial3ds(Materials3ds** out);
void ReleaseMaterial3ds(Materials3ds** out);

int32_t GetMaterialCount3ds(ChunkDatabase3ds* database);
void GetMaterialNames3ds(ChunkDatabase3ds* database, NameArray3ds* out);
// Fill *out from the material found; none found leaves *out as it is.
void GetMaterialByIndex3ds(ChunkDatabase3ds* database, int32_t index, Materials3ds** out);
void GetMaterialByName3ds(ChunkDatabase3ds* database, const char* name, Materials3ds** out);
void ReadMaterial3ds(ChunkNode3ds* entry, Materials3ds** out);
void ReadMap3ds(ChunkNode3ds* container, bitmap3ds* map);
void WriteMap3ds(ChunkNode3ds* container, const bitmap3ds* map);
// The container's INT_PERCENTAGE / 100, else its FLOAT_PERCENTAGE, else 0.
float ReadPercentage3ds(ChunkNode3ds* container);
// Stores the material, replacing one of the same name (whose extra data it keeps).
// Deleting and copying materials are the database's (DeleteMaterialByName3ds, CopyMaterialByName3ds
// and their siblings in chunk_database.h).
void PutMaterial3ds(ChunkDatabase3ds* database, const Materials3ds* material);
