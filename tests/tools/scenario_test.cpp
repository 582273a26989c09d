// The generated folder's missions as the program reads them: nine missions of every type, each
// scenario complete and clean in both languages and at every landscape precision, its sounds and
// fly-by present and fit, and its places coherent with the ground the tiles lay out.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/d3dx/math.h"
#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/engine/height_grid.h"
#include "platform/forms/script.h"
#include "platform/sound/wave_file.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"
#include "platform/win/profile.h"
#include "program/flight/flight_state.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_setup.h"
#include "program/missions/path_nodes.h"
#include "program/scene/scene_state.h"
#include "tests/program/missions/program_folder.h"
#include "tests/tools/generated_folder.h"

namespace {

namespace fs = std::filesystem;
const fs::path Folder = MAROVIN_PROGRAM_FOLDER;

std::string Text(const GeneratedFlight& flight, const char* section, const char* key) {
  const std::string path = (Folder / "Missions" / flight.mission / (flight.file + ".sit")).string();
  return win::GetPrivateProfileString(section, key, "", 256, path);
}

// The sections and keys of a scenario file, as written, but for the callout entries, whose number
// each table's "Number of Calls" gives.
std::set<std::pair<std::string, std::string>> Keys(const fs::path& path) {
  std::ifstream file(path);
  std::set<std::pair<std::string, std::string>> keys;
  std::string line, section;
  while (std::getline(file, line)) {
    if (line.empty()) continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
    } else if (const size_t equals = line.find('='); equals != std::string::npos) {
      const bool callout =
          section.ends_with(" Calls") && line.substr(0, equals) != "Number of Calls";
      if (!callout) keys.insert({section, line.substr(0, equals)});
    }
  }
  return keys;
}

class GeneratedScenarios : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    forms::script::StartAfresh();
    win::SetAppPath(MAROVIN_PROGRAM_FOLDER);
  }
  void Choose(const GeneratedFlight& flight, int32_t precision = 4) {
    MissionName = flight.mission;
    FlightFile = flight.file;
    MissionType = MissionTypeOf(flight.mission);
    LandPrecision = precision;
  }

  SavedVariables saved_ =
      SavedVariables(LandTilePosition, LandTileScale, SurveyorPosition, StartPosition, LandingSpot,
                     HistoricLandingSpot, MoonRadius, MoonAngle, VirtualCockpitEye,
                     MissionDescription, LandTileFiles, AltitudeCalls, DescentCalls, LPDCalls,
                     FuelCalls, LoadingSoundFile, InitiationSoundFile, FlyingTheme, AscentSoundFile,
                     DockingSoundFiles, MissionVoiceFiles, SurfaceSoundFile, LandedSoundFile);
};

TEST_F(GeneratedScenarios, NineMissionsOfEveryTypeEachWithItsFlights) {
  std::map<std::string, std::map<std::string, std::string>> programs;  // mission, flight: mode
  for (const GeneratedFlight& flight : GeneratedFlights())
    programs[flight.mission][flight.file] = Text(flight, "Flight Parameters", "Program Mode");
  std::set<int32_t> types;
  for (const auto& [mission, flights] : programs) {
    types.insert(MissionTypeOf(mission));
    EXPECT_TRUE(fs::is_directory(Folder / "Missions" / mission / "Replay")) << mission;
  }
  EXPECT_EQ(types, (std::set<int32_t>{11, 12, 13, 14, 15, 16, 17, 98, 99}));
  ASSERT_EQ(programs.size(), 9u);
  for (int n = 11; n <= 17; ++n) {
    std::multiset<std::string> modes;
    for (const auto& [file, mode] : programs["Apollo " + std::to_string(n)]) modes.insert(mode);
    for (const char* mode : {"P63", "P64", "P66"})
      EXPECT_EQ(modes.count(mode), 1u) << n << " " << mode;
  }
  EXPECT_EQ(programs["Apollo 11"]["Ascent"], "-99");
  const GeneratedFlight shortFlight{"Apollo 11", "Short Flight P66"};
  // The "Test-11" box finds the flight by its native name; the German list shows its own.
  EXPECT_EQ(Text(shortFlight, "Mission Description 1", "Scenario Name"), "Short Flight P66");
  EXPECT_EQ(Text(shortFlight, "Mission Description 2", "Scenario Name"), "Kurzflug P66");
  std::multiset<std::string> orbital;
  for (const auto& [file, mode] : programs["Orbital"]) {
    orbital.insert(mode);
    if (mode == "-99") {
      EXPECT_EQ(Text({"Orbital", file}, "Flight Parameters", "Docked"), "-1");
    }
  }
  EXPECT_EQ(orbital, (std::multiset<std::string>{"-99", "P20"}));
}

TEST_F(GeneratedScenarios, EveryScenarioCarriesEveryKeyAndLoadsCleanly) {
  const auto reference = Keys(Folder / "Missions/Apollo 11/Short Flight P66.sit");
  ASSERT_GT(reference.size(), 200u);
  const std::set<std::string> modes = {"-99", "P20", "P63", "P64", "P66"};
  for (const GeneratedFlight& flight : GeneratedFlights()) {
    SCOPED_TRACE(flight.mission + "/" + flight.file);
    EXPECT_EQ(Keys(Folder / "Missions" / flight.mission / (flight.file + ".sit")), reference);
    EXPECT_TRUE(modes.count(Text(flight, "Flight Parameters", "Program Mode")));
    EXPECT_NE(Text(flight, "Mission Description 2", "Scenario Name"), "");
    for (int32_t precision : {1, 2, 4})
      for (int16_t language : {int16_t{1}, int16_t{2}}) {
        Choose(flight, precision);
        CurrentLanguage = language;
        std::ostringstream diagnostics;
        std::streambuf* const kept = std::clog.rdbuf(diagnostics.rdbuf());
        LoadMissionFile();
        LoadMissionSetup();
        LoadMissionDescription();
        std::clog.rdbuf(kept);
        EXPECT_EQ(diagnostics.str(), "") << precision << " " << language;
        EXPECT_NE(MissionDescription[0], "Marovin Vuzidu Mission");
        for (int n = 0; n < LandTileCount; ++n) {
          EXPECT_EQ(LandTileFiles[n].HeightFile, "temp" + std::to_string(n) + ".ht");
          // The Orbital mission has no ground.
          if (MissionType != OrbitalMission) {
            EXPECT_TRUE(fs::is_regular_file(Folder / "Missions" / flight.mission / "Textures" /
                                            LandTileFiles[n].TextureFile));
          }
        }
      }
  }
  EXPECT_TRUE(forms::script::ShownMessageBoxes().empty());
}

// ---- The ground -----------------------------------------------------------------------------

struct Tiles {
  std::array<engine::HeightGrid, LandTileCount> grids;

  explicit Tiles(const std::string& mission) {
    for (int n = 0; n < LandTileCount; ++n) {
      const auto bytes = win::ReadFileBytes(
          Folder / "Missions" / mission / "Textures" / ("temp" + std::to_string(n) + ".ht"),
          64u << 20);
      grids[static_cast<size_t>(n)] = *engine::ReadHeightGrid(*bytes);
    }
  }

  // The ground at world (x, z) on the tiles as the scenario places them: the highest tile's
  // answer, or nothing where no tile lies.
  std::optional<float> Height(float x, float z) const {
    std::optional<float> best;
    for (size_t n = 0; n < grids.size(); ++n) {
      const engine::HeightGrid& g = grids[n];
      const Vector3 at = LandTilePosition[n], scale = LandTileScale[n];
      const float u = (x - at.x) / (g.spacing * scale.x), v = (z - at.z) / (g.spacing * scale.z);
      const float last = static_cast<float>(g.columns - 1);
      if (!(u >= 0 && v >= 0 && u <= last && v <= last)) continue;
      const auto c = static_cast<uint32_t>(std::min(u, last - 1));
      const auto r = static_cast<uint32_t>(std::min(v, last - 1));
      const float fu = u - static_cast<float>(c), fv = v - static_cast<float>(r);
      const float h00 = g.At(c, r), h10 = g.At(c + 1, r), h01 = g.At(c, r + 1),
                  h11 = g.At(c + 1, r + 1);
      // The cell's two triangles, split from (c, r) to (c + 1, r + 1).
      const float h = fu >= fv ? h00 + (h10 - h00) * fu + (h11 - h10) * fv
                               : h00 + (h11 - h01) * fu + (h01 - h00) * fv;
      const float world = at.y + h * scale.y;
      if (h != 0 && (!best || world > *best)) best = world;
    }
    return best;
  }
};

TEST_F(GeneratedScenarios, StartsSpotsSurveyorAndRaceCourseLieOverTheGround) {
  for (const GeneratedFlight& flight : GeneratedFlights()) {
    if (MissionTypeOf(flight.mission) == OrbitalMission) continue;
    const Tiles tiles(flight.mission);
    for (int32_t precision : {1, 2, 4}) {
      SCOPED_TRACE(flight.mission + "/" + flight.file + " " + std::to_string(precision));
      Choose(flight, precision);
      LoadMissionFile();
      for (const auto& [name, x, z] :
           {std::tuple{"start", StartPosition.x, StartPosition.z},
            std::tuple{"landing spot", LandingSpot.EastWest, LandingSpot.NorthSouth},
            std::tuple{"historic spot", HistoricLandingSpot.EastWest,
                       HistoricLandingSpot.NorthSouth}}) {
        const std::optional<float> ground = tiles.Height(x, z);
        ASSERT_TRUE(ground) << name;
        // A flight starts above its ground, the LM's footpads 7.9 units under the pivot.
        if (std::string(name) == "start") {
          EXPECT_GT(StartPosition.y - 7.9f, *ground - 0.5f);
        }
      }
      if (MissionType == 12) {
        const std::optional<float> ground = tiles.Height(SurveyorPosition.x, SurveyorPosition.z);
        ASSERT_TRUE(ground);
        EXPECT_NEAR(*ground, SurveyorPosition.y, 0.1f);
      }
      if (MissionType == LMRaceMission) {
        // From the start by both gates to the finish area, the ground stays under 118.
        const std::array<std::array<float, 2>, 4> course = {
            {{StartPosition.x, StartPosition.z}, {1600, 300}, {400, 1765}, {200, 1700}}};
        EXPECT_GT(StartPosition.x, 1600.0f);
        for (size_t leg = 0; leg + 1 < course.size(); ++leg)
          for (int k = 0; k <= 100; ++k) {
            const float t = static_cast<float>(k) / 100;
            const float x = course[leg][0] + (course[leg + 1][0] - course[leg][0]) * t;
            const float z = course[leg][1] + (course[leg + 1][1] - course[leg][1]) * t;
            const std::optional<float> ground = tiles.Height(x, z);
            ASSERT_TRUE(ground) << x << ", " << z;
            EXPECT_LT(*ground, 118.0f) << x << ", " << z;
            EXPECT_GT(*ground, 100.0f) << x << ", " << z;
          }
      }
    }
  }
}

TEST_F(GeneratedScenarios, EachSitePatchLiesUnderTheLMAfterItsMoonAngle) {
  const d3dx::XMesh moon =
      d3dx::MergeXMeshes(d3dx::LoadXModel(d3dx::ReadXFile(Folder / "Models/allmoon.x")).root);
  ASSERT_EQ(moon.materials.size(), 8u);
  const std::map<int32_t, uint32_t> groups = {{11, 2}, {12, 7}, {14, 6}, {15, 5}, {16, 3}, {17, 4}};
  for (const auto& [mission, group] : groups) {
    SCOPED_TRACE(mission);
    Choose({"Apollo " + std::to_string(mission), "Short Flight P66"});
    LoadMissionFile();
    // The patch's centre as drawn: the program's scale, then the engine's turn of the angles.
    d3dx::D3DXVECTOR3 sum{0, 0, 0};
    int corners = 0;
    for (size_t t = 0; t < moon.TriangleCount(); ++t) {
      if (moon.attributes[t] != group) continue;
      for (int k = 0; k < 3; ++k) {
        const d3dx::D3DXVECTOR3& p = moon.positions[moon.indices[3 * t + static_cast<size_t>(k)]];
        sum = {sum.x - p.x * 234, sum.y + p.y * 234, sum.z - p.z * 234};
        ++corners;
      }
    }
    ASSERT_GT(corners, 0);
    d3dx::D3DXMATRIX turn;
    d3dx::D3DXMatrixRotationYawPitchRoll(&turn, MoonAngle.y, MoonAngle.x, MoonAngle.z);
    d3dx::D3DXVECTOR3 up;
    d3dx::D3DXVec3TransformNormal(&up, &sum, &turn);
    d3dx::D3DXVec3Normalize(&up, &up);
    EXPECT_GT(up.y, 0.99999f);
    // The globe's top lies just under the ground at the scenario's Moon Radius below the LM.
    EXPECT_NEAR(d3dx::D3DXVec3Length(&sum) / static_cast<float>(corners), -MoonRadius, 200.0f);
  }
}

TEST_F(GeneratedScenarios, TheCockpitEyesLieInsideTheCabin) {
  // The cabin shell as drawn: the program scales it by (-0.025, 0.025, -0.025).
  const d3dx::XMesh shell =
      d3dx::MergeXMeshes(d3dx::LoadXModel(d3dx::ReadXFile(Folder / "Models/virtual.X")).root);
  Vector3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
  for (const d3dx::D3DXVECTOR3& p : shell.positions) {
    const Vector3 w{-p.x * 0.025f, p.y * 0.025f, -p.z * 0.025f};
    low = {std::min(low.x, w.x), std::min(low.y, w.y), std::min(low.z, w.z)};
    high = {std::max(high.x, w.x), std::max(high.y, w.y), std::max(high.z, w.z)};
  }
  for (const GeneratedFlight& flight : GeneratedFlights()) {
    Choose(flight);
    LoadMissionFile();
    for (const Vector3& eye : VirtualCockpitEye) {
      SCOPED_TRACE(flight.mission + "/" + flight.file);
      EXPECT_GT(eye.x, low.x + 0.5f);
      EXPECT_LT(eye.x, high.x - 0.5f);
      EXPECT_GT(eye.y, low.y + 0.5f);
      EXPECT_LT(eye.y, high.y - 0.5f);
      EXPECT_GT(eye.z, low.z + 0.5f);
      EXPECT_LT(eye.z, high.z - 0.5f);
    }
  }
}

// ---- Sounds and fly-bys --------------------------------------------------------------------

// The loudest sample of a 16-bit wave file, 0 to 32768.
int32_t Peak(const std::vector<uint8_t>& bytes) {
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                          static_cast<uint32_t>(bytes[at + 7]) << 24;
    if (std::string(bytes.begin() + static_cast<long>(at),
                    bytes.begin() + static_cast<long>(at) + 4) == "data") {
      int32_t peak = 0;
      for (size_t i = at + 8; i + 1 < std::min(bytes.size(), at + 8 + size); i += 2)
        peak = std::max(peak, std::abs(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) + 0));
      return peak;
    }
    at += 8 + size + (size & 1);
  }
  return 0;
}

// A spoken clip: mono 16-bit PCM at 22.05 kHz, not silent; its length in milliseconds.
double ClipMilliseconds(const fs::path& path) {
  const auto bytes = win::ReadFileBytes(path, 8u << 20);
  EXPECT_TRUE(bytes) << path;
  if (!bytes) return 0;
  const sound::WaveFormat format = sound::ReadWaveFormat(*bytes);
  EXPECT_EQ(format.encoding, 1) << path;
  EXPECT_EQ(format.channels, 1) << path;
  EXPECT_EQ(format.bitsPerSample, 16) << path;
  EXPECT_EQ(format.sampleRate, 22050u) << path;
  EXPECT_GT(Peak(*bytes), 3000) << path;
  return std::chrono::duration<double, std::milli>(format.Length()).count();
}

TEST_F(GeneratedScenarios, EveryNamedSoundIsThereAndEveryCalloutIsShorterThanItsInterval) {
  for (const GeneratedFlight& flight : GeneratedFlights()) {
    SCOPED_TRACE(flight.mission + "/" + flight.file);
    Choose(flight);
    LoadMissionSetup();
    const fs::path sounds = Folder / "Missions" / flight.mission / "Sound";
    const auto callouts = [&](const auto& table) {
      for (const auto& call : table)
        EXPECT_LT(ClipMilliseconds(sounds / call.File), call.Interval) << call.File;
    };
    callouts(AltitudeCalls);
    callouts(DescentCalls);
    callouts(LPDCalls);
    callouts(FuelCalls);
    for (const std::string* file : {&LoadingSoundFile, &InitiationSoundFile, &AscentSoundFile,
                                    &SurfaceSoundFile, &LandedSoundFile})
      if (!file->empty()) ClipMilliseconds(sounds / *file);
    for (const std::string& file : MissionVoiceFiles)
      if (!file.empty()) ClipMilliseconds(sounds / file);
    for (const std::string& file : DockingSoundFiles)
      if (!file.empty()) ClipMilliseconds(Folder / "General Sounds" / file);
    EXPECT_FALSE(FlyingTheme.empty());
    EXPECT_TRUE(fs::is_regular_file(sounds / FlyingTheme) ||
                fs::is_regular_file(Folder / "General Sounds" / FlyingTheme))
        << FlyingTheme;
    if (MissionType == 11) {
      ASSERT_FALSE(AltitudeCalls.empty());
      EXPECT_EQ(AltitudeCalls[0].Altitude, 3000);  // the call that raises the 1201 alarm
    }
  }
}

TEST_F(GeneratedScenarios, EveryFlightHasAFlyByEndingNearTheLM) {
  for (const GeneratedFlight& flight : GeneratedFlights()) {
    SCOPED_TRACE(flight.mission + "/" + flight.file);
    const auto nodes = ReadPathNodeFile(win::AppPath() + "\\Missions\\" + flight.mission + "\\" +
                                        flight.file + ".nde");
    ASSERT_TRUE(nodes);
    ASSERT_GE(nodes->size(), 2u);
    const Vector3& last = nodes->back();
    EXPECT_LT(std::sqrt(last.x * last.x + last.y * last.y + last.z * last.z), 10.0f);
    const Vector3& first = nodes->front();
    EXPECT_GT(std::sqrt(first.x * first.x + first.y * first.y + first.z * first.z), 100.0f);
  }
}

}  // namespace
