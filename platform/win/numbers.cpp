#include "platform/win/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace win {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Parses a plain decimal such as "-12.5e3" (no "+", no blanks); 0 when out of range.
double ParseCanonical(const std::string& text) {
  double value = 0.0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return (error == std::errc() && end == text.data() + text.size()) ? value : 0.0;
}

float ToFloatOrZero(double value) {
  return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max()
             ? static_cast<float>(value)
             : 0.0f;
}

}  // namespace

int32_t RoundHalfEven(double x) {
  if (std::isnan(x)) return 0;
  double rounded = std::round(x);
  if (std::fabs(x - std::trunc(x)) == 0.5) rounded = 2.0 * std::round(x / 2.0);
  constexpr double Lowest = std::numeric_limits<int32_t>::min();
  constexpr double Highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(rounded, Lowest, Highest));
}

double LeadingNumber(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (!IsSkipped(c)) compact.push_back(c);
  }
  size_t i = 0;
  std::string canonical;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
    if (compact[i] == '-') canonical.push_back('-');
    ++i;
  }
  size_t digits = 0;
  for (; i < compact.size() && IsDigit(compact[i]); ++i, ++digits) canonical.push_back(compact[i]);
  if (i < compact.size() && compact[i] == '.') {
    canonical.push_back('.');
    for (++i; i < compact.size() && IsDigit(compact[i]); ++i, ++digits)
      canonical.push_back(compact[i]);
  }
  if (digits == 0) return 0.0;
  if (i < compact.size() && std::string_view("EeDd").find(compact[i]) != std::string_view::npos) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) {
      if (compact[j] == '-') exponent.push_back('-');
      ++j;
    }
    size_t exponentDigits = 0;
    for (; j < compact.size() && IsDigit(compact[j]); ++j, ++exponentDigits)
      exponent.push_back(compact[j]);
    if (exponentDigits > 0) canonical += exponent;
  }
  return ParseCanonical(canonical);
}

float ParseDecimal(std::string_view text) {
  auto isSeparator = [](char c) { return c == '.' || c == ','; };
  std::string_view whole;
  std::string_view fraction;
  if (!text.empty() && isSeparator(text.front())) {
    whole = "0";
    fraction = text.substr(1);
  } else {
    // Parts are the runs between separators; empty runs (doubled or trailing separators) drop out.
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start < text.size() && parts.size() < 3) {
      size_t end = std::find_if(text.begin() + start, text.end(), isSeparator) - text.begin();
      if (end > start) parts.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    if (parts.size() == 1) return ToFloatOrZero(LeadingNumber(parts[0]));
    if (parts.size() != 2) return 0.0f;
    whole = parts[0];
    fraction = parts[1];
  }
  size_t digitCount =
      std::find_if_not(fraction.begin(), fraction.end(), IsDigit) - fraction.begin();
  float w = ToFloatOrZero(LeadingNumber(whole));
  float f = digitCount == 0
                ? 0.0f
                : ToFloatOrZero(ParseCanonical("0." + std::string(fraction.substr(0, digitCount))));
  bool negative = whole.starts_with('-') || w < 0.0f;
  float magnitude = negative ? w - f : w + f;
  std::string_view rest = fraction.substr(digitCount);
  if (!rest.empty() && (rest.front() == 'E' || rest.front() == 'e')) {
    return ToFloatOrZero(std::pow(10.0, LeadingNumber(rest.substr(1))) * magnitude);
  }
  return magnitude;
}

std::string FormatNumber(double value, std::string_view pattern) {
  size_t point = pattern.find('.');
  std::string_view integerPattern = pattern.substr(0, point);
  std::string_view decimalPattern =
      point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
  if (pattern.find_first_not_of("0#.") != std::string_view::npos ||
      decimalPattern.find('.') != std::string_view::npos) {
    throw std::invalid_argument("number pattern may hold only 0, # and one point: " +
                                std::string(pattern));
  }
  size_t firstZero = integerPattern.find('0');
  size_t minIntegerDigits =
      firstZero == std::string_view::npos ? 0 : integerPattern.size() - firstZero;
  size_t lastZero = decimalPattern.rfind('0');
  size_t minDecimals = lastZero == std::string_view::npos ? 0 : lastZero + 1;
  size_t decimals = decimalPattern.size();
  if (!std::isfinite(value)) return std::to_string(value);

  // Round the value as the 15 significant digits it is shown with, so that 0.285 rounds like the
  // decimal it stands for, not like its slightly smaller binary neighbour.
  char scientific[40];
  std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(value));
  std::string digits{scientific[0]};
  digits.append(scientific + 2, 14);
  int exponent = std::atoi(scientific + 17);
  // digits[k] has the place value 10^(exponent - k); keep places down to 10^-decimals.
  long keep = static_cast<long>(exponent) + 1 + static_cast<long>(decimals);
  std::string kept;  // the kept digits, most significant first, as an integer scaled by 10^decimals
  if (keep > 0) {
    kept = digits.substr(0, std::min<size_t>(keep, digits.size()));
    kept.resize(static_cast<size_t>(keep), '0');
  }
  bool roundUp = keep >= 0 && static_cast<size_t>(keep) < digits.size() && digits[keep] >= '5';
  if (roundUp) {
    size_t k = kept.size();
    while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
    if (k == 0) {
      kept.insert(kept.begin(), '1');
    } else {
      ++kept[k - 1];
    }
  }
  if (kept.size() < decimals + 1) kept.insert(0, decimals + 1 - kept.size(), '0');
  std::string integerDigits = kept.substr(0, kept.size() - decimals);
  std::string decimalDigits = kept.substr(kept.size() - decimals);
  integerDigits.erase(0, std::min(integerDigits.find_first_not_of('0'), integerDigits.size()));
  if (integerDigits.size() < minIntegerDigits)
    integerDigits.insert(0, minIntegerDigits - integerDigits.size(), '0');
  bool isZero = kept.find_first_not_of('0') == std::string::npos;
  while (decimalDigits.size() > minDecimals && decimalDigits.back() == '0')
    decimalDigits.pop_back();

  std::string text = (value < 0 && !isZero) ? "-" : "";
  text += integerDigits;
  if (point != std::string_view::npos) text += "." + decimalDigits;
  return text;
}

}  // namespace win
