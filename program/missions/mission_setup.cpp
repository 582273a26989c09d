#include "program/missions/mission_setup.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/win/ascii_case.h"
#include "platform/win/trim.h"
#include "program/missions/ini.h"
#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"

namespace {

const char* const StaticSection = "Static Parameters";

// A number that is the whole text (blanks around it aside): sign, digits, one decimal point in
// the regional form or ".", and an exponent; rounded half to even into a 32-bit integer.
std::optional<int32_t> StrictInteger(std::string_view text) {
  text = win::TrimBlanks(text);
  size_t i = 0;
  const auto digits = [&] {
    const size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t mantissaDigits = digits();
  if (i < text.size() && (text[i] == '.' || text[i] == RegionalDecimalSeparator)) {
    ++i;
    mantissaDigits += digits();
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  std::string plain(text);
  for (char& c : plain) {
    if (c == RegionalDecimalSeparator) c = '.';
  }
  return RoundTo<int32_t>(std::strtod(plain.c_str(), nullptr));
}

std::optional<bool> StrictFlag(std::string_view text) {
  const std::string_view word = win::TrimBlanks(text);
  if (win::EqualsIgnoringCase(word, "true")) return true;
  if (win::EqualsIgnoringCase(word, "false")) return false;
  const std::optional<int32_t> number = StrictInteger(text);
  if (!number) return std::nullopt;
  return *number != 0;
}

using CommaFields = std::array<std::string, CommaListFields + 1>;

std::optional<AltitudeCallEntry> AltitudeCall(const CommaFields& fields) {
  const std::optional<int32_t> altitude = StrictInteger(fields[2]);
  const std::optional<int32_t> interval = StrictInteger(fields[3]);
  const std::optional<bool> armsRateCalls = StrictFlag(fields[4]);
  const std::optional<bool> once = StrictFlag(fields[5]);
  if (!altitude || !interval || !armsRateCalls || !once) return std::nullopt;
  AltitudeCallEntry entry;
  entry.File = fields[1];
  entry.Altitude = *altitude;
  entry.Interval = *interval;
  entry.ArmsRateCalls = *armsRateCalls;
  entry.Once = *once;
  return entry;
}

CalloutEntry Callout(const CommaFields& fields) {
  CalloutEntry entry;
  entry.File = fields[1];
  entry.Low = ToWhole(fields[2]).value_or(0);
  entry.High = ToWhole(fields[3]).value_or(0);
  entry.Interval = ToWhole(fields[4]).value_or(0);
  entry.Once = ToFlag(fields[5]);
  return entry;
}

int32_t CalloutCount(const ProfileFile& file, const std::string& section) {
  const int32_t count = file.Whole(section, "Number of Calls", "0");
  if (count < 0 || count > MaxCalloutCount) {
    LogFileProblem(file.Path(), section + ": Number of Calls " + std::to_string(count) +
                                    " is outside 0 to " + std::to_string(MaxCalloutCount));
    return count < 0 ? 0 : MaxCalloutCount;
  }
  return count;
}

void ReadAltitudeCalls(const ProfileFile& file) {
  const std::string section = "Altitude Calls";
  const int32_t count = CalloutCount(file, section);
  AltitudeCalls.clear();
  for (int32_t i = 1; i <= count; ++i) {
    const std::string key = "Alt" + std::to_string(i);
    const std::string line = file.Text(section, key, "");
    CommaFields fields;
    SplitCommaList(line, fields);
    if (std::optional<AltitudeCallEntry> entry = AltitudeCall(fields)) {
      AltitudeCalls.push_back(std::move(*entry));
    } else {
      LogFileProblem(file.Path(),
                     section + ": " + key + "=" + line +
                         " is no callout (file,altitude,interval,arms rate calls,once);"
                         " left out");
    }
  }
}

void ReadCallouts(const ProfileFile& file, const std::string& section, const std::string& prefix,
                  std::vector<CalloutEntry>& table) {
  const int32_t count = CalloutCount(file, section);
  table.assign(static_cast<size_t>(count), CalloutEntry{});
  for (int32_t i = 1; i <= count; ++i) {
    CommaFields fields;
    SplitCommaList(file.Text(section, prefix + std::to_string(i), ""), fields);
    table[static_cast<size_t>(i - 1)] = Callout(fields);
  }
}

void ReadSoundNames(const ProfileFile& file) {
  const auto text = [&](const char* section, const char* key) {
    return file.Text(section, key, "");
  };
  LoadingSoundFile = text("General", "Start Loading");
  InitiationSoundFile = text("General", "After Initiation");
  FlyingTheme = text("General", "Flying Theme");
  AscentSoundFile = text("General", "Ascent");
  DockingSoundFiles = {text("General", "Undock1"), text("General", "Undock2"),
                       text("General", "Dock1"), text("General", "Dock2")};
  MissionVoiceFiles = {
      text("Mission Specific", "On the Porch"), text("Mission Specific", "Down Ladder"),
      text("Mission Specific", "Foot of Ladder"), text("Mission Specific", "Drifting to Right"),
      text("Mission Specific", "Forward")};
  SurfaceSoundFile = text("Moon Surface", "Surface");
  LandedSoundFile = text("Moon Surface", "Landed");
}

}  // namespace

int32_t SplitCommaList(std::string_view text, std::array<std::string, CommaListFields + 1>& parts) {
  parts[0].clear();
  return SplitFields(text, ',', std::span(parts).subspan(1));
}

void LoadMissionSetup() {
  const ProfileFile file(ScenarioPath());
  CockpitViewAngle = file.Number(StaticSection, "CockpitViewAngle", "25");
  FullScreenViewAngle = file.Number(StaticSection, "FullScreenViewAngle", "25");
  FullScreenViewYawAngle = file.Number(StaticSection, "FullScreenViewYawAngle", "0");
  for (int n = 0; n < LandTileFileCount; ++n) {
    const std::string digits = std::to_string(n);
    LandTileFiles[n].TextureFile = file.Text("Landscape", "Land Texture " + digits, "Missing");
    LandTileFiles[n].HeightFile = file.Text("Landscape", "Land Height " + digits, "Missing");
  }
  ReadAltitudeCalls(file);
  ReadCallouts(file, "Descent Calls", "Des", DescentCalls);
  ReadCallouts(file, "LPD Calls", "LPD", LPDCalls);
  ReadCallouts(file, "Fuel Calls", "Fuel", FuelCalls);
  ReadSoundNames(file);
}
