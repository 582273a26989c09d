#include "library/core/actors/md2_system.h"

#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"

using namespace d3d;

int32_t MD2ShaderHandle = -1;
int32_t MD2ShaderOption = 0;
IDirect3DVertexBuffer8* MD2SharedBuffer = nullptr;

namespace {

// Set while no MD2 shader exists.
bool NoShader = true;

// A shader for the usage, or 0 when the device refuses it.
DWORD CreateShader(const std::vector<DWORD>& declaration, const std::vector<DWORD>& program,
                   DWORD usage) {
  DWORD handle = 0;
  if (FAILED(CurrentDevice->CreateVertexShader(declaration.data(), program.data(), &handle, usage)))
    return 0;
  return handle;
}

void BuildShadersAndBuffer(int32_t option) {
  // A second build without a loss in between would otherwise leak the first one's objects.
  MD2System_LostAll();
  MD2ShaderHandle = -1;
  ShaderIndex = 0;
  NoShader = true;
  if (CurrentDevice == nullptr) return;
  bool createShaders = true;
  DWORD usage = D3DUSAGE_SOFTWAREPROCESSING;
  if (option != 0) {
    D3DCAPS8 caps{};
    CurrentDevice->GetDeviceCaps(&caps);
    usage = 0;
    createShaders = caps.VertexShaderVersion >= D3DVS_VERSION(1, 1);
  }
  if (createShaders) {
    if (DWORD handle = CreateShader(MD2ShaderDeclaration(), MD2ShaderProgram(), usage)) {
      AddLog("MD2 SYSTEM : MD2 Vertex Shader created.");
      MD2ShaderHandle = static_cast<int32_t>(handle);
      NoShader = false;
    }
  }
  CurrentDevice->CreateVertexBuffer(kMD2SharedBufferBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                    kMD2VertexFormat, D3DPOOL_DEFAULT, &MD2SharedBuffer);
  if (createShaders) {
    if (DWORD handle = CreateShader(MDLShaderDeclaration(), MDLShaderProgram(), usage)) {
      AddLog("MDL SYSTEM : Vertex Shader created.");
      ShaderIndex = static_cast<int32_t>(handle);
    }
  }
}

}  // namespace

bool MD2_SoftwarePath() { return NoShader || ShaderMode != 0; }

int32_t InitMD2() {
  AddLog("MD2 SYSTEM : Initializing Vertex Shader...");
  BuildShadersAndBuffer(0);
  return 1;
}

int32_t InitMD2Second(int32_t option) {
  AddLog("MD2 SYSTEM : Preparing md2 vertex shader");
  MD2ShaderOption = option;
  BuildShadersAndBuffer(option);
  return 1;
}

int32_t MD2System_LostAll() {
  if (CurrentDevice != nullptr) {
    if (MD2ShaderHandle > 0) CurrentDevice->DeleteVertexShader(static_cast<DWORD>(MD2ShaderHandle));
    if (ShaderIndex > 0) CurrentDevice->DeleteVertexShader(static_cast<DWORD>(ShaderIndex));
  }
  MD2ShaderHandle = -1;
  ShaderIndex = 0;
  NoShader = true;
  SafeRelease(MD2SharedBuffer);
  return 1;
}
