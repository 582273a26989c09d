// The program-wide engine objects: one of each, held from engine start to shutdown. The flight
// creates them when the engine starts (the atmosphere and the camera path in the first scene
// build); the scene builders and the frames use them through these names.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/draw2d.h"
#include "platform/engine/engine.h"
#include "platform/engine/input.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"

inline std::unique_ptr<engine::Engine> Engine;
inline std::unique_ptr<engine::EngineGlobals> Globals;
inline std::unique_ptr<engine::EngineInput> InputEngine;
inline std::unique_ptr<engine::EngineInputDevices> InputDevices;
inline std::unique_ptr<engine::EngineMathLibrary> MathLibrary;
inline std::unique_ptr<engine::EngineTextureFactory> TextureFactory;
inline std::unique_ptr<engine::EngineScene> Scene;
inline std::unique_ptr<engine::EngineLights> LightEngine;
inline std::unique_ptr<engine::EngineScreen2DText> Screen2DText;
inline std::unique_ptr<engine::EngineScreen2DDraw> Screen2DDraw;
inline std::unique_ptr<engine::EngineGraphicEffect> GraphicEffect;
inline std::unique_ptr<engine::EngineMaterialFactory> MaterialFactory;
inline std::unique_ptr<engine::EngineAtmosphere> Atmosphere;
inline std::unique_ptr<engine::EnginePath> SceneHelper;

// The four view cameras, numbered from 1 (index 0 unused); the first is the engine's main camera.
inline constexpr int ViewCameraCount = 4;
inline std::array<engine::EngineCamera*, ViewCameraCount + 1> ViewCameras{};

// The render surfaces of the instruments, the cockpit windows, the shadow and the scene view.
using RenderSurfacePtr = std::shared_ptr<engine::EngineRenderSurface>;
inline constexpr int DataDisplayCount = 3;
inline RenderSurfacePtr ViewSurface;
inline RenderSurfacePtr FDAISurface;
inline RenderSurfacePtr XPointerSurface;
inline RenderSurfacePtr AltitudeSurface;
inline RenderSurfacePtr AltitudeRateSurface;
inline RenderSurfacePtr PanelSurface;
inline RenderSurfacePtr ThrottleSurface;
inline RenderSurfacePtr AttitudeMeasureSurface;
inline RenderSurfacePtr DSKYSurface;
inline RenderSurfacePtr DSKYLightsSurface;
inline std::array<RenderSurfacePtr, DataDisplayCount> DataDisplaySurfaces;
inline RenderSurfacePtr FuelCounterSurface;
inline RenderSurfacePtr CounterSurface;
inline RenderSurfacePtr WindowViewSurface;
inline RenderSurfacePtr WindowOverlaySurface;
inline RenderSurfacePtr ShadowSurface;
inline RenderSurfacePtr TerrainPatchSurface;

// The meshes of the scene. The group roots carry one vertex at the origin and place and draw
// the parts attached to them; the frames move only the roots.
using MeshPtr = std::shared_ptr<engine::EngineMesh>;
inline MeshPtr ExplosionMesh;

inline MeshPtr AscentStageMesh;
inline MeshPtr AscentShadowGroup;
inline MeshPtr AscentBodyMesh;
inline MeshPtr AscentGoldFoilMesh;
inline MeshPtr AscentSilverFoilMesh;
inline MeshPtr AscentRadarMesh;
inline MeshPtr AscentRadarOrbitMesh;
inline MeshPtr AscentWindowsMesh;
inline MeshPtr AscentShadowMesh;
inline MeshPtr AscentRadarShadowMesh;
inline MeshPtr AscentRadarShadowOrbitMesh;
inline MeshPtr AscentEngineFlame;

inline MeshPtr DescentStageMesh;
inline MeshPtr DescentShadowGroup;
inline MeshPtr DescentBodyMesh;
inline MeshPtr DescentPartsMesh;
inline MeshPtr EngineFlame;
inline MeshPtr DescentGoldFoilMesh;
inline MeshPtr DescentSilverFoilMesh;
inline MeshPtr DescentRedFoilMesh;
inline MeshPtr DescentLegFoilMesh;
inline MeshPtr DescentShadowMesh;
// The legs and their shadow companions, p1 to p4 as footpads 0 to 3.
inline std::array<MeshPtr, FootpadCount> DescentLegShadowMeshes;
inline std::array<MeshPtr, FootpadCount> DescentLegMeshes;

inline MeshPtr RCSPlumeGroup;
inline std::array<MeshPtr, RCSPlumeCount + 1> RCSPlumes;  // index 0 holds none

inline MeshPtr CommandModuleMesh;
inline MeshPtr CMMainMesh;
inline MeshPtr CMShinyMesh;
inline MeshPtr CMOverlayMesh;

inline MeshPtr HatchOpenMesh;         // in the cabin
inline MeshPtr HatchOpenAMesh;        // on the ascent stage
inline MeshPtr HatchClosedInnerMesh;  // in the cabin
inline MeshPtr HatchClosedOuterMesh;  // on the ascent stage

inline MeshPtr CameraPivot;
inline MeshPtr CameraMesh;  // the cockpit eye, on the pivot
// The cockpit eye's height above the pivot (world units); a lifted ascent stage takes it along.
inline constexpr float CockpitEyeHeight = 6.25f;
inline MeshPtr FDAIBall;
inline MeshPtr FDAIBallCameraPivot;
inline MeshPtr FDAIBallCameraPoint;
inline MeshPtr RollOrientationMesh;
inline MeshPtr OrientationMesh;
inline MeshPtr LandingSpotMesh;
inline MeshPtr ArrowSpotMesh;
inline MeshPtr ShadowGridMesh;
inline std::array<MeshPtr, FootpadCount> ShadowBlobMeshes;  // the footpads' dark quads
inline MeshPtr MiniLMMesh;

// The cabin: its root, its shell, and every part and switch-position model by its model name
// (which is also its engine name).
inline MeshPtr VirtualCockpitMesh;
inline MeshPtr CockpitShellMesh;
inline std::map<std::string, MeshPtr, std::less<>> CockpitPartMeshes;
inline std::map<std::string, MeshPtr, std::less<>> SwitchMeshes;

// The mission's landscape tiles, overlapping levels of detail: 2 the largest and coarsest.
inline std::array<std::unique_ptr<engine::EngineLandscape>, LandTileCount> LandTiles;
// The world around the LM.
inline MeshPtr StarField;
inline std::vector<MeshPtr> StarPointMeshes;  // as KeptStars
inline std::vector<MeshPtr> StarInfoMeshes;   // as KeptStars, with the star information option
inline MeshPtr EarthMesh;
inline MeshPtr EarthPoint;
inline MeshPtr AllMoonMesh;
inline MeshPtr HalfMoonMesh;
inline MeshPtr OrbitalMoonMesh;
inline MeshPtr FlagMesh;
inline MeshPtr FlagDarkMesh;
inline MeshPtr CraterDebrisMesh;
inline MeshPtr StartMesh;
inline MeshPtr FinishMesh;
inline MeshPtr DustMesh;
inline MeshPtr ScoreMesh;
inline MeshPtr SurveyorMesh;
inline std::vector<MeshPtr> RockMeshes;      // the rock model pool, RockCount models
inline std::vector<MeshPtr> FakeRockMeshes;  // their shadow casters

// The exhaust emitters of the main display; they join the engine when they are created.
inline engine::EngineParticleSystem ParticleAscent;
inline engine::EngineParticleSystem ParticleRCS1;
