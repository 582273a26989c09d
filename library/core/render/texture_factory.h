// The library's one table of textures, addressed by identifier; identifier 0 is reserved for "no
// texture". Other families read a record's texture pointer directly and take new identifiers with
// TextureFactory_GetNewTextureId. The exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "library/core/vortanautil.h"

enum TextureKind : int32_t {
  kTextureOrdinary = 0,
  kTextureRenderSurface = 3,
  kTextureRenderSurfaceLost = 5,  // its texture was released at device loss
};

// The record owns one reference on each of its four objects.
struct TextureRecord {
  int32_t inUse;
  int32_t width;   // pixels of level 0
  int32_t height;  // pixels of level 0
  d3d::IDirect3DTexture8* normalMap;
  d3d::IDirect3DTexture8* texture;
  d3d::IDirect3DCubeTexture8* cube;
  d3dx::ID3DXRenderToSurface* renderTarget;
  int32_t kind;
  // 1: a render surface whose picture is kept in system memory across a device reset.
  int32_t keepContents;
  int32_t cubic;  // 1 for a render surface of six faces: its cube field is its render target
  int32_t identifier;
  d3d::D3DFORMAT format;
  char name[512];
  char file[512];
};

struct TextureFormatPair {
  d3d::D3DFORMAT alpha = d3d::D3DFMT_A4R4G4B4;  // textures with a colour key
  d3d::D3DFORMAT opaque = d3d::D3DFMT_R5G6B5;   // textures without
};

// The colour the level, archive and skinned-model loaders key out when enabled.
struct AutoTransColorSetting {
  int32_t enabled = 0;
  d3d::D3DCOLOR color = 0;
};

extern TextureFormatPair TextureFormats;
extern AutoTransColorSetting AutoTransColor;
extern TextureRecord* TextureTable;
extern int32_t TextureCount;

// The record of an identifier inside the table (in use or not), else null.
TextureRecord* TextureFactory_Record(int32_t identifier);
// Releases the record's four objects and clears their pointers.
void TextureFactory_ReleaseObjects(TextureRecord& record);
// Takes the record of an identifier inside the table into use afresh: its objects released, every
// field cleared, then in use as an ordinary texture of that identifier.
TextureRecord& TextureFactory_TakeRecord(int32_t identifier);
// Forgets the render surface started and the pictures kept for a reset: their identifiers name
// records of a table that is being freed.
void TextureFactory_ForgetRenderSurfaces();
