#include "library/core/render/light_factory.h"

#include <cmath>
#include <cstdio>

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/win/ascii_case.h"

using namespace d3d;

LightRecord* LightTable = nullptr;
int32_t LightCount = 0;

namespace {

int32_t SpecularEnabled = 0;

constexpr D3DCOLOR kAmbientLevel = 0xff000000;
constexpr float kQuickDirectionalAttenuation = 0.5f;
constexpr float kQuickPointAttenuation = 0.1f;
// Stands in for an update whose attenuations are all zero, which would light nothing.
constexpr float kMinimumAttenuation = 0.1f;

D3DLIGHT8 DefaultLight() {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  light.Specular = {0.2f, 0.2f, 0.2f, 1.0f};
  light.Ambient = {0.8f, 0.8f, 0.8f, 0.8f};
  light.Direction = {0.0f, -1.0f, 0.0f};
  light.Range = 1000.0f;
  light.Falloff = 1.0f;
  light.Attenuation0 = 0.5f;
  light.Theta = 1.570796f;  // radians
  light.Phi = 0.785398f;    // radians
  return light;
}

// The record of an identifier, or null (with the export's refusal logged) outside the table.
LightRecord* LightAt(int32_t identifier, const char* refusal) {
  if (identifier < 1 || identifier > LightCount) {
    if (refusal != nullptr) AddLog(refusal, identifier);
    return nullptr;
  }
  return &LightTable[identifier - 1];
}

// A free record is as good as missing for the setters: writing it would send a light nobody owns.
LightRecord* LightInUse(int32_t identifier, const char* refusal) {
  LightRecord* record = LightAt(identifier, refusal);
  return record != nullptr && record->inUse != 0 ? record : nullptr;
}

void Send(int32_t identifier) {
  if (CurrentDevice == nullptr) return;
  CurrentDevice->SetLight(static_cast<DWORD>(identifier - 1), &LightTable[identifier - 1].light);
}

bool IsZero(const D3DVECTOR& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

}  // namespace

int32_t LightFactory_CreateLight(const D3DLIGHT8* light, const char* name, int32_t useDefaults) {
  int32_t index = 0;
  while (index < LightCount && LightTable[index].inUse != 0) ++index;
  if (index == LightCount && !GrowTable(&LightTable, &LightCount, 1)) return 0;
  LightRecord& record = LightTable[index];
  const int32_t identifier = index + 1;
  record.inUse = 1;
  record.enabled = 1;
  if (name != nullptr && name[0] != '\0') {
    CopyToField(record.name, sizeof record.name, name);
  } else {
    std::snprintf(record.name, sizeof record.name, "Light%d", identifier);
  }
  record.light = (useDefaults != 0 || light == nullptr) ? DefaultLight() : *light;
  if (CurrentDevice != nullptr) {
    CurrentDevice->SetLight(static_cast<DWORD>(index), &record.light);
    CurrentDevice->LightEnable(static_cast<DWORD>(index), 1);
    CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
    CurrentDevice->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    CurrentDevice->SetRenderState(D3DRS_AMBIENT, kAmbientLevel);
  }
  return identifier;
}

int32_t LightFactory_CreateQuickDirectionalLight(const D3DVECTOR* direction, float r, float g,
                                                 float b, float a, const char* name,
                                                 float specularFactor) {
  if (direction == nullptr || IsZero(*direction)) {
    AddLog(
        "LIGHT ENGINE : LightFactory_CreateQuickDirectionalLight : You can't create a "
        "directional light with no direction");
    return 0;
  }
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = light.Ambient = {r, g, b, a};
  light.Specular = {r * specularFactor, g * specularFactor, b * specularFactor, a};
  light.Direction = *direction;
  light.Attenuation0 = kQuickDirectionalAttenuation;
  return LightFactory_CreateLight(&light, name, 0);
}

int32_t LightFactory_CreateQuickPointLight(const D3DVECTOR* position, float r, float g, float b,
                                           float a, float range, const char* name,
                                           float specularFactor) {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = light.Ambient = {r, g, b, a};
  light.Specular = {r * specularFactor, g * specularFactor, b * specularFactor, a};
  if (position != nullptr) light.Position = *position;
  light.Range = range;
  light.Attenuation0 = kQuickPointAttenuation;
  return LightFactory_CreateLight(&light, name, 0);
}

int32_t LightFactory_DeleteLight(int32_t identifier) {
  LightRecord* record = LightAt(
      identifier, "LIGHT ENGINE : LightFactory_DeleteLight : Wrong index, out of range => %d ");
  if (record == nullptr || record->inUse == 0) return 0;
  if (CurrentDevice == nullptr) {
    AddLog(
        "LIGHT ENGINE : LightFactory_DeleteLight : You try to delete a light while the engine "
        "isn't initialized or have been unloaded.");
    return 0;
  }
  CurrentDevice->LightEnable(static_cast<DWORD>(identifier - 1), 0);
  record->inUse = 0;
  record->enabled = 0;
  record->name[0] = '\0';
  return identifier - 1;
}

int32_t LightFactory_Unload() {
  for (int32_t index = 0; index < LightCount; ++index) {
    if (LightTable[index].enabled != 0 && CurrentDevice != nullptr) {
      CurrentDevice->LightEnable(static_cast<DWORD>(index), 0);
    }
  }
  FreeTable(reinterpret_cast<void**>(&LightTable), &LightCount);
  return 1;
}

int32_t LightFactory_EnableLight(int32_t identifier, int32_t enable) {
  LightRecord* record = LightAt(
      identifier, "LIGHT ENGINE : LightFactory_EnableLight : LightID index out of range => %d");
  if (record == nullptr) return 0;
  if (record->inUse == 0) {
    AddLog(
        "LIGHT ENGINE : LightFactory_EnableLight : LightID incorrect and point to a deleted light "
        "=> %d",
        identifier - 1);
    return 0;
  }
  record->enabled = enable != 0 ? 1 : 0;
  if (CurrentDevice != nullptr)
    CurrentDevice->LightEnable(static_cast<DWORD>(identifier - 1), record->enabled);
  return 1;
}

int32_t LightFactory_IsLightEnabled(int32_t identifier) {
  const LightRecord* record = LightAt(identifier, nullptr);
  return record != nullptr ? record->enabled : 0;
}

int32_t LightFactory_GetLightInfo(int32_t identifier, D3DLIGHT8* light) {
  const LightRecord* record = LightAt(
      identifier, "LIGHT ENGINE : LightFactory_GetLightInfo : LightID index out of range => %d");
  if (record == nullptr || light == nullptr) return 0;
  if (record->inUse == 0) {
    AddLog(
        "LIGHT ENGINE : LightFactory_GetLightInfo : LightID incorrect since it points to a "
        "deleted or non existing light => %d",
        identifier - 1);
    return 0;
  }
  *light = record->light;
  return 1;
}

int32_t LightFactory_GetLightIDByName(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    AddLog("LIGHT ENGINE : LightFactory_GetLightIDByName : The lightname you passed was empty");
    return 0;
  }
  for (int32_t index = 0; index < LightCount; ++index) {
    if (LightTable[index].inUse != 0 && win::EqualsIgnoringCase(LightTable[index].name, name)) {
      return index + 1;
    }
  }
  AddLog(
      "LIGHT ENGINE : LightFactory_GetLightIDByName : Couldn't find the light '%s' in the lights "
      "array",
      name);
  return 0;
}

int32_t LightFactory_GetLightInfoByName(const char* name, D3DLIGHT8* light) {
  const int32_t identifier = LightFactory_GetLightIDByName(name);
  return identifier != 0 ? LightFactory_GetLightInfo(identifier, light) : 0;
}

int32_t LightFactory_UpdateLight(int32_t identifier, D3DLIGHT8* light) {
  LightRecord* record = LightAt(
      identifier, "LIGHT ENGINE : LightFactory_UpdateLight : LightID Index out of range. => %d ");
  if (record == nullptr || light == nullptr) return 0;
  if (record->inUse == 0) {
    AddLog(
        "LIGHT ENGINE : LightFactory_UpdateLight : LightID Incorrect since it points to a non "
        "existing or deleted light. => %d",
        identifier - 1);
    return 0;
  }
  if (light->Attenuation0 == 0.0f && light->Attenuation1 == 0.0f && light->Attenuation2 == 0.0f) {
    light->Attenuation0 = kMinimumAttenuation;
  }
  record->light = *light;
  Send(identifier);
  return 1;
}

int32_t LightFactory_GetLightCount() { return LightCount; }

int32_t LightFactory_GetEnabledLightCount() {
  int32_t enabled = 0;
  for (int32_t index = 0; index < LightCount; ++index) {
    if (LightTable[index].inUse != 0 && LightTable[index].enabled != 0) ++enabled;
  }
  return enabled;
}

namespace {

// Applies change to a light in use and sends the whole light again; change returns false (after
// logging its refusal) to leave the light as it was.
template <class Change>
int32_t ChangeLight(int32_t identifier, const char* refusal, Change change) {
  LightRecord* record = LightInUse(identifier, refusal);
  if (record == nullptr || !change(record->light)) return 0;
  Send(identifier);
  return 1;
}

}  // namespace

int32_t LightFactory_SetLightRange(int32_t identifier, float range) {
  return ChangeLight(
      identifier, "LIGHT ENGINE : LightFactory_SetLightRange : LightId Index out of range. => %d",
      [&](D3DLIGHT8& light) {
        if (light.Type == D3DLIGHT_DIRECTIONAL) {
          AddLog(
              "LIGHT ENGINE : LightFactory_SetLightRange : you can't set the range "
              "of a directional light => %d",
              identifier);
          return false;
        }
        light.Range = range;
        return true;
      });
}

int32_t LightFactory_SetLightPosition(int32_t identifier, const D3DVECTOR* position) {
  if (position == nullptr) return 0;
  return ChangeLight(
      identifier,
      "LIGHT ENGINE : LightFactory_SetLightPosition : LightId index out of range. => %d",
      [&](D3DLIGHT8& light) {
        if (light.Type == D3DLIGHT_DIRECTIONAL) {
          AddLog(
              "LIGHT ENGINE : LightFactory_SetLightPosition : you can't set the "
              "position of a directional light => %d",
              identifier);
          return false;
        }
        light.Position = *position;
        return true;
      });
}

int32_t LightFactory_SetLightDirection(int32_t identifier, const D3DVECTOR* direction) {
  if (direction == nullptr) return 0;
  return ChangeLight(
      identifier,
      "LIGHT ENGINE : LightFactory_SetLightDirection : LightID index out of range. => %d",
      [&](D3DLIGHT8& light) {
        if (IsZero(*direction)) {
          AddLog(
              "LIGHT ENGINE : LightFactory_SetLightDirection : you can't set a null "
              "vector as a direction for a light => %d",
              identifier);
          return false;
        }
        if (light.Type == D3DLIGHT_POINT) {
          AddLog(
              "LIGHT ENGINE : LightFactory_SetLightDirection : you can't set the "
              "direction of a point light => %d",
              identifier);
          return false;
        }
        const float length = std::sqrt(direction->x * direction->x + direction->y * direction->y +
                                       direction->z * direction->z);
        light.Direction = {direction->x / length, direction->y / length, direction->z / length};
        return true;
      });
}

int32_t LightFactory_SetLightColor(int32_t identifier, float r, float g, float b, float a) {
  return ChangeLight(identifier,
                     "LIGHT ENGINE : LightFactory_SetLightColor : LightID Index out of range => %d",
                     [&](D3DLIGHT8& light) {
                       light.Diffuse = light.Ambient = {r, g, b, a};
                       return true;
                     });
}

int32_t LightFactory_SetLightSpecularColor(int32_t identifier, float r, float g, float b, float a) {
  return ChangeLight(
      identifier,
      "LIGHT ENGINE : LightFactory_SetLightSpecularColor : IndexID index out of range => %d",
      [&](D3DLIGHT8& light) {
        light.Specular = {r, g, b, a};
        return true;
      });
}

int32_t LightFactory_SetLightAttenuation(int32_t identifier, float a0, float a1, float a2) {
  return ChangeLight(
      identifier,
      "LIGHT ENGINE : LightFactory_SetLightAttenuation : LightID index out of range => %d",
      [&](D3DLIGHT8& light) {
        light.Attenuation0 = a0;
        light.Attenuation1 = a1;
        light.Attenuation2 = a2;
        return true;
      });
}

int32_t LightFactory_SetLightName(int32_t identifier, const char* name) {
  LightRecord* record = LightInUse(
      identifier, "LIGHT ENGINE : LightFactory_SetLightName : LightID Index out of range => %d");
  if (record == nullptr) return 0;
  if (name == nullptr || name[0] == '\0') {
    AddLog("LIGHT ENGINE : LightFactory_SetLightName : You can't set a empty name to a light");
    return 0;
  }
  CopyToField(record->name, sizeof record->name, name);
  return 1;
}

int32_t LightFactory_GetLightName(int32_t identifier, char* destination) {
  const LightRecord* record = LightAt(
      identifier, "LIGHT ENGINE : LightFactory_GetLightName : LightID Index out of range => %d");
  if (record == nullptr || destination == nullptr) return 0;
  CopyToField(destination, sizeof record->name, record->name);
  return 1;
}

int32_t LightFactory_EnableSpecularLighting(int32_t enable) {
  SpecularEnabled = enable != 0 ? 1 : 0;
  return LightFactory_ApplySpecularLighting();
}

int32_t LightFactory_ApplySpecularLighting() {
  if (CurrentDevice == nullptr) return 1;
  CurrentDevice->SetRenderState(D3DRS_SPECULARENABLE, static_cast<DWORD>(SpecularEnabled));
  if (SpecularEnabled != 0) CurrentDevice->SetRenderState(D3DRS_LOCALVIEWER, 1);
  return 1;
}

int32_t LightFactory_OnResetDevice() {
  if (CurrentDevice == nullptr) return 1;
  for (int32_t index = 0; index < LightCount; ++index) {
    if (LightTable[index].inUse == 0) continue;
    CurrentDevice->SetLight(static_cast<DWORD>(index), &LightTable[index].light);
    CurrentDevice->LightEnable(static_cast<DWORD>(index), LightTable[index].enabled);
  }
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  return 1;
}
