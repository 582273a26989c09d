// A small scene as a flight builds one: models from X files with a parent, a landscape from a
// height grid, a render surface with its camera; transforms, heights, normals, picks, projections
// and name lookups.
#include <cmath>
#include <numbers>

#include "platform/engine/draw2d.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scene.h"
#include "platform/win/byte_writer.h"
#include "tests/platform/engine/engine_fixture.h"

namespace {

using d3dx::D3DXVECTOR3;
using engine::EngineError;

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTolerance = 1e-4f;

// A two-by-two square in the z = 0 plane, facing -z, inside a frame that lifts it by 2; two
// materials, one per triangle.
constexpr const char* kPanel = R"(xof 0303txt 0032
Frame Lift {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,2,0,1;; }
  Mesh Panel {
    4; -1;-1;0;, -1;1;0;, 1;1;0;, 1;-1;0;;
    2; 3;0,1,2;, 3;0,2,3;;
    MeshMaterialList { 2; 2; 0, 1;;
      Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
      Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
  }
}
)";

constexpr const char* kPointer = R"(xof 0303txt 0032
Mesh Pointer { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }
)";

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected) {
  EXPECT_NEAR(actual.x, expected.x, kTolerance);
  EXPECT_NEAR(actual.y, expected.y, kTolerance);
  EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

D3DXVECTOR3 Row(const d3dx::D3DXMATRIX& m, int row) {
  return {m.m[row][0], m.m[row][1], m.m[row][2]};
}

class SceneTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    folder.WriteFile("Models/Panel.x", kPanel);
    folder.WriteFile("Models/pointer.x", kPointer);
    // The main camera 10 units in front of the origin, looking along +z.
    scene.SetCameraLookAt(0, 0, -10, 0, 0, 0);
  }

  std::shared_ptr<engine::EngineMesh> LoadModel(const std::string& file, const std::string& name) {
    auto mesh = scene.CreateMesh();
    mesh->LoadXFile(ProgramPath("Models\\" + file), -1, -1);
    mesh->SetName(name);
    return mesh;
  }

  engine::EngineScene scene{engine};
};

// A file's group materials live as long as a mesh drawing them: its copies keep them after it is
// destroyed, and the last of them destroyed, or another file loaded, lets them go.
TEST_F(SceneTest, AFilesGroupMaterialsGoWithTheLastMeshThatDrawsThem) {
  const size_t before = engine.Materials().Size();
  auto panel = LoadModel("Panel.x", "Panel");
  EXPECT_EQ(engine.Materials().Size(), before + 2);
  auto copy = panel->Clone("copy");
  panel->Destroy();
  EXPECT_NE(engine.Materials().Get(copy->Groups()[1].material), nullptr);
  copy->Destroy();
  EXPECT_EQ(engine.Materials().Size(), before);
  auto reloaded = LoadModel("Panel.x", "Panel");
  reloaded->LoadXFile(ProgramPath("Models\\Panel.x"), -1, -1);
  EXPECT_EQ(engine.Materials().Size(), before + 2);
}

TEST_F(SceneTest, ModelsLoadThroughProgramPathsWithoutRegardToCase) {
  auto panel = LoadModel("PANEL.X", "Panel");
  ASSERT_EQ(panel->Geometry().TriangleCount(), 2u);
  // The file's frame lifted the square; each material is a group.
  ExpectNear(panel->Geometry().positions[1], {-1, 3, 0});
  EXPECT_EQ(panel->Groups().size(), 2u);
  EXPECT_EQ(panel->Geometry().groups, (std::vector<uint32_t>{0, 1}));

  auto missing = scene.CreateMesh();
  EXPECT_THROW(missing->LoadXFile(ProgramPath("Models\\Nothing.x")), EngineError);
  folder.WriteFile("Models/Broken.x", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;;");
  EXPECT_THROW(missing->LoadXFile(ProgramPath("Models\\Broken.x")), EngineError);
}

TEST_F(SceneTest, ChildrenFollowTheirParentAndTransformVectorGoesThroughTheWholeWorldMatrix) {
  auto body = LoadModel("Panel.x", "Body");
  auto pointer = LoadModel("Pointer.x", "Pointer");
  body->AttachChild(pointer);
  body->SetPosition(10, 0, 0);
  body->SetRotation(0, kPi / 2, 0);  // a quarter turn about y: the body's +x points along world -z
  pointer->SetPosition(0, -1, 0);

  ExpectNear(pointer->GetPosition(), {0, -1, 0});
  ExpectNear(Row(pointer->GetMatrix(), 3), {10, -1, 0});
  ExpectNear(pointer->TransformVector({1, 0, 0}), {10, -1, -1});
  // Two transformed points give a direction in the world, as the docking code takes them.
  ExpectNear(pointer->TransformVector({0, 0, 1}) - pointer->TransformVector({0, 0, 0}), {1, 0, 0});

  // Relative turns are about the mesh's own axes: after a quarter turn about y, a quarter turn
  // about its own x tips its up axis over to world +x.
  auto turned = scene.CreateMesh("Turned");
  turned->RotateY(kPi / 2);
  turned->RotateX(kPi / 2);
  ExpectNear(Row(turned->GetMatrix(), 1), {1, 0, 0});

  // A whole matrix goes in and comes out unchanged, scale included.
  d3dx::D3DXMATRIX placed = body->GetMatrix();
  placed.m[0][0] *= 2;
  placed.m[0][2] *= 2;
  turned->SetMatrix(placed);
  const d3dx::D3DXMATRIX back = turned->GetMatrix();
  for (int row = 0; row < 4; ++row) ExpectNear(Row(back, row), Row(placed, row));

  EXPECT_THROW(pointer->AttachChild(body), EngineError);
}

TEST_F(SceneTest, NamesAreFoundWithoutRegardToCaseAndTheNewestWins) {
  auto first = LoadModel("Panel.x", "Gate");
  auto second = first->Duplicate("GATE");
  EXPECT_EQ(scene.FindMesh("gate"), second);
  second->Destroy();
  EXPECT_EQ(scene.FindMesh("gate"), first);
  EXPECT_EQ(scene.FindMesh("nothing"), nullptr);

  engine::EngineMaterialFactory materials(engine);
  engine::EngineGlobals globals(engine);
  const int32_t older = materials.CreateMaterial(1, 0, 0, 1, "MatLegFoil");
  EXPECT_EQ(globals.GetMaterialId("matlegfoil"), older);
  const int32_t newer = materials.CreateMaterial(0, 1, 0, 1, "MatlegFoil");
  EXPECT_NE(newer, older);
  EXPECT_EQ(globals.GetMaterialId("MATLEGFOIL"), newer);
  EXPECT_EQ(globals.GetTextureId("CMOverlay"), 0);
  EXPECT_EQ(globals.GetFontId("Arial"), 0);

  const int32_t fromFile = first->Groups()[0].material;
  EXPECT_NE(fromFile, 0) << "a group starts with the file's material";
  first->SetMaterial(newer, 1);
  EXPECT_EQ(first->Groups()[0].material, fromFile);
  EXPECT_EQ(first->Groups()[1].material, newer);
  EXPECT_THROW(first->SetMaterial(newer, 2), EngineError);
  EXPECT_THROW(first->SetMaterial(9999), EngineError);
}

TEST_F(SceneTest, MousePickFindsTheNearestShownMeshUnderThePixel) {
  auto far = LoadModel("Panel.x", "Far");
  far->SetPosition(0, -2, 5);
  auto near = LoadModel("Panel.x", "Key0");
  near->SetPosition(0, -2, 0);

  engine::EnginePickResult pick;
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  ASSERT_TRUE(pick.IsHit());
  EXPECT_EQ(pick.GetMesh()->GetName(), "Key0");
  ExpectNear(pick.GetHitPoint(), {0, 0, 0});
  const float distance = pick.GetDistance();

  // A scaled mesh is hit where its triangles stand in the world, at the world's distance.
  near->SetScale(2, 2, 2);
  near->SetPosition(0, -4, 0);
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  ASSERT_TRUE(pick.IsHit());
  ExpectNear(pick.GetHitPoint(), {0, 0, 0});
  EXPECT_NEAR(pick.GetDistance(), distance, kTolerance);

  near->Enable(false);
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  ASSERT_TRUE(pick.IsHit());
  EXPECT_EQ(pick.GetMesh()->GetName(), "Far");

  // A hidden parent hides its children from picks too; a mesh can be made unpickable.
  auto parent = scene.CreateMesh("Parent");
  parent->AttachChild(far);
  parent->Enable(false);
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  EXPECT_FALSE(pick.IsHit());
  parent->Enable(true);
  far->SetPickable(false);
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  EXPECT_FALSE(pick.IsHit());

  // A hidden material group is not hit: the right-hand triangle is group 1.
  far->SetPickable(true);
  far->EnableGroup(0, false);
  scene.MousePick(kWidth / 2 + 10, kHeight / 2 + 15, 1, 1, pick);
  EXPECT_TRUE(pick.IsHit());
  scene.MousePick(kWidth / 2 - 10, kHeight / 2 - 15, 1, 1, pick);
  EXPECT_FALSE(pick.IsHit());

  scene.MousePick(0, 0, 1, 1, pick);
  EXPECT_FALSE(pick.IsHit());
}

TEST_F(SceneTest, MeshesBuiltInCodeAreTrianglesInThreesAndCanBePicked) {
  auto pad = scene.CreateMesh("Pad");
  pad->AddFlatQuad(0, 0, 0, 25, 25, 1, 1, 1);
  ASSERT_EQ(pad->Geometry().TriangleCount(), 2u);
  // Straight down onto the pad's middle.
  scene.SetCameraLookAt(12.5f, 50, 12.5f, 12.5f, 0, 12.5f);
  engine::EnginePickResult pick;
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  ASSERT_TRUE(pick.IsHit());
  ExpectNear(pick.GetHitPoint(), {12.5f, 1, 12.5f});

  // A shadow grid: vertices in threes, the fourth waits for two more; SetVertex moves one.
  auto grid = scene.CreateMesh("Grid");
  for (const D3DXVECTOR3& p : {D3DXVECTOR3{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {0, 0, 0}})
    grid->AddVertex(p.x, p.y, p.z, 0xFFFFFFFF, 0, 0);
  EXPECT_EQ(grid->Geometry().TriangleCount(), 1u);
  grid->SetVertex(2, 1, 3, 1);
  ExpectNear(grid->Geometry().positions[2], {1, 3, 1});
  EXPECT_THROW(grid->SetVertex(4, 0, 0, 0), EngineError);

  // Clones share geometry; duplicates own theirs.
  auto clone = grid->Clone("Clone");
  auto copy = grid->Duplicate("Copy");
  grid->SetVertex(0, 9, 9, 9);
  EXPECT_EQ(clone->Geometry().positions[0].x, 9);
  EXPECT_EQ(copy->Geometry().positions[0].x, 0);

  // A billboard is picked as a square at its place.
  auto earth = scene.CreateBillboard(0, 40, 1, 40, 4, 4, "Earth");
  scene.SetCameraLookAt(40, 1, 30, 40, 1, 40);
  scene.MousePick(kWidth / 2, kHeight / 2, 1, 1, pick);
  ASSERT_TRUE(pick.IsHit());
  EXPECT_EQ(pick.GetMesh(), earth.get());
}

TEST_F(SceneTest, ProjectionsUseTheTargetsCameraAndSize) {
  engine::EngineScreen2DDraw draw(engine);
  float x = 0, y = 0;
  bool shown = false;
  draw.ProjectPoint({0, 0, 0}, x, y, 0, shown);
  EXPECT_TRUE(shown);
  EXPECT_NEAR(x, kWidth / 2.0f, 1e-3f);
  EXPECT_NEAR(y, kHeight / 2.0f, 1e-3f);
  // Up and right on the screen; a point behind the camera is not shown.
  draw.ProjectPoint({1, 1, 0}, x, y, 0, shown);
  EXPECT_GT(x, kWidth / 2.0f);
  EXPECT_LT(y, kHeight / 2.0f);
  draw.ProjectPoint({0, 0, -20}, x, y, 0, shown);
  EXPECT_FALSE(shown);

  auto surface = scene.CreateRenderSurface(128, 64);
  surface->SetFrustum(90, 100, 1);
  surface->SetCamera(0, 0, 0, 1, 0, 0);  // looking along +x: world +z is on the surface's left
  surface->StartRender(true);
  draw.Begin();
  draw.ProjectPoint({10, 0, 0}, x, y, 0, shown);
  EXPECT_TRUE(shown);
  EXPECT_NEAR(x, 64, 1e-3f);
  EXPECT_NEAR(y, 32, 1e-3f);
  // A 90 degree vertical field of view: 45 degrees up is the surface's top edge.
  draw.ProjectPoint({10, 10, 0}, x, y, 0, shown);
  EXPECT_NEAR(y, 0, 1e-3f);
  draw.ProjectPoint({10, 0, 5}, x, y, 0, shown);
  EXPECT_LT(x, 64);
  draw.End();
  surface->EndRender();
  EXPECT_THROW(surface->EndRender(), EngineError);
}

TEST_F(SceneTest, RenderSurfacesLendTheirTextureUntilReleased) {
  auto surface = scene.CreateRenderSurface(256, 256);
  auto panel = LoadModel("Panel.x", "FDAI");
  panel->SetTexture(surface->GetTexture(), -1.0f);
  EXPECT_EQ(panel->Groups()[1].texture, surface->GetTexture());
  EXPECT_EQ(surface->GetWidth(), 256);

  // The surface's camera is its own, and a camera can follow a mesh.
  engine::EngineCamera& camera = surface->GetCamera();
  panel->SetPosition(5, 0, 0);
  camera.ChaseMesh(*panel, {0, 0, -10}, {0, 0, 0}, 2.0f, -1, 15, 0, 1.0f);
  ExpectNear(camera.GetPosition(), {5, 0, -10});
  ExpectNear(engine.MainCamera().GetPosition(), {0, 0, -10});

  const int32_t texture = surface->GetTexture();
  surface->Release();
  EXPECT_THROW(panel->SetTexture(texture), EngineError);
  EXPECT_THROW(surface->StartRender(true), EngineError);
  EXPECT_THROW(scene.CreateRenderSurface(0, 64), EngineError);
}

TEST_F(SceneTest, SurfaceBeyondTheDeviceIsMadeAtTheLargestSizeOfItsShape) {
  constexpr int32_t most = engine::Engine::kMaxTextureSide;
  auto surface = scene.CreateRenderTarget(2 * most, most, -1);
  EXPECT_EQ(surface->GetWidth(), most);
  EXPECT_EQ(surface->GetHeight(), most / 2);
  EXPECT_EQ(engine.Textures().Get(surface->GetTexture())->width, most);
}

// A tilted plane, height = 5 + 0.1 x + 0.2 z in grid units, sampled on a 5 by 4 grid 10 apart.
class LandscapeTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    engine::HeightGrid grid{5, 4, 10.0f, {}};
    for (uint32_t row = 0; row < grid.rows; ++row)
      for (uint32_t column = 0; column < grid.columns; ++column)
        grid.heights.push_back(5 + 0.1f * 10 * static_cast<float>(column) +
                               0.2f * 10 * static_cast<float>(row));
    const auto bytes = engine::WriteHeightGrid(grid);
    folder.WriteFile("Missions/Apollo 11/Textures/temp0.ht",
                     std::string(bytes.begin(), bytes.end()));
    land.LoadHeightMap(ProgramPath("Missions\\Apollo 11\\Textures\\TEMP0.HT"), 0, 0, 1);
    land.SetPosition(100, 1, 200);
  }

  engine::EngineLandscape land{engine};
};

TEST_F(LandscapeTest, HeightsAndNormalsAreThoseOfTheGroundAtRenderCoordinates) {
  EXPECT_FLOAT_EQ(land.GetWidth(), 40);
  EXPECT_FLOAT_EQ(land.GetDepth(), 30);
  for (const auto& [x, z] : {std::pair{0.0f, 0.0f}, {3.5f, 7.25f}, {40.0f, 30.0f}, {22.2f, 1.0f}})
    EXPECT_NEAR(land.GetHeight(100 + x, 200 + z), 1 + 5 + 0.1f * x + 0.2f * z, kTolerance)
        << x << ", " << z;
  EXPECT_EQ(land.GetHeight(99, 210), 0.0f);
  EXPECT_EQ(land.GetHeight(120, 231), 0.0f);

  D3DXVECTOR3 expected{-0.1f, 1, -0.2f};
  d3dx::D3DXVec3Normalize(&expected, &expected);
  ExpectNear(land.GetNormal(112, 215), expected);
  ExpectNear(land.GetNormal(0, 0), {0, 1, 0});

  // Scaled: twice as wide and deep, heights halved.
  land.SetScale(2, 0.5f, 2, -1);
  EXPECT_NEAR(land.GetHeight(100 + 20, 200 + 10), 1 + 0.5f * (5 + 1 + 1), kTolerance);
  EXPECT_EQ(land.GetHeight(100 + 81, 200), 0.0f);
}

TEST_F(LandscapeTest, RaysMeetTheGroundWhereItsHeightsSay) {
  auto pick = land.PickRay({115, 100, 212}, {115, -100, 212});
  ASSERT_TRUE(pick.HasHit());
  ExpectNear(pick.GetHitPoint(), {115, land.GetHeight(115, 212), 212});
  // A slanting ray over several cells meets the ground at a point on it.
  pick = land.PickRay({101, 50, 201}, {139, -20, 229});
  ASSERT_TRUE(pick.HasHit());
  EXPECT_NEAR(pick.GetHitPoint().y, land.GetHeight(pick.GetHitPoint().x, pick.GetHitPoint().z),
              1e-3f);
  // Ending above the ground, or beside the tile: no hit.
  EXPECT_FALSE(land.PickRay({115, 100, 212}, {115, 50, 212}).HasHit());
  EXPECT_FALSE(land.PickRay({50, 100, 212}, {50, -100, 212}).HasHit());
}

TEST_F(LandscapeTest, DiggingChangesTheNearestSampleUntilTheHeightsAreLoadedAgain) {
  land.SetHeight(120.4f, 219.6f, -3);
  EXPECT_NEAR(land.GetHeight(120, 220), -3, kTolerance);
  land.LoadHeights(ProgramPath("Missions\\Apollo 11\\Textures\\temp0.ht"), 1);
  EXPECT_NEAR(land.GetHeight(120, 220), 1 + 5 + 2 + 4, kTolerance);

  folder.WriteFile("Missions/Apollo 11/Textures/bad.ht", "MHGT");
  EXPECT_THROW(land.LoadHeightMap(ProgramPath("Missions\\Apollo 11\\Textures\\bad.ht")),
               EngineError);
  EXPECT_NEAR(land.GetHeight(120, 220), 12, kTolerance);  // the loaded grid stays
}

}  // namespace
