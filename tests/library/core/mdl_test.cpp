// Studio entities on the headless device with small generated files: posing against hand-computed
// matrices, the sequence clock, the texture and sequence-group files, both draw paths, hit boxes,
// refused files and the device reset; and the packaged man.mdl with its side files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "platform/d3dx/math.h"
#include "tests/library/core/library_fixture.h"
#include "tests/library/core/mdl_bytes.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

::testing::AssertionResult NearMatrix(const D3DMATRIX& actual, const D3DMATRIX& expected,
                                      float tolerance) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(actual.m[r][c] - expected.m[r][c]) > tolerance)
        return ::testing::AssertionFailure() << "element " << r << c << ": " << actual.m[r][c]
                                             << ", expected " << expected.m[r][c];
  return ::testing::AssertionSuccess();
}

class StudioEntities : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
    System_SetVariables(0, &polygons_, 0);
    const D3DXVECTOR3 eye{{0, 0, -20}}, target{{0, 0, 0}}, up{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view_, &eye, &target, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection_, 1.0f, 1.0f, 1.0f, 1000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view_, &projection_);
  }

  void TearDown() override {
    Scene_SetTimeElapsed(0.0f);
    LibraryTest::TearDown();
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  // An entity of the contents with its axes left as they are, at the origin.
  int32_t Create(const std::string& name, const mdltest::Contents& contents,
                 int32_t loadTextures = 0) {
    const int32_t e = Scene_CreateEntity(Write(name, mdltest::ModelFile(contents)).c_str(),
                                         name.c_str(), loadTextures);
    Entity_SetRotationAxis(e, 1);
    Entity_ForceMatrixUpdate(e);
    return e;
  }

  int32_t polygons_ = 0;
  D3DXMATRIX view_, projection_;
};

TEST_F(StudioEntities, BonesPoseAsHandComputedMatricesSay) {
  const int32_t e = Create("two.mdl", mdltest::TwoBones());
  ASSERT_EQ(e, 0);
  EXPECT_EQ(Entity_GetBoneCount(e), 2);
  char name[256] = "";
  EXPECT_EQ(Entity_GetBoneName(e, 1, name), 1);
  EXPECT_STREQ(name, "child");
  EXPECT_EQ(Entity_GetBoneName(e, 2, name), 0);
  EXPECT_EQ(Entity_GetBoneParent(e, 0), -1);
  EXPECT_EQ(Entity_GetBoneParent(e, 1), 0);
  EXPECT_EQ(Entity_GetAnimationCount(e), 2);
  EXPECT_EQ(Entity_GetAnimationLength(e, 1), 10);

  // Frame 0.5: the root halfway to x = 2, the child halfway to a turn of 1 radian.
  Entity_SetKeyFrame(e, 0.5f);
  ASSERT_EQ(VortanaUtils_MDLUpdate(e, 0), 1);
  const D3DVECTOR none{0, 0, 0};
  D3DXMATRIX child, expected;
  ASSERT_EQ(Entity_GetBoneMatrix(e, 1, &none, &child), 1);
  d3dx::D3DXMatrixRotationZ(&expected, 0.5f);
  expected.m[3][0] = 1.5f;
  expected.m[3][1] = 2.0f;
  expected.m[3][2] = 8.0f;
  EXPECT_TRUE(NearMatrix(child, expected, 5e-3f));
  D3DVECTOR point{1, 0, 0}, placed{};
  ASSERT_EQ(Entity_GetBonePosition(e, 1, &point, &placed), 1);
  EXPECT_TRUE(Near(placed, {1.5f + std::cos(0.5f), 2 + std::sin(0.5f), 8}, 5e-3f));

  // An enabled override replacing the root's local transform moves the child with it.
  D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  EXPECT_EQ(Entity_SetBoneMatrix(e, 0, &identity, 0, 1), 1);
  VortanaUtils_MDLUpdate(e, 0);
  ASSERT_EQ(Entity_GetBoneMatrix(e, 1, &none, &child), 1);
  EXPECT_TRUE(Near({child.m[3][0], child.m[3][1], child.m[3][2]}, {0, 0, 5}, 1e-5f));
  // A combining override multiplies it: a shift of 10 along x before the root's own transform.
  D3DXMATRIX shift;
  d3dx::D3DXMatrixTranslation(&shift, 10, 0, 0);
  EXPECT_EQ(Entity_SetBoneRotationMatrix(e, 0, &shift, 1, 1), 1);
  VortanaUtils_MDLUpdate(e, 0);
  ASSERT_EQ(Entity_GetBoneMatrix(e, 0, &none, &child), 1);
  EXPECT_TRUE(Near({child.m[3][0], child.m[3][1], child.m[3][2]}, {11.5f, 2, 3}, 1e-4f));
}

TEST_F(StudioEntities, TheSequenceClockWrapsPlaysOnceAndEnds) {
  const int32_t e = Create("clock.mdl", mdltest::TwoBones());
  ASSERT_EQ(Entity_SetAnimationByName(e, "still"), 1);
  struct Case {
    int32_t loop;
    float start, elapsed, expected;
    int32_t finished;
  };
  for (const Case c :
       {Case{1, 8.5f, 1000, 0.5f, 0}, Case{0, 8.5f, 1000, 9.0f, 1}, Case{1, 2.0f, 1500, 3.0f, 0},
        Case{1, 1.0f, -3000, 8.0f, 0}, Case{0, 1.0f, -3000, 0.0f, 1}}) {
    SCOPED_TRACE(std::to_string(c.start) + " + " + std::to_string(c.elapsed));
    Entity_SetAnimationLoop(e, c.loop);
    Entity_SetKeyFrame(e, c.start);
    EXPECT_EQ(VortanaUtils_MDLUpdate(e, c.elapsed), 1);
    float frame = -1;
    Entity_GetKeyFrame(e, &frame);
    EXPECT_NEAR(frame, c.expected, 1e-4f);
    EXPECT_EQ(Entity_IsAnimationFinished(e), c.finished);
  }
  // Through the scene update, with the frame time.
  Entity_SetAnimationLoop(e, 1);
  Entity_SetKeyFrame(e, 0);
  Scene_SetTimeElapsed(500);
  EXPECT_EQ(Scene_UpdateEntity(e, 0), 1);
  float frame = 0;
  Entity_GetKeyFrame(e, &frame);
  EXPECT_NEAR(frame, 0.5f, 1e-5f);
  // A sequence the model lacks leaves the current one.
  EXPECT_EQ(Entity_SetAnimation(e, 7), 2);
  EXPECT_EQ(Entity_GetAnimation(e), 1);
  EXPECT_TRUE(Logged("MDL MANAGER : MDL_SetSequence : Entity 0 : There is no sequence 7"));
  // A sequence of one frame holds.
  mdltest::Contents single = mdltest::OneBoneQuad();
  const int32_t one = Create("single.mdl", single);
  Entity_SetKeyFrame(one, 0.25f);
  EXPECT_EQ(VortanaUtils_MDLUpdate(one, 800), 1);
  Entity_GetKeyFrame(one, &frame);
  EXPECT_EQ(frame, 0.0f);
}

TEST_F(StudioEntities, SideFilesAreFoundWhateverTheirCase) {
  mdltest::Contents c = mdltest::TwoBones();
  c.texturesBeside = true;
  c.groupCount = 3;
  c.sequences[1].group = 1;
  mdltest::Sequence far = c.sequences[0];
  far.name = "far";
  far.group = 2;
  c.sequences.push_back(far);
  std::vector<uint8_t> model = mdltest::ModelFile(c);
  Write("x01.mdl", mdltest::GroupFile(c, 1, model));
  std::vector<uint8_t> unused = mdltest::GroupFile(c, 2, model);
  Write("xt.mdl", mdltest::TextureFile(c));
  const std::string path = Write("x.mdl", model);
  const int32_t e = Scene_CreateEntity(path.c_str(), "x", 1);
  ASSERT_EQ(e, 0);
  const std::string missing = (Folder() / "x02.MDL").string();
  EXPECT_TRUE(Logged("MDL MANAGER : " + missing +
                     " file couldn't be loaded. Some animations will be missing."));
  EXPECT_EQ(Entity_GetMaterialCount(e), 1);
  const int32_t texture = Entity_GetTexture(e, 0);
  EXPECT_GT(texture, 0) << "the texture file's picture";
  TextureInfo info{};
  TextureFactory_GetTextureInfo(texture, &info);
  EXPECT_EQ(info.valid, 1);
  EXPECT_STREQ(info.name, "skin.bmp");
  IDirect3DTexture8* made = nullptr;
  ASSERT_EQ(Internal_GetTexture(texture, &made), 1);
  D3DSURFACE_DESC desc{};
  made->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(Pixels(made).At(0, 0), 0xffff0000u);
  made->Release();

  EXPECT_EQ(Entity_SetAnimation(e, 1), 1);
  EXPECT_EQ(Entity_GetAnimation(e), 1) << "its group file was read";
  EXPECT_EQ(Entity_SetAnimation(e, 2), 1);
  EXPECT_EQ(Entity_GetAnimation(e), 0) << "its group file is missing";
  EXPECT_TRUE(Logged(
      "MDL MANAGER : MDL_SetSequence : Entity 0 : This animation sequence was in the sequences "
      "file that couldn't be loaded. Therefore the first animation will be used"));

  // Without its texture file the model loads untextured.
  std::filesystem::remove(Folder() / "xt.mdl");
  std::filesystem::copy_file(path, Folder() / "y.mdl");
  const int32_t bare = Scene_CreateEntity((Folder() / "y.mdl").string().c_str(), "y", 1);
  ASSERT_GE(bare, 0);
  EXPECT_EQ(Entity_GetMaterialCount(bare), 0);
  EXPECT_EQ(Scene_RenderEntity(bare, &view_, &projection_), 1);
}

TEST_F(StudioEntities, BothPathsPutEveryPosedVertexAtTheSamePlace) {
  ASSERT_EQ(InitMD2(), 1);
  const mdltest::Contents c = mdltest::TwoBones();
  const int32_t shaded = Create("a.mdl", c);
  Engine_SetShaderMode(1);
  const int32_t skinned = Create("b.mdl", c);
  Engine_SetShaderMode(0);
  std::vector<DrawRecord> draws[2];
  for (int32_t e : {shaded, skinned}) {
    Entity_SetKeyFrame(e, 1.25f);
    Entity_SetSpeed(e, 0);
    VortanaUtils_MDLUpdate(e, 0);
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(Scene_RenderEntity(e, &view_, &projection_), 1);
    device_->EndScene();
    draws[e] = Control()->Draws();
  }
  ASSERT_EQ(draws[0].size(), 1u);
  ASSERT_EQ(draws[1].size(), 1u);
  EXPECT_EQ(draws[0][0].stride, 36u);
  EXPECT_EQ(draws[1][0].stride, 32u);
  EXPECT_EQ(draws[1][0].fvf, 0x112u);
  EXPECT_EQ(polygons_, 8);
  const DrawRecord& gpu = draws[0][0];
  const DrawRecord& cpu = draws[1][0];
  ASSERT_EQ(gpu.shaded.size(), 12u);
  ASSERT_EQ(cpu.vertices.size(), 12u * 32u);
  const D3DXMATRIX clip = view_ * projection_;
  for (size_t v = 0; v < 12; ++v) {
    SCOPED_TRACE(v);
    float xyz[3];
    std::memcpy(xyz, &cpu.vertices[v * 32], sizeof xyz);
    const d3dx::D3DXVECTOR3 p{{xyz[0], xyz[1], xyz[2]}};
    d3dx::D3DXVECTOR4 expected;
    d3dx::D3DXVec3Transform(&expected, &p, &clip);
    const auto& actual = gpu.shaded[v].position;
    EXPECT_NEAR(actual[0], expected.x, 1e-4f);
    EXPECT_NEAR(actual[1], expected.y, 1e-4f);
    EXPECT_NEAR(actual[3], expected.w, 1e-4f);
  }
}

TEST_F(StudioEntities, TwentyEightBonesTakeTheShaderAndTwentyNineDoNot) {
  ASSERT_EQ(InitMD2(), 1);
  for (const int32_t bones : {28, 29}) {
    SCOPED_TRACE(bones);
    mdltest::Contents c = mdltest::OneBoneQuad();
    for (int32_t b = 1; b < bones; ++b)
      c.bones.push_back(mdltest::Bone{"b" + std::to_string(b), b - 1, {0, 0, 1, 0, 0, 0}, {}});
    c.vertices[3].bone = static_cast<uint8_t>(bones - 1);
    const int32_t e = Create("bones" + std::to_string(bones) + ".mdl", c);
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(Scene_RenderEntity(e, &view_, &projection_), 1);
    device_->EndScene();
    ASSERT_EQ(Control()->Draws().size(), 1u);
    EXPECT_EQ(Control()->Draws()[0].stride, bones == 28 ? 36u : 32u);
  }
}

TEST_F(StudioEntities, HitBoxesNameTheBoneThatWasHit) {
  const int32_t e = Create("hit.mdl", mdltest::TwoBones());
  Entity_SetKeyFrame(e, 0);
  VortanaUtils_MDLUpdate(e, 0);
  // The child's box lies 5 above the root's: (1 .. 2, 2 .. 3, 7 .. 9).
  const D3DVECTOR start{1.5f, 2.5f, 20}, end{1.5f, 2.5f, -20}, above{1.5f, 2.5f, 6};
  CollisionResult result{};
  EXPECT_EQ(Entity_AdvancedCollision(e, &start, &end, &result, 2), 1);
  EXPECT_EQ(result.bone, 0) << "the first box in order that the segment meets";
  EXPECT_TRUE(Near(result.point, {1.5f, 2.5f, 4}, 1e-4f));
  EXPECT_EQ(Entity_AdvancedCollision(e, &start, &above, &result, 3), 1);
  EXPECT_EQ(result.bone, 1);
  EXPECT_TRUE(Near(result.point, {1.5f, 2.5f, 9}, 1e-4f));
  EXPECT_EQ(Entity_AdvancedCollision(e, &start, &end, &result, 0), 1);
  EXPECT_NEAR(result.point.z, 8, 1e-4f) << "the model's box ends at the child's quad";
  const D3DVECTOR aside{50, 50, 20}, aside2{50, 50, -20};
  EXPECT_EQ(Entity_AdvancedCollision(e, &aside, &aside2, &result, 2), 0);
  EXPECT_EQ(result.hit, 0);
  Entity_ShowBoundingBox(e, 1, 1);
  Control()->ClearDraws();
  device_->BeginScene();
  EXPECT_EQ(Scene_RenderEntity(e, &view_, &projection_), 1);
  device_->EndScene();
  EXPECT_EQ(Control()->Draws().size(), 4u) << "the model, its box and two hit boxes";
}

TEST_F(StudioEntities, DamagedFilesLeaveNothingBehind) {
  ASSERT_EQ(InitMD2(), 1);
  const size_t before = Control()->LiveObjectCount();
  struct Case {
    const char* what;
    void (*spoil)(mdltest::Contents&);
  };
  const Case cases[] = {
      {"parent after its bone", [](mdltest::Contents& c) { c.bones[1].parent = 1; }},
      {"vertex bone", [](mdltest::Contents& c) { c.vertices[2].bone = 2; }},
      {"skin reference", [](mdltest::Contents& c) { c.meshes[0].skin = 1; }},
      {"hit-box bone", [](mdltest::Contents& c) { c.hitBoxes[0].bone = 5; }},
      {"sequence group", [](mdltest::Contents& c) { c.sequences[0].group = 1; }},
      {"texture size", [](mdltest::Contents& c) { c.textures[0].width = 0; }},
      {"empty run", [](mdltest::Contents& c) { c.sequences[0].channels[1][5][0].total = 0; }},
      {"short run", [](mdltest::Contents& c) { c.sequences[0].channels[1][5][0].total = 2; }},
      {"normal index", [](mdltest::Contents& c) { c.meshes[0].commands[0].corners[1][1] = 4; }},
      {"no body part", [](mdltest::Contents& c) { c.meshes.clear(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    mdltest::Contents contents = mdltest::TwoBones();
    c.spoil(contents);
    const std::string path = Write("bad.mdl", mdltest::ModelFile(contents));
    int32_t identifier = 5;
    EXPECT_EQ(CreateEntity(path.c_str(), "bad", &identifier, 1), 0);
    EXPECT_EQ(identifier, 0);
    EXPECT_EQ(Scene_CreateEntity(path.c_str(), "bad", 1), -1);
  }
  std::vector<uint8_t> truncated = mdltest::ModelFile(mdltest::TwoBones());
  truncated.resize(300);
  EXPECT_EQ(Scene_CreateEntity(Write("short.mdl", truncated).c_str(), "s", 1), -1);
  EXPECT_TRUE(Logged("MDL MANAGER : '" + (Folder() / "bad.mdl").string() +
                     "' couldn't be loaded because it is damaged (a bone's parent does not "
                     "precede it)"));
  EXPECT_EQ(Entity_Destroy(0), 0) << "no record was taken";
  EXPECT_EQ(Control()->LiveObjectCount(), before);
}

TEST_F(StudioEntities, AResetKeepsTheProcessorPathDrawing) {
  Engine_SetShaderMode(1);
  const int32_t e = Create("reset.mdl", mdltest::TwoBones());
  auto draws = [&] {
    Control()->ClearDraws();
    device_->BeginScene();
    Scene_RenderEntity(e, &view_, &projection_);
    device_->EndScene();
    return Control()->Draws().size();
  };
  ASSERT_EQ(draws(), 1u);
  device_->SetStreamSource(0, nullptr, 0);
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  const size_t withBuffer = Control()->LiveObjectCount();
  EXPECT_EQ(MDL_OnLostAll(), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), withBuffer - 1);
  EXPECT_EQ(draws(), 0u);
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  TextureFactory_OnResetAll();
  EXPECT_EQ(draws(), 1u);
  EXPECT_TRUE(ShutDownAndRelease());
}

// The packaged studio model of the peer's test data: 8 bones, 6 hit boxes, three sequences and two
// sequence groups, its textures in manT.mdl.
TEST_F(StudioEntities, ThePackagedManPlaysItsSequences) {
  const std::filesystem::path source = "/usr/share/assimp/models/MDL/MDL (HL1)";
  if (!std::filesystem::exists(source / "man.mdl")) GTEST_SKIP() << "assimp-testmodels absent";
  for (const char* name : {"man.mdl", "manT.mdl", "man01.mdl"})
    std::filesystem::copy_file(source / name, Folder() / name);
  const std::string path = (Folder() / "man.mdl").string();
  const int32_t e = Scene_CreateEntity(path.c_str(), "man", 1);
  ASSERT_EQ(e, 0);
  EXPECT_EQ(Entity_GetBoneCount(e), 8);
  ASSERT_EQ(Entity_GetAnimationCount(e), 3);
  for (int32_t s = 0; s < 3; ++s) {
    SCOPED_TRACE(s);
    EXPECT_EQ(Entity_SetAnimation(e, s), 1);
    EXPECT_EQ(Entity_GetAnimation(e), s);
    Scene_SetTimeElapsed(400);
    EXPECT_EQ(Scene_UpdateEntity(e, 0), 1);
  }
  EXPECT_GT(Entity_GetTexture(e, 0), 0);
  // Its three sequences lie in the model itself: without the group file they all still play.
  std::filesystem::remove(Folder() / "man01.mdl");
  std::filesystem::copy_file(Folder() / "man.mdl", Folder() / "lone.mdl");
  std::filesystem::copy_file(Folder() / "manT.mdl", Folder() / "loneT.mdl");
  const int32_t lone = Scene_CreateEntity((Folder() / "lone.mdl").string().c_str(), "lone", 1);
  ASSERT_GE(lone, 0);
  EXPECT_TRUE(Logged("MDL MANAGER : " + (Folder() / "lone01.MDL").string() +
                     " file couldn't be loaded. Some animations will be missing."));
  for (int32_t s = 0; s < 3; ++s) {
    EXPECT_EQ(Entity_SetAnimation(lone, s), 1);
    EXPECT_EQ(Entity_GetAnimation(lone), s);
  }
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
