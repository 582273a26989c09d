// The 3DS mesh loader through the exported interface: the sample models of the assimp test set,
// and small files written with the toolkit for the subsets and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "platform/win/automation.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"
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
  std::vector<std::pair<std::string, std::vector<uint16_t>>> groups = {};
  bool textured = true;
  bool vertexOutOfRange = false;  // the first face names a vertex past the last
  float originX = 0.0f;           // of the object's own space
};

void PutObject(ChunkDatabase3ds* database, const ObjectSpec& layout) {
  Mesh3ds* mesh = nullptr;
  InitMeshObj3ds(&mesh, layout.vertices, layout.faces, layout.textured ? 2 : 0);
  CopyName3ds(mesh->name, sizeof mesh->name, layout.name);
  for (uint16_t i = 0; i < layout.vertices; ++i) {
    mesh->vertexarray[i] = {layout.x + static_cast<float>(i), static_cast<float>(i % 2),
                            static_cast<float>(i % 3)};
    if (layout.textured) mesh->textarray[i] = {0.25f, 0.75f};
  }
  for (uint16_t f = 0; f < layout.faces; ++f) {
    const auto corner = [&](int k) { return static_cast<uint16_t>((f + k) % layout.vertices); };
    mesh->facearray[f] = {corner(0), corner(1), corner(2), 0};
  }
  if (layout.vertexOutOfRange) mesh->facearray[0].v3 = layout.vertices;
  mesh->locmatrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, layout.originX, 0, 0};
  mesh->nmats = static_cast<uint16_t>(layout.groups.size());
  mesh->matarray.resize(layout.groups.size());
  for (size_t g = 0; g < layout.groups.size(); ++g) {
    CopyName3ds(mesh->matarray[g].name, sizeof mesh->matarray[g].name, layout.groups[g].first);
    mesh->matarray[g].faceindex = layout.groups[g].second;
    mesh->matarray[g].nfaces = static_cast<uint16_t>(layout.groups[g].second.size());
  }
  PutMesh3ds(database, mesh);
  ReleaseMeshObj3ds(&mesh);
}

struct MaterialFixture {
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
                        const std::vector<MaterialFixture>& materials = {}) {
    ClearErrors3ds();
    ChunkDatabase3ds* database = nullptr;
    InitDatabase3ds(&database);
    NewDatabaseRoot3ds(database, kMeshFile3ds);
    for (const MaterialFixture& layout : materials) {
      Materials3ds* material = nullptr;
      InitMaterial3ds(&material);
      CopyName3ds(material->name, sizeof material->name, layout.name);
      material->diffuse = layout.diffuse;
      material->ambient = {0.1f, 0.2f, 0.3f};
      material->transparency = layout.transparency;
      CopyName3ds(material->texture.name, sizeof material->texture.name, layout.texture);
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
    return Load3DS_C(swap, 0, path.c_str(), &records_, &recordCount_, &center_, &radius_,
                     &adjacency_, &mesh_);
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

// Open descriptors of this process.
size_t OpenFiles() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

TEST_F(Load3ds, SampleModels) {
  struct Case {
    const char* file;
    DWORD vertices, faces;
    std::vector<std::string> names;
    std::vector<std::string> textures;
  };
  const std::vector<Case> cases = {
      {"test1.3ds",
       288,
       108,
       {"Box01", "Box02", "Box04", "Box05", "Box06", "Box07", "Box08", "Box09", "Box10"},
       {"IMAGE1.JPG", "CWALL02.JPG", "CWALL02.JPG", "IMAGE2.JPG", "IMAGE2.JPG", "IMAGE2.JPG",
        "CWALL02.JPG", "CWALL02.JPG", "IMAGE1.JPG"}},
      {"fels.3ds", 386, 768, {"Default"}, {""}},
      {"cube_with_diffuse_texture.3DS", 32, 12, {"Quader01"}, {"TEST.PNG"}},
      {"cubes_with_alpha.3DS",
       130,
       60,
       {"Quader01", "Quader02", "Quader03", "Quader04", "Quader05"},
       {"", "BERETTA_.JPG", "", "", ""}},
      {"RotatingCube.3DS", 26, 12, {}, {}},
      {"CameraRollAnimWithChildObject.3ds", 52, 24, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(LoadC((kModels / c.file).string()), 0);
    ASSERT_NE(mesh_, nullptr);
    EXPECT_EQ(mesh_->GetNumVertices(), c.vertices);
    EXPECT_EQ(mesh_->GetNumFaces(), c.faces);
    EXPECT_EQ(adjacency_->GetBufferSize(), c.faces * 12);
    EXPECT_EQ(RecordNames(), c.names);
    std::vector<std::string> textures;
    for (int32_t i = 0; i < recordCount_; ++i) textures.emplace_back(records_[i].texture);
    EXPECT_EQ(textures, c.textures);
    EXPECT_GT(radius_, 0.0f);
  }
  EXPECT_TRUE(
      Logged("3DS LOADER : WARNING : The object hasn't any Texture Coordinates informations, you "
             "should check your "
             "export settings."));
}

TEST_F(Load3ds, SampleColoursAndOpacity) {
  ASSERT_EQ(LoadC((kModels / "cubes_with_alpha.3DS").string()), 0);
  ASSERT_EQ(recordCount_, 5);
  const D3DCOLORVALUE first = records_[0].material.Diffuse;
  EXPECT_NEAR(first.r, 192 / 255.0f, 1e-5f);
  EXPECT_EQ(first.g, 0.0f);
  EXPECT_NEAR(first.b, 220 / 255.0f, 1e-5f);
  EXPECT_EQ(first.a, 1.0f);  // opaque: no transparency in the file
  EXPECT_NEAR(records_[4].material.Diffuse.a, 0.17f, 1e-5f);
  EXPECT_NEAR(records_[4].material.Ambient.a, 0.17f, 1e-5f);
}

// The text of an automation string, empty for none.
std::u16string TextOf(const char16_t* text) { return text != nullptr ? text : u""; }

// Frees an automation array of material records as its owner does: the strings, then the data.
void FreeMaterialArray(SAFEARRAY* array) {
  auto* elements = static_cast<MAT3DS*>(array->pvData);
  for (uint32_t i = 0; i < array->rgsabound[0].cElements; ++i) {
    win::SysFreeString(elements[i].texture);
    win::SysFreeString(elements[i].name);
  }
  std::free(array->pvData);
  std::free(array);
}

TEST_F(Load3ds, AutomationArrayGetsOneMoreEmptyElement) {
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(Load3DS(0, 0, (kModels / "CameraRollAnimWithChildObject.3ds").string().c_str(), &array,
                    &center_, &radius_, &adjacency_, &mesh_),
            0);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->cbElements, sizeof(MAT3DS));
  ASSERT_EQ(array->rgsabound[0].cElements, 3u);
  EXPECT_EQ(array->rgsabound[0].lLbound, 0);
  const auto* elements = static_cast<const MAT3DS*>(array->pvData);
  // Objects without material groups get a white record each, named after the object.
  EXPECT_NE(TextOf(elements[0].name), u"");
  EXPECT_NE(TextOf(elements[0].name), TextOf(elements[1].name));
  EXPECT_EQ(win::SysStringLen(elements[0].name), TextOf(elements[0].name).size());
  EXPECT_EQ(elements[1].material.Diffuse.r, 1.0f);
  EXPECT_EQ(elements[1].material.Ambient.a, 1.0f);
  EXPECT_EQ(elements[1].texture, nullptr);
  EXPECT_EQ(elements[2].name, nullptr);
  EXPECT_EQ(SubsetFaces(), (std::map<DWORD, DWORD>{{0, 12}, {1, 12}}));
  Release();

  // A second load into the same array lets the first one's strings go; texts of the system code
  // page arrive as their characters.
  const std::string path = WriteFile("euro.3ds", {{"Box", 3, 1, 0.0f, {{"Coin", {0}}}}},
                                     {{"Coin", {1.0f, 1.0f, 0.0f}, 0.0f, "CAF\xC9\x80.TIF"}});
  ASSERT_EQ(Load3DS(0, 0, path.c_str(), &array, &center_, &radius_, &adjacency_, &mesh_), 0);
  ASSERT_EQ(array->rgsabound[0].cElements, 2u);
  elements = static_cast<const MAT3DS*>(array->pvData);
  EXPECT_EQ(TextOf(elements[0].name), u"Box");
  EXPECT_EQ(TextOf(elements[0].texture), u"CAF\u00C9\u20AC.jpg");
  FreeMaterialArray(array);
}

TEST_F(Load3ds, SecondObjectIndexesItsOwnVertices) {
  const std::string path =
      WriteFile("two.3ds", {{"First", 10, 10, 0.0f}, {"Second", 10, 10, 100.0f}});
  ASSERT_EQ(LoadC(path), 0);
  EXPECT_EQ(mesh_->GetNumVertices(), 20u);
  EXPECT_EQ(recordCount_, 0);
  EXPECT_EQ(SubsetFaces(), (std::map<DWORD, DWORD>{{0, 10}, {1, 10}}));
  for (const float x : SubsetXs(1)) EXPECT_GE(x, 100.0f);
  for (const float x : SubsetXs(0)) EXPECT_LT(x, 10.0f);

  ASSERT_EQ(LoadC(path, 1), 0);  // swapped: x mirrored
  for (const float x : SubsetXs(1)) EXPECT_LE(x, -100.0f);
}

TEST_F(Load3ds, MaterialGroupsGiveSubsetsAndRecords) {
  const std::string path = WriteFile(
      "groups.3ds", {{"Box", 6, 6, 0.0f, {{"Red", {0, 1}}, {"Missing", {2, 3}}, {"Wood", {4, 5}}}}},
      {{"Red", {1.0f, 0.0f, 0.0f}, -0.5f, ""}, {"Wood", {0.5f, 0.25f, 0.0f}, 0.0f, "WOOD.TIF"}});
  ASSERT_EQ(LoadC(path), 0);
  EXPECT_EQ(RecordNames(), (std::vector<std::string>{"Box_0", "Box_1", "Box_2"}));
  EXPECT_EQ(SubsetFaces(), (std::map<DWORD, DWORD>{{0, 2}, {1, 2}, {2, 2}}));
  const D3DMATERIAL8& red = records_[0].material;
  EXPECT_EQ(red.Diffuse.r, 1.0f);
  EXPECT_EQ(red.Diffuse.a, 0.5f);
  EXPECT_NEAR(red.Ambient.b, 0.3f, 1 / 255.0f);  // stored as a byte
  EXPECT_EQ(red.Ambient.a, 0.5f);
  const D3DMATERIAL8& missing = records_[1].material;
  EXPECT_EQ(missing.Diffuse.r, 1.0f);
  EXPECT_EQ(missing.Ambient.g, 1.0f);
  EXPECT_EQ(missing.Specular.r, 0.0f);
  EXPECT_EQ(std::string(records_[1].texture), "");
  EXPECT_EQ(std::string(records_[2].texture), "WOOD.jpg");
  EXPECT_EQ(records_[2].material.Diffuse.a, 1.0f);
}

TEST_F(Load3ds, EveryFaceIsWrittenOnce) {
  // Face 1 is in both groups; face 3 in none.
  const std::string path =
      WriteFile("overlap.3ds", {{"Box", 6, 4, 0.0f, {{"A", {0, 1}}, {"B", {1, 2}}}}});
  ASSERT_EQ(LoadC(path), 0);
  EXPECT_EQ(mesh_->GetNumFaces(), 4u);
  EXPECT_EQ(SubsetFaces(), (std::map<DWORD, DWORD>{{0, 2}, {1, 1}, {2, 1}}));
  EXPECT_EQ(RecordNames(), (std::vector<std::string>{"Box_0", "Box_1", "Box_2"}));
  EXPECT_EQ(records_[2].material.Diffuse.g, 1.0f);
}

TEST_F(Load3ds, RefusedFilesMakeNothingAndLeaveNothingOpen) {
  const std::string good = WriteFile("good.3ds", {{"Good", 3, 1}});
  const std::string garbage = (Folder() / "garbage.3ds").string();
  std::FILE* file = std::fopen(garbage.c_str(), "wb");
  std::fputs("not a chunk file at all", file);
  std::fclose(file);
  const std::string indexMessage = "names a vertex or a face its object hasn't.";
  // Two objects, the second's point count one past its chunk: the toolkit stops inside it.
  const std::string damaged = WriteFile("damaged.3ds", {{"First", 3, 1}, {"Second", 3, 1}});
  {
    std::vector<uint8_t> bytes = *win::ReadFileBytes(damaged, 1 << 20);
    const std::vector<uint8_t> points = {0x10, 0x41, 8 + 3 * 12, 0, 0, 0, 3, 0};
    const auto last = std::find_end(bytes.begin(), bytes.end(), points.begin(), points.end());
    ASSERT_NE(last, bytes.end());
    last[6] = 4;
    ASSERT_TRUE(win::WriteFileBytes(damaged, bytes));
  }
  struct Case {
    std::string path;
    std::string message;  // the end of the line logged, or empty
  };
  const std::vector<Case> cases = {
      {WriteFile("vertices.3ds", {{"Big", 64001, 1}}),
       "MESH MANAGER 3DS LOADER : Can't load mesh that contains more than 64000 vertices . Try to "
       "split it down "
       "in several smaller meshs."},
      {WriteFile("faces.3ds", {{"Many", 3, 32001}, {"More", 3, 32000}}),
       "MESH MANAGER 3DS LOADER : Can't load mesh that contains more than 64000 faces . Try to "
       "split it down in "
       "several smaller meshs."},
      {WriteFile("group.3ds", {{"Box", 3, 2, 0.0f, {{"A", {0, 2}}}}}), indexMessage},
      {WriteFile("vertex.3ds", {{"Box", 3, 2, 0.0f, {}, true, true}}), indexMessage},
      {damaged,
       damaged + " : ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading "
                 "the database. Usually caused by a corrupt database or file"},
      {garbage, ""},
      {(Folder() / "absent.3ds").string(), ""},
  };
  const size_t openBefore = OpenFiles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(LoadC(c.path), 1);
    EXPECT_EQ(mesh_, nullptr);
    EXPECT_EQ(records_, nullptr);
    EXPECT_EQ(OpenFiles(), openBefore);
    if (!c.message.empty()) {
      const std::vector<std::string> messages = LogMessages();
      ASSERT_FALSE(messages.empty());
      EXPECT_TRUE(messages.back().ends_with(c.message)) << messages.back();
    }
    // Whatever the toolkit met in that file is over: the next file loads.
    EXPECT_EQ(LoadC(good), 0);
    EXPECT_NE(mesh_, nullptr);
  }
  Release();
  EXPECT_EQ(
      Load3DS_C(0, 0, nullptr, &records_, &recordCount_, &center_, &radius_, &adjacency_, &mesh_),
      1);
}

TEST_F(Load3ds, LimitsAreInclusive) {
  ASSERT_EQ(LoadC(WriteFile("limit.3ds", {{"Big", 63997, 32000}, {"More", 3, 32000}})), 0);
  EXPECT_EQ(mesh_->GetNumFaces(), 64000u);
}

TEST_F(Load3ds, CentreAndLocalSpaceSwitches) {
  const std::string path = WriteFile("far.3ds", {{"Far", 10, 10, 100.0f, {}, true, false, 100.0f}});
  ASSERT_EQ(LoadC(path), 0);
  const float radius = radius_;
  EXPECT_NEAR(center_.x, 104.5f, 1e-4f);

  Load3DS_SetCenter(1);
  ASSERT_EQ(LoadC(path), 0);
  EXPECT_NEAR(center_.x, 0.0f, 1e-4f);
  EXPECT_NEAR(center_.y, 0.0f, 1e-4f);
  EXPECT_EQ(radius_, radius);
  Load3DS_SetCenter(0);

  Load3DS_SetLocalMat(1);
  ASSERT_EQ(LoadC(path), 0);
  for (const float x : SubsetXs(0)) EXPECT_LT(x, 10.0f);
}

}  // namespace
