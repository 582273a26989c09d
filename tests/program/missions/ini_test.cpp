#include "program/missions/ini.h"

#include <gtest/gtest.h>

namespace {

TEST(Conversions, RoundHalfToEvenAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(ToWhole("2.5"), 2);
  EXPECT_EQ(ToWhole("3.5"), 4);
  EXPECT_EQ(ToWhole("-2.5"), -2);
  EXPECT_EQ(ToWhole("12abc"), 12);
  EXPECT_EQ(ToWhole(""), 0);
  EXPECT_EQ(ToWhole("2147483647.4"), 2147483647);
  EXPECT_EQ(ToWhole("2147483647.5"), std::nullopt);
  EXPECT_EQ(ToWhole("-2147483648.5"), -2147483647 - 1);
  EXPECT_EQ(ToWhole("1E12"), std::nullopt);
  EXPECT_EQ(ToShort("32767"), 32767);
  EXPECT_EQ(ToShort("32768"), std::nullopt);
  EXPECT_EQ(ToShort("-32768"), -32768);
  EXPECT_TRUE(ToFlag("-1"));
  EXPECT_TRUE(ToFlag("0.5"));
  EXPECT_FALSE(ToFlag("no"));
}

TEST(Conversions, SinglesAreWrittenInTheRegionalFormAndReadBack) {
  const struct {
    float Value;
    const char* Point;
    const char* Comma;
  } cases[] = {
      {0.8f, "0.8", "0,8"},
      {1.0f, "1", "1"},
      {0.2f, "0.2", "0,2"},
      {-12.25f, "-12.25", "-12,25"},
      {1234567.0f, "1234567", "1234567"},
      {1.0e7f, "1E+07", "1E+07"},
      {0.0f, "0", "0"},
  };
  for (const auto& c : cases) {
    RegionalDecimalSeparator = '.';
    EXPECT_EQ(SingleText(c.Value), c.Point);
    RegionalDecimalSeparator = ',';
    EXPECT_EQ(SingleText(c.Value), c.Comma);
    EXPECT_EQ(ToNumber(SingleText(c.Value)), c.Value) << c.Comma;
  }
}

}  // namespace
