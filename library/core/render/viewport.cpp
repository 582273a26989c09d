#include "library/core/render/viewport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "library/core/actors/skinned_models.h"
#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/win/ascii_case.h"
#include "platform/win/clock.h"
#include "platform/win/window.h"

using namespace d3d;

ViewportRecord* ViewportTable = nullptr;
int32_t ViewportCount = 0;
int32_t CurrentViewport = 0;
float ViewMatrix[16] = {};

namespace {

bool SceneBegun = false;

// How long a lost device is given before the next attempt, on the process's clock.
constexpr std::chrono::milliseconds kLostWaitInClear{1000};
constexpr std::chrono::milliseconds kLostWaitInPresent{2000};
constexpr D3DCOLOR kCreatedBackground = 0xff000000;
constexpr intptr_t kNoOverrideWindow = -1;

ViewportRecord* RecordAt(int32_t index) {
  if (index < 0 || index >= ViewportCount) return nullptr;
  return &ViewportTable[index];
}

ViewportRecord* InUseAt(int32_t index) {
  ViewportRecord* record = RecordAt(index);
  return record != nullptr && record->inUse != 0 ? record : nullptr;
}

// Takes the first free record or grows the table by one; -1 when memory runs out.
int32_t Allocate() {
  for (int32_t index = 0; index < ViewportCount; ++index) {
    if (ViewportTable[index].inUse == 0) {
      ViewportTable[index] = {};
      ViewportTable[index].inUse = 1;
      ViewportTable[index].index = index;
      return index;
    }
  }
  const int32_t index = ViewportCount;
  if (!GrowTable(&ViewportTable, &ViewportCount, 1)) return -1;
  ViewportTable[index].inUse = 1;
  ViewportTable[index].index = index;
  return index;
}

void SetWholeRectangle(ViewportRecord& record) {
  record.rectangle = {
      0, 0, static_cast<DWORD>(record.width), static_cast<DWORD>(record.height), 0.0f, 1.0f};
}

void ReleaseSurfaces(ViewportRecord& record) {
  SafeRelease(record.backBuffer);
  SafeRelease(record.swapChain);
  SafeRelease(record.depthSurface);
}

// Makes viewport 0 the render target again.
void TargetMainViewport() {
  ViewportRecord* main = InUseAt(0);
  if (main == nullptr || CurrentDevice == nullptr) return;
  CurrentDevice->SetRenderTarget(main->backBuffer, main->depthSurface);
  CurrentDevice->SetViewport(&main->rectangle);
}

void LogSurfaceFailure(const char* what, HRESULT result) {
  AddLog(
      "VIEWPORT MANAGER ERROR : Viewport_OnReset : Couldn't create %s, unknown DirectX error. "
      "Maybe Out of video memory. dx error : %d",
      what, result);
}

}  // namespace

IDirect3DSurface8* Viewport_CurrentBackBuffer() {
  const ViewportRecord* record = InUseAt(CurrentViewport);
  return record != nullptr ? record->backBuffer : nullptr;
}

HWND Viewport_CurrentWindow() {
  const ViewportRecord* record = InUseAt(CurrentViewport);
  return record != nullptr ? record->window : nullptr;
}

int32_t Internal_GetBackbuffer(IDirect3DSurface8** surface) {
  if (surface == nullptr) return 0;
  *surface = Viewport_CurrentBackBuffer();
  if (*surface == nullptr) return 0;
  (*surface)->AddRef();
  return 1;
}

int32_t Viewport_Initialize() {
  AddLog("VIEWPORT MANAGER : Main viewport initialization");
  const int32_t index = Allocate();
  if (index != 0) {
    AddLog(
        "VIEWPORT MANAGER ERROR : Viewport_Initialize : The first viewport created should have "
        "the index 0, but the index is %d, so something has been unreleased in the last session, "
        "check it out !",
        index);
    return 0;
  }
  ViewportRecord& record = ViewportTable[0];
  record.width = static_cast<int32_t>(DevicePresentParams.BackBufferWidth);
  record.height = static_cast<int32_t>(DevicePresentParams.BackBufferHeight);
  record.main = 1;
  record.depth = 1;
  record.window = DevicePresentParams.hDeviceWindow;
  SetWholeRectangle(record);
  record.params = DevicePresentParams;
  if (CurrentDevice != nullptr) {
    CurrentDevice->GetDepthStencilSurface(&record.depthSurface);
    CurrentDevice->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &record.backBuffer);
  }
  CurrentViewport = 0;
  AddLog("VIEWPORT MANAGER : Main viewport initialized (%dx%d)", record.width, record.height);
  return 1;
}

int32_t Viewport_Create(HWND window, int32_t, const char* name) {
  for (int32_t index = 0; index < ViewportCount; ++index) {
    if (ViewportTable[index].inUse != 0 && ViewportTable[index].window == window) {
      AddLog(
          "VIEWPORT MANAGER ERROR : Viewport_Create : the hwnd %d is already used for the "
          "viewport %d. Specify another hwnd (control or form) if you want to create a new "
          "viewport.",
          static_cast<int32_t>(reinterpret_cast<intptr_t>(window)), index);
      return 0;
    }
  }
  const int32_t index = Allocate();
  if (index < 0) return 0;
  ViewportRecord& record = ViewportTable[index];
  if (name != nullptr && name[0] != '\0') {
    CopyToField(record.name, sizeof record.name, name);
  } else {
    std::snprintf(record.name, sizeof record.name, "Viewport%d", index);
  }
  record.window = window;
  win::GetClientSize(window, &record.width, &record.height);
  record.depth = 1;
  record.params = DevicePresentParams;
  record.params.BackBufferWidth = static_cast<UINT>(record.width);
  record.params.BackBufferHeight = static_cast<UINT>(record.height);
  record.params.hDeviceWindow = window;
  record.background = kCreatedBackground;
  SetWholeRectangle(record);
  if (record.width <= 0 || record.height <= 0) {
    AddLog(
        "VIEWPORT MANAGER ERROR : Viewport_Create : the width or the height is not correct for "
        "the new viewport (hwnd %d, width : %d, height : %d)",
        static_cast<int32_t>(reinterpret_cast<intptr_t>(window)), record.width, record.height);
    record = {};
    return 0;
  }
  // A viewport without surfaces would bind nothing at its first Clear: free it instead.
  if (Viewport_OnReset(index) == 0) {
    ReleaseSurfaces(record);
    record = {};
    return 0;
  }
  return index;
}

int32_t Viewport_OnReset(int32_t index) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  if (CurrentDevice == nullptr) {
    AddLog(
        "VIEWPORT MANAGER ERROR : Can't create rendering surfaces if there is no 3d device "
        "enabled");
    return 0;
  }
  const bool currentSecondary = index == CurrentViewport && index != 0;
  if (currentSecondary) TargetMainViewport();
  ReleaseSurfaces(*record);
  if (record->main != 0) {
    CurrentDevice->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &record->backBuffer);
    CurrentDevice->GetDepthStencilSurface(&record->depthSurface);
    return 1;
  }
  if (const HRESULT result =
          CurrentDevice->CreateAdditionalSwapChain(&record->params, &record->swapChain);
      FAILED(result)) {
    LogSurfaceFailure("rendering surfaces", result);
    return 0;
  }
  record->swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &record->backBuffer);
  if (record->depth != 0) {
    if (const HRESULT result = CurrentDevice->CreateDepthStencilSurface(
            static_cast<UINT>(record->width), static_cast<UINT>(record->height),
            DevicePresentParams.AutoDepthStencilFormat, D3DMULTISAMPLE_NONE, &record->depthSurface);
        FAILED(result)) {
      LogSurfaceFailure("depth surface", result);
      return 0;
    }
  }
  if (currentSecondary) {
    CurrentDevice->SetRenderTarget(record->backBuffer, record->depthSurface);
    CurrentDevice->SetViewport(&record->rectangle);
  }
  return 1;
}

int32_t Viewport_OnResetAll() {
  int32_t result = 1;
  for (int32_t index = 0; index < ViewportCount; ++index) {
    if (ViewportTable[index].inUse != 0 && Viewport_OnReset(index) == 0) result = 0;
  }
  return result;
}

int32_t Viewport_OnLost(int32_t index) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  ReleaseSurfaces(*record);
  return 1;
}

int32_t Viewport_OnLostAll() {
  for (int32_t index = 0; index < ViewportCount; ++index) Viewport_OnLost(index);
  return 1;
}

int32_t Viewport_Destroy(int32_t index) {
  if (index == 0) {
    AddLog("VIEWPORT MANAGER ERROR : Viewport_Destroy : you can't destroy the main viewport.");
    return 0;
  }
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  record->inUse = 0;
  if (index == CurrentViewport) {
    CurrentViewport = 0;
    TargetMainViewport();
  }
  ReleaseSurfaces(*record);
  return 1;
}

int32_t Viewport_UnloadAll() {
  for (int32_t index = 1; index < ViewportCount; ++index) Viewport_Destroy(index);
  if (ViewportCount > 0) ReleaseSurfaces(ViewportTable[0]);
  FreeTable(reinterpret_cast<void**>(&ViewportTable), &ViewportCount);
  CurrentViewport = 0;
  SceneBegun = false;
  // The camera was the released viewports'.
  std::fill(std::begin(ViewMatrix), std::end(ViewMatrix), 0.0f);
  return 1;
}

int32_t Viewport_Clear(int32_t index, int32_t keepColour) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr || CurrentDevice == nullptr) return 0;
  DevicePresentParams = record->params;
  if (index != CurrentViewport) {
    if (record->main == 0 && record->autoResize != 0) Viewport_Resize(index, nullptr);
    CurrentViewport = index;
    CurrentDevice->SetRenderTarget(record->backBuffer, record->depthSurface);
  }
  SceneBegun = true;
  DWORD flags = 0;
  const D3DFORMAT depthFormat = DevicePresentParams.AutoDepthStencilFormat;
  if (depthFormat == D3DFMT_D24S8 || depthFormat == D3DFMT_D15S1) flags |= D3DCLEAR_STENCIL;
  if (record->depth != 0) flags |= D3DCLEAR_ZBUFFER;
  if (keepColour == 0) flags |= D3DCLEAR_TARGET;
  if (flags != 0 &&
      CurrentDevice->Clear(0, nullptr, flags, record->background, 1.0f, 0) == D3DERR_DEVICELOST) {
    AddLog("VIEWPORT MANAGER : Device lost !!!");
    win::Wait(kLostWaitInClear);
  }
  CurrentDevice->SetViewport(&record->rectangle);
  CurrentDevice->BeginScene();
  CurrentDevice->SetRenderState(D3DRS_FILLMODE, FillMode);
  CurrentDevice->SetRenderState(D3DRS_SHADEMODE, ShadeMode);
  return 1;
}

int32_t Viewport_Present(int32_t index, intptr_t overrideWindow) {
  if (!SceneBegun) return 0;
  SceneBegun = false;
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr || index != CurrentViewport || CurrentDevice == nullptr) {
    AddLog(
        "VIEWPORT MANAGER ERROR : Problem ! The current viewport isn't the same than the "
        "presented viewport, can't render !");
    return 0;
  }
  CurrentDevice->EndScene();
  HWND override =
      overrideWindow == kNoOverrideWindow ? nullptr : reinterpret_cast<HWND>(overrideWindow);
  HRESULT result = D3D_OK;
  if (record->main != 0) {
    result = CurrentDevice->Present(nullptr, nullptr, override, nullptr);
  } else if (record->swapChain != nullptr) {
    result = record->swapChain->Present(nullptr, nullptr, override, nullptr);
  } else {
    return 0;
  }
  if (SUCCEEDED(result)) return 0;
  const HRESULT level = CurrentDevice->TestCooperativeLevel();
  if (level == D3DERR_DEVICELOST) {
    win::ShowWindow(record->window, win::SW_MINIMIZE);
    Viewport_OnLostAll();
    win::Wait(kLostWaitInPresent);
    return 0;
  }
  if (level == D3DERR_DEVICENOTRESET) {
    win::ShowWindow(record->window, win::SW_RESTORE);
    win::SetForegroundWindow(record->window);
    return 1;
  }
  return 0;
}

int32_t Viewport_Resize(int32_t index, HWND window) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  bool changed = false;
  if (window != nullptr && window != record->window) {
    record->window = window;
    record->params.hDeviceWindow = window;
    changed = true;
  }
  int32_t width = record->width;
  int32_t height = record->height;
  win::GetClientSize(record->window, &width, &height);
  if (width != record->width || height != record->height) {
    record->width = width;
    record->height = height;
    record->params.BackBufferWidth = static_cast<UINT>(width);
    record->params.BackBufferHeight = static_cast<UINT>(height);
    record->rectangle.Width = static_cast<DWORD>(width);
    record->rectangle.Height = static_cast<DWORD>(height);
    changed = true;
  }
  if (changed) Viewport_OnReset(index);
  return 1;
}

int32_t Viewport_SetTargetArea(int32_t index, int32_t x, int32_t y, int32_t width, int32_t height) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  record->rectangle.X = static_cast<DWORD>(x);
  record->rectangle.Y = static_cast<DWORD>(y);
  record->rectangle.Width = static_cast<DWORD>(width);
  record->rectangle.Height = static_cast<DWORD>(height);
  return 1;
}

int32_t Viewport_SetBackground(int32_t index, uint32_t color) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr) return 0;
  record->background = color;
  return 1;
}

d3dx::D3DXVECTOR3 Viewport_CameraPosition() {
  d3dx::D3DXMATRIX view;
  std::memcpy(&view.m[0][0], ViewMatrix, sizeof ViewMatrix);
  d3dx::D3DXMATRIX camera;
  if (d3dx::D3DXMatrixInverse(&camera, nullptr, &view) == nullptr) return {{0, 0, 0}};
  return {{camera.m[3][0], camera.m[3][1], camera.m[3][2]}};
}

int32_t Viewport_SetCamera(const float* viewMatrix, const float*) {
  if (viewMatrix != nullptr) std::memcpy(ViewMatrix, viewMatrix, sizeof ViewMatrix);
  return 1;
}

int32_t Viewport_GetWidth(int32_t index) {
  const ViewportRecord* record = InUseAt(index);
  return record != nullptr ? record->width : 0;
}

int32_t Viewport_GetHeight(int32_t index) {
  const ViewportRecord* record = InUseAt(index);
  return record != nullptr ? record->height : 0;
}

HWND Viewport_GetHwnd(int32_t index) {
  const ViewportRecord* record = InUseAt(index);
  return record != nullptr ? record->window : nullptr;
}

int32_t Viewport_GetName(int32_t index, char* destination) {
  const ViewportRecord* record = InUseAt(index);
  if (record == nullptr || destination == nullptr) return 0;
  CopyToField(destination, sizeof record->name, record->name);
  return 1;
}

int32_t Viewport_SetName(int32_t index, const char* name) {
  ViewportRecord* record = InUseAt(index);
  if (record == nullptr || name == nullptr) return 0;
  CopyToField(record->name, sizeof record->name, name);
  return 1;
}

int32_t Viewport_GetViewportByName(const char* name) {
  if (name == nullptr) return 0;
  for (int32_t index = 0; index < ViewportCount; ++index) {
    if (ViewportTable[index].inUse != 0 &&
        win::EqualsIgnoringCase(ViewportTable[index].name, name)) {
      return index;
    }
  }
  AddLog("VIEWPORT MANAGER ERROR : couldn't find the viewport '%s' in the viewport list.", name);
  return 0;
}

int32_t Viewport_SetParameters(int32_t index, int32_t autoResize) {
  if (index < 0 || index >= ViewportCount) return 0;
  ViewportTable[index].autoResize = autoResize;
  return 1;
}

int32_t Viewport_ResetDevice(D3DPRESENT_PARAMETERS* params) {
  ViewportRecord* main = InUseAt(0);
  if (params == nullptr || main == nullptr || CurrentDevice == nullptr) return 0;
  // The processor-path studio models' dynamic buffers and the software-skinned meshes are
  // device objects a reset does not keep.
  MDL_OnLostAll();
  SkinnedMesh_OnLostAll();
  // A device resets only when nothing holds its back buffer or depth surface.
  ReleaseSurfaces(*main);
  main->params = *params;
  main->width = static_cast<int32_t>(params->BackBufferWidth);
  main->height = static_cast<int32_t>(params->BackBufferHeight);
  SetWholeRectangle(*main);
  const HRESULT result = CurrentDevice->Reset(params);
  if (FAILED(result)) {
    AddLog(
        "VIEWPORT MANAGER ERROR : Viewport_ResetDevice : the device couldn't be reset. dx error : "
        "%d",
        result);
    return 0;
  }
  DevicePresentParams = *params;
  Viewport_OnReset(0);
  CurrentDevice->SetViewport(&main->rectangle);
  MDL_OnResetAll();
  SkinnedMesh_OnResetAll();
  return 1;
}
