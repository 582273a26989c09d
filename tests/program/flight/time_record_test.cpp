#include "program/flight/time_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TimeRecord Time(int32_t hours, int32_t minutes, int32_t seconds) {
  TimeRecord record;
  record.Hours = hours;
  record.Minutes = minutes;
  record.Seconds = seconds;
  SetTimeDigits(record);
  return record;
}

// The record as the clocks show it: sign, hours, minutes and seconds digits.
std::string Shown(const TimeRecord& t) {
  return t.Sign + " " + t.HoursHundreds + t.HoursTens + t.HoursOnes + ":" + t.MinutesTens +
         t.MinutesOnes + ":" + t.SecondsTens + t.SecondsOnes;
}

TEST(SetTimeDigits, FillsDigitsAndTotals) {
  TimeRecord t = Time(102, 45, 7);
  EXPECT_EQ(Shown(t), "p 102:45:07");
  EXPECT_EQ(t.TotalValue, 102 * 3600 + 45 * 60 + 7);
  EXPECT_EQ(t.TotalSeconds, 102 * 3600 + 45 * 60 + 7);
  EXPECT_EQ(t.SecondsValue, 7.0);
  EXPECT_EQ(t.SecondsRounded, 7);
  EXPECT_FALSE(t.Negative);

  TimeRecord negative = Time(-2, 0, 0);
  EXPECT_EQ(negative.TotalValue, 7200) << "the hours count by their size";
  EXPECT_EQ(Shown(negative), "p -02:00:00") << "the hours text of a negative value begins with -";

  TimeRecord belowZero = Time(0, -1, 30);
  EXPECT_EQ(belowZero.Sign, "m");
  EXPECT_TRUE(belowZero.Negative);
}

TEST(AddTimes, CarriesSecondsAndMinutesAndCapsHours) {
  const struct {
    TimeRecord a, b;
    const char* expected;
    int32_t total;
  } cases[] = {
      {Time(0, 59, 30), Time(0, 0, 45), "p 001:00:15", 3615},
      {Time(0, 30, 0), Time(0, 30, 0), "p 001:00:00", 3600},
      {Time(998, 0, 0), Time(5, 0, 0), "p 999:00:00", 999 * 3600},
      {Time(1, 20, 10), Time(2, 30, 40), "p 003:50:50", 3 * 3600 + 50 * 60 + 50},
  };
  for (const auto& c : cases) {
    TimeRecord sum = AddTimes(c.a, c.b);
    EXPECT_EQ(Shown(sum), c.expected);
    EXPECT_EQ(sum.TotalSeconds, c.total) << c.expected;
  }
}

TEST(AddTimes, KeepsTheFractionOfSeconds) {
  TimeRecord a = Time(0, 0, 0);
  a.SecondsValue = 59.75;
  TimeRecord sum = AddTimes(a, Time(0, 0, 1));
  EXPECT_DOUBLE_EQ(sum.SecondsValue, 0.75);
  EXPECT_EQ(sum.Seconds, 1);
  EXPECT_EQ(Shown(sum), "p 000:01:01");
}

TEST(SubtractTimes, SignTellsWhichTimeIsLater) {
  const struct {
    TimeRecord a, b;
    const char* expected;
    int32_t hours;
    bool negative;
  } cases[] = {
      {Time(1, 0, 0), Time(0, 59, 59), "m 000:00:01", 0, true},
      {Time(0, 59, 59), Time(1, 0, 0), "p 000:00:01", 0, false},
      {Time(0, 0, 0), Time(2, 0, 0), "p -02:00:00", -2, false},
      {Time(5, 10, 20), Time(5, 10, 20), "p 000:00:00", 0, false},
  };
  for (const auto& c : cases) {
    TimeRecord difference = SubtractTimes(c.a, c.b);
    EXPECT_EQ(Shown(difference), c.expected);
    EXPECT_EQ(difference.Hours, c.hours) << c.expected;
    EXPECT_EQ(difference.Negative, c.negative) << c.expected;
  }
  EXPECT_EQ(SubtractTimes(Time(0, 0, 0), Time(2, 0, 0)).TotalValue, 7200);
}

}  // namespace
