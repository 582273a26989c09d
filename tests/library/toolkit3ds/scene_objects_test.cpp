#include "library/toolkit3ds/scene_objects.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/extra_data.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using SceneObjects = ToolkitTest;

Camera3ds NamedCamera(const char* name) {
  Camera3ds camera;
  CopyName3ds(camera.name, sizeof(camera.name), name);
  return camera;
}

Light3ds NamedLight(const char* name, bool spot) {
  Light3ds light;
  CopyName3ds(light.name, sizeof(light.name), name);
  if (spot) light.spot.emplace();
  return light;
}

Bytes MeshFile(std::initializer_list<Bytes> objects) {
  return Container(M3DMAGIC, {Chunk(MDATA, {}, objects)});
}

TEST_F(SceneObjects, InitsSetTheDefaults) {
  Camera3ds* camera = nullptr;
  InitCamera3ds(&camera);
  EXPECT_EQ(camera->fov, 45.0f);
  EXPECT_EQ(camera->target, (point3ds{1, 1, 1}));
  EXPECT_EQ(camera->farplane, 1000.0f);
  ReleaseCamera3ds(&camera);
  Light3ds* light = nullptr;
  InitLight3ds(&light);
  EXPECT_FALSE(light->spot.has_value());
  EXPECT_EQ(light->color, (fcolor3ds{0.70885f, 0.70885f, 0.70885f}));
  InitSpotlight3ds(&light);
  ASSERT_TRUE(light->spot.has_value());
  EXPECT_EQ(light->spot->shadowmapsize, 512);
  EXPECT_EQ(light->spot->falloff, 45.0f);
  ReleaseLight3ds(&light);
  EXPECT_EQ(light, nullptr);
}

TEST_F(SceneObjects, CamerasPutWrittenAndReadBackAreTheSameRecords) {
  std::vector<Camera3ds> cameras = {NamedCamera("Plain"), NamedCamera("Wide")};
  cameras[1].position = {1, 2, 3};
  cameras[1].target = {-4, 5, 6};
  cameras[1].roll = 12.5f;
  cameras[1].fov = 75.0f;
  cameras[1].seecone = 1;
  cameras[1].nearplane = 2.0f;
  cameras[1].farplane = 90.0f;
  ChunkDatabase3ds* database = NewDatabase(kMeshFile3ds);
  for (const Camera3ds& camera : cameras) PutCamera3ds(database, &camera);
  ChunkDatabase3ds* reread = WriteAndReadBack(database);
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(reread, "Plain", &object);
  const auto* lens = ChunkDataAs3ds<CameraData3ds>(FindChildChunk3ds(object, N_CAMERA));
  ASSERT_NE(lens, nullptr);
  EXPECT_FLOAT_EQ(lens->focalLength, 53.333333f);
  EXPECT_EQ(GetCameraCount3ds(reread), 2);
  NameArray3ds names;
  GetCameraNames3ds(reread, &names);
  EXPECT_EQ(names, (NameArray3ds{"Plain", "Wide"}));
  for (int32_t i = 0; i < 2; ++i) {
    Camera3ds* read = nullptr;
    GetCameraByIndex3ds(reread, i, &read);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == cameras[static_cast<size_t>(i)]) << i;
    ReleaseCamera3ds(&read);
  }
  Camera3ds* byName = nullptr;
  GetCameraByName3ds(reread, "Wide", &byName);
  ASSERT_NE(byName, nullptr);
  EXPECT_FLOAT_EQ(byName->fov, 75.0f);
  ReleaseCamera3ds(&byName);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(SceneObjects, RefusalsComeBackAsTheirErrors) {
  Camera3ds camera = NamedCamera("Cam");
  Camera3ds* read = nullptr;
  ChunkDatabase3ds noRoot;
  ChunkDatabase3ds* project = NewDatabase(kProjectFile3ds);
  ChunkDatabase3ds* library = NewDatabase(kMaterialFile3ds);
  Bytes zeroFocal = Chunk(NAMED_OBJECT, Text("Zero"),
                          {Chunk(N_CAMERA, Pack(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f))});
  Bytes mesh = Chunk(NAMED_OBJECT, Text("Box"), {Container(N_TRI_OBJECT, {})});
  ChunkDatabase3ds* file = ReadDatabaseFromBytes(MeshFile({zeroFocal, mesh}));
  Camera3ds zeroFov = NamedCamera("Cam");
  zeroFov.fov = 0.0f;
  Light3ds omni = NamedLight("Omni", false);
  Light3ds* light = nullptr;
  struct Case {
    const char* what;
    std::function<void()> call;
    int32_t code;
  } cases[] = {
      {"no database", [&] { PutCamera3ds(nullptr, &camera); }, ERR_INVALID_ARG},
      {"no record", [&] { GetCameraByIndex3ds(file, 0, nullptr); }, ERR_INVALID_ARG},
      {"no root", [&] { GetCameraCount3ds(&noRoot); }, ERR_INVALID_DATABASE},
      {"camera into a project", [&] { PutCamera3ds(project, &camera); }, ERR_WRONG_DATABASE},
      {"get from a library", [&] { GetCameraByIndex3ds(library, 0, &read); }, ERR_WRONG_DATABASE},
      {"camera by a mesh's name", [&] { GetCameraByName3ds(file, "Box", &read); },
       ERR_WRONG_OBJECT},
      {"spot by an omni's name",
       [&] {
         PutOmnilight3ds(project, &omni);
         GetSpotlightByName3ds(project, "Omni", &light);
       },
       ERR_WRONG_OBJECT},
      {"omni put as a spot", [&] { PutSpotlight3ds(project, &omni); }, ERR_INVALID_ARG},
      {"field of view 0", [&] { PutCamera3ds(file, &zeroFov); }, ERR_INVALID_DATA},
      {"focal length 0 in the file", [&] { GetCameraByName3ds(file, "Zero", &read); },
       ERR_INVALID_DATA},
  };
  for (const Case& c : cases) {
    ClearErrors3ds();
    c.call();
    EXPECT_EQ(PendingCodes(), std::vector<int32_t>{c.code}) << c.what;
  }
  EXPECT_EQ(read, nullptr);
  EXPECT_EQ(light, nullptr);
}

TEST_F(SceneObjects, LightsPutWrittenAndReadBackAreTheSameRecords) {
  std::vector<Light3ds> lights = {NamedLight("Omni", false), NamedLight("Lamp", false),
                                  NamedLight("Spot", true), NamedLight("Beam", true)};
  lights[1].position = {1, 2, 3};
  lights[1].color = {0.25f, 0.5f, 1.0f};
  lights[1].multiplier = 2.0f;
  lights[1].off = 1;
  lights[1].attenuate = 1;
  lights[1].innerrange = 5.0f;
  lights[1].outerrange = 50.0f;
  lights[1].exclude = {"Box", "Floor"};
  Spotlight3ds& spot = *lights[3].spot;
  spot.target = {4, 5, 6};
  spot.hotspot = 20.0f;
  spot.falloff = 30.0f;
  spot.roll = 15.0f;
  spot.aspect = 2.0f;
  spot.cast = 1;
  spot.rayshadows = 1;
  spot.localshadow = 1;
  spot.shadowbias = 0.5f;
  spot.shadowfilter = 4.0f;
  spot.shadowmapsize = 1024;
  spot.raybias = 0.25f;
  spot.rectangular = 1;
  spot.seecone = 1;
  spot.overshoot = 1;
  spot.projectoron = 1;
  spot.projector = "slide.gif";
  ChunkDatabase3ds* database = NewDatabase(kProjectFile3ds);
  for (const Light3ds& light : lights) PutLight3ds(database, &light);
  ChunkDatabase3ds* reread = WriteAndReadBack(database);
  EXPECT_EQ(GetOmnilightCount3ds(reread), 2);
  EXPECT_EQ(GetSpotlightCount3ds(reread), 2);
  NameArray3ds names;
  GetOmnilightNames3ds(reread, &names);
  EXPECT_EQ(names, (NameArray3ds{"Omni", "Lamp"}));
  GetSpotlightNames3ds(reread, &names);
  EXPECT_EQ(names, (NameArray3ds{"Spot", "Beam"}));
  for (size_t i = 0; i < lights.size(); ++i) {
    Light3ds* read = nullptr;
    auto index = static_cast<int32_t>(i % 2);
    if (i < 2) {
      GetOmnilightByIndex3ds(reread, index, &read);
    } else {
      GetSpotlightByIndex3ds(reread, index, &read);
    }
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == lights[i]) << i;
    ReleaseLight3ds(&read);
  }
  Light3ds* byName = nullptr;
  GetSpotlightByName3ds(reread, "Beam", &byName);
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->spot->projector, "slide.gif");
  ReleaseLight3ds(&byName);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(SceneObjects, LightBytesAreStepsOf255AndTheLaterColourWins) {
  Bytes light = Chunk(NAMED_OBJECT, Text("Lamp"),
                      {Chunk(N_DIRECT_LIGHT, Pack(0.0f, 0.0f, 0.0f),
                             {Chunk(COLOR_F, Pack(1.0f, 1.0f, 1.0f)),
                              Chunk(COLOR_24, Pack(uint8_t{255}, uint8_t{51}, uint8_t{0}))})});
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(MeshFile({light}));
  Light3ds* read = nullptr;
  GetOmnilightByName3ds(database, "Lamp", &read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->color, (fcolor3ds{1.0f, 0.2f, 0.0f}));
  ReleaseLight3ds(&read);
}

TEST_F(SceneObjects, ReplacedObjectsKeepTheirExtraDataUnderTheNewOne) {
  Bytes xdata =
      Container(XDATA_SECTION, {Container(XDATA_ENTRY, {Chunk(XDATA_APPNAME, Text("tool"))})});
  Bytes camera =
      Chunk(NAMED_OBJECT, Text("Cam"),
            {Chunk(N_CAMERA, Pack(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 50.0f), {xdata})});
  Bytes light = Chunk(NAMED_OBJECT, Text("Lamp"), {Chunk(N_DIRECT_LIGHT, Bytes(12), {xdata})});
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(MeshFile({camera, light}));
  Camera3ds newCamera = NamedCamera("Cam");
  PutCamera3ds(database, &newCamera);
  Light3ds newLight = NamedLight("Lamp", true);
  PutLight3ds(database, &newLight);
  ChunkDatabase3ds* reread = WriteAndReadBack(database);
  EXPECT_EQ(GetCameraCount3ds(reread), 1);
  EXPECT_EQ(GetOmnilightCount3ds(reread), 0);
  EXPECT_EQ(GetSpotlightCount3ds(reread), 1);
  for (auto [name, tag] : {std::pair{"Cam", N_CAMERA}, std::pair{"Lamp", N_DIRECT_LIGHT}}) {
    ChunkNode3ds* object = nullptr;
    FindNamedObject3ds(reread, name, &object);
    ChunkNode3ds* own = FindChildChunk3ds(object, tag);
    ASSERT_NE(own, nullptr) << name;
    EXPECT_EQ(GetXDataEntryCount3ds(own), 1) << name;
    NameArray3ds apps;
    GetXDataAppNames3ds(own, &apps);
    EXPECT_EQ(apps, NameArray3ds{"tool"}) << name;
  }
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(SceneObjects, DeletedAndCopiedCamerasAndLights) {
  ChunkDatabase3ds* source = NewDatabase(kMeshFile3ds);
  for (const char* name : {"CamA", "CamB"}) {
    Camera3ds camera = NamedCamera(name);
    PutCamera3ds(source, &camera);
  }
  for (auto [name, spot] : {std::pair{"OmniA", false}, std::pair{"SpotA", true},
                            std::pair{"OmniB", false}, std::pair{"SpotB", true}}) {
    Light3ds light = NamedLight(name, spot);
    PutLight3ds(source, &light);
  }
  ChunkDatabase3ds* destination = NewDatabase(kMeshFile3ds);
  CopyCameraByIndex3ds(destination, source, 1);
  CopyCameraByName3ds(destination, source, "OmniA");  // not a camera: nothing
  CopyOmnilightByIndex3ds(destination, source, 1);
  CopySpotlightByIndex3ds(destination, source, 0);
  CopySpotlightByName3ds(destination, source, "SpotB");
  CopyOmnilightByName3ds(destination, source, "SpotB");  // a spot: nothing more
  NameArray3ds names;
  GetCameraNames3ds(destination, &names);
  EXPECT_EQ(names, NameArray3ds{"CamB"});
  GetOmnilightNames3ds(destination, &names);
  EXPECT_EQ(names, NameArray3ds{"OmniB"});
  GetSpotlightNames3ds(destination, &names);
  EXPECT_EQ(names, (NameArray3ds{"SpotA", "SpotB"}));

  DeleteCameraByName3ds(source, "OmniA");  // not a camera: kept
  DeleteCameraByIndex3ds(source, 0);
  DeleteOmnilightByName3ds(source, "SpotA");  // a spot: kept
  DeleteOmnilightByIndex3ds(source, 1);
  DeleteSpotlightByName3ds(source, "SpotA");
  DeleteSpotlightByIndex3ds(source, 5);  // no such spot
  GetCameraNames3ds(source, &names);
  EXPECT_EQ(names, NameArray3ds{"CamB"});
  GetOmnilightNames3ds(source, &names);
  EXPECT_EQ(names, NameArray3ds{"OmniA"});
  GetSpotlightNames3ds(source, &names);
  EXPECT_EQ(names, NameArray3ds{"SpotB"});
  EXPECT_FALSE(ErrorsPending3ds());
}

}  // namespace
