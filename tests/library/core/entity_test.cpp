// The entity exports on the headless device with small MD2 files: slots and their reuse, creation
// and sharing, transforms, the animation step, culling, drawing and collision, and what a bad
// identifier gets.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "platform/d3dx/math.h"
#include "tests/library/core/library_fixture.h"
#include "tests/library/core/md2_bytes.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

class Entities : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
    System_SetVariables(0, &polygons_, 0);
    // A camera at the origin looking along +z.
    const D3DXVECTOR3 eye{{0, 0, 0}}, target{{0, 0, 1}}, up{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view_, &eye, &target, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection_, 1.0f, 1.0f, 1.0f, 1000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view_, &projection_);
  }

  void TearDown() override {
    Scene_SetTimeElapsed(0.0f);
    LibraryTest::TearDown();
  }

  std::string WriteMd2(const std::string& name, const md2test::Md2Contents& contents = {}) {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, md2test::Md2File(contents));
    return path.string();
  }

  // Nine frames of one animation ("stand", frames 0 .. 8), then one of its own ("jump", 9 .. 9).
  static md2test::Md2Contents NineFrames() {
    md2test::Md2Contents contents;
    contents.frameNames.clear();
    for (int f = 1; f <= 9; ++f) contents.frameNames.push_back("stand0" + std::to_string(f));
    contents.frameNames.push_back("jump1");
    return contents;
  }

  // An entity of a fresh MD2 file placed in front of the camera, its axes left as they are.
  int32_t Placed(const std::string& name, float z) {
    const int32_t entity = Scene_CreateEntity(WriteMd2(name + ".md2").c_str(), name.c_str(), 0);
    Entity_SetRotationAxis(entity, 1);
    Entity_SetPosition(entity, 0, 0, z);
    Entity_ForceMatrixUpdate(entity);
    return entity;
  }

  int32_t polygons_ = 0;
  D3DXMATRIX view_, projection_;
};

TEST_F(Entities, SlotsAreReusedLowestFirstWithAlphaTestOff) {
  ASSERT_EQ(InitMD2(), 1);
  const std::string path = WriteMd2("a.md2");
  ASSERT_EQ(Scene_CreateEntity(path.c_str(), "noname", 0), 0);
  ASSERT_EQ(Scene_CreateEntity(path.c_str(), "second", 0), 1);
  char name[256] = "";
  EXPECT_EQ(Entity_GetName(0, name), 1);
  EXPECT_STREQ(name, "Entity0");
  EXPECT_EQ(Entity_GetEntityIDByName("second"), 1);
  EXPECT_EQ(Entity_GetEntityIDByName("Second"), -1);

  // Appended records draw with alpha test on at 8, a reused one with it off at 0.
  auto alphaStates = [&](int32_t entity) {
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(Scene_RenderEntity(entity, &view_, &projection_), 1);
    device_->EndScene();
    if (Control()->Draws().empty()) return std::pair<DWORD, DWORD>(99, 99);
    const auto& state = Control()->Draws().back().state;
    return std::pair(state.renderStates[D3DRS_ALPHATESTENABLE], state.renderStates[D3DRS_ALPHAREF]);
  };
  Entity_SetPosition(1, 0, 0, 50);
  EXPECT_EQ(alphaStates(1), (std::pair<DWORD, DWORD>(1, 8)));
  EXPECT_EQ(Entity_Destroy(0), 1);
  EXPECT_EQ(Scene_CreateEntity(path.c_str(), "third", 0), 0);
  Entity_SetPosition(0, 0, 0, 50);
  EXPECT_EQ(alphaStates(0), (std::pair<DWORD, DWORD>(0, 0)));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Entities, ASecondCreateOfThePathSharesTheModelWithoutOpeningTheFile) {
  ASSERT_EQ(InitMD2(), 1);
  const size_t before = Control()->LiveObjectCount();
  const std::string path = WriteMd2("shared.md2");
  const int32_t first = Scene_CreateEntity(path.c_str(), "a", 0);
  ASSERT_EQ(first, 0);
  const size_t withModel = Control()->LiveObjectCount();
  EXPECT_EQ(withModel, before + 3) << "one buffer a frame on the shader path";
  std::filesystem::remove(path);
  const int32_t second = Scene_CreateEntity(path.c_str(), "b", 0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(Control()->LiveObjectCount(), withModel);
  EXPECT_EQ(Entity_Destroy(first), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), withModel) << "the second entity keeps the model";
  const int32_t copy = Entity_DuplicateActor(second, "copy");
  EXPECT_EQ(copy, 0);
  EXPECT_EQ(Entity_Destroy(second), 1);
  EXPECT_EQ(Entity_Destroy(copy), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), before) << "the last entity takes the model";
  EXPECT_EQ(Scene_CreateEntity(path.c_str(), "gone", 0), -1) << "nothing left to share";
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Entities, EveryFailedCreationReturnsMinusOneAndLeavesNoEntity) {
  const std::filesystem::path folder = Folder();
  win::WriteFileBytes(folder / "short.bin", std::vector<uint8_t>{'I', 'D', 'S'});
  std::vector<uint8_t> broken = md2test::Md2File();
  md2test::SetWord(broken, md2test::kSkinWidth, 0);
  win::WriteFileBytes(folder / "broken.md2", broken);
  const std::string missing = (folder / "missing.md2").string();
  const std::string shortFile = (folder / "short.bin").string();
  const std::string brokenFile = (folder / "broken.md2").string();
  EXPECT_EQ(Scene_CreateEntity(nullptr, "x", 0), -1);
  EXPECT_EQ(Scene_CreateEntity(missing.c_str(), "x", 0), -1);
  EXPECT_TRUE(Logged("ENTITY CREATION : FILE NOT FOUND ! " + missing));
  EXPECT_EQ(Scene_CreateEntity(shortFile.c_str(), "x", 0), -1);
  EXPECT_TRUE(Logged("ENTITY CREATION : THE FORMAT OF FILE IS INCORRECT ! " + shortFile));
  EXPECT_EQ(Scene_CreateEntity(brokenFile.c_str(), "x", 0), -1);
  int32_t identifier = 7;
  EXPECT_EQ(CreateEntityMD2(brokenFile.c_str(), "x", &identifier, 0), 0);
  EXPECT_EQ(identifier, 0);
  EXPECT_EQ(Entity_Destroy(0), 0) << "no record was taken";
  EXPECT_EQ(Scene_CreateEntity(brokenFile.c_str(), "again", 0), -1) << "no broken model is shared";
  EXPECT_EQ(Entity_DuplicateActor(0, "copy"), -1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Entities, TransformsBuildTheWorldMatrixLazily) {
  const int32_t e = Scene_CreateEntity(WriteMd2("t.md2").c_str(), "t", 0);
  ASSERT_EQ(e, 0);
  auto worldOf = [&](const D3DXVECTOR3& point) {
    EXPECT_EQ(Entity_ForceMatrixUpdate(e), 1);
    D3DXMATRIX world;
    EXPECT_EQ(Entity_GetMatrix(e, &world), 1);
    D3DXVECTOR3 out;
    d3dx::D3DXVec3TransformCoord(&out, &point, &world);
    return out;
  };
  // Axis mode 0 turns z-up models y-up.
  Entity_SetScale(e, 1, 2, 3);
  EXPECT_TRUE(Near(worldOf({{1, 1, 1}}), {-1, 2, -3}));
  Entity_SetRotationAxis(e, 1);
  Entity_SetPosition(e, 10, 20, 30);
  EXPECT_TRUE(Near(worldOf({{1, 1, 1}}), {11, 22, 33}));

  Entity_SetScale(e, 1, 1, 1);
  Entity_SetPosition(e, 0, 0, 0);
  EXPECT_EQ(Entity_SetRotation(e, 0.5f, 0, 0), 1);
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  EXPECT_TRUE(Near(worldOf({{0, 1, 0}}), {0, c, s})) << "pitch about x";
  Entity_RotateY(e, 1.0f, 0);
  float x = 0, y = 0, z = 0;
  EXPECT_EQ(Entity_GetRotation(e, &x, &y, &z), 1);
  EXPECT_TRUE(Near({x, y, z}, {0.5f, 0, 0})) << "the angles are only those last set";

  // Own axes against world axes: a quarter turn about y after a quarter turn about x.
  const float quarter = static_cast<float>(M_PI / 2);
  Entity_SetRotation(e, quarter, 0, 0);
  Entity_RotateY(e, quarter, 1);
  const D3DXVECTOR3 worldTurn = worldOf({{0, 1, 0}});
  Entity_SetRotation(e, quarter, 0, 0);
  Entity_RotateY(e, quarter, 0);
  const D3DXVECTOR3 ownTurn = worldOf({{0, 1, 0}});
  EXPECT_TRUE(Near(worldTurn, {1, 0, 0}, 1e-5f));
  EXPECT_TRUE(Near(ownTurn, {0, 0, 1}, 1e-5f));

  // Moving along the rotated axes, and a whole matrix at once.
  Entity_SetRotation(e, 0, quarter, 0);
  EXPECT_EQ(Entity_MoveRelative(e, 2, 0, 0), 1);
  EXPECT_EQ(Entity_GetPosition(e, &x, &y, &z), 1);
  EXPECT_TRUE(Near({x, y, z}, {2, 0, 0}, 1e-5f));
  D3DXMATRIX placed;
  d3dx::D3DXMatrixTranslation(&placed, 5, 6, 7);
  EXPECT_EQ(Entity_SetMatrix(e, &placed), 1);
  EXPECT_EQ(Entity_GetPosition(e, &x, &y, &z), 1);
  EXPECT_TRUE(Near({x, y, z}, {5, 6, 7}));
  D3DXMATRIX rotation;
  EXPECT_EQ(Entity_GetRotationMatrix(e, &rotation), 1);
  EXPECT_EQ(rotation.m[3][0], 0.0f);

  // The settings export keeps the rotation matrix and moves the entity at the next update.
  const D3DVECTOR position{1, 2, 3}, angles{9, 9, 9}, scale{2, 2, 2};
  EXPECT_EQ(VortanaUtils_SetSettings(e, &position, &angles, &scale), 1);
  EXPECT_TRUE(Near(worldOf({{1, 0, 0}}), {3, 2, 3}));
  EXPECT_EQ(Entity_GetRotation(e, &x, &y, &z), 1);
  EXPECT_TRUE(Near({x, y, z}, {9, 9, 9}));
}

TEST_F(Entities, TheAnimationStepWrapsAndHoldsDegenerateRanges) {
  const int32_t e = Scene_CreateEntity(WriteMd2("n.md2", NineFrames()).c_str(), "n", 0);
  ASSERT_EQ(e, 0);
  EXPECT_EQ(Entity_GetAnimationCount(e), 2);
  EXPECT_EQ(Entity_GetAnimationIndexByName(e, "jump"), 1);
  EXPECT_EQ(Entity_GetAnimationLength(e, 0), 8);
  char name[256] = "";
  EXPECT_EQ(Entity_GetAnimationName(e, 1, name), 1);
  EXPECT_STREQ(name, "jump");
  Entity_EnableFrustumCulling(e, 0);
  struct Case {
    const char* animation;
    float start, elapsed, speed, expected;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case c : {Case{"stand", 7.5f, 100, 10, 0.5f}, Case{"stand", 0, 5000, 1, 1.0f},
                       Case{"stand", 2, -30, 1, 2.0f}, Case{"stand", 2, nan, 1, 2.0f},
                       Case{"stand", 1, 1000, 1e30f, 8.0f}, Case{"jump", 9, 1000, 5, 9.0f}}) {
    SCOPED_TRACE(std::string(c.animation) + " from " + std::to_string(c.start));
    ASSERT_EQ(Entity_SetAnimationByName(e, c.animation), 1);
    Entity_SetKeyFrame(e, c.start);
    Entity_SetSpeed(e, c.speed);
    Scene_SetTimeElapsed(c.elapsed);
    EXPECT_EQ(Scene_UpdateEntity(e, 0), 1);
    float frame = -1;
    EXPECT_EQ(Entity_GetKeyFrame(e, &frame), 1);
    EXPECT_NEAR(frame, c.expected, 1e-4f);
  }
  // A transform-only update and a speed of 0 leave the time.
  Entity_SetKeyFrame(e, 3);
  Scene_SetTimeElapsed(100);
  EXPECT_EQ(Scene_UpdateEntity(e, 1), 1);
  Entity_SetSpeed(e, 0);
  EXPECT_EQ(Scene_UpdateEntity(e, 0), 1);
  float frame = 0;
  Entity_GetKeyFrame(e, &frame);
  EXPECT_EQ(frame, 3.0f);

  EXPECT_EQ(Entity_SetAnimation(e, 2), 2);
  EXPECT_EQ(Entity_GetAnimation(e), 1) << "the animation stays";
  EXPECT_EQ(Entity_SetAnimationByName(e, "walk"), -1);
  EXPECT_TRUE(Logged(
      "ENTITY MANAGER : Entity_SetAnimationByName : Animation walk not found in the animation "
      "array"));
  EXPECT_EQ(Entity_SetAnimation(e, 1), 1);
  EXPECT_EQ(Entity_GetKeyFrame(e, &frame), 1);
  EXPECT_EQ(frame, 9.0f) << "a new animation starts at its first frame";
}

TEST_F(Entities, CullingDrawingAndTheBoundingBox) {
  ASSERT_EQ(InitMD2(), 1);
  const int32_t front = Placed("front", 50);
  const int32_t behind = Placed("behind", -500);
  Control()->ClearDraws();
  device_->BeginScene();
  EXPECT_EQ(Scene_RenderEntity(front, &view_, &projection_), 1);
  EXPECT_EQ(Entity_IsVisible(front), 1);
  const size_t drawsOfOne = Control()->Draws().size();
  EXPECT_EQ(drawsOfOne, 1u);
  EXPECT_EQ(polygons_, 2);
  EXPECT_EQ(Scene_RenderEntity(behind, &view_, &projection_), 0);
  EXPECT_EQ(Entity_IsVisible(behind), 0);
  Entity_EnableFrustumCulling(behind, 0);
  EXPECT_EQ(Scene_RenderEntity(behind, &view_, &projection_), 1);
  Entity_Enable(front, 0);
  EXPECT_EQ(Scene_RenderEntity(front, &view_, &projection_), 0);
  Entity_Enable(front, 1);
  Entity_ShowBoundingBox(front, -1, 0);
  Control()->ClearDraws();
  EXPECT_EQ(Scene_RenderAllEntities(&view_, &projection_), 1);
  EXPECT_EQ(Control()->Draws().size(), 3u) << "both entities and the box";
  device_->EndScene();
  D3DVECTOR low{}, high{}, centre{};
  float radius = 0;
  EXPECT_EQ(Entity_GetBoundingBox(front, &low, &high), 1);
  EXPECT_TRUE(Near(low, {0, 2, 3}));
  EXPECT_TRUE(Near(high, {3, 8, 3}));
  EXPECT_EQ(Entity_GetBoundingSphere(front, &centre, &radius), 1);
  EXPECT_TRUE(Near(centre, {1.5f, 5, 3}));
  EXPECT_NEAR(radius, std::sqrt(1.5f * 1.5f + 9.0f), 1e-5f);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Entities, TheResetOrderKeepsEntitiesDrawing) {
  ASSERT_EQ(InitMD2(), 1);
  const int32_t e = Placed("reset", 50);
  auto draws = [&] {
    Control()->ClearDraws();
    device_->BeginScene();
    Scene_RenderEntity(e, &view_, &projection_);
    device_->EndScene();
    return Control()->Draws().size();
  };
  ASSERT_EQ(draws(), 1u);
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  EXPECT_EQ(MD2System_LostAll(), 1);
  EXPECT_EQ(draws(), 0u) << "no shader while the device is lost";
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  TextureFactory_OnResetAll();
  EXPECT_EQ(InitMD2(), 1);
  EXPECT_EQ(draws(), 1u);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Entities, CollisionFindsTheNearestOrTheFirstHit) {
  // Boxes from (0, 2, 3) to (3, 8, 3) moved along x; the first entity in the table lies farther
  // from the segment's start than the second.
  const int32_t farther = Placed("farther", 0);
  const int32_t nearer = Placed("nearer", 0);
  Entity_SetPosition(farther, 50, 0, 0);
  Entity_SetPosition(nearer, 100, 0, 0);
  Entity_ForceMatrixUpdate(farther);
  Entity_ForceMatrixUpdate(nearer);
  const D3DVECTOR start{200, 5, 3}, end{-100, 5, 3}, away{200, 500, 3};
  float distance = 0;
  int32_t hit = -1;
  EXPECT_EQ(Scene_Collide(&start, &end, &distance, &hit, 0, 1), 1);
  EXPECT_EQ(hit, nearer);
  EXPECT_NEAR(distance, 97.0f, 1e-3f);
  EXPECT_EQ(Scene_Collide(&start, &end, &distance, &hit, 0, 0), 1);
  EXPECT_EQ(hit, farther) << "first in table order";
  EXPECT_NEAR(distance, 147.0f, 1e-3f);
  EXPECT_EQ(Scene_Collide(&start, &away, &distance, &hit, 1, 1), 0);

  CollisionResult result{};
  EXPECT_EQ(Scene_AdvancedCollision(&start, &end, &result, 1, 1), 1);
  EXPECT_EQ(result.entity, nearer);
  EXPECT_EQ(result.hit, 1);
  EXPECT_EQ(result.hitKind, 1);
  const float radius = std::sqrt(1.5f * 1.5f + 9.0f);
  EXPECT_NEAR(result.distance, 200 - 101.5f - radius, 1e-3f) << "the sphere about (101.5, 5, 3)";
  EXPECT_TRUE(Near(result.normal, {1, 0, 0}));
  EXPECT_EQ(Scene_AdvancedCollision(&start, &end, &result, 0, 0), 1);
  EXPECT_EQ(result.entity, farther);
  EXPECT_TRUE(Near(result.point, {53, 5, 3}));

  EXPECT_EQ(MD2System_Collide(nearer, &start, &end, &distance), 1);
  EXPECT_NEAR(distance, 97.0f, 1e-3f);
  EXPECT_EQ(MD2System_Collide(nearer, &start, &away, &distance), 0) << "a miss";
  EXPECT_EQ(distance, 0.0f);
  Entity_Enable(nearer, 0);
  EXPECT_EQ(MD2System_Collide(nearer, &start, &end, &distance), 0);
  EXPECT_EQ(Scene_Collide(&start, &end, &distance, &hit, 0, 1), 1);
  EXPECT_EQ(hit, farther) << "a disabled entity is passed over";
  EXPECT_EQ(MD2System_Collide(9, &start, &end, &distance), 0);
  EXPECT_TRUE(Logged("MD2 SYSTEM COLLIDE : Bad entity index 9"));
}

TEST_F(Entities, GroupsTakeMaterialsTexturesAndSphereMaps) {
  const int32_t e = Scene_CreateEntity(WriteMd2("g.md2").c_str(), "g", 0);
  EXPECT_EQ(Entity_GetMaterialCount(e), 1);
  EXPECT_EQ(Entity_GetGroupNumber(e), 1);
  EXPECT_EQ(Entity_SetMaterial(e, 3, 5), 1) << "a keyframe model's one group, whatever the number";
  EXPECT_EQ(Entity_GetMaterial(e, 0), 3);
  EXPECT_EQ(Entity_SetTexture(e, 4, -1), 1);
  EXPECT_EQ(Entity_GetTexture(e, 0), 4);
  EXPECT_EQ(Entity_SetSphereMapping(e, 1, 6, 0), 1);
  EXPECT_EQ(Entity_SetSphereMapping(e, 1, 6, 1), 0);
  const int32_t copy = Entity_DuplicateActor(e, "copy");
  EXPECT_EQ(Entity_GetMaterial(copy, 0), 3) << "the groups are copied";
  EXPECT_EQ(Entity_GetTexture(copy, 0), 4);
}

TEST_F(Entities, BadIdentifiersAreRefused) {
  ASSERT_EQ(Scene_CreateEntity(WriteMd2("b.md2").c_str(), "b", 0), 0);
  float f = 0;
  D3DVECTOR v{};
  D3DMATRIX m{};
  char text[256];
  CollisionResult result{};
  struct Case {
    const char* name;
    std::function<int32_t(int32_t)> call;
    int32_t refused;
  };
  const std::vector<Case> cases = {
      {"UpdateEntity", [](int32_t e) { return Scene_UpdateEntity(e, 0); }, 0},
      {"RenderEntity", [&](int32_t e) { return Scene_RenderEntity(e, &m, &m); }, 0},
      {"Destroy", Entity_Destroy, 0},
      {"DuplicateActor", [](int32_t e) { return Entity_DuplicateActor(e, "x"); }, -1},
      {"Enable", [](int32_t e) { return Entity_Enable(e, 1); }, 0},
      {"IsVisible", Entity_IsVisible, -1},
      {"SetAlphaTest", [](int32_t e) { return Entity_SetAlphaTest(e, 1, 1); }, 0},
      {"ShowBoundingBox", [](int32_t e) { return Entity_ShowBoundingBox(e, 1, 1); }, 0},
      {"GetName", [&](int32_t e) { return Entity_GetName(e, text); }, 0},
      {"SetPosition", [](int32_t e) { return Entity_SetPosition(e, 1, 1, 1); }, 0},
      {"GetRotation", [&](int32_t e) { return Entity_GetRotation(e, &f, &f, &f); }, 0},
      {"RotateZ", [](int32_t e) { return Entity_RotateZ(e, 1, 0); }, 0},
      {"SetMatrix", [&](int32_t e) { return Entity_SetMatrix(e, &m); }, 0},
      {"MoveRelative", [](int32_t e) { return Entity_MoveRelative(e, 1, 1, 1); }, 0},
      {"GetLookAtPoint", [&](int32_t e) { return Entity_GetLookAtPoint(e, 0, &f, &f, &f); }, 0},
      {"SetSettings", [&](int32_t e) { return VortanaUtils_SetSettings(e, &v, &v, &v); }, 0},
      {"SetAnimation", [](int32_t e) { return Entity_SetAnimation(e, 0); }, 0},
      {"SetAnimationByName", [](int32_t e) { return Entity_SetAnimationByName(e, "stand"); }, 0},
      {"GetAnimationIndexByName",
       [](int32_t e) { return Entity_GetAnimationIndexByName(e, "stand"); }, -1},
      {"GetAnimationName", [&](int32_t e) { return Entity_GetAnimationName(e, 0, text); }, 0},
      {"SetKeyFrame", [](int32_t e) { return Entity_SetKeyFrame(e, 1); }, -1},
      {"GetKeyFrame", [&](int32_t e) { return Entity_GetKeyFrame(e, &f); }, -1},
      {"SetCustomAnimation", [](int32_t e) { return Entity_SetCustomAnimation(e, 1, 2); }, 0},
      {"GetBoneCount", Entity_GetBoneCount, 0},
      {"GetBonePosition", [&](int32_t e) { return Entity_GetBonePosition(e, 0, &v, &v); }, 0},
      {"SetBoneMatrix", [&](int32_t e) { return Entity_SetBoneMatrix(e, 0, &m, 1, 1); }, 0},
      {"SetTexture", [](int32_t e) { return Entity_SetTexture(e, 1, 0); }, 0},
      {"GetBoundingBox", [&](int32_t e) { return Entity_GetBoundingBox(e, &v, &v); }, 0},
      {"AdvancedCollision",
       [&](int32_t e) { return Entity_AdvancedCollision(e, &v, &v, &result, 0); }, 0},
  };
  for (const Case& c : cases) {
    for (int32_t bad : {-1, 1, 1000}) {
      SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(bad));
      EXPECT_EQ(c.call(bad), c.refused);
    }
  }
  EXPECT_TRUE(Logged("ENTITY MANAGER : Entity_SetAlphaTest : Bad entity index -1"));
  EXPECT_TRUE(Logged("ENTITY MANAGER : Entity index out of range -> 1000 "));
  EXPECT_EQ(f, 0.0f) << "the look-at point of a bad entity is the origin";
  // A keyframe entity has no bones to give.
  EXPECT_EQ(Entity_GetBoneCount(0), 0);
  EXPECT_EQ(Entity_GetBoneName(0, 0, text), 0);
  EXPECT_TRUE(Logged("ENTITY MANAGER : Entity_GetBoneName : Wrong bone index, out of range. 0"));
  EXPECT_EQ(Entity_GetBonePosition(0, 0, &v, &v), 1);
  EXPECT_TRUE(Logged("MD2 ENTITY : GetBonePosition, there is no bone in MD2 format"));
  EXPECT_EQ(Entity_LoadAdditionalAnimations(0, "x.x"), 0);
}

}  // namespace
