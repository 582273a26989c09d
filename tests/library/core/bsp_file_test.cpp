// The BSP reader's parts that no export shows: the entity records, the run-length visibility set
// and the leaf search.
#include <gtest/gtest.h>

#include "library/core/levels/bsp_file.h"
#include "tests/library/core/bsp_writer.h"

namespace {

TEST(BspEntities, KeysAreMatchedWithoutCaseAndLongTextsAreCut) {
  const std::string longValue(300, 'v');
  const auto entities = ParseBspEntities(
      "{\n\"classname\" \"light\"\n\"ORIGIN\" \"1 2.5 -3\"\n\"_light\" \"255 128 0 200\"\n}\n"
      "{ \"ClassName\" \"info_player_start\" \"angle\" \"90\" \"Angle\" \"45\" \"color\" \"4 5\" "
      "\"" +
      std::string(80, 'k') + "\" \"" + longValue +
      "\" }\n"
      "{ \"classname\" \"broken\" \"key\" \"open");
  ASSERT_EQ(entities.size(), 3u);
  EXPECT_EQ(entities[0].className, "light");
  EXPECT_EQ(std::vector<float>(entities[0].origin, entities[0].origin + 3),
            (std::vector<float>{1, 2.5f, -3}));
  EXPECT_EQ(std::vector<float>(entities[0].light, entities[0].light + 4),
            (std::vector<float>{255, 128, 0, 200}));
  EXPECT_EQ(entities[0].pairs.size(), 3u);
  // Only the exact key "angle" turns; "color" shares the origin and writes what it holds.
  EXPECT_EQ(entities[1].className, "info_player_start");
  EXPECT_FLOAT_EQ(entities[1].angles[1], 90 * 0.017453292f);
  EXPECT_EQ(std::vector<float>(entities[1].origin, entities[1].origin + 3),
            (std::vector<float>{4, 5, 0}));
  ASSERT_EQ(entities[1].pairs.size(), 5u);
  EXPECT_EQ(entities[1].pairs[4].first.size(), kBspEntityKeyLength);
  EXPECT_EQ(entities[1].pairs[4].second.size(), kBspEntityValueLength);
  // The quote left open ends the text after the last whole pair.
  EXPECT_EQ(entities[2].className, "broken");
  EXPECT_EQ(entities[2].pairs.size(), 1u);
  // A terminator inside the lump ends the text.
  EXPECT_EQ(ParseBspEntities(std::string("{}\0{}", 5)).size(), 1u);
}

TEST(BspVisibility, RunsMarkLeavesFromOneAndZerosSkipGroupsOfEight) {
  // Leaves 1 and 3, then 8 x 2 leaves skipped, then leaf 25 (bit 0 of the byte for 25..32).
  const std::vector<uint8_t> set = {0xAA, 0x05, 0x00, 0x02, 0x01};
  std::vector<uint8_t> visible(30, 0);
  DecodeBspVisibility(set, 1, visible);
  std::vector<size_t> marked;
  for (size_t leaf = 0; leaf < visible.size(); ++leaf) {
    if (visible[leaf] != 0) marked.push_back(leaf);
  }
  EXPECT_EQ(marked, (std::vector<size_t>{1, 3, 25}));
  // Leaves past the count are never marked; -1 marks them all.
  std::vector<uint8_t> few(3, 0);
  DecodeBspVisibility(set, 0, few);
  EXPECT_EQ(few, (std::vector<uint8_t>{0, 0, 1}));
  DecodeBspVisibility(set, kBspNoVisibility, few);
  EXPECT_EQ(few, (std::vector<uint8_t>{1, 1, 1}));
  // A skip count cut off by the lump's end stops the walk.
  std::vector<uint8_t> none(30, 0);
  DecodeBspVisibility(std::vector<uint8_t>{0x00}, 0, none);
  EXPECT_EQ(none, std::vector<uint8_t>(30, 0));
}

TEST(BspLeaves, TheSearchFollowsThePlanesOfTheFileAndEndsOnALoop) {
  const BspReadResult read = ReadBspFile(bsp_test::Write(bsp_test::TwoRooms()));
  ASSERT_TRUE(read.image);
  const BspImage& image = *read.image;
  // The plane x = 192 of the file: level points keep x negated.
  EXPECT_EQ(FindBspLeaf(image, 0, {{-64, 64, 64}}), 1);
  EXPECT_EQ(FindBspLeaf(image, 0, {{-320, 64, 64}}), 2);
  EXPECT_EQ(FindBspLeaf(image, 0, {{-192, 0, 0}}), 2);  // on the plane: the front
  EXPECT_EQ(FindBspLeaf(image, -2, {{-64, 64, 64}}), 1);
  // A node whose child is itself never ends in a leaf.
  BspImage loop = image;
  loop.nodes[0].front = 0;
  loop.nodes[0].back = 0;
  EXPECT_EQ(FindBspLeaf(loop, 0, {{-64, 64, 64}}), 0);
  // Leaves keep their box centre with x negated and the distance to its minimum.
  EXPECT_FLOAT_EQ(image.leaves[2].centre.x, -320);
  EXPECT_FLOAT_EQ(image.leaves[2].radius, std::sqrt(3.0f) * 64);
}

}  // namespace
