#include "platform/d3dx/error_string.h"

#include <cstdio>

#include "platform/d3dx/mesh.h"
#include "platform/d3dx/texture.h"
#include "platform/d3dx/x_file_d3dx.h"

namespace d3dx {
namespace {

using namespace d3d;

struct Named {
  HRESULT result;
  const char* name;
};

constexpr Named kNames[] = {
    {D3D_OK, "D3D_OK"},
    {E_FAIL, "E_FAIL"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
    {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION"},
    {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE"},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR"},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
    {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
    {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH"},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA"},
    {D3DXERR_TOOMANYINFLUENCES, "D3DXERR_TOOMANYINFLUENCES"},
    {D3DXERR_LOADEDMESHASNODATA, "D3DXERR_LOADEDMESHASNODATA"},
};

}  // namespace

HRESULT D3DXGetErrorStringA(HRESULT result, char* buffer, UINT size) {
  if (buffer == nullptr || size == 0) return D3DERR_INVALIDCALL;
  for (const Named& named : kNames) {
    if (named.result == result) {
      std::snprintf(buffer, size, "%s", named.name);
      return D3D_OK;
    }
  }
  std::snprintf(buffer, size, "Unknown error 0x%08X", static_cast<unsigned>(result));
  return D3D_OK;
}

}  // namespace d3dx
