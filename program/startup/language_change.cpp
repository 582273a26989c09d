#include "program/startup/language_change.h"

#include <exception>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "program/input/joystick_assign.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/pilot_list.h"
#include "program/missions/star_sound_dialogs.h"
#include "program/startup/form_helpers.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/startup_state.h"
#include "program/startup/ui_text.h"

namespace {

constexpr const char* LanguageListFile = "MarovinLang.ini";

}  // namespace

void Step(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
    // The next step runs.
  }
}

std::string LanguageListPath() { return AddPath(win::AppPath(), LanguageListFile); }

void ChangeLanguage() {
  std::string languageList;
  bool chosen = false;
  int32_t top = 0;
  int32_t left = 0;
  Step([&] { languageList = LanguageListPath(); });
  Step([&] { chosen = frmChooseLang->Choose(languageList, EnsureTralexa()); });
  // Closing the chooser keeps the language in use, and with it every dialog as it is.
  if (!chosen) return;
  Step([&] {
    top = DriverDialog->Top();
    left = DriverDialog->Left();
  });
  LanguageChanging = true;
  Step([] { DriverDialog.Unload(); });
  Step([] { Advanced.Unload(); });
  Step(forms::DoEvents);
  Step([] { PilotList.Unload(); });
  Step([] { StarForm.Unload(); });
  Step([] { SoundSettings.Unload(); });
  Step([] { JoystickAssign.Unload(); });
  Step(forms::DoEvents);
  Step(LoadTranslatedStrings);
  Step(forms::DoEvents);
  Step([] { DriverDialog.Get(); });
  Step(forms::DoEvents);
  Step([] { PilotList.Get(); });
  Step([&] {
    DriverDialog->SetTop(top);
    DriverDialog->SetLeft(left);
  });
  Step([] { DriverDialog->Show(); });
  Step(forms::DoEvents);
  LanguageChanging = false;
}
