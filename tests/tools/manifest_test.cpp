// The manifest of the generated program folder: every fixed file a part of the program opens
// outside the scene build (whose loaders flight_scene_test.cpp runs) is there and reads through
// its reader, in both languages; the pictures have the sizes they are asked at, the models the
// groups the program colours, and the scales and the DSKY faces their marks where the instruments
// read them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/sound/mp3_file.h"
#include "platform/sound/wave_file.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_reader.h"
#include "platform/win/profile.h"
#include "program/flight/attitude_control.h"
#include "program/flight/flight_state.h"
#include "tests/program/saved_variables.h"
#include "tools/common/canvas.h"

namespace {

namespace fs = std::filesystem;
const fs::path Folder = MAROVIN_PROGRAM_FOLDER;

struct Opened {
  const char* procedure;  // the procedure that opens the file
  std::string file;       // below the program folder
};

std::vector<Opened> FixedFiles() {
  std::vector<Opened> files = {{"ChooseLanguage", "MarovinLang.ini"},
                               {"ChooseLanguage", "MarovinLanguages.txt"},
                               {"InitEngineAndWindow", "Textures/joyback.jpg"},
                               {"StartFlight", "Textures/progress.png"},
                               {"StartFlight", "Textures/marovinlogo.png"},
                               {"StartFlight", "Textures/earthrise.png"},
                               {"StartFlight", "Textures/moonbottomofintro.png"},
                               {"LoadInstrumentLayout", "Instruments.ini"},
                               {"Command_Help", "Help/marovinhelp.html"},
                               {"Command_Help", "Help/marovinhelpG.html"},
                               {"CreateSounds", "General Sounds/backgroundmusic.mp3"}};
  for (const char* n : {"0", "11", "12", "13", "14", "15", "16", "17"})
    files.push_back({"BuildScene", std::string("Textures/earth") + n + ".png"});
  for (const char* button : {"ButtonOn", "ButtonOff", "ButtonRollOn", "Quit", "REPLAY", "FLIGHT",
                             "TextOff", "TextOffRoll", "TextOn", "TextOnRoll"})
    files.push_back({"LoadMenuTextures", std::string("Textures/Buttons/") + button + ".png"});
  for (const char* suffix : {"", " LDE"}) {
    for (const char* name : {"JoyAssign", "KeyBoardOnly"})
      files.push_back({"LoadJoyAssignments", std::string(name) + suffix + ".ini"});
    for (const char* program : {"P12", "P20", "P51", "P64", "P66", "P68", "P71"})
      files.push_back({"LoadProgramHelpText", std::string("Help/") + program + suffix + ".txt"});
  }
  for (const char* sound : {"silence.wav", "click.wav", "DescentEngineNoise.wav", "rcscont.wav",
                            "RCSBoom2.wav", "separate.wav", "boom.wav", "bounceoff.wav",
                            "harddock.wav", "scapeintunnel.wav", "test11.wav"})
    files.push_back({"CreateSounds", std::string("General Sounds/") + sound});
  return files;
}

std::vector<uint8_t> Bytes(const fs::path& path) {
  return win::ReadFileBytes(path, 64u << 20).value_or(std::vector<uint8_t>{});
}

TEST(ProgramFolderManifest, EveryFixedFileIsThereAndReadsThroughItsReader) {
  for (const Opened& opened : FixedFiles()) {
    const fs::path path = Folder / opened.file;
    ASSERT_TRUE(fs::is_regular_file(path))
        << opened.procedure << " opens " << opened.file << ", which is missing";
    const std::string extension = win::FoldAsciiCase(path.extension().string());
    const std::vector<uint8_t> bytes = Bytes(path);
    if (extension == ".png" || extension == ".jpg") {
      EXPECT_TRUE(d3dx::ReadImageInfo(bytes)) << opened.file;
    } else if (extension == ".wav") {
      EXPECT_EQ(sound::ReadWaveFormat(bytes).channels, 1) << opened.file;
    } else if (extension == ".mp3") {
      EXPECT_EQ(sound::ReadMp3Format(bytes).layer, 3) << opened.file;
    } else if (opened.file.ends_with(".ini") && opened.file.starts_with("J")) {
      EXPECT_NE(win::GetPrivateProfileString("Assignments", "Pitch Axis", "", 16, path.string()),
                "");
    } else if (opened.file.ends_with(".ini") && opened.file.starts_with("K")) {
      EXPECT_EQ(win::GetPrivateProfileString("Assignments", "Rate of Descent UP Key", "", 16,
                                             path.string()),
                "O");
    }
  }
}

// A program help text: at most 80 lines, each a text with no comma, or a text, one comma and a
// colour word.
TEST(ProgramFolderManifest, TheProgramHelpTextsFitTheirRecords) {
  for (const char* suffix : {"", " LDE"})
    for (const char* program : {"P12", "P20", "P51", "P64", "P66", "P68", "P71"}) {
      const fs::path path = Folder / "Help" / (std::string(program) + suffix + ".txt");
      SCOPED_TRACE(path.string());
      std::ifstream file(path);
      std::string line;
      int count = 0;
      while (std::getline(file, line)) {
        ++count;
        const size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        EXPECT_EQ(line.find(',', comma + 1), std::string::npos) << line;
        const std::string colour = win::FoldAsciiCase(line.substr(comma + 1));
        EXPECT_TRUE(colour == "white" || colour == "gray") << line;
      }
      EXPECT_GT(count, 3);
      EXPECT_LE(count, 80);
    }
}

TEST(ProgramFolderManifest, PicturesHaveTheSizesTheyAreAskedAt) {
  struct Size {
    std::string file;
    uint32_t width, height;
  };
  std::vector<Size> sizes = {{"Textures/GroundSpot.png", 256, 256},
                             {"Textures/nomouse.png", 4, 4},
                             {"Textures/Instruments/DSKYDisp.png", 128, 256},
                             {"Textures/Instruments/DSKYLights.png", 128, 256},
                             {"Textures/allmoon.jpg", 1024, 512}};
  for (int n = 1; n <= 14; ++n)
    sizes.push_back({"Textures/blasta" + std::to_string(n) + ".png", 32, 32});
  for (const auto& mission : fs::directory_iterator(Folder / "Missions"))
    if (fs::exists(mission.path() / "Textures"))
      for (int n = 0; n < 3; ++n)
        sizes.push_back(
            {fs::relative(mission.path() / "Textures" / ("Land" + std::to_string(n) + ".jpg"),
                          Folder)
                 .string(),
             1024, 1024});
  for (const Size& size : sizes) {
    const auto info = d3dx::ReadImageInfo(Bytes(Folder / size.file));
    ASSERT_TRUE(info) << size.file;
    EXPECT_EQ(info->Width, size.width) << size.file;
    EXPECT_EQ(info->Height, size.height) << size.file;
  }
  // The Orbital background stays within what the image reader takes.
  const auto background = d3dx::ReadImageInfo(Bytes(Folder / "Textures/moonbackground.jpg"));
  ASSERT_TRUE(background);
  EXPECT_LE(std::max(background->Width, background->Height), d3dx::kMaxImageSide);
}

size_t MaterialGroups(const std::string& model) {
  return d3dx::MergeXMeshes(d3dx::LoadXModel(d3dx::ReadXFile(Folder / "Models" / model)).root)
      .materials.size();
}

TEST(ProgramFolderManifest, ModelsHaveTheGroupsTheProgramColours) {
  for (int leg = 1; leg <= 4; ++leg)
    for (const std::string& model :
         {"LMDescentp" + std::to_string(leg) + ".x", "LMDescentP" + std::to_string(leg) + "S.x"})
      EXPECT_GE(MaterialGroups(model), 6u) << model;
  EXPECT_EQ(MaterialGroups("allmoon.x"), 8u);
  size_t models = 0;
  for (const auto& entry : fs::directory_iterator(Folder / "Models"))
    if (win::FoldAsciiCase(entry.path().extension().string()) == ".x") ++models;
  EXPECT_EQ(models, 142u);
}

// The altitude tape's row for h feet (of the 3411-row scale), and the rate tape's for v ft/s.
float AltitudeRow(float h) {
  if (h < 100) return 2349 + (100 - h) * 974 / 100;
  if (h <= 1000) return 1471 + (1000 - h) * 877 / 900;
  if (h <= 10000) return 597 + (10000 - h) * 874 / 9000;
  return 15 + (70000 - h) * 582 / 60000;
}
float RateRow(float v) {
  if (v >= 100) return 1107 + (v - 100) * 222 / 500;
  if (v <= -100) return (v + 600) * 269 / 600;
  return 222 + (v + 100) * 4.44f;
}

bool Dark(uint32_t pixel) { return ((pixel >> 16) & 0xFF) < 80 && ((pixel >> 8) & 0xFF) < 80; }

TEST(ProgramFolderManifest, TheTapesCarryTheirMarksWhereTheMappingsReadThem) {
  const ArgbImage altitude = ReadImage(Folder / "Textures/Instruments/Altitude.png");
  const float k = static_cast<float>(altitude.height) / 3411;
  for (float h : {0.0f, 20.0f, 100.0f, 500.0f, 1000.0f, 5000.0f, 10000.0f, 40000.0f, 70000.0f}) {
    const auto row = static_cast<uint32_t>(std::lround(AltitudeRow(h) * k));
    EXPECT_TRUE(Dark(altitude.At(altitude.width - 4, row))) << h << " ft at row " << row;
    EXPECT_FALSE(Dark(altitude.At(altitude.width - 4, row + 5))) << h << " ft";
  }
  const ArgbImage rate = ReadImage(Folder / "Textures/Instruments/AltitudeRate.png");
  EXPECT_EQ(rate.height, 1327u);
  for (float v : {-600.0f, -200.0f, -100.0f, -20.0f, 0.0f, 40.0f, 100.0f, 300.0f, 500.0f}) {
    const auto row = static_cast<uint32_t>(std::lround(RateRow(v)));
    EXPECT_TRUE(Dark(rate.At(rate.width - 4, row))) << v << " ft/s at row " << row;
  }
}

TEST(ProgramFolderManifest, TheDSKYFacesHaveTheirCellsWhereTheDSKYDrawsThem) {
  const ArgbImage face = ReadImage(Folder / "Textures/Instruments/DSKYDisp.png");
  const auto black = [&](int l, int t, int r, int b) {
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        if (face.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)) != 0xFF000000u)
          return false;
    return true;
  };
  EXPECT_TRUE(black(16, 11, 48, 48));    // COMP ACTY
  EXPECT_TRUE(black(85, 27, 115, 52));   // program
  EXPECT_TRUE(black(15, 74, 45, 100));   // verb
  EXPECT_TRUE(black(85, 74, 115, 100));  // noun
  for (int y : {122, 170, 215}) EXPECT_TRUE(black(12, y, 12 + 6 * 17, y + 28)) << y;
  EXPECT_FALSE(black(0, 0, 128, 256));

  const ArgbImage lamps = ReadImage(Folder / "Textures/Instruments/DSKYLights.png");
  const std::array<int, 7> tops = {9, 44, 79, 114, 149, 184, 219};
  const uint32_t cell = lamps.At(8, 10), ground = lamps.At(3, 3);
  EXPECT_NE(cell, ground);
  for (int top : tops)
    for (int left : {7, 65}) {
      EXPECT_EQ(lamps.At(static_cast<uint32_t>(left + 1), static_cast<uint32_t>(top + 1)), cell);
      EXPECT_EQ(lamps.At(static_cast<uint32_t>(left + 54), static_cast<uint32_t>(top + 27)), cell);
    }
}

// The texture co-ordinates of a model span 0..1 both ways, so a render surface or a picture set on
// it fills its face.
void ExpectWholeTexture(const std::string& model) {
  const d3dx::XMesh mesh =
      d3dx::MergeXMeshes(d3dx::LoadXModel(d3dx::ReadXFile(Folder / "Models" / model)).root);
  float u0 = 1, u1 = 0, v0 = 1, v1 = 0;
  for (const d3dx::D3DXVECTOR2& uv : mesh.texcoords) {
    u0 = std::min(u0, uv.x), u1 = std::max(u1, uv.x), v0 = std::min(v0, uv.y),
    v1 = std::max(v1, uv.y);
  }
  EXPECT_EQ(u0, 0.0f) << model;
  EXPECT_EQ(u1, 1.0f) << model;
  EXPECT_EQ(v0, 0.0f) << model;
  EXPECT_EQ(v1, 1.0f) << model;
}

TEST(ProgramFolderManifest, KeysLeversAndFacesCarryTheWholeTexture) {
  for (const char* key : {"Key0", "Key5", "Key9", "KeyPlus", "KeyMinus", "KeyEntr", "KeyKeyRel",
                          "KeyClr", "KeyRset", "KeyPro", "KeyNoun", "KeyVerb"})
    ExpectWholeTexture(std::string(key) + ".X");
  for (const char* face : {"FDAICdr", "FDAILmp", "XPointerCdr", "XPointerLmp", "AltitudeTape",
                           "AltitudeRate", "DSKYDisp", "DSKYLights", "LPDOutside", "LPDInside",
                           "Event_Timer", "Mission_Timer_Hours", "Mission_Timer_MinSec"})
    ExpectWholeTexture(std::string(face) + ".X");
  size_t levers = 0;
  for (const auto& entry : fs::directory_iterator(Folder / "Models"))
    if (entry.path().filename().string().starts_with("SW_")) {
      ExpectWholeTexture(entry.path().filename().string());
      ++levers;
    }
  EXPECT_EQ(levers, 23u);
}

// Where a plume points, in the LM's axes as drawn: from the pivot's vertical out along its cone.
d3dx::D3DXVECTOR3 PlumeDirection(int plume) {
  const d3dx::XMesh mesh = d3dx::MergeXMeshes(
      d3dx::LoadXModel(
          d3dx::ReadXFile(Folder / "Models" / ("RCSPlume" + std::to_string(plume) + ".x")))
          .root);
  // The cone's tip (at the nozzle) is its one vertex shared by every face; the rest is its base.
  d3dx::D3DXVECTOR3 base{0, 0, 0}, tip{0, 0, 0};
  size_t baseCount = 0, tipCount = 0;
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const d3dx::D3DXVECTOR3 p{-mesh.positions[i].x, mesh.positions[i].y, -mesh.positions[i].z};
    if (mesh.texcoords[i].y == 0.0f) {
      tip = {tip.x + p.x, tip.y + p.y, tip.z + p.z};
      ++tipCount;
    } else {
      base = {base.x + p.x, base.y + p.y, base.z + p.z};
      ++baseCount;
    }
  }
  const float b = 1.0f / static_cast<float>(baseCount), t = 1.0f / static_cast<float>(tipCount);
  d3dx::D3DXVECTOR3 d{base.x * b - tip.x * t, base.y * b - tip.y * t, base.z * b - tip.z * t};
  d3dx::D3DXVec3Normalize(&d, &d);
  return d;
}

TEST(ProgramFolderManifest, TheTranslationJetsBlowTheirPlumesAgainstTheThrust) {
  const SavedVariables saved(JetSelectionTables);
  FillJetSelectionTables();
  // The LM's axes in the world: x up, y to the right (+z), z forward (-x, where the hatch is).
  const struct {
    JetTable table;
    d3dx::D3DXVECTOR3 thrust;
  } translations[] = {{JetXPlus, {0, 1, 0}},   {JetXMinus, {0, -1, 0}}, {JetYPlus, {0, 0, 1}},
                      {JetYMinus, {0, 0, -1}}, {JetZPlus, {-1, 0, 0}},  {JetZMinus, {1, 0, 0}}};
  for (const auto& [table, thrust] : translations)
    for (int plume = 1; plume <= RCSPlumeCount; ++plume) {
      const JetCell& cell =
          JetSelectionTables[static_cast<size_t>(table)][static_cast<size_t>(plume - 1)];
      if (!cell.a && !cell.b) continue;
      const d3dx::D3DXVECTOR3 d = PlumeDirection(plume);
      EXPECT_LT(d.x * thrust.x + d.y * thrust.y + d.z * thrust.z, -0.99f)
          << "table " << table << " plume " << plume;
    }
}

TEST(ProgramFolderManifest, ThePanelPictureIsClearOverEveryInstrument) {
  const ArgbImage panel = ReadImage(Folder / "Textures/MainScreen.png");
  ASSERT_EQ(panel.width, 1600u);
  const std::string layout = (Folder / "Instruments.ini").string();
  // Loaded with the code colour, the picture is clear where its alpha channel is.
  const auto alpha = [&](uint32_t x, uint32_t y) { return panel.At(x, y) >> 24; };
  for (const char* section : {"FDAI", "XPointer", "Altitude Tape", "Altitude Rate Tape"}) {
    const auto at = [&](const char* key) {
      return static_cast<uint32_t>(
          std::stoi(win::GetPrivateProfileString(section, key, "0", 16, layout)));
    };
    const uint32_t left = at("Left"), top = at("Top"), right = at("Right"), bottom = at("Bottom");
    EXPECT_EQ(alpha((left + right) / 2, (top + bottom) / 2), 0u) << section;
    EXPECT_EQ(alpha(left - 3, (top + bottom) / 2), 255u) << section;
  }
}

}  // namespace
