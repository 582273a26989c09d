#include "platform/d3dx/error_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace d3d;

TEST(D3dxErrorString, NamesKnownCodesAndCutsToTheBuffer) {
  char text[512];
  ASSERT_EQ(D3D_OK, d3dx::D3DXGetErrorStringA(D3DERR_DEVICELOST, text, sizeof text));
  EXPECT_EQ(std::string("D3DERR_DEVICELOST"), text);
  d3dx::D3DXGetErrorStringA(MakeResult(0x80001234u), text, sizeof text);
  EXPECT_EQ(std::string("Unknown error 0x80001234"), text);
  char small[6];
  d3dx::D3DXGetErrorStringA(E_OUTOFMEMORY, small, sizeof small);
  EXPECT_EQ(std::string("E_OUT"), small);
  EXPECT_EQ(D3DERR_INVALIDCALL, d3dx::D3DXGetErrorStringA(E_FAIL, nullptr, 512));
}

}  // namespace
