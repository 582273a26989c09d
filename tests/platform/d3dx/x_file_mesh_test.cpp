#include "platform/d3dx/x_file_mesh.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/d3dx/x_file_reader.h"

namespace d3dx {
namespace {

XFileDocument ReadText(std::string_view text) {
  return ReadXFile(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// A quad and a triangle that share vertices 0, 1, 2 but face the other way, so those three need a
// second normal; two materials, one referenced; a bone; an animation of the bone's frame.
constexpr std::string_view kArm = R"(xof 0303txt 0032
Material Shiny { 0.5;0.5;0.5;1;; 20; 1;1;1;; 0;0;0;; TextureFilename { "skin.png"; } }
Frame Root {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
  Frame Arm {
    Mesh Box {
      4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
      2; 4;0,1,2,3;, 3;0,2,1;;
      MeshNormals { 2; 0;0;-1;, 0;0;1;; 2; 4;0,0,0,0;, 3;1,1,1;; }
      MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }
      MeshMaterialList { 2; 1; 1;; { Shiny } Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } }
      XSkinMeshHeader { 1; 2; 1; }
      SkinWeights { "Arm"; 2; 0, 2; 0.25, 0.75; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
    }
  }
}
AnimationSet Wave {
  Animation {
    { Arm }
    AnimationOptions { 1; 0; }
    AnimationKey { 0; 2; 0;4;1,0,0,0;;, 10;4;0,0,0,1;;; }
    AnimationKey { 2; 1; 5;3;1,2,3;;; }
  }
}
AnimTicksPerSecond { 30; }
)";

TEST(XFileMesh, LoadsTheHierarchyWithSplitVerticesMaterialsAndRemappedWeights) {
  XFileDocument document = ReadText(kArm);
  XModel model = LoadXModel(document);
  ASSERT_EQ(model.root.children.size(), 1u);
  const XFrame& root = model.root.children[0];
  EXPECT_EQ(root.name, "Root");
  EXPECT_EQ(root.transform.m[3][0], 10);
  ASSERT_EQ(root.children.size(), 1u);
  const XFrame& arm = root.children[0];
  EXPECT_EQ(arm.transform.m[0][0], 1);  // identity when the file gives no matrix
  ASSERT_EQ(arm.meshes.size(), 1u);
  const XMesh& mesh = arm.meshes[0];

  // Vertices 0, 2, 1 of the triangle are copied, in corner order, with the second normal.
  EXPECT_EQ(mesh.positions.size(), 7u);
  EXPECT_EQ(mesh.fileVertex, (std::vector<uint32_t>{0, 1, 2, 3, 0, 2, 1}));
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6}));
  EXPECT_EQ(mesh.normals[0].z, -1);
  EXPECT_EQ(mesh.normals[4].z, 1);
  EXPECT_EQ(mesh.texcoords[5].x, 1);
  EXPECT_EQ(mesh.texcoords[5].y, 1);
  EXPECT_EQ(mesh.filePolygons, 2u);
  EXPECT_EQ(mesh.fileCorners, 7u);

  // One face index for two faces: the last one carries on.
  EXPECT_EQ(mesh.attributes, (std::vector<uint32_t>{1, 1, 1}));
  ASSERT_EQ(mesh.materials.size(), 2u);
  EXPECT_EQ(mesh.materials[0].textureFilename, "skin.png");
  EXPECT_EQ(mesh.materials[0].power, 20);
  EXPECT_EQ(mesh.materials[1].diffuse[0], 1);
  EXPECT_EQ(mesh.materials[1].textureFilename, "");

  ASSERT_EQ(mesh.bones.size(), 1u);
  EXPECT_EQ(mesh.bones[0].boneName, "Arm");
  EXPECT_EQ(mesh.bones[0].vertices, (std::vector<uint32_t>{0, 4, 2, 5}));
  EXPECT_EQ(mesh.bones[0].weights, (std::vector<float>{0.25f, 0.25f, 0.75f, 0.75f}));
  EXPECT_EQ(mesh.maxWeightsPerVertex, 1u);
  EXPECT_EQ(mesh.maxWeightsPerFace, 2u);
}

TEST(XFileMesh, LoadsAnimationSetsWithTheirKeys) {
  XModel model = LoadXModel(ReadText(kArm));
  EXPECT_EQ(model.ticksPerSecond, 30u);
  ASSERT_EQ(model.animationSets.size(), 1u);
  const XAnimationSet& set = model.animationSets[0];
  EXPECT_EQ(set.name, "Wave");
  ASSERT_EQ(set.animations.size(), 1u);
  const XAnimation& animation = set.animations[0];
  EXPECT_EQ(animation.frameName, "Arm");
  EXPECT_TRUE(animation.closed);
  EXPECT_TRUE(animation.splinePositions);
  ASSERT_EQ(animation.keys.size(), 2u);
  EXPECT_EQ(animation.keys[0].keyType, 0u);
  EXPECT_EQ(animation.keys[0].times, (std::vector<uint32_t>{0, 10}));
  EXPECT_EQ(animation.keys[0].values, (std::vector<float>{1, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(animation.keys[1].values, (std::vector<float>{1, 2, 3}));
}

TEST(XFileMesh, MergesAllMeshesMovedByTheirFrames) {
  XModel model = LoadXModel(ReadText(R"(xof 0303txt 0032
Mesh Loose { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Frame Moved {
  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 5,0,0,1;; }
  Mesh Coloured { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
    MeshMaterialList { 1; 1; 0;; Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }
    MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; }
  }
}
)"));
  XMesh merged = MergeXMeshes(model.root);
  ASSERT_EQ(merged.positions.size(), 6u);
  EXPECT_EQ(merged.positions[4].x, 7);  // (1, 0, 0) scaled by 2, moved by 5
  EXPECT_EQ(merged.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
  // The loose mesh has no material: it gets a white one of its own.
  ASSERT_EQ(merged.materials.size(), 2u);
  EXPECT_EQ(merged.materials[0].diffuse[1], 1);
  EXPECT_EQ(merged.materials[1].diffuse[0], 0);
  EXPECT_EQ(merged.attributes, (std::vector<uint32_t>{0, 1}));
  EXPECT_FLOAT_EQ(merged.normals[3].z, 1);
  EXPECT_EQ(merged.normals[0].z, 0);
}

TEST(XFileMesh, RefusesCountsAndIndicesThatDoNotFitTheData) {
  const std::string head = "xof 0303txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"xof 0303txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }",
       "Mesh 'M': polygon 0 uses vertex 3 of 3"},
      {head + "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }", "2 faces for a mesh of 1"},
      {head + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }", "uses normal 1 of 1"},
      {head + "MeshNormals { 1; 0;0;1;; 1; 2;0,0;; } }", "has 2 normals for 3 corners"},
      {head + "MeshTextureCoords { 2; 0;0;, 1;1;; } }", "2 coordinates for 3 vertices"},
      {head + "MeshVertexColors { 1; 7; 1;1;1;1;;; } }", "colour for vertex 7 of 3"},
      {head + "MeshMaterialList { 1; 1; 2;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
       "material index 2 of 1"},
      {head + "MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
       "announces 2 materials but holds 1"},
      {head + "SkinWeights { \"B\"; 1; 5; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }",
       "weight for vertex 5 of 3"},
      {"xof 0303txt 0032\nAnimationSet { Animation { AnimationKey { 0; 1; 0;3;1,2,3;;; } } }",
       "key 0 has 3 values where its type has 4"},
      {"xof 0303txt 0032\nAnimationSet { Animation { AnimationKey { 3; 1; 0;3;1,2,3;;; } } }",
       "unknown key type 3"},
  };
  for (const Case& c : cases) {
    std::string error = "no error";
    try {
      LoadXModel(ReadText(c.text));
    } catch (const XFileError& thrown) {
      error = thrown.what();
    }
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\n  gave: " << error;
  }
}

TEST(XFileMesh, RefusesKeyCountsLargerThanTheirDataUnderAFileTemplate) {
  // The file's own key template has no per-key value count, so the reader cannot catch the lie;
  // the loader must.
  std::string text = R"(xof 0303txt 0032
template AnimationKey { <10dd46a8-775b-11cf-8f52-0040333594a3> DWORD keyType; DWORD nKeys; array FLOAT data[6]; }
AnimationSet { Animation { AnimationKey { 2; 1000; 1,2,3,4,5,6; } } }
)";
  try {
    LoadXModel(ReadText(text));
    FAIL() << "accepted";
  } catch (const XFileError& error) {
    EXPECT_NE(std::string(error.what()).find("key count 1000 is more than its data holds"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace d3dx
