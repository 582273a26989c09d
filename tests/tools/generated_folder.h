// The generated program folder as the tests of tools/ walk it: its missions and flights.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "program/missions/missions_state.h"

struct GeneratedFlight {
  std::string mission;
  std::string file;  // without ".sit"
};

// The mission type the launcher gives a mission folder's name.
inline int32_t MissionTypeOf(const std::string& mission) {
  if (mission == "LM Race") return LMRaceMission;
  if (mission == "Orbital") return OrbitalMission;
  return std::stoi(mission.substr(mission.find(' ') + 1));
}

inline std::vector<GeneratedFlight> GeneratedFlights() {
  namespace fs = std::filesystem;
  std::vector<GeneratedFlight> flights;
  for (const auto& mission : fs::directory_iterator(MAROVIN_PROGRAM_FOLDER "/Missions"))
    for (const auto& file : fs::directory_iterator(mission.path()))
      if (file.path().extension() == ".sit")
        flights.push_back({mission.path().filename().string(), file.path().stem().string()});
  std::ranges::sort(flights, {}, [](const GeneratedFlight& f) { return f.mission + "/" + f.file; });
  return flights;
}
