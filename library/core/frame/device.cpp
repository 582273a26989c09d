// The device state every family shares, adoption of the caller's device, and the small exports
// that hand device objects and settings across the interface.
#include <dlfcn.h>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/mesh.h"

using namespace d3d;

IDirect3DDevice8* CurrentDevice = nullptr;
bool CurrentDeviceAdopted = false;
D3DCAPS8 DeviceCaps = {};
D3DPRESENT_PARAMETERS DevicePresentParams = {};
EngineCallbackFunction EngineCallback = nullptr;
d3dx::ID3DXMesh* MeshMailbox = nullptr;
int32_t ShaderMode = 0;
int32_t FpuPreserve = 0;
int32_t ShaderIndex = 0;
int32_t* PolygonCounter = nullptr;
D3DSHADEMODE ShadeMode = D3DSHADE_GOURAUD;
D3DFILLMODE FillMode = D3DFILL_SOLID;

namespace {

constexpr int32_t kDllVersion = 6;
constexpr int32_t kDllRevision = 100;
constexpr uint32_t kMeshRequestEvent = 800;

// The presentation parameters of an adopted device, read back from the device itself, so that the
// families that size things by them see the device's real sizes and formats.
void ReadParametersFromDevice(IDirect3DDevice8* device) {
  DevicePresentParams = {};
  DevicePresentParams.Windowed = 1;
  DevicePresentParams.BackBufferCount = 1;
  device->GetDeviceCaps(&DeviceCaps);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  if (SUCCEEDED(device->GetCreationParameters(&creation))) {
    DevicePresentParams.hDeviceWindow = creation.hFocusWindow;
  }
  IDirect3DSurface8* surface = nullptr;
  D3DSURFACE_DESC desc{};
  if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface)) &&
      SUCCEEDED(surface->GetDesc(&desc))) {
    DevicePresentParams.BackBufferWidth = desc.Width;
    DevicePresentParams.BackBufferHeight = desc.Height;
    DevicePresentParams.BackBufferFormat = desc.Format;
  }
  SafeRelease(surface);
  if (SUCCEEDED(device->GetDepthStencilSurface(&surface)) && SUCCEEDED(surface->GetDesc(&desc))) {
    DevicePresentParams.EnableAutoDepthStencil = 1;
    DevicePresentParams.AutoDepthStencilFormat = desc.Format;
  }
  SafeRelease(surface);
}

}  // namespace

int32_t DllMain(void*, uint32_t, void*) { return 1; }

int32_t GetDllVersion(int32_t* version, int32_t* revision) {
  if (version != nullptr) *version = kDllVersion;
  if (revision != nullptr) *revision = kDllRevision;
  return 0;
}

int32_t GetPathDLL(char* destination) {
  if (destination == nullptr) return 0;
  Dl_info info{};
  const bool found =
      dladdr(reinterpret_cast<void*>(&GetPathDLL), &info) != 0 && info.dli_fname != nullptr;
  CopyToField(destination, kPathBufferSize, found ? info.dli_fname : "");
  return 1;
}

int32_t SetDevice(IUnknown** device) {
  IDirect3DDevice8* adopted = nullptr;
  if (device == nullptr || *device == nullptr ||
      FAILED((*device)->QueryInterface(IID_IDirect3DDevice8, reinterpret_cast<void**>(&adopted))) ||
      adopted == nullptr) {
    return 1;
  }
  // The caller keeps ownership: the library holds no reference and will release none.
  adopted->Release();
  CurrentDevice = adopted;
  CurrentDeviceAdopted = true;
  ReadParametersFromDevice(adopted);
  return 0;
}

int32_t Device_SetShadeMode(int32_t shadeMode) {
  if (CurrentDevice != nullptr) {
    CurrentDevice->SetRenderState(D3DRS_SHADEMODE, static_cast<DWORD>(shadeMode));
    ShadeMode = static_cast<D3DSHADEMODE>(shadeMode);
  }
  return 1;
}

int32_t Device_SetRenderMode(int32_t fillMode) {
  if (CurrentDevice != nullptr) {
    CurrentDevice->SetRenderState(D3DRS_FILLMODE, static_cast<DWORD>(fillMode));
    FillMode = static_cast<D3DFILLMODE>(fillMode);
  }
  return 1;
}

int32_t Internal_SetFPUPreserve(int32_t flag) {
  FpuPreserve = flag;
  return 1;
}

int32_t Engine_SetCallback(EngineCallbackFunction callback) {
  EngineCallback = callback;
  return 1;
}

int32_t Engine_SetShaderMode(int32_t flag) {
  ShaderMode = flag != 0 ? 1 : 0;
  return flag;
}

int32_t System_SetVariables(int32_t, int32_t* polygonCounter, int32_t) {
  PolygonCounter = polygonCounter;
  return 1;
}

int32_t SetShaderIndex(int32_t index) {
  ShaderIndex = index;
  return 0;
}

int32_t GetShaderIndex() { return ShaderIndex; }

int32_t SetDebugValue(int32_t, int32_t) { return 1; }

int32_t Internal_GetDevice(IDirect3DDevice8** device) {
  if (device == nullptr) return 0;
  *device = CurrentDevice;
  return 1;
}

int32_t Internal_SendMesh(d3dx::ID3DXMesh** mesh) {
  MeshMailbox = mesh != nullptr ? *mesh : nullptr;
  return 1;
}

int32_t Internal_GetMesh(int32_t identifier, d3dx::ID3DXMesh** mesh) {
  if (mesh == nullptr) return 0;
  *mesh = nullptr;
  // Cleared first, so that a callback that sends nothing cannot hand back the previous mesh.
  MeshMailbox = nullptr;
  if (EngineCallback == nullptr) return 0;
  EngineCallback(kMeshRequestEvent, identifier, 0, nullptr);
  if (MeshMailbox == nullptr) return 0;
  MeshMailbox->AddRef();
  *mesh = MeshMailbox;
  return 1;
}

namespace {

int32_t CallRegistrationEntry(const char* libraryFile, const char* entryName) {
  if (libraryFile == nullptr || libraryFile[0] == '\0') return 0;
  void* library = dlopen(HostPath(libraryFile).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return 0;
  using Entry = int32_t (*)();
  auto entry = reinterpret_cast<Entry>(dlsym(library, entryName));
  if (entry != nullptr) entry();
  dlclose(library);
  return entry != nullptr ? 1 : 0;
}

}  // namespace

int32_t CheckEngineRegistration(const char* libraryFile) {
  return CallRegistrationEntry(libraryFile, "DllRegisterServer");
}

int32_t DeRegistration(const char* libraryFile) {
  return CallRegistrationEntry(libraryFile, "DllUnregisterServer");
}
