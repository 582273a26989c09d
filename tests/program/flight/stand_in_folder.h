// A program folder for flying the whole program headlessly: the shipped missions with a stand-in
// for every model, picture and height file the scene asks for, made once a process.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "platform/d3dx/image_file.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/height_grid.h"
#include "platform/forms/forms.h"
#include "platform/forms/script.h"
#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_state.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/mission_setup.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "tests/platform/win/temp_folder.h"

namespace flight_program {

inline constexpr uint32_t PictureSide = 8;  // pixels
inline constexpr uint32_t HeightSide = 65;  // samples of a stand-in height grid
inline constexpr int StandInGroups = 8;     // material groups of a stand-in model

// A stand-in file of the kind the path names: a one-triangle model, a level height grid at world
// height 0, or a grey picture (the image reader knows it by its bytes, whatever the extension).
inline void WriteStandIn(const std::filesystem::path& path) {
  std::filesystem::create_directories(path.parent_path());
  std::string bytes;
  const std::string extension = win::UpperAsciiCase(path.extension().string());
  if (extension == ".X") {
    // One triangle in each material group that any model's parts are asked for.
    std::string vertices, faces, materials, indices;
    for (int n = 0; n < StandInGroups; ++n) {
      const std::string x = std::to_string(n);
      const std::string first = std::to_string(3 * n);
      const std::string comma = n ? ", " : "";
      vertices += comma + x + ";0;0;, " + x + ";1;0;, " + x + ";0;1;";
      faces += comma + "3;" + first + "," + std::to_string(3 * n + 1) + "," +
               std::to_string(3 * n + 2) + ";";
      materials += "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n";
      indices += comma + x;
    }
    const std::string count = std::to_string(StandInGroups);
    bytes = "xof 0303txt 0032\nMesh M {\n" + std::to_string(3 * StandInGroups) + "; " + vertices +
            ";\n" + count + "; " + faces + ";\nMeshMaterialList { " + count + "; " + count + "; " +
            indices + ";;\n" + materials + "}\n}\n";
  } else if (extension == ".HT") {
    engine::HeightGrid grid;
    grid.columns = grid.rows = HeightSide;
    grid.spacing = 64.0f;
    grid.heights.assign(size_t{HeightSide} * HeightSide, 0.0f);
    const auto encoded = engine::WriteHeightGrid(grid);
    bytes.assign(encoded.begin(), encoded.end());
  } else {
    const auto encoded =
        d3dx::EncodeBmp(d3dx::ArgbImage(PictureSide, PictureSide, 0xFF808080), false);
    bytes.assign(encoded.begin(), encoded.end());
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

// The file of the folder that an engine error says it could not read, or empty.
inline std::filesystem::path MissingFile(const std::string& error, const std::string& folder) {
  const size_t start = error.find(folder);
  if (start == std::string::npos) return {};
  size_t end = error.find(": ", start);
  if (end == std::string::npos) end = error.size();
  return error.substr(start, end - start);
}

inline void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!std::filesystem::is_directory(from)) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    return;
  }
  std::filesystem::create_directories(to);
  std::filesystem::copy(
      from, to,
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

// Drops every engine object and puts the window system back as a program finds it.
inline void EndProgram() {
  // A program that ended on a fatal box still holds its engine: the window system comes back to
  // let the shutdown yield.
  forms::script::StartAfresh();
  if (EngineInitialised) {
    try {
      ShutDownSimulator();
    } catch (const forms::ProgramEnded&) {
    }
  }
  forms::script::StartAfresh();
  // The ids of the engine that has gone name nothing in the next one.
  TextureIds = {};
  MaterialIds = {};
  FontIds = {};
  LightIds = {};
}

// The shipped data with a stand-in for each file that the scene builds of Apollo 11 and of the
// Orbital mission read; made once a process.
inline const std::filesystem::path& CompleteFolder() {
  static TempFolder folder;
  static bool made = false;
  if (made) return folder.Path();
  made = true;
  CopyFolder(MAROVIN_DATA, folder.Path());
  // The Orbital mission flies the Apollo 11 LM near the command module.
  std::filesystem::create_directories(folder.Path() / "Missions" / "Orbital");
  std::filesystem::copy_file(folder.Path() / "Missions" / "Apollo 11" / "Short Flight P66.sit",
                             folder.Path() / "Missions" / "Orbital" / "Rendezvous.sit");
  const std::string root = folder.Path().string();
  win::SetAppPath(root);
  const auto fill = [&](const std::function<void()>& build) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      try {
        build();
        return;
      } catch (const engine::EngineError& error) {
        const std::filesystem::path missing = MissingFile(error.what(), root);
        if (missing.empty()) throw;
        WriteStandIn(missing);
      }
    }
  };
  try {
    DriverDialog.Get();
  } catch (const engine::EngineError&) {
    // The engine start's pictures are stood in for below.
  }
  fill([] {
    EngineInitialised = false;
    InitEngineAndWindow();
  });
  fill([&] {
    for (const auto& [file, name] : {std::pair{"progress.png", "progress"},
                                     {"marovinlogo.png", "marovinlogo"},
                                     {"earthrise.png", "earthrise"},
                                     {"moonbottomofintro.png", "moonbot"}})
      TextureFactory->LoadTexture(root + "/Textures/" + file, name);
  });
  for (const auto& [mission, flight, type] :
       {std::tuple{"Apollo 11", "Short Flight P66", 11}, std::tuple{"Orbital", "Rendezvous", 99}}) {
    MissionName = mission;
    FlightFile = flight;
    MissionType = type;
    LoadMissionSetup();
    fill(BuildScene);
    PreviousMissionType = type == 99 ? 11 : 99;
    fill(LoadMissionWorld);
  }
  EndProgram();
  return folder.Path();
}

}  // namespace flight_program
