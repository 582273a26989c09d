// Program-wide state of the settings, missions and launcher subsystem: the settings that only the
// settings file and the dialogs keep, the scenario's own values, the mission set-up with its
// callout tables, and the instrument layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/flight/vector3.h"

// --- Settings ---------------------------------------------------------------------------------

inline int32_t VideoMode = 0;     // item data of the chosen display mode
inline int32_t VideoWidth = 0;    // pixels of the chosen display mode
inline int32_t VideoHeight = 0;   // pixels
inline int32_t VideoBits = 0;     // 16 or 32 bits per pixel
inline int32_t RenderDetail = 0;  // terrain-flash reduction: 0 off, 1 medium, 2 high
inline bool FullScreen = false;
inline int32_t LandPrecision = 0;      // landscape detail: 1, 2 or 4
inline float TextureQuality = 0.0f;    // 0.25, 0.5 or 1
inline int32_t DetailTextureMode = 0;  // texture-operation code of the land detail texture
inline int16_t StartupView = 0;        // 1 to 9, the view a flight starts in
inline float StarMagnitudeCut = 0.0f;
inline int32_t StarSize = 0;
inline int32_t StarBrightness = 0;
inline bool StarInformationFlag = false;
inline bool MovieMode = false;
inline int32_t MovieWidth = 0;   // pixels
inline int32_t MovieHeight = 0;  // pixels
inline bool SimpleLM = false;
inline bool SimpleCockpit = false;
inline int32_t RockCount = 0;  // the rocks slider position until a flight starts
inline int32_t RockGraphic = 0;
inline std::string FlightName;  // the scenario name chosen in the launcher
// The scenario file (no ".sit") of each entry of the launcher's flight list, by list index.
inline std::vector<std::string> FlightFiles;
inline bool SoundOn = false;
inline int32_t RCSVolume = 0;     // 0 to 100
inline int32_t EngineVolume = 0;  // 0 to 100
inline int32_t MusicVolume = 0;   // 0 to 100
inline int32_t MasterVolume = 0;  // 0 to 100
inline float Gamma = 0.0f;
inline float ShipGamma = 0.0f;
inline int32_t ActivePilot = 0;  // 1 to PilotCount
inline bool GraphicsDebug = false;
inline bool DisplayFPS = false;
inline bool SetVsync = false;
inline bool SpecularLighting = false;
inline int32_t TextureMode = 0;     // 0 16 bit, 1 32 bit, 2 compressed, 3 automatic
inline int32_t SetDepthBuffer = 0;  // 1 z-buffer, 2 w-buffer
inline bool AntialiasingOn = false;
inline int16_t AntialiasingSamples = 0;  // 2 to 10 while on
inline bool SurveyorMoveMode = false;
inline bool LandMoveMode = false;
inline bool NodeMakeMode = false;
inline bool WriteVCPositionsMode = false;
inline bool WriteLMMatrixMode = false;

// The desktop as the launcher found it.
struct DesktopCapabilities {
  int32_t Width = 0;         // pixels
  int32_t Height = 0;        // pixels
  int32_t BitsPerPixel = 0;  // a 24-bit desktop reports 32
  int32_t RefreshRate = 0;   // Hz
};
inline DesktopCapabilities DesktopCaps;

// The sound volumes run from 0 to this.
inline constexpr int32_t MaxVolume = 100;

// Number of pilots in the score table.
inline constexpr int32_t PilotCount = 10;

// --- Scenario ---------------------------------------------------------------------------------

struct CommandModuleAttitude {
  float Pitch = 0.0f;  // radians
  float Roll = 0.0f;   // radians
  float Yaw = 0.0f;    // radians
};

inline constexpr int LandTileCount = 3;
inline constexpr int MissionDescriptionLines = 16;  // the title and fifteen lines

inline Vector3 SurveyorPosition;  // world units
inline Vector3 SurveyorRotation;  // radians
inline CommandModuleAttitude CMAttitude;
inline int32_t StartProgram = 0;  // program index the flight started with
inline float MoonRadius = 0.0f;   // world units
inline Vector3 MoonAngle;         // radians
inline std::array<Vector3, LandTileCount> LandTilePosition;
inline std::array<Vector3, LandTileCount> LandTileScale;
inline std::array<std::string, MissionDescriptionLines> MissionDescription;

// --- Mission set-up ---------------------------------------------------------------------------

// One altitude callout.
struct AltitudeCallEntry {
  std::string File;
  int32_t Altitude = 0;        // feet above ground
  int32_t Interval = 0;        // milliseconds in which no other callout may start
  bool ArmsRateCalls = false;  // lets one descent-rate or LPD check follow
  bool Once = false;
  bool Played = false;
};

// One descent-rate, landing-point or fuel callout.
struct CalloutEntry {
  std::string File;
  int32_t Low = 0;  // tenths of ft/s downward, degrees, or fuel percent
  int32_t High = 0;
  int32_t Interval = 0;  // milliseconds
  bool Once = false;
  bool Played = false;
};

struct LandTileFile {
  std::string TextureFile;
  std::string HeightFile;
};

inline constexpr int LandTileFileCount = 15;

inline float CockpitViewAngle = 0.0f;        // degrees
inline float FullScreenViewAngle = 0.0f;     // degrees
inline float FullScreenViewYawAngle = 0.0f;  // degrees
inline std::array<LandTileFile, LandTileFileCount> LandTileFiles;
// The callout tables hold their entries from index 0; the file numbers them from 1.
inline std::vector<AltitudeCallEntry> AltitudeCalls;
inline std::vector<CalloutEntry> DescentCalls;
inline std::vector<CalloutEntry> LPDCalls;
inline std::vector<CalloutEntry> FuelCalls;
inline std::string LoadingSoundFile;
inline std::string InitiationSoundFile;
inline std::string FlyingTheme;
inline std::string AscentSoundFile;
inline std::array<std::string, 4> DockingSoundFiles;  // undock 1, undock 2, dock 1, dock 2
inline std::array<std::string, 5> MissionVoiceFiles;
inline std::string SurfaceSoundFile;
inline std::string LandedSoundFile;

// --- Instrument layout ------------------------------------------------------------------------

// One 2D instrument or cockpit switch, in reference units of a 1600 by 1200 screen.
struct PanelItem {
  float Left = 0.0f;
  float Top = 0.0f;
  float Bottom = 0.0f;
  float Right = 0.0f;
  bool Enabled = false;
  int32_t SwitchPosition = 0;  // 0..1 or 0..2 for switches
  std::string Label;
};

// Indices of InstrumentLayout.
enum PanelIndex : int {
  PanelFDAI,
  PanelXPointer,
  PanelAltitudeTape,
  PanelAltitudeRateTape,
  PanelThrust2WeightArrow,
  PanelThrottleArrowCMD,
  PanelThrottleArrowACT,
  PanelAutoThrottleSwitch,
  PanelXPointerSwitch,
  PanelDSKY,
  PanelDSKYLights,
  PanelContactLight,
  PanelFuelLED,
  PanelPGNSSwitch,
  PanelAGSSwitch,
  PanelDeadbandSwitch,
  PanelRateScaleSwitch,
  PanelYawRCSSwitch,
  PanelPitchRCSSwitch,
  PanelRollRCSSwitch,
  PanelItemCount
};

inline std::array<PanelItem, PanelItemCount> InstrumentLayout;

// The positions of the PGNS mode switch.
enum PGNSPosition : int32_t { PGNSOff = 0, PGNSManual = 1, PGNSAuto = 2 };

// The switch records under the names the other subsystems use.
inline PanelItem& AutoThrottleSwitch = InstrumentLayout[PanelAutoThrottleSwitch];
inline PanelItem& XPointerSwitch = InstrumentLayout[PanelXPointerSwitch];
inline PanelItem& PGNSSwitch = InstrumentLayout[PanelPGNSSwitch];
inline PanelItem& AGSSwitch = InstrumentLayout[PanelAGSSwitch];
inline PanelItem& DeadbandSwitch = InstrumentLayout[PanelDeadbandSwitch];
inline PanelItem& RateScaleSwitch = InstrumentLayout[PanelRateScaleSwitch];
inline PanelItem& YawRCSSwitch = InstrumentLayout[PanelYawRCSSwitch];
inline PanelItem& PitchRCSSwitch = InstrumentLayout[PanelPitchRCSSwitch];
inline PanelItem& RollRCSSwitch = InstrumentLayout[PanelRollRCSSwitch];

// --- Records: replays and scores --------------------------------------------------------------

// One replay sample, recorded every 100 ms by the surface frame loop.
struct FlightSample {
  Vector3d Velocity;        // ft/s
  double PitchAngle = 0.0;  // radians
  double YawAngle = 0.0;
  double RollAngle = 0.0;
  double PitchRate = 0.0;  // rad/s
  double YawRate = 0.0;
  double RollRate = 0.0;
  float Throttle = 0.0f;               // throttle fraction
  int16_t ThrottleMode = 0;            // AutoThrottleMode or ManualThrottleMode
  double Time = 0.0;                   // MissionTime, ms
  Vector3d Position;                   // world units
  float CommandedVerticalRate = 0.0f;  // ft/s
  int16_t RCSFiring = 0;               // 0 or -1
  std::string Message;                 // message channel 1
  int32_t PitchHandController = 0;     // -1, 0 or +1
  int32_t RollHandController = 0;
  int32_t YawHandController = 0;
};

inline constexpr int16_t AutoThrottleMode = 1;
inline constexpr int16_t ManualThrottleMode = 3;

// The replay store is 1-based: index 0 is never used.
inline constexpr int32_t MaxFlightSamples = 4999;
inline std::array<FlightSample, MaxFlightSamples + 1> FlightRecord;

// One pilot of the score file, with the points of one scored flight or a pilot's bests.
struct PilotRecord {
  std::string Name;  // at most PilotNameBytes bytes
  int32_t PathPoints = 0;
  int32_t SmoothPoints = 0;
  int32_t SpeedPoints = 0;
  int32_t TargetPoints = 0;
  int32_t SitePoints = 0;
  int32_t LevelPoints = 0;
  int32_t LandingTotal = 0;
  int32_t RaceTotal = 0;
  float ManualAttitudeBonus = 0.0f;
  float ManualThrottleBonus = 0.0f;
  float RaceManualPoints = 0.0f;
  int32_t Reserved = 0;
  float RaceTimePoints = 0.0f;
  float RaceHeightPoints = 0.0f;
};

inline constexpr size_t PilotNameBytes = 30;

inline std::array<PilotRecord, PilotCount + 1> PilotRoster;  // 1-based
inline PilotRecord CurrentScore;                             // the last scored flight
inline PilotRecord ReplayScore;                              // the score of the replay played back

// The name of the replay that the in-flight menu saves and loads.
inline std::string ReplayName;
// The replay file's fifth start value: kept as a loaded replay holds it, 0 for a flown flight.
inline float ReplayStartValue = 0.0f;

// The copies of the scoring inputs that a loaded replay brings.
inline int32_t ReplayCount = 0;
inline int32_t ReplayLowGateIndex = 0;
inline int32_t ReplayTouchdownIndex = 0;
inline int32_t ReplayManualStartIndex = 0;
inline int32_t ReplayMissDistance = 0;  // world units
inline float ReplayUnevenness = 0.0f;   // world units
inline Vector3d ReplayPosition;         // world units
inline bool ReplayLoaded = false;       // the flight plays back a loaded replay

inline float TouchdownSpeed = 0.0f;  // ft/s

// The path lines that the head-up panel draws after scoring: the approach as flown, the fitted
// smooth approach, the final approach and the race's path; positions in world units.
inline constexpr int ApproachPathPoints = 500;
inline constexpr int FinalApproachPoints = 200;
inline constexpr int RacePathPoints = 500;
inline std::array<Vector3, ApproachPathPoints + 1> FlownPathLine;  // points 1..500
inline std::array<Vector3, ApproachPathPoints + 1> SmoothPathLine;
inline std::array<Vector3, FinalApproachPoints + 1> FinalPathLine;
inline std::array<Vector3, RacePathPoints + 1> RacePathLine;

// --- Developer tools --------------------------------------------------------------------------

// The recorded camera path: PathNodeCount nodes from index 0, world units.
inline std::vector<Vector3> PathNodes;
inline int32_t PathNodeCount = 0;

// One line of the on-screen value list, drawn and emptied every frame.
struct ValueLine {
  std::string Label;
  std::string Value;
  uint32_t Colour = 0;  // ARGB
};
inline constexpr int32_t MaxValueLines = 50;
inline std::array<ValueLine, MaxValueLines + 1> ValueLineList;  // lines 1..50
inline int32_t ValueLineCount = 0;

// The landscape placement tool: tile 0..2, function 0 none, 1 scale x-z, 2 scale y, 3 move x/z,
// 4 move y; world units per move step and the divisor of a scale step, per tile.
inline int32_t CurrentLand = 0;
inline int32_t LandFunction = 0;
inline std::array<float, LandTileCount> MoveIncrement{1.0f, 1.0f, 1.0f};
inline std::array<float, LandTileCount> ScaleIncrement{50.0f, 50.0f, 50.0f};
// The Surveyor placement tool: function 0..2 rotate about x, y, z; 3..5 move along x, y, z.
inline int32_t SurveyorFunction = 0;
inline float SurveyorIncrement = 0.0f;  // degrees or world units per frame
