// The 3DS mesh loader through the exported interface: the sample models of the assimp test set,
// and small files written with the toolkit for the subsets and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"
#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

const std::filesystem::path kModels = "/usr/share/assimp/models/3DS";

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

// One object of the file to write: a row of triangles over its own vertices.
struct ObjectSpec {
  std::string name;
  uint16_t vertices = 3;
  uint16_t faces = 1;
  float x = 0.0f;  // added to every x
  std::vector<std::pair<std::string, std::vector<uint16_t>>> groups;
  bool textured = true;
};

void PutObject(ChunkDatabase3ds* database, const ObjectSpec& spec) {
  Mesh3ds* mesh = nullptr;
  InitMeshObj3ds(&mesh, spec.vertices, spec.faces, spec.textured ? 2 : 0);
  CopyName3ds(mesh->name, sizeof mesh->name, spec.name);
  for (uint16_t i = 0; i < spec.vertices; ++i) {
    mesh->vertexarray[i] = {spec.x + static_cast<float>(i), static_cast<float>(i % 2), static_cast<float>(i % 3)};
    if (spec.textured) mesh->textarray[i] = {0.25f, 0.75f};
  }
  for (uint16_t f = 0; f < spec.faces; ++f) {
    const auto corner = [&](int k) { return static_cast<uint16_t>((f + k) % spec.vertices); };
    mesh->facearray[f] = {corner(0), corner(1), corner(2), 0};
  }
  mesh->locmatrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  mesh->nmats = static_cast<uint16_t>(spec.groups.size());
  mesh->matarray.resize(spec.groups.size());
  for (size_t g = 0; g < spec.groups.size(); ++g) {
    CopyName3ds(mesh->matarray[g].name, sizeof mesh->matarray[g].name, spec.groups[g].first);
    mesh->matarray[g].faceindex = spec.groups[g].second;
    mesh->matarray[g].nfaces = static_cast<uint16_t>(spec.groups[g].second.size());
  }
  PutMesh3ds(database, mesh);
  ReleaseMeshObj3ds(&mesh);
}

struct MaterialSpec {
  std::string name;
  fcolor3ds diffuse;
  float transparency = 0.0f;
  std::string texture;
};

class Load3ds : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }

  void TearDown() override {
    Release();
    Load3DS_SetCenter(0);
    Load3DS_SetLocalMat(0);
    EXPECT_TRUE(ShutDownAndRelease());
    LibraryTest::TearDown();
  }

  // Writes a mesh file of the objects and materials; returns its path.
  std::string WriteFile(const std::string& name, const std::vector<ObjectSpec>& objects,
                        const std::vector<MaterialSpec>& materials = {}) {
    ClearErrors3ds();
    ChunkDatabase3ds* database = nullptr;
    InitDatabase3ds(&database);
    NewDatabaseRoot3ds(database, kMeshFile3ds);
    for (const MaterialSpec& spec : materials) {
      Materials3ds* material = nullptr;
      InitMaterial3ds(&material);
      CopyName3ds(material->name, sizeof material->name, spec.name);
      material->diffuse = spec.diffuse;
      material->ambient = {0.1f, 0.2f, 0.3f};
      material->transparency = spec.transparency;
      CopyName3ds(material->texture.name, sizeof material->texture.name, spec.texture);
      PutMaterial3ds(database, material);
      ReleaseMaterial3ds(&material);
    }
    for (const ObjectSpec& object : objects) PutObject(database, object);
    const std::string path = (Folder() / name).string();
    File3ds* file = OpenFile3ds(path.c_str(), "w");
    WriteDatabase3ds(file, database);
    EXPECT_FALSE(ErrorsPending3ds());
    ReleaseDatabase3ds(&database);
    CloseAllFiles3ds();
    return path;
  }

  int32_t LoadC(const std::string& path, int32_t swap = 0) {
    Release();
    return Load3DS_C(swap, 0, path.c_str(), &records_, &recordCount_, &center_, &radius_, &adjacency_, &mesh_);
  }

  std::vector<std::string> RecordNames() const {
    std::vector<std::string> names;
    for (int32_t i = 0; i < recordCount_; ++i) names.emplace_back(records_[i].name);
    return names;
  }

  // Face count per subset of the loaded mesh.
  std::map<DWORD, DWORD> SubsetFaces() const {
    DWORD count = 0;
    mesh_->GetAttributeTable(nullptr, &count);
    std::vector<d3dx::D3DXATTRIBUTERANGE> table(count);
    mesh_->GetAttributeTable(table.data(), &count);
    std::map<DWORD, DWORD> faces;
    for (const d3dx::D3DXATTRIBUTERANGE& range : table) faces[range.AttribId] += range.FaceCount;
    return faces;
  }

  // The x of every vertex of the subset's faces.
  std::vector<float> SubsetXs(DWORD subset) const {
    DWORD* attributes = nullptr;
    BYTE* indexBytes = nullptr;
    BYTE* vertexBytes = nullptr;
    mesh_->LockAttributeBuffer(D3DLOCK_READONLY, &attributes);
    mesh_->LockIndexBuffer(D3DLOCK_READONLY, &indexBytes);
    mesh_->LockVertexBuffer(D3DLOCK_READONLY, &vertexBytes);
    const auto* indices = reinterpret_cast<const uint16_t*>(indexBytes);
    const auto* vertices = reinterpret_cast<const Vertex*>(vertexBytes);
    std::vector<float> xs;
    for (DWORD face = 0; face < mesh_->GetNumFaces(); ++face) {
      if (attributes[face] != subset) continue;
      for (int k = 0; k < 3; ++k) xs.push_back(vertices[indices[face * 3 + k]].x);
    }
    mesh_->UnlockVertexBuffer();
    mesh_->UnlockIndexBuffer();
    mesh_->UnlockAttributeBuffer();
    return xs;
  }

  void Release() {
    SafeRelease(mesh_);
    SafeRelease(adjacency_);
    std::free(records_);
    records_ = nullptr;
    recordCount_ = 0;
  }

  template <class T>
  static void SafeRelease(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
  }

  MAT3DSC* records_ = nullptr;
  int32_t recordCount_ = 0;
  d3dx::D3DXVECTOR3 center_{};
  float radius_ = 0.0f;
  d3dx::ID3DXBuffer* adjacency_ = nullptr;
  d3dx::ID3DXMesh* mesh_ = nullptr;
};

TEST_F(Load3ds, ProbeSamples) {
  for (const char* name : {"test1.3ds", "fels.3ds", "cubes_with_alpha.3DS", "cube_with_diffuse_texture.3DS",
                           "cube_with_specular_texture.3DS", "RotatingCube.3DS", "CameraRollAnim.3ds",
                           "CameraRollAnimWithChildObject.3ds", "TargetCameraAnim.3ds"}) {
    const int32_t result = LoadC((kModels / name).string());
    std::printf("%s: %d", name, result);
    if (mesh_ != nullptr) std::printf(" v %u f %u", mesh_->GetNumVertices(), mesh_->GetNumFaces());
    for (int32_t i = 0; i < recordCount_; ++i) {
      const MAT3DSC& r = records_[i];
      std::printf(" [%s|%s|%g %g %g %g]", r.name, r.texture, r.material.Diffuse.r, r.material.Diffuse.g,
                  r.material.Diffuse.b, r.material.Diffuse.a);
    }
    std::printf(" c %g %g %g r %g\n", center_.x, center_.y, center_.z, radius_);
  }
}

}  // namespace
