#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using Lights = LibraryTest;
using Materials = LibraryTest;
using LightsWithoutDevice = LibraryTest;

D3DLIGHT8 DeviceLight(IDirect3DDevice8* device, DWORD index, BOOL* enabled) {
  D3DLIGHT8 light{};
  device->GetLight(index, &light);
  device->GetLightEnable(index, enabled);
  return light;
}

TEST_F(Lights, CreateMirrorsIntoTheDeviceAndReusesFreedRecords) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  EXPECT_EQ(LightFactory_CreateLight(nullptr, nullptr, 1), 1);
  BOOL enabled = 0;
  D3DLIGHT8 sent = DeviceLight(device_, 0, &enabled);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(sent.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(sent.Direction.y, -1.0f);
  EXPECT_EQ(sent.Specular.r, 0.2f);
  EXPECT_EQ(sent.Ambient.a, 0.8f);
  EXPECT_EQ(sent.Range, 1000.0f);
  DWORD lighting = 0;
  DWORD ambient = 0;
  device_->GetRenderState(D3DRS_LIGHTING, &lighting);
  device_->GetRenderState(D3DRS_AMBIENT, &ambient);
  EXPECT_EQ(lighting, 1u);
  EXPECT_EQ(ambient, 0xff000000u);
  char name[256] = {};
  EXPECT_EQ(LightFactory_GetLightName(1, name), 1);
  EXPECT_STREQ(name, "Light1");

  const D3DVECTOR position = {1, 2, 3};
  EXPECT_EQ(LightFactory_CreateQuickPointLight(&position, 1, 0.5f, 0.25f, 1, 40, "lamp", 0.5f), 2);
  EXPECT_EQ(LightFactory_DeleteLight(1), 0);  // the identifier minus one
  DeviceLight(device_, 0, &enabled);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(LightFactory_GetLightCount(), 2);
  EXPECT_EQ(LightFactory_GetEnabledLightCount(), 1);
  EXPECT_EQ(LightFactory_CreateLight(nullptr, "again", 1), 1);
  EXPECT_EQ(LightFactory_GetLightIDByName("LAMP"), 2);
  D3DLIGHT8 lamp{};
  EXPECT_EQ(LightFactory_GetLightInfoByName("lamp", &lamp), 1);
  EXPECT_EQ(lamp.Type, D3DLIGHT_POINT);
  EXPECT_EQ(lamp.Specular.g, 0.25f);
  EXPECT_EQ(lamp.Attenuation0, 0.1f);
  EXPECT_EQ(LightFactory_GetLightIDByName("nobody"), 0);
  EXPECT_TRUE(
      Logged("LIGHT ENGINE : LightFactory_GetLightIDByName : Couldn't find the light 'nobody' in "
             "the lights array"));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Lights, SettersRefuseByTypeAndRangeAndResendTheLight) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const D3DVECTOR down = {0, -2, 0};
  const D3DVECTOR zero = {0, 0, 0};
  const int32_t sun = LightFactory_CreateQuickDirectionalLight(&down, 1, 1, 1, 1, "sun", 1);
  const int32_t lamp = LightFactory_CreateQuickPointLight(&zero, 1, 1, 1, 1, 10, "lamp", 1);
  EXPECT_EQ(LightFactory_CreateQuickDirectionalLight(&zero, 1, 1, 1, 1, "none", 1), 0);
  EXPECT_EQ(LightFactory_SetLightRange(sun, 5), 0);
  EXPECT_TRUE(
      Logged("LIGHT ENGINE : LightFactory_SetLightRange : you can't set the range of a directional "
             "light => 1"));
  EXPECT_EQ(LightFactory_SetLightPosition(sun, &zero), 0);
  EXPECT_EQ(LightFactory_SetLightDirection(lamp, &down), 0);
  EXPECT_EQ(LightFactory_SetLightDirection(sun, &zero), 0);
  EXPECT_EQ(LightFactory_SetLightRange(9, 5), 0);
  EXPECT_TRUE(
      Logged("LIGHT ENGINE : LightFactory_SetLightRange : LightId Index out of range. => 9"));

  EXPECT_EQ(LightFactory_SetLightDirection(sun, &down), 1);
  EXPECT_EQ(LightFactory_SetLightRange(lamp, 25), 1);
  EXPECT_EQ(LightFactory_SetLightColor(lamp, 0.5f, 0.5f, 0.5f, 1), 1);
  EXPECT_EQ(LightFactory_SetLightAttenuation(lamp, 0, 0.5f, 0), 1);
  EXPECT_EQ(LightFactory_SetLightSpecularColor(lamp, 0.1f, 0.1f, 0.1f, 1), 1);
  BOOL enabled = 0;
  const D3DLIGHT8 sentSun = DeviceLight(device_, 0, &enabled);
  EXPECT_EQ(sentSun.Direction.y, -1.0f);  // stored normalised
  const D3DLIGHT8 sentLamp = DeviceLight(device_, 1, &enabled);
  EXPECT_EQ(sentLamp.Range, 25.0f);
  EXPECT_EQ(sentLamp.Ambient.r, 0.5f);
  EXPECT_EQ(sentLamp.Attenuation1, 0.5f);
  EXPECT_EQ(sentLamp.Specular.b, 0.1f);

  D3DLIGHT8 update = sentLamp;
  update.Attenuation0 = update.Attenuation1 = update.Attenuation2 = 0;
  EXPECT_EQ(LightFactory_UpdateLight(lamp, &update), 1);
  EXPECT_EQ(update.Attenuation0, 0.1f);
  EXPECT_EQ(DeviceLight(device_, 1, &enabled).Attenuation0, 0.1f);

  EXPECT_EQ(LightFactory_SetLightName(lamp, ""), 0);
  EXPECT_EQ(LightFactory_SetLightName(lamp, "bulb"), 1);
  EXPECT_EQ(LightFactory_GetLightIDByName("bulb"), lamp);
  EXPECT_EQ(LightFactory_EnableLight(lamp, 0), 1);
  EXPECT_EQ(LightFactory_IsLightEnabled(lamp), 0);
  EXPECT_EQ(LightFactory_IsLightEnabled(40), 0);
  EXPECT_EQ(LightFactory_EnableLight(0, 1), 0);
  EXPECT_TRUE(Logged("LIGHT ENGINE : LightFactory_EnableLight : LightID index out of range => 0"));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Lights, SpecularAndResetRestoreTheDeviceState) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const int32_t light = LightFactory_CreateLight(nullptr, "one", 1);
  EXPECT_EQ(LightFactory_EnableSpecularLighting(1), 1);
  DWORD value = 0;
  device_->GetRenderState(D3DRS_SPECULARENABLE, &value);
  EXPECT_EQ(value, 1u);
  device_->GetRenderState(D3DRS_LOCALVIEWER, &value);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(LightFactory_EnableSpecularLighting(0), 1);
  device_->GetRenderState(D3DRS_SPECULARENABLE, &value);
  EXPECT_EQ(value, 0u);

  Viewport_OnLostAll();
  TextureFactory_OnLostAll();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  TextureFactory_OnResetAll();
  BOOL enabled = 0;
  device_->GetLightEnable(0, &enabled);
  EXPECT_FALSE(enabled);  // a reset forgets the lights
  EXPECT_EQ(LightFactory_OnResetDevice(), 1);
  device_->GetLightEnable(static_cast<DWORD>(light - 1), &enabled);
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(LightsWithoutDevice, CreateKeepsTheLightAndDeleteRefuses) {
  EXPECT_EQ(LightFactory_CreateLight(nullptr, "early", 1), 1);
  EXPECT_EQ(LightFactory_SetLightColor(1, 1, 0, 0, 1), 1);
  EXPECT_EQ(LightFactory_EnableSpecularLighting(1), 1);
  EXPECT_EQ(LightFactory_OnResetDevice(), 1);
  EXPECT_EQ(LightFactory_DeleteLight(1), 0);
  EXPECT_EQ(LightFactory_Unload(), 1);
  EXPECT_EQ(LightFactory_GetLightCount(), 0);
}

TEST_F(Materials, TableStartsWithBlankmatAndGrowsBySixtyFour) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  char name[256] = {};
  EXPECT_EQ(MaterialFactory_GetName(0, name), 1);
  EXPECT_STREQ(name, "blankmat");
  EXPECT_EQ(MaterialFactory_CreateMaterial(nullptr), 1);
  EXPECT_EQ(MaterialFactory_GetCount(), 2);
  EXPECT_EQ(MaterialFactory_GetName(1, name), 1);
  EXPECT_STREQ(name, "Material1");
  for (int32_t i = 2; i <= 70; ++i) EXPECT_EQ(MaterialFactory_CreateMaterial2(nullptr), i);
  EXPECT_EQ(MaterialFactory_GetUsedCount(), 71);
  EXPECT_EQ(MaterialFactory_DeleteMaterial(0), 0);
  EXPECT_EQ(MaterialFactory_GetMaterialFromName("blankmat"), 0);
  EXPECT_EQ(MaterialFactory_DeleteMaterial(5), 1);
  EXPECT_EQ(MaterialFactory_GetUsedCount(), 70);
  EXPECT_EQ(MaterialFactory_CreateMaterial("reused"), 5);
  EXPECT_EQ(MaterialFactory_UnloadAll(), 1);
  EXPECT_TRUE(Logged("MATERIAL FACTORY : All materials unloaded."));
  EXPECT_EQ(MaterialFactory_GetCount(), 0);
  EXPECT_EQ(MaterialFactory_Initialize(), 0);
  EXPECT_EQ(MaterialFactory_GetCount(), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Materials, ColoursPowerAndCopies) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const int32_t quick = MaterialFactory_CreateQuickMaterial(0.5f, 0.25f, 1, 1, "quick");
  const int32_t lit = MaterialFactory_CreateLightMaterial(0.5f, 0.25f, 1, 1, 0.5f, "lit");
  D3DMATERIAL8 material{};
  EXPECT_EQ(MaterialFactory_GetMaterialInfo(lit, &material), 1);
  EXPECT_EQ(material.Diffuse.r, 0.5f);
  EXPECT_EQ(material.Ambient.r, 0.25f);
  EXPECT_EQ(material.Emissive.g, 0.125f);
  EXPECT_EQ(material.Specular.a, 1.0f);
  EXPECT_EQ(material.Power, 1.0f);
  EXPECT_EQ(MaterialFactory_SetDiffuse(quick, 0.1f, 0.2f, 0.3f, 0.4f), 1);
  EXPECT_EQ(MaterialFactory_SetAmbient(quick, 0.5f, 0.5f, 0.5f, 0.5f), 1);
  EXPECT_EQ(MaterialFactory_SetSpecular(quick, 0.6f, 0.6f, 0.6f, 0.6f), 1);
  EXPECT_EQ(MaterialFactory_SetEmissive(quick, 0.7f, 0.7f, 0.7f, 0.7f), 1);
  EXPECT_EQ(MaterialFactory_SetPower(quick, 8), 1);
  const int32_t copy = MaterialFactory_DuplicateMaterial(quick, "copy");
  float r = 0, g = 0, b = 0, a = 0, power = 0;
  EXPECT_EQ(MaterialFactory_GetDiffuse(copy, &r, &g, &b, &a), 1);
  EXPECT_EQ(g, 0.2f);
  EXPECT_EQ(a, 0.4f);
  EXPECT_EQ(MaterialFactory_GetAmbient(copy, &r, &g, &b, &a), 1);
  EXPECT_EQ(r, 0.5f);
  EXPECT_EQ(MaterialFactory_GetSpecular(copy, &r, &g, &b, &a), 1);
  EXPECT_EQ(r, 0.6f);
  EXPECT_EQ(MaterialFactory_GetEmissive(copy, &r, &g, &b, &a), 1);
  EXPECT_EQ(r, 0.7f);
  EXPECT_EQ(MaterialFactory_GetPower(copy, &power), 1);
  EXPECT_EQ(power, 8.0f);
  D3DMATERIAL8 quickInfo{};
  EXPECT_EQ(MaterialFactory_GetQuickInfo(copy, &quickInfo), 1);
  EXPECT_EQ(quickInfo.Power, 8.0f);
  EXPECT_EQ(MaterialFactory_SetMaterialInfo(copy, &material), 1);
  EXPECT_EQ(MaterialFactory_GetQuickInfo(copy, &quickInfo), 1);
  EXPECT_EQ(quickInfo.Emissive.g, 0.125f);
  EXPECT_EQ(MaterialFactory_SetName(copy, "renamed"), 1);
  EXPECT_EQ(MaterialFactory_GetMaterialFromName("RENAMED"), copy);

  // A deleted material takes blankmat's colours, and its name no longer finds it.
  EXPECT_EQ(MaterialFactory_DeleteMaterial(copy), 1);
  EXPECT_EQ(MaterialFactory_GetMaterialFromName("renamed"), 0);
  EXPECT_EQ(MaterialFactory_GetMaterialInfo(copy, &material), 0);
  EXPECT_TRUE(
      Logged("MATERIAL FACTORY : MaterialFactory_GetMaterialInfo : MaterialID doens't "
             "represent any existing material => " +
             std::to_string(copy)));
  EXPECT_EQ(MaterialFactory_GetQuickInfo(copy, &quickInfo), 1);
  EXPECT_EQ(quickInfo.Diffuse.r, 1.0f);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Materials, IdentifiersOutsideTheTableAreRefusedWithTheirLine) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  D3DMATERIAL8 material{};
  material.Power = 3;
  EXPECT_EQ(MaterialFactory_GetMaterialInfo(9, &material), 0);
  EXPECT_EQ(material.Power, 0.0f);  // zeroed
  EXPECT_EQ(MaterialFactory_GetQuickInfo(9, &material), 0);
  float value = 0;
  struct Case {
    int32_t result;
    const char* line;
  };
  const Case cases[] = {
      {MaterialFactory_SetDiffuse(9, 1, 1, 1, 1),
       "MATERIAL FACTORY : MaterialFactory_SetDiffuse : MaterialID index out of range => 9"},
      {MaterialFactory_GetAmbient(-1, &value, &value, &value, &value),
       "MATERIAL FACTORY : MaterialFactory_GetAmbient : Materialid Index out of range => -1"},
      {MaterialFactory_SetPower(9, 1),
       "MATERIAL FACTORY : MaterialFactory_SetPower : MaterialId index out of range => 9"},
      {MaterialFactory_GetPower(9, &value),
       "MATERIAL FACTORY : MaterialFactory_GetPower : Materialid Inde out of ranger => 9"},
      {MaterialFactory_DeleteMaterial(9),
       "MATERIAL FACTORY : MaterialFactory_DeleteMaterial : MaterialId index out of range => 9"},
      {MaterialFactory_GetMaterialFromName("ghost"),
       "MATERIAL FACTORY : MaterialFactory_GetMaterialFromName : the material 'ghost' isn't in the "
       "material factory."},
      {MaterialFactory_GetMaterialFromName(""),
       "MATERIAL FACTORY : MaterialFactory_GetMaterialFromName : you didn't specify any name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, 0) << c.line;
    EXPECT_TRUE(Logged(c.line)) << c.line;
  }
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
