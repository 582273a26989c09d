// Program-wide state of the start-up and the localisation, read and written directly by every
// subsystem of the program.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "program/startup/tralexa.h"

// Highest string id that has an entry in the interface text table.
inline constexpr int32_t LastUiTextId = 322;

// The interface texts in the current language, indexed by string id: UiText[176] holds id 176's
// text ("Already Staged" in English). Filled by LoadTranslatedStrings at start and after every
// language change; an id without a text of its own stays empty.
inline std::array<std::string, LastUiTextId + 1> UiText;

// The texts of the loading steps of engine start-up and scene build are ids 271 to 315.
inline constexpr int32_t FirstProgressTextId = 271;
inline constexpr int32_t LastProgressTextId = 315;

// The language set up, as numbered in the language list file (1 to 10); 0 before the choice.
inline int32_t CurrentLanguage = 0;
// German's number in the shipped language list: it has its own help file and key names.
inline constexpr int32_t GermanLanguage = 2;
// The help file of the current language.
inline std::string HelpFilePath;
// Set only while ChangeLanguage rebuilds the dialogs, so that unloading the launcher then does not
// end the program.
inline bool LanguageChanging = false;

// The program's one localisation component; EnsureTralexa creates it on first use.
inline std::unique_ptr<Tralexa> ProgramTralexa;

inline Tralexa& EnsureTralexa() {
  if (!ProgramTralexa) ProgramTralexa = std::make_unique<Tralexa>();
  return *ProgramTralexa;
}
