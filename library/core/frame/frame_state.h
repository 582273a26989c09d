// The module state every family shares: the one device, its capabilities and presentation
// parameters, and the settings the caller hands the library. Zero at load, as the loader leaves it.
#pragma once

#include <cstdint>

#include "library/core/vortanautil.h"

extern d3d::IDirect3DDevice8* CurrentDevice;
// True when CurrentDevice is the caller's device taken over by SetDevice: the library then holds no
// reference of its own and must never release it.
extern bool CurrentDeviceAdopted;
extern d3d::D3DCAPS8 DeviceCaps;
extern d3d::D3DPRESENT_PARAMETERS DevicePresentParams;
extern EngineCallbackFunction EngineCallback;
extern d3dx::ID3DXMesh* MeshMailbox;
extern int32_t ShaderMode;
extern int32_t FpuPreserve;
extern int32_t ShaderIndex;
extern int32_t* PolygonCounter;
extern d3d::D3DSHADEMODE ShadeMode;
extern d3d::D3DFILLMODE FillMode;

// Adds primitives to the caller's counter when the caller gave one.
inline void CountPolygons(int32_t primitives) {
  if (PolygonCounter != nullptr) *PolygonCounter += primitives;
}

// Objects that reach the library only as COM-shaped pointers of a layer not included here (meshes,
// render-to-surface objects) are counted through their first three operations.
inline d3d::IUnknown* AsUnknown(void* comObject) { return static_cast<d3d::IUnknown*>(comObject); }

// Releases the object if there is one and clears the pointer, so that a second release is harmless.
template <class T>
void SafeRelease(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}
