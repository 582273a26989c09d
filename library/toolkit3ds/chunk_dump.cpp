#include "library/toolkit3ds/chunk_dump.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "library/toolkit3ds/chunk_names.h"
#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/material_objects.h"

int32_t DumpDetail3ds = 2;

namespace {

constexpr int32_t kIndentStep = 3;  // blanks per level
constexpr size_t kIndentRun = 42;   // blanks: 14 levels
constexpr char kBlanks[kIndentRun + 1] = "                                          ";
static_assert(sizeof(kBlanks) - 1 == kIndentRun);

constexpr int32_t kFullDetail = 2;

// Writes nothing without a stream: the silent walk shares every step of the dump.
[[gnu::format(printf, 2, 3)]] void Put(FILE* stream, const char* format, ...) {
  if (stream == nullptr) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stream, format, arguments);
  va_end(arguments);
}

struct FlagName {
  uint16_t bit;
  const char* name;
};

constexpr FlagName kTilingFlags[] = {
    {TEX_DECAL, " TEX_DECAL"},
    {TEX_MIRROR, " TEX_MIRROR"},
    {TEX_UNUSED1, " TEX_UNUSED1"},
    {TEX_INVERT, " TEX_INVERT"},
    {TEX_NOWRAP, " TEX_NOWRAP"},
    {TEX_SAT, " TEX_SAT"},
    {TEX_ALPHA_SOURCE, " TEX_ALPHA_SOURCE"},
    {TEX_TINT, " TEX_TINT"},
    {TEX_DONT_USE_ALPHA, " TEX_DONT_USE_ALPHA"},
    {TEX_RGB_TINT, " TEX_RGB_TINT"},
};

// ATKEYFLAGS stands for any of the five ATKEY bits.
constexpr uint16_t kAtKeyFlags = 0x01F0;
constexpr FlagName kAtKeyFlagsName{kAtKeyFlags, "ATKEYFLAGS"};
constexpr FlagName kNodeFlags1Low[] = {
    {0x0004, "NODE_RENDOB_HIDE"}, {0x0008, "NODE_OFF"}, {0x0010, "ATKEY1"}, {0x0020, "ATKEY2"},
    {0x0040, "ATKEY3"},           {0x0080, "ATKEY4"},   {0x0100, "ATKEY5"},
};
constexpr FlagName kNodeFlags1High[] = {
    {0x0200, "MARK_NODE"}, {0x0400, "DISABLE_NODE"}, {0x0800, "HIDE_NODE"},
    {0x1000, "FAST_NODE"}, {0x4000, "PRIMARY_NODE"}, {0x8000, "NODE_CALC_PATH"},
};
constexpr FlagName kNodeFlags2[] = {
    {0x0001, "NODE_HAS_PATH"},   {0x0002, "NODE_AUTO_SMOOTH"}, {0x0004, "NODE_FROZEN"},
    {0x0008, "NODE_ANI_HIDDEN"}, {0x0010, "NODE_MOTION_BLUR"}, {0x0020, "NODE_BLUR_BRANCH"},
    {0x0040, "NODE_MORPH_MTL"},  {0x0080, "NODE_MORPH_OB"},
};

template <size_t N>
void PutFlagLines(FILE* stream, const char* indent, uint16_t flags, const FlagName (&names)[N]) {
  for (const FlagName& flag : names) {
    if (flags & flag.bit) Put(stream, "%s%s\n", indent, flag.name);
  }
}

void PutMatrix(FILE* stream, const char* indent, const std::array<float, 12>& matrix) {
  for (int row = 0; row < 4; ++row) {
    int i = 3 * row;
    Put(stream, "%s[%i] %f [%i] %f [%i] %f\n", indent, i, static_cast<double>(matrix[i]), i + 1,
        static_cast<double>(matrix[i + 1]), i + 2, static_cast<double>(matrix[i + 2]));
  }
}

void PutPoint(FILE* stream, const char* indent, const char* text, const point3ds& p) {
  Put(stream, "%s%s%f, %f, %f\n", indent, text, static_cast<double>(p.x), static_cast<double>(p.y),
      static_cast<double>(p.z));
}

void PutFloat(FILE* stream, const char* indent, const char* format, float value) {
  std::string line = std::string("%s") + format + "\n";
  Put(stream, line.c_str(), indent, static_cast<double>(value));
}

void PutColor(FILE* stream, const char* indent, float r, float g, float b) {
  Put(stream, "%sColor R: %f,G: %f,B: %f\n", indent, static_cast<double>(r), static_cast<double>(g),
      static_cast<double>(b));
}

void PutNodeHeader(FILE* stream, const char* indent, const NodeHeaderData3ds& header) {
  bool full = DumpDetail3ds == kFullDetail;
  Put(stream, "%sObject name: %s\n", indent, header.name.c_str());
  Put(stream, "%sFlags 1: %x\n", indent, header.flags1);
  if (full) {
    PutFlagLines(stream, indent, header.flags1, kNodeFlags1Low);
    if (header.flags1 & kAtKeyFlags) Put(stream, "%s%s\n", indent, kAtKeyFlagsName.name);
    PutFlagLines(stream, indent, header.flags1, kNodeFlags1High);
  }
  Put(stream, "%sFlags 2: %x\n", indent, header.flags2);
  if (full) PutFlagLines(stream, indent, header.flags2, kNodeFlags2);
  if (header.parentIndex == -1) {
    Put(stream, "%sNo Parent\n", indent);
  } else {
    Put(stream, "%sParent %i\n", indent, header.parentIndex);
  }
}

void PutKeyValue(FILE* stream, const char* indent, uint16_t tag, const point3ds& value) {
  PutPoint(stream, indent, tag == SCL_TRACK_TAG ? "Scale of " : "Object at ", value);
}
void PutKeyValue(FILE* stream, const char* indent, uint16_t, const RotationKey3ds& value) {
  PutFloat(stream, indent, "Rotation of %f", value.angle);
  PutPoint(stream, indent, "Axis of ", {value.x, value.y, value.z});
}
void PutKeyValue(FILE* stream, const char* indent, uint16_t tag, float value) {
  const char* format = tag == FOV_TRACK_TAG    ? "Camera Fov of %f"
                       : tag == ROLL_TRACK_TAG ? "Camera Roll of %f"
                       : tag == HOT_TRACK_TAG  ? "Hotspot angle of %f"
                                               : "Falloff Angle of %f";
  PutFloat(stream, indent, format, value);
}
void PutKeyValue(FILE* stream, const char* indent, uint16_t, const ColorKey3ds& value) {
  PutColor(stream, indent, value.red, value.green, value.blue);
}
void PutKeyValue(FILE* stream, const char* indent, uint16_t, const MorphKey3ds& value) {
  Put(stream, "%sMorph to %s\n", indent, value.object.c_str());
}
void PutKeyValue(FILE*, const char*, uint16_t, const HideKey3ds&) {}

template <typename Value>
void PutTrack(FILE* stream, int32_t depth, uint16_t tag, const TrackData3ds<Value>& track) {
  const char* indent = DumpIndent3ds(depth);
  size_t keys = std::min(track.keys.size(), track.values.size());
  Put(stream, "%s%u Keys, %x Flags.\n", indent, static_cast<unsigned>(keys), track.header.flags);
  for (size_t key = 0; key < keys; ++key) {
    DumpKeyHeader3ds(stream, track.keys[key], depth);
    PutKeyValue(stream, indent, tag, track.values[key]);
  }
}

// The kinds whose data the dump decodes; BOUNDBOX is shown only when its data is already held.
bool IsDecodedKind(uint16_t tag) {
  switch (tag) {
    case M3D_VERSION:
    case MESH_VERSION:
    case COLOR_F:
    case LIN_COLOR_F:
    case COLOR_24:
    case LIN_COLOR_24:
    case MAT_MAP_COL1:
    case MAT_MAP_COL2:
    case MAT_MAP_RCOL:
    case MAT_MAP_GCOL:
    case MAT_MAP_BCOL:
    case INT_PERCENTAGE:
    case MAT_BUMP_PERCENT:
    case FLOAT_PERCENTAGE:
    case MASTER_SCALE:
    case BIT_MAP:
    case V_GRADIENT:
    case LO_SHADOW_BIAS:
    case HI_SHADOW_BIAS:
    case RAY_BIAS:
    case SHADOW_MAP_SIZE:
    case SHADOW_SAMPLES:
    case SHADOW_RANGE:
    case SHADOW_FILTER:
    case O_CONSTS:
    case FOG:
    case DISTANCE_CUE:
    case LAYER_FOG:
    case VIEW_USER:
    case VIEW_CAMERA:
    case NAMED_OBJECT:
    case POINT_ARRAY:
    case POINT_FLAG_ARRAY:
    case FACE_ARRAY:
    case MSH_MAT_GROUP:
    case TEX_VERTS:
    case MESH_MATRIX:
    case MESH_COLOR:
    case MESH_TEXTURE_INFO:
    case PROC_NAME:
    case MSH_BOXMAP:
    case N_DIRECT_LIGHT:
    case DL_SPOTLIGHT:
    case DL_LOCAL_SHADOW2:
    case DL_SPOT_PROJECTOR:
    case DL_EXCLUDE:
    case DL_SPOT_ROLL:
    case DL_SPOT_ASPECT:
    case DL_RAY_BIAS:
    case DL_INNER_RANGE:
    case DL_OUTER_RANGE:
    case DL_MULTIPLIER:
    case N_CAMERA:
    case CAM_RANGES:
    case VIEWPORT_LAYOUT:
    case VIEWPORT_DATA:
    case VIEWPORT_DATA_3:
    case VIEWPORT_SIZE:
    case XDATA_APPNAME:
    case XDATA_STRING:
    case PARENT_NAME:
    case MAT_NAME:
    case MAT_WIRESIZE:
    case MAT_SHADING:
    case MAT_MAPNAME:
    case MAT_ACUBIC:
    case MAT_MAP_TILING:
    case MAT_MAP_TEXBLUR:
    case MAT_MAP_USCALE:
    case MAT_MAP_VSCALE:
    case MAT_MAP_UOFFSET:
    case MAT_MAP_VOFFSET:
    case MAT_MAP_ANG:
    case KFSEG:
    case KFCURTIME:
    case KFHDR:
    case NODE_HDR:
    case INSTANCE_NAME:
    case PIVOT:
    case MORPH_SMOOTH:
    case NODE_ID:
      return true;
    default:
      return (tag >= VIEW_TOP && tag <= VIEW_BACK && tag % 0x10 == 0) ||
             (tag >= POS_TRACK_TAG && tag <= HIDE_TRACK_TAG);
  }
}

// The float lines of the kinds that hold one float.
const char* FloatFormat(uint16_t tag) {
  switch (tag) {
    case FLOAT_PERCENTAGE:
      return "Percentage of %f";
    case MASTER_SCALE:
      return "Master Scale %f";
    case V_GRADIENT:
      return "Midpoint %f";
    case LO_SHADOW_BIAS:
    case HI_SHADOW_BIAS:
    case RAY_BIAS:
      return "Bias of %f";
    case SHADOW_FILTER:
      return "Filter of %f";
    case DL_SPOT_ROLL:
      return "Roll angle of %f.";
    case DL_SPOT_ASPECT:
      return "Spot aspect of %f.";
    case DL_RAY_BIAS:
      return "Bias of %f.";
    case DL_INNER_RANGE:
    case DL_OUTER_RANGE:
      return "Range of %f.";
    case DL_MULTIPLIER:
      return "Multiple of %f.";
    case MAT_WIRESIZE:
      return "Wire frame size of %f";
    case MAT_MAP_TEXBLUR:
      return "Map bluring of %f";
    case MAT_MAP_USCALE:
      return "Map U scale of %f";
    case MAT_MAP_VSCALE:
      return "Map V scale of %f";
    case MAT_MAP_UOFFSET:
      return "Map U offset of %f";
    case MAT_MAP_VOFFSET:
      return "Map V offset of %f";
    case MAT_MAP_ANG:
      return "Map rotation angle of %f";
    case MORPH_SMOOTH:
      return "Morph Smoothing Angle of %f";
    default:
      return nullptr;
  }
}

// The text lines of the kinds that hold one name.
const char* NameFormat(uint16_t tag) {
  switch (tag) {
    case BIT_MAP:
      return "%sBitmap name %s\n";
    case VIEW_CAMERA:
      return "%sCamera name %s\n";
    case NAMED_OBJECT:
      return "%sName: %s\n";
    case PROC_NAME:
      return "%sProcedure Name of %s\n";
    case DL_SPOT_PROJECTOR:
      return "%sFilename of %s.\n";
    case DL_EXCLUDE:
      return "%sExclude %s.\n";
    case XDATA_APPNAME:
      return "%sApplication name %s\n";
    case XDATA_STRING:
      return "%sString value of %s\n";
    case MAT_NAME:
      return "%sMaterial name %s\n";
    case MAT_MAPNAME:
      return "%sMap name %s\n";
    case INSTANCE_NAME:
      return "%sInstance name: %s\n";
    default:
      return nullptr;
  }
}

void PutShorts(FILE* stream, const char* indent, uint16_t tag, int16_t value) {
  if (tag == INT_PERCENTAGE || tag == MAT_BUMP_PERCENT) {
    Put(stream, "%sPercentage of %i%%\n", indent, value);
  } else if (tag == SHADOW_MAP_SIZE || tag == SHADOW_SAMPLES) {
    Put(stream, "%sSize of %i\n", indent, value);
  } else if (tag == MAT_SHADING) {
    Put(stream, "%sShading value of %u\n", indent, static_cast<unsigned>(value));
  } else if (tag == NODE_ID) {
    Put(stream, "%s Node ID: %d \n", indent, value);
  }
}

void PutDwords(FILE* stream, const char* indent, uint16_t tag, uint32_t value) {
  if (tag == SHADOW_RANGE) {
    Put(stream, "%sRange of %i\n", indent, static_cast<int>(value));
  } else if (tag == KFCURTIME) {
    Put(stream, "%sCurrent frame is %i\n", indent, static_cast<int>(value));
  } else {
    Put(stream, "%sVersion %u\n", indent, value);
  }
}

void PutViewportData(FILE* stream, const char* indent, const ViewportData3ds& d) {
  Put(stream, "%sFlags of %x\n", indent, static_cast<uint16_t>(d.values[0]));
  Put(stream, "%sAxis Lockouts of %x\n", indent, static_cast<uint16_t>(d.values[1]));
  Put(stream, "%sWindow Position of %i, %i\n", indent, d.values[2], d.values[3]);
  Put(stream, "%sWindow Size of %i, %i\n", indent, d.values[4], d.values[5]);
  Put(stream, "%sWindow View of %i\n", indent, d.values[6]);
  PutFloat(stream, indent, "Zoom Factor of %f", d.zoom);
  PutPoint(stream, indent, "World center of ", d.center);
  PutFloat(stream, indent, "Horizontal Angle of %f", d.horizontalAngle);
  PutFloat(stream, indent, "Vertical Angle of %f", d.verticalAngle);
  Put(stream, "%sCamera Name of %s\n", indent, d.camera.c_str());
}

void PutMapInfo(FILE* stream, const char* indent, const MeshTextureInfoData3ds& d) {
  Put(stream, "%sMap Type of %i\n", indent, d.mapType);
  PutFloat(stream, indent, "X Tiling of %f", d.tileX);
  PutFloat(stream, indent, "Y Tiling of %f", d.tileY);
  PutPoint(stream, indent, "Icon position of ", d.iconPosition);
  PutMatrix(stream, indent, d.matrix);
  PutFloat(stream, indent, "Scaling Value of %f", d.scale);
  PutFloat(stream, indent, "Planar Icon Width of %f", d.planarWidth);
  PutFloat(stream, indent, "Planar Icon Height of %f", d.planarHeight);
  PutFloat(stream, indent, "Cylinder Icon Height of %f", d.cylinderHeight);
}

// The lines of the arrays, which list their elements only at full detail.
void PutArrays(FILE* stream, const char* indent, const ChunkData3ds& data) {
  bool full = DumpDetail3ds == kFullDetail;
  if (const auto* d = std::get_if<PointArrayData3ds>(&data)) {
    Put(stream, "%s%u Vertices\n", indent, static_cast<unsigned>(d->points.size()));
    for (size_t i = 0; full && i < d->points.size(); ++i) {
      const point3ds& p = d->points[i];
      Put(stream, "%sVertex %i at %f, %f, %f\n", indent, static_cast<int>(i),
          static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
    }
  } else if (const auto* f = std::get_if<PointFlagArrayData3ds>(&data)) {
    Put(stream, "%s%u Flags\n", indent, static_cast<unsigned>(f->flags.size()));
    for (size_t i = 0; full && i < f->flags.size(); ++i)
      Put(stream, "%sFlag %i is %u\n", indent, static_cast<int>(i), f->flags[i]);
  } else if (const auto* faces = std::get_if<FaceArrayData3ds>(&data)) {
    Put(stream, "%s%u Faces\n", indent, static_cast<unsigned>(faces->faces.size()));
    for (size_t i = 0; full && i < faces->faces.size(); ++i) {
      const face3ds& face = faces->faces[i];
      Put(stream, "%sFace %i vertices %i, %i, %i and flag %x\n", indent, static_cast<int>(i),
          face.v1, face.v2, face.v3, face.flag);
    }
  } else if (const auto* t = std::get_if<TexVertsData3ds>(&data)) {
    Put(stream, "%s%u Vertices\n", indent, static_cast<unsigned>(t->vertices.size()));
    for (size_t i = 0; full && i < t->vertices.size(); ++i) {
      Put(stream, "%sVertex %i with tex vert of %f, %f\n", indent, static_cast<int>(i),
          static_cast<double>(t->vertices[i].u), static_cast<double>(t->vertices[i].v));
    }
  }
}

void PutData(FILE* stream, uint16_t tag, const ChunkData3ds& data, int32_t depth) {
  const char* indent = DumpIndent3ds(depth);
  if (const auto* f = std::get_if<FloatData3ds>(&data)) {
    if (const char* format = FloatFormat(tag)) PutFloat(stream, indent, format, f->value);
  } else if (const auto* n = std::get_if<NameData3ds>(&data)) {
    if (tag == PARENT_NAME) {
      if (n->name.empty()) {
        Put(stream, "%sNo Parent\n", indent);
      } else {
        Put(stream, "%sParent name: %s\n", indent, n->name.c_str());
      }
    } else if (const char* format = NameFormat(tag)) {
      Put(stream, format, indent, n->name.c_str());
    }
  } else if (const auto* s = std::get_if<ShortData3ds>(&data)) {
    PutShorts(stream, indent, tag, s->value);
  } else if (const auto* w = std::get_if<DwordData3ds>(&data)) {
    PutDwords(stream, indent, tag, w->value);
  } else if (const auto* c = std::get_if<ColorFloatData3ds>(&data)) {
    PutColor(stream, indent, c->red, c->green, c->blue);
  } else if (const auto* b = std::get_if<Color24Data3ds>(&data)) {
    Put(stream, "%sColor R: %u,G: %u,B: %u\n", indent, b->red, b->green, b->blue);
  } else if (const auto* p = std::get_if<PointData3ds>(&data)) {
    const char* text = tag == O_CONSTS ? "Plane at " : tag == PIVOT ? "Pivot at " : "Light at ";
    PutPoint(stream, indent, text, p->point);
  } else if (const auto* fog = std::get_if<FogData3ds>(&data)) {
    PutFloat(stream, indent, "Near plane at %f", fog->nearPlane);
    PutFloat(stream, indent, "Near density of %f", fog->nearDensity);
    PutFloat(stream, indent, "Far plane at %f", fog->farPlane);
    PutFloat(stream, indent, "Far density of %f", fog->farDensity);
  } else if (const auto* layer = std::get_if<LayerFogData3ds>(&data)) {
    Put(stream, "%sFog Z range is %f to %f.\n", indent, static_cast<double>(layer->zMin),
        static_cast<double>(layer->zMax));
    PutFloat(stream, indent, "Fog density is %f.", layer->density);
    Put(stream, "%sFog type of %x.\n", indent, layer->flags);
  } else if (const auto* view = std::get_if<ViewData3ds>(&data)) {
    PutPoint(stream, indent, "Target at ", view->target);
    PutFloat(stream, indent, "View width of %f", view->width);
  } else if (const auto* user = std::get_if<ViewUserData3ds>(&data)) {
    PutPoint(stream, indent, "Target at ", user->target);
    PutFloat(stream, indent, "View width of %f", user->width);
    PutFloat(stream, indent, "Horizontal view angle of %f", user->horizontalAngle);
    PutFloat(stream, indent, "Vertical view angle of %f", user->verticalAngle);
    PutFloat(stream, indent, "Bank angle of %f", user->bankAngle);
  } else if (const auto* group = std::get_if<MaterialGroupData3ds>(&data)) {
    Put(stream, "%sMaterial Name Of %s\n", indent, group->materialName.c_str());
    Put(stream, "%sAssigned to %i faces\n", indent, static_cast<int>(group->faces.size()));
  } else if (const auto* matrix = std::get_if<MeshMatrixData3ds>(&data)) {
    PutMatrix(stream, indent, matrix->matrix);
  } else if (const auto* color = std::get_if<ByteData3ds>(&data)) {
    Put(stream, "%sColor index of %i\n", indent, color->value);
  } else if (const auto* info = std::get_if<MeshTextureInfoData3ds>(&data)) {
    PutMapInfo(stream, indent, *info);
  } else if (const auto* boxmap = std::get_if<BoxMapData3ds>(&data)) {
    Put(stream, "%sBoxmap consists of the following materials:\n", indent);
    for (const std::string& side : boxmap->materials) Put(stream, "%s%s\n", indent, side.c_str());
  } else if (const auto* spot = std::get_if<SpotlightData3ds>(&data)) {
    PutPoint(stream, indent, "Target at ", spot->target);
    Put(stream, "%sHotspot cone of %f, Falloff cone of %f\n", indent,
        static_cast<double>(spot->hotspot), static_cast<double>(spot->falloff));
  } else if (const auto* shadow = std::get_if<LocalShadowData3ds>(&data)) {
    PutFloat(stream, indent, "Shadow bias of %f", shadow->bias);
    PutFloat(stream, indent, "Shadow filter of %f", shadow->filter);
    Put(stream, "%sShadow map size of %d\n", indent, shadow->mapSize);
  } else if (const auto* camera = std::get_if<CameraData3ds>(&data)) {
    PutPoint(stream, indent, "Camera at ", camera->position);
    PutPoint(stream, indent, "Target at ", camera->target);
    Put(stream, "%sBank angle of %f and a foc of %f\n", indent,
        static_cast<double>(camera->bankAngle), static_cast<double>(camera->focalLength));
  } else if (const auto* ranges = std::get_if<CameraRangesData3ds>(&data)) {
    Put(stream, "%sCamera near range is %f and far range is %f.\n", indent,
        static_cast<double>(ranges->nearPlane), static_cast<double>(ranges->farPlane));
  } else if (const auto* layout = std::get_if<ViewportLayoutData3ds>(&data)) {
    static constexpr const char* kLayoutLines[] = {"Form",    "Top",       "Ready",   "WState",
                                                   "Swap WS", "Swap Port", "Swap Cur"};
    for (size_t i = 0; i < layout->values.size(); ++i)
      Put(stream, "%s%s of %i\n", indent, kLayoutLines[i], layout->values[i]);
  } else if (const auto* viewport = std::get_if<ViewportData3ds>(&data)) {
    PutViewportData(stream, indent, *viewport);
  } else if (const auto* size = std::get_if<ViewportSizeData3ds>(&data)) {
    Put(stream, "%sWork Area X: %i Y: %i W: %i H: %i\n", indent, size->x, size->y, size->width,
        size->height);
  } else if (const auto* acubic = std::get_if<AcubicData3ds>(&data)) {
    Put(stream, "%sShade level of %i\n", indent, acubic->shadeLevel);
    Put(stream, "%sAntialias level of %i\n", indent, acubic->antialiasLevel);
    Put(stream, "%sFlags of %u\n", indent, static_cast<uint16_t>(acubic->flags));
    Put(stream, "%sMap size of %u\n", indent, acubic->mapSize);
    Put(stream, "%sFrame skip of %u\n", indent, acubic->frameSkip);
  } else if (const auto* tiling = std::get_if<WordData3ds>(&data)) {
    Put(stream, "%sMap flags of", indent);
    for (const FlagName& flag : kTilingFlags) {
      if (tiling->value & flag.bit) Put(stream, "%s", flag.name);
    }
    Put(stream, "%s\n", tiling->value == 0 ? " NONE" : "");
  } else if (const auto* segment = std::get_if<KfSegmentData3ds>(&data)) {
    Put(stream, "%sSegment starts at %i and ends at %i\n", indent, static_cast<int>(segment->first),
        static_cast<int>(segment->last));
  } else if (const auto* header = std::get_if<KfHeaderData3ds>(&data)) {
    Put(stream, "%sRevision level of %x\n", indent, static_cast<uint16_t>(header->revision));
    Put(stream, "%sFilename %s\n", indent, header->fileName.c_str());
    Put(stream, "%sAnimation length of %i\n", indent, static_cast<int>(header->animationLength));
  } else if (const auto* node = std::get_if<NodeHeaderData3ds>(&data)) {
    PutNodeHeader(stream, indent, *node);
  } else if (const auto* box = std::get_if<BoundBoxData3ds>(&data)) {
    PutPoint(stream, indent, "Minimum at ", box->minimum);
    PutPoint(stream, indent, "Maximum at ", box->maximum);
  } else if (const auto* position = std::get_if<PointTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *position);
  } else if (const auto* rotation = std::get_if<RotationTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *rotation);
  } else if (const auto* angle = std::get_if<FloatTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *angle);
  } else if (const auto* colors = std::get_if<ColorTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *colors);
  } else if (const auto* morph = std::get_if<MorphTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *morph);
  } else if (const auto* hide = std::get_if<HideTrackData3ds>(&data)) {
    PutTrack(stream, depth, tag, *hide);
  } else {
    PutArrays(stream, indent, data);
  }
}

}  // namespace

void SetDumpDetail3ds(int32_t detail) { DumpDetail3ds = detail; }

const char* DumpIndent3ds(int32_t depth) {
  size_t blanks = depth <= 0 ? 0 : std::min(static_cast<size_t>(depth) * kIndentStep, kIndentRun);
  return kBlanks + (kIndentRun - blanks);
}

void DumpChunkHeader3ds(FILE* stream, const ChunkNode3ds* node, int32_t depth) {
  if (node == nullptr) return;
  const char* indent = DumpIndent3ds(depth);
  Put(stream, "\n%sChunk %s (%0xH) \n%sLength is %d (%0xH) \n", indent,
      ChunkTagToName3ds(node->tag), static_cast<unsigned>(node->tag), indent,
      static_cast<int>(node->length), node->length);
}

void DumpKeyHeader3ds(FILE* stream, const keyheader3ds& key, int32_t depth) {
  Put(stream, "%sFrame %u", DumpIndent3ds(depth), key.time);
  const struct {
    uint16_t bit;
    const char* format;
    float value;
  } parts[] = {{KEY_USE_TENS, ", Tens %.2f", key.tension},
               {KEY_USE_CONT, ", Cont %.2f", key.continuity},
               {KEY_USE_BIAS, ", Bias %.2f", key.bias},
               {KEY_USE_EASE_TO, ", Ease to %.2f", key.easeto},
               {KEY_USE_EASE_FROM, ", Ease from %.2f", key.easefrom}};
  for (const auto& part : parts) {
    if (key.rflags & part.bit) Put(stream, part.format, static_cast<double>(part.value));
  }
  Put(stream, "\n");
}

void DumpChunk3ds(FILE* stream, ChunkNode3ds* node, int32_t depth) {
  if (node == nullptr) return;
  DumpChunkHeader3ds(stream, node, depth);
  auto tag = static_cast<uint16_t>(node->tag);
  if (DumpDetail3ds != 0) {
    const ChunkData3ds* data = nullptr;
    if (IsDecodedKind(tag)) {
      data = ReadChunkData3ds(node);
    } else if (tag == BOUNDBOX && !std::holds_alternative<std::monostate>(node->data)) {
      data = &node->data;
    }
    if (data != nullptr) PutData(stream, tag, *data, depth);
  }
  for (ChunkNode3ds* child = node->children; child != nullptr; child = child->next) {
    DumpChunk3ds(stream, child, depth + 1);
    if (ErrorsPending3ds()) return;
  }
}

void DumpDatabase3ds(FILE* stream, ChunkDatabase3ds* database) {
  if (stream == nullptr || database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  DumpChunk3ds(stream, database->root, 0);
}

void DumpChunkChecksums3ds(FILE* stream, ChunkNode3ds* node, int32_t depth) {
  for (; node != nullptr; node = node->next) {
    DumpChunkHeader3ds(stream, node, depth);
    // A 32-bit sum, printed signed as it is on the platforms the format comes from.
    Put(stream, "%sChecksum Of %d\n", DumpIndent3ds(depth),
        static_cast<int32_t>(ChunkChecksum3ds(node)));
    DumpChunkChecksums3ds(stream, node->children, depth + 1);
  }
}

void DumpDatabaseChecksums3ds(FILE* stream, ChunkDatabase3ds* database) {
  if (stream == nullptr || database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  DumpChunkChecksums3ds(stream, database->root, 0);
}

void ReadDumpChunks3ds(ChunkDatabase3ds* database) {
  if (database == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  DumpChunk3ds(nullptr, database->root, 0);
}
