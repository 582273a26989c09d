#include "platform/win/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

namespace win {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Parses a plain decimal such as "-12.5e3" (no "+", no blanks). A number too small for a double
// is 0; one too large is nothing.
std::optional<double> ParseCanonical(const std::string& text) {
  double value = 0.0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc() && end == text.data() + text.size()) return value;
  if (error != std::errc::result_out_of_range) return 0.0;
  // Out of range either way: the place of the first significant digit tells which.
  const size_t mark = std::min(text.find('e'), text.size());
  std::string_view mantissa = std::string_view(text).substr(0, mark);
  if (mantissa.starts_with('-')) mantissa.remove_prefix(1);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return 0.0;
  long long exponent = 0;
  if (mark < text.size()) {
    const char* begin = text.data() + mark + 1;
    if (std::from_chars(begin, text.data() + text.size(), exponent).ec != std::errc())
      exponent = *begin == '-' ? std::numeric_limits<long long>::min() / 2
                               : std::numeric_limits<long long>::max() / 2;
  }
  const long long order = first < point ? static_cast<long long>(point - first)
                                        : -static_cast<long long>(first - point - 1);
  if (order + exponent > 0) return std::nullopt;
  return 0.0;
}

std::optional<float> ToFiniteFloat(std::optional<double> value) {
  if (!value || !std::isfinite(*value) || std::fabs(*value) > std::numeric_limits<float>::max())
    return std::nullopt;
  return static_cast<float>(*value);
}

// "inf", "infinity" and "nan" after an optional sign: what C's readers take for a number that is
// not finite.
bool NamesNonFinite(std::string_view text) {
  while (!text.empty() && IsSkipped(text.front())) text.remove_prefix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  const auto startsWith = [&](std::string_view word) {
    return text.size() >= word.size() && std::equal(word.begin(), word.end(), text.begin(),
                                                    [](char w, char c) { return w == (c | 0x20); });
  };
  return startsWith("inf") || startsWith("nan");
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

double LeadingNumber(std::string_view text) { return LeadingFiniteNumber(text).value_or(0.0); }

std::optional<double> LeadingFiniteNumber(std::string_view text) {
  if (NamesNonFinite(text)) return std::nullopt;
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

float ParseDecimal(std::string_view text) { return ParseFiniteDecimal(text).value_or(0.0f); }

std::optional<float> ParseFiniteDecimal(std::string_view text) {
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
    if (parts.size() == 1) return ToFiniteFloat(LeadingFiniteNumber(parts[0]));
    if (parts.size() != 2) return 0.0f;
    whole = parts[0];
    fraction = parts[1];
  }
  size_t digitCount =
      std::find_if_not(fraction.begin(), fraction.end(), IsDigit) - fraction.begin();
  std::optional<float> wholePart = ToFiniteFloat(LeadingFiniteNumber(whole));
  if (!wholePart) return std::nullopt;
  const float w = *wholePart;
  const float f =
      digitCount == 0
          ? 0.0f
          : ToFiniteFloat(ParseCanonical("0." + std::string(fraction.substr(0, digitCount))))
                .value_or(0.0f);
  bool negative = whole.starts_with('-') || w < 0.0f;
  float magnitude = negative ? w - f : w + f;
  std::string_view rest = fraction.substr(digitCount);
  if (!rest.empty() && (rest.front() == 'E' || rest.front() == 'e')) {
    std::optional<double> exponent = LeadingFiniteNumber(rest.substr(1));
    if (!exponent) return std::nullopt;
    if (magnitude == 0.0f) return 0.0f;
    return ToFiniteFloat(std::pow(10.0, *exponent) * magnitude);
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
