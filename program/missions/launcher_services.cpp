#include "program/missions/launcher_services.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "platform/win/app_path.h"
#include "program/startup/form_translation.h"
#include "program/startup/startup_state.h"

void TranslateOnLoad(forms::Form& dialog) { EnsureTralexa().TranslateForm(dialog); }

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
