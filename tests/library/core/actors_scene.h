// The three kinds of actor side by side, for the pixel test and the window demo: a keyframe quad
// (placed at x -16, scale 1.5), a studio arm of two bones (x -2, scale 3) and a skinned leg
// (x 11, scale 3), each at one of two poses.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/md2_bytes.h"
#include "tests/library/core/mdl_bytes.h"
#include "tests/library/core/skinned_scenes.h"

namespace actorstest {

struct Pose {
  float md2Frame;  // blends frame 0 toward frame 1: the quad moves along x by this much
  float mdlFrame;  // of the arm's "turn" sequence
  float legTicks;  // of the leg's "Bend" set: the knee rises from 2 to 3 by 50
};
inline constexpr Pose kPoses[2] = {{0.0f, 0.0f, 0.0f}, {0.5f, 1.5f, 50.0f}};

struct ActorsScene {
  int32_t md2 = -1;
  int32_t mdl = -1;
  int32_t skinned = -1;

  // Writes the three models into folder and places their entities, still.
  void Build(const std::filesystem::path& folder) {
    // Frame f puts the quad at x f .. 4 + f, y 1 .. 5, z 3.
    md2test::Md2Contents quad;
    quad.packed = {{0, 0, 2}, {4, 0, 2}, {4, 8, 2}, {0, 8, 2}};
    md2 = Place(Write(folder / "walker.md2", md2test::Md2File(quad)), -16, 1.5f);
    mdl = Place(Write(folder / "arm.mdl", mdltest::ModelFile(mdltest::TwoBones())), -2, 3);
    const std::string leg = xtest::Leg();
    skinned = Place(Write(folder / "leg.x", {leg.begin(), leg.end()}), 11, 3);
  }

  void Show(const Pose& pose) const {
    Entity_SetKeyFrame(md2, pose.md2Frame);
    Entity_SetKeyFrame(mdl, pose.mdlFrame);
    VortanaUtils_MDLUpdate(mdl, 0);
    MDLSystem_ComputeBoundingVolumes(mdl);
    Entity_SetKeyFrame(skinned, pose.legTicks);
  }

 private:
  static std::string Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  static int32_t Place(const std::string& path, float x, float scale) {
    const int32_t e = Scene_CreateEntity(path.c_str(), "actor", 0);
    Entity_SetRotationAxis(e, 1);
    Entity_SetScale(e, scale, scale, scale);
    Entity_SetPosition(e, x, 0, 0);
    Entity_SetSpeed(e, 0);
    Entity_ForceMatrixUpdate(e);
    return e;
  }
};

}  // namespace actorstest
