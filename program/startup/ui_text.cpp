#include "program/startup/ui_text.h"

#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"

void LoadTranslatedStrings() {
  Tralexa& tralexa = EnsureTralexa();
  // GetS answers every id, with the native text where it finds no translation, so the fill
  // always reaches every entry.
  for (int16_t id : UiTextFillOrder()) UiText[static_cast<size_t>(id)] = tralexa.GetS(id);
}
