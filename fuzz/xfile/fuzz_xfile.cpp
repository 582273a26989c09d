// Reads an X file, loads its model, writes it back as text, and puts every top-level mesh on a
// headless device as a skin mesh, blended and skinned in software.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/x_file_d3dx.h"
#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/d3dx/x_file_writer.h"
#include "tests/platform/d3dx/headless_device.h"

namespace {

constexpr size_t kMaxInputBytes = size_t{1} << 20;

d3d::IDirect3DDevice8* Device() {
  static d3d::IDirect3DDevice8* device = d3dx_test::CreateHeadlessDevice();
  return device;
}

void PutOnDevice(const d3dx::XDataObject& meshObject) {
  d3dx::ComPtr<d3dx::ID3DXSkinMesh> skin;
  if (d3d::FAILED(d3dx::D3DXLoadSkinMeshFromXof(meshObject, d3dx::D3DXMESH_SYSTEMMEM, Device(),
                                                nullptr, nullptr, nullptr, nullptr, nullptr,
                                                skin.Out()))) {
    return;
  }
  d3dx::ComPtr<d3dx::ID3DXMesh> blended;
  skin->ConvertToBlendedMesh(d3dx::D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, blended.Out());
  d3dx::ComPtr<d3dx::ID3DXMesh> skinned;
  if (d3d::SUCCEEDED(
          skin->GenerateSkinnedMesh(d3dx::D3DXMESH_MANAGED, 0, nullptr, nullptr, skinned.Out()))) {
    std::vector<d3dx::D3DXMATRIX> bones(skin->GetNumBones());
    for (d3dx::D3DXMATRIX& bone : bones) d3dx::D3DXMatrixIdentity(&bone);
    skin->UpdateSkinnedMesh(bones.data(), nullptr, skinned.Get());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  try {
    d3dx::XFileDocument document = d3dx::ReadXFile(std::span<const uint8_t>(data, size));
    d3dx::XModel model = d3dx::LoadXModel(document);
    d3dx::MergeXMeshes(model.root);
    for (const d3dx::XDataObject& object : document.objects) {
      if (d3dx::IsXTemplate(object, "Mesh")) PutOnDevice(object);
    }
    std::string text = d3dx::WriteXText(document);
    d3dx::ReadXFile(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  } catch (const d3dx::XFileError&) {
  }
  return 0;
}
