// Conversions between numbers and the texts the program reads from and shows to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace win {

// The nearest 32-bit integer to x, a half going to the even neighbour (2.5 gives 2, 3.5 gives 4).
// Values beyond the 32-bit range give its nearest end; NaN gives 0.
int32_t RoundHalfEven(double x);

// The number at the start of text: an optional sign, digits, an optional "." and digits, an
// optional exponent ("E" or "D" in either case, an optional sign, digits). Blanks, tabs and line
// breaks are skipped wherever they stand; reading stops at the first other character. 0 when no
// digit was read or when the number lies beyond the range of a double. Only "." is a decimal point
// ("1,5" gives 1).
double LeadingNumber(std::string_view text);
// The same, but nothing for a number that is not finite: beyond the range of a double ("1E400"),
// or named "inf", "infinity" or "nan" (either case, after an optional sign). A number too small
// for a double is 0.
std::optional<double> LeadingFiniteNumber(std::string_view text);

// A decimal number written with "." or "," as its separator, so that files written under any
// regional setting read alike: "1,5" and "1.5" give 1.5, ".5" and ",5" give 0.5, "1.5E-3" and
// "1,5e-3" give 0.0015. The fraction is the run of digits after the separator, so trailing text
// such as a unit ("12.5 ft") is ignored. Separators side by side count as one ("1..5" gives 1.5);
// a text cut into three or more parts by separators ("1.2.3") gives 0, as does a result beyond
// the range of a float.
float ParseDecimal(std::string_view text);
// The same, but nothing for a number beyond the range of a float, or one that LeadingFiniteNumber
// finds not finite.
std::optional<float> ParseFiniteDecimal(std::string_view text);

// value as text by a pattern of placeholders: "0" a digit that is always shown, "#" a digit shown
// only when significant, "." the decimal point. The value is rounded to the pattern's decimals,
// halves away from zero; integer digits beyond the pattern's are all shown ("00" of 123 is "123");
// a zero integer part with no "0" before the point is left out ("#.0" of 0.25 is ".3", "##" of 0
// is ""). A negative value that rounds to zero shows no sign. Any other character in the pattern
// throws std::invalid_argument.
std::string FormatNumber(double value, std::string_view pattern);

}  // namespace win
