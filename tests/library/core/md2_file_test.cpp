// The MD2 decoder: corners, decoded frames with their boxes, animations from frame names, and the
// refusal of every count, offset and index that does not hold.
#include <gtest/gtest.h>

#include <cmath>

#include "library/core/actors/md2_file.h"
#include "tests/library/core/md2_bytes.h"

namespace {

using md2test::Md2Contents;
using md2test::Md2File;

TEST(Md2File, DecodesCornersFramesAndBoxes) {
  Md2Decoded decoded = DecodeMd2(Md2File());
  ASSERT_TRUE(decoded.model) << decoded.reason;
  const Md2Model& model = *decoded.model;
  EXPECT_EQ(model.skin, "models/skin.bmp");
  EXPECT_EQ(model.triangleCount, 2);
  ASSERT_EQ(model.corners.size(), 6u);
  EXPECT_FLOAT_EQ(model.corners[2].u, 0.5f);
  EXPECT_FLOAT_EQ(model.corners[2].v, 0.5f);
  EXPECT_EQ(model.corners[5].vertex, 3);
  ASSERT_EQ(model.frames.size(), 3u);
  const Md2Frame& frame = model.frames[1];
  // Corner 5 is vertex 3 in frame 1: (3 + 1, 2 x 3 + 2, 3).
  EXPECT_FLOAT_EQ(frame.positions[15], 4.0f);
  EXPECT_FLOAT_EQ(frame.positions[16], 8.0f);
  EXPECT_FLOAT_EQ(frame.positions[17], 3.0f);
  EXPECT_FLOAT_EQ(frame.boxMin[0], 1.0f);
  EXPECT_FLOAT_EQ(frame.boxMax[0], 4.0f);
  EXPECT_FLOAT_EQ(frame.boxMin[1], 2.0f);
  EXPECT_FLOAT_EQ(frame.boxMax[1], 8.0f);
  EXPECT_FLOAT_EQ(frame.centre[1], 5.0f);
  EXPECT_FLOAT_EQ(frame.radius, std::sqrt(1.5f * 1.5f + 3.0f * 3.0f));
}

TEST(Md2File, AnimationsAreTheRunsOfEachName) {
  struct Case {
    std::vector<std::string> names;
    std::vector<Md2Animation> animations;
  };
  const std::vector<Case> cases = {
      {{"stand01", "stand02", "stand03", "run1", "run2", "run3"}, {{"stand", 0, 2}, {"run", 3, 5}}},
      {{"pose"}, {{"pose", 0, 0}}},
      {{"a1", "b1", "a2"}, {{"a", 0, 0}, {"b", 1, 1}, {"a", 2, 2}}},
      {{"123", "45"}, {{"", 0, 1}}},
  };
  for (const Case& c : cases) {
    Md2Contents contents;
    contents.frameNames = c.names;
    Md2Decoded decoded = DecodeMd2(Md2File(contents));
    ASSERT_TRUE(decoded.model) << decoded.reason;
    const auto& animations = decoded.model->animations;
    ASSERT_EQ(animations.size(), c.animations.size()) << c.names.front();
    for (size_t i = 0; i < animations.size(); ++i) {
      EXPECT_EQ(animations[i].name, c.animations[i].name);
      EXPECT_EQ(animations[i].first, c.animations[i].first);
      EXPECT_EQ(animations[i].last, c.animations[i].last);
    }
  }
}

TEST(Md2File, RefusesWhatDoesNotHold) {
  using namespace md2test;
  struct Case {
    const char* name;
    int word;  // -1: the file is spoilt by its Md2Contents alone
    int32_t value;
    Md2Contents contents;
  };
  Md2Contents badVertex;
  badVertex.triangles[7] = 4;
  Md2Contents badTexCoord;
  badTexCoord.triangles[10] = 9;
  Md2Contents longFrameName;
  longFrameName.frameNames = {"sixteen_letters_"};
  Md2Contents longSkin;
  longSkin.skin = std::string(64, 's');
  Md2Contents noFrames;
  noFrames.frameNames.clear();
  const std::vector<Case> cases = {
      {"skin width 0", kSkinWidth, 0, {}},
      {"triangle count 0", kTriangleCount, 0, {}},
      {"negative triangle count", kTriangleCount, -1, {}},
      {"triangles past the end", kTriangleCount, 1 << 28, {}},
      {"triangle offset past the end", kTriangleOffset, 1 << 30, {}},
      {"negative frame offset", kFrameOffset, -4, {}},
      {"frame size below its vertices", kFrameSize, 40, {}},
      {"more frames than the file holds", kFrameCount, 4, {}},
      {"vertex count 0", kVertexCount, 0, {}},
      {"skins past the end", kSkinCount, 1 << 26, {}},
      {"texture coordinates past the end", kTexCoordCount, 1 << 29, {}},
      {"vertex index out of range", -1, 0, badVertex},
      {"texture coordinate index out of range", -1, 0, badTexCoord},
      {"unterminated frame name", -1, 0, longFrameName},
      {"unterminated skin", -1, 0, longSkin},
      {"no frames", -1, 0, noFrames},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> file = Md2File(c.contents);
    if (c.word >= 0) SetWord(file, c.word, c.value);
    Md2Decoded decoded = DecodeMd2(file);
    EXPECT_FALSE(decoded.model);
    EXPECT_EQ(decoded.refusal, Md2Refusal::Damaged);
    EXPECT_FALSE(decoded.reason.empty());
  }
  std::vector<uint8_t> file = Md2File();
  file[3] = '3';
  EXPECT_EQ(DecodeMd2(file).refusal, Md2Refusal::BadIdent);
  EXPECT_EQ(DecodeMd2(std::span<const uint8_t>(Md2File()).first(40)).refusal, Md2Refusal::BadIdent)
      << "a header cut short is no MD2 file";
}

}  // namespace
