// Program-wide state of the flight loop and dynamics that the other subsystems read and write.
#pragma once

#include <cstdint>
#include <string>

#include "program/flight/time_record.h"
#include "program/flight/vector3.h"

// East-west and north-south coordinates on the landscape, world units.
struct SurfacePoint {
  float EastWest = 0.0f;
  float NorthSouth = 0.0f;
};

// The mission.
inline int32_t MissionType = 0;   // 11..17 Apollo missions, 98 LM Race, 99 Orbital, 0 other
inline std::string MissionName;   // the mission folder
inline std::string FlightFile;    // the scenario file name without ".sit"

// Flight constants of the LM, from the scenario file.
inline float EngineThrust = 0.0f;   // lbf
inline float MinThrottle = 0.0f;    // lowest throttle fraction
inline float RCSThrust = 0.0f;      // lbf of one attitude jet
inline float Gravity = 0.0f;        // ft/s^2
inline float WorldScale = 0.0f;     // feet per world unit
inline double RCSDistance = 0.0;    // minus half the distance between RCS units, feet
inline float DPSThrust = 0.0f;      // descent engine full thrust, lbf
inline float APSThrust = 0.0f;      // ascent engine thrust, lbf
inline float DescentMassEmpty = 0.0f;  // slugs
inline float AscentMassEmpty = 0.0f;   // slugs
inline float DescentFuelMass = 0.0f;   // pounds
inline float AscentFuelMass = 0.0f;    // pounds
inline float MaxCommandedRadialVelocity = 0.0f;  // rad/s

// Start values of a flight, from the scenario file.
inline SurfacePoint LandingSpot;
inline SurfacePoint HistoricLandingSpot;
inline float DescentSpeed = 0.0f;   // ft/s, negative downward
inline bool Docked = false;
inline bool AscentOnly = false;
inline float RCSFuel = 0.0f;
inline Vector3 StartPosition;       // world units
inline Vector3 StartRotation;       // radians
inline Vector3 StartVelocity;       // ft/s
inline float P64LowGateHeight = 0.0f;  // feet
inline float AscentStartTime = 0.0f;   // seconds

// The clocks of the flight.
inline TimeRecord MissionClock;
inline TimeRecord EventClock;
inline TimeRecord TimeToAscentIgnition;

inline bool AutoThrottleOn = false;
inline float CaptureFrameRate = 0.0f;  // frames per second of the movie capture

// The main window's placement, pixels.
inline int32_t WindowLeft = 0;
inline int32_t WindowTop = 0;
inline int32_t WindowWidth = 0;
inline int32_t WindowHeight = 0;

// One attitude axis of the LM, radians and radians per second.
struct AttitudeAxis {
  float Angle = 0.0f;
  float Rate = 0.0f;
  float TargetAngle = 0.0f;  // where the attitude control flies while ManeuverActive is set
};
inline AttitudeAxis RollAxis;
inline AttitudeAxis PitchAxis;
inline AttitudeAxis YawAxis;

// Guidance quantities the DSKY programs set.
inline bool ManeuverActive = false;
inline Vector3 ManeuverTargets;             // roll, pitch, yaw, radians
inline bool AttitudeReachedFlags[2] = {};
inline bool ProgramRCSFlag = false;
inline bool MinimumImpulseMode = false;
inline bool ContactLightFlags[2] = {};      // first ground contact, touchdown
inline TimeRecord IgnitionTime;
inline TimeRecord TimeToIgnition;
inline float BurnVelocity[3] = {};          // noun 81, ft/s
inline float AttitudeEntryAngles[3] = {};   // noun 22, radians

// The stages and the engine.
inline float Fuel = 0.0f;                   // pounds
inline bool AscentStageFlying = false;
inline bool Staged = false;
inline bool EngineOff = false;
inline bool EVAMode = false;
inline int32_t ThrottleAverageCount = 0;    // samples in the automatic throttle's average

// Display sources of the DSKY.
inline float FDAIGimbalAngles[3] = {};      // radians
inline double LMVelocity[3] = {};           // ft/s
inline float HorizontalVelocity = 0.0f;     // ft/s
inline float AltitudeAboveGround = 0.0f;    // feet
inline float ThrustAverage = 0.0f;          // fraction of full thrust
inline float Noun40Quantity = 0.0f;
inline bool PlatformAlignmentFlag = false;  // the attitude display shows the P51 alignment
inline float ThrottleCommand = 0.0f;        // 0 to 1
inline bool BurnWindowFlag = false;         // set by the P40 monitor around the ignition
inline float DockingRange = 0.0f;           // feet
inline float DockingRangeRate = 0.0f;       // ft/s
inline float LineOfSightAngles[2] = {};     // degrees
