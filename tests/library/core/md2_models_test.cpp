// The MD2 model table on the headless device: each load path keeps only its own data, a refused
// file leaves no record or device object, and references delete the model at none.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "library/core/actors/md2_models.h"
#include "library/core/actors/model_shaders.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"
#include "tests/library/core/md2_bytes.h"

namespace {

using namespace d3d;

class MD2Models : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / "vortana-md2-models";
    std::filesystem::create_directories(folder_);
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
  }

  void TearDown() override {
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

}  // namespace
