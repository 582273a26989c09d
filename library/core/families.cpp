// Every family's part in the device's life, in one ordered table: what runs when a device is
// created, at ReleaseAll and before the library lets go of the device, and the exports that run
// it (VortanaSystem_CreateDevice, ReleaseAll, ShutDownDevice). The families know nothing of this
// file; it alone calls down into all of them.
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

void UnbindDeviceObjects() {
  CurrentDevice->SetTexture(0, nullptr);
  CurrentDevice->SetTexture(1, nullptr);
  CurrentDevice->SetRenderTarget(nullptr, nullptr);
  CurrentDevice->SetStreamSource(0, nullptr, 0);
  CurrentDevice->SetIndices(nullptr, 0);
}

// The atmosphere's defaults: box and sphere at 1500 units, all white; white exponential pixel fog
// from 1 to 1000 units, off until enabled.
void SetAtmosphereDefaults() {
  Atmosphere_SkyBoxSetDistance(1500.0f);
  Atmosphere_SkySphereSetRadius(1500.0f);
  Atmosphere_FogSetColor(1.0f, 1.0f, 1.0f);
  Atmosphere_SkySphereSetColor(1.0f, 1.0f, 1.0f, 1.0f);
  Atmosphere_SkyBoxSetColor(1.0f, 1.0f, 1.0f, 1.0f);
  Atmosphere_FogSetParameters(1.0f, 1000.0f, 0.001f);
  Atmosphere_FogSetType(D3DFOG_EXP, kFogPixel);
}

void ClearZBias() { CurrentDevice->SetRenderState(D3DRS_ZBIAS, 0); }

// The moments of the device's life at which the families act.
enum class Moment {
  kCreate,   // a device was just created: every family starts afresh on it
  kRelease,  // ReleaseAll: every family's objects and tables go, the device stays
  kDrop,     // the library is about to let go of the device (shutdown, or a create over it)
};

struct FamilyStep {
  Moment moment;
  void (*run)();
};

// A family's operation as a step; its result says nothing the sequence acts on.
template <auto Operation>
void Run() {
  Operation();
}

// Every family's initialisation and teardown, in the order each moment runs them.
constexpr FamilyStep kFamilySteps[] = {
    {Moment::kCreate, Run<MaterialFactory_Initialize>},
    // The device's free texture memory is read once the table holds no texture of an earlier one.
    {Moment::kCreate, Run<TextureFactory_Initialize>},
    {Moment::kCreate, Run<TextureFactory_InitializeTextureMemory>},
    {Moment::kCreate, Run<TextureFactory_CreateFpsDisplay>},
    // The table starts afresh once more, so that the default bump texture made next is always
    // identifier 1.
    {Moment::kCreate, Run<TextureFactory_Initialize>},
    {Moment::kCreate, Run<TextureFactory_CreateBumpMap>},
    // Viewport 0 takes its size from the presentation parameters the creation has just copied.
    {Moment::kCreate, Run<Viewport_Initialize>},
    // The defaults follow the initialisation, which clears the atmosphere's whole state.
    {Moment::kCreate, Run<Atmosphere_Initialize>},
    {Moment::kCreate, SetAtmosphereDefaults},
    {Moment::kCreate, Run<Boundings_Init>},
    {Moment::kCreate, ClearZBias},

    // A batch left open names textures and fonts of the tables freed below.
    {Moment::kRelease, Run<Screen2D_Discard>},
    {Moment::kRelease, Run<Terrain_FreeAll>},
    // The lens flares name textures of the table freed below.
    {Moment::kRelease, Run<Atmosphere_UnloadAll>},
    // The cloud dome and the layers' textures are device objects as well.
    {Moment::kRelease, Run<CloudSky_Destroy>},
    {Moment::kRelease, Run<MaterialFactory_UnloadAll>},
    // The fonts' buffers hold device references, and their glyphs live in the texture table.
    {Moment::kRelease, Run<TextureFont_Unload>},
    // The map materials hold identifiers of the texture table.
    {Moment::kRelease, Run<D3_FreeAll>},
    {Moment::kRelease, Run<TextureFactory_UnloadAll>},
    {Moment::kRelease, Run<LightFactory_Unload>},
    {Moment::kRelease, Run<ShadowVolume_FreeAll>},
    {Moment::kRelease, Run<ShadowVolume_LostAll>},
    {Moment::kRelease, Run<BSPSystem_DestroyAll>},
    {Moment::kRelease, Run<Archive_CloseAll>},
    // Only viewport 0 stays: the next creation's Viewport_Initialize must find index 0 free.
    {Moment::kRelease, Run<Viewport_UnloadAll>},
    {Moment::kRelease, Run<WAD_CloseAll>},
    // The debug sphere is a mesh of the device: it goes with the other device objects.
    {Moment::kRelease, Run<Boundings_Unload>},
    {Moment::kRelease, Run<SkinnedMesh_DestroyAll>},
    {Moment::kRelease, Run<Entity_FreeAll>},
    {Moment::kRelease, Run<MDL_DeleteAll>},
    {Moment::kRelease, Run<MD2_DeleteAll>},
    {Moment::kRelease, Run<MD2System_LostAll>},
    // Not device objects, but the session's: graphs and grids (which point at the caller's cells),
    // and the camera, which the next session sets afresh.
    {Moment::kRelease, Run<AI_UnloadAll>},
    {Moment::kRelease, Run<AStar_FreeAll>},
    {Moment::kRelease, Run<Frustum_Forget>},

    // The device holds what is bound to it; unbinding lets the families' released objects go.
    {Moment::kDrop, UnbindDeviceObjects},
    // The frame-rate display lives outside the tables and outlives ReleaseAll: it goes with the
    // device, before the reference whose release counts what is left.
    {Moment::kDrop, Run<TextureFactory_ReleaseFpsDisplay>},
};

void RunFamilySteps(Moment moment) {
  for (const FamilyStep& step : kFamilySteps) {
    if (step.moment == moment) step.run();
  }
}

// Lets the families go of the device, then drops the library's hold on it: its own reference for
// a created device, nothing for an adopted one. Returns the references left on a created device.
int32_t ReleaseCurrentDevice() {
  RunFamilySteps(Moment::kDrop);
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
  RunFamilySteps(Moment::kCreate);
  return result;
}

int32_t ReleaseAll() {
  RunFamilySteps(Moment::kRelease);
  return 1;
}

int32_t ShutDownDevice() {
  int32_t left = 0;
  if (CurrentDevice != nullptr) {
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
