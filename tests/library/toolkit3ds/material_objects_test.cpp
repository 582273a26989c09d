#include "library/toolkit3ds/material_objects.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using MaterialObjects = test3ds::ToolkitTest;

Bytes Entry(std::initializer_list<Bytes> children) {
  Bytes entry = Container(MAT_ENTRY, {Chunk(MAT_NAME, Text("Paint"))});
  Bytes rest = Container(MAT_ENTRY, children);
  // One entry: the name first, then the given children.
  Bytes body(entry.begin() + 6, entry.end());
  body.insert(body.end(), rest.begin() + 6, rest.end());
  return Chunk(MAT_ENTRY, body);
}

Materials3ds* ReadMaterial(const Bytes& entry) {
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {entry})}));
  Materials3ds* material = nullptr;
  GetMaterialByName3ds(database, "Paint", &material);
  return material;
}

Bytes Color(uint16_t tag, Bytes gamma, Bytes linear) {
  return Container(tag, {Chunk(COLOR_24, gamma), Chunk(LIN_COLOR_24, linear)});
}

TEST_F(MaterialObjects, LinearColoursWin) {
  Materials3ds* material =
      ReadMaterial(Entry({Color(MAT_DIFFUSE, {255, 128, 0}, {255, 255, 255}),
                          Container(MAT_AMBIENT, {Chunk(COLOR_24, Bytes{51, 102, 255})})}));
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->diffuse, (fcolor3ds{1, 1, 1}));
  EXPECT_EQ(material->ambient, (fcolor3ds{0.2f, 0.4f, 1.0f}));
  EXPECT_FALSE(ErrorsPending3ds());
  ReleaseMaterial3ds(&material);
  CloseAllFiles3ds();

  material =
      ReadMaterial(Entry({Container(MAT_SPECULAR, {Chunk(COLOR_F, Pack(1.0f, 1.0f, 1.0f))})}));
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_UNFOUND_CHUNK});
  ReleaseMaterial3ds(&material);
}

TEST_F(MaterialObjects, Percentages) {
  const struct {
    Bytes container;
    float expected;
  } cases[] = {
      {Container(MAT_TRANSPARENCY, {Chunk(INT_PERCENTAGE, Pack(int16_t{50}))}), 0.5f},
      {Container(MAT_TRANSPARENCY, {Chunk(FLOAT_PERCENTAGE, Pack(0.25f))}), 0.25f},
      {Container(MAT_TRANSPARENCY, {}), 0.0f},
  };
  for (const auto& c : cases) {
    Materials3ds* material = ReadMaterial(Entry({c.container}));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->transparency, c.expected);
    ReleaseMaterial3ds(&material);
    CloseAllFiles3ds();
  }
}

TEST_F(MaterialObjects, TilingFlags) {
  const struct {
    uint16_t flags;
    int32_t tiling, source;
    uint8_t mirrored, negative;
    int32_t ignorealpha, filtering;
  } cases[] = {
      {0x0011, 2, 0, 0, 0, 0, 0}, {0x0001, 3, 0, 0, 0, 0, 0}, {0x0000, 1, 0, 0, 0, 0, 0},
      {0x00C0, 1, 3, 0, 0, 0, 0}, {0x0080, 1, 2, 0, 0, 0, 0}, {0x0240, 1, 4, 0, 0, 0, 0},
      {0x0040, 1, 1, 0, 0, 0, 0}, {0x012A, 1, 0, 1, 1, 1, 1},
  };
  for (const auto& c : cases) {
    Materials3ds* material =
        ReadMaterial(Entry({Container(MAT_TEXMAP, {Chunk(MAT_MAPNAME, Text("wood.tga")),
                                                   Chunk(MAT_MAP_TILING, Pack(c.flags))})}));
    ASSERT_NE(material, nullptr);
    const bitmap3ds& map = material->texture;
    EXPECT_STREQ(map.name, "wood.tga");
    EXPECT_EQ(map.tiling, c.tiling) << c.flags;
    EXPECT_EQ(map.source, c.source) << c.flags;
    EXPECT_EQ(map.mirrored, c.mirrored) << c.flags;
    EXPECT_EQ(map.negative, c.negative) << c.flags;
    EXPECT_EQ(map.ignorealpha, c.ignorealpha) << c.flags;
    EXPECT_EQ(map.filtering, c.filtering) << c.flags;
    ReleaseMaterial3ds(&material);
    CloseAllFiles3ds();
  }
}

TEST_F(MaterialObjects, AnUnlistedChildStopsTheReading) {
  for (uint16_t tag : {MAT_SUPERSMP, MAT_DECAL}) {
    ClearErrors3ds();
    Materials3ds* material = ReadMaterial(Entry({Chunk(tag, {}), Chunk(MAT_TWO_SIDE, {})}));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_INVALID_CHUNK}) << tag;
    EXPECT_STREQ(material->name, "Paint");
    EXPECT_EQ(material->twosided, 0);
    ReleaseMaterial3ds(&material);
    CloseAllFiles3ds();
  }
}

TEST_F(MaterialObjects, AMissingMaterialLeavesTheRecordAlone) {
  ChunkDatabase3ds* database =
      test3ds::ReadDatabaseFromBytes(Container(M3DMAGIC, {Container(MDATA, {})}));
  Materials3ds* material = nullptr;
  GetMaterialByName3ds(database, "Nothing", &material);
  GetMaterialByIndex3ds(database, 3, &material);
  EXPECT_EQ(material, nullptr);
  EXPECT_FALSE(ErrorsPending3ds());
}

// A colour a file can hold exactly: each channel a whole number of 255ths.
fcolor3ds Bytes255(float r, float g, float b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

// A material that uses every part of the record that a file keeps.
Materials3ds FullMaterial() {
  Materials3ds* material = nullptr;
  InitMaterial3ds(&material);
  CopyName3ds(material->name, sizeof(material->name), "Hull");
  material->ambient = Bytes255(51, 51, 51);
  material->diffuse = Bytes255(204, 128, 26);
  material->specular = Bytes255(255, 255, 255);
  material->shininess = 0.29f;
  material->shininessstrength = 0.05f;
  material->transparency = 0.33f;
  material->transparencyfalloff = -0.4f;
  material->blur = 0.1f;
  material->selfillumination = 0.7f;
  material->wireframesize = 2.0f;
  material->shadingstyle = 2;
  material->twosided = material->additive = material->useblur = material->phongsoftening = 1;
  int index = 0;
  for (bitmap3ds* map :
       {&material->texture, &material->bump, &material->opacitymask, &material->reflectionmask}) {
    CopyName3ds(map->name, sizeof(map->name), "map" + std::to_string(index) + ".tga");
    map->strength = 0.6f;
    map->source = index % 2 == 0 ? 4 : 3;
    // Only the tints of the map's source are kept.
    if (map->source == 3) map->firsttint = Bytes255(51, 102, 153);
    if (map->source == 4) map->greentint = Bytes255(0, 153, 51);
    map->uscale = 2.0f;
    map->rotation = 45.0f;
    map->tiling = 1 + index % 3;
    map->data = {1, 2, 3, static_cast<uint8_t>(index)};
    map->datasize = 4;
    ++index;
  }
  CopyName3ds(material->reflection.name, sizeof(material->reflection.name), "sky.tga");
  material->reflection.strength = 0.3f;
  material->cubic = {1, 1, 0, 256, 3};
  Materials3ds copy = *material;
  ReleaseMaterial3ds(&material);
  return copy;
}

TEST_F(MaterialObjects, AMaterialPutWrittenAndReadBackIsTheSameRecord) {
  for (DatabaseKind3ds kind : {kMeshFile3ds, kMaterialFile3ds}) {
    ClearErrors3ds();
    Materials3ds original = FullMaterial();
    ChunkDatabase3ds* database = test3ds::NewDatabase(kind);
    PutMaterial3ds(database, &original);
    ChunkDatabase3ds* reread = test3ds::WriteAndReadBack(database);
    Materials3ds* material = nullptr;
    GetMaterialByIndex3ds(reread, 0, &material);
    EXPECT_FALSE(ErrorsPending3ds()) << kind;
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(GetMaterialCount3ds(reread), 1);
    EXPECT_TRUE(*material == original) << kind;
    ReleaseMaterial3ds(&material);
    CloseAllFiles3ds();
  }
}

}  // namespace
