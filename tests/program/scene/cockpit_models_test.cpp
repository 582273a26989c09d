// The cabin as the views, the mouse picking and the instruments find it, and the switch levers
// with the values their positions select.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/scene_services.h"
#include "program/scene/textures_materials.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/scene/scene_files.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class CockpitTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    forms::UseClock(&clock_);
    for (const std::string& model : CabinModels) WriteModel("Models/" + model + ".X");
    for (const std::string& model : Levers) WriteModel("Models/" + model + ".X");
    WriteModel("Models/virtual.X");
    WriteModel("Models/virtualsimple.X", 2);
    for (const char* hatch : {"HatchOpen.x", "HatchClosedinner.x", "hatchclosedouter.x"})
      WriteModel(std::string("Models/") + hatch);
    for (const char* picture : {"Invisible", "COASGlass", "DockingWindowDesignator", "Bezel1",
                                "DSKYDisp", "DSKYLights", "LPD"}) {
      WriteImage(std::string("Textures/") + picture + ".png");
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + picture + ".png", picture);
    }
    CreateMaterials();
    CreateLights();
    CreateHatch();
  }
  void TearDown() override {
    CockpitPartMeshes.clear();
    SwitchMeshes.clear();
    VirtualCockpitMesh.reset();
    CockpitShellMesh.reset();
    DropMainDisplay();
    forms::UseClock(nullptr);
    SceneTest::TearDown();
  }

  static int32_t Material(const char* name) { return Globals->GetMaterialId(name); }

  SavedVariables saved_ =
      SavedVariables(SimpleCockpit, AutoThrottleOn, MaxCommandedRadialVelocity, SelectedDeadband,
                     XPointerHighScale, LampSpare1, MinimumImpulseMode, MessageText, UiText);

 private:
  forms::VirtualClock clock_;
};

TEST_F(CockpitTest, TheCabinHangsFromItsRootAndOnlyTheKeysArePickable) {
  BuildVirtualCockpit();
  EXPECT_EQ(Scene->FindMesh("VirtualCockpit"), VirtualCockpitMesh);
  EXPECT_EQ(CockpitShellMesh->Parent(), VirtualCockpitMesh.get());
  EXPECT_EQ(CockpitShellMesh->Geometry().groupCount, 1u);
  for (const std::string& model : CabinModels) {
    SCOPED_TRACE(model);
    const engine::EngineMesh& part = CockpitPart(model);
    EXPECT_EQ(Scene->FindMesh(model).get(), &part);
    EXPECT_EQ(part.Parent(), VirtualCockpitMesh.get());
    EXPECT_EQ(part.IsPickable(), model.starts_with("Key"));
    EXPECT_FLOAT_EQ(part.GetMatrix().m[0][0], -0.025f);
  }
  EXPECT_EQ(HatchOpenMesh->Parent(), VirtualCockpitMesh.get());
  EXPECT_EQ(HatchClosedInnerMesh->Parent(), VirtualCockpitMesh.get());

  const struct {
    const char* part;
    const char* material;
    const char* texture;  // nullptr: none
  } looks[] = {{"COASoverhead", "MatInterior1", nullptr},
               {"Key5", "MatInterior1", nullptr},
               {"XPointerLmp", "MatLitInstruments", nullptr},
               {"Des_Qty", "Ambient", nullptr},
               {"COASreticle", "COAS", nullptr},
               {"coasreticlemask", "Ambient", "Invisible"},
               {"COASdisplay", "Ambient", "COASGlass"},
               {"bezels", "MatInterior1", "Bezel1"},
               {"LPDOutside", "LPDOut", "LPD"},
               {"LPDInside", "LPDIn", "LPD"},
               {"DockingWindowOutside", "LPDOut", "DockingWindowDesignator"},
               {"DockingWindowInside", "LPDIn", "DockingWindowDesignator"},
               {"DSKYDisp", "MatInterior1", "DSKYDisp"},
               {"DSKYLights", "MatInterior1", "DSKYLights"}};
  for (const auto& look : looks) {
    SCOPED_TRACE(look.part);
    const engine::MeshGroup& group = CockpitPart(look.part).Groups()[0];
    EXPECT_EQ(group.material, Material(look.material));
    EXPECT_EQ(group.texture, look.texture ? Globals->GetTextureId(look.texture) : 0);
  }
}

TEST_F(CockpitTest, TheSimpleCockpitTakesTheSimpleShell) {
  SimpleCockpit = true;
  BuildVirtualCockpit();
  EXPECT_EQ(CockpitShellMesh->Geometry().groupCount, 2u);
}

struct SwitchCase {
  const char* name;
  std::function<void(int32_t&)> procedure;
  std::vector<const char*> levers;  // in position order
  std::function<void(int32_t position)> expectValue;
};

std::vector<SwitchCase> Switches() {
  return {{"AGS", SetSwitchModelA, {"SW_AGS_Off", "SW_AGS_Hold", "SW_AGS_Auto"}, [](int32_t) {}},
          {"PGNS",
           SetSwitchModelB,
           {"SW_PGNS_Off", "SW_PGNS_Hold", "SW_PGNS_Auto"},
           [](int32_t p) { EXPECT_EQ(LampSpare1, p != 2); }},
          {"rate scale",
           SetSwitchModelC,
           {"SW_RateScale_Min", "SW_RateScale_Max"},
           [](int32_t p) {
             EXPECT_FLOAT_EQ(MaxCommandedRadialVelocity, p ? 0.43633232f : 0.08726646f);
           }},
          {"yaw",
           SetSwitchModelD,
           {"SW_YawMode_Off", "SW_YawMode_Pulse", "SW_YawMode_Cont"},
           [](int32_t) {}},
          {"pitch",
           SetSwitchModelE,
           {"SW_PitchMode_Off", "SW_PitchMode_Pulse", "SW_PitchMode_Cont"},
           [](int32_t) {}},
          {"roll",
           SetSwitchModelF,
           {"SW_RollMode_Off", "SW_RollMode_Pulse", "SW_RollMode_Cont"},
           [](int32_t) {}},
          {"throttle",
           SetSwitchModelG,
           {"SW_ThrottleControl_Manual", "SW_ThrottleControl_Auto"},
           [](int32_t p) {
             EXPECT_EQ(AutoThrottleOn, p == 1);
             EXPECT_EQ(MessageText[0].Text, p ? "Auto Throttle" : "Manual Throttle");
           }},
          {"deadband",
           SetSwitchModelH,
           {"SW_DeadBand_Min", "SW_DeadBand_Max"},
           [](int32_t p) { EXPECT_DOUBLE_EQ(SelectedDeadband, p ? 0.0872664626 : 0.00872664626); }},
          {"cross-pointer scale",
           SetSwitchModelI,
           {"SW_XPointer_LoMult", "SW_XPointer_HiMult"},
           [](int32_t p) { EXPECT_EQ(XPointerHighScale, p); }}};
}

TEST_F(CockpitTest, EachSwitchShowsTheLeverOfItsPositionAndSetsItsValue) {
  UiText[210] = "Manual Throttle";
  UiText[211] = "Auto Throttle";
  BuildVirtualCockpit();
  CreateSwitchModels();
  for (const std::string& lever : Levers) EXPECT_TRUE(SwitchLever(lever).IsPickable()) << lever;
  MinimumImpulseMode = false;
  for (const SwitchCase& c : Switches()) {
    for (int32_t position = static_cast<int32_t>(c.levers.size()) - 1; position >= 0; --position) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(position));
      int32_t asked = position;
      c.procedure(asked);
      for (size_t n = 0; n < c.levers.size(); ++n)
        EXPECT_EQ(SwitchLever(c.levers[n]).IsEnabled(), static_cast<int32_t>(n) == position)
            << c.levers[n];
      c.expectValue(position);
    }
    // A position the switch does not have changes nothing.
    SCOPED_TRACE(std::string(c.name) + " at 3");
    int32_t none = 3;
    c.procedure(none);
    EXPECT_TRUE(SwitchLever(c.levers[0]).IsEnabled());
    c.expectValue(0);
  }
}

TEST_F(CockpitTest, ThePGNSLampFollowsMinimumImpulseModeBelowAuto) {
  BuildVirtualCockpit();
  CreateSwitchModels();
  MinimumImpulseMode = true;
  for (int32_t position : {0, 1, 2}) {
    LampSpare1 = true;
    SetSwitchModelB(position);
    EXPECT_FALSE(LampSpare1) << position;
  }
}

TEST_F(CockpitTest, TheCabinLightsAndTheDSKYsProgramsReachTheirParts) {
  SavedVariables saved(DSKYNeighbours, PGNSSwitch, InteriorViewFlag, TextureIds);
  BuildVirtualCockpit();
  CreateSwitchModels();
  for (const auto& [file, id] : {std::pair{"Instruments/ContOff.png", &TextureIds.ContOff},
                                 std::pair{"Instruments/ContOn.png", &TextureIds.ContOn},
                                 std::pair{"desqty.jpg", &TextureIds.DesQty}}) {
    WriteImage(std::string("Textures/") + file);
    *id = TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + file, file);
  }
  LightContactLightMesh();
  EXPECT_EQ(CockpitPart("ContactLight").Groups()[0].texture, TextureIds.ContOn);
  ShowLowFuelLight();
  EXPECT_EQ(CockpitPart("Des_Qty").Groups()[0].texture, TextureIds.DesQty);

  InstallSceneDSKYServices();
  DSKYNeighbours.ResetContactLight();
  EXPECT_EQ(CockpitPart("ContactLight").Groups()[0].texture, TextureIds.ContOff);
  PGNSSwitch.SwitchPosition = 2;
  DSKYNeighbours.ReapplyPGNSSwitch();
  EXPECT_TRUE(SwitchLever("SW_PGNS_Auto").IsEnabled());
  EXPECT_FALSE(SwitchLever("SW_PGNS_Off").IsEnabled());
  InteriorViewFlag = true;
  DSKYNeighbours.ClearInteriorViewFlag();
  EXPECT_FALSE(InteriorViewFlag);
}

}  // namespace
