// A program folder for one fuzz run: in memory where the system has it (/dev/shm), the program's
// folder while it lives, removed at exit. The program's log lines are not what is fuzzed, and
// hundreds of them an input would set the pace: they go nowhere.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/win/app_path.h"

class FuzzFolder {
 public:
  FuzzFolder() {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::is_directory("/dev/shm", error)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    std::string pattern = (parent / "marovin-fuzz-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    win::SetAppPath(path_.string());
    std::clog.rdbuf(nullptr);
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Writes a file of the folder (its folders made as needed). Each write is dated one step further
  // into a past long gone, so that its stamp tells it from the one before and a reader parses it
  // once, as a file the program did not just write.
  void Write(const std::filesystem::path& relative, std::string_view bytes) {
    const std::filesystem::path file = path_ / relative;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stamp_ += std::chrono::seconds(1);
    std::filesystem::last_write_time(file, stamp_, error);
  }

 private:
  std::filesystem::path path_;
  std::filesystem::file_time_type stamp_ =
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
};

// The input as text, cut at its first line end: that line (without CR) and the rest.
inline std::pair<std::string, std::string_view> FirstLineAndRest(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t end = input.find('\n');
  std::string line(input.substr(0, end));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return {line, end == std::string_view::npos ? std::string_view() : input.substr(end + 1)};
}
