// The guidance computer's clock value: hours, minutes and seconds with the digit strings the
// cockpit clocks and the DSKY show. Replay files store the record whole, member by member in this
// order, so the members keep their order and widths.
#pragma once

#include <cstdint>
#include <string>

struct TimeRecord {
  // One-character digit strings; empty until the record's digits are first set.
  std::string HoursOnes;
  std::string HoursTens;
  std::string HoursHundreds;
  std::string Sign;  // "p" zero or positive, "m" negative
  std::string MinutesOnes;
  std::string MinutesTens;
  std::string SecondsOnes;
  std::string SecondsTens;
  std::string Hundredths;  // kept by the mission clock's frame update only
  std::string Tenths;      // kept by the mission clock's frame update only
  int32_t Hours = 0;       // 0 to 999; negative for a time still to come
  int32_t Minutes = 0;
  int32_t Seconds = 0;         // whole seconds
  int32_t Reserved = 0;        // unused; written with the record into replay files
  double SecondsValue = 0.0;   // seconds with their fraction
  int32_t SecondsRounded = 0;  // also the mission clock's previous whole seconds
  int32_t TotalSeconds = 0;    // TotalValue rounded
  double TotalValue = 0.0;     // the whole time in seconds
  bool Negative = false;
};

// Fills the record's seconds, totals, digits and sign from its Hours, Minutes and Seconds.
void SetTimeDigits(TimeRecord& record);
// a + b, with seconds carried at 60, minutes carried at 60 and hours capped at 999.
TimeRecord AddTimes(const TimeRecord& a, const TimeRecord& b);
// The distance between a and b, marked "m" (Negative) when a is the later time and "p" with
// negative hours when b is; the comparison uses the records' TotalSeconds.
TimeRecord SubtractTimes(const TimeRecord& a, const TimeRecord& b);
