// Any bytes as a Missions folder, filled into the launcher's mission and flight lists, every
// mission and flight chosen in turn. The input's first line is "mission|flight", the names saved
// in the settings; then come blocks separated by lines "%%", each a path under Missions on its
// first line and the file's contents after it. A path ending in "/" is a folder; "name -> target"
// is a link (a link to itself cannot be read). Each list holds only what can be read, its flights
// with the files they were read from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz/fuzz_folder.h"
#include "program/flight/flight_state.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/mission_lists.h"
#include "program/missions/missions_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr std::string_view BlockEnd = "\n%%\n";
constexpr std::string_view LinkMark = " -> ";

// The path under the folder, or nothing for one that would leave it or name nothing.
std::filesystem::path Inside(std::string_view text) {
  std::filesystem::path path;
  for (const auto& part : std::filesystem::path(text)) {
    const std::string name = part.string();
    if (name.empty() || name == "/" || name == "." || name == ".." ||
        name.find('\0') != std::string::npos)
      continue;
    path /= part;
  }
  return path;
}

void MakeEntry(const std::filesystem::path& missions, std::string_view block) {
  const size_t end = block.find('\n');
  const std::string_view first = block.substr(0, end);
  const std::string_view contents =
      end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
  std::error_code error;
  if (const size_t link = first.find(LinkMark); link != std::string_view::npos) {
    const std::filesystem::path at = Inside(first.substr(0, link));
    if (at.empty()) return;
    std::filesystem::create_directories((missions / at).parent_path(), error);
    std::filesystem::create_symlink(std::string(first.substr(link + LinkMark.size())),
                                    missions / at, error);
    return;
  }
  const std::filesystem::path at = Inside(first);
  if (at.empty()) return;
  if (first.ends_with('/')) {
    std::filesystem::create_directories(missions / at, error);
    return;
  }
  std::filesystem::create_directories((missions / at).parent_path(), error);
  std::ofstream(missions / at, std::ios::binary)
      .write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  static FuzzFolder folder;
  const auto [names, blocks] = FirstLineAndRest(data, size);
  const size_t bar = names.find('|');
  MissionName = names.substr(0, bar);
  FlightName = bar == std::string::npos ? std::string() : names.substr(bar + 1);
  const std::filesystem::path missions = folder.Path() / "Missions";
  std::error_code error;
  std::filesystem::remove_all(missions, error);
  std::filesystem::create_directories(missions, error);
  for (size_t at = 0; at <= blocks.size();) {
    const size_t end = std::min(blocks.find(BlockEnd, at), blocks.size());
    MakeEntry(missions, blocks.substr(at, end - at));
    at = end + BlockEnd.size();
  }
  CurrentLanguage = 1;
  DriverDialogForm& launcher = *DriverDialog;
  FillMissionList();
  launcher.Show();
  for (int16_t mission = 0; mission < launcher.Combo1.ListCount(); ++mission) {
    launcher.Combo1.UserChoose(mission);
    if (FlightFiles.size() != static_cast<size_t>(launcher.Combo2.ListCount())) __builtin_trap();
    for (int16_t flight = 0; flight < launcher.Combo2.ListCount(); ++flight) {
      launcher.Combo2.UserChoose(flight);
      if (GetSelectedFlightName() != FlightFiles[static_cast<size_t>(flight)]) __builtin_trap();
    }
  }
  return 0;
}
