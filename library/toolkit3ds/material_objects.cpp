#include "library/toolkit3ds/material_objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

constexpr float kColorScale = 255.0f;    // a colour byte per unit
constexpr float kPercentScale = 100.0f;  // a percentage per unit
constexpr uint16_t kAcubicOn = 0x1, kAcubicFirstFrameOnly = 0x8, kAcubicFlatMirror = 0x10;
constexpr uint16_t kNoProcData = 0;

// Each map of a material: its container chunk, the chunk of its procedure data, and its field.
constexpr struct MapSlot {
  uint16_t container;
  uint16_t procData;
  bitmap3ds Materials3ds::*map;
} kMapSlots[] = {
    {MAT_TEXMAP, MAT_SXP_TEXT_DATA, &Materials3ds::texture},
    {MAT_TEXMASK, MAT_SXP_TEXT_MASKDATA, &Materials3ds::texturemask},
    {MAT_TEX2MAP, MAT_SXP_TEXT2_DATA, &Materials3ds::texturetwo},
    {MAT_TEX2MASK, MAT_SXP_TEXT2_MASKDATA, &Materials3ds::texturetwomask},
    {MAT_OPACMAP, MAT_SXP_OPAC_DATA, &Materials3ds::opacity},
    {MAT_OPACMASK, MAT_SXP_OPAC_MASKDATA, &Materials3ds::opacitymask},
    {MAT_BUMPMAP, MAT_SXP_BUMP_DATA, &Materials3ds::bump},
    {MAT_BUMPMASK, MAT_SXP_BUMP_MASKDATA, &Materials3ds::bumpmask},
    {MAT_SPECMAP, MAT_SXP_SPEC_DATA, &Materials3ds::specularmap},
    {MAT_SPECMASK, MAT_SXP_SPEC_MASKDATA, &Materials3ds::specularmask},
    {MAT_SHINMAP, MAT_SXP_SHIN_DATA, &Materials3ds::shininessmap},
    {MAT_SHINMASK, MAT_SXP_SHIN_MASKDATA, &Materials3ds::shininessmask},
    {MAT_SELFIMAP, MAT_SXP_SELFI_DATA, &Materials3ds::selfillummap},
    {MAT_SELFIMASK, MAT_SXP_SELFI_MASKDATA, &Materials3ds::selfillummask},
    {MAT_REFLMAP, kNoProcData, &Materials3ds::reflection},
    {MAT_REFLMASK, MAT_SXP_REFL_MASKDATA, &Materials3ds::reflectionmask},
};

constexpr struct {
  uint16_t tag;
  float Materials3ds::*field;
} kPercentages[] = {
    {MAT_SHININESS, &Materials3ds::shininess},
    {MAT_SHIN2PCT, &Materials3ds::shininessstrength},
    {MAT_TRANSPARENCY, &Materials3ds::transparency},
    {MAT_XPFALL, &Materials3ds::transparencyfalloff},
    {MAT_REFBLUR, &Materials3ds::blur},
    {MAT_SELF_ILPCT, &Materials3ds::selfillumination},
};

// Flag chunks, in the order they are written after the two-sided flag.
constexpr struct {
  uint16_t tag;
  uint8_t Materials3ds::*field;
} kFlags[] = {
    {MAT_USE_REFBLUR, &Materials3ds::useblur},
    {MAT_USE_XPFALL, &Materials3ds::usetransparencyfalloff},
    {MAT_SELF_ILLUM, &Materials3ds::selfilluminated},
    {MAT_ADDITIVE, &Materials3ds::additive},
    {MAT_WIRE, &Materials3ds::wire},
    {MAT_WIREABS, &Materials3ds::wireabsolute},
    {MAT_FACEMAP, &Materials3ds::facemapping},
    {MAT_PHONGSOFT, &Materials3ds::phongsoftening},
};

constexpr struct {
  uint16_t tag;
  fcolor3ds Materials3ds::*field;
} kColors[] = {
    {MAT_AMBIENT, &Materials3ds::ambient},
    {MAT_DIFFUSE, &Materials3ds::diffuse},
    {MAT_SPECULAR, &Materials3ds::specular},
};

constexpr struct {
  uint16_t tag;
  fcolor3ds bitmap3ds::*field;
} kTints[] = {
    {MAT_MAP_COL1, &bitmap3ds::firsttint}, {MAT_MAP_COL2, &bitmap3ds::secondtint},
    {MAT_MAP_RCOL, &bitmap3ds::redtint},   {MAT_MAP_GCOL, &bitmap3ds::greentint},
    {MAT_MAP_BCOL, &bitmap3ds::bluetint},
};

bool TextEquals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

fcolor3ds ColorFromBytes(const Color24Data3ds& bytes) {
  return {bytes.red / kColorScale, bytes.green / kColorScale, bytes.blue / kColorScale};
}

// Rounded to the nearest byte, so that a colour read from a file is written back unchanged.
uint8_t ColorByte(float value) {
  return static_cast<uint8_t>(std::clamp(value * kColorScale + 0.5f, 0.0f, kColorScale));
}

Color24Data3ds BytesFromColor(const fcolor3ds& color) {
  return {ColorByte(color.r), ColorByte(color.g), ColorByte(color.b)};
}

// Rounded to the nearest whole percent, so that a percentage read from a file is written back
// unchanged.
int16_t WholePercent(float fraction) {
  return static_cast<int16_t>(
      std::clamp(std::round(fraction * kPercentScale), -32768.0f, 32767.0f));
}

ChunkNode3ds* AddContainer(ChunkNode3ds* parent, uint16_t tag) {
  ChunkNode3ds* child = nullptr;
  NewChunkWithTag3ds(&child, tag);
  if (!ErrorsPending3ds()) AddChildChunk3ds(parent, child);
  return child;
}

void AddPercentage(ChunkNode3ds* parent, uint16_t tag, float fraction) {
  ChunkNode3ds* container = AddContainer(parent, tag);
  if (container != nullptr)
    AddDataChunk3ds(container, INT_PERCENTAGE, ShortData3ds{WholePercent(fraction)});
}

void ReadColor(ChunkNode3ds* container, fcolor3ds* color) {
  const auto* bytes = ChunkDataAs3ds<Color24Data3ds>(FindChildChunk3ds(container, COLOR_24));
  if (bytes == nullptr) {
    if (!ErrorsPending3ds()) PushError3ds(ERR_UNFOUND_CHUNK);
    return;
  }
  *color = ColorFromBytes(*bytes);
  if (ChunkNode3ds* linear = FindChildChunk3ds(container, LIN_COLOR_24)) {
    if (const auto* linearBytes = ChunkDataAs3ds<Color24Data3ds>(linear))
      *color = ColorFromBytes(*linearBytes);
  }
}

const MapSlot* MapSlotOf(uint16_t tag, bool procData) {
  for (const MapSlot& slot : kMapSlots) {
    if ((procData ? slot.procData : slot.container) == tag && tag != kNoProcData) return &slot;
  }
  return nullptr;
}

void TakeTiling(uint16_t flags, bitmap3ds* map) {
  map->tiling = !(flags & TEX_DECAL) ? 1 : (flags & TEX_NOWRAP) ? 2 : 3;
  map->ignorealpha = (flags & TEX_DONT_USE_ALPHA) != 0;
  map->filtering = (flags & TEX_SAT) != 0;
  map->mirrored = (flags & TEX_MIRROR) != 0;
  map->negative = (flags & TEX_INVERT) != 0;
  bool tint = flags & TEX_TINT, alpha = flags & TEX_ALPHA_SOURCE;
  map->source = tint && alpha ? 3 : tint ? 2 : (flags & TEX_RGB_TINT) ? 4 : alpha ? 1 : 0;
}

uint16_t TilingFlags(const bitmap3ds& map) {
  static constexpr uint16_t kSourceFlags[] = {0, TEX_ALPHA_SOURCE, TEX_TINT,
                                              TEX_TINT | TEX_ALPHA_SOURCE, TEX_RGB_TINT};
  uint16_t flags = map.tiling == 2 ? (TEX_DECAL | TEX_NOWRAP) : map.tiling == 3 ? TEX_DECAL : 0;
  if (map.ignorealpha) flags |= TEX_DONT_USE_ALPHA;
  if (map.filtering == 1) flags |= TEX_SAT;
  if (map.mirrored) flags |= TEX_MIRROR;
  if (map.negative) flags |= TEX_INVERT;
  if (map.source >= 0 && map.source <= 4) flags |= kSourceFlags[map.source];
  return flags;
}

// One child of a material entry, read from a copy of it; false for a child the reader does not
// know.
bool ReadMaterialChild(ChunkNode3ds* child, Materials3ds* material) {
  const uint16_t tag = static_cast<uint16_t>(child->tag);
  for (const auto& color : kColors) {
    if (color.tag == tag) {
      ReadColor(child, &(material->*color.field));
      return true;
    }
  }
  for (const auto& percentage : kPercentages) {
    if (percentage.tag == tag) {
      material->*percentage.field = ReadPercentage3ds(child);
      return true;
    }
  }
  for (const auto& flag : kFlags) {
    if (flag.tag == tag && tag != MAT_WIRE) {
      material->*flag.field = 1;
      return true;
    }
  }
  if (const MapSlot* slot = MapSlotOf(tag, false)) {
    bitmap3ds& map = material->*slot->map;
    ReadMap3ds(child, &map);
    if (tag == MAT_BUMPMAP) {
      if (const auto* percent =
              ChunkDataAs3ds<ShortData3ds>(FindChildChunk3ds(child, MAT_BUMP_PERCENT))) {
        map.strength = percent->value / kPercentScale;
      }
    }
    return true;
  }
  if (const MapSlot* slot = MapSlotOf(tag, true)) {
    if (auto* raw = ChunkDataAs3ds<RawData3ds>(child)) {
      bitmap3ds& map = material->*slot->map;
      map.datasize = static_cast<uint32_t>(raw->bytes.size());
      map.data = std::move(raw->bytes);
    }
    return true;
  }
  switch (tag) {
    case MAT_NAME:
      if (const auto* name = ChunkDataAs3ds<NameData3ds>(child)) {
        CopyName3ds(material->name, sizeof(material->name), name->name);
      }
      return true;
    case MAT_SHIN3PCT:
      return true;
    case MAT_TWO_SIDE:
      material->twosided = 1;
      return true;
    case MAT_WIRE:
      material->shadingstyle = 0;
      return true;
    case MAT_WIRESIZE:
      if (const auto* size = ChunkDataAs3ds<FloatData3ds>(child))
        material->wireframesize = size->value;
      return true;
    case MAT_XPFALLIN:
      material->transparencyfalloff = -std::fabs(material->transparencyfalloff);
      return true;
    case MAT_SHADING:
      if (const auto* shading = ChunkDataAs3ds<ShortData3ds>(child))
        material->shadingstyle = shading->value;
      return true;
    case MAT_ACUBIC:
      if (const auto* acubic = ChunkDataAs3ds<AcubicData3ds>(child)) {
        constexpr uint16_t kFirstFrameOnly = kAcubicOn | kAcubicFirstFrameOnly;
        constexpr uint16_t kFlatMirror = kAcubicOn | kAcubicFlatMirror;
        const auto flags = static_cast<uint16_t>(acubic->flags);
        material->cubic.use = 1;
        material->cubic.firstframeonly = (flags & kFirstFrameOnly) == kFirstFrameOnly;
        material->cubic.flatmirror = (flags & kFlatMirror) == kFlatMirror;
        material->cubic.mapsize = acubic->mapSize;
        material->cubic.nthframe = acubic->frameSkip;
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool bitmap3ds::operator==(const bitmap3ds& o) const {
  return TextEquals(name, o.name) && strength == o.strength && tiling == o.tiling &&
         ignorealpha == o.ignorealpha && filtering == o.filtering && blur == o.blur &&
         mirrored == o.mirrored && negative == o.negative && uscale == o.uscale &&
         vscale == o.vscale && uoffset == o.uoffset && voffset == o.voffset &&
         rotation == o.rotation && source == o.source && firsttint == o.firsttint &&
         secondtint == o.secondtint && redtint == o.redtint && greentint == o.greentint &&
         bluetint == o.bluetint && datasize == o.datasize && data == o.data;
}

bool Materials3ds::operator==(const Materials3ds& o) const {
  for (const MapSlot& slot : kMapSlots) {
    if (!(this->*slot.map == o.*slot.map)) return false;
  }
  return TextEquals(name, o.name) && ambient == o.ambient && diffuse == o.diffuse &&
         specular == o.specular && shininess == o.shininess &&
         shininessstrength == o.shininessstrength && blur == o.blur &&
         transparency == o.transparency && transparencyfalloff == o.transparencyfalloff &&
         selfillumination == o.selfillumination && wireframesize == o.wireframesize &&
         shadingstyle == o.shadingstyle && useblur == o.useblur &&
         usetransparencyfalloff == o.usetransparencyfalloff && twosided == o.twosided &&
         selfilluminated == o.selfilluminated && additive == o.additive && wire == o.wire &&
         wireabsolute == o.wireabsolute && facemapping == o.facemapping &&
         phongsoftening == o.phongsoftening && cubic == o.cubic;
}

void InitMap3ds(bitmap3ds* map) {
  if (map == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  *map = bitmap3ds{};
}

void InitMaterial3ds(Materials3ds** out) {
  if (ReuseOrAllocate3ds(out)) **out = Materials3ds{};
}

void ReleaseMaterial3ds(Materials3ds** out) {
  if (out == nullptr) return;
  delete *out;
  *out = nullptr;
}

int32_t GetMaterialCount3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, true)) return 0;
  UpdateMaterialList3ds(database);
  return static_cast<int32_t>(database->materialList.size());
}

void GetMaterialNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, true)) return;
  UpdateMaterialList3ds(database);
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : database->materialList)
    AddToNameArray3ds(out, entry.name.c_str());
}

void GetMaterialByIndex3ds(ChunkDatabase3ds* database, int32_t index, Materials3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, true)) return;
  if (ChunkNode3ds* entry = GetMaterialNodeByIndex3ds(database, index)) ReadMaterial3ds(entry, out);
}

void GetMaterialByName3ds(ChunkDatabase3ds* database, const char* name, Materials3ds** out) {
  if (out == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, true)) return;
  ChunkNode3ds* entry = nullptr;
  FindMaterial3ds(database, name, &entry);
  if (entry != nullptr) ReadMaterial3ds(entry, out);
}

void ReadMaterial3ds(ChunkNode3ds* entry, Materials3ds** out) {
  if (entry == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (entry->tag != MAT_ENTRY) {
    PushError3ds(ERR_INVALID_CHUNK);
    return;
  }
  InitMaterial3ds(out);
  for (ChunkNode3ds* child = entry->children; child != nullptr && !ErrorsPending3ds();
       child = child->next) {
    // Extra data of other applications.
    if ((child->tag & 0xFF00) == 0x8000) continue;
    ChunkNode3ds* copy = nullptr;
    CopyChunk3ds(child, &copy);
    if (copy == nullptr) return;
    copy->next = nullptr;
    bool known = ReadMaterialChild(copy, *out);
    DeleteChunk3ds(&copy);
    if (!known) PushError3ds(ERR_INVALID_CHUNK);
  }
}

float ReadPercentage3ds(ChunkNode3ds* container) {
  if (const auto* whole =
          ChunkDataAs3ds<ShortData3ds>(FindChildChunk3ds(container, INT_PERCENTAGE))) {
    return whole->value / kPercentScale;
  }
  if (const auto* fraction =
          ChunkDataAs3ds<FloatData3ds>(FindChildChunk3ds(container, FLOAT_PERCENTAGE))) {
    return fraction->value;
  }
  return 0.0f;
}

void ReadMap3ds(ChunkNode3ds* container, bitmap3ds* map) {
  if (container == nullptr || map == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  for (ChunkNode3ds* child = container->children; child != nullptr && !ErrorsPending3ds();
       child = child->next) {
    ChunkNode3ds* copy = nullptr;
    CopyChunk3ds(child, &copy);
    if (copy == nullptr) return;
    copy->next = nullptr;
    const uint16_t tag = static_cast<uint16_t>(copy->tag);
    ChunkData3ds* data = ReadChunkData3ds(copy);
    if (auto* whole = data != nullptr ? std::get_if<ShortData3ds>(data) : nullptr;
        whole && tag == INT_PERCENTAGE) {
      map->strength = whole->value / kPercentScale;
    } else if (auto* number = data != nullptr ? std::get_if<FloatData3ds>(data) : nullptr) {
      switch (tag) {
        case FLOAT_PERCENTAGE:
          map->strength = number->value;
          break;
        case MAT_MAP_TEXBLUR:
          map->blur = number->value;
          break;
        case MAT_MAP_USCALE:
          map->uscale = number->value;
          break;
        case MAT_MAP_VSCALE:
          map->vscale = number->value;
          break;
        case MAT_MAP_UOFFSET:
          map->uoffset = number->value;
          break;
        case MAT_MAP_VOFFSET:
          map->voffset = number->value;
          break;
        case MAT_MAP_ANG:
          map->rotation = number->value;
          break;
        default:
          break;
      }
    } else if (auto* name = data != nullptr ? std::get_if<NameData3ds>(data) : nullptr;
               name && tag == MAT_MAPNAME) {
      CopyName3ds(map->name, sizeof(map->name), name->name);
    } else if (auto* flags = data != nullptr ? std::get_if<WordData3ds>(data) : nullptr) {
      TakeTiling(flags->value, map);
    } else if (auto* bytes = data != nullptr ? std::get_if<Color24Data3ds>(data) : nullptr) {
      for (const auto& tint : kTints) {
        if (tint.tag == tag) map->*tint.field = ColorFromBytes(*bytes);
      }
    }
    DeleteChunk3ds(&copy);
  }
}

void WriteMap3ds(ChunkNode3ds* container, const bitmap3ds* map) {
  if (container == nullptr || map == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (map->name[0] == '\0') return;
  auto insert = [container](uint16_t tag, ChunkData3ds data) {
    ChunkNode3ds* child = nullptr;
    NewChunkWithTag3ds(&child, tag);
    if (ErrorsPending3ds()) return;
    child->data = std::move(data);
    InsertChildChunk3ds(container, child);
  };
  insert(INT_PERCENTAGE, ShortData3ds{WholePercent(map->strength)});
  insert(MAT_MAPNAME, NameData3ds{map->name});
  insert(MAT_MAP_TILING, WordData3ds{TilingFlags(*map)});
  if (map->uscale != 1.0f || map->vscale != 1.0f) {
    insert(MAT_MAP_USCALE, FloatData3ds{map->uscale});
    insert(MAT_MAP_VSCALE, FloatData3ds{map->vscale});
  }
  if (map->uoffset != 0.0f || map->voffset != 0.0f) {
    insert(MAT_MAP_UOFFSET, FloatData3ds{map->uoffset});
    insert(MAT_MAP_VOFFSET, FloatData3ds{map->voffset});
  }
  if (map->rotation != 0.0f) insert(MAT_MAP_ANG, FloatData3ds{map->rotation});
  if (map->blur != 0.0f) insert(MAT_MAP_TEXBLUR, FloatData3ds{map->blur});
  if (map->source == 2 || map->source == 3) {
    insert(MAT_MAP_COL1, BytesFromColor(map->firsttint));
    insert(MAT_MAP_COL2, BytesFromColor(map->secondtint));
  }
  if (map->source == 4) {
    insert(MAT_MAP_RCOL, BytesFromColor(map->redtint));
    insert(MAT_MAP_GCOL, BytesFromColor(map->greentint));
    insert(MAT_MAP_BCOL, BytesFromColor(map->bluetint));
  }
}

void PutMaterial3ds(ChunkDatabase3ds* database, const Materials3ds* material) {
  if (material == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, true)) return;
  CheckStringLength3ds(material->name, kMapNameSize3ds - 1);
  if (ErrorsPending3ds()) return;
  ChunkNode3ds* parent = nullptr;
  if (GetDatabaseKind3ds(database) == kMaterialFile3ds) {
    parent = database->root;
  } else {
    FindMData3ds(database->root, &parent);
  }
  ChunkNode3ds* entry = nullptr;
  FindMaterial3ds(database, material->name, &entry);
  if (ErrorsPending3ds()) return;
  ChunkNode3ds* xdata = nullptr;
  entry = PrepareEntryForPut3ds(parent, entry, MAT_ENTRY, &xdata);
  if (ErrorsPending3ds()) return;
  MarkMaterialListDirty3ds(database);

  AddDataChunk3ds(entry, MAT_NAME, NameData3ds{material->name});
  for (const auto& color : kColors) {
    ChunkNode3ds* container = AddContainer(entry, color.tag);
    if (container == nullptr) break;
    Color24Data3ds bytes = BytesFromColor(material->*color.field);
    AddDataChunk3ds(container, COLOR_24, bytes);
    AddDataChunk3ds(container, LIN_COLOR_24, bytes);
  }
  AddPercentage(entry, MAT_SHININESS, material->shininess);
  AddPercentage(entry, MAT_SHIN2PCT, material->shininessstrength);
  AddPercentage(entry, MAT_TRANSPARENCY, material->transparency);
  AddPercentage(entry, MAT_XPFALL, std::fabs(material->transparencyfalloff));
  if (material->transparencyfalloff < 0.0f) AddDataChunk3ds(entry, MAT_XPFALLIN, std::monostate{});
  AddPercentage(entry, MAT_REFBLUR, material->blur);
  AddDataChunk3ds(entry, MAT_SHADING, ShortData3ds{static_cast<int16_t>(material->shadingstyle)});
  AddPercentage(entry, MAT_SELF_ILPCT, material->selfillumination);
  if (material->twosided) AddDataChunk3ds(entry, MAT_TWO_SIDE, std::monostate{});
  AddDataChunk3ds(entry, MAT_WIRESIZE, FloatData3ds{material->wireframesize});
  for (const auto& flag : kFlags) {
    if (material->*flag.field) AddDataChunk3ds(entry, flag.tag, std::monostate{});
  }

  for (const MapSlot& slot : kMapSlots) {
    const bitmap3ds& map = material->*slot.map;
    if (slot.container == MAT_REFLMAP || map.name[0] == '\0') continue;
    ChunkNode3ds* container = AddContainer(entry, slot.container);
    if (container == nullptr) break;
    WriteMap3ds(container, &map);
    if (slot.container == MAT_BUMPMAP) {
      AddDataChunk3ds(container, MAT_BUMP_PERCENT, ShortData3ds{WholePercent(map.strength)});
    }
    if (map.datasize > 0 && map.data.size() >= map.datasize) {
      std::vector<uint8_t> bytes(map.data.begin(), map.data.begin() + map.datasize);
      AddDataChunk3ds(entry, slot.procData, RawData3ds{std::move(bytes)});
    }
  }
  if (material->reflection.name[0] != '\0' || material->cubic.use) {
    ChunkNode3ds* container = AddContainer(entry, MAT_REFLMAP);
    if (container != nullptr) {
      AddDataChunk3ds(container, INT_PERCENTAGE,
                      ShortData3ds{WholePercent(material->reflection.strength)});
      AddDataChunk3ds(container, MAT_MAPNAME, NameData3ds{material->reflection.name});
    }
  }
  if (material->cubic.use) {
    uint16_t flags = kAcubicOn;
    if (material->cubic.firstframeonly) flags |= kAcubicFirstFrameOnly;
    if (material->cubic.flatmirror) flags |= kAcubicFlatMirror;
    AddDataChunk3ds(entry, MAT_ACUBIC,
                    AcubicData3ds{0, 0, static_cast<int16_t>(flags), material->cubic.mapsize,
                                  material->cubic.nthframe});
  }
  if (xdata != nullptr) AddChildChunk3ds(entry, xdata);
  if (ErrorsPending3ds()) PushError3ds(ERR_PUT_FAILED);
}
