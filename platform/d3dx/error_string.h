// Texts of result codes, for logs.
#pragma once

#include "platform/d3d/types.h"

namespace d3dx {

// Writes the name of the result code (or "Unknown error 0x........") into buffer, cut to size - 1
// characters and always terminated; D3DERR_INVALIDCALL for a null buffer or a size of 0.
d3d::HRESULT D3DXGetErrorStringA(d3d::HRESULT result, char* buffer, d3d::UINT size);

}  // namespace d3dx
