// The 3DS mesh loader.
#include "library/core/geometry/load_3ds.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "library/core/frame/frame_state.h"
#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "platform/win/ascii_case.h"
#include "platform/win/automation.h"

int32_t CenterSwitch = 0;
int32_t LocalMatSwitch = 0;

namespace {

// 16-bit indices over the meshes of one file, with room to spare.
constexpr uint32_t kMaxVertices = 64000;
constexpr uint32_t kMaxFaces = 64000;

constexpr d3d::DWORD kVertexFormat = d3d::D3DFVF_XYZ | d3d::D3DFVF_NORMAL | d3d::D3DFVF_TEX1;

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(Vertex) == 32);

// The two exports differ in how they mirror a swapped file and in the subsets of meshes without
// material groups.
enum class Variant { Automation, Plain };

constexpr int32_t kLoaded = 0;
constexpr int32_t kNotLoaded = 1;

void CopyText(char (&field)[256], const char* text) {
  std::snprintf(field, sizeof field, "%s", text);
}

// The toolkit's meshes of one open file; released with the file. A file the toolkit could not
// open or read whole holds no meshes, and the first error it met is kept.
class File3dsSession {
 public:
  explicit File3dsSession(const char* path) {
    ClearErrors3ds();
    file_ = OpenFile3ds(path, "r");
    InitDatabase3ds(&database_);
    if (file_ != nullptr) ReadDatabase3ds(file_, database_);
    const int32_t count = GetMeshCount3ds(database_);
    for (int32_t index = 0; index < count && !ErrorsPending3ds(); ++index) {
      Mesh3ds* mesh = nullptr;
      GetMeshByIndex3ds(database_, index, &mesh);
      if (mesh != nullptr) meshes_.push_back(mesh);
    }
    if (ErrorsPending3ds()) {
      failure_ = GetErrorList3ds()[0].text;
      for (Mesh3ds*& mesh : meshes_) ReleaseMeshObj3ds(&mesh);
      meshes_.clear();
    }
  }
  File3dsSession(const File3dsSession&) = delete;
  File3dsSession& operator=(const File3dsSession&) = delete;
  ~File3dsSession() {
    ClearErrors3ds();
    for (Mesh3ds*& mesh : meshes_) ReleaseMeshObj3ds(&mesh);
    ReleaseDatabase3ds(&database_);
    if (file_ != nullptr) CloseFile3ds(file_);
    CloseAllFiles3ds();
  }

  const std::vector<Mesh3ds*>& Meshes() const { return meshes_; }
  // The text of the toolkit's first error, or null when the file was read whole.
  const char* Failure() const { return failure_; }

  // A copy of the named material, or none. A material the toolkit could not read to its end is used
  // as far as it was read, and its error ends with its lookup so that the next one runs.
  Materials3ds* FindMaterial(const char* name) {
    ClearErrors3ds();
    Materials3ds* material = nullptr;
    GetMaterialByName3ds(database_, name, &material);
    return material;
  }

 private:
  File3ds* file_ = nullptr;
  ChunkDatabase3ds* database_ = nullptr;
  std::vector<Mesh3ds*> meshes_;
  const char* failure_ = nullptr;
};

// Every face vertex within its mesh and every group's face within the mesh's faces.
bool IndicesValid(const Mesh3ds& mesh) {
  for (const face3ds& face : mesh.facearray) {
    if (face.v1 >= mesh.vertexarray.size() || face.v2 >= mesh.vertexarray.size() ||
        face.v3 >= mesh.vertexarray.size()) {
      return false;
    }
  }
  for (const objmat3ds& group : mesh.matarray) {
    for (const ushort3ds face : group.faceindex) {
      if (face >= mesh.facearray.size()) return false;
    }
  }
  return true;
}

d3dx::D3DXMATRIX MeshMatrix(const Mesh3ds& mesh) {
  const std::array<float, 12>& m = mesh.locmatrix;
  d3dx::D3DXMATRIX matrix{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) matrix.m[row][column] = m[row * 3 + column];
  }
  matrix.m[3][3] = 1.0f;
  return matrix;
}

void WriteVertices(const std::vector<Mesh3ds*>& meshes, bool swap, Variant variant, Vertex* out) {
  for (const Mesh3ds* mesh : meshes) {
    if (mesh->textarray.empty()) {
      AddLog(
          "3DS LOADER : WARNING : The object hasn't any Texture Coordinates informations, you "
          "should check your export settings.");
    }
    d3dx::D3DXMATRIX toLocal{};
    if (LocalMatSwitch != 0) {
      const d3dx::D3DXMATRIX matrix = MeshMatrix(*mesh);
      d3dx::D3DXMatrixInverse(&toLocal, nullptr, &matrix);
    }
    for (size_t index = 0; index < mesh->vertexarray.size(); ++index, ++out) {
      const point3ds& vertex = mesh->vertexarray[index];
      d3dx::D3DXVECTOR3 p;
      p.x = vertex.x;
      p.y = vertex.y;
      p.z = vertex.z;
      if (LocalMatSwitch != 0) d3dx::D3DXVec3TransformCoord(&p, &p, &toLocal);
      *out = Vertex{};
      if (!swap) {
        out->x = p.x, out->y = p.y, out->z = p.z;
      } else {
        out->x = variant == Variant::Plain ? -p.x : p.x;
        out->y = p.z;
        out->z = p.y;
      }
      if (index < mesh->textarray.size()) {
        out->u = mesh->textarray[index].u;
        out->v = 1.0f - mesh->textarray[index].v;
      }
    }
  }
}

// Writes the faces of each mesh, one subset per material group, and the subsets' records. A face
// is written once: a face that a second group names stays in the first, and the faces no group
// names form one more subset of their own with a default material.
class FaceWriter {
 public:
  FaceWriter(uint16_t* indices, d3d::DWORD* attributes, bool reverseWinding)
      : indices_(indices), attributes_(attributes), reverseWinding_(reverseWinding) {}

  void Write(const Mesh3ds& mesh, size_t faceIndex, uint16_t base, d3d::DWORD attribute) {
    const face3ds& face = mesh.facearray[faceIndex];
    *indices_++ = static_cast<uint16_t>(face.v1 + base);
    *indices_++ = static_cast<uint16_t>((reverseWinding_ ? face.v3 : face.v2) + base);
    *indices_++ = static_cast<uint16_t>((reverseWinding_ ? face.v2 : face.v3) + base);
    *attributes_++ = attribute;
  }

 private:
  uint16_t* indices_;
  d3d::DWORD* attributes_;
  bool reverseWinding_;
};

std::vector<MAT3DSC> WriteFaces(File3dsSession& session, Variant variant, bool swap,
                                uint16_t* indices, d3d::DWORD* attributes) {
  std::vector<MAT3DSC> records;
  FaceWriter writer(indices, attributes, swap && variant == Variant::Automation);
  uint16_t base = 0;
  d3d::DWORD subset = 0;
  const std::vector<Mesh3ds*>& meshes = session.Meshes();
  for (size_t meshIndex = 0; meshIndex < meshes.size(); ++meshIndex) {
    const Mesh3ds& mesh = *meshes[meshIndex];
    if (mesh.matarray.empty()) {
      const d3d::DWORD attribute =
          variant == Variant::Automation ? subset++ : static_cast<d3d::DWORD>(meshIndex);
      for (size_t face = 0; face < mesh.facearray.size(); ++face)
        writer.Write(mesh, face, base, attribute);
      if (variant == Variant::Automation) records.push_back(DefaultMaterialRecord3ds(mesh.name));
    } else {
      std::vector<bool> written(mesh.facearray.size(), false);
      for (size_t group = 0; group < mesh.matarray.size(); ++group) {
        const objmat3ds& groupRecord = mesh.matarray[group];
        const std::string objectName = mesh.matarray.size() > 1
                                           ? std::string(mesh.name) + "_" + std::to_string(group)
                                           : mesh.name;
        Materials3ds* material = session.FindMaterial(groupRecord.name);
        records.push_back(material != nullptr ? MakeMaterialRecord3ds(material, objectName.c_str())
                                              : DefaultMaterialRecord3ds(objectName.c_str()));
        if (material != nullptr) ReleaseMaterial3ds(&material);
        for (const ushort3ds face : groupRecord.faceindex) {
          if (written[face]) continue;
          written[face] = true;
          writer.Write(mesh, face, base, subset);
        }
        ++subset;
      }
      if (std::find(written.begin(), written.end(), false) != written.end()) {
        const std::string objectName =
            std::string(mesh.name) + "_" + std::to_string(mesh.matarray.size());
        records.push_back(DefaultMaterialRecord3ds(objectName.c_str()));
        for (size_t face = 0; face < written.size(); ++face) {
          if (!written[face]) writer.Write(mesh, face, base, subset);
        }
        ++subset;
      }
    }
    base = static_cast<uint16_t>(base + mesh.vertexarray.size());
  }
  return records;
}

void Recenter(Vertex* vertices, d3d::DWORD count, d3dx::D3DXVECTOR3* center) {
  d3dx::D3DXVECTOR3 low, high;
  d3dx::D3DXComputeBoundingBox(vertices, count, kVertexFormat, &low, &high);
  const float cx = (low.x + high.x) * 0.5f, cy = (low.y + high.y) * 0.5f,
              cz = (low.z + high.z) * 0.5f;
  for (d3d::DWORD index = 0; index < count; ++index) {
    vertices[index].x -= cx;
    vertices[index].y -= cy;
    vertices[index].z -= cz;
  }
  d3dx::D3DXComputeBoundingBox(vertices, count, kVertexFormat, &low, &high);
  center->x = (low.x + high.x) * 0.5f;
  center->y = (low.y + high.y) * 0.5f;
  center->z = (low.z + high.z) * 0.5f;
}

struct LoadResult {
  std::vector<MAT3DSC> records;
  d3dx::ID3DXMesh* mesh = nullptr;
  d3dx::ID3DXBuffer* adjacency = nullptr;
};

// Steps shared by both exports; kLoaded with the mesh, adjacency and records in result, else
// kNotLoaded with nothing made.
int32_t LoadFile(const char* path, bool swap, Variant variant, d3dx::D3DXVECTOR3* center,
                 float* radius, LoadResult* result) {
  if (path == nullptr || center == nullptr || radius == nullptr) return kNotLoaded;
  File3dsSession session(path);
  if (session.Failure() != nullptr) {
    AddLog("MESH MANAGER 3DS LOADER : Couldn't read %s : %s", path, session.Failure());
    return kNotLoaded;
  }
  const std::vector<Mesh3ds*>& meshes = session.Meshes();
  if (meshes.empty()) return kNotLoaded;

  uint32_t vertexCount = 0, faceCount = 0;
  for (const Mesh3ds* mesh : meshes) vertexCount += static_cast<uint32_t>(mesh->vertexarray.size());
  if (vertexCount > kMaxVertices) {
    AddLog(
        "MESH MANAGER 3DS LOADER : Can't load mesh that contains more than 64000 vertices . Try to "
        "split it down in several smaller meshs.");
    return kNotLoaded;
  }
  for (const Mesh3ds* mesh : meshes) faceCount += static_cast<uint32_t>(mesh->facearray.size());
  if (faceCount > kMaxFaces) {
    AddLog(
        "MESH MANAGER 3DS LOADER : Can't load mesh that contains more than 64000 faces . Try to "
        "split it down in several smaller meshs.");
    return kNotLoaded;
  }
  if (!std::all_of(meshes.begin(), meshes.end(),
                   [](const Mesh3ds* mesh) { return IndicesValid(*mesh); })) {
    AddLog("MESH MANAGER 3DS LOADER : The file %s names a vertex or a face its object hasn't.",
           path);
    return kNotLoaded;
  }

  d3dx::ID3DXMesh* mesh = nullptr;
  if (d3d::FAILED(d3dx::D3DXCreateMeshFVF(faceCount, vertexCount, d3dx::D3DXMESH_MANAGED,
                                          kVertexFormat, CurrentDevice, &mesh))) {
    AddLog("MESH MANAGER 3DS LOADER : Couldn't create the mesh for %s.", path);
    return kNotLoaded;
  }
  d3d::BYTE* vertexBytes = nullptr;
  mesh->LockVertexBuffer(0, &vertexBytes);
  Vertex* vertices = reinterpret_cast<Vertex*>(vertexBytes);
  WriteVertices(meshes, swap, variant, vertices);
  d3dx::D3DXComputeBoundingSphere(vertices, vertexCount, kVertexFormat, center, radius);
  if (CenterSwitch != 0) Recenter(vertices, vertexCount, center);
  mesh->UnlockVertexBuffer();

  d3d::DWORD* attributes = nullptr;
  d3d::BYTE* indexBytes = nullptr;
  mesh->LockAttributeBuffer(d3d::D3DLOCK_DISCARD, &attributes);
  mesh->LockIndexBuffer(0, &indexBytes);
  result->records =
      WriteFaces(session, variant, swap, reinterpret_cast<uint16_t*>(indexBytes), attributes);
  mesh->UnlockIndexBuffer();
  mesh->UnlockAttributeBuffer();

  std::vector<d3d::DWORD> adjacency(faceCount * 3);
  mesh->GenerateAdjacency(0.0f, adjacency.data());
  d3dx::D3DXCreateBuffer(static_cast<d3d::DWORD>(adjacency.size() * sizeof(d3d::DWORD)),
                         &result->adjacency);
  std::memcpy(result->adjacency->GetBufferPointer(), adjacency.data(),
              adjacency.size() * sizeof(d3d::DWORD));

  d3dx::ID3DXMesh* cleaned = nullptr;
  std::vector<d3d::DWORD> cleanedAdjacency(faceCount * 3);
  if (d3d::SUCCEEDED(d3dx::D3DXCleanMesh(mesh, adjacency.data(), &cleaned, cleanedAdjacency.data(),
                                         nullptr))) {
    SafeRelease(mesh);
    mesh = cleaned;
  } else {
    AddLog("MESH MANAGER : Warning : Couldn't clean the mesh.");
    cleanedAdjacency = adjacency;
  }
  if (d3d::FAILED(d3dx::D3DXComputeNormals(mesh, cleanedAdjacency.data()))) {
    AddLog("MESH MANAGER : Warning : couldn't compute normals for the 3ds mesh ");
  }
  d3dx::ID3DXMesh* optimized = nullptr;
  const d3d::HRESULT optimizeResult =
      mesh->Optimize(d3dx::D3DXMESH_MANAGED | d3dx::D3DXMESHOPT_COMPACT |
                         d3dx::D3DXMESHOPT_ATTRSORT | d3dx::D3DXMESHOPT_VERTEXCACHE,
                     cleanedAdjacency.data(), nullptr, nullptr, nullptr, &optimized);
  if (d3d::SUCCEEDED(optimizeResult)) {
    SafeRelease(mesh);
    mesh = optimized;
  } else if (variant == Variant::Plain) {
    SafeRelease(mesh);
    SafeRelease(result->adjacency);
    result->records.clear();
    return kNotLoaded;
  }
  result->mesh = mesh;
  return kLoaded;
}

// A text of the system code page as a new automation string; none for an empty text.
char16_t* AutomationString(const char* text) {
  if (text[0] == '\0') return nullptr;
  return win::SysAllocString(win::WideFromCodePage(text).c_str());
}

// Gives the caller's array count + 1 records (the last one empty), reallocating its data. The
// strings of the records it held go first, as they do when an array of records is redimensioned.
bool FillAutomationArray(SAFEARRAY** materials, const std::vector<MAT3DSC>& records) {
  if (*materials == nullptr) {
    *materials = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (*materials == nullptr) return false;
    (*materials)->cDims = 1;
  }
  SAFEARRAY* array = *materials;
  if (array->pvData != nullptr && array->cbElements == sizeof(MAT3DS)) {
    auto* held = static_cast<MAT3DS*>(array->pvData);
    for (uint32_t index = 0; index < array->rgsabound[0].cElements; ++index) {
      win::SysFreeString(held[index].texture);
      win::SysFreeString(held[index].name);
      held[index] = MAT3DS{};
    }
  }
  void* data = std::realloc(array->pvData, (records.size() + 1) * sizeof(MAT3DS));
  if (data == nullptr) return false;
  array->pvData = data;
  array->cbElements = sizeof(MAT3DS);
  array->rgsabound[0] = SAFEARRAYBOUND{static_cast<uint32_t>(records.size() + 1), 0};
  MAT3DS* elements = static_cast<MAT3DS*>(data);
  for (size_t index = 0; index < records.size(); ++index) {
    elements[index] = {records[index].material, AutomationString(records[index].texture),
                       AutomationString(records[index].name)};
  }
  elements[records.size()] = MAT3DS{};
  return true;
}

}  // namespace

MAT3DSC MakeMaterialRecord3ds(Materials3ds* material, const char* objectName) {
  float& alpha = material->transparency;
  if (alpha < 0.0f) alpha = -alpha;
  if (alpha == 0.0f) alpha = 1.0f;
  MAT3DSC record{};
  record.material.Diffuse = {material->diffuse.r, material->diffuse.g, material->diffuse.b, alpha};
  record.material.Ambient = {material->ambient.r, material->ambient.g, material->ambient.b, alpha};
  record.material.Specular = {material->specular.r, material->specular.g, material->specular.b,
                              alpha};
  const float glow = material->selfillumination;
  record.material.Emissive = {glow, glow, glow, alpha};
  record.material.Power = material->shininessstrength;
  const char* texture = material->texture.name;
  if (texture[0] != '\0') {
    CopyText(record.texture, texture);
    if (win::EndsWithIgnoringCase(record.texture, ".tif"))
      std::memcpy(record.texture + std::strlen(record.texture) - 4, ".jpg", 4);
  }
  CopyText(record.name, objectName);
  return record;
}

MAT3DSC DefaultMaterialRecord3ds(const char* objectName) {
  MAT3DSC record{};
  record.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  record.material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  CopyText(record.name, objectName);
  return record;
}

int32_t Load3DS(int32_t swap, int32_t, const char* path, SAFEARRAY** materials,
                d3dx::D3DXVECTOR3* center, float* radius, d3dx::ID3DXBuffer** adjacency,
                d3dx::ID3DXMesh** mesh) {
  if (materials == nullptr || adjacency == nullptr || mesh == nullptr) return kNotLoaded;
  LoadResult result;
  if (LoadFile(path, swap != 0, Variant::Automation, center, radius, &result) != kLoaded)
    return kNotLoaded;
  if (!FillAutomationArray(materials, result.records)) {
    SafeRelease(result.mesh);
    SafeRelease(result.adjacency);
    return kNotLoaded;
  }
  *adjacency = result.adjacency;
  *mesh = result.mesh;
  return kLoaded;
}

int32_t Load3DS_C(int32_t swap, int32_t, const char* path, MAT3DSC** materials,
                  int32_t* materialCount, d3dx::D3DXVECTOR3* center, float* radius,
                  d3dx::ID3DXBuffer** adjacency, d3dx::ID3DXMesh** mesh) {
  if (materials == nullptr || materialCount == nullptr || adjacency == nullptr || mesh == nullptr) {
    return kNotLoaded;
  }
  *materials = nullptr;
  *materialCount = 0;
  *mesh = nullptr;
  LoadResult result;
  if (LoadFile(path, swap != 0, Variant::Plain, center, radius, &result) != kLoaded)
    return kNotLoaded;
  if (!result.records.empty()) {
    *materials = static_cast<MAT3DSC*>(std::malloc(result.records.size() * sizeof(MAT3DSC)));
    if (*materials == nullptr) {
      SafeRelease(result.mesh);
      SafeRelease(result.adjacency);
      return kNotLoaded;
    }
    std::copy(result.records.begin(), result.records.end(), *materials);
  }
  *materialCount = static_cast<int32_t>(result.records.size());
  *adjacency = result.adjacency;
  *mesh = result.mesh;
  return kLoaded;
}

int32_t Load3DS_SetCenter(int32_t flag) {
  CenterSwitch = flag;
  return 1;
}

int32_t Load3DS_SetLocalMat(int32_t flag) {
  LocalMatSwitch = flag;
  return 1;
}
