// The atmosphere family's sky: the box and the sphere about the eye, the sun billboard and its lens
// flares. Every device object of the family lives in the managed pool: the family has no loss
// export, so nothing of it may stand in the way of a device reset.
#include <cmath>
#include <numbers>
#include <string_view>

#include "library/core/frame/buffers.h"
#include "library/core/frame/frame_state.h"
#include "library/core/geometry/maths.h"
#include "library/core/render/atmosphere.h"
#include "library/core/render/material_factory.h"
#include "library/core/vortanautil.h"

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

std::vector<LensFlareRecord> LensFlareTable;

namespace {

constexpr float kInitialBoxDistance = 3600.0f;   // world units
constexpr int32_t kInitialSphereCount = 10;      // rings and segments
constexpr float kInitialSphereRadius = 1000.0f;  // world units
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
// The faces' texture coordinates stop short of the edges, so that a face never samples its
// neighbour's texels across the seam.
constexpr float kEdgeInset = 0.005f;
constexpr float kSunQuadScale = 200.0f;      // world units of half the sun's side per size unit
constexpr float kFlareBaseDistance = 15.0f;  // world units in front of the camera
constexpr float kFlareViewThreshold = 0.4f;  // cosine between view and sun direction
constexpr float kFlareSpacing = 20.0f;       // world units between default flares
constexpr float kFlareDefaultSize = 10.0f;   // world units
constexpr D3DCOLOR kFlareDefaultColor = 0xFFCCCCCC;
constexpr const char* kSunMaterialName = "Init Sun";

AtmosphereStateRecord& State() { return AtmosphereState; }

float Inset(float coordinate) { return coordinate == 0.0f ? kEdgeInset : 1.0f - kEdgeInset; }

void BuildSkyBox(float d) {
  struct Corner {
    float x, y, z, u, v;
  };
  // Four corners per face, as a strip, in SkyBoxFace order.
  const Corner corners[kSkyBoxFaces][kVerticesPerQuad] = {
      {{-d, -d, -d, 0, 1}, {d, -d, -d, 1, 1}, {-d, d, -d, 0, 0}, {d, d, -d, 1, 0}},
      {{d, -d, d, 0, 1}, {-d, -d, d, 1, 1}, {d, d, d, 0, 0}, {-d, d, d, 1, 0}},
      {{-d, -d, -d, 1, 1}, {-d, d, -d, 1, 0}, {-d, -d, d, 0, 1}, {-d, d, d, 0, 0}},
      {{d, d, -d, 0, 0}, {d, -d, -d, 0, 1}, {d, d, d, 1, 0}, {d, -d, d, 1, 1}},
      {{d, -d, -d, 0, 1}, {-d, -d, -d, 1, 1}, {d, -d, d, 0, 0}, {-d, -d, d, 1, 0}},
      {{-d, d, -d, 1, 0}, {d, d, -d, 0, 0}, {-d, d, d, 1, 1}, {d, d, d, 0, 1}},
  };
  AtmosphereSkyBox& box = State().skyBox;
  box.distance = d;
  box.color = kWhite;
  for (int32_t face = 0; face < kSkyBoxFaces; ++face) {
    for (int32_t corner = 0; corner < kVerticesPerQuad; ++corner) {
      const Corner& c = corners[face][corner];
      box.vertices[face * kVerticesPerQuad + corner] = {c.x,    c.y,        c.z,
                                                        kWhite, Inset(c.u), Inset(c.v)};
    }
  }
}

// The sphere's vertices: the two poles, which no triangle uses, then ring by ring.
void FillSphereVertices(LitVertex* vertices, int32_t rings, int32_t segments, float r) {
  constexpr float kPi = std::numbers::pi_v<float>;
  vertices[0] = {0, r, 0, 0, 0, 1, 0, 0.5f};
  vertices[1] = {0, -r, 0, 0, 0, 1, 0, -0.5f};
  for (int32_t i = 0; i < rings; ++i) {
    const float theta = static_cast<float>(i) * kPi / static_cast<float>(rings - 1);
    for (int32_t j = 0; j < segments; ++j) {
      const float phi = static_cast<float>(j) * 2.0f * kPi / static_cast<float>(segments - 1);
      vertices[2 + segments * i + j] = {r * std::sin(theta) * std::cos(phi),
                                        r * std::cos(theta),
                                        r * std::sin(theta) * std::sin(phi),
                                        1,
                                        1,
                                        1,
                                        static_cast<float>(j) / static_cast<float>(segments - 1),
                                        static_cast<float>(i) / static_cast<float>(rings - 1)};
    }
  }
}

void FillSphereIndices(uint16_t* indices, int32_t rings, int32_t segments) {
  for (int32_t i = 0; i + 1 < rings; ++i) {
    for (int32_t j = 0; j + 1 < segments; ++j) {
      const auto a = static_cast<uint16_t>(2 + segments * i + j);
      const auto b = static_cast<uint16_t>(a + 1);
      const auto c = static_cast<uint16_t>(a + segments);
      const auto d = static_cast<uint16_t>(c + 1);
      const uint16_t face[6] = {a, b, c, d, b, c};
      for (uint16_t index : face) *indices++ = index;
    }
  }
}

d3dx::ID3DXMesh* BuildSphereMesh(int32_t rings, int32_t segments, float radius) {
  const auto faces = static_cast<DWORD>(2 * (rings - 1) * (segments - 1));
  const auto vertexCount = static_cast<DWORD>(rings * segments + 2);
  d3dx::ID3DXMesh* mesh = nullptr;
  HRESULT result = d3dx::D3DXCreateMeshFVF(faces, vertexCount,
                                           d3dx::D3DXMESH_MANAGED | d3dx::D3DXMESH_VB_WRITEONLY,
                                           kLitVertexFvf, CurrentDevice, &mesh);
  if (FAILED(result)) {
    AddLog(
        "ATMOSPHERE : Initialize : Couldn't create the sky sphere mesh for an unknown reason. "
        "DirectX hr : %d",
        result);
    return nullptr;
  }
  BYTE* data = nullptr;
  result = mesh->LockVertexBuffer(0, &data);
  if (FAILED(result)) {
    AddLog(
        "ATMOSPHERE : Initialize : Couldn't lock and fill in the vertex data into the sphere "
        "mesh. DirectX hr : %d",
        result);
    mesh->Release();
    return nullptr;
  }
  FillSphereVertices(reinterpret_cast<LitVertex*>(data), rings, segments, radius);
  mesh->UnlockVertexBuffer();
  result = mesh->LockIndexBuffer(0, &data);
  if (FAILED(result)) {
    AddLog(
        "ATMOSPHERE : Initialize : Couldn't lcok and fill in the index data into the sphere "
        "mesh. DirectX hr : %d",
        result);
    mesh->Release();
    return nullptr;
  }
  FillSphereIndices(reinterpret_cast<uint16_t*>(data), rings, segments);
  mesh->UnlockIndexBuffer();
  return mesh;
}

void ReleaseSphere() {
  if (State().skySphere.mesh != nullptr) State().skySphere.mesh->Release();
  State().skySphere.mesh = nullptr;
}

void BuildFlareQuad(LensFlareRecord& flare) {
  const float s = flare.size;
  flare.vertices[0] = {-s, -s, 0, flare.color, 0, 0};
  flare.vertices[1] = {s, -s, 0, flare.color, 1, 0};
  flare.vertices[2] = {-s, s, 0, flare.color, 0, 1};
  flare.vertices[3] = {s, s, 0, flare.color, 1, 1};
}

bool MaterialInUse(int32_t identifier) {
  return identifier > 0 && identifier < MaterialCount && MaterialTable[identifier].inUse != 0;
}

// The material of identifier, else "blankmat"; with no material table, the device's stays.
void SetMaterial(int32_t identifier) {
  if (MaterialCount <= 0) return;
  const int32_t material = identifier >= 0 && identifier < MaterialCount ? identifier : 0;
  CurrentDevice->SetMaterial(&MaterialTable[material].material);
}

// The sky draws only between Atmosphere_Initialize and Atmosphere_UnloadAll: after a release its
// identifiers name records of tables that are gone.
bool Ready() { return CurrentDevice != nullptr && State().marker == kAtmosphereMarker; }

void DrawQuad(const void* vertices, UINT stride) {
  CurrentDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, stride);
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v) {
  D3DXVECTOR3 out;
  d3dx::D3DXVec3Normalize(&out, &v);
  return out;
}

D3DXVECTOR3 SunInWorld(const D3DVECTOR& eye) {
  const D3DVECTOR& sun = State().sun.position;
  return {{sun.x + eye.x, sun.y + eye.y, sun.z + eye.z}};
}

void RenderSun(const D3DVECTOR& eye, const D3DMATRIX& sunMatrix) {
  CurrentDevice->SetRenderState(D3DRS_FOGENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  CurrentDevice->SetRenderState(D3DRS_SPECULARENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  SetMaterial(State().sun.material);
  TextureFactory_ApplyTexture(0, State().sun.texture);
  D3DMATRIX world = sunMatrix;
  const D3DXVECTOR3 at = SunInWorld(eye);
  world.m[3][0] = at.x;
  world.m[3][1] = at.y;
  world.m[3][2] = at.z;
  CurrentDevice->SetTransform(D3DTS_WORLD, &world);
  CurrentDevice->SetVertexShader(kLitVertexFvf);
  DrawQuad(State().sun.vertices, sizeof(LitVertex));
}

// The flares lie on the line from a point just before the camera towards the sun, each moved on
// from where the previous one stood.
void RenderFlares(const D3DVECTOR& eye, const D3DVECTOR& lookAt, const D3DMATRIX& viewMatrix) {
  const D3DXVECTOR3 sunDirection = Normalized(AsVector(State().sun.position));
  const D3DXVECTOR3 viewDirection =
      Normalized(D3DXVECTOR3{{lookAt.x - eye.x, lookAt.y - eye.y, lookAt.z - eye.z}});
  if (d3dx::D3DXVec3Dot(&sunDirection, &viewDirection) <= kFlareViewThreshold) return;
  D3DXMATRIX view;
  static_cast<D3DMATRIX&>(view) = viewMatrix;
  D3DXMATRIX inverseView;
  if (d3dx::D3DXMatrixInverse(&inverseView, nullptr, &view) == nullptr) return;
  D3DXMATRIX ahead;
  d3dx::D3DXMatrixTranslation(&ahead, 0, 0, kFlareBaseDistance);
  D3DXMATRIX base = ahead * inverseView;
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
  CurrentDevice->SetRenderState(D3DRS_FOGENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  CurrentDevice->SetVertexShader(kColoredVertexFvf);
  const D3DXVECTOR3 sun = SunInWorld(eye);
  for (const LensFlareRecord& flare : LensFlareTable) {
    const D3DXVECTOR3 point{{base.m[3][0], base.m[3][1], base.m[3][2]}};
    const D3DXVECTOR3 moved = point + Normalized(sun - point) * flare.distance;
    base.m[3][0] = moved.x;
    base.m[3][1] = moved.y;
    base.m[3][2] = moved.z;
    TextureFactory_ApplyTexture(0, flare.texture);
    CurrentDevice->SetTransform(D3DTS_WORLD, &base);
    DrawQuad(flare.vertices, sizeof(ColoredVertex));
  }
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
}

}  // namespace

int32_t Atmosphere_Initialize() {
  if (CurrentDevice == nullptr || State().marker == kAtmosphereMarker) return 1;
  ReleaseSphere();
  State() = {};
  LensFlareTable.clear();
  State().marker = kAtmosphereMarker;
  BuildSkyBox(kInitialBoxDistance);
  Atmosphere_CreateSkySphere(kInitialSphereCount, kInitialSphereCount, kInitialSphereRadius);
  return 1;
}

int32_t Atmosphere_CreateSkyBox(float distance) {
  BuildSkyBox(distance);
  return 1;
}

int32_t Atmosphere_CreateSkySphere(int32_t rings, int32_t segments, float radius) {
  // Fewer than two rings or segments leave no angle step; more vertices than 16-bit indices reach
  // would wrap.
  if (rings < 2 || segments < 2 ||
      static_cast<int64_t>(rings) * segments + 2 > static_cast<int64_t>(d3dx::kMax16BitVertices)) {
    AddLog("ATMOSPHERE : Atmosphere_CreateSkySphere : %d rings and %d segments can't make a sphere",
           rings, segments);
    return 0;
  }
  AtmosphereSkySphere& sphere = State().skySphere;
  sphere.count = rings;
  sphere.radius = radius;
  if (CurrentDevice == nullptr) return 0;
  d3dx::ID3DXMesh* mesh = BuildSphereMesh(rings, segments, radius);
  ReleaseSphere();
  sphere.mesh = mesh;
  return mesh != nullptr ? 1 : 0;
}

int32_t Atmosphere_InitSun() {
  AtmosphereSun& sun = State().sun;
  const float h = sun.size * kSunQuadScale;
  sun.vertices[0] = {-h, -h, 0, 0, 0, -1, 0, 0};
  sun.vertices[1] = {h, -h, 0, 0, 0, -1, 0, 1};
  sun.vertices[2] = {-h, h, 0, 0, 0, -1, 1, 0};
  sun.vertices[3] = {h, h, 0, 0, 0, -1, 1, 1};
  // One record serves every rebuild, so the material table does not grow with them.
  if (MaterialInUse(sun.ownMaterial) &&
      std::string_view(MaterialTable[sun.ownMaterial].name) == kSunMaterialName) {
    const D3DCOLORVALUE color = {1.0f, 1.5f, 0.0f, 1.0f};
    MaterialTable[sun.ownMaterial].material = {color, color, color, color, 1.0f};
  } else {
    sun.ownMaterial = MaterialFactory_CreateQuickMaterial(1.0f, 1.5f, 0.0f, 1.0f, kSunMaterialName);
  }
  sun.material = sun.ownMaterial;
  return 1;
}

int32_t Atmosphere_UnloadAll() {
  if (State().marker != kAtmosphereMarker) return 0;
  ReleaseSphere();
  // The flares name textures of the table that goes with this release.
  LensFlareTable.clear();
  State().marker = 0;
  return 1;
}

int32_t Atmosphere_GetReadySky(const D3DVECTOR* eye) {
  if (CurrentDevice == nullptr || eye == nullptr) return 0;
  d3dx::D3DXQUATERNION rotation;
  const D3DVECTOR& angles = State().rotation;
  d3dx::D3DXQuaternionRotationYawPitchRoll(&rotation, angles.y, angles.x, angles.z);
  d3dx::D3DXMatrixRotationQuaternion(&State().skyMatrix, &rotation);
  State().skyMatrix.m[3][0] = eye->x;
  State().skyMatrix.m[3][1] = eye->y;
  State().skyMatrix.m[3][2] = eye->z;
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  CurrentDevice->SetTransform(D3DTS_WORLD, &State().skyMatrix);
  return 1;
}

int32_t Atmosphere_RenderSkyBox(const D3DVECTOR* eye) {
  if (!Ready() || eye == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_CLIPPING, 1);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  Atmosphere_GetReadySky(eye);
  const AtmosphereSkyBox& box = State().skyBox;
  if (box.enabled != 0) {
    SetMaterial(0);
    CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
    CurrentDevice->SetVertexShader(kColoredVertexFvf);
    for (int32_t face = 0; face < kSkyBoxFaces; ++face) {
      TextureFactory_ApplyTexture(0, box.textures[face]);
      DrawQuad(&box.vertices[face * kVerticesPerQuad], sizeof(ColoredVertex));
    }
  }
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  return 1;
}

int32_t Atmosphere_RenderSkySphere(const D3DVECTOR* eye) {
  if (!Ready() || eye == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  Atmosphere_GetReadySky(eye);
  const AtmosphereSkySphere& sphere = State().skySphere;
  if (sphere.enabled != 0 && sphere.mesh != nullptr) {
    CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
    CurrentDevice->SetRenderState(D3DRS_TEXTUREFACTOR,
                                  Atmosphere_PackColor(sphere.r, sphere.g, sphere.b, sphere.a));
    CurrentDevice->SetRenderState(D3DRS_AMBIENT, kWhite);
    CurrentDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    CurrentDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    CountPolygons(static_cast<int32_t>(sphere.mesh->GetNumFaces()));
    TextureFactory_ApplyTexture(0, sphere.texture);
    sphere.mesh->DrawSubset(0);
    CurrentDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    CurrentDevice->SetRenderState(D3DRS_TEXTUREFACTOR, kWhite);
  }
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  return 1;
}

int32_t Atmosphere_RenderSky(const D3DVECTOR* eye) {
  Atmosphere_RenderSkySphere(eye);
  return Atmosphere_RenderSkyBox(eye);
}

int32_t Atmosphere_Render(const D3DVECTOR* eye, const D3DVECTOR* lookAt, const D3DMATRIX* sunMatrix,
                          const D3DMATRIX* viewMatrix) {
  if (!Ready() || eye == nullptr || lookAt == nullptr || sunMatrix == nullptr ||
      viewMatrix == nullptr) {
    return 0;
  }
  Atmosphere_RenderSky(eye);
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const AtmosphereSun& sun = State().sun;
  if (sun.enabled != 0) {
    RenderSun(*eye, *sunMatrix);
    if (!LensFlareTable.empty() && sun.lensFlareEnabled != 0) {
      RenderFlares(*eye, *lookAt, *viewMatrix);
    }
  }
  return Atmosphere_ApplyFog();
}

int32_t Atmosphere_SkyBoxEnable(int32_t flag) {
  State().skyBox.enabled = flag;
  return 1;
}

int32_t Atmosphere_SkySphereEnable(int32_t flag) {
  State().skySphere.enabled = flag;
  return 1;
}

int32_t Atmosphere_SkyBoxSetTexture(int32_t minusX, int32_t plusX, int32_t minusZ, int32_t plusZ,
                                    int32_t plusY, int32_t minusY) {
  // The arguments name planes; the faces are kept in the order they are built.
  int32_t* textures = State().skyBox.textures;
  textures[kFaceMinusX] = minusX;
  textures[kFacePlusX] = plusX;
  textures[kFaceMinusZ] = minusZ;
  textures[kFacePlusZ] = plusZ;
  textures[kFacePlusY] = plusY;
  textures[kFaceMinusY] = minusY;
  return 1;
}

int32_t Atmosphere_SkyBoxSetColor(float r, float g, float b, float a) {
  AtmosphereSkyBox& box = State().skyBox;
  box.color = Atmosphere_PackColor(r, g, b, a);
  for (ColoredVertex& vertex : box.vertices) vertex.color = box.color;
  return 1;
}

int32_t Atmosphere_SkyBoxGetColor(float* r, float* g, float* b, float* a) {
  if (r == nullptr || g == nullptr || b == nullptr || a == nullptr) return 0;
  return Color_UnpackARGB(State().skyBox.color, r, g, b, a);
}

int32_t Atmosphere_SkyBoxSetDistance(float distance) {
  BuildSkyBox(distance);
  return 1;
}

int32_t Atmosphere_SkyBoxGetDistance(float* distance) {
  if (distance == nullptr) return 0;
  *distance = State().skyBox.distance;
  return 1;
}

int32_t Atmosphere_SkyBoxSetRotation(float x, float y, float z) {
  State().rotation = {x, y, z};
  return 1;
}

int32_t Atmosphere_SkySphereSetRotation(float x, float y, float z) {
  return Atmosphere_SkyBoxSetRotation(x, y, z);
}

int32_t Atmosphere_SkyBoxGetRotation(float* x, float* y, float* z) {
  if (x == nullptr || y == nullptr || z == nullptr) return 0;
  *x = State().rotation.x;
  *y = State().rotation.y;
  *z = State().rotation.z;
  return 1;
}

int32_t Atmosphere_SkySphereGetRotation(float* x, float* y, float* z) {
  return Atmosphere_SkyBoxGetRotation(x, y, z);
}

int32_t Atmosphere_SkySphereSetColor(float r, float g, float b, float a) {
  AtmosphereSkySphere& sphere = State().skySphere;
  sphere.r = r;
  sphere.g = g;
  sphere.b = b;
  sphere.a = a;
  return 1;
}

int32_t Atmosphere_SkySphereGetColor(float* r, float* g, float* b, float* a) {
  if (r == nullptr || g == nullptr || b == nullptr || a == nullptr) return 0;
  const AtmosphereSkySphere& sphere = State().skySphere;
  *r = sphere.r;
  *g = sphere.g;
  *b = sphere.b;
  *a = sphere.a;
  return 1;
}

int32_t Atmosphere_SkySphereSetTexture(int32_t texture) {
  State().skySphere.texture = texture;
  return 1;
}

int32_t Atmosphere_SkySphereGetTexture(int32_t* texture) {
  if (texture == nullptr) return 0;
  *texture = State().skySphere.texture;
  return 1;
}

int32_t Atmosphere_SkySphereSetRadius(float radius) {
  AtmosphereSkySphere& sphere = State().skySphere;
  // A missing sphere is rebuilt too: after a release and a new device this is what brings it back.
  if (radius == sphere.radius && sphere.mesh != nullptr) return 1;
  sphere.radius = radius;
  Atmosphere_CreateSkySphere(sphere.count, sphere.count, radius);
  return 1;
}

int32_t Atmosphere_SkySphereGetRadius(float* radius) {
  if (radius == nullptr) return 0;
  *radius = State().skySphere.radius;
  return 1;
}

int32_t Atmosphere_SkySphereSetPolyCount(int32_t count) {
  return Atmosphere_CreateSkySphere(count, count, State().skySphere.radius);
}

int32_t Atmosphere_SunEnable(int32_t flag) {
  State().sun.enabled = flag;
  return Atmosphere_InitSun();
}

int32_t Atmosphere_SunSetBillboardSize(float size) {
  State().sun.size = size;
  return Atmosphere_InitSun();
}

int32_t Atmosphere_SunSetPosition(float x, float y, float z) {
  State().sun.position = {x, y, z};
  return 1;
}

int32_t Atmosphere_SunSetTexture(int32_t texture) {
  State().sun.texture = texture;
  return 1;
}

int32_t Atmosphere_SunSetMaterial(int32_t material) {
  State().sun.material = material;
  return 1;
}

int32_t Atmosphere_LensFlareEnable(int32_t flag) {
  State().sun.lensFlareEnabled = flag;
  return 1;
}

int32_t Atmosphere_LensFlareSetLensNumber(int32_t count) {
  if (count < 0) {
    AddLog("ATMOSPHERE : Atmosphere_LensFlareSetLensNumber : %d flares can't be made", count);
    return 0;
  }
  LensFlareTable.assign(static_cast<size_t>(count), LensFlareRecord{});
  for (size_t i = 0; i < LensFlareTable.size(); ++i) {
    LensFlareRecord& flare = LensFlareTable[i];
    flare.distance = kFlareSpacing * static_cast<float>(i);
    flare.size = kFlareDefaultSize;
    flare.color = kFlareDefaultColor;
    BuildFlareQuad(flare);
  }
  return 1;
}

int32_t Atmosphere_LensFlareSetLensParams(int32_t flare, int32_t texture, float size,
                                          float distance, uint32_t color, int32_t) {
  if (flare < 1 || static_cast<size_t>(flare) > LensFlareTable.size()) {
    AddLog(
        "ATMOSPHERE : Atmosphere_LensFlareSetLensParams : you must first create the correct "
        "number of flares with Flare_Init (out of bound error)");
    return 0;
  }
  if (texture == 0) {
    AddLog("ATMOSPHERE : Atmosphere_LensFlareSetLensParams : you didn't use a valid texture");
    return 0;
  }
  LensFlareRecord& record = LensFlareTable[static_cast<size_t>(flare - 1)];
  record.texture = texture;
  record.size = size;
  record.distance = distance;
  record.color = color;
  BuildFlareQuad(record);
  return 1;
}
