// Device creation, release of every family and shutdown.
#include "library/core/actors/entities.h"
#include "library/core/actors/md2_models.h"
#include "library/core/actors/mdl_models.h"
#include "library/core/actors/skinned_models.h"
#include "library/core/frame/debug_log.h"
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

using namespace d3d;

namespace {

constexpr size_t kErrorTextSize = 512;  // characters of a result code's text

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
