#include "library/toolkit3ds/scene_settings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/extra_data.h"
#include "library/toolkit3ds/mesh_objects.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using SceneSettings = ToolkitTest;

Bytes MeshFile(std::initializer_list<Bytes> settings) {
  return Container(M3DMAGIC, {Chunk(MDATA, {}, settings)});
}

// Writes and reads back each database of a test under a name of its own, so that the files read
// before stay open beside it.
ChunkDatabase3ds* WriteAndReadBackAgain(ChunkDatabase3ds* database) {
  static int count = 0;
  return WriteAndReadBack(database, ("written" + std::to_string(++count) + ".3ds").c_str());
}

// Puts the record, writes and reads the database, and gets the record back.
template <typename Record, typename Put, typename Get>
Record RoundTrip(const Record& record, Put put, Get get) {
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  put(database, &record);
  ChunkDatabase3ds* reread = WriteAndReadBackAgain(database);
  Record* read = nullptr;
  get(reread, &read);
  EXPECT_FALSE(ErrorsPending3ds());
  Record result = read != nullptr ? *read : Record{};
  delete read;
  return result;
}

TEST_F(SceneSettings, EachAtmosphereReadsBackAsPut) {
  Atmosphere3ds atmosphere;
  atmosphere.fog = {1.0f, 2.0f, 300.0f, 40.0f, {0.5f, 0.25f, 1.0f}, 0};
  atmosphere.layerfog = {-5.0f, 50.0f, 25.0f, 0, {1.0f, 0.0f, 0.5f}, 1};
  atmosphere.dcue = {3.0f, 4.0f, 500.0f, 60.0f, 1};
  for (int32_t active = 0; active <= 3; ++active) {
    for (uint32_t falloff = 0; falloff <= 2; ++falloff) {
      atmosphere.active = active;
      atmosphere.layerfog.falloff = falloff;
      atmosphere.layerfog.fogbackground = falloff != 1;
      EXPECT_TRUE(RoundTrip(atmosphere, PutAtmosphere3ds, GetAtmosphere3ds) == atmosphere)
          << active << " " << falloff;
    }
  }
}

TEST_F(SceneSettings, TheFirstUseChunkPicksTheAtmosphereAndTheBackground) {
  ChunkDatabase3ds* database =
      ReadDatabaseFromBytes(MeshFile({Chunk(USE_LAYER_FOG, {}), Chunk(USE_FOG, {}),
                                      Chunk(USE_SOLID_BGND, {}), Chunk(USE_BIT_MAP, {})}));
  Atmosphere3ds* atmosphere = nullptr;
  GetAtmosphere3ds(database, &atmosphere);
  ASSERT_NE(atmosphere, nullptr);
  EXPECT_EQ(atmosphere->active, kUseFog3ds);
  EXPECT_EQ(atmosphere->fog.farplane, 1000.0f);
  ReleaseAtmosphere3ds(&atmosphere);
  Background3ds* background = nullptr;
  GetBackground3ds(database, &background);
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->used, kUseBitmapBackground3ds);
  ReleaseBackground3ds(&background);
}

TEST_F(SceneSettings, EachBackgroundReadsBackAsPut) {
  Background3ds background;
  background.bitmap = "stars.tga";
  background.solid = {0.1f, 0.2f, 0.3f};
  background.gradient = {0.25f, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int32_t used = 0; used <= 3; ++used) {
    background.used = used;
    EXPECT_TRUE(RoundTrip(background, PutBackground3ds, GetBackground3ds) == background) << used;
  }
  // Putting again replaces the chunks rather than adding more.
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  PutBackground3ds(database, &background);
  background.used = kUseSolidBackground3ds;
  PutBackground3ds(database, &background);
  Background3ds* read = nullptr;
  GetBackground3ds(database, &read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->used, kUseSolidBackground3ds);
  ReleaseBackground3ds(&read);
}

TEST_F(SceneSettings, MeshSettingsReadBackAndAmbientBytesAreStepsOf256) {
  Meshset3ds settings;
  settings.masterscale = 2.54f;
  settings.loshadowbias = 0.5f;
  settings.raybias = 0.75f;
  settings.shadowmapsize = 1024;
  settings.shadowfilter = 5.0f;
  settings.ambientlight = {0.1f, 0.2f, 0.3f};
  settings.oconsts = {1, 2, 3};
  EXPECT_TRUE(RoundTrip(settings, PutMeshSet3ds, GetMeshSet3ds) == settings);

  ChunkDatabase3ds* database = ReadDatabaseFromBytes(MeshFile({Container(
      AMBIENT_LIGHT, {Chunk(COLOR_24, Pack(uint8_t{128}, uint8_t{64}, uint8_t{0})),
                      Chunk(LIN_COLOR_24, Pack(uint8_t{64}, uint8_t{32}, uint8_t{255}))})}));
  Meshset3ds* read = nullptr;
  GetMeshSet3ds(database, &read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->ambientlight, (fcolor3ds{0.25f, 0.125f, 255.0f / 256.0f}));
  EXPECT_EQ(read->masterscale, 1.0f);
  ReleaseMeshSet3ds(&read);
}

// The layout's view and the default view of every view type read back as put.
TEST_F(SceneSettings, EveryViewTypeReadsBackAsPut) {
  for (int16_t type = 1; type <= 8; ++type) {
    Viewport3ds viewport;
    viewport.type = type;
    viewport.size = {10, 20, 640, 480};
    if (type == kViewUser3ds) {
      viewport.user = {{1, 2, 3}, 0.5f, 35.0f, 40.0f};
    } else {
      viewport.ortho = {{4, 5, 6}, 0.25f};
    }
    if (type == kViewCamera3ds) CopyName3ds(viewport.camera, sizeof(viewport.camera), "Cam01");
    ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
    PutViewport3ds(database, &viewport);
    ChunkDatabase3ds* reread = WriteAndReadBackAgain(database);
    Viewport3ds* read = nullptr;
    GetViewport3ds(reread, &read);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == viewport) << type;
    Viewport3ds* view = nullptr;
    InitViewport3ds(&view);
    view->size = read->size;
    GetDefaultView3ds(reread, &view);
    Viewport3ds expected;
    expected.size = viewport.size;
    expected.type = type;
    if (type == kViewUser3ds) {
      expected.user = viewport.user;
    } else if (type == kViewCamera3ds) {
      CopyName3ds(expected.camera, sizeof(expected.camera), "Cam01");
    } else {
      expected.ortho = viewport.ortho;
    }
    EXPECT_TRUE(*view == expected) << type;
    ReleaseViewport3ds(&view);
    ReleaseViewport3ds(&read);
    EXPECT_FALSE(ErrorsPending3ds());
  }
}

TEST_F(SceneSettings, AViewNumberNamingNoViewAndAnEmptyWorkAreaKeepTheDefaults) {
  Bytes viewData = Join({Pack(int16_t{0}, int16_t{0}, int16_t{0}, int16_t{0}, int16_t{0},
                              int16_t{0}, int16_t{3}, 2.0f, 1.0f, 1.0f, 1.0f, 5.0f, 6.0f),
                         Bytes(11)});
  Bytes layout = Chunk(
      VIEWPORT_LAYOUT,
      Pack(int16_t{0}, int16_t{7}, int16_t{0}, int16_t{0}, int16_t{0}, int16_t{0}, int16_t{0}),
      {Chunk(VIEWPORT_SIZE, Pack(uint16_t{0}, uint16_t{0}, uint16_t{0}, uint16_t{0})),
       Chunk(VIEWPORT_DATA_3, viewData)});
  Bytes defaultView = Container(DEFAULT_VIEW, {Chunk(VIEW_LEFT, Pack(500.0f, 1.0f, 2.0f, 3.0f))});
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(MeshFile({layout, defaultView}));
  Viewport3ds* read = nullptr;
  GetViewport3ds(database, &read);
  ASSERT_NE(read, nullptr);
  Viewport3ds expected;
  expected.size = {0, 0, 0, 0};
  EXPECT_TRUE(*read == expected);
  GetDefaultView3ds(database, &read);
  expected.type = 3;
  expected.ortho.center = {1, 2, 3};
  EXPECT_TRUE(*read == expected);
  EXPECT_FALSE(ErrorsPending3ds());
  ReleaseViewport3ds(&read);
}

TEST_F(SceneSettings, SettingsAreCopiedBetweenDatabases) {
  ChunkDatabase3ds* source = NewDatabase(kMeshFile3ds);
  Atmosphere3ds atmosphere;
  atmosphere.active = kUseDistanceCue3ds;
  atmosphere.dcue.farplane = 77.0f;
  PutAtmosphere3ds(source, &atmosphere);
  Background3ds background;
  background.used = kUseGradientBackground3ds;
  PutBackground3ds(source, &background);
  Meshset3ds settings;
  settings.masterscale = 3.0f;
  PutMeshSet3ds(source, &settings);
  Viewport3ds viewport;
  viewport.type = 4;
  PutViewport3ds(source, &viewport);
  ChunkDatabase3ds* destination = NewDatabase(kProjectFile3ds);
  CopyAtmosphere3ds(destination, source);
  CopyBackground3ds(destination, source);
  CopyMeshSet3ds(destination, source);
  CopyViewport3ds(destination, source);
  Atmosphere3ds* atmosphereCopy = nullptr;
  GetAtmosphere3ds(destination, &atmosphereCopy);
  Background3ds* backgroundCopy = nullptr;
  GetBackground3ds(destination, &backgroundCopy);
  Meshset3ds* settingsCopy = nullptr;
  GetMeshSet3ds(destination, &settingsCopy);
  Viewport3ds* viewportCopy = nullptr;
  GetViewport3ds(destination, &viewportCopy);
  ASSERT_TRUE(atmosphereCopy && backgroundCopy && settingsCopy && viewportCopy);
  EXPECT_TRUE(*atmosphereCopy == atmosphere);
  EXPECT_TRUE(*backgroundCopy == background);
  EXPECT_TRUE(*settingsCopy == settings);
  EXPECT_TRUE(*viewportCopy == viewport);
  ReleaseAtmosphere3ds(&atmosphereCopy);
  ReleaseBackground3ds(&backgroundCopy);
  ReleaseMeshSet3ds(&settingsCopy);
  ReleaseViewport3ds(&viewportCopy);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(SceneSettings, ExtraDataEntriesOfAMesh) {
  Bytes entry = Container(XDATA_ENTRY,
                          {Chunk(XDATA_APPNAME, Text("tool")), Chunk(XDATA_STRING, Text("first"))});
  Bytes nameless = Container(XDATA_ENTRY, {Chunk(XDATA_STRING, Text("anon"))});
  Bytes mesh = Chunk(NAMED_OBJECT, Text("Box"),
                     {Container(N_TRI_OBJECT, {Container(XDATA_SECTION, {entry, nameless})})});
  Bytes bare = Chunk(NAMED_OBJECT, Text("Bare"), {Container(N_TRI_OBJECT, {})});
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(MeshFile({mesh, bare}));
  EXPECT_EQ(GetMeshXDataCount3ds(database, "Box"), 2);
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, "Box", &object);
  NameArray3ds apps;
  GetXDataAppNames3ds(object, &apps);
  EXPECT_EQ(apps, (NameArray3ds{"tool", ""}));
  NameIndex3ds list;
  GetXDataEntryList3ds(object, &list);
  ASSERT_EQ(list.size(), 2u);
  ChunkNode3ds* found = nullptr;
  FindXDataEntry3ds(object, "tool", &found);
  EXPECT_EQ(found, list[0].node);
  FindXDataEntryByIndex3ds(object, 1, &found);
  EXPECT_EQ(found, list[1].node);
  FindXDataEntryByIndex3ds(object, 2, &found);
  EXPECT_EQ(found, nullptr);

  // A copy of the "tool" entry with another string replaces the old one; the bare mesh gets a
  // section of its own.
  ChunkNode3ds* copy = nullptr;
  GetMeshXDataByName3ds(database, "Box", "tool", &copy);
  ASSERT_NE(copy, nullptr);
  ChunkNode3ds* text = FindChildChunk3ds(copy, XDATA_STRING);
  EditChunkData3ds<NameData3ds>(text)->name = "second";
  PutXDataEntry3ds(object, "tool", copy);
  ChunkNode3ds* bareObject = nullptr;
  FindNamedObject3ds(database, "Bare", &bareObject);
  PutXDataEntry3ds(bareObject, "tool", copy);
  DeleteChunk3ds(&copy);
  ChunkDatabase3ds* reread = WriteAndReadBack(database);
  EXPECT_EQ(GetMeshXDataCount3ds(reread, "Box"), 2);
  EXPECT_EQ(GetMeshXDataCount3ds(reread, "Bare"), 1);
  for (const char* name : {"Box", "Bare"}) {
    ChunkNode3ds* got = nullptr;
    GetMeshXDataByName3ds(reread, name, "tool", &got);
    ASSERT_NE(got, nullptr) << name;
    EXPECT_EQ(ChunkDataAs3ds<NameData3ds>(FindChildChunk3ds(got, XDATA_STRING))->name, "second");
    DeleteChunk3ds(&got);
  }
  ChunkNode3ds* byIndex = nullptr;
  GetMeshXDataByIndex3ds(reread, "Box", 0, &byIndex);
  ASSERT_NE(byIndex, nullptr);
  EXPECT_EQ(ChunkDataAs3ds<NameData3ds>(FindChildChunk3ds(byIndex, XDATA_STRING))->name, "anon");
  DeleteChunk3ds(&byIndex);
  EXPECT_FALSE(ErrorsPending3ds());
}

}  // namespace
