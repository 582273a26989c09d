#include "program/scene/cockpit_models.h"

#include <array>
#include <vector>

#include "platform/engine/engine_error.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr float CabinScale = 0.025f;  // 40 model units a world unit, x and z mirrored
constexpr int32_t AlphaReference = 128;
constexpr float SlowRateScale = 0.08726646f;      // rad/s, 5 degrees a second
constexpr float FastRateScale = 0.43633232f;      // rad/s, 25 degrees a second
constexpr double NarrowDeadband = 0.00872664626;  // radians, 0.5 degree
constexpr double WideDeadband = 0.0872664626;     // radians, 5 degrees
constexpr int32_t ManualThrottleText = 210;
constexpr int32_t AutoThrottleText = 211;
constexpr int32_t ThrottleMessageMs = 1000;

std::string ModelPath(const std::string& name) {
  return win::AppPath() + "\\Models\\" + name + ".X";
}

void Yield() { forms::DoEvents(); }

int32_t Material(const char* name) { return Globals->GetMaterialId(name); }

void Part(const std::string& name, int32_t material = 0, bool pickable = false) {
  LoadCockpitPartMesh(CockpitPartMeshes[name], name, pickable, material);
}

void Texture(const char* part, const char* texture) {
  CockpitPart(part).SetTexture(Globals->GetTextureId(texture), -1.0f);
}

engine::EngineMesh& Named(const std::map<std::string, MeshPtr, std::less<>>& meshes,
                          const std::string& name) {
  const auto found = meshes.find(name);
  if (found == meshes.end() || !found->second)
    throw engine::EngineError("the cabin has no model \"" + name + "\"");
  return *found->second;
}

// Shows the lever of `position` among the switch's levers, in position order; a position the
// switch does not have changes nothing and gives false.
template <size_t N>
bool ShowLever(int32_t position, const std::array<const char*, N>& levers) {
  if (position < 0 || position >= static_cast<int32_t>(N)) return false;
  for (size_t n = 0; n < N; ++n) SwitchLever(levers[n]).Enable(static_cast<int32_t>(n) == position);
  return true;
}

}  // namespace

void LoadCockpitPartMesh(MeshPtr& mesh, const std::string& name, bool pickable, int32_t material) {
  mesh = Scene->CreateMesh("");
  mesh->LoadXFile(ModelPath(name), -1, -1);
  mesh->SetScale(-CabinScale, CabinScale, -CabinScale);
  mesh->SetAlphaTest(false, AlphaReference, -1, -1);
  mesh->SetMaterial(material >= 1 ? material : Material("MatInterior1"), -1);
  mesh->SetName(name);
  mesh->SetPickable(pickable, -1);
  mesh->SetShadowCast(false, LightIds[SunLight], -1.0f);
  mesh->PrepareC();
  VirtualCockpitMesh->AttachChild(mesh);
}

void LoadSwitchMesh(MeshPtr& mesh, const std::string& name) {
  mesh = Scene->CreateMesh("");
  mesh->LoadXFile(ModelPath(name), -1, -1);
  mesh->PrepareA();
  mesh->PrepareB();
  mesh->PrepareC();
  mesh->SetScale(-CabinScale, CabinScale, -CabinScale);
  mesh->SetAlphaTest(false, AlphaReference, -1, -1);
  mesh->SetMaterial(Material("Mat(2)"), -1);
  mesh->SetName(name);
  mesh->SetPickable(true, -1);
  mesh->SetShadowCast(false, 0, -1.0f);
  VirtualCockpitMesh->AttachChild(mesh);
}

engine::EngineMesh& CockpitPart(const std::string& name) { return Named(CockpitPartMeshes, name); }
engine::EngineMesh& SwitchLever(const std::string& name) { return Named(SwitchMeshes, name); }

void BuildVirtualCockpit() {
  VirtualCockpitMesh = Scene->CreateMesh("");
  VirtualCockpitMesh->AddVertex(0, 0, 0, engine::EngineGlobals::MakeColor(0, 0, 0, 0), 0, 0);
  VirtualCockpitMesh->SetOrigin(0, 0, 0);
  VirtualCockpitMesh->SetName("VirtualCockpit");
  VirtualCockpitMesh->SetPickable(true, -1);
  VirtualCockpitMesh->SetShadowCast(false, 0, -1.0f);

  Part("FDAICdr", Material("MatInterior1"));
  Part("XPointerCdr", Material("MatLitInstruments"));
  Yield();
  Part("FDAILmp", Material("MatInterior1"));
  Yield();
  Part("XPointerLmp", Material("MatLitInstruments"));
  Yield();
  Part("AltitudeRate", Material("MatLitInstruments"));
  Yield();
  Part("AltitudeTape", Material("MatLitInstruments"));

  CockpitShellMesh = Scene->CreateMesh("");
  CockpitShellMesh->LoadXFile(ModelPath(SimpleCockpit ? "virtualsimple" : "virtual"), -1, -1);
  CockpitShellMesh->PrepareB();
  CockpitShellMesh->SetScale(-CabinScale, CabinScale, -CabinScale);
  CockpitShellMesh->SetAlphaTest(false, AlphaReference, -1, -1);
  CockpitShellMesh->SetName("Cockpit");
  CockpitShellMesh->SetPickable(false, -1);
  CockpitShellMesh->SetShadowCast(false, 0, -1.0f);
  CockpitShellMesh->PrepareC();
  CockpitShellMesh->SetMaterial(Material("MatInterior1"), -1);
  VirtualCockpitMesh->AttachChild(CockpitShellMesh);
  Yield();

  Part("coasreticlemask", Material("Ambient"));
  Texture("coasreticlemask", "Invisible");
  Part("COASdisplay", Material("Ambient"));
  Texture("COASdisplay", "COASglass");
  Part("DockingWindowOutside");
  Part("DockingWindowInside");
  Part("COASoverhead");
  Part("COASreticle", Material("COAS"));
  Part("COASstow");
  Part("COASReticleGlassStow", Material("COAS"));
  Yield();
  Part("EngineLeft", Material("MatLitInstruments"));
  Part("EngineRight", Material("MatLitInstruments"));
  Part("bezels");
  Texture("bezels", "Bezel1");
  Yield();
  for (const char* gauge : {"Helium_Pressure", "Fuel_Quantity", "Oxy_Quantity", "Event_Timer",
                            "Mission_Timer_MinSec", "Mission_Timer_Hours", "Des_Qty"})
    Part(gauge, Material("Ambient"));
  Part("ContactLight");
  Part("TW", Material("MatLitInstruments"));
  for (const char* key :
       {"Key0", "Key1", "Key2", "Key3", "Key4", "Key5", "Key6", "Key7", "Key8", "Key9", "KeyPlus",
        "KeyMinus", "KeyEntr", "KeyKeyRel", "KeyClr", "KeyRset", "KeyPro", "KeyNoun", "KeyVerb"})
    Part(key, 0, true);
  for (const char* face : {"DSKYDisp", "DSKYLights", "LPDOutside", "LPDInside"}) Part(face);

  VirtualCockpitMesh->AttachChild(HatchClosedInnerMesh);
  VirtualCockpitMesh->AttachChild(HatchOpenMesh);

  const struct {
    const char* part;
    const char* texture;
    const char* material;  // nullptr keeps the part's
  } faces[] = {{"LPDOutside", "LPD", "LPDOut"},
               {"LPDInside", "LPD", "LPDIn"},
               {"DockingWindowOutside", "DockingWindowDesignator", "LPDOut"},
               {"DockingWindowInside", "DockingWindowDesignator", "LPDIn"},
               {"DSKYDisp", "DSKYDisp", nullptr},
               {"DSKYLights", "DSKYLights", nullptr}};
  for (const auto& face : faces) {
    Texture(face.part, face.texture);
    if (face.material != nullptr) CockpitPart(face.part).SetMaterial(Material(face.material), -1);
  }
}

void CreateSwitchModels() {
  for (const char* lever : SwitchLeverNames) LoadSwitchMesh(SwitchMeshes[lever], lever);
}

void SetSwitchModelA(int32_t& position) {
  ShowLever(position, std::array{"SW_AGS_Off", "SW_AGS_Hold", "SW_AGS_Auto"});
}

void SetSwitchModelB(int32_t& position) {
  if (ShowLever(position, std::array{"SW_PGNS_Off", "SW_PGNS_Hold", "SW_PGNS_Auto"}))
    LampSpare1 = position != PGNSAuto && !MinimumImpulseMode;
}

void SetSwitchModelC(int32_t& position) {
  if (ShowLever(position, std::array{"SW_RateScale_Min", "SW_RateScale_Max"}))
    MaxCommandedRadialVelocity = position == 0 ? SlowRateScale : FastRateScale;
}

void SetSwitchModelD(int32_t& position) {
  ShowLever(position, std::array{"SW_YawMode_Off", "SW_YawMode_Pulse", "SW_YawMode_Cont"});
}

void SetSwitchModelE(int32_t& position) {
  ShowLever(position, std::array{"SW_PitchMode_Off", "SW_PitchMode_Pulse", "SW_PitchMode_Cont"});
}

void SetSwitchModelF(int32_t& position) {
  ShowLever(position, std::array{"SW_RollMode_Off", "SW_RollMode_Pulse", "SW_RollMode_Cont"});
}

void SetSwitchModelG(int32_t& position) {
  if (ShowLever(position, std::array{"SW_ThrottleControl_Manual", "SW_ThrottleControl_Auto"}))
    AutoThrottleOn = position == 1;
  ShowMessage(UiText[AutoThrottleOn ? AutoThrottleText : ManualThrottleText], ThrottleMessageMs, 0,
              0);
}

void SetSwitchModelH(int32_t& position) {
  if (ShowLever(position, std::array{"SW_DeadBand_Min", "SW_DeadBand_Max"}))
    SelectedDeadband = position == 0 ? NarrowDeadband : WideDeadband;
}

void SetSwitchModelI(int32_t& position) {
  if (ShowLever(position, std::array{"SW_XPointer_LoMult", "SW_XPointer_HiMult"}))
    XPointerHighScale = position;
}

void LightContactLightMesh() { CockpitPart("ContactLight").SetTexture(TextureIds.ContOn, -1.0f); }

void ShowLowFuelLight() { CockpitPart("Des_Qty").SetTexture(TextureIds.DesQty, -1.0f); }

void InstallSceneDSKYServices() {
  DSKYNeighbours.ResetContactLight = [] {
    CockpitPart("ContactLight").SetTexture(TextureIds.ContOff, -1.0f);
  };
  DSKYNeighbours.ClearInteriorViewFlag = [] { InteriorViewFlag = false; };
  DSKYNeighbours.RotateLMMeshes = OffsetLMMeshes;
  DSKYNeighbours.ReapplyPGNSSwitch = [] { SetSwitchModelB(PGNSSwitch.SwitchPosition); };
}
