// Program-wide state of the flight loop and dynamics that the other subsystems read and write.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "program/flight/time_record.h"
#include "program/flight/vector3.h"

// East-west and north-south coordinates on the landscape, world units.
struct SurfacePoint {
  float EastWest = 0.0f;
  float NorthSouth = 0.0f;
};

// The mission types that are not an Apollo mission (11 to 17) and not 0, any other mission.
enum SpecialMissionType : int32_t { LMRaceMission = 98, OrbitalMission = 99 };

// The mission.
inline int32_t MissionType = 0;  // 11..17 Apollo missions, a SpecialMissionType, 0 other
inline std::string MissionName;  // the mission folder
inline std::string FlightFile;   // the scenario file name without ".sit"

// Flight constants of the LM, from the scenario file.
inline float EngineThrust = 0.0f;                // lbf
inline float MinThrottle = 0.0f;                 // lowest throttle fraction
inline float RCSThrust = 0.0f;                   // lbf of one attitude jet
inline float Gravity = 0.0f;                     // ft/s^2
inline float WorldScale = 0.0f;                  // feet per world unit
inline double RCSDistance = 0.0;                 // minus half the distance between RCS units, feet
inline float DPSThrust = 0.0f;                   // descent engine full thrust, lbf
inline float APSThrust = 0.0f;                   // ascent engine thrust, lbf
inline float DescentMassEmpty = 0.0f;            // slugs
inline float AscentMassEmpty = 0.0f;             // slugs
inline float DescentFuelMass = 0.0f;             // pounds
inline float AscentFuelMass = 0.0f;              // pounds
inline float MaxCommandedRadialVelocity = 0.0f;  // rad/s

// Start values of a flight, from the scenario file.
// The landing target, which the LPD redesignations move; a touchdown is measured from it.
inline SurfacePoint LandingSpot;
inline SurfacePoint HistoricLandingSpot;
inline float DescentSpeed = 0.0f;  // ft/s, negative downward
inline bool Docked = false;
inline bool AscentOnly = false;
inline float RCSFuel = 0.0f;
inline Vector3 StartPosition;          // world units
inline Vector3 StartRotation;          // radians
inline Vector3 StartVelocity;          // ft/s
inline float P64LowGateHeight = 0.0f;  // feet
inline float AscentStartTime = 0.0f;   // seconds

// The clocks of the flight.
inline TimeRecord MissionClock;
inline TimeRecord EventClock;
inline TimeRecord TimeToAscentIgnition;

inline bool AutoThrottleOn = false;
inline float CaptureFrameRate = 0.0f;  // frames per second of the movie capture

// The main window's placement in a window, twips.
inline int32_t WindowLeft = 0;
inline int32_t WindowTop = 0;
inline int32_t WindowWidth = 0;
inline int32_t WindowHeight = 0;

// --- Time and loop control --------------------------------------------------------------------

inline double MissionTime = 0.0;      // ms since the flight (or the ascent) began
inline float FrameTimeMs = 0.0f;      // ms of this frame's step
inline float FrameTimeSec = 0.0f;     // seconds of this frame's step
inline float FramesPerSecond = 0.0f;  // the engine's frame rate; 0 on the first frames
inline bool RunFlag = false;          // the frame loop runs another pass
inline int16_t ExitRequest = 0;       // 1 back to the launcher, 2 replay, 3 restart
inline bool ControlsActive = false;   // the LM flies (not held by the fly-by or a replay's end)
inline bool ReplayPlayback = false;
inline bool Test11Mode = false;          // the flight only says that the voice callouts are off
inline bool FrameSettled = false;        // the frame is not the first after a start or view change
inline bool IntroFlyby = false;          // the opening fly-by holds the flight
inline int32_t FlightRecordCount = 0;    // replay samples recorded so far
inline int32_t ReplayIndex = 1;          // the playback sample before MissionTime
inline int32_t ControlStartRecord = 0;   // FlightRecordCount when manual control began
inline double ManualControlTime = 0.0;   // seconds flown since manual control began
inline double ManualThrottleTime = 0.0;  // seconds flown with the automatic throttle off
inline bool ScoreShown = false;          // the landing has been scored
inline int32_t HelpPage = 0;             // the key help page shown, 1 or 2; 0 none
inline bool ProgramHelpShown = false;    // the running program's help is laid over the view

// --- The LM -----------------------------------------------------------------------------------

inline Vector3d LMPosition;           // world units
inline Vector3 LMMeshPosition;        // world units, the single-precision copy the scene uses
inline Vector3d LMVelocity;           // ft/s
inline float ThrustAverage = 0.0f;    // applied throttle fraction, the mean of recent commands
inline float ThrottleCommand = 0.0f;  // commanded throttle fraction
inline float Fuel = 0.0f;             // pounds, of the stage that flies
inline float FuelPercent = 0.0f;
inline float TotalMass = 0.0f;   // slugs
inline float Weight = 0.0f;      // lbf
inline Vector3 ThrustDirection;  // (-u.x, u.y, u.z) of the LM's up axis u; 0 in playback
inline float ThrustToWeight = 0.0f;
inline float TotalSpeed = 0.0f;             // ft/s
inline float AltitudeAboveGround = 0.0f;    // feet, from the altitude reference point
inline int32_t AltitudeFeet = 0;            // AltitudeAboveGround rounded
inline float CommandedVerticalRate = 0.0f;  // ft/s, the automatic throttle's target

inline double RCSTorque = 0.0;               // lbf ft, negative like RCSDistance
inline double MomentOfInertia = 0.0;         // slug ft^2
inline double RCSAngularAcceleration = 0.0;  // rad/s^2 of one firing

inline bool EngineOff = false;
inline bool Landed = false;
inline bool OnGround = false;  // downward motion is stopped
inline bool Crashed = false;
inline bool ContactLightOn = false;
inline bool AscentStageFlying = false;
inline bool Staged = false;

// --- Attitude ---------------------------------------------------------------------------------

// One rotation axis of the LM.
struct AttitudeAxis {
  float Rate = 0.0f;                   // rad/s; changed only by jet firings (and replay)
  int32_t HandControllerState = 0;     // firing direction -1, 0 or +1
  float HandControllerCommand = 0.0f;  // commanded rate, rad/s
  float NeedlePosition = 0.5f;         // attitude-ball error needle, 0.35 to 0.65
  float NeedleSmoothed = 0.5f;
  float FireDuration = 0.0f;   // seconds of the firing under way
  float FireElapsed = 0.0f;    // seconds fired so far
  float AttitudeError = 0.0f;  // radians about the body axis
  float TargetAngle = 0.0f;    // radians
  float HoldAngle = 0.0f;      // radians; NoHoldAngle when none is held
  float Angle = 0.0f;          // radians, measured
  bool PulseRequest = false;   // one minimum-impulse pulse is asked for
};

inline constexpr float NoHoldAngle = -9999.0f;

inline AttitudeAxis RollAxis;
inline AttitudeAxis PitchAxis;
inline AttitudeAxis YawAxis;
inline Vector3 AttitudeIncrement;  // this frame's turn: roll, pitch, yaw radians

// The attitude control's deadbands, timers and flags. Rates are rad/s, angles radians, times
// seconds.
inline double AttitudeDeadband = 0.0;    // radians
inline double SelectedDeadband = 0.0;    // radians, chosen by the deadband switch
inline double AutoStepPeriod = 0.0;      // seconds between timed automatic steps
inline double AutoStepTimer = 0.0;       // seconds
inline double PitchScheduleTimer = 0.0;  // seconds
inline bool RCSFiring = false;
inline bool AttitudeManeuverActive = false;
inline bool GimbalLocked = false;
inline float RCSSoundCooldown = 0.0f;  // seconds before the jet sound stops looping
// The attitude ball's three angles as the guidance computer shows them, radians.
inline std::array<float, 3> DisplayAttitudeAngles{};
// The translation commands along X, Y and Z; only their signs select jets.
inline std::array<int32_t, 3> TranslationCommand{};

// The twelve jet selection tables: per signed command, which of the plumes 1..16 fire in the
// first (a) and second (b) pass.
enum JetTable : int {
  JetPitchPlus,
  JetPitchMinus,
  JetYawPlus,
  JetYawMinus,
  JetRollPlus,
  JetRollMinus,
  JetXPlus,
  JetXMinus,
  JetYPlus,
  JetYMinus,
  JetZPlus,
  JetZMinus,
  JetTableCount
};
inline constexpr int RCSPlumeCount = 16;
struct JetCell {
  bool a = false;
  bool b = false;
};
using JetSelection = std::array<JetCell, RCSPlumeCount>;  // plume i at index i - 1
inline std::array<JetSelection, JetTableCount> JetSelectionTables;

// --- Touchdown --------------------------------------------------------------------------------

inline constexpr int FootpadCount = 4;
// The centre of the LM's feet (the altitude reference) then footpads 0 to 3 (+z, +x, -z, -x), in
// the pivot's axes, world units; set by the scene set-up.
inline std::array<Vector3, FootpadCount + 1> FootpadReferencePoints;
inline std::array<Vector3, FootpadCount> FootpadPoints;  // render coordinates
inline std::array<float, FootpadCount> PadHeight{};      // world units above the terrain
inline std::array<bool, FootpadCount> PadDown{};         // touched in this flight
inline bool FootpadTouched = false;  // a footpad has touched the ground in this flight
inline int32_t ContactRecord = 0;
inline int32_t LowGateIndex = 0;  // the first sample at 100 ft or lower: the approach's end
inline int32_t FirstTouchRecord = 0;
inline int32_t TouchdownDistance = 0;   // whole world units from LandingSpot
inline float SurfaceUnevenness = 0.0f;  // world units

// Lowered by the crash rendering from 100 toward 10 after the ascent stage strikes the ground.
inline int32_t ScorchFade = 0;

// The shadow grid laid on the terrain beside the LM: 40 by 20 cells, six vertices each.
inline constexpr int ShadowGridColumns = 40;
inline constexpr int ShadowGridRows = 20;
inline constexpr int ShadowGridVertexCount = ShadowGridColumns * ShadowGridRows * 6;
inline constexpr int ShadowEdgePointCount = 11;
inline std::array<Vector3, ShadowEdgePointCount> ShadowEdgePoints;  // render coordinates
inline std::array<Vector3, ShadowGridVertexCount> ShadowGridVertices;
inline std::array<Vector3, 4> ShadowBlobPositions;  // blobs under footpads 0, 2 and 3; 1 unused

// --- The descent stage left behind ------------------------------------------------------------

inline Vector3d DescentStageVelocity;    // ft/s
inline Vector3 DescentStagePosition;     // world units
inline float DescentStageHeight = 0.0f;  // world units above the terrain
// A descent stage left behind that is this low, world units above the terrain, lies still.
inline constexpr float StageRestHeight = 3.0f;
inline Vector3 DescentStageTumbleRates;  // roll, pitch, yaw rad/s
inline Vector3 AscentStageMeshOffset;    // world units, set when the stages part

// --- Guidance quantities the DSKY programs set and show -----------------------------------------

inline Vector3 ManeuverTargets;            // roll, pitch, yaw, radians
inline bool AttitudeReachedFlags[2] = {};  // set when a manoeuvre reaches its attitude
inline bool ContactLightFlags[2] = {};     // first ground contact, touchdown
inline TimeRecord IgnitionTime;
inline TimeRecord TimeToIgnition;
inline float BurnVelocity[3] = {};         // noun 81, ft/s
inline float AttitudeEntryAngles[3] = {};  // noun 22, radians
inline bool EVAMode = false;               // the EVA view is in use: the DSKY takes no keys
inline bool PlatformAlignmentFlag = false;  // the attitude display shows the P51 alignment
inline bool BurnWindowFlag = false;         // set by the P40 monitor around the ignition

// --- The main display ------------------------------------------------------------------------

inline bool Busy = false;        // a mouse button is down or the window is being changed
inline int32_t ScreenWidth = 0;  // pixels of the drawing area
inline int32_t ScreenHeight = 0;
inline float ScreenScaleX = 0.0f;  // ScreenWidth / ReferenceWidth
inline float ScreenScaleY = 0.0f;  // ScreenHeight / ReferenceHeight
// The screen the 2D layouts are given for, pixels.
inline constexpr float ReferenceWidth = 1600.0f;
inline constexpr float ReferenceHeight = 1200.0f;
inline bool SimulationInitialised = false;  // the scene has been built
// The full-screen display mode in use, copied from the launcher's choice at flight start.
inline int32_t DisplayModeWidth = 0;        // pixels
inline int32_t DisplayModeHeight = 0;       // pixels
inline int32_t DisplayModeBits = 0;         // bits per pixel
inline int32_t PreviousMissionType = 0;     // the MissionType of the flight before this one
inline float CameraDistance = 0.0f;         // world units from the view camera to the LM
inline float CrashCameraYaw = 0.0f;         // degrees: the crash camera circling the site
inline int32_t ExplosionFrame = 1;          // 1 to 13
inline int32_t ThrustAverageLength = 0;     // throttle commands in the thrust mean
inline float AutoThrottleCountdown = 0.0f;  // seconds
// The staging display of the frame loop: on, its time and its length (seconds).
struct StagingDisplay {
  bool On = false;
  float Time = 0.0f;
  float Length = 0.0f;
};
inline StagingDisplay StagingEffect;

// The smoothing record of the 100 ms tick.
inline constexpr int ThrottleRingSize = 51;
inline constexpr int NeedleRingSize = 10;
struct SmoothingRecord {
  float DeadZone = 0.0f;
  std::array<float, 3> AxisSpread{};  // pitch, roll, yaw after the dead zone, -42 to 42
  std::array<float, 3> AxisShaped{};
  std::array<float, 3> AxisOutput{};  // 0 to 1, 0.5 centred
  float Correction = 0.0f;            // throttle fraction
  float Gain = 0.0f;
  float Band = 0.0f;                                   // ft/s
  std::array<float, ThrottleRingSize> ThrottleRing{};  // slots 1 to ThrustAverageLength used
  int32_t ThrottleIndex = 0;
  std::array<std::array<float, NeedleRingSize + 1>, 3> NeedleRings{};  // roll, pitch, yaw; 1..10
  std::array<int32_t, 3> NeedleIndex{};
  float NeedleLimitLow = 0.0f;   // radians
  float NeedleLimitHigh = 0.0f;  // radians
};
inline SmoothingRecord Smoothing;
// The hand-controller axis values (pitch, roll, yaw), 0 to 1, 0.5 centred.
inline std::array<float, 3> HandControllerAxes{0.5f, 0.5f, 0.5f};

// What leaving a flight for the launcher does on the launcher's side; set by the launcher.
inline std::function<void()> ShowLauncherAfterFlight;

// --- Requests of the keyboard commands that the frame loops carry out ----------------------------

inline bool MenuShown = false;          // the status line ("Simulation Paused") is drawn
inline bool ScreenshotRequest = false;  // the frame loop saves a screenshot after this frame
inline bool MovieCapture = false;       // every frame is saved, on a fixed time step
// Non-zero while the change to the EVA view waits for the fade-out: the fade-in time [ms].
inline int32_t PendingFadeTime = 0;
// The astronaut's offset from the LM across the ground, kept by the EVA walking step, world units.
inline Vector3 EVAOffset;
