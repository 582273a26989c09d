// Builds a skinned model from arbitrary bytes as an X file on a headless device, poses it at a
// few times of each set and draws it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "library/core/actors/skinned_models.h"
#include "library/core/frame/frame_state.h"
#include "platform/d3d/headless.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"

namespace {

constexpr size_t kMaxInputBytes = 1 << 20;

// The library's device, made once for the whole run.
void EnsureDevice() {
  static win::Window window{64, 64};
  if (CurrentDevice != nullptr) return;
  d3d::IDirect3D8* direct3d = d3d::CreateHeadlessDirect3D();
  d3d::D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = 64;
  params.BackBufferHeight = 64;
  params.BackBufferFormat = d3d::D3DFMT_X8R8G8B8;
  params.SwapEffect = d3d::D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = &window;
  params.Windowed = 1;
  d3d::IDirect3DDevice8* device = nullptr;
  direct3d->CreateDevice(0, d3d::D3DDEVTYPE_HAL, &window, d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                         &params, &device);
  CurrentDevice = device;
  d3d::Headless(device)->SetRecording(false);
}

std::filesystem::path InputPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("fuzz-skinned-" + std::to_string(getpid()) + ".x");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  EnsureDevice();
  win::WriteFileBytes(InputPath(), std::vector<uint8_t>(data, data + size));
  const int32_t slot = SkinnedMesh_LoadModel(InputPath().string().c_str(), 0);
  if (slot < 0) return 0;
  SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(slot)];
  d3dx::D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  for (size_t set = 0; set < model.sets.size(); ++set) {
    const auto length = static_cast<float>(model.sets[set].length);
    for (const float time : {0.0f, length / 2, length})
      SkinnedMesh_ResetFrames(time, model, static_cast<int32_t>(set), length);
    SkinnedMesh_UpdateFrames(model, *model.root, identity);
  }
  CurrentDevice->BeginScene();
  SkinnedMesh_RenderFrames(model, *model.root);
  CurrentDevice->EndScene();
  SkinnedMesh_Destroy(slot);
  return 0;
}
