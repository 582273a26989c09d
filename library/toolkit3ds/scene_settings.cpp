#include "library/toolkit3ds/scene_settings.h"

#include <cstring>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

// An ambient light's COLOR_24 byte is a 1/256 step (a light's is 1/255: the two differ on purpose,
// as the files written by the modeller do).
constexpr float kAmbientByteScale = 256.0f;

// LAYER_FOG flag bits.
constexpr uint32_t kLayerFogBottomFalloff = 0x1;
constexpr uint32_t kLayerFogTopFalloff = 0x2;
constexpr uint32_t kLayerFogBackground = 0x100000;

constexpr uint16_t kAtmosphereUses[] = {USE_FOG, USE_LAYER_FOG, USE_DISTANCE_CUE};
// By the value of Background3ds::used, from 1.
constexpr uint16_t kBackgroundUses[] = {USE_SOLID_BGND, USE_V_GRADIENT, USE_BIT_MAP};
// The orthographic views, from type 1 (VIEW_TOP) to 6 (VIEW_BACK), 0x10 apart.
constexpr uint16_t kOrthoViewStep = 0x10;

fcolor3ds ColorOf(const ColorFloatData3ds& data) { return {data.red, data.green, data.blue}; }

ColorFloatData3ds DataOf(const fcolor3ds& color) { return {color.r, color.g, color.b}; }

// Each child of parent with the tag, in order, gives the next of the colours.
void TakeColors(ChunkNode3ds* parent, uint16_t tag, std::initializer_list<fcolor3ds*> colors) {
  auto next = colors.begin();
  for (ChunkNode3ds* child = parent->children; child != nullptr && next != colors.end();
       child = child->next) {
    if (child->tag != tag) continue;
    if (const auto* data = ChunkDataAs3ds<ColorFloatData3ds>(child)) **next = ColorOf(*data);
    ++next;
  }
}

template <typename T>
T* ChildData(ChunkNode3ds* parent, uint16_t tag) {
  return ChunkDataAs3ds<T>(FindChildChunk3ds(parent, tag));
}

ChunkNode3ds* FindMDataOf(ChunkDatabase3ds* database) {
  return FindChildChunk3ds(database->root, MDATA);
}

// The chunk under parent with the tag, emptied and given data, or a new one in chunk order.
ChunkNode3ds* PutDataChunk(ChunkNode3ds* parent, uint16_t tag, ChunkData3ds data) {
  ChunkNode3ds* chunk = nullptr;
  PutChunk3ds(parent, tag, &chunk);
  if (ErrorsPending3ds()) return nullptr;
  chunk->data = std::move(data);
  return chunk;
}

// Empties every child of parent with one of the tags, then puts the one at position choice - 1
// (none for choice 0 or out of range).
template <size_t N>
void PutUseChunk(ChunkNode3ds* parent, const uint16_t (&tags)[N], int32_t choice) {
  for (ChunkNode3ds* child = parent->children; child != nullptr; child = child->next) {
    for (uint16_t tag : tags) {
      if (child->tag == tag) ClearChunk3ds(child);
    }
  }
  if (choice >= 1 && static_cast<size_t>(choice) <= N)
    PutDataChunk(parent, tags[choice - 1], std::monostate{});
}

// The database to read from and its MDATA, with the caller's record made ready; none when there
// is nothing to read.
template <typename Record>
ChunkNode3ds* StartGet(ChunkDatabase3ds* database, Record** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  if (!CheckDatabase3ds(database, false)) return nullptr;
  ChunkNode3ds* mdata = FindMDataOf(database);
  if (mdata == nullptr || !ReuseOrAllocate3ds(out)) return nullptr;
  **out = Record{};
  return mdata;
}

ChunkNode3ds* StartPut(ChunkDatabase3ds* database, const void* record) {
  if (record == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  if (!CheckDatabase3ds(database, false)) return nullptr;
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(database->root, &mdata);
  return ErrorsPending3ds() ? nullptr : mdata;
}

// A copy between databases goes through the record, so only what the record holds is copied.
template <typename Record, typename Get, typename Put>
void CopyThroughRecord(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, Get get, Put put) {
  Record* record = nullptr;
  get(source, &record);
  if (record != nullptr && !ErrorsPending3ds()) put(destination, record);
  delete record;
}

void ReadView(const ViewportData3ds& data, Viewport3ds* out) {
  out->type = data.values[6];
  if (out->type == kViewUser3ds) {
    out->user.center = data.center;
    out->user.zoom = data.zoom;
  } else {
    out->ortho.center = data.center;
    out->ortho.zoom = data.zoom;
  }
  out->user.horizontalangle = data.horizontalAngle;
  out->user.verticalangle = data.verticalAngle;
  CopyName3ds(out->camera, sizeof(out->camera), data.camera);
}

// A view width over the work area's width, or the zoom as it was when the area has no width.
float ZoomOf(float width, const Viewport3ds& viewport, float zoom) {
  return viewport.size.width != 0 ? width / viewport.size.width : zoom;
}

}  // namespace

bool Viewport3ds::operator==(const Viewport3ds& other) const {
  return type == other.type && size == other.size && ortho == other.ortho && user == other.user &&
         std::strcmp(camera, other.camera) == 0;
}

void InitAtmosphere3ds(Atmosphere3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Atmosphere3ds{};
}

void ReleaseAtmosphere3ds(Atmosphere3ds** out) { ReleaseRecord3ds(out); }

void GetAtmosphere3ds(ChunkDatabase3ds* database, Atmosphere3ds** out) {
  ChunkNode3ds* mdata = StartGet(database, out);
  if (mdata == nullptr) return;
  Atmosphere3ds& atmosphere = **out;
  if (ChunkNode3ds* fog = FindChildChunk3ds(mdata, FOG)) {
    if (const auto* data = ChunkDataAs3ds<FogData3ds>(fog)) {
      atmosphere.fog.nearplane = data->nearPlane;
      atmosphere.fog.neardensity = data->nearDensity;
      atmosphere.fog.farplane = data->farPlane;
      atmosphere.fog.fardensity = data->farDensity;
    }
    TakeColors(fog, COLOR_F, {&atmosphere.fog.color});
    atmosphere.fog.fogbackground = FindChildChunk3ds(fog, FOG_BGND) != nullptr;
  }
  if (ChunkNode3ds* layer = FindChildChunk3ds(mdata, LAYER_FOG)) {
    if (const auto* data = ChunkDataAs3ds<LayerFogData3ds>(layer)) {
      layerfogsettings3ds& fog = atmosphere.layerfog;
      fog.zmin = data->zMin;
      fog.zmax = data->zMax;
      fog.density = data->density;
      fog.fogbackground = (data->flags & kLayerFogBackground) != 0;
      fog.falloff = (data->flags & kLayerFogTopFalloff)      ? 1
                    : (data->flags & kLayerFogBottomFalloff) ? 2
                                                             : 0;
    }
    TakeColors(layer, COLOR_F, {&atmosphere.layerfog.color});
  }
  if (ChunkNode3ds* cue = FindChildChunk3ds(mdata, DISTANCE_CUE)) {
    if (const auto* data = ChunkDataAs3ds<FogData3ds>(cue)) {
      atmosphere.dcue.nearplane = data->nearPlane;
      atmosphere.dcue.neardimming = data->nearDensity;
      atmosphere.dcue.farplane = data->farPlane;
      atmosphere.dcue.fardimming = data->farDensity;
    }
    atmosphere.dcue.dcuebackground = FindChildChunk3ds(cue, DCUE_BGND) != nullptr;
  }
  for (size_t use = 0; use < std::size(kAtmosphereUses); ++use) {
    if (FindChildChunk3ds(mdata, kAtmosphereUses[use]) != nullptr) {
      atmosphere.active = static_cast<int32_t>(use + 1);
      break;
    }
  }
}

void PutAtmosphere3ds(ChunkDatabase3ds* database, const Atmosphere3ds* atmosphere) {
  ChunkNode3ds* mdata = StartPut(database, atmosphere);
  if (mdata == nullptr) return;
  const fogsettings3ds& fog = atmosphere->fog;
  if (ChunkNode3ds* chunk = PutDataChunk(
          mdata, FOG, FogData3ds{fog.nearplane, fog.neardensity, fog.farplane, fog.fardensity})) {
    AddDataChunk3ds(chunk, COLOR_F, DataOf(fog.color));
    if (fog.fogbackground) AddDataChunk3ds(chunk, FOG_BGND, std::monostate{});
  }
  const layerfogsettings3ds& layer = atmosphere->layerfog;
  uint32_t flags = (layer.fogbackground ? kLayerFogBackground : 0) |
                   (layer.falloff == 1   ? kLayerFogTopFalloff
                    : layer.falloff == 2 ? kLayerFogBottomFalloff
                                         : 0);
  if (ChunkNode3ds* chunk = PutDataChunk(
          mdata, LAYER_FOG, LayerFogData3ds{layer.zmin, layer.zmax, layer.density, flags})) {
    AddDataChunk3ds(chunk, COLOR_F, DataOf(layer.color));
  }
  const dcuesettings3ds& cue = atmosphere->dcue;
  if (ChunkNode3ds* chunk =
          PutDataChunk(mdata, DISTANCE_CUE,
                       FogData3ds{cue.nearplane, cue.neardimming, cue.farplane, cue.fardimming})) {
    if (cue.dcuebackground) AddDataChunk3ds(chunk, DCUE_BGND, std::monostate{});
  }
  PutUseChunk(mdata, kAtmosphereUses, atmosphere->active);
}

void CopyAtmosphere3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source) {
  CopyThroughRecord<Atmosphere3ds>(destination, source, GetAtmosphere3ds, PutAtmosphere3ds);
}

void InitBackground3ds(Background3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Background3ds{};
}

void ReleaseBackground3ds(Background3ds** out) { ReleaseRecord3ds(out); }

void GetBackground3ds(ChunkDatabase3ds* database, Background3ds** out) {
  ChunkNode3ds* mdata = StartGet(database, out);
  if (mdata == nullptr) return;
  Background3ds& background = **out;
  if (const auto* bitmap = ChildData<NameData3ds>(mdata, BIT_MAP)) background.bitmap = bitmap->name;
  if (ChunkNode3ds* solid = FindChildChunk3ds(mdata, SOLID_BGND)) {
    TakeColors(solid, COLOR_F, {&background.solid});
    TakeColors(solid, LIN_COLOR_F, {&background.solid});
  }
  if (ChunkNode3ds* gradient = FindChildChunk3ds(mdata, V_GRADIENT)) {
    vgradient3ds& colors = background.gradient;
    if (const auto* midpoint = ChunkDataAs3ds<FloatData3ds>(gradient))
      colors.midpoint = midpoint->value;
    TakeColors(gradient, COLOR_F, {&colors.top, &colors.mid, &colors.bottom});
    TakeColors(gradient, LIN_COLOR_F, {&colors.top, &colors.mid, &colors.bottom});
  }
  for (int32_t used :
       {kUseBitmapBackground3ds, kUseSolidBackground3ds, kUseGradientBackground3ds}) {
    if (FindChildChunk3ds(mdata, kBackgroundUses[used - 1]) != nullptr) {
      background.used = used;
      break;
    }
  }
}

void PutBackground3ds(ChunkDatabase3ds* database, const Background3ds* background) {
  ChunkNode3ds* mdata = StartPut(database, background);
  if (mdata == nullptr) return;
  PutDataChunk(mdata, BIT_MAP, NameData3ds{background->bitmap});
  if (ChunkNode3ds* solid = PutDataChunk(mdata, SOLID_BGND, std::monostate{})) {
    AddDataChunk3ds(solid, COLOR_F, DataOf(background->solid));
    AddDataChunk3ds(solid, LIN_COLOR_F, DataOf(background->solid));
  }
  const vgradient3ds& colors = background->gradient;
  if (ChunkNode3ds* gradient = PutDataChunk(mdata, V_GRADIENT, FloatData3ds{colors.midpoint})) {
    for (uint16_t tag : {COLOR_F, LIN_COLOR_F}) {
      for (const fcolor3ds* color : {&colors.top, &colors.mid, &colors.bottom})
        AddDataChunk3ds(gradient, tag, DataOf(*color));
    }
  }
  PutUseChunk(mdata, kBackgroundUses, background->used);
}

void CopyBackground3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source) {
  CopyThroughRecord<Background3ds>(destination, source, GetBackground3ds, PutBackground3ds);
}

void InitMeshSet3ds(Meshset3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Meshset3ds{};
}

void ReleaseMeshSet3ds(Meshset3ds** out) { ReleaseRecord3ds(out); }

void GetMeshSet3ds(ChunkDatabase3ds* database, Meshset3ds** out) {
  ChunkNode3ds* mdata = StartGet(database, out);
  if (mdata == nullptr) return;
  Meshset3ds& settings = **out;
  if (const auto* value = ChildData<FloatData3ds>(mdata, MASTER_SCALE))
    settings.masterscale = value->value;
  if (const auto* value = ChildData<FloatData3ds>(mdata, LO_SHADOW_BIAS))
    settings.loshadowbias = value->value;
  if (const auto* value = ChildData<FloatData3ds>(mdata, RAY_BIAS)) settings.raybias = value->value;
  if (const auto* value = ChildData<ShortData3ds>(mdata, SHADOW_MAP_SIZE))
    settings.shadowmapsize = value->value;
  if (const auto* value = ChildData<FloatData3ds>(mdata, SHADOW_FILTER))
    settings.shadowfilter = value->value;
  if (const auto* value = ChildData<PointData3ds>(mdata, O_CONSTS)) settings.oconsts = value->point;
  ChunkNode3ds* ambient = FindChildChunk3ds(mdata, AMBIENT_LIGHT);
  if (ambient == nullptr) return;
  for (auto [floats, bytes] :
       {std::pair{COLOR_F, COLOR_24}, std::pair{LIN_COLOR_F, LIN_COLOR_24}}) {
    if (const auto* color = ChildData<ColorFloatData3ds>(ambient, floats)) {
      settings.ambientlight = ColorOf(*color);
    } else if (const auto* steps = ChildData<Color24Data3ds>(ambient, bytes)) {
      settings.ambientlight = {steps->red / kAmbientByteScale, steps->green / kAmbientByteScale,
                               steps->blue / kAmbientByteScale};
    }
  }
}

void PutMeshSet3ds(ChunkDatabase3ds* database, const Meshset3ds* settings) {
  ChunkNode3ds* mdata = StartPut(database, settings);
  if (mdata == nullptr) return;
  if (FindChildChunk3ds(mdata, MESH_VERSION) == nullptr) PutMeshVersion3ds(database, 3);
  PutDataChunk(mdata, MASTER_SCALE, FloatData3ds{settings->masterscale});
  PutDataChunk(mdata, LO_SHADOW_BIAS, FloatData3ds{settings->loshadowbias});
  PutDataChunk(mdata, SHADOW_MAP_SIZE, ShortData3ds{settings->shadowmapsize});
  PutDataChunk(mdata, SHADOW_FILTER, FloatData3ds{settings->shadowfilter});
  PutDataChunk(mdata, RAY_BIAS, FloatData3ds{settings->raybias});
  if (ChunkNode3ds* ambient = PutDataChunk(mdata, AMBIENT_LIGHT, std::monostate{})) {
    AddDataChunk3ds(ambient, COLOR_F, DataOf(settings->ambientlight));
    AddDataChunk3ds(ambient, LIN_COLOR_F, DataOf(settings->ambientlight));
  }
  PutDataChunk(mdata, O_CONSTS, PointData3ds{settings->oconsts});
}

void CopyMeshSet3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source) {
  CopyThroughRecord<Meshset3ds>(destination, source, GetMeshSet3ds, PutMeshSet3ds);
}

void InitViewport3ds(Viewport3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Viewport3ds{};
}

void ReleaseViewport3ds(Viewport3ds** out) { ReleaseRecord3ds(out); }

void GetViewport3ds(ChunkDatabase3ds* database, Viewport3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* section = FindChildChunk3ds(database->root, KFDATA);
  if (section == nullptr) section = FindMDataOf(database);
  if (section == nullptr || !ReuseOrAllocate3ds(out)) return;
  **out = Viewport3ds{};
  if (ChunkNode3ds* layout = FindChildChunk3ds(section, VIEWPORT_LAYOUT))
    ReadViewportLayout3ds(layout, *out);
}

void ReadViewportLayout3ds(ChunkNode3ds* layout, Viewport3ds* out) {
  if (layout == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  const auto* values = ChunkDataAs3ds<ViewportLayoutData3ds>(layout);
  if (values == nullptr) return;
  const int16_t current = values->values[1];
  if (const auto* size = ChildData<ViewportSizeData3ds>(layout, VIEWPORT_SIZE))
    out->size = {size->x, size->y, size->width, size->height};
  int16_t position = 0;
  for (ChunkNode3ds* child = layout->children; child != nullptr; child = child->next) {
    if (child->tag != VIEWPORT_DATA && child->tag != VIEWPORT_DATA_3) continue;
    if (position++ != current) continue;
    if (const auto* view = ChunkDataAs3ds<ViewportData3ds>(child)) ReadView(*view, out);
    return;
  }
}

void GetDefaultView3ds(ChunkDatabase3ds* database, Viewport3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false) || !ReuseOrAllocate3ds(out)) return;
  ChunkNode3ds* defaultView = FindChildChunk3ds(FindMDataOf(database), DEFAULT_VIEW);
  ChunkNode3ds* view = defaultView != nullptr ? defaultView->children : nullptr;
  if (view == nullptr) return;
  Viewport3ds& viewport = **out;
  if (view->tag >= VIEW_TOP && view->tag <= VIEW_BACK && view->tag % kOrthoViewStep == 0) {
    const auto* data = ChunkDataAs3ds<ViewData3ds>(view);
    if (data == nullptr) return;
    viewport.type = static_cast<int16_t>((view->tag - VIEW_TOP) / kOrthoViewStep + kViewTop3ds);
    viewport.ortho.center = data->target;
    viewport.ortho.zoom = ZoomOf(data->width, viewport, viewport.ortho.zoom);
  } else if (view->tag == VIEW_USER) {
    const auto* data = ChunkDataAs3ds<ViewUserData3ds>(view);
    if (data == nullptr) return;
    viewport.type = kViewUser3ds;
    viewport.user.center = data->target;
    viewport.user.zoom = ZoomOf(data->width, viewport, viewport.user.zoom);
    viewport.user.horizontalangle = data->horizontalAngle;
    viewport.user.verticalangle = data->verticalAngle;
  } else if (view->tag == VIEW_CAMERA) {
    const auto* data = ChunkDataAs3ds<NameData3ds>(view);
    if (data == nullptr) return;
    viewport.type = kViewCamera3ds;
    CopyName3ds(viewport.camera, sizeof(viewport.camera), data->name);
  }
}

void PutViewport3ds(ChunkDatabase3ds* database, const Viewport3ds* viewport) {
  ChunkNode3ds* mdata = StartPut(database, viewport);
  if (mdata == nullptr) return;
  CheckStringLength3ds(viewport->camera, kObjectNameSize3ds - 1);
  ChunkNode3ds* kfdata = nullptr;
  FindKfData3ds(database->root, &kfdata);
  if (ErrorsPending3ds()) return;
  PutViewportLayout3ds(mdata, viewport);
  PutViewportLayout3ds(kfdata, viewport);
  PutDefaultView3ds(mdata, viewport);
}

void PutViewportLayout3ds(ChunkNode3ds* parent, const Viewport3ds* viewport) {
  if (parent == nullptr || viewport == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  // One view, the current one (position 0).
  ChunkNode3ds* layout = PutDataChunk(parent, VIEWPORT_LAYOUT, ViewportLayoutData3ds{});
  if (layout == nullptr) return;
  const viewsize3ds& size = viewport->size;
  AddDataChunk3ds(layout, VIEWPORT_SIZE,
                  ViewportSizeData3ds{size.xpos, size.ypos, size.width, size.height});
  bool user = viewport->type == kViewUser3ds;
  ViewportData3ds view;
  view.values = {0,
                 0,
                 static_cast<int16_t>(size.xpos),
                 static_cast<int16_t>(size.ypos),
                 static_cast<int16_t>(size.width),
                 static_cast<int16_t>(size.height),
                 viewport->type};
  view.zoom = user ? viewport->user.zoom : viewport->ortho.zoom;
  view.center = user ? viewport->user.center : viewport->ortho.center;
  view.horizontalAngle = viewport->user.horizontalangle;
  view.verticalAngle = viewport->user.verticalangle;
  view.camera = viewport->camera;
  AddDataChunk3ds(layout, VIEWPORT_DATA_3, std::move(view));
}

void PutDefaultView3ds(ChunkNode3ds* mdata, const Viewport3ds* viewport) {
  if (mdata == nullptr || viewport == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  ChunkNode3ds* defaultView = PutDataChunk(mdata, DEFAULT_VIEW, std::monostate{});
  if (defaultView == nullptr) return;
  const auto width = static_cast<float>(viewport->size.width);
  if (viewport->type >= kViewTop3ds && viewport->type <= kViewBack3ds) {
    auto tag = static_cast<uint16_t>(VIEW_TOP + (viewport->type - kViewTop3ds) * kOrthoViewStep);
    AddDataChunk3ds(defaultView, tag,
                    ViewData3ds{viewport->ortho.center, viewport->ortho.zoom * width});
  } else if (viewport->type == kViewUser3ds) {
    const userview3ds& user = viewport->user;
    AddDataChunk3ds(defaultView, VIEW_USER,
                    ViewUserData3ds{user.center, user.zoom * width, user.horizontalangle,
                                    user.verticalangle, 0.0f});
  } else if (viewport->type == kViewCamera3ds) {
    AddDataChunk3ds(defaultView, VIEW_CAMERA, NameData3ds{viewport->camera});
  }
}

void CopyViewport3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source) {
  CopyThroughRecord<Viewport3ds>(destination, source, GetViewport3ds, PutViewport3ds);
}
