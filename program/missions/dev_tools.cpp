#include "program/missions/dev_tools.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <span>

#include "platform/engine/input.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_writer.h"
#include "platform/win/numbers.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/ini.h"
#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"
#include "program/missions/missions_texts.h"
#include "program/missions/path_nodes.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

namespace scan = engine::scan;

constexpr int32_t PathCountMessageMs = 500;
constexpr int32_t PathWrittenMessageMs = 2000;
constexpr int32_t SurveyorKeyDelayMs = 500;
constexpr float SurveyorIncrementStep = 0.001f;
constexpr uint32_t RedLine = 0xFFFF0000;
constexpr uint32_t BlueLine = 0xFF0000FF;
constexpr uint32_t GreenLine = 0xFF00FF00;
constexpr uint32_t DefaultLine = 0xFFFFFFFF;  // -1
constexpr int32_t LastLandFunction = 4;
constexpr int32_t LastSurveyorFunction = 5;

const char* const LandFunctionNames[] = {"", "Scale X-Z", "Scale Y", "Move X/Z", "Move Y"};
const char* const SurveyorFunctionNames[] = {"RotateX", "RotateY", "RotateZ",
                                             "Move X",  "Move Y",  "Move Z"};

std::string MissionFolder() { return ProgramFolder() + "\\Missions\\" + MissionName + "\\"; }

void ShowWriteFailure(const std::string& path) {
  forms::MsgBox(EnsureTralexa().GetTranslation(ToolFileNotWritten) + "\n" + path,
                forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
}

void WriteScenarioNumber(const std::string& section, const std::string& key, float value) {
  WriteINI(section, key, SingleText(value), ScenarioPath());
}

void WriteScenarioVector(const std::string& section, const std::string& prefix, const Vector3& v) {
  WriteScenarioNumber(section, prefix + "X", v.x);
  WriteScenarioNumber(section, prefix + "Y", v.y);
  WriteScenarioNumber(section, prefix + "Z", v.z);
}

forms::Control& KeyTimer() { return Main_Display->TimerKeyPress; }
bool KeyTimerFree() { return !KeyTimer().Enabled(); }

// Keeps a scale step defined: the divisor never reaches 0.
void ChangeScaleIncrement(float& increment, float change) {
  const float next = increment + change;
  if (next != 0.0f) increment = next;
}

float ScaledStep(float value, float increment, float direction) {
  return std::max(value + direction * value / increment, 0.0f);
}

}  // namespace

std::string PathNodeFilePath() { return MissionFolder() + FlightFile + ".nde"; }
std::string DockingMatrixFilePath() { return MissionFolder() + "LMDock.loc"; }

void RecordPathNode(const Vector3& cameraPosition) {
  PathNodes.resize(static_cast<size_t>(PathNodeCount));
  PathNodes.push_back(cameraPosition);
  ++PathNodeCount;
  ShowMessage(std::to_string(PathNodeCount), PathCountMessageMs, 0, 0);
}

void AddPathNode() {
  if (!ViewCameras[1]) return;
  const d3dx::D3DXVECTOR3 position = ViewCameras[1]->GetPosition();
  RecordPathNode({position.x, position.y, position.z});
}

void SavePathNodes() {
  const int32_t count = std::clamp(PathNodeCount, 0, static_cast<int32_t>(PathNodes.size()));
  const std::string path = PathNodeFilePath();
  const bool written =
      WritePathNodeFile(path, std::span(PathNodes).first(static_cast<size_t>(count)));
  forms::DoEvents();
  if (!written) {
    ShowWriteFailure(path);
    return;
  }
  ShowMessage(EnsureTralexa().GetTranslation(PathNodesWrittenText), PathWrittenMessageMs, 0, 0);
}

void LoadPathNodes(engine::EnginePath& path) {
  path.Clear();
  const std::string file = PathNodeFilePath();
  if (!std::filesystem::exists(win::ResolvePath(file))) return;
  const auto nodes = ReadPathNodeFile(file);
  if (!nodes) {
    forms::MsgBox(EnsureTralexa().GetTranslation(PathNodesRefused) + "\n" + file,
                  forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
    return;
  }
  PathNodes = *nodes;
  PathNodeCount = static_cast<int32_t>(nodes->size());
  for (const Vector3& node : *nodes) path.AddPoint({node.x, node.y, node.z});
  forms::DoEvents();
}

void SaveViewSetup() {
  const std::string section = "Flight Parameters";
  INIWriteBatch batch(ScenarioPath());
  for (int i = 0; i < VirtualCockpitViewCount; ++i) {
    const std::string n = std::to_string(i + 1);
    WriteScenarioVector(section, "VirtualC" + n + ".", VirtualCockpitEye[static_cast<size_t>(i)]);
    WriteScenarioVector(section, "VirtualRotation" + n + ".",
                        VirtualCockpitRotation[static_cast<size_t>(i)]);
  }
  const std::pair<const char*, ViewIndex> views[] = {
      {"VirtualView1", VirtualView1}, {"VirtualView2", VirtualView2},
      {"VirtualView3", VirtualView3}, {"CockpitView1", CockpitView1},
      {"CockpitView2", CockpitView2}, {"CockpitView3", CockpitView3},
      {"SpotView1", SpotView1},       {"SpotView2", SpotView2}};
  for (const auto& [name, view] : views)
    WriteScenarioNumber(section, std::string(name) + " VVFrustram",
                        ViewRecords[static_cast<size_t>(view)].ViewAngle);
  batch.Commit();
}

void SaveStartPosition(const std::array<float, 16>& pivotMatrix) {
  const std::string section = "Flight Parameters";
  INIWriteBatch batch(ScenarioPath());
  WriteScenarioNumber(section, "StartX", LMMeshPosition.x * WorldScale);
  WriteScenarioNumber(section, "StartY", LMMeshPosition.y * WorldScale);
  WriteScenarioNumber(section, "StartZ", LMMeshPosition.z * WorldScale);
  batch.Commit();
  win::ByteWriter writer;
  for (float value : pivotMatrix) writer.F32(value);
  const std::string path = DockingMatrixFilePath();
  if (!win::WriteFileBytes(win::ResolvePath(path), writer.Data())) ShowWriteFailure(path);
}

void AddValueLine(const std::string& label, const std::string& value, uint32_t colour) {
  const int32_t n = std::min(ValueLineCount, MaxValueLines - 1);
  ValueLineCount = n + 1;
  ValueLineList[static_cast<size_t>(n + 1)] = {label, value, colour};
}

void AddValueLine(const std::string& label, double value, uint32_t colour) {
  AddValueLine(label, win::FormatNumber(value, "######.###"), colour);
}

void RunLandMoveTool(const engine::EngineInput& input,
                     const std::array<engine::EngineLandscape*, 3>& tiles) {
  const int32_t c = std::clamp(CurrentLand, 0, LandTileCount - 1);
  const size_t tile = static_cast<size_t>(c);
  const int32_t function = std::clamp(LandFunction, 0, LastLandFunction);
  AddValueLine("Current Land", c, RedLine);
  AddValueLine("Function", LandFunctionNames[function], BlueLine);
  const bool minus = input.IsKeyPressed(scan::kMinus);
  if (minus || input.IsKeyPressed(scan::kEquals)) {
    const float change = minus ? 1.0f : -1.0f;
    if (function == 3 || function == 4) {
      MoveIncrement[tile] -= change;
      AddValueLine("Move Increment", MoveIncrement[tile], GreenLine);
    } else if (function == 1 || function == 2) {
      ChangeScaleIncrement(ScaleIncrement[tile], change);
      AddValueLine("Scale Increment", ScaleIncrement[tile], GreenLine);
    }
    return;
  }
  if (KeyTimerFree()) {
    if (input.IsKeyPressed(scan::kI)) {
      CurrentLand = (c + 1) % LandTileCount;
      KeyTimer().SetEnabled(true);
    } else if (input.IsKeyPressed(scan::kJ)) {
      LandFunction = function == LastLandFunction ? 1 : function + 1;
      KeyTimer().SetEnabled(true);
    } else if (input.IsKeyPressed(scan::kO)) {
      SaveLandPosition();
      KeyTimer().SetEnabled(true);
    }
  }
  const float direction = input.IsKeyPressed(scan::kUp)     ? -1.0f
                          : input.IsKeyPressed(scan::kDown) ? 1.0f
                                                            : 0.0f;
  Vector3& scale = LandTileScale[tile];
  Vector3& position = LandTilePosition[tile];
  bool moved = false;
  if (direction != 0.0f) {
    switch (function) {
      case 1:
        scale.x = ScaledStep(scale.x, ScaleIncrement[tile], direction);
        scale.z = ScaledStep(scale.z, ScaleIncrement[tile], direction);
        break;
      case 2:
        scale.y = ScaledStep(scale.y, ScaleIncrement[tile], direction);
        break;
      case 3:
        position.x += direction * MoveIncrement[tile];
        moved = true;
        break;
      case 4:
        position.y += direction * MoveIncrement[tile];
        moved = true;
        break;
      default:
        break;
    }
  }
  if (function == 3) {
    if (input.IsKeyPressed(scan::kLeft)) position.z -= MoveIncrement[tile];
    if (input.IsKeyPressed(scan::kRight)) position.z += MoveIncrement[tile];
    moved = moved || input.IsKeyPressed(scan::kLeft) || input.IsKeyPressed(scan::kRight);
  }
  if (moved && tiles[tile] != nullptr) tiles[tile]->SetPosition(position.x, position.y, position.z);

  const bool detailed = LandPrecision == 1 || LandPrecision == 2 || LandPrecision == 4;
  const float f = detailed ? 1.0f : 0.0f;
  if (detailed && tiles[2] != nullptr)
    tiles[2]->SetScale(LandTileScale[2].x, LandTileScale[2].y, LandTileScale[2].z, -1);
  for (size_t i = 0; i < 2; ++i) {
    if (tiles[i] != nullptr)
      tiles[i]->SetScale(f * LandTileScale[i].x, LandTileScale[i].y, f * LandTileScale[i].z, -1);
  }
}

void SaveLandPosition() {
  const std::string section = PrecisionSection("Landscape Position");
  INIWriteBatch batch(ScenarioPath());
  for (int i = 0; i < LandTileCount; ++i) {
    const std::string n = " " + std::to_string(i);
    const Vector3& p = LandTilePosition[static_cast<size_t>(i)];
    const Vector3& s = LandTileScale[static_cast<size_t>(i)];
    WriteScenarioNumber(section, "LandPositionX" + n, p.x);
    WriteScenarioNumber(section, "LandPositionY" + n, p.y);
    WriteScenarioNumber(section, "LandPositionZ" + n, p.z);
    WriteScenarioNumber(section, "LandX" + n, s.x);
    WriteScenarioNumber(section, "LandY" + n, s.y);
    WriteScenarioNumber(section, "LandZ" + n, s.z);
  }
  batch.Commit();
}

void RunSurveyorMoveTool(const engine::EngineInput& input) {
  const bool minus = input.IsKeyPressed(scan::kMinus);
  if (minus || input.IsKeyPressed(scan::kEquals)) {
    SurveyorIncrement += minus ? -SurveyorIncrementStep : SurveyorIncrementStep;
    AddValueLine("Increment = ", SurveyorIncrement, DefaultLine);
  }
  if (KeyTimerFree() && input.IsKeyPressed(scan::kJ)) {
    SurveyorFunction = SurveyorFunction >= LastSurveyorFunction ? 0 : SurveyorFunction + 1;
    KeyTimer().SetInterval(SurveyorKeyDelayMs);
    KeyTimer().SetEnabled(true);
  }
  const int32_t function = std::clamp(SurveyorFunction, 0, LastSurveyorFunction);
  AddValueLine("Function", SurveyorFunctionNames[function], GreenLine);
  if (KeyTimerFree() && input.IsKeyPressed(scan::kO)) {
    SaveSurveyorPosition();
    KeyTimer().SetEnabled(true);
  }
  const float direction = input.IsKeyPressed(scan::kUp)     ? 1.0f
                          : input.IsKeyPressed(scan::kDown) ? -1.0f
                                                            : 0.0f;
  if (direction == 0.0f) return;
  const bool rotating = function <= 2;
  Vector3& target = rotating ? SurveyorRotation : SurveyorPosition;
  const float step =
      direction *
      (rotating ? static_cast<float>(SurveyorIncrement * RadiansPerDegree) : SurveyorIncrement);
  float* const axes[] = {&target.x, &target.y, &target.z};
  *axes[function % 3] += step;
}

void SaveSurveyorPosition() {
  const std::string section = PrecisionSection("Surveyor");
  INIWriteBatch batch(ScenarioPath());
  WriteScenarioNumber(section, "Surveyor X", SurveyorPosition.x);
  WriteScenarioNumber(section, "Surveyor Y", SurveyorPosition.y);
  WriteScenarioNumber(section, "Surveyor Z", SurveyorPosition.z);
  WriteScenarioNumber(section, "Surveyor RotateX", SurveyorRotation.x * MilliradiansPerRadian);
  WriteScenarioNumber(section, "Surveyor RotateY", SurveyorRotation.y * MilliradiansPerRadian);
  WriteScenarioNumber(section, "Surveyor RotateZ", SurveyorRotation.z * MilliradiansPerRadian);
  batch.Commit();
}
