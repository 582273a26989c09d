#include "program/missions/mission_file.h"

#include <array>
#include <utility>

#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/ini.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr float SlugsPerKilogram = 0.06852f;
constexpr float PoundsPerKilogram = 2.20462f;

const char* const DefaultWorldScale = "1.45";  // feet per world unit

const char* const SwitchSection = "Switch Positions";
const char* const StaticSection = "Static Parameters";
const char* const FlightSection = "Flight Parameters";
const char* const LandscapeSection = "Landscape";

float Radians(float degrees) { return static_cast<float>(degrees * RadiansPerDegree); }

void ReadSwitchPositions(const ProfileFile& file) {
  struct SwitchKey {
    const char* Key;
    const char* Default;
    PanelItem* Record;
    const char* Label;
  };
  const SwitchKey keys[] = {
      {"PGNS", "2", &PGNSSwitch, "PGNS"},
      {"AGS", "0", &AGSSwitch, "AGS"},
      {"YawRCS", "2", &YawRCSSwitch, "Yaw Mode"},
      {"PitchRCS", "2", &RollRCSSwitch, "Roll Mode"},
      {"RollRCS", "2", &PitchRCSSwitch, "Pitch Mode"},
      {"XPointer", "1", &XPointerSwitch, "X-Pointer"},
      {"Ratescale", "1", &RateScaleSwitch, "Rate Scale"},
      {"Autothrottle", "1", &AutoThrottleSwitch, "Auto Throttle"},
      {"Deadband", "0", &DeadbandSwitch, "Deadband"},
  };
  for (const SwitchKey& key : keys) {
    key.Record->SwitchPosition = file.Whole(SwitchSection, key.Key, key.Default);
    key.Record->Label = key.Label;
  }
}

void ReadStaticParameters(const ProfileFile& file) {
  const auto number = [&](const char* key, const char* defaultText) {
    return file.Number(StaticSection, key, defaultText);
  };
  MaxCommandedRadialVelocity = Radians(number("Maximum Commanded Radial Velocity", "20"));
  DPSThrust = number("DPS Thrust", "9700");
  APSThrust = number("APS Thrust", "9700");
  MinThrottle = number("Min Thrust", ".1");
  RCSThrust = number("RCS Thrust", "100");
  Gravity = number("Gravity", "5.266");
  RCSDistance = -(number("Distance between RCS units", "13") / 2.0);
  DescentMassEmpty = number("Descent Mass Empty", "1984") * SlugsPerKilogram;
  AscentMassEmpty = number("Ascent Mass Empty", "2189") * SlugsPerKilogram;
  DescentFuelMass = number("Descent Fuel Mass", "0") * PoundsPerKilogram;
  AscentFuelMass = number("Ascent Fuel Mass", "2358") * PoundsPerKilogram;
  WorldScale = number("FtPerWorldUnit", DefaultWorldScale);
  // Every length of the scenario is divided by the scale: a zero or negative one would turn the
  // whole flight into infinities, so it counts as absent.
  if (!(WorldScale > 0.0f)) WorldScale = ToNumber(DefaultWorldScale);
}

void ReadSurveyor(const ProfileFile& file) {
  const std::string section = PrecisionSection("Surveyor");
  const auto number = [&](const char* key, const char* defaultText) {
    return file.Number(section, key, defaultText);
  };
  SurveyorPosition = {number("Surveyor X", "1219.483"), number("Surveyor Y", "-6.856903"),
                      number("Surveyor Z", "679.5172")};
  SurveyorRotation = {number("Surveyor RotateX", "178.3481") / MilliradiansPerRadian,
                      number("Surveyor RotateY", "-1820.4") / MilliradiansPerRadian,
                      number("Surveyor RotateZ", "-86.71369") / MilliradiansPerRadian};
}

// The historic landing spot of the Apollo 11 and 12 sites, feet; elsewhere the tile centre.
std::pair<const char*, const char*> HistoricSpotDefaults() {
  switch (MissionType) {
    case 11:
      return {"506", "1114"};
    case 12:
      return {"1480", "1280"};
    default:
      return {"1024", "1024"};
  }
}

// "Program Mode" by exact text; an unknown text keeps the running program.
void SetProgramMode(const std::string& text) {
  struct ProgramMode {
    const char* Text;
    int32_t Program;
  };
  constexpr ProgramMode modes[] = {{"-99", NoProgram}, {"P20", P20}, {"P63", P63},
                                   {"P64", P64},       {"P65", P65}, {"P66", P66}};
  for (const ProgramMode& mode : modes) {
    if (text == mode.Text) CurrentProgram = mode.Program;
  }
  StartProgram = CurrentProgram;
}

void ReadVirtualCockpitViews(const ProfileFile& file) {
  const auto number = [&](const std::string& key) { return file.Number(FlightSection, key, "0"); };
  for (int view = VirtualCockpitViewCount; view >= 1; --view) {
    const std::string n = std::to_string(view);
    VirtualCockpitEye[view - 1] = {number("VirtualC" + n + ".X"), number("VirtualC" + n + ".Y"),
                                   number("VirtualC" + n + ".Z")};
    VirtualCockpitRotation[view - 1] = {number("VirtualRotation" + n + ".X"),
                                        number("VirtualRotation" + n + ".Y"),
                                        number("VirtualRotation" + n + ".Z")};
  }
  struct ViewAngleKey {
    const char* Key;
    ViewIndex View;
    const char* Default;
  };
  constexpr ViewAngleKey angles[] = {
      {"VirtualView1 VVFrustram", VirtualView1, "60"},
      {"VirtualView2 VVFrustram", VirtualView2, "60"},
      {"VirtualView3 VVFrustram", VirtualView3, "60"},
      {"CockpitView1 VVFrustram", CockpitView1, "66.66"},
      {"CockpitView2 VVFrustram", CockpitView2, "66.66"},
      {"CockpitView3 VVFrustram", CockpitView3, "66.66"},
      {"SpotView1 VVFrustram", SpotView1, "60"},
      {"SpotView2 VVFrustram", SpotView2, "60"},
  };
  for (const ViewAngleKey& angle : angles) {
    ViewRecords[angle.View].ViewAngle = file.Number(FlightSection, angle.Key, angle.Default);
  }
  // A flight starts in the first cockpit view's placement.
  CurrentCockpitEye = VirtualCockpitEye[0];
  CurrentCockpitRotation = VirtualCockpitRotation[0];
}

void ReadClock(const ProfileFile& file, TimeRecord& clock, const char* hoursKey,
               const char* minutesKey, const char* secondsKey,
               const std::array<const char*, 3>& defaults) {
  clock.Hours = file.Whole(FlightSection, hoursKey, defaults[0]);
  clock.Minutes = file.Whole(FlightSection, minutesKey, defaults[1]);
  clock.Seconds = file.Whole(FlightSection, secondsKey, defaults[2]);
}

void ReadFlightParameters(const ProfileFile& file) {
  const auto number = [&](const char* key, const char* defaultText) {
    return file.Number(FlightSection, key, defaultText);
  };
  CMAttitude.Pitch = -Radians(number("CM Pitch", "-36"));
  CMAttitude.Roll = Radians(number("CM Roll", "-36"));
  CMAttitude.Yaw = Radians(number("CM Yaw", "-36") + 90.0f);
  LandingSpot = {number("Landing Spot EW", "1480") / WorldScale,
                 number("Landing Spot NS", "1300") / WorldScale};
  // The last flight's redesignations turned the track to its own spot.
  LPDCrossRangeAngle = 0.0f;
  const auto [historicEW, historicNS] = HistoricSpotDefaults();
  HistoricLandingSpot = {number("Historic Landing Spot EW", historicEW) / WorldScale,
                         number("Historic Landing Spot NS", historicNS) / WorldScale};
  DescentSpeed = number("Descent Speed", "-143");
  Docked = file.Flag(FlightSection, "Docked", "0");
  AscentOnly = file.Flag(FlightSection, "AscentOnly", "0");
  RCSFuel = number("RCS Fuel", "5000");
  StartPosition = {number("StartX", "5000") / WorldScale, number("StartY", "5000") / WorldScale,
                   number("StartZ", "5000") / WorldScale};
  StartRotation = {Radians(number("RotationX", "0")), Radians(number("RotationY", "0")),
                   Radians(number("RotationZ", "0"))};
  StartVelocity = {number("VelocityX", "0"), number("VelocityY", "0"), number("VelocityZ", "0")};
  P64LowGateHeight = number("P64 LowGate Height", "350");
  SetProgramMode(file.Text(FlightSection, "Program Mode", "-99"));
  ReadVirtualCockpitViews(file);
  ReadClock(file, MissionClock, "Mission Time Hours", "Mission Time Minutes",
            "Mission Time Seconds", {"102", "41", "35"});
  ReadClock(file, EventClock, "Event Time Hours", "Event Time Minutes", "Event Time Seconds",
            {"0", "8", "15"});
  AscentStartTime = file.SingleValue(FlightSection, "Ascent Start Time", "25");
  ReadClock(file, TimeToAscentIgnition, "Time to Ascent Ignition H", "Time to Ascent Ignition Min",
            "Time to Ascent Ignition Sec", {"0", "1", "0"});
  SetTimeDigits(TimeToAscentIgnition);
}

void ReadLandscape(const ProfileFile& file) {
  const auto value = [&](const char* key, const char* defaultText) {
    return file.SingleValue(LandscapeSection, key, defaultText);
  };
  // The "!" is a type mark that ends the number.
  MoonRadius = value("Moon Radius", "-4957000!");
  MoonAngle = {value("Moon Angle X", "0"), value("Moon Angle Y", "0"), value("Moon Angle Z", "0")};

  const std::string section = PrecisionSection("Landscape Position");
  for (int tile = 0; tile < LandTileCount; ++tile) {
    const std::string n = std::to_string(tile);
    const auto number = [&](const char* key) { return file.Number(section, key + n, "0"); };
    LandTilePosition[tile] = {number("LandPositionX "), number("LandPositionY "),
                              number("LandPositionZ ")};
    LandTileScale[tile] = {number("LandX "), number("LandY "), number("LandZ ")};
  }
}

}  // namespace

std::string PrecisionSection(const std::string& prefix) {
  switch (LandPrecision) {
    case 1:
      return prefix + " Low";
    case 2:
      return prefix + " Medium";
    case 4:
      return prefix + " High";
    default:
      return prefix;
  }
}

std::string ScenarioPath() {
  return ProgramFolder() + "\\Missions\\" + MissionName + "\\" + FlightFile + ".sit";
}

void LoadMissionFile() {
  const ProfileFile file(ScenarioPath());
  ReadSwitchPositions(file);
  ReadStaticParameters(file);
  ReadSurveyor(file);
  ReadFlightParameters(file);
  ReadLandscape(file);
}

void LoadMissionDescription() {
  const ProfileFile file(ScenarioPath());
  const std::string section = "Mission Description " + std::to_string(CurrentLanguage);
  MissionDescription[0] = file.Text(section, "Title", "Marovin Vuzidu Mission");
  for (int line = 1; line < MissionDescriptionLines; ++line) {
    MissionDescription[line] = file.Text(section, "Line " + std::to_string(line), " ");
  }
}
