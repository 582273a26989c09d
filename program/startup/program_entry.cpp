#include "program/startup/program_entry.h"

std::string AddPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (file.empty()) return folder;
  const std::string base = folder.ends_with('\\') ? folder.substr(0, folder.size() - 1) : folder;
  return file.starts_with('\\') ? base + file : base + "\\" + file;
}
