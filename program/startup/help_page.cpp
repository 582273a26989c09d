#include "program/startup/help_page.h"

#include <filesystem>
#include <string>

#include "platform/forms/forms.h"
#include "program/startup/startup_state.h"

namespace {

constexpr char NoHelpViewerText[] = "No program to show web pages was found. The help is the page:";
constexpr char NoHelpPageText[] = "The help page was not found:";

}  // namespace

void ShowHelpPage() {
  if (forms::ShowHelp(HelpFilePath)) return;
  const std::string page = forms::HelpPageOf(HelpFilePath);
  const char* reason = std::filesystem::is_regular_file(page) ? NoHelpViewerText : NoHelpPageText;
  forms::MsgBox(EnsureTralexa().GetTranslation(reason) + "\r\r" + page, forms::MsgBoxButtons::Ok,
                forms::MsgBoxIcon::Information);
}
