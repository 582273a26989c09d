#include <bit>

#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using Fog = LibraryTest;

DWORD State(IDirect3DDevice8* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  device->GetRenderState(state, &value);
  return value;
}

TEST_F(Fog, WithoutADeviceTheSettingsAreKept) {
  EXPECT_EQ(Atmosphere_FogSetEnable(1), 1);
  EXPECT_EQ(Atmosphere_FogSetParameters(2.0f, 30.0f, 0.5f), 1);
  EXPECT_EQ(Atmosphere_ApplyFog(), 1);
  int32_t enabled = 0;
  float start = 0, end = 0, density = 0;
  Atmosphere_FogGetEnable(&enabled);
  Atmosphere_FogGetParameters(&start, &end, &density);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(start, 2.0f);
  EXPECT_EQ(end, 30.0f);
  EXPECT_EQ(density, 0.5f);
  Atmosphere_FogSetEnable(0);
}

TEST_F(Fog, DeviceCreationSetsWhiteExponentialFog) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  float r = 0, g = 0, b = 0, start = 0, end = 0, density = 0;
  int32_t mode = 0, kind = -1;
  Atmosphere_FogGetColor(&r, &g, &b);
  Atmosphere_FogGetParameters(&start, &end, &density);
  Atmosphere_FogGetType(&mode, &kind);
  EXPECT_EQ(r + g + b, 3.0f);
  EXPECT_EQ(start, 1.0f);
  EXPECT_EQ(end, 1000.0f);
  EXPECT_FLOAT_EQ(density, 0.001f);
  EXPECT_EQ(mode, D3DFOG_EXP);
  EXPECT_EQ(kind, 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Fog, TheKindChoosesTableRangeOrVertexFog) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  Atmosphere_FogSetEnable(1);
  Atmosphere_FogSetParameters(5.0f, 50.0f, 0.25f);
  // Channels above 1 or below 0 are clamped instead of spilling into their neighbours.
  Atmosphere_FogSetColor(2.0f, -1.0f, 0.5f);
  struct Case {
    int32_t kind;
    DWORD range, table, vertex;
  };
  const Case cases[] = {{0, 0, D3DFOG_LINEAR, D3DFOG_NONE},
                        {1, 1, D3DFOG_LINEAR, D3DFOG_NONE},
                        {2, 0, D3DFOG_NONE, D3DFOG_LINEAR}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Atmosphere_FogSetType(D3DFOG_LINEAR, c.kind);
    EXPECT_EQ(State(device_, D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(State(device_, D3DRS_RANGEFOGENABLE), c.range);
    EXPECT_EQ(State(device_, D3DRS_FOGTABLEMODE), c.table);
    EXPECT_EQ(State(device_, D3DRS_FOGVERTEXMODE), c.vertex);
    EXPECT_EQ(State(device_, D3DRS_FOGCOLOR), 0xFFFF007Fu);
    EXPECT_EQ(std::bit_cast<float>(State(device_, D3DRS_FOGSTART)), 5.0f);
    EXPECT_EQ(std::bit_cast<float>(State(device_, D3DRS_FOGEND)), 50.0f);
    EXPECT_EQ(std::bit_cast<float>(State(device_, D3DRS_FOGDENSITY)), 0.25f);
  }
  float r = 0, g = 0, b = 0;
  Atmosphere_FogGetColor(&r, &g, &b);
  EXPECT_EQ(r, 1.0f);
  EXPECT_EQ(g, 0.0f);
  EXPECT_NEAR(b, 0.498f, 0.001f);
  Atmosphere_FogSetEnable(0);
  EXPECT_EQ(State(device_, D3DRS_FOGENABLE), 0u);
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
