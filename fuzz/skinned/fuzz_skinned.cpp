// Builds a skinned model from arbitrary bytes as an X file on a headless device, poses it at a
// few times of each set and draws it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "library/core/actors/skinned_models.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/current_headless_device.h"

namespace {

constexpr size_t kMaxInputBytes = 1 << 20;

std::filesystem::path InputPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("fuzz-skinned-" + std::to_string(getpid()) + ".x");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  // The library's device, made once for the whole run; a long run keeps no draw records.
  static const tests::CurrentHeadlessDevice device;
  static const bool quiet = [] {
    d3d::Headless(device.Device())->SetRecording(false);
    return true;
  }();
  (void)quiet;
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
