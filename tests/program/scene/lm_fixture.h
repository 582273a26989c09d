// The LM's models on a recording backend, over a program folder holding every model and picture
// they load, with the materials and lights made first.
#pragma once

#include <memory>
#include <string>

#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/textures_materials.h"
#include "tests/program/scene/scene_fixture.h"

class LMSceneTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ReleaseEngineObjects();
    auto recording = std::make_unique<RecordingBackend>();
    backend_ = recording.get();
    CreateEngineObjects(std::move(recording));
    WriteStageModels();
    for (const char* model :
         {"CMMain.x", "CMshiny.x", "CMOverlay.x", "FDAIBall.X", "landingmarker.x", "LMmini.x"})
      WriteModel(std::string("Models/") + model);
    for (int i = 1; i <= 16; ++i) WriteModel("Models/RCSPlume" + std::to_string(i) + ".x");
    for (const char* picture : {"white", "blacksolid", "CMOverlay"}) {
      WriteImage(std::string("Textures/") + picture + ".png");
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + picture + ".png", picture);
    }
    CreateMaterials();
    CreateLights();
  }

  static void BuildStages() {
    CreateHatch();
    BuildAscentStage();
    BuildDescentStage();
  }
  static int32_t Material(const char* name) { return Globals->GetMaterialId(name); }

  RecordingBackend* backend_ = nullptr;
};
