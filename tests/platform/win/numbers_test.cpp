#include "platform/win/numbers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const struct {
    double x;
    int32_t expected;
  } cases[] = {{2.5, 2},
               {3.5, 4},
               {-2.5, -2},
               {-3.5, -4},
               {2.4999, 2},
               {2.6, 3},
               {-0.5, 0},
               {0.5, 0},
               {1.5, 2},
               {1e12, 2147483647},
               {-1e12, -2147483647 - 1},
               {2147483646.5, 2147483646}};
  for (const auto& c : cases) EXPECT_EQ(win::RoundHalfEven(c.x), c.expected) << c.x;
  EXPECT_EQ(win::RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {{"12abc", 12},  {"1,5", 1}, {" 1 2 ", 12}, {"-.5", -0.5}, {"+7", 7}, {"1.5E3", 1500},
               {"2d-2", 0.02}, {"1e", 1},  {"1E+", 1},    {"!5", 0},     {"", 0},   {".", 0},
               {"-", 0},       {"3.", 3},  {"1e999", 0},  {"\t-4\n", -4}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(win::LeadingNumber(c.text), c.expected) << c.text;
}

TEST(ParseDecimal, AcceptsEitherSeparator) {
  const struct {
    const char* text;
    float expected;
  } cases[] = {{"1,5", 1.5f},
               {"1.5", 1.5f},
               {",5", 0.5f},
               {".5", 0.5f},
               {"-.5", -0.5f},
               {"-0.5", -0.5f},
               {"-12.25", -12.25f},
               {"1.5E-3", 0.0015f},
               {"1E3", 1000.0f},
               {"7", 7.0f},
               {"", 0.0f},
               {"1.2.3", 0.0f},
               {"1..5", 1.5f},
               {"1.50", 1.5f},
               {"2.05", 2.05f},
               {"1.234.5", 0.0f},
               {"1,5E3", 1500.0f},
               {"12abc", 12.0f},
               {"5.", 5.0f},
               // A lower-case exponent and text after the fraction read as written.
               {"1.5e-3", 0.0015f},
               {"12.5 ft", 12.5f},
               {"-2,25e2", -225.0f},
               {"1.5E99", 0.0f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(win::ParseDecimal(c.text), c.expected) << c.text;
}

TEST(FiniteNumbers, TellNumbersThatAreNotFinite) {
  const struct {
    const char* text;
    bool finiteDouble;
    bool finiteFloat;
  } cases[] = {{"1E400", false, false},    {"-1e400", false, false},
               {"1E39", true, false},      {"1E308", true, false},
               {" inf", false, false},     {"-Infinity", false, false},
               {"NaN", false, false},      {"1,5E400", true, false},
               {"1E-400", true, true},     {"0.0E999", true, true},
               {"12 ft", true, true},      {"info", false, false},
               {"abc", true, true},        {"", true, true},
               {"0x7fffffff", true, true}, {"1.5e99999999999999999999", false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(win::LeadingFiniteNumber(c.text).has_value(), c.finiteDouble) << c.text;
    EXPECT_EQ(win::ParseFiniteDecimal(c.text).has_value(), c.finiteFloat) << c.text;
  }
  EXPECT_EQ(win::LeadingFiniteNumber("1E-400"), 0.0);
  EXPECT_EQ(win::LeadingNumber("1E400"), 0.0) << "the plain reader keeps its 0";
}

TEST(FormatNumber, FollowsThePlaceholders) {
  const struct {
    double value;
    const char* pattern;
    const char* expected;
  } cases[] = {{0.25, ".00", ".25"},
               {-0.25, ".00", "-.25"},
               {0.996, ".00", "1.00"},
               {7, "00", "07"},
               {123, "00", "123"},
               {42, "0000", "0042"},
               {0, "#####", ""},
               {1234.4, "#####", "1234"},
               {0, "###0", "0"},
               {-12.34, "###.0", "-12.3"},
               {0.25, "###.0", ".3"},
               {0.285, ".00", ".29"},
               {2.5, "##", "3"},
               {-0.001, ".00", ".00"},
               {99.95, "###.0", "100.0"},
               {5, "#.##", "5."},
               {5.1, "0.0#", "5.1"},
               {5.123, "0.0#", "5.12"},
               {1e20, "0", "100000000000000000000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(win::FormatNumber(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
  }
}

TEST(FormatNumber, RefusesUnknownPlaceholders) {
  EXPECT_THROW(win::FormatNumber(1, "0.0.0"), std::invalid_argument);
  EXPECT_THROW(win::FormatNumber(1, "#,##0"), std::invalid_argument);
}

}  // namespace
