// Device creation, adoption, release of every family and shutdown, and the small exports that
// hand device objects and settings across the interface.
#include <dlfcn.h>

#include "library/core/actors/entities.h"
#include "library/core/actors/md2_models.h"
#include "library/core/actors/mdl_models.h"
#include "library/core/actors/skinned_models.h"
#include "library/core/frame/debug_log.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/geometry/frustum.h"
#include "library/core/geometry/path_search.h"
#include "library/core/levels/d3_maps.h"
#include "library/core/render/atmosphere.h"
#include "library/core/render/fps_display.h"
#include "library/core/render/screen2d.h"
#include "library/core/render/texture_factory.h"
#include "library/core/render/viewport.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/error_string.h"
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
constexpr size_t kErrorTextSize = 512;  // characters of a result code's text

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

void LogCreationFailure(HRESULT result) {
  char text[kErrorTextSize];
  d3dx::D3DXGetErrorStringA(result, text, sizeof text);
  AddLog("DEVICE INIT : Failed : Error %d, %s", result, text);
}

void InitializeFamilies() {
  MaterialFactory_Initialize();
  TextureFactory_Initialize();
  TextureFactory_InitializeTextureMemory();
  TextureFactory_CreateFpsDisplay();
  TextureFactory_Initialize();
  TextureFactory_CreateBumpMap();
  Viewport_Initialize();
  Atmosphere_Initialize();
  // The atmosphere's defaults: box and sphere at 1500 units, all white; white exponential pixel
  // fog from 1 to 1000 units, off until enabled.
  Atmosphere_SkyBoxSetDistance(1500.0f);
  Atmosphere_SkySphereSetRadius(1500.0f);
  Atmosphere_FogSetColor(1.0f, 1.0f, 1.0f);
  Atmosphere_SkySphereSetColor(1.0f, 1.0f, 1.0f, 1.0f);
  Atmosphere_SkyBoxSetColor(1.0f, 1.0f, 1.0f, 1.0f);
  Atmosphere_FogSetParameters(1.0f, 1000.0f, 0.001f);
  Atmosphere_FogSetType(D3DFOG_EXP, kFogPixel);
  Boundings_Init();
  CurrentDevice->SetRenderState(D3DRS_ZBIAS, 0);
}

// The device holds what is bound to it; unbinding lets the families' released objects go.
void UnbindDeviceObjects() {
  CurrentDevice->SetTexture(0, nullptr);
  CurrentDevice->SetTexture(1, nullptr);
  CurrentDevice->SetRenderTarget(nullptr, nullptr);
  CurrentDevice->SetStreamSource(0, nullptr, 0);
  CurrentDevice->SetIndices(nullptr, 0);
}

// Drops the library's hold on the current device: its own reference for a created device, nothing
// for an adopted one. Returns the references left on a created device.
int32_t ReleaseCurrentDevice() {
  ULONG left = 0;
  if (!CurrentDeviceAdopted) left = CurrentDevice->Release();
  CurrentDevice = nullptr;
  CurrentDeviceAdopted = false;
  return static_cast<int32_t>(left);
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

int32_t VortanaSystem_CreateDevice(int32_t adapter, int32_t deviceType, HWND focusWindow,
                                   int32_t behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                   IDirect3DDevice8** device, IDirect3D8** direct3d) {
  if (direct3d == nullptr || *direct3d == nullptr || params == nullptr) {
    LogCreationFailure(D3DERR_INVALIDCALL);
    return D3DERR_INVALIDCALL;
  }
  if (CurrentDevice != nullptr) {
    AddLog("DEVICE INIT : Unloading previous device leak !!! WARNING !! Can be really instable !");
    // The families' objects belong to the old device: free them with it, or viewport 0 and the
    // texture table would keep surfaces of a device that is no longer current.
    ReleaseAll();
    UnbindDeviceObjects();
    TextureFactory_ReleaseFpsDisplay();
    ReleaseCurrentDevice();
    AddLog("DEVICE INIT : Device cleaned");
  }
  DWORD flags = static_cast<DWORD>(behaviorFlags);
  if (FpuPreserve != 0) flags |= D3DCREATE_FPU_PRESERVE;
  const HRESULT result =
      (*direct3d)->CreateDevice(static_cast<UINT>(adapter), static_cast<D3DDEVTYPE>(deviceType),
                                focusWindow, flags, params, &CurrentDevice);
  if (FAILED(result)) {
    CurrentDevice = nullptr;
    LogCreationFailure(result);
    return result;
  }
  CurrentDeviceAdopted = false;
  if (device != nullptr) {
    *device = CurrentDevice;
    CurrentDevice->AddRef();
  }
  CurrentDevice->GetDeviceCaps(&DeviceCaps);
  DevicePresentParams = *params;
  InitializeFamilies();
  return result;
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

int32_t ReleaseAll() {
  // A batch left open names textures and fonts of the tables freed below.
  Screen2D_Discard();
  Terrain_FreeAll();
  Atmosphere_UnloadAll();
  // The cloud dome and the layers' textures are device objects as well.
  CloudSky_Destroy();
  MaterialFactory_UnloadAll();
  // The fonts' buffers hold device references, and their glyphs live in the texture table.
  TextureFont_Unload();
  // The map materials hold identifiers of the texture table.
  D3_FreeAll();
  TextureFactory_UnloadAll();
  LightFactory_Unload();
  ShadowVolume_FreeAll();
  ShadowVolume_LostAll();
  BSPSystem_DestroyAll();
  Archive_CloseAll();
  Viewport_UnloadAll();
  WAD_CloseAll();
  // The debug sphere is a mesh of the device: it goes with the other device objects.
  Boundings_Unload();
  SkinnedMesh_DestroyAll();
  Entity_FreeAll();
  MDL_DeleteAll();
  MD2_DeleteAll();
  MD2System_LostAll();
  // Not device objects, but the session's: graphs and grids (which point at the caller's cells),
  // and the camera, which the next session sets afresh.
  AI_UnloadAll();
  AStar_FreeAll();
  Frustum_Forget();
  return 1;
}

int32_t ShutDownDevice() {
  int32_t left = 0;
  if (CurrentDevice != nullptr) {
    UnbindDeviceObjects();
    TextureFactory_ReleaseFpsDisplay();
    left = ReleaseCurrentDevice();
    if (left != 0) {
      AddLog(
          "RELEASING : PROBLEM. Not all ressources have been freed. Check if you unloaded all "
          "of your 3d objects ! Memory leak ");
      AddLog("RELEASING : Number of non-released objects : %d", left);
    }
  }
  AddLog("#########################");
  AddLog("# VORTANAUTIL Released     #");
  AddLog("#########################");
  AddLog("VORTANA : Successfully unloaded !");
  EndLog();
  return left;
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

int32_t Internal_GetTexture(int32_t identifier, IDirect3DTexture8** texture) {
  if (texture == nullptr) return 0;
  *texture = nullptr;
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (record == nullptr || record->texture == nullptr) return 0;
  record->texture->AddRef();
  *texture = record->texture;
  return 1;
}

int32_t Internal_GetBackbuffer(IDirect3DSurface8** surface) {
  if (surface == nullptr) return 0;
  *surface = Viewport_CurrentBackBuffer();
  if (*surface == nullptr) return 0;
  (*surface)->AddRef();
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
