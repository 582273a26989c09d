#include "program/scene/lm_models.h"

#include <string>
#include <string_view>

#include "platform/win/app_path.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"

namespace {

// LM parts, the hatch, the cabin and the plumes: 40 model units a world unit, x and z mirrored.
constexpr float LMScale = 0.025f;
constexpr float CommandModuleScale = 0.0068f;
constexpr float MiniLMScale = 0.01f;
constexpr float CameraMeshTurn = -0.34906584f;    // radians, 20 degrees
constexpr float FDAIBallCameraDistance = -19.0f;  // world units before the ball
constexpr float SpotSide = 25.0f;                 // world units
constexpr float ShadowGridWidth = 400.0f;         // world units along x
constexpr float ShadowGridDepth = 200.0f;         // world units along z
constexpr float ShadowGridHeight = 60.0f;         // world units
constexpr float BlobHalfWidth = 3.0f;             // world units
constexpr float BlobHeight = 20.0f;               // world units
constexpr int32_t AlphaReference = 128;
constexpr int32_t PlumeDrawMode = 2;
constexpr int32_t InverseSourceAlpha = 6;  // blend factors of the shadow picture's multiply
constexpr int32_t InverseSourceColour = 4;

enum class Shadow {
  Off,          // casts none
  WithShadows,  // casts one while the shadow option is on
  On,           // always casts one
  SetLater      // the builder sets it
};

struct Part {
  std::string file;          // after the program folder
  std::string_view prepare;  // the preparation calls in order; those after ';' come last
  Shadow shadow = Shadow::Off;
  int32_t material = 0;
  int32_t texture = 0;  // 0 = none
  const char* name = "";
  bool alphaTest = true;
  bool lmScale = true;
};

int32_t Material(const char* name) { return Globals->GetMaterialId(name); }
int32_t TextureNamed(const char* name) { return Globals->GetTextureId(name); }

void Prepare(engine::EngineMesh& mesh, std::string_view calls) {
  for (const char call : calls) {
    if (call == 'A') mesh.PrepareA();
    if (call == 'B') mesh.PrepareB();
    if (call == 'C') mesh.PrepareC();
  }
}

void CastShadow(engine::EngineMesh& mesh, Shadow shadow) {
  if (shadow == Shadow::Off) mesh.SetShadowCast(false, 0, -1.0f);
  if (shadow == Shadow::On || (shadow == Shadow::WithShadows && ShadowFlags[0]))
    mesh.SetShadowCast(true, LightIds[SunLight], -1.0f);
}

// The calls of a part after its geometry is in place.
void SetUpPart(engine::EngineMesh& mesh, const Part& part) {
  const size_t split = part.prepare.find(';');
  Prepare(mesh, part.prepare.substr(0, split));
  CastShadow(mesh, part.shadow);
  mesh.SetMaterial(part.material, -1);
  if (part.texture != 0) mesh.SetTexture(part.texture, -1.0f);
  if (part.alphaTest) mesh.SetAlphaTest(false, AlphaReference, -1, -1);
  mesh.SetPickable(false, -1);
  mesh.SetName(part.name);
  if (part.lmScale) mesh.SetScale(-LMScale, LMScale, -LMScale);
  if (split != std::string_view::npos) Prepare(mesh, part.prepare.substr(split + 1));
}

MeshPtr LoadPart(const Part& part) {
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->LoadXFile(win::AppPath() + part.file, -1, -1);
  SetUpPart(*mesh, part);
  return mesh;
}

MeshPtr EmptyRoot() {
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->AddVertex(0, 0, 0, engine::EngineGlobals::MakeColor(0, 0, 0, 0), 0, 0);
  return mesh;
}

MeshPtr Pivot(const char* name) {
  MeshPtr mesh = EmptyRoot();
  mesh->SetOrigin(0, 0, 0);
  mesh->SetPickable(false, -1);
  mesh->SetName(name);
  mesh->SetShadowCast(false, 0, -1.0f);
  return mesh;
}

std::string Model(const std::string& file) { return "\\Models\\" + file; }

// An ascent or descent part of the full model, or its simplified model with the Simple LM.
std::string Simple(const char* simple, const char* full) { return Model(SimpleLM ? simple : full); }

void ShadowCompanion(MeshPtr& mesh, const MeshPtr& group, const std::string& file, const char* name,
                     Shadow shadow) {
  mesh = LoadPart({file, "AB;C", shadow, Material("ambient"), TextureNamed("white"), name});
  group->AttachChild(mesh);
}

}  // namespace

void BuildAscentStage() {
  AscentStageMesh = EmptyRoot();
  const int32_t ship = Material("MatShip");
  AscentBodyMesh =
      LoadPart({Simple("LMAscentS.x", "LMAscent.x"), "ABC", Shadow::Off, ship, 0, "LMAscentBody"});
  if (!SimpleLM) {
    // The ascent stage's gold foil shows in the red foil's colour.
    AscentGoldFoilMesh = LoadPart({Model("LMAscentGoldFoilParts.x"), "", Shadow::Off,
                                   Material("MatRedFoil"), 0, "LMAscentGoldFoilParts"});
    AscentSilverFoilMesh = LoadPart({Model("LMAscentSilverFoilParts.x"), "", Shadow::Off,
                                     MaterialIds.MatSilverFoil, 0, "LMAscentSilverFoilParts"});
  }
  AscentRadarMesh = LoadPart({Simple("LMAscentRadarShadowland.x", "LMAscentRadarLand.x"), "ABC",
                              Shadow::Off, ship, 0, "LMAscentRadar"});
  AscentRadarOrbitMesh = LoadPart({Simple("LMAscentRadarShadowOrbit.x", "LMAscentRadarOrbit.x"),
                                   "ABC", Shadow::Off, ship, 0, "LMAscentRadarOrbit"});
  if (!SimpleLM)
    AscentWindowsMesh = LoadPart({Model("LMAscentWindows.x"), "ABC", Shadow::Off,
                                  Material("Windows"), 0, "LMAscentWindows"});
  AscentShadowGroup = EmptyRoot();
  ShadowCompanion(AscentShadowMesh, AscentShadowGroup, Model("LMAscentShadow.x"),
                  "LMAscentShadow_Mesh", Shadow::WithShadows);
  ShadowCompanion(AscentRadarShadowMesh, AscentShadowGroup, Model("LMAscentRadarShadowLand.X"),
                  "LMAscentRadarShadow", Shadow::WithShadows);
  ShadowCompanion(AscentRadarShadowOrbitMesh, AscentShadowGroup,
                  Model("LMAscentRadarShadowOrbit.X"), "LMAscentRadarShadowOrbit",
                  Shadow::WithShadows);
  AscentEngineFlame = LoadPart({Model("AscentEngineFlame.x"), "ABC", Shadow::Off,
                                Material("ambient"), 0, "AscentEngineFlame"});

  AscentStageMesh->AttachChild(AscentBodyMesh);
  AscentStageMesh->AttachChild(AscentEngineFlame);
  if (!SimpleLM) {
    AscentStageMesh->AttachChild(AscentGoldFoilMesh);
    AscentStageMesh->AttachChild(AscentSilverFoilMesh);
    AscentStageMesh->AttachChild(AscentWindowsMesh);
    AscentSilverFoilMesh->SetSurfaceFlag(true, 0, -1);
  }
  AscentStageMesh->AttachChild(AscentRadarMesh);
  AscentStageMesh->AttachChild(AscentRadarOrbitMesh);
  AscentStageMesh->AttachChild(HatchClosedOuterMesh);
  AscentStageMesh->AttachChild(HatchOpenAMesh);
}

void BuildDescentStage() {
  DescentStageMesh = EmptyRoot();
  if (ShadowFlags[0]) DescentStageMesh->SetShadowCast(true, LightIds[SunLight], -1.0f);
  const int32_t ship = Material("MatShip");
  const int32_t gold = MaterialIds.MatGoldFoil;
  DescentBodyMesh = LoadPart(
      {Simple("LMDescentS.x", "LMDescent.x"), "AC", Shadow::Off, ship, 0, "lmdescentbody"});
  if (!SimpleLM)
    DescentPartsMesh = LoadPart({Model("LMDescentPartsWithShadow.X"), "ABC", Shadow::WithShadows,
                                 ship, 0, "LMDescentPartsWithShadow"});
  EngineFlame =
      LoadPart({Model("EngineFlame.x"), "CA", Shadow::Off, Material("ambient"), 0, "EngineFlame"});
  if (!SimpleLM) {
    DescentGoldFoilMesh = LoadPart({Model("LMDescentGoldFoilParts.x"), "CA", Shadow::Off, gold, 0,
                                    "LMDescentGoldFoilParts", false});
    DescentSilverFoilMesh = LoadPart({Model("LMDescentSilverFoilParts.x"), "CA", Shadow::Off,
                                      MaterialIds.MatSilverFoil, 0, "LMDescentSilverFoilParts"});
    DescentRedFoilMesh = LoadPart({Model("LMDescentRedFoilParts.x"), "CA", Shadow::Off,
                                   MaterialIds.MatRedFoil, 0, "LMDescentRedFoilParts"});
    DescentLegFoilMesh = LoadPart({Model("LMDescentLegsSilver.x"), "CA", Shadow::Off,
                                   MaterialIds.MatlegFoil, 0, "LMDescentLegFoilParts"});
  }
  DescentShadowGroup = EmptyRoot();
  ShadowCompanion(DescentShadowMesh, DescentShadowGroup, Model("LMDescentShadow.x"),
                  "LMDescentShadow_Mesh", Shadow::On);
  for (int n = 0; n < FootpadCount; ++n) {
    const std::string p = std::to_string(n + 1);
    MeshPtr& shadow = DescentLegShadowMeshes[static_cast<size_t>(n)];
    ShadowCompanion(shadow, DescentShadowGroup, Model("LMDescentShadowP" + p + ".x"),
                    ("LMDescentShadowP" + p).c_str(), Shadow::On);
    shadow->Enable(true);
  }
  for (int n = 0; n < FootpadCount; ++n) {
    const std::string p = std::to_string(n + 1);
    MeshPtr& leg = DescentLegMeshes[static_cast<size_t>(n)];
    leg = LoadPart({Model(SimpleLM ? "LMDescentP" + p + "S.x" : "LMDescentp" + p + ".x"), "AB;C",
                    Shadow::SetLater, ship, 0, ("LMDescentp" + p).c_str()});
    DescentStageMesh->AttachChild(leg);
  }
  for (const MeshPtr& leg : DescentLegMeshes) {
    CastShadow(*leg, Shadow::WithShadows);
    leg->SetMaterial(SimpleLM ? ship : gold, -1);
  }
  if (!SimpleLM) {
    for (const MeshPtr* part : {&DescentGoldFoilMesh, &DescentSilverFoilMesh, &DescentRedFoilMesh,
                                &DescentLegFoilMesh, &DescentPartsMesh})
      DescentStageMesh->AttachChild(*part);
    // The leg models' material groups, from 0 in the file's order.
    DescentLegMeshes[0]->SetMaterial(ship, 1);
    DescentLegMeshes[1]->SetMaterial(ship, 2);
    DescentLegMeshes[1]->SetMaterial(gold, 3);
    DescentLegMeshes[2]->SetMaterial(gold, -1);
    DescentLegMeshes[2]->SetMaterial(ship, 5);
    DescentLegMeshes[3]->SetMaterial(gold, 2);
    DescentLegMeshes[3]->SetMaterial(ship, 5);
    for (const MeshPtr* foil : {&DescentGoldFoilMesh, &DescentRedFoilMesh, &DescentSilverFoilMesh})
      (*foil)->SetSurfaceFlag(true, 0, -1);
    DescentLegFoilMesh->SetSurfaceFlag(false, 0, -1);
  }
  DescentStageMesh->AttachChild(DescentBodyMesh);
  DescentStageMesh->AttachChild(EngineFlame);
}

void LoadRCSPlumes() {
  RCSPlumeGroup = EmptyRoot();
  const int32_t rcs = Material("RCS");
  for (int i = 1; i <= RCSPlumeCount; ++i) {
    const std::string n = std::to_string(i);
    MeshPtr& plume = RCSPlumes[static_cast<size_t>(i)];
    plume = LoadPart(
        {Model("RCSPlume" + n + ".x"), "ABC", Shadow::Off, rcs, 0, ("RCSPlume" + n).c_str()});
    plume->SetDrawMode(PlumeDrawMode);
    RCSPlumeGroup->AttachChild(plume);
  }
}

void CreateCommandModule() {
  CommandModuleMesh = EmptyRoot();
  const int32_t cm = Material("CM");
  CMMainMesh = LoadPart({Model("CMMain.x"), "", Shadow::Off, cm, 0, "", true, false});
  CommandModuleMesh->AttachChild(CMMainMesh);
  CMShinyMesh =
      LoadPart({Model("CMshiny.x"), "AC", Shadow::Off, Material("CMShiny"), 0, "", true, false});
  CMShinyMesh->SetSurfaceFlag(true, 0, -1);
  CommandModuleMesh->AttachChild(CMShinyMesh);
  CMOverlayMesh = LoadPart(
      {Model("CMOverlay.x"), "AC", Shadow::Off, cm, TextureNamed("CMOverlay"), "", true, false});
  CommandModuleMesh->AttachChild(CMOverlayMesh);
  for (const MeshPtr* part : {&CMMainMesh, &CMShinyMesh, &CMOverlayMesh})
    (*part)->SetScale(-CommandModuleScale, CommandModuleScale, -CommandModuleScale);
}

void CreateHatch() {
  const int32_t interior = Material("MatInterior1");
  const auto hatch = [interior](const std::string& file, const char* name) {
    return LoadPart({Model(file), "ABC", Shadow::Off, interior, 0, name});
  };
  HatchOpenMesh = hatch("HatchOpen.x", "HatchOpen");
  HatchOpenAMesh = HatchOpenMesh->Duplicate("");
  SetUpPart(*HatchOpenAMesh, {"", "ABC", Shadow::Off, interior, 0, "HatchOpenA"});
  HatchClosedInnerMesh = hatch("HatchClosedinner.x", "hatchclosedinner");
  HatchClosedOuterMesh = hatch("hatchclosedouter.x", "hatchclosedouter");
}

void CreateCameraPivot() {
  CameraPivot = Pivot("CameraPivot");
  CameraMesh = Pivot("CameraMesh");
  CameraPivot->AttachChild(CameraMesh);
  CameraMesh->SetPosition(0, CockpitEyeHeight, 0);
  CameraMesh->SetRotation(0, CameraMeshTurn, 0);
}

void CreateFDAIBall() {
  FDAIBall = Scene->CreateMesh("");
  FDAIBall->LoadXFile(win::AppPath() + Model("FDAIBall.X"), -1, -1);
  FDAIBall->PrepareB();
  FDAIBall->SetPickable(false, -1);
  FDAIBall->PrepareA();
  FDAIBall->SetName("FDAIBall");
  FDAIBall->SetShadowCast(false, 0, -1.0f);
  FDAIBall->PrepareC();
  FDAIBall->SetRotation(0, static_cast<float>(Pi / 2), 0);
  FDAIBall->SetScale(-1.0f, 1.0f, -1.0f);
  FDAIBall->SetPosition(0, 0, 0);
  FDAIBall->SetMaterial(Material("MatFDAI"), -1);

  FDAIBallCameraPivot = Pivot("FDAIBallCameraPivot");
  RollOrientationMesh = Pivot("Roll_Orientation_Mesh");
  FDAIBallCameraPoint = Pivot("FDAIBallCameraPoint");
  FDAIBallCameraPivot->AttachChild(FDAIBallCameraPoint);
  FDAIBallCameraPivot->AttachChild(RollOrientationMesh);
  FDAIBallCameraPoint->SetPosition(0, 0, FDAIBallCameraDistance);
  FDAIBallCameraPoint->SetRotation(0, 0, 0);
  RollOrientationMesh->SetRotation(0, 0, 0);
}

void CreateOrientationMesh() {
  OrientationMesh = EmptyRoot();
  OrientationMesh->SetName("Orientation_Mesh");
}

void CreateLandingMarker() {
  LandingSpotMesh = Scene->CreateMesh("");
  LandingSpotMesh->AddFlatQuad(TextureIds.SpotTexture, 0, 0, SpotSide, SpotSide, 0, 1.0f, 1.0f);
  ArrowSpotMesh = LoadPart({Model("landingmarker.x"), "ABC", Shadow::Off, Material("StartFinish"),
                            0, "ArrowSpot", true, false});
  ArrowSpotMesh->SetScale(-1.0f, 1.0f, -1.0f);
}

void CreateLMShadow() {
  ShadowGridMesh = Scene->CreateMesh("");
  constexpr float dx = ShadowGridWidth / ShadowGridColumns;
  constexpr float dz = ShadowGridDepth / ShadowGridRows;
  const uint32_t colour = engine::EngineGlobals::MakeColor(0, 0, 0, 0);
  const auto corner = [&](int column, int row) {
    const float x = static_cast<float>(column) * dx;
    const float z = static_cast<float>(row) * dz;
    ShadowGridMesh->AddVertex(x, ShadowGridHeight, z, colour, z / ShadowGridDepth,
                              x / ShadowGridWidth);
  };
  for (int c = 1; c <= ShadowGridColumns; ++c)
    for (int r = 1; r <= ShadowGridRows; ++r) {
      corner(c - 1, r - 1);  // A
      corner(c - 1, r);      // B
      corner(c, r);          // C
      corner(c - 1, r - 1);  // A
      corner(c, r);          // C
      corner(c, r - 1);      // D
    }
  ShadowGridMesh->PrepareA();
  ShadowGridMesh->SetMaterial(Material("LMShadow"), -1);
  ShadowGridMesh->SetAlphaBlending(true, InverseSourceAlpha, InverseSourceColour, 0, -1);

  const int32_t blackSolid = TextureNamed("blacksolid");
  for (MeshPtr& blob : ShadowBlobMeshes) {
    blob = Scene->CreateMesh("");
    blob->AddUprightQuad(blackSolid, -BlobHalfWidth, BlobHalfWidth, BlobHeight, 0, 1.0f, 1.0f);
    blob->PrepareA();
    blob->SetMaterial(Material("Ambient"), -1);
    blob->SetTexture(blackSolid, -1.0f);
    blob->PrepareC();
  }
}

void CreateMiniLM() {
  // From the program folder, like every model, whatever the current folder is.
  MiniLMMesh = Scene->CreateMesh("");
  MiniLMMesh->LoadXFile(win::AppPath() + Model("LMmini.x"), -1, -1);
  MiniLMMesh->SetMaterial(Material("Matg"), -1);
  MiniLMMesh->PrepareB();
  MiniLMMesh->PrepareA();
  MiniLMMesh->SetPosition(0, 0, 0);
  MiniLMMesh->SetPickable(false, -1);
  MiniLMMesh->SetName("JoyLM");
  MiniLMMesh->PrepareC();
  MiniLMMesh->SetScale(-MiniLMScale, MiniLMScale, -MiniLMScale);
}
