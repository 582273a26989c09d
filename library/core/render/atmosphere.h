// The atmosphere family: the background around the eye and the fixed-function fog, which it puts
// back after any drawing that switched fog off (the 2D overlay, fonts, box drawing). The exports
// are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"

// What Atmosphere_FogSetType's kind selects.
enum FogKind : int32_t {
  kFogPixel = 0,
  kFogPixelRange = 1,  // pixel fog measured by the distance to the eye
  // any other value: vertex fog
};

struct AtmosphereFog {
  float enabled;  // 0 or 1
  float start;    // world units
  float end;      // world units
  float density;
  d3d::D3DCOLOR color;  // alpha always 0xFF
  int32_t mode;         // a D3DFOGMODE
  int32_t kind;         // a FogKind
};

// Position, colour, texture coordinates: the sky box's and the flares' vertex (format 0x142).
struct ColoredVertex {
  float x, y, z;
  d3d::D3DCOLOR color;
  float u, v;
};
static_assert(sizeof(ColoredVertex) == 24);
inline constexpr d3d::DWORD kColoredVertexFvf =
    d3d::D3DFVF_XYZ | d3d::D3DFVF_DIFFUSE | d3d::D3DFVF_TEX1;

// Position, normal, texture coordinates: the sun's and the sky sphere's vertex (format 0x112).
struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(LitVertex) == 32);
inline constexpr d3d::DWORD kLitVertexFvf = d3d::D3DFVF_XYZ | d3d::D3DFVF_NORMAL | d3d::D3DFVF_TEX1;

inline constexpr int32_t kSkyBoxFaces = 6;
inline constexpr int32_t kVerticesPerQuad = 4;  // a triangle strip of two triangles

// The box's faces in the order they are built and drawn.
enum SkyBoxFace : int32_t {
  kFaceMinusZ = 0,
  kFacePlusZ = 1,
  kFaceMinusX = 2,
  kFacePlusX = 3,
  kFaceMinusY = 4,
  kFacePlusY = 5,
};

struct AtmosphereSkyBox {
  int32_t enabled;
  float distance;  // world units from the eye to each face
  d3d::D3DCOLOR color;
  int32_t textures[kSkyBoxFaces];  // by SkyBoxFace
  ColoredVertex vertices[kSkyBoxFaces * kVerticesPerQuad];
};

struct AtmosphereSkySphere {
  int32_t enabled;
  float r, g, b, a;  // the tint
  int32_t texture;
  int32_t count;  // rings (and segments, when rebuilt by count)
  float radius;   // world units
  d3dx::ID3DXMesh* mesh;
};

struct AtmosphereSun {
  LitVertex vertices[kVerticesPerQuad];
  d3d::D3DVECTOR position;  // offset from the eye
  int32_t material;
  int32_t texture;
  float size;  // half the quad's side / 200
  int32_t enabled;
  int32_t lensFlareEnabled;
  int32_t ownMaterial;  // the "Init Sun" record the rebuilds reuse; 0 before the first
};

struct AtmosphereStateRecord {
  int32_t marker;  // kAtmosphereMarker once initialised
  AtmosphereSkyBox skyBox;
  AtmosphereSkySphere skySphere;
  d3d::D3DVECTOR rotation;  // radians, shared by box and sphere
  d3dx::D3DXMATRIX skyMatrix;
  AtmosphereSun sun;
  AtmosphereFog fog;
};

inline constexpr int32_t kAtmosphereMarker = 4421;

extern AtmosphereStateRecord AtmosphereState;

// Channels 0..1 (clamped) packed as ARGB, each x 255 truncated.
d3d::D3DCOLOR Atmosphere_PackColor(float r, float g, float b, float a);

struct LensFlareRecord {
  ColoredVertex vertices[kVerticesPerQuad];
  int32_t texture;  // 0: none
  float size;       // half the quad's side, world units
  float distance;   // world units moved from the previous flare
  d3d::D3DCOLOR color;
};

extern std::vector<LensFlareRecord> LensFlareTable;

// One scrolling layer of the cloud dome.
struct CloudLayer {
  d3d::IDirect3DTexture8* texture;  // one reference held
  float scale;
  int32_t alphaReference;
  int32_t sourceBlend;
  int32_t destinationBlend;
  d3dx::D3DXMATRIX world;
  d3d::D3DMATERIAL8 material;
  d3dx::D3DXMATRIX textureMatrix;
  float uScale, vScale;
  float uOffset, vOffset;
  float uSpeed, vSpeed;  // texture widths per unit of elapsed time
};

extern std::vector<CloudLayer> CloudLayers;
extern d3dx::ID3DXMesh* CloudDome;
