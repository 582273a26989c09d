// Program-wide state of the scene, models and views that the other subsystems read and write.
#pragma once

#include <array>
#include <cstdint>

#include "program/flight/vector3.h"

// One camera view.
struct ViewRecord {
  bool Active = false;
  int16_t HudMode = 0;     // head-up panel mode 0 to 3
  float ViewAngle = 0.0f;  // degrees
};

enum ViewIndex : int {
  VirtualView1,
  VirtualView2,
  VirtualView3,
  CockpitView1,
  CockpitView2,
  CockpitView3,
  SpotView1,
  SpotView2,
  GroundView,
  EVAView,
  ViewCount
};

inline std::array<ViewRecord, ViewCount> ViewRecords;
inline ViewRecord CurrentView;

inline constexpr int VirtualCockpitViewCount = 3;
// Eye positions and rotations of the three virtual cockpit views, and the current ones.
inline std::array<Vector3, VirtualCockpitViewCount> VirtualCockpitEye;
inline std::array<Vector3, VirtualCockpitViewCount> VirtualCockpitRotation;
inline Vector3 CurrentCockpitEye;
inline Vector3 CurrentCockpitRotation;

// The shadow options; the first makes meshes cast shadows.
inline std::array<bool, 3> ShadowFlags{};

// Texture filters of the view surfaces and of the 2D drawing (engine filter numbers 0 to 6).
inline int32_t TextureFilter3D = 0;
inline int32_t TextureFilter2D = 0;

// The horizontal velocity along and across the LM's heading, ft/s.
inline float HorizontalVelocityForward = 0.0f;
inline float HorizontalVelocityLateral = 0.0f;

// The camera's ride along the engine path; the position counts in path nodes from 0.
inline bool ViewPathActive = false;
inline float ViewPathPosition = 0.0f;
