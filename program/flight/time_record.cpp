#include "program/flight/time_record.h"

#include <cstdlib>

#include "platform/win/numbers.h"

namespace {

constexpr int32_t SecondsPerMinute = 60;
constexpr int32_t MinutesPerHour = 60;
constexpr int32_t MaxHours = 999;

void SetDigits(TimeRecord& record) {
  std::string seconds = win::FormatNumber(record.Seconds, "00");
  std::string minutes = win::FormatNumber(record.Minutes, "00");
  std::string hours = win::FormatNumber(record.Hours, "000");
  record.SecondsOnes = seconds.back();
  record.SecondsTens = seconds.front();
  record.MinutesOnes = minutes.back();
  record.MinutesTens = minutes.front();
  record.HoursOnes = hours.back();
  record.HoursTens = hours[1];
  record.HoursHundreds = hours.front();
}

void SetSignFromTotal(TimeRecord& record) {
  record.Negative = record.TotalValue < 0;
  record.Sign = record.Negative ? "m" : "p";
}

// The record of hours, minutes and seconds (with fraction), its totals and its digits.
TimeRecord MakeTime(int32_t hours, int32_t minutes, double seconds) {
  TimeRecord result;
  result.Hours = hours;
  result.Minutes = minutes;
  result.SecondsValue = seconds;
  result.Seconds = win::RoundHalfEven(seconds);
  result.SecondsRounded = result.Seconds;
  result.TotalValue =
      (minutes + std::abs(hours) * static_cast<double>(MinutesPerHour)) * SecondsPerMinute +
      seconds;
  result.TotalSeconds = win::RoundHalfEven(result.TotalValue);
  SetDigits(result);
  return result;
}

}  // namespace

void SetTimeDigits(TimeRecord& record) {
  constexpr double SecondsPerHour = MinutesPerHour * SecondsPerMinute;
  record.TotalValue = record.Seconds + (std::abs(record.Hours) * SecondsPerHour +
                                        record.Minutes * double{SecondsPerMinute});
  record.SecondsValue = record.Seconds;
  record.TotalSeconds = win::RoundHalfEven(record.TotalValue);
  record.SecondsRounded = record.Seconds;
  SetDigits(record);
  SetSignFromTotal(record);
}

TimeRecord AddTimes(const TimeRecord& a, const TimeRecord& b) {
  double seconds = a.SecondsValue + b.SecondsValue;
  int32_t minutes = a.Minutes + b.Minutes;
  int32_t hours = a.Hours + b.Hours;
  if (seconds >= SecondsPerMinute) {
    seconds -= SecondsPerMinute;
    minutes += 1;
  }
  if (minutes >= MinutesPerHour) {
    minutes -= MinutesPerHour;
    hours += 1;
  }
  if (hours > MaxHours) hours = MaxHours;
  TimeRecord result = MakeTime(hours, minutes, seconds);
  SetSignFromTotal(result);
  return result;
}

TimeRecord SubtractTimes(const TimeRecord& a, const TimeRecord& b) {
  const bool aIsLater = b.TotalSeconds < a.TotalSeconds;
  const TimeRecord& later = aIsLater ? a : b;
  const TimeRecord& earlier = aIsLater ? b : a;
  double seconds = later.SecondsValue - earlier.SecondsValue;
  int32_t minutes = later.Minutes - earlier.Minutes;
  int32_t hours = later.Hours - earlier.Hours;
  if (seconds < 0) {
    minutes -= 1;
    seconds += SecondsPerMinute;
  }
  if (minutes < 0) {
    minutes += MinutesPerHour;
    hours -= 1;
  }
  TimeRecord result = MakeTime(aIsLater ? hours : -hours, minutes, seconds);
  result.Negative = aIsLater;
  result.Sign = aIsLater ? "m" : "p";
  return result;
}
