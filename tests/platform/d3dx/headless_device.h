// A headless device for the D3DX tests, fuzz targets and benchmarks.
#pragma once

#include "platform/d3d/headless.h"

namespace d3dx_test {

// A windowed device of a small back buffer on a headless creation object of this configuration;
// the device holds the creation object. Null when the configuration refuses devices.
d3d::IDirect3DDevice8* CreateHeadlessDevice(
    const d3d::HeadlessConfig& config = d3d::HeadlessConfig{});

}  // namespace d3dx_test
