#include "program/startup/program_entry.h"

#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_writer.h"
#include "platform/win/file_search.h"
#include "program/input/joystick_assign.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_services.h"
#include "program/startup/form_helpers.h"
#include "program/startup/form_connections.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/language_change.h"
#include "program/startup/startup_state.h"
#include "program/startup/ui_text.h"

namespace {

// A save ended midway (the program killed, the machine down) leaves its temporary file beside the
// file it was to replace; the file itself is whole, old or new. Those of every folder the program
// writes in go before anything is read.
void RemoveStaleTemporaries() {
  const std::filesystem::path programFolder = win::ResolvePath(win::AppPath());
  std::vector<std::filesystem::path> folders = {programFolder, programFolder / "Screenshots"};
  for (const win::FolderEntry& mission :
       win::ListFolder(win::ResolvePath(win::AppPath() + "\\Missions")).entries) {
    if (mission.type != std::filesystem::file_type::directory) continue;
    const std::filesystem::path folder =
        win::ResolvePath(win::AppPath() + "\\Missions\\" + mission.name);
    folders.push_back(folder);
    folders.push_back(win::ResolvePath(folder.string() + "/Replay"));
  }
  for (const std::filesystem::path& folder : folders) {
    if (const int removed = win::RemoveStaleTemporaries(folder); removed > 0)
      LogFileProblem(folder.string(),
                     std::to_string(removed) + " temporary file(s) of an unfinished save removed");
  }
}

}  // namespace

void Main() {
  ConnectForms();
  std::string languageList;
  int32_t localeId = 0;
  bool chosen = false;
  Step(RemoveStaleTemporaries);
  Step([&] { languageList = LanguageListPath(); });
  Step([&] { localeId = EnsureTralexa().LocaleID(); });
  Step([&] { chosen = frmChooseLang->SetupDefaultLanguage(languageList, EnsureTralexa()); });
  if (!chosen)
    Step([&] {
      chosen = frmChooseLang->SetLanguageByLocaleID(languageList, EnsureTralexa(), localeId);
    });
  if (!chosen) Step([&] { frmChooseLang->Choose(languageList, EnsureTralexa()); });
  // The chooser ends out of sight; unloaded rather than hidden, it holds nothing for the run.
  Step([] { frmChooseLang.Unload(); });
  Step(LoadTranslatedStrings);
  Step([] { DriverDialog.Get(); });
  Step(forms::DoEvents);
  Step([] { PilotList.Get(); });
  Step([] { CenterForm(*DriverDialog); });
  Step([] { DriverDialog->Show(); });
  Step(forms::DoEvents);
}

