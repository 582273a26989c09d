#include "library/toolkit3ds/chunk_data.h"

#include <algorithm>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"

namespace {

constexpr uint32_t kChunkHeaderSize = 6;     // bytes
constexpr size_t kShortNameLength = 10;      // characters of object, camera and instance names
constexpr size_t kFileNameLength = 12;       // characters of bitmap and procedure file names
constexpr size_t kMaterialNameLength = 16;   // characters of material and map names
constexpr size_t kKfFileNameLength = 512;    // characters of the key-frame header's file name
constexpr size_t kViewportCameraField = 11;  // bytes
constexpr size_t kKeyHeaderMinSize = 6;      // bytes: frame number and spline flags

bool IsContainer(uint16_t tag) {
  switch (tag) {
    case M3DMAGIC:
    case CMAGIC:
    case MLIBMAGIC:
    case MDATA:
    case N_TRI_OBJECT:
    case SOLID_BGND:
    case AMBIENT_LIGHT:
    case DEFAULT_VIEW:
    case XDATA_SECTION:
    case PARENT_NAME:
      return true;
    default:
      return IsMaterialContainer3ds(tag) || (tag >= MAT_ENTRY && tag <= SPOTLIGHT_NODE_TAG);
  }
}

size_t NameLimit(uint16_t tag, uint32_t bytes) {
  switch (tag) {
    case BIT_MAP:
    case PROC_NAME:
    case DL_SPOT_PROJECTOR:
      return kFileNameLength;
    case MAT_NAME:
    case MAT_MAPNAME:
      return kMaterialNameLength;
    case XDATA_APPNAME:
    case XDATA_STRING:
      return bytes;
    default:
      return kShortNameLength;
  }
}

// Reads one record from the current file, never allocating more than the chunk and the file hold.
class RecordReader {
 public:
  RecordReader(uint16_t tag, uint32_t bytes)
      : tag_(tag), bytes_(bytes), start_(GetFilePosition3ds()) {}

  bool Overran() const { return GetFilePosition3ds() - start_ > bytes_; }

  void operator()(std::monostate&) {}
  void operator()(DwordData3ds& d) { d.value = ReadDword3ds(); }
  void operator()(WordData3ds& d) { d.value = ReadWord3ds(); }
  void operator()(ShortData3ds& d) { d.value = ReadShort3ds(); }
  void operator()(FloatData3ds& d) { d.value = ReadFloat3ds(); }
  void operator()(ByteData3ds& d) { d.value = ReadUByte3ds(); }
  void operator()(ColorFloatData3ds& d) {
    d.red = ReadFloat3ds();
    d.green = ReadFloat3ds();
    d.blue = ReadFloat3ds();
  }
  void operator()(Color24Data3ds& d) {
    d.red = ReadUByte3ds();
    d.green = ReadUByte3ds();
    d.blue = ReadUByte3ds();
  }
  void operator()(PointData3ds& d) { d.point = ReadPoint3ds(); }
  void operator()(NameData3ds& d) { ReadNewString3ds(&d.name, NameLimit(tag_, bytes_)); }
  void operator()(FogData3ds& d) {
    d.nearPlane = ReadFloat3ds();
    d.nearDensity = ReadFloat3ds();
    d.farPlane = ReadFloat3ds();
    d.farDensity = ReadFloat3ds();
  }
  void operator()(LayerFogData3ds& d) {
    d.zMin = ReadFloat3ds();
    d.zMax = ReadFloat3ds();
    d.density = ReadFloat3ds();
    d.flags = ReadDword3ds();
  }
  void operator()(ViewData3ds& d) {
    d.width = ReadFloat3ds();
    d.target = ReadPoint3ds();
  }
  void operator()(ViewUserData3ds& d) {
    d.width = ReadFloat3ds();
    d.horizontalAngle = ReadFloat3ds();
    d.verticalAngle = ReadFloat3ds();
    d.bankAngle = ReadFloat3ds();
    d.target = ReadPoint3ds();
  }
  void operator()(PointArrayData3ds& d) { ReadCountedArray(&d.points); }
  void operator()(PointFlagArrayData3ds& d) { ReadCountedArray(&d.flags); }
  void operator()(FaceArrayData3ds& d) { ReadCountedArray(&d.faces); }
  void operator()(TexVertsData3ds& d) { ReadCountedArray(&d.vertices); }
  void operator()(MaterialGroupData3ds& d) {
    if (!ReadNewString3ds(&d.materialName, kMaterialNameLength)) return;
    ReadCountedArray(&d.faces);
  }
  void operator()(SmoothGroupData3ds& d) { ReadArray(&d.masks, bytes_ / sizeof(uint32_t)); }
  void operator()(MeshMatrixData3ds& d) { ReadBytes3ds(sizeof(d.matrix), d.matrix.data()); }
  void operator()(MeshTextureInfoData3ds& d) {
    d.mapType = ReadWord3ds();
    d.tileX = ReadFloat3ds();
    d.tileY = ReadFloat3ds();
    d.iconPosition = ReadPoint3ds();
    d.scale = ReadFloat3ds();
    ReadBytes3ds(sizeof(d.matrix), d.matrix.data());
    d.planarWidth = ReadFloat3ds();
    d.planarHeight = ReadFloat3ds();
    d.cylinderHeight = ReadFloat3ds();
  }
  void operator()(RawData3ds& d) { ReadArray(&d.bytes, bytes_); }
  void operator()(BoxMapData3ds& d) {
    for (std::string& material : d.materials) {
      if (!ReadNewString3ds(&material, kMaterialNameLength)) return;
    }
  }
  void operator()(SpotlightData3ds& d) {
    d.target = ReadPoint3ds();
    d.hotspot = ReadFloat3ds();
    d.falloff = ReadFloat3ds();
  }
  void operator()(LocalShadowData3ds& d) {
    d.bias = ReadFloat3ds();
    d.filter = ReadFloat3ds();
    d.mapSize = ReadShort3ds();
  }
  void operator()(CameraData3ds& d) {
    d.position = ReadPoint3ds();
    d.target = ReadPoint3ds();
    d.bankAngle = ReadFloat3ds();
    d.focalLength = ReadFloat3ds();
  }
  void operator()(CameraRangesData3ds& d) {
    d.nearPlane = ReadFloat3ds();
    d.farPlane = ReadFloat3ds();
  }
  void operator()(ViewportLayoutData3ds& d) {
    for (int16_t& value : d.values) value = ReadShort3ds();
  }
  void operator()(ViewportData3ds& d) {
    for (int16_t& value : d.values) value = ReadShort3ds();
    d.zoom = ReadFloat3ds();
    d.center = ReadPoint3ds();
    d.horizontalAngle = ReadFloat3ds();
    d.verticalAngle = ReadFloat3ds();
    ReadNewFixedString3ds(&d.camera, kViewportCameraField - 1);
  }
  void operator()(ViewportSizeData3ds& d) {
    d.x = ReadWord3ds();
    d.y = ReadWord3ds();
    d.width = ReadWord3ds();
    d.height = ReadWord3ds();
  }
  void operator()(AcubicData3ds& d) {
    d.shadeLevel = ReadUByte3ds();
    d.antialiasLevel = ReadUByte3ds();
    d.flags = ReadShort3ds();
    d.mapSize = ReadDword3ds();
    d.frameSkip = ReadDword3ds();
  }
  void operator()(KfSegmentData3ds& d) {
    d.first = ReadDword3ds();
    d.last = ReadDword3ds();
  }
  void operator()(KfHeaderData3ds& d) {
    d.revision = ReadShort3ds();
    if (!ReadNewString3ds(&d.fileName, kKfFileNameLength)) return;
    d.animationLength = ReadDword3ds();
  }
  void operator()(NodeHeaderData3ds& d) {
    if (!ReadNewString3ds(&d.name, kShortNameLength)) return;
    d.flags1 = ReadWord3ds();
    d.flags2 = ReadWord3ds();
    d.parentIndex = ReadShort3ds();
  }
  void operator()(BoundBoxData3ds& d) {
    d.minimum = ReadPoint3ds();
    d.maximum = ReadPoint3ds();
  }
  template <typename Value>
  void operator()(TrackData3ds<Value>& d) {
    ReadTrackHeader3ds(&d.header);
    if (ErrorsPending3ds() || !Fits(d.header.keycount, kKeyHeaderMinSize + MinValueSize<Value>()))
      return;
    d.keys.resize(d.header.keycount);
    d.values.resize(d.header.keycount);
    for (uint32_t key = 0; key < d.header.keycount && !ErrorsPending3ds(); ++key) {
      ReadKeyHeader3ds(&d.keys[key]);
      ReadValue(&d.values[key]);
    }
  }

 private:
  template <typename Value>
  static constexpr size_t MinValueSize() {
    if constexpr (std::is_same_v<Value, HideKey3ds>) {
      return 0;
    } else if constexpr (std::is_same_v<Value, MorphKey3ds>) {
      return 1;  // the terminator of an empty name
    } else {
      return sizeof(Value);
    }
  }
  static void ReadValue(point3ds* value) { *value = ReadPoint3ds(); }
  static void ReadValue(float* value) { *value = ReadFloat3ds(); }
  static void ReadValue(RotationKey3ds* value) {
    value->angle = ReadFloat3ds();
    value->x = ReadFloat3ds();
    value->y = ReadFloat3ds();
    value->z = ReadFloat3ds();
  }
  static void ReadValue(ColorKey3ds* value) {
    value->red = ReadFloat3ds();
    value->green = ReadFloat3ds();
    value->blue = ReadFloat3ds();
  }
  static void ReadValue(MorphKey3ds* value) { ReadNewString3ds(&value->object, kShortNameLength); }
  static void ReadValue(HideKey3ds*) {}

  // Room left for this record: the chunk's data bytes not yet read, and never more than the file.
  size_t Left() const {
    uint32_t used = GetFilePosition3ds() - start_;
    return used >= bytes_ ? 0 : std::min<size_t>(bytes_ - used, GetFileBytesLeft3ds());
  }
  bool Fits(size_t count, size_t elementSize) const {
    if (elementSize > 0 && count > Left() / elementSize) {
      PushError3ds(ERR_INVALID_CHUNK);
      return false;
    }
    return true;
  }
  template <typename T>
  void ReadArray(std::vector<T>* array, size_t count) {
    if (!Fits(count, sizeof(T))) return;
    array->resize(count);
    ReadBytes3ds(count * sizeof(T), array->data());
  }
  template <typename T>
  void ReadCountedArray(std::vector<T>* array) {
    uint16_t count = ReadWord3ds();
    if (!ErrorsPending3ds()) ReadArray(array, count);
  }

  uint16_t tag_;
  uint32_t bytes_;
  uint32_t start_;
};

class RecordWriter {
 public:
  void operator()(const std::monostate&) {}
  void operator()(const DwordData3ds& d) { WriteDword3ds(d.value); }
  void operator()(const WordData3ds& d) { WriteWord3ds(d.value); }
  void operator()(const ShortData3ds& d) { WriteShort3ds(d.value); }
  void operator()(const FloatData3ds& d) { WriteFloat3ds(d.value); }
  void operator()(const ByteData3ds& d) { WriteUByte3ds(d.value); }
  void operator()(const ColorFloatData3ds& d) {
    WriteFloat3ds(d.red);
    WriteFloat3ds(d.green);
    WriteFloat3ds(d.blue);
  }
  void operator()(const Color24Data3ds& d) {
    WriteUByte3ds(d.red);
    WriteUByte3ds(d.green);
    WriteUByte3ds(d.blue);
  }
  void operator()(const PointData3ds& d) { WritePoint3ds(d.point); }
  void operator()(const NameData3ds& d) { WriteString3ds(d.name.c_str()); }
  void operator()(const FogData3ds& d) {
    WriteFloat3ds(d.nearPlane);
    WriteFloat3ds(d.nearDensity);
    WriteFloat3ds(d.farPlane);
    WriteFloat3ds(d.farDensity);
  }
  void operator()(const LayerFogData3ds& d) {
    WriteFloat3ds(d.zMin);
    WriteFloat3ds(d.zMax);
    WriteFloat3ds(d.density);
    WriteDword3ds(d.flags);
  }
  void operator()(const ViewData3ds& d) {
    WriteFloat3ds(d.width);
    WritePoint3ds(d.target);
  }
  void operator()(const ViewUserData3ds& d) {
    WriteFloat3ds(d.width);
    WriteFloat3ds(d.horizontalAngle);
    WriteFloat3ds(d.verticalAngle);
    WriteFloat3ds(d.bankAngle);
    WritePoint3ds(d.target);
  }
  void operator()(const PointArrayData3ds& d) { WriteCountedArray(d.points); }
  void operator()(const PointFlagArrayData3ds& d) { WriteCountedArray(d.flags); }
  void operator()(const FaceArrayData3ds& d) { WriteCountedArray(d.faces); }
  void operator()(const TexVertsData3ds& d) { WriteCountedArray(d.vertices); }
  void operator()(const MaterialGroupData3ds& d) {
    WriteString3ds(d.materialName.c_str());
    WriteCountedArray(d.faces);
  }
  void operator()(const SmoothGroupData3ds& d) { WriteArray(d.masks); }
  void operator()(const MeshMatrixData3ds& d) { WriteBytes3ds(sizeof(d.matrix), d.matrix.data()); }
  void operator()(const MeshTextureInfoData3ds& d) {
    WriteWord3ds(d.mapType);
    WriteFloat3ds(d.tileX);
    WriteFloat3ds(d.tileY);
    WritePoint3ds(d.iconPosition);
    WriteFloat3ds(d.scale);
    WriteBytes3ds(sizeof(d.matrix), d.matrix.data());
    WriteFloat3ds(d.planarWidth);
    WriteFloat3ds(d.planarHeight);
    WriteFloat3ds(d.cylinderHeight);
  }
  void operator()(const RawData3ds& d) { WriteArray(d.bytes); }
  void operator()(const BoxMapData3ds& d) {
    for (const std::string& material : d.materials) WriteString3ds(material.c_str());
  }
  void operator()(const SpotlightData3ds& d) {
    WritePoint3ds(d.target);
    WriteFloat3ds(d.hotspot);
    WriteFloat3ds(d.falloff);
  }
  void operator()(const LocalShadowData3ds& d) {
    WriteFloat3ds(d.bias);
    WriteFloat3ds(d.filter);
    WriteShort3ds(d.mapSize);
  }
  void operator()(const CameraData3ds& d) {
    WritePoint3ds(d.position);
    WritePoint3ds(d.target);
    WriteFloat3ds(d.bankAngle);
    WriteFloat3ds(d.focalLength);
  }
  void operator()(const CameraRangesData3ds& d) {
    WriteFloat3ds(d.nearPlane);
    WriteFloat3ds(d.farPlane);
  }
  void operator()(const ViewportLayoutData3ds& d) {
    for (int16_t value : d.values) WriteShort3ds(value);
  }
  void operator()(const ViewportData3ds& d) {
    for (int16_t value : d.values) WriteShort3ds(value);
    WriteFloat3ds(d.zoom);
    WritePoint3ds(d.center);
    WriteFloat3ds(d.horizontalAngle);
    WriteFloat3ds(d.verticalAngle);
    WriteFixedString3ds(d.camera.substr(0, kViewportCameraField - 1).c_str(), kViewportCameraField);
  }
  void operator()(const ViewportSizeData3ds& d) {
    WriteWord3ds(d.x);
    WriteWord3ds(d.y);
    WriteWord3ds(d.width);
    WriteWord3ds(d.height);
  }
  void operator()(const AcubicData3ds& d) {
    WriteUByte3ds(d.shadeLevel);
    WriteUByte3ds(d.antialiasLevel);
    WriteShort3ds(d.flags);
    WriteDword3ds(d.mapSize);
    WriteDword3ds(d.frameSkip);
  }
  void operator()(const KfSegmentData3ds& d) {
    WriteDword3ds(d.first);
    WriteDword3ds(d.last);
  }
  void operator()(const KfHeaderData3ds& d) {
    WriteShort3ds(d.revision);
    WriteString3ds(d.fileName.c_str());
    WriteDword3ds(d.animationLength);
  }
  void operator()(const NodeHeaderData3ds& d) {
    WriteString3ds(d.name.c_str());
    WriteWord3ds(d.flags1);
    WriteWord3ds(d.flags2);
    WriteShort3ds(d.parentIndex);
  }
  void operator()(const BoundBoxData3ds& d) {
    WritePoint3ds(d.minimum);
    WritePoint3ds(d.maximum);
  }
  template <typename Value>
  void operator()(const TrackData3ds<Value>& d) {
    size_t keys = std::min(d.keys.size(), d.values.size());
    trackheader3ds header = d.header;
    header.keycount = static_cast<uint32_t>(keys);
    WriteTrackHeader3ds(header);
    for (size_t key = 0; key < keys; ++key) {
      WriteKeyHeader3ds(d.keys[key]);
      WriteValue(d.values[key]);
    }
  }

 private:
  static void WriteValue(const point3ds& value) { WritePoint3ds(value); }
  static void WriteValue(float value) { WriteFloat3ds(value); }
  static void WriteValue(const RotationKey3ds& value) {
    WriteFloat3ds(value.angle);
    WriteFloat3ds(value.x);
    WriteFloat3ds(value.y);
    WriteFloat3ds(value.z);
  }
  static void WriteValue(const ColorKey3ds& value) {
    WriteFloat3ds(value.red);
    WriteFloat3ds(value.green);
    WriteFloat3ds(value.blue);
  }
  static void WriteValue(const MorphKey3ds& value) { WriteString3ds(value.object.c_str()); }
  static void WriteValue(const HideKey3ds&) {}

  template <typename T>
  static void WriteArray(const std::vector<T>& array) {
    WriteBytes3ds(array.size() * sizeof(T), array.data());
  }
  // The count is a word in the file; the object layer never builds longer arrays.
  template <typename T>
  static void WriteCountedArray(const std::vector<T>& array) {
    size_t count = std::min<size_t>(array.size(), UINT16_MAX);
    WriteWord3ds(static_cast<uint16_t>(count));
    WriteBytes3ds(count * sizeof(T), array.data());
  }
};

}  // namespace

bool IsMaterialContainer3ds(uint16_t tag) {
  switch (tag) {
    case MAT_AMBIENT:
    case MAT_DIFFUSE:
    case MAT_SPECULAR:
    case MAT_SHININESS:
    case MAT_SHIN2PCT:
    case MAT_SHIN3PCT:
    case MAT_TRANSPARENCY:
    case MAT_XPFALL:
    case MAT_REFBLUR:
    case MAT_SELF_ILPCT:
    case MAT_TEXMAP:
    case MAT_SPECMAP:
    case MAT_OPACMAP:
    case MAT_REFLMAP:
    case MAT_BUMPMAP:
    case MAT_TEX2MAP:
    case MAT_SHINMAP:
    case MAT_SELFIMAP:
    case MAT_TEXMASK:
    case MAT_TEX2MASK:
    case MAT_OPACMASK:
    case MAT_BUMPMASK:
    case MAT_SHINMASK:
    case MAT_SPECMASK:
    case MAT_SELFIMASK:
    case MAT_REFLMASK:
      return true;
    default:
      return false;
  }
}

ChunkData3ds NewChunkDataFor3ds(uint16_t tag, uint32_t length) {
  switch (tag) {
    case M3D_VERSION:
    case MESH_VERSION:
    case SHADOW_RANGE:
    case KFCURTIME:
      return DwordData3ds{};
    case COLOR_F:
    case LIN_COLOR_F:
      return ColorFloatData3ds{};
    case COLOR_24:
    case LIN_COLOR_24:
    case MAT_MAP_COL1:
    case MAT_MAP_COL2:
    case MAT_MAP_RCOL:
    case MAT_MAP_GCOL:
    case MAT_MAP_BCOL:
      return Color24Data3ds{};
    case INT_PERCENTAGE:
    case SHADOW_MAP_SIZE:
    case SHADOW_SAMPLES:
    case MAT_SHADING:
    case MAT_BUMP_PERCENT:
    case NODE_ID:
      return ShortData3ds{};
    case FLOAT_PERCENTAGE:
    case MASTER_SCALE:
    case V_GRADIENT:
    case LO_SHADOW_BIAS:
    case HI_SHADOW_BIAS:
    case SHADOW_FILTER:
    case RAY_BIAS:
    case MAT_WIRESIZE:
    case MAT_MAP_TEXBLUR:
    case MAT_MAP_USCALE:
    case MAT_MAP_VSCALE:
    case MAT_MAP_UOFFSET:
    case MAT_MAP_VOFFSET:
    case MAT_MAP_ANG:
    case MORPH_SMOOTH:
      return FloatData3ds{};
    case O_CONSTS:
    case N_DIRECT_LIGHT:
    case PIVOT:
      return PointData3ds{};
    case BIT_MAP:
    case PROC_NAME:
    case DL_SPOT_PROJECTOR:
    case NAMED_OBJECT:
    case VIEW_CAMERA:
    case DL_EXCLUDE:
    case INSTANCE_NAME:
    case MAT_NAME:
    case MAT_MAPNAME:
    case XDATA_APPNAME:
    case XDATA_STRING:
    case PARENT_NAME:
      return NameData3ds{};
    case FOG:
    case DISTANCE_CUE:
      return FogData3ds{};
    case LAYER_FOG:
      return LayerFogData3ds{};
    case VIEW_USER:
      return ViewUserData3ds{};
    case POINT_ARRAY:
      return PointArrayData3ds{};
    case POINT_FLAG_ARRAY:
      return PointFlagArrayData3ds{};
    case FACE_ARRAY:
      return FaceArrayData3ds{};
    case MSH_MAT_GROUP:
      return MaterialGroupData3ds{};
    case TEX_VERTS:
      return TexVertsData3ds{};
    case SMOOTH_GROUP:
      return SmoothGroupData3ds{};
    case MESH_MATRIX:
      return MeshMatrixData3ds{};
    case MESH_COLOR:
      return ByteData3ds{};
    case MESH_TEXTURE_INFO:
      return MeshTextureInfoData3ds{};
    case PROC_DATA:
    case XDATA_ENTRY:
      return RawData3ds{};
    case MSH_BOXMAP:
      return BoxMapData3ds{};
    case DL_SPOTLIGHT:
      return SpotlightData3ds{};
    case DL_LOCAL_SHADOW2:
      return LocalShadowData3ds{};
    case N_CAMERA:
      return CameraData3ds{};
    case CAM_RANGES:
      return CameraRangesData3ds{};
    case VIEWPORT_LAYOUT:
      return ViewportLayoutData3ds{};
    case VIEWPORT_DATA:
    case VIEWPORT_DATA_3:
      return ViewportData3ds{};
    case VIEWPORT_SIZE:
      return ViewportSizeData3ds{};
    case MAT_ACUBIC:
      return AcubicData3ds{};
    case MAT_MAP_TILING:
      return WordData3ds{};
    case KFSEG:
      return KfSegmentData3ds{};
    case KFHDR:
      return KfHeaderData3ds{};
    case NODE_HDR:
      return NodeHeaderData3ds{};
    case BOUNDBOX:
      return BoundBoxData3ds{};
    case POS_TRACK_TAG:
    case SCL_TRACK_TAG:
      return PointTrackData3ds{};
    case ROT_TRACK_TAG:
      return RotationTrackData3ds{};
    case FOV_TRACK_TAG:
    case ROLL_TRACK_TAG:
    case HOT_TRACK_TAG:
    case FALL_TRACK_TAG:
      return FloatTrackData3ds{};
    case COL_TRACK_TAG:
      return ColorTrackData3ds{};
    case MORPH_TRACK_TAG:
      return MorphTrackData3ds{};
    case HIDE_TRACK_TAG:
      return HideTrackData3ds{};
    default:
      break;
  }
  if (tag >= VIEW_TOP && tag <= VIEW_BACK && tag % 0x10 == 0) return ViewData3ds{};
  if (tag >= DL_SPOT_ROLL && tag <= DL_MULTIPLIER) return FloatData3ds{};
  if (IsContainer(tag)) return std::monostate{};
  if (length > kChunkHeaderSize) {
    RawData3ds raw;
    raw.bytes.resize(length - kChunkHeaderSize);
    return raw;
  }
  return std::monostate{};
}

ChunkData3ds ReadChunkDataFromFile3ds(uint16_t tag, uint32_t bytes) {
  if (tag == PARENT_NAME) return std::monostate{};
  // An unknown chunk's block is sized by the reader, after checking it against the file.
  ChunkData3ds data = NewChunkDataFor3ds(tag, kChunkHeaderSize);
  if (std::holds_alternative<std::monostate>(data) && !IsContainer(tag) && bytes > 0)
    data = RawData3ds{};
  RecordReader reader(tag, bytes);
  std::visit(reader, data);
  if (!ErrorsPending3ds() && reader.Overran()) PushError3ds(ERR_INVALID_CHUNK);
  if (ErrorsPending3ds()) return std::monostate{};
  return data;
}

void WriteChunkDataToFile3ds(const ChunkData3ds& data) { std::visit(RecordWriter{}, data); }
