// Skinned X-file entities on the headless device: the frame hierarchy and its bones, animation
// sets, the skinning method by the device's blend matrices against skinning on the processor,
// bounds and collision, added animation files, the device reset and the release.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/d3dx/math.h"
#include "platform/d3dx/x_file_reader.h"
#include "tests/library/core/library_fixture.h"
#include "tests/library/core/skinned_scenes.h"
#include "tests/library/core/x_binary.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

class SkinnedEntities : public LibraryTest {
 protected:
  void Start(DWORD blendMatrices = 4) {
    HeadlessConfig config;
    config.caps.MaxVertexBlendMatrices = blendMatrices;
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
    polygons_ = 0;
    System_SetVariables(0, &polygons_, 0);
    const D3DXVECTOR3 eye{{0, 1, -20}}, target{{0, 1, 0}}, up{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view_, &eye, &target, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection_, 1.0f, 1.0f, 1.0f, 1000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view_, &projection_);
  }

  void TearDown() override {
    Scene_SetTimeElapsed(0.0f);
    LibraryTest::TearDown();
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    return path.string();
  }

  int32_t Create(const std::string& name, const std::string& text) {
    const int32_t e = Scene_CreateEntity(Write(name, text).c_str(), name.c_str(), 1);
    Entity_SetRotationAxis(e, 1);
    Entity_ForceMatrixUpdate(e);
    return e;
  }

  std::vector<DrawRecord> Draw(int32_t e) {
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(Scene_RenderEntity(e, &view_, &projection_), 1);
    device_->EndScene();
    return Control()->Draws();
  }

  int32_t polygons_ = 0;
  D3DXMATRIX view_, projection_;
};

TEST_F(SkinnedEntities, FramesAreBonesAndSetsAnimateThem) {
  Start();
  const int32_t e = Create("leg.x", xtest::Leg());
  ASSERT_EQ(e, 0);
  EXPECT_EQ(Entity_GetBoneCount(e), 3);
  char name[256] = "";
  EXPECT_EQ(Entity_GetBoneName(e, 2, name), 1);
  EXPECT_STREQ(name, "Knee");
  EXPECT_EQ(Entity_GetBoneParent(e, 0), -1) << "a frame under the root";
  EXPECT_EQ(Entity_GetBoneParent(e, 2), 1);
  EXPECT_EQ(Entity_GetAnimationCount(e), 2);
  EXPECT_EQ(Entity_GetAnimationIndexByName(e, "Still"), 1);
  EXPECT_EQ(Entity_GetAnimationLength(e, 0), 100);
  EXPECT_EQ(Entity_GetMaterialCount(e), 1);

  // Half way through the set the knee is 3 above the hip.
  Entity_SetSpeed(e, 1000);
  Entity_SetKeyFrame(e, 0);
  Scene_SetTimeElapsed(50);
  ASSERT_EQ(Scene_UpdateEntity(e, 0), 1);
  const D3DVECTOR origin{0, 0, 0};
  D3DVECTOR knee{};
  EXPECT_EQ(Entity_GetBonePosition(e, 2, &origin, &knee), 1);
  EXPECT_TRUE(Near(knee, {0, 3, 0}, 1e-4f));
  D3DXMATRIX matrix;
  const D3DVECTOR up{0, 1, 0};
  EXPECT_EQ(Entity_GetBoneMatrix(e, 2, &up, &matrix), 1);
  EXPECT_TRUE(Near({matrix.m[3][0], matrix.m[3][1], matrix.m[3][2]}, {0, 4, 0}, 1e-4f));
  float frame = 0;
  Scene_SetTimeElapsed(80);
  Scene_UpdateEntity(e, 0);
  Entity_GetKeyFrame(e, &frame);
  EXPECT_NEAR(frame, 30.0f, 1e-3f) << "the time within the set";

  // An override replacing the knee's local transform holds it at the hip.
  D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  EXPECT_EQ(Entity_SetBoneMatrix(e, 2, &identity, 0, 1), 1);
  Scene_UpdateEntity(e, 0);
  EXPECT_EQ(Entity_GetBonePosition(e, 2, &origin, &knee), 1);
  EXPECT_TRUE(Near(knee, {0, 0, 0}, 1e-4f));

  EXPECT_EQ(Entity_SetAnimation(e, 5), 2);
  EXPECT_EQ(Entity_GetAnimation(e), 0) << "an unknown set starts the first";
  EXPECT_EQ(Entity_SetAnimationByName(e, "Still"), 1);
  EXPECT_EQ(Entity_GetAnimation(e), 1);
}

TEST_F(SkinnedEntities, PlayingOnceAndCustomRangesEnd) {
  Start();
  const int32_t e = Create("leg.x", xtest::Leg());
  Entity_SetSpeed(e, 1000);
  Entity_EnableFrustumCulling(e, 0);
  struct Case {
    float customStart, customEnd;
    int32_t loop;
    float start, elapsed, expected;
    int32_t finished;
  };
  for (const Case c :
       {Case{0, 0, 0, 90, 50, 99, 1}, Case{0, 0, 1, 90, 50, 40, 0}, Case{10, 20, 1, 15, 500, 15, 0},
        Case{10, 20, 0, 15, 500, 18, 1}, Case{30, 30, 1, 30, 500, 30, 0}}) {
    SCOPED_TRACE(std::to_string(c.customStart) + ".." + std::to_string(c.customEnd) +
                 (c.loop != 0 ? " looping" : " once"));
    Entity_SetCustomAnimation(e, c.customStart, c.customEnd);
    Entity_SetAnimationLoop(e, c.loop);
    Entity_SetKeyFrame(e, c.start);
    Scene_SetTimeElapsed(c.elapsed);
    ASSERT_EQ(Scene_UpdateEntity(e, 0), 1);
    float frame = -1;
    Entity_GetKeyFrame(e, &frame);
    EXPECT_NEAR(frame, c.expected, 1e-3f);
    EXPECT_EQ(Entity_IsAnimationFinished(e), c.finished);
  }
}

TEST_F(SkinnedEntities, BlendedDrawsAgreeWithSkinningOnTheProcessor) {
  // The knee moved to 3: vertices 2 and 3 go up by 1.
  const std::vector<D3DXVECTOR3> expected = {{{-1, 0, 0}}, {{1, 0, 0}}, {{-1, 3, 0}}, {{1, 3, 0}}};
  for (const DWORD blend : {0u, 2u, 4u}) {
    SCOPED_TRACE(blend);
    Start(blend);
    const int32_t e = Create("leg.x", xtest::Leg());
    Entity_SetSpeed(e, 1000);
    Entity_SetKeyFrame(e, 50);
    Scene_SetTimeElapsed(0);
    const std::vector<DrawRecord> draws = Draw(e);
    ASSERT_FALSE(draws.empty());
    // The fixture's device processes vertices in software from its creation: only the pass for
    // palettes the device cannot blend switches the state, and leaves it off.
    DWORD software = 7;
    device_->GetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, &software);
    EXPECT_EQ(software, blend == 0 ? 0u : 1u);
    for (const DrawRecord& draw : draws) {
      EXPECT_EQ(draw.state.renderStates[D3DRS_SOFTWAREVERTEXPROCESSING], 1u);
      EXPECT_EQ(draw.state.renderStates[D3DRS_VERTEXBLEND], 1u) << "two matrices a vertex";
      // Each vertex: position, one weight, normal; blended by world matrices 256 and 257.
      D3DXMATRIX first, second;
      static_cast<D3DMATRIX&>(first) = draw.state.Transform(D3DTS_WORLDMATRIX(0));
      static_cast<D3DMATRIX&>(second) = draw.state.Transform(D3DTS_WORLDMATRIX(1));
      ASSERT_EQ(draw.stride, 28u);
      const auto* indices = reinterpret_cast<const uint16_t*>(draw.indices.data());
      for (size_t i = 0; i < draw.indices.size() / 2; ++i) {
        float v[4];
        std::memcpy(v, &draw.vertices[(indices[i] - draw.minIndex) * 28u], sizeof v);
        const D3DXVECTOR3 p{{v[0], v[1], v[2]}};
        D3DXVECTOR3 a, b;
        d3dx::D3DXVec3TransformCoord(&a, &p, &first);
        d3dx::D3DXVec3TransformCoord(&b, &p, &second);
        const D3DXVECTOR3 blended = a * v[3] + b * (1 - v[3]);
        bool matches = false;
        for (const D3DXVECTOR3& corner : expected) matches |= bool(Near(blended, corner, 1e-4f));
        EXPECT_TRUE(matches) << blended.x << ", " << blended.y << ", " << blended.z;
      }
    }
    EXPECT_EQ(polygons_, 2);
    EXPECT_TRUE(ShutDownAndRelease());
  }
}

TEST_F(SkinnedEntities, TooManyInfluencesSwitchToSoftwareSkinningAcrossAReset) {
  Start();
  const int32_t e = Create("five.x", xtest::FiveBones());
  ASSERT_GE(e, 0);
  EXPECT_TRUE(
      Logged("X FILE MANAGER : Can't use this skinned mesh in hardware mode. The hardware doesn't "
             "support more than 2 bones/vertex. Switching to software."));
  ASSERT_EQ(Draw(e).size(), 1u);
  EXPECT_EQ(Draw(e)[0].state.renderStates[D3DRS_VERTEXBLEND], 0u);
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  TextureFactory_OnResetAll();
  EXPECT_EQ(Draw(e).size(), 1u) << "the software mesh is made again";
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(SkinnedEntities, ModelsAreSharedBoundedAndCollided) {
  Start();
  const std::string path = Write("leg.x", xtest::Leg());
  const size_t before = Control()->LiveObjectCount();
  const int32_t a = Scene_CreateEntity(path.c_str(), "a", 1);
  const size_t withModel = Control()->LiveObjectCount();
  std::filesystem::remove(path);
  const int32_t b = Scene_CreateEntity(path.c_str(), "b", 1);
  ASSERT_EQ(b, 1) << "shared without opening the file";
  EXPECT_EQ(Control()->LiveObjectCount(), withModel);
  D3DVECTOR low{}, high{}, centre{};
  float radius = 0;
  EXPECT_EQ(Entity_GetBoundingBox(b, &low, &high), 1);
  EXPECT_TRUE(Near(low, {-1, 0, 0}));
  EXPECT_TRUE(Near(high, {1, 2, 0}));
  EXPECT_EQ(Entity_GetBoundingSphere(b, &centre, &radius), 1);
  EXPECT_TRUE(Near(centre, {0, 1, 0}));
  EXPECT_NEAR(radius, std::sqrt(2.0f), 1e-5f);

  Entity_SetRotationAxis(b, 1);
  Entity_SetPosition(b, 10, 0, 0);
  Entity_ForceMatrixUpdate(b);
  const D3DVECTOR start{10, 1, -10}, end{10, 1, 10};
  float distance = 0;
  EXPECT_EQ(Entity_Collide(b, &start, &end, &distance, 0), 1);
  EXPECT_NEAR(distance, 10, 1e-4f);
  EXPECT_EQ(Entity_Collide(b, &start, &end, &distance, 1), 1);
  EXPECT_NEAR(distance, 10 - std::sqrt(2.0f), 1e-4f);
  const D3DVECTOR aside{30, 1, -10}, aside2{30, 1, 10};
  EXPECT_EQ(Entity_Collide(b, &aside, &aside2, &distance, 0), 0);

  EXPECT_EQ(Entity_Destroy(a), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), withModel);
  EXPECT_EQ(Entity_Destroy(b), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), before);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(SkinnedEntities, AddedAnimationsGrowEveryEntityOfTheModel) {
  Start();
  const std::string path = Write("leg.x", xtest::Leg());
  const int32_t a = Scene_CreateEntity(path.c_str(), "a", 0);
  const int32_t b = Scene_CreateEntity(path.c_str(), "b", 0);
  const std::string extra =
      Write("kick.x",
            "xof 0303txt 0032\nFrame Toe { }\nAnimationSet Kick {\n Animation { { Toe } "
            "AnimationKey { 2; 1; 40;3;0,0,1;;; } }\n}\n");
  EXPECT_EQ(Entity_LoadAdditionalAnimations(a, extra.c_str()), 1);
  EXPECT_EQ(Entity_GetAnimationCount(b), 3);
  EXPECT_EQ(Entity_GetBoneCount(b), 4);
  EXPECT_EQ(Entity_GetAnimationLength(b, 2), 40);
  EXPECT_EQ(Entity_SetAnimationByName(b, "Kick"), 1);
  Entity_SetSpeed(b, 1000);
  Scene_SetTimeElapsed(10);
  EXPECT_EQ(Scene_UpdateEntity(b, 0), 1);
  const D3DVECTOR origin{0, 0, 0};
  D3DVECTOR toe{};
  EXPECT_EQ(Entity_GetBonePosition(b, 3, &origin, &toe), 1);
  EXPECT_TRUE(Near(toe, {0, 1, 0}, 1e-4f)) << "z up turned y up under axis mode 0";
  EXPECT_EQ(Entity_LoadAdditionalAnimations(a, (Folder() / "none.x").string().c_str()), 0);
  EXPECT_EQ(Entity_LoadAdditionalAnimations(a, nullptr), 0);
}

TEST_F(SkinnedEntities, UnreadableFilesLeaveNothing) {
  Start();
  const size_t before = Control()->LiveObjectCount();
  for (const std::string& text :
       {std::string("xof 0303txt 0032\nFrame A { { Missing } }\n"),
        std::string("xof 0303txt 0032\nMesh M { 9; 0;0;0;; 1; 3;0,1,2;; }\n"),
        std::string("xof 0303bin 0032\x01\x00")}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Scene_CreateEntity(Write("bad.x", text).c_str(), "bad", 1), -1);
  }
  EXPECT_EQ(Control()->LiveObjectCount(), before);
  EXPECT_EQ(Entity_Destroy(0), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(SkinnedEntities, TheSameSceneInTextAndBinaryGivesTheSameModel) {
  Start();
  const std::string text = xtest::Leg();
  const d3dx::XFileDocument document =
      d3dx::ReadXFile(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  const std::string binary = xtest::BinaryXWriter(document).Write();
  ASSERT_EQ(binary.substr(0, 16), "xof 0303bin 0032");
  const int32_t fromText = Create("text.x", text);
  const int32_t fromBinary = Create("binary.x", binary);
  ASSERT_GE(fromText, 0);
  ASSERT_GE(fromBinary, 0);
  EXPECT_EQ(Entity_GetBoneCount(fromBinary), Entity_GetBoneCount(fromText));
  EXPECT_EQ(Entity_GetAnimationCount(fromBinary), Entity_GetAnimationCount(fromText));
  EXPECT_EQ(Entity_GetAnimationLength(fromBinary, 0), Entity_GetAnimationLength(fromText, 0));
  D3DVECTOR lowText{}, highText{}, lowBinary{}, highBinary{};
  Entity_GetBoundingBox(fromText, &lowText, &highText);
  Entity_GetBoundingBox(fromBinary, &lowBinary, &highBinary);
  EXPECT_TRUE(Near(lowBinary, lowText));
  EXPECT_TRUE(Near(highBinary, highText));
  std::vector<DrawRecord> draws[2];
  for (const int32_t e : {fromText, fromBinary}) {
    Entity_SetKeyFrame(e, 50);
    draws[e == fromText ? 0 : 1] = Draw(e);
  }
  ASSERT_EQ(draws[0].size(), draws[1].size());
  for (size_t d = 0; d < draws[0].size(); ++d) {
    EXPECT_EQ(draws[0][d].vertices, draws[1][d].vertices);
    EXPECT_EQ(draws[0][d].indices, draws[1][d].indices);
    EXPECT_EQ(draws[0][d].state.Transform(D3DTS_WORLDMATRIX(1)),
              draws[1][d].state.Transform(D3DTS_WORLDMATRIX(1)));
  }
  for (int32_t bone = 0; bone < Entity_GetBoneCount(fromText); ++bone) {
    char textName[256] = "", binaryName[256] = "";
    Entity_GetBoneName(fromText, bone, textName);
    Entity_GetBoneName(fromBinary, bone, binaryName);
    EXPECT_STREQ(textName, binaryName);
  }
}

}  // namespace
