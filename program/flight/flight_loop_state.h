// Program-wide state of the flight start, the flight run and the two frame loops, and of the
// docking of the Orbital mission. The other subsystems read and write these directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/engine/draw_backend.h"
#include "program/flight/vector3.h"

// --- Flight start -----------------------------------------------------------------------------

inline bool EngineInitialised = false;     // the engine and the main window have been started
inline int32_t LoadingStep = 0;            // progress-bar segments on the loading screen
inline bool OrbitalObjectsLoaded = false;  // the command module and the orbital Moon exist
inline int32_t JoystickTestPicture = 0;    // texture of the joystick test's background
// The drawing backend the engine start gives the engine; none gives the engine's null backend.
// The program sets the device's; tests set a recording one.
inline std::function<std::unique_ptr<engine::DrawBackend>()> EngineBackendMaker;

// --- Flight run and frame loops ---------------------------------------------------------------

inline bool RestartFlag = false;         // RunFlight runs its pass again (nothing sets it)
inline bool DisplayModePending = false;  // the frame loop applies the display mode once
inline bool DisplayModeApplied = false;
inline bool ScoreEligible = false;       // a landing of this flight may be scored
inline int32_t ScreenshotCounter = 0;    // number of the last screenshot of the mission
inline float CounterDriftStep = 0.0f;    // by how much the counter drifts each frame
inline bool FrameSkipFlag = false;       // the frames skip their altitude-instrument block
inline bool EVAWalking = false;          // the camera walks on the surface
inline bool DebrisShown = false;         // the crater debris is placed
inline int32_t FitStartRecord = 0;       // flight record from which the approach is fitted
inline bool StagingFadeFlag = false;     // the end-of-ascent fade has started
inline bool NeedleKeyFlag = false;       // a needle key command is held
inline bool DSKYRestorePending = false;  // the next DSKY key puts back the saved display
inline bool ManeuverComplete = false;    // an automatic manoeuvre reached its attitude
inline bool UllageTranslation = false;   // the Orbital loop holds the X translation at 1
inline float FlybyTime = 0.0f;           // seconds along the opening fly-by's path
inline Vector3 SunDirection;             // the sun's direction on the surface
inline Vector3 SceneReferencePoint;      // a reference point of the scene placement
inline Vector3 SavedMeshPosition;        // world units
// How far the ascent stage's flight has come: staged, its engine burning, and over once the engine
// cuts off with the stage clear of the ground; the end fades the view out to the menu.
enum AscentPhaseValue : int32_t { NoAscent, AscentStaged, AscentBurning, AscentOver };
inline int32_t AscentPhase = NoAscent;
// The command module's place in the world, where the flight start put it; the Orbital loop draws
// it there less the LM's travel, since the LM stays at the render origin.
inline Vector3 CommandModuleWorld;

// --- Docking ----------------------------------------------------------------------------------

inline bool ProbeCaptured = false;    // the drogue holds the probe (soft capture)
inline bool ProbeRetracting = false;  // the probe is being drawn in after capture
inline bool DockContact = false;      // this frame the probe is inside the drogue cone
// Position correction in the LM's own axes that the Orbital loop adds while DockContact is set,
// world units.
inline Vector3 DockPush;
inline float ProbeInsertion = 0.0f;  // 1 - axial distance / 1.2 while captured
inline float DockPitchError = 0.0f;  // degrees
inline float DockRollError = 0.0f;   // degrees
inline double CaptureSpeed = 0.0;    // closing speed at capture, world units per second
inline double CaptureDeceleration = 0.0;
inline Vector3 ProbePoint;         // world point of the probe tip
inline Vector3 DroguePoint;        // world point of the drogue
inline float DockRangeRaw = 0.0f;  // world units from the drogue to the probe tip
inline float DockAxialDistance = 0.0f;
inline std::array<Vector3, 4> ContactPointsWorld;
inline std::array<Vector3, 4> ContactPointsShifted;
inline Vector3 ProbeReach;
inline Vector3 UpAxisUnit{0.0f, 1.0f, 0.0f};
inline std::array<float, 4> ContactPointDepth{};
inline Vector3 LMVelocityWorld;  // LMVelocity / WorldScale
inline Vector3 DockVelocityUp;
inline Vector3 DockVelocityFore;
inline Vector3 DockVelocitySide;
// Readouts for the instruments and the DSKY.
inline float DockRangeFeet = 0.0f;
inline float DockSpeed = 0.0f;  // world units per second
inline float DockClosingAngleRate = 0.0f;
inline float DockLateralAngleRate = 0.0f;
inline float DockElevationAngle = 0.0f;  // degrees
inline float DockAzimuthAngle = 0.0f;    // degrees
