#include "library/core/frame/file_paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win/app_path.h"

std::filesystem::path HostPath(std::string_view path) {
  const bool hasDrive =
      path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])) != 0;
  if (!hasDrive) return win::ResolvePath(path);
  std::string inProgramFolder = win::AppPath();
  std::string_view rest = path.substr(2);
  if (rest.empty() || (rest.front() != '\\' && rest.front() != '/')) inProgramFolder += '\\';
  inProgramFolder += rest;
  return win::ResolvePath(inProgramFolder);
}

void CopyToField(char* field, size_t capacity, std::string_view text) {
  if (field == nullptr || capacity == 0) return;
  const size_t length = std::min(text.size(), capacity - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

namespace {

// The position just after the last '\', else the last '/', else 0.
size_t FileNameStart(std::string_view path) {
  size_t separator = path.rfind('\\');
  if (separator == std::string_view::npos) separator = path.rfind('/');
  return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

void Path_GetFileName(const char* path, char* destination) {
  if (path == nullptr || destination == nullptr) return;
  std::string_view text(path);
  CopyToField(destination, kPathBufferSize, text.substr(FileNameStart(text)));
}

void Path_GetDirectory(const char* path, char* destination) {
  if (path == nullptr || destination == nullptr) return;
  std::string_view text(path);
  CopyToField(destination, kPathBufferSize, text.substr(0, FileNameStart(text)));
}

bool File_Exists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  std::FILE* file = std::fopen(HostPath(path).c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

void Path_ResolveFile(const char* path, char* destination, const char* referencePath) {
  if (path == nullptr || destination == nullptr) return;
  if (File_Exists(path)) {
    CopyToField(destination, kPathBufferSize, path);
    return;
  }
  char fileName[kPathBufferSize];
  Path_GetFileName(path, fileName);
  if (File_Exists(fileName)) {
    CopyToField(destination, kPathBufferSize, fileName);
    return;
  }
  if (referencePath == nullptr) return;
  char besideReference[kPathBufferSize];
  Path_GetDirectory(referencePath, besideReference);
  std::string candidate = std::string(besideReference) + fileName;
  if (File_Exists(candidate.c_str())) CopyToField(destination, kPathBufferSize, candidate);
}
