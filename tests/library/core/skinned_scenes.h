// Skinned scenes as X text, written by the tests.
#pragma once

#include <string>

namespace xtest {

inline constexpr const char* kIdentity = "1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;";

// A leg of two bones: the hip at the root, the knee 2 above it, moved up to 4 over 100 ticks by
// the set "Bend". Vertices 0 and 1 follow the hip, 2 and 3 the knee.
inline std::string Leg() {
  return std::string("xof 0303txt 0032\n") + "Frame Root {\n FrameTransformMatrix { " + kIdentity +
         " }\n" +
         " Frame Hip {\n  Frame Knee { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,2,0,1;; "
         "} }\n }\n" +
         " Mesh Leg {\n  4; -1;0;0;, 1;0;0;, -1;2;0;, 1;2;0;;\n  2; 3;0,2,1;, 3;1,2,3;;\n" +
         "  MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }\n" +
         "  MeshMaterialList { 1; 2; 0, 0;; Material { 1;0;0;1;; 8; 1;1;1;; 0;0;0;; } }\n" +
         "  XSkinMeshHeader { 2; 2; 2; }\n" + "  SkinWeights { \"Hip\"; 2; 0, 1; 1, 1; " +
         kIdentity + " }\n" +
         "  SkinWeights { \"Knee\"; 2; 2, 3; 1, 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-2,0,1;; }\n" +
         " }\n}\n" +
         "AnimationSet Bend {\n Animation { { Knee } AnimationKey { 2; 2; 0;3;0,2,0;;, "
         "100;3;0,4,0;;; } }\n}\n" +
         "AnimationSet Still { }\n";
}

// A triangle whose corners follow five bones, more than a vertex can blend.
inline std::string FiveBones() {
  std::string text = "xof 0303txt 0032\nFrame Root {\n";
  for (int b = 0; b < 5; ++b) text += " Frame B" + std::to_string(b) + " { }\n";
  text += " Mesh Fan { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
  for (int b = 0; b < 5; ++b)
    text += "  SkinWeights { \"B" + std::to_string(b) + "\"; 1; " + std::to_string(b % 3) +
            "; 0.2; " + kIdentity + " }\n";
  return text + " }\n}\n";
}

}  // namespace xtest
