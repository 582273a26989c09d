#include "program/startup/native_strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(NativeString, IdsWithoutTextGiveTheUnknownTextAndTheId) {
  const std::string unknown = "GetS: Unknown String ID ";
  for (int32_t id : {0, 325, -1, 250, 264}) {
    EXPECT_EQ(NativeString(id, unknown), unknown + std::to_string(id)) << id;
  }
}

TEST(NativeString, KeepsTheProgramsOwnSpellingAndBlanks) {
  const struct {
    int32_t id;
    const char* text;
  } cases[] = {
      {1, "Full ScreenMode Selected"},
      {33, "Show Orginal Site"},
      {148, "Pitch ModeA uto"},
      {218, "Quick kSave"},
      {258, "Your current screen color depth is: "},
      {322, " not found. Using default background music."},
      {323, "Export application strings to Language Database %s{\\r}{\\r}Are you sure?"},
      {324, "Open a Language Database"},
  };
  for (const auto& c : cases) EXPECT_EQ(NativeString(c.id, "?"), c.text) << c.id;
  for (int32_t id : {48, 248, 249}) EXPECT_EQ(NativeString(id, "?"), "") << id;
}

TEST(UiTextFillOrder, FetchesEveryInterfaceTextOnceInEntryOrder) {
  const auto order = UiTextFillOrder();
  const std::set<int16_t> distinct(order.begin(), order.end());
  ASSERT_EQ(order.size(), 312u);
  EXPECT_EQ(distinct.size(), order.size());
  EXPECT_FALSE(distinct.contains(323));
  EXPECT_FALSE(distinct.contains(324));
  for (int16_t id : order) EXPECT_TRUE(HasNativeString(id)) << id;

  const auto position = [&](int16_t id) {
    return std::find(order.begin(), order.end(), id) - order.begin();
  };
  // Entry 28 holds id 270, ahead of the help texts; ids 37 and 266 are fetched out of place.
  EXPECT_EQ(position(270), 27);
  EXPECT_EQ(position(37), position(36) + 1);
  EXPECT_EQ(position(38), position(37) + 1);
  EXPECT_EQ(position(266), position(269) + 1);
  EXPECT_EQ(order.back(), 322);
}
