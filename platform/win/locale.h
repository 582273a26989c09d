// The user's regional settings: the system's default locale, as the numeric locale identifier the
// program's language list stores, and the decimal separator numbers are written with.
#pragma once

#include <cstdint>

namespace win {

// The identifier of the locale named by LC_ALL, else LANG ("de_DE.UTF-8" gives 1031, "fr_CA" gives
// 3084, a bare "es" gives 3082; "C" and "POSIX" count as U.S. English, 1033). 0 when neither names
// a locale this table knows.
int32_t SystemLocaleId();

// The decimal separator of the environment's locale (LC_ALL, else LC_NUMERIC, else LANG); "." for
// a locale this system does not have installed.
char SystemDecimalSeparator();

// The separator of the user's regional settings, taken once when the program starts; tests set it.
extern char RegionalDecimalSeparator;

}  // namespace win
