// Any bytes as a 3DS file for the mesh loader's C export, once as stored and once with y and z
// swapped and the vertices recentred: a load gives a mesh, its adjacency and its material records,
// or nothing at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_folder.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "tests/library/core/current_headless_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  // The library's device, made once for the whole run; a long run keeps no draw records.
  static const tests::CurrentHeadlessDevice device;
  static FuzzFolder folder;
  static const bool quiet = [] {
    d3d::Headless(device.Device())->SetRecording(false);
    return true;
  }();
  (void)quiet;
  folder.Write("model.3ds", std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string path = (folder.Path() / "model.3ds").string();
  for (const int32_t variant : {0, 1}) {
    Load3DS_SetCenter(variant);
    MAT3DSC* materials = nullptr;
    int32_t count = -1;
    d3dx::D3DXVECTOR3 center{};
    float radius = 0.0f;
    d3dx::ID3DXBuffer* adjacency = nullptr;
    d3dx::ID3DXMesh* mesh = nullptr;
    if (Load3DS_C(variant, 0, path.c_str(), &materials, &count, &center, &radius, &adjacency,
                  &mesh) != 0) {
      if (mesh != nullptr || materials != nullptr || count != 0) __builtin_trap();
      continue;
    }
    if (mesh == nullptr || adjacency == nullptr || count < 0 ||
        (count > 0) != (materials != nullptr))
      __builtin_trap();
    std::free(materials);
    adjacency->Release();
    mesh->Release();
  }
  Load3DS_SetCenter(0);
  return 0;
}
