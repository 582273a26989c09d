#include "library/toolkit3ds/scene_objects.h"

#include <cmath>
#include <cstring>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

constexpr float kColorByteScale = 255.0f;  // a COLOR_24 byte of a light is a 1/255 step

bool IsSpotlightObject(ChunkNode3ds* object) {
  return FindChildChunk3ds(FindChildChunk3ds(object, N_DIRECT_LIGHT), DL_SPOTLIGHT) != nullptr;
}

// The lights of one kind, in file order.
std::vector<NameIndexEntry3ds> ListLights(ChunkDatabase3ds* database, bool spot) {
  std::vector<NameIndexEntry3ds> lights;
  for (const NameIndexEntry3ds& entry : ListNamedObjects3ds(database, N_DIRECT_LIGHT)) {
    if (IsSpotlightObject(entry.node) == spot) lights.push_back(entry);
  }
  return lights;
}

ChunkNode3ds* FindLightByIndex(ChunkDatabase3ds* database, bool spot, int32_t index) {
  if (index < 0) return nullptr;
  std::vector<NameIndexEntry3ds> lights = ListLights(database, spot);
  return static_cast<size_t>(index) < lights.size() ? lights[static_cast<size_t>(index)].node
                                                    : nullptr;
}

// A field of view from a focal length and back: both are refused at 0, where the other would be
// infinite.
bool LensConversion(float value, float* out) {
  float converted = value != 0.0f ? kLensFactor3ds / value : 0.0f;
  if (value == 0.0f || !std::isfinite(converted)) {
    PushError3ds(ERR_INVALID_DATA);
    return false;
  }
  *out = converted;
  return true;
}

bool CheckOut(const void* out) {
  if (out == nullptr) PushError3ds(ERR_INVALID_ARG);
  return out != nullptr;
}

// Reads the object's name into a record's name field.
void TakeObjectName(ChunkNode3ds* object, char* field) {
  if (const auto* name = ChunkDataAs3ds<NameData3ds>(object))
    CopyName3ds(field, kObjectNameSize3ds, name->name);
}

template <typename Read>
void ReadFromCopy(ChunkNode3ds* object, Read read) {
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(object, &copy);
  if (!ErrorsPending3ds()) read(copy);
  DeleteChunk3ds(&copy);
}

// The named object a put rebuilds under MDATA, with the first XDATA_SECTION of the object it
// replaces handed out in *xdata; none when the record cannot be put.
ChunkNode3ds* PrepareObject(ChunkDatabase3ds* database, const char* name, ChunkNode3ds** xdata) {
  *xdata = nullptr;
  CheckStringLength3ds(name, kObjectNameSize3ds - 1);
  if (ErrorsPending3ds()) return nullptr;
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(database->root, &mdata);
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (ErrorsPending3ds()) return nullptr;
  object = PrepareEntryForPut3ds(mdata, object, NAMED_OBJECT, xdata);
  if (ErrorsPending3ds()) return nullptr;
  object->data = NameData3ds{name};
  MarkObjectListDirty3ds(database);
  return object;
}

ChunkNode3ds* AddNode(ChunkNode3ds* parent, uint16_t tag, ChunkData3ds data) {
  ChunkNode3ds* node = nullptr;
  NewChunkWithTag3ds(&node, tag);
  if (ErrorsPending3ds()) return nullptr;
  node->data = std::move(data);
  AddChildChunk3ds(parent, node);
  return node;
}

void AddFlagChunk(ChunkNode3ds* parent, uint16_t tag, uint8_t flag) {
  if (flag == 1) AddDataChunk3ds(parent, tag, std::monostate{});
}

// Ends a put: the kept extra data goes last under the object's own chunk.
void FinishPut(ChunkNode3ds* own, ChunkNode3ds* xdata) {
  if (xdata != nullptr) {
    if (own != nullptr) {
      AddChildChunk3ds(own, xdata);
    } else {
      DeleteChunk3ds(&xdata);
    }
  }
  if (ErrorsPending3ds()) PushError3ds(ERR_PUT_FAILED);
}

void TakeSpotChild(ChunkNode3ds* child, Spotlight3ds* spot) {
  switch (child->tag) {
    case DL_RAYSHAD:
      spot->rayshadows = 1;
      return;
    case DL_SHADOWED:
    case DL_LOCAL_SHADOW:
      spot->cast = 1;
      return;
    case DL_SEE_CONE:
      spot->seecone = 1;
      return;
    case DL_SPOT_RECTANGULAR:
      spot->rectangular = 1;
      return;
    case DL_SPOT_OVERSHOOT:
      spot->overshoot = 1;
      return;
    default:
      break;
  }
  ChunkData3ds* data = ReadChunkData3ds(child);
  if (data == nullptr) return;
  if (auto* shadow = std::get_if<LocalShadowData3ds>(data)) {
    spot->shadowbias = shadow->bias;
    spot->shadowfilter = shadow->filter;
    spot->shadowmapsize = shadow->mapSize;
    spot->localshadow = 1;
  } else if (auto* projector = std::get_if<NameData3ds>(data);
             projector != nullptr && child->tag == DL_SPOT_PROJECTOR) {
    spot->projector = std::move(projector->name);
    spot->projectoron = 1;
  } else if (auto* value = std::get_if<FloatData3ds>(data)) {
    if (child->tag == DL_SPOT_ROLL) spot->roll = value->value;
    if (child->tag == DL_SPOT_ASPECT) spot->aspect = value->value;
    if (child->tag == DL_RAY_BIAS) spot->raybias = value->value;
  }
}

void TakeLightChild(ChunkNode3ds* child, Light3ds* light) {
  switch (child->tag) {
    case DL_OFF:
      light->off = 1;
      return;
    case DL_ATTENUATE:
      light->attenuate = 1;
      return;
    default:
      break;
  }
  ChunkData3ds* data = ReadChunkData3ds(child);
  if (data == nullptr) return;
  if (const auto* color = std::get_if<ColorFloatData3ds>(data);
      color != nullptr && child->tag == COLOR_F) {
    light->color = {color->red, color->green, color->blue};
  } else if (const auto* bytes = std::get_if<Color24Data3ds>(data);
             bytes != nullptr && child->tag == COLOR_24) {
    light->color = {bytes->red / kColorByteScale, bytes->green / kColorByteScale,
                    bytes->blue / kColorByteScale};
  } else if (auto* name = std::get_if<NameData3ds>(data);
             name != nullptr && child->tag == DL_EXCLUDE) {
    light->exclude.push_back(std::move(name->name));
  } else if (const auto* value = std::get_if<FloatData3ds>(data)) {
    if (child->tag == DL_INNER_RANGE) light->innerrange = value->value;
    if (child->tag == DL_OUTER_RANGE) light->outerrange = value->value;
    if (child->tag == DL_MULTIPLIER) light->multiplier = value->value;
  } else if (const auto* cone = std::get_if<SpotlightData3ds>(data); cone != nullptr) {
    Spotlight3ds& spot = *light->spot;
    spot.target = cone->target;
    spot.hotspot = cone->hotspot;
    spot.falloff = cone->falloff;
    for (ChunkNode3ds* setting = child->children; setting != nullptr && !ErrorsPending3ds();
         setting = setting->next) {
      TakeSpotChild(setting, &spot);
    }
  }
}

void AddSpotlight(ChunkNode3ds* light, const Spotlight3ds& spot) {
  ChunkNode3ds* cone =
      AddNode(light, DL_SPOTLIGHT, SpotlightData3ds{spot.target, spot.hotspot, spot.falloff});
  if (cone == nullptr) return;
  AddFloatChunk3ds(cone, DL_SPOT_ROLL, spot.roll);
  if (spot.aspect != 1.0f) AddFloatChunk3ds(cone, DL_SPOT_ASPECT, spot.aspect);
  AddFlagChunk(cone, DL_SHADOWED, spot.cast);
  AddFlagChunk(cone, DL_RAYSHAD, spot.rayshadows);
  AddFloatChunk3ds(cone, DL_RAY_BIAS, spot.raybias);
  if (spot.localshadow == 1) {
    AddDataChunk3ds(cone, DL_LOCAL_SHADOW, std::monostate{});
    AddDataChunk3ds(cone, DL_LOCAL_SHADOW2,
                    LocalShadowData3ds{spot.shadowbias, spot.shadowfilter,
                                       static_cast<int16_t>(spot.shadowmapsize)});
  }
  AddFlagChunk(cone, DL_SPOT_RECTANGULAR, spot.rectangular);
  AddFlagChunk(cone, DL_SEE_CONE, spot.seecone);
  AddFlagChunk(cone, DL_SPOT_OVERSHOOT, spot.overshoot);
  if (spot.projectoron == 1) AddDataChunk3ds(cone, DL_SPOT_PROJECTOR, NameData3ds{spot.projector});
}

void GetLightByIndex(ChunkDatabase3ds* database, bool spot, int32_t index, Light3ds** out) {
  if (!CheckOut(out) || !CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* object = FindLightByIndex(database, spot, index)) ReadLight3ds(object, out);
}

void GetLightByName(ChunkDatabase3ds* database, bool spot, const char* name, Light3ds** out) {
  if (!CheckOut(out) || !CheckOut(name) || !CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (object == nullptr) return;
  if (FindChildChunk3ds(object, N_DIRECT_LIGHT) == nullptr || IsSpotlightObject(object) != spot) {
    PushError3ds(ERR_WRONG_OBJECT);
    return;
  }
  ReadLight3ds(object, out);
}

void GetLightNames(ChunkDatabase3ds* database, bool spot, NameArray3ds* out) {
  if (!CheckOut(out) || !CheckDatabase3ds(database, false)) return;
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : ListLights(database, spot))
    AddToNameArray3ds(out, entry.name.c_str());
}

int32_t GetLightCount(ChunkDatabase3ds* database, bool spot) {
  if (!CheckDatabase3ds(database, false)) return 0;
  return static_cast<int32_t>(ListLights(database, spot).size());
}

// Deletes or copies the named object when it is a light of the kind.
bool IsLightOfKind(ChunkDatabase3ds* database, const char* name, bool spot) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  return FindChildChunk3ds(object, N_DIRECT_LIGHT) != nullptr && IsSpotlightObject(object) == spot;
}

void DeleteLightByIndex(ChunkDatabase3ds* database, bool spot, int32_t index) {
  if (!CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* object = FindLightByIndex(database, spot, index)) {
    ClearChunk3ds(object);
    MarkObjectListDirty3ds(database);
  }
}

void CopyLightByIndex(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, bool spot,
                      int32_t index) {
  if (!CheckDatabase3ds(source, false)) return;
  ChunkNode3ds* object = FindLightByIndex(source, spot, index);
  const auto* name = ChunkDataAs3ds<NameData3ds>(object);
  if (name != nullptr) CopyNamedObjectByName3ds(destination, source, name->name.c_str());
}

bool IsOfKind(ChunkDatabase3ds* database, DatabaseKind3ds kind) {
  if (!CheckDatabase3ds(database, false)) return false;
  if (GetDatabaseKind3ds(database) != kind) {
    PushError3ds(ERR_WRONG_DATABASE);
    return false;
  }
  return true;
}

}  // namespace

bool Camera3ds::operator==(const Camera3ds& other) const {
  return std::strcmp(name, other.name) == 0 && position == other.position &&
         target == other.target && roll == other.roll && fov == other.fov &&
         seecone == other.seecone && nearplane == other.nearplane && farplane == other.farplane;
}

bool Light3ds::operator==(const Light3ds& other) const {
  return std::strcmp(name, other.name) == 0 && position == other.position && color == other.color &&
         multiplier == other.multiplier && off == other.off && attenuate == other.attenuate &&
         innerrange == other.innerrange && outerrange == other.outerrange &&
         exclude == other.exclude && spot == other.spot;
}

void InitCamera3ds(Camera3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Camera3ds{};
}

void ReleaseCamera3ds(Camera3ds** out) { ReleaseRecord3ds(out); }

int32_t GetCameraCount3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, false)) return 0;
  return static_cast<int32_t>(ListNamedObjects3ds(database, N_CAMERA).size());
}

void GetCameraNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  if (!CheckOut(out) || !CheckDatabase3ds(database, false)) return;
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : ListNamedObjects3ds(database, N_CAMERA))
    AddToNameArray3ds(out, entry.name.c_str());
}

void GetCameraByIndex3ds(ChunkDatabase3ds* database, int32_t index, Camera3ds** out) {
  if (!CheckOut(out) || !CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* object = FindNamedObjectByIndex3ds(database, N_CAMERA, index))
    ReadCamera3ds(object, out);
}

void GetCameraByName3ds(ChunkDatabase3ds* database, const char* name, Camera3ds** out) {
  if (!CheckOut(out) || !CheckOut(name) || !CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (object != nullptr) ReadCamera3ds(object, out);
}

void ReadCamera3ds(ChunkNode3ds* object, Camera3ds** out) {
  if (object == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (object->tag != NAMED_OBJECT || FindChildChunk3ds(object, N_CAMERA) == nullptr) {
    PushError3ds(ERR_WRONG_OBJECT);
    return;
  }
  ReadFromCopy(object, [out](ChunkNode3ds* copy) {
    Camera3ds camera;
    TakeObjectName(copy, camera.name);
    ChunkNode3ds* lens = FindChildChunk3ds(copy, N_CAMERA);
    const auto* data = ChunkDataAs3ds<CameraData3ds>(lens);
    if (data == nullptr) {
      if (!ErrorsPending3ds()) PushError3ds(ERR_INVALID_DATA);
      return;
    }
    camera.position = data->position;
    camera.target = data->target;
    camera.roll = data->bankAngle;
    if (!LensConversion(data->focalLength, &camera.fov)) return;
    camera.seecone = FindChildChunk3ds(lens, CAM_SEE_CONE) != nullptr;
    if (const auto* ranges =
            ChunkDataAs3ds<CameraRangesData3ds>(FindChildChunk3ds(lens, CAM_RANGES))) {
      camera.nearplane = ranges->nearPlane;
      camera.farplane = ranges->farPlane;
    }
    if (ErrorsPending3ds() || !ReuseOrAllocate3ds(out)) return;
    **out = camera;
  });
}

void PutCamera3ds(ChunkDatabase3ds* database, const Camera3ds* camera) {
  if (!CheckOut(camera) || !IsOfKind(database, kMeshFile3ds)) return;
  float focalLength = 0.0f;
  if (!LensConversion(camera->fov, &focalLength)) return;
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* object = PrepareObject(database, camera->name, &xdata);
  if (object == nullptr) return;
  ChunkNode3ds* lens = AddNode(
      object, N_CAMERA, CameraData3ds{camera->position, camera->target, camera->roll, focalLength});
  if (lens != nullptr) {
    AddFlagChunk(lens, CAM_SEE_CONE, camera->seecone);
    AddDataChunk3ds(lens, CAM_RANGES, CameraRangesData3ds{camera->nearplane, camera->farplane});
  }
  FinishPut(lens, xdata);
}

void DeleteCameraByName3ds(ChunkDatabase3ds* database, const char* name) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (FindChildChunk3ds(object, N_CAMERA) != nullptr) DeleteNamedObjectByName3ds(database, name);
}

void DeleteCameraByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNamedObjectByIndex3ds(database, N_CAMERA, index);
}

void CopyCameraByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index) {
  CopyNamedObjectByIndex3ds(destination, source, N_CAMERA, index);
}

void CopyCameraByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                         const char* name) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(source, name, &object);
  if (FindChildChunk3ds(object, N_CAMERA) != nullptr)
    CopyNamedObjectByName3ds(destination, source, name);
}

void InitLight3ds(Light3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Light3ds{};
}

void InitSpotlight3ds(Light3ds** out) {
  InitLight3ds(out);
  if (!ErrorsPending3ds()) (*out)->spot.emplace();
}

void ReleaseLight3ds(Light3ds** out) { ReleaseRecord3ds(out); }

int32_t GetOmnilightCount3ds(ChunkDatabase3ds* database) { return GetLightCount(database, false); }
int32_t GetSpotlightCount3ds(ChunkDatabase3ds* database) { return GetLightCount(database, true); }

void GetOmnilightNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetLightNames(database, false, out);
}
void GetSpotlightNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  GetLightNames(database, true, out);
}

void GetOmnilightByIndex3ds(ChunkDatabase3ds* database, int32_t index, Light3ds** out) {
  GetLightByIndex(database, false, index, out);
}
void GetSpotlightByIndex3ds(ChunkDatabase3ds* database, int32_t index, Light3ds** out) {
  GetLightByIndex(database, true, index, out);
}

void GetOmnilightByName3ds(ChunkDatabase3ds* database, const char* name, Light3ds** out) {
  GetLightByName(database, false, name, out);
}
void GetSpotlightByName3ds(ChunkDatabase3ds* database, const char* name, Light3ds** out) {
  GetLightByName(database, true, name, out);
}

void DeleteOmnilightByName3ds(ChunkDatabase3ds* database, const char* name) {
  if (IsLightOfKind(database, name, false)) DeleteNamedObjectByName3ds(database, name);
}
void DeleteSpotlightByName3ds(ChunkDatabase3ds* database, const char* name) {
  if (IsLightOfKind(database, name, true)) DeleteNamedObjectByName3ds(database, name);
}

void DeleteOmnilightByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteLightByIndex(database, false, index);
}
void DeleteSpotlightByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteLightByIndex(database, true, index);
}

void CopyOmnilightByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             int32_t index) {
  CopyLightByIndex(destination, source, false, index);
}
void CopySpotlightByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                             int32_t index) {
  CopyLightByIndex(destination, source, true, index);
}

void CopyOmnilightByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            const char* name) {
  if (IsLightOfKind(source, name, false)) CopyNamedObjectByName3ds(destination, source, name);
}
void CopySpotlightByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source,
                            const char* name) {
  if (IsLightOfKind(source, name, true)) CopyNamedObjectByName3ds(destination, source, name);
}

void ReadLight3ds(ChunkNode3ds* object, Light3ds** out) {
  if (object == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (FindChildChunk3ds(object, N_DIRECT_LIGHT) == nullptr) {
    PushError3ds(ERR_WRONG_OBJECT);
    return;
  }
  ReadFromCopy(object, [out](ChunkNode3ds* copy) {
    Light3ds light;
    if (IsSpotlightObject(copy)) light.spot.emplace();
    TakeObjectName(copy, light.name);
    ChunkNode3ds* source = FindChildChunk3ds(copy, N_DIRECT_LIGHT);
    if (const auto* position = ChunkDataAs3ds<PointData3ds>(source))
      light.position = position->point;
    for (ChunkNode3ds* child = source->children; child != nullptr && !ErrorsPending3ds();
         child = child->next) {
      TakeLightChild(child, &light);
    }
    if (ErrorsPending3ds() || !ReuseOrAllocate3ds(out)) return;
    **out = std::move(light);
  });
}

void PutOmnilight3ds(ChunkDatabase3ds* database, const Light3ds* light) {
  if (light != nullptr && light->spot.has_value()) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  PutLight3ds(database, light);
}

void PutSpotlight3ds(ChunkDatabase3ds* database, const Light3ds* light) {
  if (light != nullptr && !light->spot.has_value()) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  PutLight3ds(database, light);
}

void PutLight3ds(ChunkDatabase3ds* database, const Light3ds* light) {
  if (!CheckOut(light) || !CheckDatabase3ds(database, false)) return;
  for (const std::string& name : light->exclude) {
    CheckStringLength3ds(name.c_str(), kObjectNameSize3ds - 1);
    if (ErrorsPending3ds()) return;
  }
  ChunkNode3ds* xdata = nullptr;
  ChunkNode3ds* object = PrepareObject(database, light->name, &xdata);
  if (object == nullptr) return;
  ChunkNode3ds* source = AddNode(object, N_DIRECT_LIGHT, PointData3ds{light->position});
  if (source != nullptr) {
    AddDataChunk3ds(source, COLOR_F,
                    ColorFloatData3ds{light->color.r, light->color.g, light->color.b});
    AddFloatChunk3ds(source, DL_OUTER_RANGE, light->outerrange);
    AddFloatChunk3ds(source, DL_INNER_RANGE, light->innerrange);
    AddFloatChunk3ds(source, DL_MULTIPLIER, light->multiplier);
    AddFlagChunk(source, DL_OFF, light->off);
    AddFlagChunk(source, DL_ATTENUATE, light->attenuate);
    for (const std::string& name : light->exclude)
      AddDataChunk3ds(source, DL_EXCLUDE, NameData3ds{name});
    if (light->spot.has_value()) AddSpotlight(source, *light->spot);
  }
  FinishPut(source, xdata);
}

void AddFloatChunk3ds(ChunkNode3ds* parent, uint16_t tag, float value) {
  ChunkNode3ds* child = nullptr;
  NewChunkWithTag3ds(&child, tag);
  if (ErrorsPending3ds()) return;
  child->data = FloatData3ds{value};
  InsertChildChunk3ds(parent, child);
}
