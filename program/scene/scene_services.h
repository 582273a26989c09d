// The scene services that the flight calls (LM meshes, legs, cabin lights, crater, fonts,
// emitters). Each is built in the scene file of its concern (LM meshes in lm_placement.cpp,
// terrain in placement.cpp, cabin lights in cockpit_models.cpp, fonts and emitters in
// scene_resources.cpp); the main display's size, the engine window's three calls and the mouse
// pointer in scene_services.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "program/flight/vector3.h"
#include "program/scene/scene_state.h"

class MainDisplayForm;

// Splits the LM's horizontal velocity into HorizontalVelocityForward and HorizontalVelocityLateral.
void ResolveHorizontalVelocity();
// Moves a footpad's leg mesh (0 to 3) by the offset, world units.
void SetDescentLegOffset(int pad, const Vector3& offset);
// Puts the lit texture on the contact-light mesh.
void LightContactLightMesh();
// Lights the descent quantity warning of the cabin.
void ShowLowFuelLight();
// Places the left-behind descent stage and its shadow at the offset from the LM, and the ascent
// stage's shadow at the ascent stage's own offset, world units.
void PlaceDescentStageMeshes(const Vector3& offset, const Vector3& ascentOffset);
// Moves the ascent stage meshes up by `height` world units from the descent stage and stores the
// offset in AscentStageMeshOffset.
void OffsetLMMeshes(float height);
// Lays the crater debris on the terrain under the crash and digs the crater.
void ShowCrashSite();
// The height at which the active landscape tile is placed this frame, render coordinates.
float ActiveTileRenderHeight();
// Places the shadow grid's vertices, the footpad blobs and the leg shadows, draws the shadow
// parts from the sun's side into the terrain patch surface and puts it on the grid; the blobs are
// drawn only when `drawBlobs`.
void DrawTerrainShadowPicture(bool drawBlobs);
// Jet plumes 1 to 16 and their textures 1 to 5.
bool IsRCSPlumeShown(int plume);
void ShowRCSPlume(int plume, int texture);
// Turns the LM's stage meshes, their shadows, the virtual cockpit and the plume group by this
// frame's increments (roll, pitch, yaw radians); the left-behind descent stage tumbles by its own
// rates instead.
void TurnLMMeshes(const Vector3& increment);
// ScreenWidth, ScreenHeight and their scales from the form's inner size.
void StoreWindowSize(MainDisplayForm& form);
// The engine's window and device calls of the main display.
void UpdateEngineWindowSize();
void SetEngineWindowed();
void ReleaseInputDevices();
// Resets the engine's 2D text, yields once and creates the fonts again.
void RecreateFonts();
// The exhaust emitters of the main display: created when it loads; the ascent exhaust set up and
// started with its drift (x, y) and speed.
void CreateExhaustEmitters();
void StartAscentExhaust(float driftX, float driftY, float speed);
// Gives the DSKY's programs the scene's services: the contact light back to off, the interior
// view flag cleared, the LM meshes offset, the PGNS switch applied again.
void InstallSceneDSKYServices();
// The mouse pointer becomes the arrow.
void SetArrowPointer();
