#include "program/startup/form_helpers.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "platform/win/app_path.h"
#include "platform/win/numbers.h"

namespace {

void ShowFormError(const std::exception& error) {
  forms::MsgBox(error.what(), forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
}

}  // namespace

void CenterForm(forms::Form& form) {
  try {
    form.SetTop(win::RoundHalfEven(forms::ScreenHeightTwips() / 2.0 - form.Height() / 2.0));
    form.SetLeft(win::RoundHalfEven(forms::ScreenWidthTwips() / 2.0 - form.Width() / 2.0));
  } catch (const std::exception& error) {
    ShowFormError(error);
    return;
  }
  KeepFormOnScreen(form);
}

void KeepFormOnScreen(forms::Form& form) {
  // One axis: the form's start and size against the screen's size.
  const auto kept = [](int32_t start, int32_t size, int32_t screen) {
    if (size > screen) return start;
    if (start + size > screen) start = screen - size;
    return start < 0 ? 0 : start;
  };
  try {
    form.SetLeft(kept(form.Left(), form.Width(), forms::ScreenWidthTwips()));
    form.SetTop(kept(form.Top(), form.Height(), forms::ScreenHeightTwips()));
  } catch (const std::exception& error) {
    ShowFormError(error);
  }
}

bool AskYesNo(const std::string& prompt) {
  try {
    forms::SetMousePointer(forms::MousePointer::Default);
    forms::MessageBox box;
    box.prompt = prompt;
    box.buttons = forms::MsgBoxButtons::YesNo;
    box.icon = forms::MsgBoxIcon::Question;
    box.defaultButton = 1;
    return forms::MsgBox(box) == forms::MsgBoxResult::Yes;
  } catch (const std::exception& error) {
    ShowFormError(error);
    return false;
  }
}

std::string AddPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (file.empty()) return folder;
  const std::string base = folder.ends_with('\\') ? folder.substr(0, folder.size() - 1) : folder;
  return file.starts_with('\\') ? base + file : base + "\\" + file;
}

OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings, forms::Form* owner,
                                int16_t centre) {
  forms::OpenFileRequest request;
  request.owner = centre == -1 ? owner : nullptr;
  request.title = settings.title;
  // The folder as this file system names it: callers build it the program's way, with
  // backslashes and a closing one, which the dialog took for a file name in the folder above.
  std::filesystem::path start = win::ResolvePath(settings.initialFolder).lexically_normal();
  if (!start.has_filename()) start = start.parent_path();
  request.startFolder = start.string();
  if (settings.fileName.find_first_of("*?") == std::string::npos)
    request.initialName = settings.fileName;
  request.newFile = settings.newFile;
  request.defaultExtension = settings.defaultExtension;
  for (size_t at = 0; at < settings.filter.size();) {
    const size_t bar = settings.filter.find('|', at);
    const size_t end =
        bar == std::string::npos ? std::string::npos : settings.filter.find('|', bar + 1);
    if (bar == std::string::npos) break;
    request.filters.push_back(
        {settings.filter.substr(at, bar - at), settings.filter.substr(bar + 1, end - bar - 1)});
    at = end == std::string::npos ? settings.filter.size() : end + 1;
  }
  request.multiSelect = !settings.newFile;
  const forms::OpenFileResult answer = forms::ShowOpenFile(request);
  OpenDialogResult result;
  if (answer.cancelled || answer.names.empty()) return result;
  result.Cancelled = false;
  result.Count = static_cast<int16_t>(std::min<size_t>(answer.names.size(), INT16_MAX));
  result.Files.insert(result.Files.end(), answer.names.begin(),
                      answer.names.begin() + result.Count);
  result.Directory = answer.folder;
  if (result.Count == 1) result.Directory += '/';
  return result;
}
