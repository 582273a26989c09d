// Loads arbitrary bytes as a texture and as a cube texture of a headless device, at the file's size
// and scaled, and checks that every refused load leaves no object behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/d3d/headless.h"
#include "platform/d3dx/texture.h"
#include "tests/platform/d3dx/headless_device.h"

namespace {

constexpr size_t kMaxInputBytes = 1 << 20;
constexpr d3d::UINT kScaledSide = 8;  // pixels

d3d::IDirect3DDevice8* Device() {
  static d3d::IDirect3DDevice8* device = [] {
    d3d::HeadlessConfig config;
    config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 256;
    return d3dx_test::CreateHeadlessDevice(config);
  }();
  return device;
}

template <typename T>
void Drop(T* object) {
  if (object != nullptr) object->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  using namespace d3dx;
  auto bytes = static_cast<d3d::UINT>(size);
  for (d3d::UINT side : {d3d::UINT{D3DX_DEFAULT}, kScaledSide}) {
    d3d::IDirect3DTexture8* texture = nullptr;
    D3DXCreateTextureFromFileInMemoryEx(Device(), data, bytes, side, side, D3DX_DEFAULT, 0,
                                        d3d::D3DFMT_UNKNOWN, d3d::D3DPOOL_MANAGED, D3DX_DEFAULT,
                                        D3DX_DEFAULT, 0xFF000000, nullptr, nullptr, &texture);
    Drop(texture);
    d3d::IDirect3DCubeTexture8* cube = nullptr;
    D3DXCreateCubeTextureFromFileInMemoryEx(Device(), data, bytes, side, D3DX_DEFAULT, 0,
                                            d3d::D3DFMT_A4R4G4B4, d3d::D3DPOOL_MANAGED,
                                            D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &cube);
    Drop(cube);
  }
  if (d3d::Headless(Device())->LiveObjectCount() != 0) std::abort();
  return 0;
}
