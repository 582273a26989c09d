// The engine objects of a flight on the null backend (or a test's own), over a fresh program
// folder into which each test writes the files the scene reads. The settings the scene reads are
// given back their values when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"
#include "tests/program/missions/program_folder.h"

// Keeps what the scene asks to be drawn: the 2D shapes, and each mesh with the target it went to.
class RecordingBackend : public engine::DrawBackend {
 public:
  struct MeshDraw {
    const engine::EngineMesh* mesh;
    engine::EngineRenderSurface* target;  // nullptr for the back buffer
  };
  // A draw of a sky, a landscape or a 2D shape, with the target and the camera it went to.
  struct Draw {
    const char* kind;
    engine::EngineRenderSurface* target;
    d3dx::D3DXMATRIX view;
  };
  std::vector<engine::Shape2D> shapes;
  std::vector<MeshDraw> meshes;
  std::vector<Draw> draws;

  void BeginTarget(const engine::DrawTarget& target, bool, uint32_t) override {
    targets_.push_back(target.surface);
  }
  void EndTarget() override { targets_.pop_back(); }
  void DrawMesh(const engine::EngineMesh& mesh, const engine::CameraView&) override {
    meshes.push_back({&mesh, Target()});
  }
  void DrawLandscape(const engine::EngineLandscape&, const engine::CameraView& camera) override {
    draws.push_back({"landscape", Target(), camera.view});
  }
  void Draw2D(const engine::Shape2D& shape) override {
    shapes.push_back(shape);
    draws.push_back({"2D", Target(), {}});
  }
  void DrawSky(const engine::EngineAtmosphere&, const engine::CameraView& camera) override {
    draws.push_back({"sky", Target(), camera.view});
  }
  void DrawParticles(const engine::EngineParticleSystem&,
                     const engine::CameraView& camera) override {
    draws.push_back({"particles", Target(), camera.view});
  }
  void DrawShadowVolume(const engine::EngineMesh&, int32_t light, uint32_t colour, float range,
                        const engine::CameraView& camera) override {
    draws.push_back({"shadow", Target(), camera.view});
    shadowLight = light;
    shadowColour = colour;
    shadowRange = range;
  }
  int32_t shadowLight = 0;
  uint32_t shadowColour = 0;
  float shadowRange = 0;
  void Present() override {}
  void MeasureText(const std::string& text, const engine::Font&, int32_t pixelHeight,
                   int32_t& width, int32_t& height) override {
    width = static_cast<int32_t>(text.size()) * pixelHeight / 2;
    height = pixelHeight;
  }
  std::vector<uint32_t> ReadBackBuffer(int32_t, int32_t) override { return {}; }

 private:
  engine::EngineRenderSurface* Target() const {
    return targets_.empty() ? nullptr : targets_.back();
  }
  std::vector<engine::EngineRenderSurface*> targets_;
};

class SceneTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    // A test of another fixture may have left its engine objects behind (the headless LM keeps
    // its scene for the process); they go before the engine they were made on.
    ReleaseEngineObjects();
    CreateEngineObjects(engine::MakeNullBackend());
  }
  void TearDown() override { ReleaseEngineObjects(); }

  // The objects in the order the engine start makes them.
  static void CreateEngineObjects(std::unique_ptr<engine::DrawBackend> backend) {
    Engine = std::make_unique<engine::Engine>(std::move(backend));
    Globals = std::make_unique<engine::EngineGlobals>(*Engine);
    InputEngine = std::make_unique<engine::EngineInput>(*Engine);
    InputDevices = std::make_unique<engine::EngineInputDevices>(*Engine);
    MathLibrary = std::make_unique<engine::EngineMathLibrary>();
    TextureFactory = std::make_unique<engine::EngineTextureFactory>(*Engine);
    Scene = std::make_unique<engine::EngineScene>(*Engine);
    LightEngine = std::make_unique<engine::EngineLights>(*Engine);
    Screen2DText = std::make_unique<engine::EngineScreen2DText>(*Engine);
    ViewCameras = {nullptr, &Engine->MainCamera(), &extraCameras_[0], &extraCameras_[1],
                   &extraCameras_[2]};
    Screen2DDraw = std::make_unique<engine::EngineScreen2DDraw>(*Engine);
    GraphicEffect = std::make_unique<engine::EngineGraphicEffect>();
    MaterialFactory = std::make_unique<engine::EngineMaterialFactory>(*Engine);
    Atmosphere = std::make_unique<engine::EngineAtmosphere>(*Engine);
    SceneHelper = std::make_unique<engine::EnginePath>(*Engine);
  }

  // Drops every object the scene made and the engine objects, newest first.
  static void ReleaseEngineObjects() {
    for (RenderSurfacePtr* surface :
         {&ViewSurface, &FDAISurface, &XPointerSurface, &AltitudeSurface, &AltitudeRateSurface,
          &PanelSurface, &ThrottleSurface, &AttitudeMeasureSurface, &DSKYSurface,
          &DSKYLightsSurface, &FuelCounterSurface, &CounterSurface, &WindowViewSurface,
          &WindowOverlaySurface, &ShadowSurface, &TerrainPatchSurface})
      surface->reset();
    for (RenderSurfacePtr& surface : DataDisplaySurfaces) surface.reset();
    DropSceneReferences();
    TextureIds = {};
    MaterialIds = {};
    SceneHelper.reset();
    Atmosphere.reset();
    MaterialFactory.reset();
    GraphicEffect.reset();
    Screen2DDraw.reset();
    ViewCameras = {};
    Screen2DText.reset();
    LightEngine.reset();
    Scene.reset();
    TextureFactory.reset();
    MathLibrary.reset();
    InputDevices.reset();
    InputEngine.reset();
    Globals.reset();
    Engine.reset();
  }

  // A small picture under the program folder; the image reader knows it by its bytes, whatever
  // the file's extension says.
  void WriteImage(const std::string& relative, uint32_t width = ImageSide,
                  uint32_t height = ImageSide) const {
    const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(width, height, 0xFF808080), false);
    folder_.WriteFile(relative, std::string(bytes.begin(), bytes.end()));
  }

  // A model of `groups` triangles in the X file's text form, triangle n in material group n, the
  // first around the origin.
  void WriteModel(const std::string& relative, int groups = 1) const {
    std::string vertices, faces, materials;
    for (int n = 0; n < groups; ++n) {
      const std::string x = std::to_string(n);
      vertices += (n ? ", " : "") + x + ";0;0;, " + x + ";1;0;, " + x + ";0;1;";
      const std::string first = std::to_string(3 * n);
      faces += (n ? ", " : "") + std::string("3;") + first + "," + std::to_string(3 * n + 1) + "," +
               std::to_string(3 * n + 2) + ";";
      materials += "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n";
    }
    std::string indices;
    for (int n = 0; n < groups; ++n) indices += (n ? ", " : "") + std::to_string(n);
    folder_.WriteFile(relative, "xof 0303txt 0032\nMesh M {\n" + std::to_string(3 * groups) + "; " +
                                    vertices + ";\n" + std::to_string(groups) + "; " + faces +
                                    ";\nMeshMaterialList { " + std::to_string(groups) + "; " +
                                    std::to_string(groups) + "; " + indices + ";;\n" + materials +
                                    "}\n}\n");
  }

  // Every model of the LM's two stages and the hatch, the legs with six material groups.
  void WriteStageModels() const {
    for (const char* model : {"LMAscent.x",
                              "LMAscentS.x",
                              "LMAscentGoldFoilParts.x",
                              "LMAscentSilverFoilParts.x",
                              "LMAscentWindows.x",
                              "LMAscentRadarLand.x",
                              "LMAscentRadarOrbit.x",
                              "LMAscentRadarShadowland.x",
                              "LMAscentRadarShadowOrbit.x",
                              "LMAscentShadow.x",
                              "AscentEngineFlame.x",
                              "LMDescent.x",
                              "LMDescentS.x",
                              "LMDescentPartsWithShadow.X",
                              "EngineFlame.x",
                              "LMDescentGoldFoilParts.x",
                              "LMDescentSilverFoilParts.x",
                              "LMDescentRedFoilParts.x",
                              "LMDescentLegsSilver.x",
                              "LMDescentShadow.x",
                              "HatchOpen.x",
                              "HatchClosedinner.x",
                              "hatchclosedouter.x"})
      WriteModel(std::string("Models/") + model);
    for (int p = 1; p <= FootpadCount; ++p) {
      const std::string n = std::to_string(p);
      WriteModel("Models/LMDescentShadowP" + n + ".x");
      WriteModel("Models/LMDescentp" + n + ".x", LegModelGroups);
      WriteModel("Models/LMDescentP" + n + "S.x", LegModelGroups);
    }
  }
  static constexpr int LegModelGroups = 6;

  // The file as the engine names it once resolved: the program folder and the relative path.
  std::string Resolved(const std::string& relative) const {
    return (folder_.Path() / relative).string();
  }

  static constexpr uint32_t ImageSide = 8;  // pixels of every test picture

 private:
  inline static std::array<engine::EngineCamera, ViewCameraCount - 1> extraCameras_{};
  SavedVariables settings_ =
      SavedVariables(TextureQuality, RenderDetail, SimpleLM, ShadowFlags, ScreenHeight, ScreenWidth,
                     DisplayModeWidth, DisplayModeHeight, PreviousMissionType, LandTileFiles,
                     ViewSurfaceActive, FDAIScale, LightRecords, LightIds, FontIds);
};
