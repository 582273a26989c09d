// Levels exported as text map files: models of surfaces whose materials the ".mtr" scripts of the
// level's folder name, with per-vertex tangent frames for bump mapping, drawn with frustum culling.
#include <cstdio>
#include <string>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/geometry/frustum.h"
#include "library/core/levels/d3_maps.h"
#include "library/core/levels/map_file.h"
#include "library/core/levels/tangent_frames.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "platform/win/byte_reader.h"
#include "platform/win/file_search.h"

using namespace d3d;

namespace {

constexpr size_t kMaxTextBytes = size_t{64} << 20;  // a map file or script larger is refused
constexpr DWORD kVertexFormat = 0x112;              // position, normal, one coordinate pair
constexpr float kPlanarLimit = 1e-6f;               // |d| at most: the triangle has no x, y share
constexpr float kDepthLimit = 0.0001f;              // |d| at most: no z share

struct D3Script {
  std::string text;
  std::string file;
};

struct D3Material {
  int32_t diffuse = 0;
  std::string diffuseMap;
  int32_t specular = 0;
  std::string specularMap;
  int32_t bump = 0;
  std::string bumpMap;
  std::string name;
};

struct D3Surface {
  std::vector<D3_Vertex> vertices;
  std::vector<D3_BumpVertex> bumpVertices;
  std::vector<uint16_t> indices;
  int32_t material = 0;
  std::string materialName;
  d3dx::D3DXVECTOR3 centre{};
  float radius = 0;
};

struct D3Model {
  std::vector<D3Surface> surfaces;
  std::string name;
};

std::vector<D3Script> D3ScriptTable;
std::vector<D3Material> D3MaterialTable;
std::vector<D3Model> D3ModelTable;

std::optional<std::string> ReadText(const std::string& path) {
  const auto bytes = win::ReadFileBytes(HostPath(path), kMaxTextBytes);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

int32_t LoadMap(const std::string& folder, const std::string& map, const std::string& name,
                const char* suffix) {
  const std::string file = folder + (map.empty() ? name + suffix : map);
  return TextureFactory_LoadTextureFromFile(file.c_str(), nullptr, -1, -1, -1, 0, 0);
}

}  // namespace

int32_t D3_FindMaterial(const char* name, const char* folder) {
  const std::string wanted = name != nullptr ? name : "";
  const std::string base = folder != nullptr ? folder : "";
  for (size_t index = 0; index < D3MaterialTable.size(); ++index) {
    if (D3MaterialTable[index].name == wanted) return static_cast<int32_t>(index);
  }
  D3Material material;
  for (const D3Script& script : D3ScriptTable) {
    if (auto maps = FindMaterialMaps(script.text, wanted)) {
      material.diffuseMap = std::move(maps->diffuse);
      material.specularMap = std::move(maps->specular);
      material.bumpMap = std::move(maps->bump);
      break;
    }
  }
  material.diffuse = LoadMap(base, material.diffuseMap, wanted, "_d.tga");
  material.bump = LoadMap(base, material.bumpMap, wanted, "_local.tga");
  material.specular = LoadMap(base, material.specularMap, wanted, "_s.tga");
  material.name = wanted;
  D3MaterialTable.push_back(std::move(material));
  return static_cast<int32_t>(D3MaterialTable.size() - 1);
}

int32_t D3_Load(const char* path, const char* folder) {
  const std::string base = folder != nullptr ? folder : "";
  const auto text = path != nullptr ? ReadText(path) : std::nullopt;
  if (!text) {
    AddLog("D3 MANAGER : Could not load the file : %s.", path != nullptr ? path : "");
    return 0;
  }
  auto models = ParseMapText(*text);
  if (!models) {
    AddLog("D3 MANAGER : Could not load the file : %s. This is not a valid map file", path);
    return 0;
  }
  for (const std::string& file : win::FindFiles(base + "materials\\*.mtr")) {
    if (auto script = ReadText(base + "materials\\" + file)) {
      D3ScriptTable.push_back({std::move(*script), file});
    }
  }
  for (MapModel& read : *models) {
    D3Model model;
    model.name = std::move(read.name);
    for (MapSurface& surface : read.surfaces) {
      D3Surface made;
      made.material = D3_FindMaterial(surface.material.c_str(), base.c_str());
      made.materialName = std::move(surface.material);
      made.vertices = std::move(surface.vertices);
      made.indices = std::move(surface.indices);
      made.bumpVertices.resize(made.vertices.size());
      D3_PrecomputeBumpInfo(made.vertices.data(), made.indices.data(), made.bumpVertices.data(),
                            static_cast<int32_t>(made.vertices.size()),
                            static_cast<int32_t>(made.indices.size()));
      if (!made.vertices.empty()) {
        d3dx::D3DXComputeBoundingSphere(made.vertices.data(),
                                        static_cast<DWORD>(made.vertices.size()), kVertexFormat,
                                        &made.centre, &made.radius);
      }
      model.surfaces.push_back(std::move(made));
    }
    D3ModelTable.push_back(std::move(model));
  }
  return 1;
}

int32_t D3_PrecomputeBumpInfo(const D3_Vertex* vertices, const uint16_t* indices,
                              D3_BumpVertex* bumpVertices, int32_t vertexCount,
                              int32_t indexCount) {
  if (vertices == nullptr || bumpVertices == nullptr || vertexCount <= 0) return 1;
  for (int32_t i = 0; i < vertexCount; ++i) {
    const D3_Vertex& from = vertices[i];
    bumpVertices[i] = D3_BumpVertex{from.x, from.y, from.z, from.nx, from.ny,   from.nz, 0,     0,
                                    0,      0,      0,      0,       {0, 0, 0}, from.u,  from.v};
  }
  // Triangles flat in texture space add no x or y share; z has a looser limit.
  constexpr float kLimits[3] = {kPlanarLimit, kPlanarLimit, kDepthLimit};
  for (int32_t first = 0; indices != nullptr && first + 2 < indexCount; first += 3) {
    const uint16_t corner[3] = {indices[first], indices[first + 1], indices[first + 2]};
    if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) continue;
    TangentCorner corners[3];
    for (int k = 0; k < 3; ++k) {
      const D3_Vertex& from = vertices[corner[k]];
      D3_BumpVertex& to = bumpVertices[corner[k]];
      corners[k] = {&from.x, from.u, from.v, &to.sx, &to.tx};
    }
    AddTriangleTangents(corners, kLimits);
  }
  for (int32_t i = 0; i < vertexCount; ++i) {
    D3_BumpVertex& b = bumpVertices[i];
    FinishTangentFrame(&b.sx, &b.tx, b.sxt, &b.nx);
  }
  return 1;
}

int32_t D3_RenderAll() {
  if (CurrentDevice == nullptr) return 1;
  // The surfaces' arrays are 32-byte vertices whatever format the last drawing family left.
  CurrentDevice->SetVertexShader(kVertexFormat);
  d3dx::D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  for (const D3Model& model : D3ModelTable) {
    for (const D3Surface& surface : model.surfaces) {
      if (surface.indices.empty() ||
          Frustum_IsSphereVisible(&surface.centre, surface.radius, &identity) == 0) {
        continue;
      }
      TextureFactory_ApplyTexture(0,
                                  D3MaterialTable[static_cast<size_t>(surface.material)].diffuse);
      CurrentDevice->DrawIndexedPrimitiveUP(
          D3DPT_TRIANGLELIST, 0, static_cast<UINT>(surface.vertices.size()),
          static_cast<UINT>(surface.indices.size() / 3), surface.indices.data(), D3DFMT_INDEX16,
          surface.vertices.data(), sizeof(D3_Vertex));
    }
  }
  return 1;
}

void D3_FreeAll() {
  D3ScriptTable.clear();
  D3MaterialTable.clear();
  D3ModelTable.clear();
}
