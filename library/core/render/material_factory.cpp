#include "library/core/render/material_factory.h"

#include <cstdio>
#include <cstdlib>

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/vortanautil.h"
#include "platform/win/ascii_case.h"

using namespace d3d;

MaterialRecord* MaterialTable = nullptr;
int32_t MaterialCount = 0;
int32_t MaterialCapacity = 0;

namespace {

constexpr int32_t kGrowthRecords = 64;

D3DMATERIAL8 WhiteMaterial() {
  const D3DCOLORVALUE white = {1.0f, 1.0f, 1.0f, 1.0f};
  return {white, white, white, white, 1.0f};
}

// The record of an identifier, or null with the export's refusal logged.
MaterialRecord* MaterialAt(int32_t identifier, const char* exportName, const char* form) {
  if (identifier < 0 || identifier >= MaterialCount) {
    if (exportName != nullptr) {
      char message[256];
      std::snprintf(message, sizeof message, "MATERIAL FACTORY : %s : %s => %%d", exportName, form);
      AddLog(message, identifier);
    }
    return nullptr;
  }
  return &MaterialTable[identifier];
}

constexpr const char* kIndexForm = "MaterialID index out of range";
constexpr const char* kGetterForm = "Materialid Index out of range";

// Takes the first free record, or appends one (growing the block by 64 records when it is full).
int32_t AllocateMaterial() {
  for (int32_t index = 0; index < MaterialCount; ++index) {
    if (MaterialTable[index].inUse == 0) return index;
  }
  if (MaterialCount == MaterialCapacity) {
    void* block = MaterialTable;
    const size_t oldBytes = sizeof(MaterialRecord) * static_cast<size_t>(MaterialCapacity);
    if (!Util_ResizeBuffer(&block, oldBytes, oldBytes + sizeof(MaterialRecord) * kGrowthRecords)) {
      return -1;
    }
    MaterialTable = static_cast<MaterialRecord*>(block);
    MaterialCapacity += kGrowthRecords;
  }
  return MaterialCount++;
}

int32_t NewMaterial(const char* name, const D3DMATERIAL8* material) {
  // Identifier 0 is "blankmat" to every caller: an emptied table gets it back first.
  if (MaterialCount == 0) MaterialFactory_Initialize();
  const int32_t index = AllocateMaterial();
  if (index < 0) return 0;
  MaterialRecord& record = MaterialTable[index];
  record.inUse = 1;
  if (material != nullptr) record.material = *material;
  if (name != nullptr && name[0] != '\0') {
    CopyToField(record.name, sizeof record.name, name);
  } else {
    std::snprintf(record.name, sizeof record.name, "Material%d", index);
  }
  return index;
}

int32_t SetColor(int32_t identifier, const char* exportName, D3DCOLORVALUE D3DMATERIAL8::*field,
                 float r, float g, float b, float a) {
  MaterialRecord* record = MaterialAt(identifier, exportName, kIndexForm);
  if (record == nullptr) return 0;
  record->material.*field = {r, g, b, a};
  return 1;
}

int32_t GetColor(int32_t identifier, const char* exportName, D3DCOLORVALUE D3DMATERIAL8::*field,
                 float* r, float* g, float* b, float* a) {
  const MaterialRecord* record = MaterialAt(identifier, exportName, kGetterForm);
  if (record == nullptr || r == nullptr || g == nullptr || b == nullptr || a == nullptr) return 0;
  const D3DCOLORVALUE& color = record->material.*field;
  *r = color.r;
  *g = color.g;
  *b = color.b;
  *a = color.a;
  return 1;
}

}  // namespace

int32_t MaterialFactory_Initialize() {
  std::free(MaterialTable);
  MaterialTable = static_cast<MaterialRecord*>(std::calloc(1, sizeof(MaterialRecord)));
  MaterialCount = MaterialTable != nullptr ? 1 : 0;
  MaterialCapacity = MaterialCount;
  if (MaterialTable != nullptr) {
    MaterialTable[0].inUse = 1;
    MaterialTable[0].material = WhiteMaterial();
    CopyToField(MaterialTable[0].name, sizeof MaterialTable[0].name, "blankmat");
  }
  return 0;
}

int32_t MaterialFactory_CreateMaterial(const char* name) {
  const D3DMATERIAL8 white = WhiteMaterial();
  return NewMaterial(name, &white);
}

int32_t MaterialFactory_CreateMaterial2(const char* name) { return NewMaterial(name, nullptr); }

int32_t MaterialFactory_DuplicateMaterial(int32_t source, const char* name) {
  const MaterialRecord* original =
      MaterialAt(source, "MaterialFactory_DuplicateMaterial", kIndexForm);
  if (original == nullptr) return 0;
  const D3DMATERIAL8 copy = original->material;
  return NewMaterial(name, &copy);
}

int32_t MaterialFactory_CreateQuickMaterial(float r, float g, float b, float a, const char* name) {
  const D3DCOLORVALUE color = {r, g, b, a};
  const D3DMATERIAL8 material = {color, color, color, color, 1.0f};
  return NewMaterial(name, &material);
}

int32_t MaterialFactory_CreateLightMaterial(float r, float g, float b, float a, float factor,
                                            const char* name) {
  const D3DCOLORVALUE scaled = {r * factor, g * factor, b * factor, a};
  const D3DMATERIAL8 material = {{r, g, b, a}, scaled, scaled, scaled, 1.0f};
  return NewMaterial(name, &material);
}

int32_t MaterialFactory_DeleteMaterial(int32_t identifier) {
  MaterialRecord* record =
      MaterialAt(identifier, "MaterialFactory_DeleteMaterial", "MaterialId index out of range");
  if (record == nullptr || identifier == 0) return 0;
  record->inUse = 0;
  record->material = MaterialTable[0].material;
  return 1;
}

int32_t MaterialFactory_UnloadAll() {
  FreeTable(reinterpret_cast<void**>(&MaterialTable), &MaterialCount);
  MaterialCapacity = 0;
  AddLog("MATERIAL FACTORY : All materials unloaded.");
  return 1;
}

int32_t MaterialFactory_GetQuickInfo(int32_t identifier, D3DMATERIAL8* material) {
  const MaterialRecord* record = MaterialAt(identifier, nullptr, nullptr);
  if (record == nullptr || material == nullptr) return 0;
  *material = record->material;
  return 1;
}

int32_t MaterialFactory_GetMaterialInfo(int32_t identifier, D3DMATERIAL8* material) {
  if (material == nullptr) return 0;
  const MaterialRecord* record =
      MaterialAt(identifier, "MaterialFactory_GetMaterialInfo", kIndexForm);
  if (record == nullptr) {
    *material = {};
    return 0;
  }
  if (record->inUse == 0) {
    AddLog(
        "MATERIAL FACTORY : MaterialFactory_GetMaterialInfo : MaterialID doens't represent any "
        "existing material => %d",
        identifier);
    return 0;
  }
  *material = record->material;
  return 1;
}

int32_t MaterialFactory_SetMaterialInfo(int32_t identifier, const D3DMATERIAL8* material) {
  MaterialRecord* record = MaterialAt(identifier, "MaterialFactory_SetMaterialInfo", kIndexForm);
  if (record == nullptr || material == nullptr) return 0;
  record->inUse = 1;
  record->material = *material;
  return 1;
}

int32_t MaterialFactory_SetDiffuse(int32_t identifier, float r, float g, float b, float a) {
  return SetColor(identifier, "MaterialFactory_SetDiffuse", &D3DMATERIAL8::Diffuse, r, g, b, a);
}
int32_t MaterialFactory_SetAmbient(int32_t identifier, float r, float g, float b, float a) {
  return SetColor(identifier, "MaterialFactory_SetAmbient", &D3DMATERIAL8::Ambient, r, g, b, a);
}
int32_t MaterialFactory_SetSpecular(int32_t identifier, float r, float g, float b, float a) {
  return SetColor(identifier, "MaterialFactory_SetSpecular", &D3DMATERIAL8::Specular, r, g, b, a);
}
int32_t MaterialFactory_SetEmissive(int32_t identifier, float r, float g, float b, float a) {
  return SetColor(identifier, "MaterialFactory_SetEmissive", &D3DMATERIAL8::Emissive, r, g, b, a);
}
int32_t MaterialFactory_GetDiffuse(int32_t identifier, float* r, float* g, float* b, float* a) {
  return GetColor(identifier, "MaterialFactory_GetDiffuse", &D3DMATERIAL8::Diffuse, r, g, b, a);
}
int32_t MaterialFactory_GetAmbient(int32_t identifier, float* r, float* g, float* b, float* a) {
  return GetColor(identifier, "MaterialFactory_GetAmbient", &D3DMATERIAL8::Ambient, r, g, b, a);
}
int32_t MaterialFactory_GetSpecular(int32_t identifier, float* r, float* g, float* b, float* a) {
  return GetColor(identifier, "MaterialFactory_GetSpecular", &D3DMATERIAL8::Specular, r, g, b, a);
}
int32_t MaterialFactory_GetEmissive(int32_t identifier, float* r, float* g, float* b, float* a) {
  return GetColor(identifier, "MaterialFactory_GetEmissive", &D3DMATERIAL8::Emissive, r, g, b, a);
}

int32_t MaterialFactory_SetPower(int32_t identifier, float power) {
  MaterialRecord* record =
      MaterialAt(identifier, "MaterialFactory_SetPower", "MaterialId index out of range");
  if (record == nullptr) return 0;
  record->material.Power = power;
  return 1;
}

int32_t MaterialFactory_GetPower(int32_t identifier, float* power) {
  const MaterialRecord* record =
      MaterialAt(identifier, "MaterialFactory_GetPower", "Materialid Inde out of ranger");
  if (record == nullptr || power == nullptr) return 0;
  *power = record->material.Power;
  return 1;
}

int32_t MaterialFactory_SetName(int32_t identifier, const char* name) {
  MaterialRecord* record = MaterialAt(identifier, "MaterialFactory_SetName", kIndexForm);
  if (record == nullptr || name == nullptr) return 0;
  CopyToField(record->name, sizeof record->name, name);
  return 1;
}

int32_t MaterialFactory_GetName(int32_t identifier, char* destination) {
  const MaterialRecord* record = MaterialAt(identifier, "MaterialFactory_GetName", kIndexForm);
  if (record == nullptr || destination == nullptr) return 0;
  CopyToField(destination, sizeof record->name, record->name);
  return 1;
}

int32_t MaterialFactory_GetMaterialFromName(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    AddLog("MATERIAL FACTORY : MaterialFactory_GetMaterialFromName : you didn't specify any name");
    return 0;
  }
  // Only records in use: a deleted material's name must not hand out its freed identifier.
  for (int32_t index = 0; index < MaterialCount; ++index) {
    if (MaterialTable[index].inUse != 0 &&
        win::EqualsIgnoringCase(MaterialTable[index].name, name)) {
      return index;
    }
  }
  AddLog(
      "MATERIAL FACTORY : MaterialFactory_GetMaterialFromName : the material '%s' isn't in the "
      "material factory.",
      name);
  return 0;
}

int32_t MaterialFactory_GetCount() { return MaterialCount; }

int32_t MaterialFactory_GetUsedCount() {
  int32_t used = 0;
  for (int32_t index = 0; index < MaterialCount; ++index) used += MaterialTable[index].inUse != 0;
  return used;
}
