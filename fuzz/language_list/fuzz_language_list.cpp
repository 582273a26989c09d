// Any bytes as the language list file: the saved default, the language of a locale and the user's
// pick (the last of the list) each set a language up or refuse, and once the pick is made the
// language in use is one of the ten. The list may name the small database beside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_folder.h"
#include "platform/forms/script.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t GermanLocale = 1031;
constexpr int32_t LanguageCount = 10;

constexpr std::string_view SmallDatabase =
    "[Tralexa]\r\nNumberOfLanguages=1\r\nNumberOfStrings=2\r\nLanguage1=Deutsch\r\n"
    "[NATIVE]\r\nL1=Continue\r\nL2=Quit\r\n[Deutsch]\r\nL1=Weiter\r\nL2=Beenden\r\n";

struct ListFolder {
  ListFolder() { folder.Write("db.txt", SmallDatabase); }
  FuzzFolder folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static ListFolder list;
  list.folder.Write("MarovinLang.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string file = (list.folder.Path() / "MarovinLang.ini").string();
  Tralexa& tralexa = EnsureTralexa();
  CurrentLanguage = 0;
  frmChooseLang->SetupDefaultLanguage(file, tralexa);
  frmChooseLang->SetLanguageByLocaleID(file, tralexa, GermanLocale);
  forms::script::PostUserAction([] {
    if (!frmChooseLang.Loaded()) return;
    ChooseLangForm& chooser = *frmChooseLang;
    chooser.lstLanguages.UserChoose(static_cast<int16_t>(chooser.lstLanguages.ListCount() - 1));
    chooser.cmdOK.UserClick();
  });
  frmChooseLang->Choose(file, tralexa);
  if (CurrentLanguage < 1 || CurrentLanguage > LanguageCount) __builtin_trap();
  // A pick the chooser did not show for stays unused: the next input starts without it.
  forms::script::StartAfresh();
  return 0;
}
