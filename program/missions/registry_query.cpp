#include "program/missions/registry_query.h"

#include <cmath>

#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "program/missions/missions_texts.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t RequiredMajorVersion = 8;

}  // namespace

std::string GetRegistryValue(win::RegistryRoot root, std::string_view subKey,
                             std::string_view valueName) {
  std::string value = win::ReadRegistryString(root, subKey, valueName);
  if (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

void CheckDirectXVersion() {
  const std::string version =
      GetRegistryValue(win::RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX", "Version");
  // The major number is the two characters after "4." of a version such as "4.08.01.0810".
  const std::string majorText = version.size() > 2 ? version.substr(2, 2) : std::string();
  const int32_t major = win::RoundHalfEven(win::LeadingNumber(majorText));
  if (major >= RequiredMajorVersion) return;
  Tralexa& tralexa = EnsureTralexa();
  forms::MessageBox box;
  box.prompt = "DirectX " + (version.size() > 3 ? version.substr(3, 1) : std::string()) + " Ver. " +
               version + " detected.\r\n \r\n" + tralexa.GetTranslation(DirectXTooOldText) + "\r" +
               tralexa.GetTranslation(TryAnywayText);
  box.buttons = forms::MsgBoxButtons::YesNo;
  box.icon = forms::MsgBoxIcon::Critical;
  box.defaultButton = 1;
  box.title = tralexa.GetTranslation(DirectXProblemTitle);
  if (forms::MsgBox(box) != forms::MsgBoxResult::Yes) forms::End();
  forms::MsgBox(tralexa.GetTranslation(MiracleText));
}
