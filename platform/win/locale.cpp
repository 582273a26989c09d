#include "platform/win/locale.h"

#include <cstdlib>
#include <locale>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/win/ascii_case.h"

namespace win {

namespace {

struct LocaleEntry {
  std::string_view name;  // language, or language and territory, lower case
  int32_t id;
};

// A language alone stands for its principal territory.
constexpr LocaleEntry Locales[] = {
    {"ar", 1025},     {"ar_sa", 1025}, {"ar_eg", 3073}, {"ar_ma", 6145},  {"ar_ae", 14337},
    {"de", 1031},     {"de_de", 1031}, {"de_ch", 2055}, {"de_at", 3079},  {"de_lu", 4103},
    {"de_li", 5127},  {"en", 1033},    {"en_us", 1033}, {"en_gb", 2057},  {"en_au", 3081},
    {"en_ca", 4105},  {"en_nz", 5129}, {"en_ie", 6153}, {"en_za", 7177},  {"en_in", 16393},
    {"es", 3082},     {"es_es", 3082}, {"es_mx", 2058}, {"es_ar", 11274}, {"es_co", 9226},
    {"es_cl", 13322}, {"fr", 1036},    {"fr_fr", 1036}, {"fr_be", 2060},  {"fr_ca", 3084},
    {"fr_ch", 4108},  {"fr_lu", 5132}, {"it", 1040},    {"it_it", 1040},  {"it_ch", 2064},
    {"nl", 1043},     {"nl_nl", 1043}, {"nl_be", 2067}, {"ru", 1049},     {"ru_ru", 1049},
    {"ru_ua", 2073},  {"c", 1033},     {"posix", 1033},
};

int32_t LocaleIdOf(std::string_view name) {
  // "language_TERRITORY.codeset@modifier": only language and territory choose the identifier.
  name = name.substr(0, name.find_first_of(".@"));
  std::string key = FoldAsciiCase(name);
  for (char& c : key) {
    if (c == '-') c = '_';
  }
  for (std::string_view candidate :
       {std::string_view(key), std::string_view(key).substr(0, key.find('_'))}) {
    for (const LocaleEntry& entry : Locales) {
      if (entry.name == candidate) return entry.id;
    }
  }
  return 0;
}

}  // namespace

char SystemDecimalSeparator() {
  try {
    return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
  } catch (const std::runtime_error&) {
    return '.';
  }
}

char RegionalDecimalSeparator = SystemDecimalSeparator();

int32_t SystemLocaleId() {
  for (const char* variable : {"LC_ALL", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LocaleIdOf(value);
  }
  return 0;
}

}  // namespace win
