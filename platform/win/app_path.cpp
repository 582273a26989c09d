#include "platform/win/app_path.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/win/ascii_case.h"

namespace win {

namespace {

std::string& ProgramFolder() {
  static std::string folder = [] {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path().string() : executable.parent_path().string();
  }();
  return folder;
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
             std::filesystem::file_type::not_found &&
         !error;
}

// The entry of folder whose name equals component without regard to case, or nothing.
std::optional<std::filesystem::path> FindIgnoringCase(const std::filesystem::path& folder,
                                                      std::string_view component) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
  std::vector<std::string> matches;
  // Names only: an entry that cannot be read still has one. A folder that fails midway gives the
  // names read before.
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (EqualsIgnoringCase(name, component)) matches.push_back(std::move(name));
  }
  if (matches.empty()) return std::nullopt;
  return folder / *std::min_element(matches.begin(), matches.end());
}

}  // namespace

const std::string& AppPath() { return ProgramFolder(); }

void SetAppPath(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  ProgramFolder() = std::move(folder);
}

std::filesystem::path ResolvePath(std::string_view programPath) {
  std::string text(programPath);
  std::replace(text.begin(), text.end(), '\\', '/');
  std::filesystem::path resolved =
      text.starts_with('/') ? std::filesystem::path("/") : std::filesystem::path();
  // Once a component is missing, nothing below it can exist: the rest is appended as written.
  bool searching = true;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find('/', start), text.size());
    std::string_view component(text.data() + start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    std::filesystem::path exact = resolved / component;
    if (!searching || component == ".." || Exists(exact)) {
      resolved = std::move(exact);
      continue;
    }
    if (auto match = FindIgnoringCase(resolved, component)) {
      resolved = std::move(*match);
    } else {
      resolved = std::move(exact);
      searching = false;
    }
  }
  return resolved;
}

}  // namespace win
