// The MD2 model table on the headless device: each load path keeps only its own data, a refused
// file leaves no record or device object, and references delete the model at none.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "library/core/actors/entities.h"
#include "library/core/actors/md2_draw.h"
#include "library/core/actors/md2_models.h"
#include "library/core/actors/model_shaders.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"
#include "tests/library/core/md2_bytes.h"

namespace {

using namespace d3d;

class MD2Models : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of the test's own: CTest runs the cases as parallel processes.
    std::string pattern = (std::filesystem::temp_directory_path() / "vortana-md2-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    direct3d_ = CreateHeadlessDirect3D();
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = &window_;
    params.Windowed = 1;
    ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
              D3D_OK);
    IUnknown* asUnknown = device_;
    ASSERT_EQ(SetDevice(&asUnknown), 0);
    baseline_ = Headless(device_)->LiveObjectCount();
    device_->BeginScene();
  }

  void TearDown() override {
    device_->EndScene();
    // The draws leave the last buffers bound, as a caller's next draw would replace them.
    device_->SetStreamSource(0, nullptr, 0);
    device_->SetStreamSource(1, nullptr, 0);
    Entity_FreeAll();
    MD2_DeleteAll();
    MD2System_LostAll();
    Engine_SetShaderMode(0);
    EXPECT_EQ(Headless(device_)->LiveObjectCount(), baseline_);
    ShutDownDevice();
    device_->Release();
    direct3d_->Release();
    std::filesystem::remove_all(folder_);
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = folder_ / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  std::filesystem::path folder_;
  win::Window window_{64, 64};
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  size_t baseline_ = 0;
};

TEST_F(MD2Models, EachPathKeepsOnlyItsOwnData) {
  const std::string path = Write("a.md2", md2test::Md2File());
  const int32_t software = MD2_LoadModel(path.c_str(), 0);
  ASSERT_GE(software, 0);
  const ActorModel2& first = MD2ModelTable[static_cast<size_t>(software)];
  EXPECT_TRUE(first.softwarePath);
  EXPECT_TRUE(first.frameBuffers.empty());
  EXPECT_EQ(first.data.frames[0].positions.size(), 18u);
  EXPECT_EQ(MD2_FindModel(path.c_str()), software);
  MD2_DeleteModel(software);
  EXPECT_EQ(MD2_FindModel(path.c_str()), -1);

  ASSERT_EQ(InitMD2(), 1);
  const int32_t shaded = MD2_LoadModel(path.c_str(), 0);
  ASSERT_GE(shaded, 0);
  EXPECT_EQ(shaded, software) << "the freed slot is taken again";
  const ActorModel2& model = MD2ModelTable[static_cast<size_t>(shaded)];
  EXPECT_FALSE(model.softwarePath);
  EXPECT_EQ(model.bufferUsage, D3DUSAGE_SOFTWAREPROCESSING);
  ASSERT_EQ(model.frameBuffers.size(), 3u);
  EXPECT_TRUE(model.data.frames[1].positions.empty());
  // Corner 5 of frame 1 is vertex 3: (4, 8, 3), with corner 5's texture coordinates (0, 0.5).
  BYTE* data = nullptr;
  ASSERT_EQ(model.frameBuffers[1]->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  MD2Vertex vertex;
  std::memcpy(&vertex, data + 5 * sizeof(MD2Vertex), sizeof vertex);
  model.frameBuffers[1]->Unlock();
  EXPECT_EQ(vertex.x, 4.0f);
  EXPECT_EQ(vertex.y, 8.0f);
  EXPECT_EQ(vertex.z, 3.0f);
  EXPECT_EQ(vertex.u, 0.0f);
  EXPECT_EQ(vertex.v, 0.5f);

  Engine_SetShaderMode(1);
  const int32_t forced = MD2_LoadModel(Write("b.md2", md2test::Md2File()).c_str(), 0);
  ASSERT_GE(forced, 0);
  EXPECT_TRUE(MD2ModelTable[static_cast<size_t>(forced)].softwarePath);
}

TEST_F(MD2Models, RefusedFilesLeaveNothing) {
  ASSERT_EQ(InitMD2(), 1);
  const size_t withShaders = Headless(device_)->LiveObjectCount();
  std::vector<uint8_t> damaged = md2test::Md2File();
  md2test::SetWord(damaged, md2test::kFrameCount, 9);
  std::vector<uint8_t> notMd2 = md2test::Md2File();
  notMd2[0] = 'X';
  for (const std::string& path : {Write("damaged.md2", damaged), Write("other.md2", notMd2),
                                  (folder_ / "missing.md2").string()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(MD2_LoadModel(path.c_str(), 1), -1);
    EXPECT_EQ(MD2_FindModel(path.c_str()), -1);
  }
  EXPECT_EQ(MD2_LoadModel(nullptr, 1), -1);
  EXPECT_EQ(MD2_FindModel(nullptr), -1);
  EXPECT_EQ(Headless(device_)->LiveObjectCount(), withShaders);
}

TEST_F(MD2Models, TheLastReferenceDeletesTheModel) {
  ASSERT_EQ(InitMD2(), 1);
  const size_t withShaders = Headless(device_)->LiveObjectCount();
  const std::string path = Write("a.md2", md2test::Md2File());
  const int32_t slot = MD2_LoadModel(path.c_str(), 0);
  ASSERT_GE(slot, 0);
  EXPECT_EQ(Headless(device_)->LiveObjectCount(), withShaders + 3);
  MD2ModelTable[static_cast<size_t>(slot)].references = 2;
  MD2_ReleaseModel(slot);
  EXPECT_EQ(MD2_FindModel(path.c_str()), slot);
  MD2_ReleaseModel(slot);
  EXPECT_EQ(MD2_FindModel(path.c_str()), -1);
  EXPECT_EQ(Headless(device_)->LiveObjectCount(), withShaders);
}

TEST_F(MD2Models, DeletingAModelLeavesItsEntitiesWithout) {
  ASSERT_EQ(InitMD2(), 1);
  const size_t withShaders = Headless(device_)->LiveObjectCount();
  const std::string path = Write("a.md2", md2test::Md2File());
  int32_t first = -1, second = -1;
  ASSERT_EQ(CreateEntityMD2(path.c_str(), "a", &first, 0), 1);
  ASSERT_EQ(CreateEntityMD2(path.c_str(), "b", &second, 0), 1);
  const int32_t slot = MD2_FindModel(path.c_str());
  EXPECT_EQ(MD2ModelTable[static_cast<size_t>(slot)].references, 2);
  EXPECT_EQ(MD2_Delete(&MD2ModelTable[static_cast<size_t>(slot)]), 1);
  EXPECT_EQ(Headless(device_)->LiveObjectCount(), withShaders);
  EXPECT_EQ(EntityAt(first)->kind, kModelKindNone);
  EXPECT_EQ(EntityAt(second)->kind, kModelKindNone);
  D3DMATRIX identity = IdentityMatrix();
  Headless(device_)->ClearDraws();
  EXPECT_EQ(Scene_RenderEntity(first, &identity, &identity), 1) << "drawn as nothing";
  EXPECT_EQ(Headless(device_)->Draws().size(), 0u);
  EXPECT_EQ(Entity_DuplicateActor(first, "c"), -1) << "nothing to share";
  EXPECT_EQ(Entity_Destroy(first), 1);
  EXPECT_EQ(Entity_Destroy(second), 1);
  EXPECT_EQ(MD2_Delete(nullptr), 1);
  ActorModel2 stranger;
  EXPECT_EQ(MD2_Delete(&stranger), 1) << "a record not in the table is left alone";
}

// Model space to clip space for the draws below: moved, then squeezed into the clip volume.
struct DrawMatrices {
  D3DMATRIX world, view, projection;
};

DrawMatrices Matrices() {
  DrawMatrices m{};
  d3dx::D3DXMatrixTranslation(reinterpret_cast<d3dx::D3DXMATRIX*>(&m.world), 1.0f, -2.0f, 0.5f);
  d3dx::D3DXMatrixIdentity(reinterpret_cast<d3dx::D3DXMATRIX*>(&m.view));
  d3dx::D3DXMatrixScaling(reinterpret_cast<d3dx::D3DXMATRIX*>(&m.projection), 0.1f, 0.2f, 0.05f);
  return m;
}

MD2Pose PoseAt(const DrawMatrices& m, float frame) {
  return {&m.world, &m.view, &m.projection, frame, 0, 2, 0, {1, 1, 1, 1}};
}

TEST_F(MD2Models, BothPathsPutEveryBlendedCornerAtTheSamePlace) {
  ASSERT_EQ(InitMD2(), 1);
  const std::vector<uint8_t> file = md2test::Md2File();
  Engine_SetShaderMode(1);
  const int32_t software = MD2_LoadModel(Write("soft.md2", file).c_str(), 0);
  Engine_SetShaderMode(0);
  const int32_t shaded = MD2_LoadModel(Write("shaded.md2", file).c_str(), 0);
  ASSERT_GE(software, 0);
  ASSERT_GE(shaded, 0);
  const DrawMatrices m = Matrices();
  // The draw takes the path of the load, whatever the flags say now.
  Engine_SetShaderMode(1);
  for (float frame : {0.0f, 1.25f, 2.0f}) {
    SCOPED_TRACE(frame);
    Headless(device_)->ClearDraws();
    EXPECT_EQ(MD2_Draw(MD2ModelTable[static_cast<size_t>(software)], PoseAt(m, frame)), 2);
    EXPECT_EQ(MD2_Draw(MD2ModelTable[static_cast<size_t>(shaded)], PoseAt(m, frame)), 2);
    const auto& draws = Headless(device_)->Draws();
    ASSERT_EQ(draws.size(), 2u);
    ASSERT_TRUE(draws[0].shaded.empty());
    ASSERT_EQ(draws[1].shaded.size(), 6u);
    d3dx::D3DXMATRIX all;
    d3dx::D3DXMatrixMultiply(&all, reinterpret_cast<const d3dx::D3DXMATRIX*>(&m.world),
                             reinterpret_cast<const d3dx::D3DXMATRIX*>(&m.projection));
    for (size_t c = 0; c < 6; ++c) {
      MD2Vertex vertex;
      std::memcpy(&vertex, draws[0].vertices.data() + c * sizeof vertex, sizeof vertex);
      d3dx::D3DXVECTOR4 clip;
      const d3dx::D3DXVECTOR3 position{{vertex.x, vertex.y, vertex.z}};
      d3dx::D3DXVec3Transform(&clip, &position, &all);
      const auto& out = draws[1].shaded[c].position;
      EXPECT_NEAR(out[0], clip.x, 1e-5f) << c;
      EXPECT_NEAR(out[1], clip.y, 1e-5f) << c;
      EXPECT_NEAR(out[2], clip.z, 1e-5f) << c;
      EXPECT_NEAR(out[3], clip.w, 1e-5f) << c;
    }
  }
}

TEST_F(MD2Models, TheProcessorPathDrawsLargeModelsInBatches) {
  ASSERT_EQ(InitMD2(), 1);
  Engine_SetShaderMode(1);
  md2test::Md2Contents contents;
  std::vector<uint16_t> triangles;
  for (int i = 0; i < 1500; ++i) triangles.insert(triangles.end(), {0, 1, 2, 0, 1, 2});
  contents.triangles = triangles;
  const int32_t slot = MD2_LoadModel(Write("large.md2", md2test::Md2File(contents)).c_str(), 0);
  ASSERT_GE(slot, 0);
  int32_t counter = 0;
  System_SetVariables(0, &counter, 0);
  const DrawMatrices m = Matrices();
  Headless(device_)->ClearDraws();
  EXPECT_EQ(MD2_Draw(MD2ModelTable[static_cast<size_t>(slot)], PoseAt(m, 0.5f)), 1500);
  System_SetVariables(0, nullptr, 0);
  const auto& draws = Headless(device_)->Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].primitiveCount, 1000u);
  EXPECT_EQ(draws[1].primitiveCount, 500u);
  EXPECT_EQ(counter, 1500);
}

TEST_F(MD2Models, NothingIsDrawnOnceTheSharedObjectsAreLost) {
  ASSERT_EQ(InitMD2(), 1);
  const int32_t shaded = MD2_LoadModel(Write("a.md2", md2test::Md2File()).c_str(), 0);
  Engine_SetShaderMode(1);
  const int32_t software = MD2_LoadModel(Write("b.md2", md2test::Md2File()).c_str(), 0);
  MD2System_LostAll();
  const DrawMatrices m = Matrices();
  Headless(device_)->ClearDraws();
  for (int32_t slot : {shaded, software})
    EXPECT_EQ(MD2_Draw(MD2ModelTable[static_cast<size_t>(slot)], PoseAt(m, 0.0f)), 0);
  EXPECT_TRUE(Headless(device_)->Draws().empty());
}

}  // namespace
