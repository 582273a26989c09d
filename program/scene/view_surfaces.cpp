#include "program/scene/view_surfaces.h"

#include <algorithm>

#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"

namespace {

constexpr float NearPlaneShare = 0.2f;        // of the height
constexpr float NearestPlane = 1.0f;          // world units
constexpr float PlaneRatio = 100000.0f;       // far over near
constexpr float NearestFarPlane = 600000.0f;  // world units
constexpr float OrbitalFarPlane = 50000000.0f;
constexpr float OrbitalNearPlane = 500.0f;
constexpr float MarkerHalf = 12.5f;     // world units, half the marker's side
constexpr float MarkerLift = 1.0f;      // world units above the ground
constexpr float MarkerSpacing = 50.0f;  // world units along x between the two markers
constexpr float OverlayWidth = 64.0f;   // pixels of WindowOverlaySurface
constexpr float OverlayHeight = 128.0f;
constexpr uint32_t White = 0xFFFFFFFF;
constexpr uint32_t SameAsFirst = engine::EngineScreen2DDraw::kSameAsFirst;
// Blend factors of the composed layer, and those the 2D drawing keeps otherwise.
constexpr int32_t SourceAlpha = 2, InverseSourceColour = 3;
constexpr int32_t DrawSourceAlpha = 5, DrawInverseAlpha = 12;

void TakeViewCamera(engine::EngineRenderSurface& surface) {
  surface.GetCamera().SetMatrix(ViewCameras[1]->GetMatrix());
}

void RenderTile(int k) { LandTiles[static_cast<size_t>(k)]->Render(0, 0); }

void DrawWhole(int32_t texture) {
  Screen2DDraw->DrawTexture(texture, 0, 0, OverlayWidth, OverlayHeight, White, SameAsFirst,
                            SameAsFirst, SameAsFirst, 0, 0, 1.0f, 1.0f);
}

}  // namespace

void RenderViewSurface() {
  const float nearPlane = std::max(AltitudeAboveGround * NearPlaneShare, NearestPlane);
  const float farPlane = std::max(nearPlane * PlaneRatio, NearestFarPlane);
  ViewSurface->SetFrustum(FieldOfView, farPlane, nearPlane);
  TakeViewCamera(*ViewSurface);
  ViewSurface->StartRender(true);
  // The sky of the view surface is the atmosphere's.
  Atmosphere->RenderSky();
  const bool race = MissionType == LMRaceMission;
  if (!race) {
    RenderTile(2);
    if (RenderNearTiles) {
      RenderTile(1);
      RenderTile(0);
    }
    if (ShowGroundMarkers) PlaceGroundMarkers();
  } else if (IntroFlyby) {
    for (int pass = RenderNearTiles ? 2 : 1; pass > 0; --pass) {
      RenderTile(1);
      RenderTile(0);
    }
  }
  LightEngine->EnableLight(LightIds[FillLight], false);
  // The gates stand only in the race; other missions have destroyed them.
  if (race && StartMesh && FinishMesh) {
    StartMesh->Render();
    FinishMesh->Render();
  }
  ViewSurface->EndRender();
}

void RenderViewSurfaceFixed() {
  TakeViewCamera(*ViewSurface);
  ViewSurface->SetFrustum(FieldOfView, OrbitalFarPlane, OrbitalNearPlane);
  ViewSurface->StartRender(true);
  OrbitalMoonMesh->Render();
  CommandModuleMesh->Render();
  ViewSurface->EndRender();
}

void RenderWindowSurfaces() {
  if (SpotViewFlag || ExteriorViewFlag) {
    WindowViewSurface->SetCamera(CameraLookAt.x, CameraLookAt.y, CameraLookAt.z,
                                 ViewCameraPosition.x, ViewCameraPosition.y, ViewCameraPosition.z);
  } else {
    const d3dx::D3DXVECTOR3 eye =
        CameraMesh->TransformVector(engine::EngineGlobals::MakeVector(0, 0, 1));
    const d3dx::D3DXVECTOR3 at =
        CameraMesh->TransformVector(engine::EngineGlobals::MakeVector(0, 0, 0));
    WindowViewSurface->SetCamera(eye.x, eye.y, eye.z, at.x, at.y, at.z);
  }
  WindowViewSurface->StartRender(true);
  Atmosphere->SetSkyState(-1, -1);
  Atmosphere->RenderSky();
  Atmosphere->SetSkyState(0, -1);
  WindowViewSurface->EndRender();
  if (MissionType == OrbitalMission)
    CMShinyMesh->SetTexture(WindowViewSurface->GetTexture(), -1.0f);
  if (SimpleLM) return;

  Screen2DDraw->SetDrawState(SourceAlpha, InverseSourceColour, -1);
  WindowOverlaySurface->StartRender(true);
  Screen2DDraw->Begin();
  DrawWhole(TextureIds.LegWrap);
  DrawWhole(WindowViewSurface->GetTexture());
  Screen2DDraw->End();
  WindowOverlaySurface->EndRender();
  Screen2DDraw->SetDrawState(DrawSourceAlpha, DrawInverseAlpha, -1);

  const auto overlay = [] { return WindowOverlaySurface->GetTexture(); };
  const auto view = [] { return WindowViewSurface->GetTexture(); };
  AscentGoldFoilMesh->SetTexture(overlay(), -1.0f);
  for (const MeshPtr* foil : {&DescentRedFoilMesh, &DescentGoldFoilMesh, &DescentSilverFoilMesh})
    (*foil)->SetTexture(view(), -1.0f);
  DescentLegFoilMesh->SetTexture(overlay(), -1.0f);
  AscentSilverFoilMesh->SetTexture(view(), -1.0f);
  // The leg groups in the ship's material are dark.
  const float shipGroups[FootpadCount] = {1.0f, 2.0f, 5.0f, 5.0f};
  for (size_t leg = 0; leg < DescentLegMeshes.size(); ++leg) {
    DescentLegMeshes[leg]->SetTexture(view(), -1.0f);
    DescentLegMeshes[leg]->SetTexture(TextureIds.BlackSolid, shipGroups[leg]);
  }
}

void PlaceGroundMarkers() {
  const float dx = HistoricLandingSpot.EastWest - LMMeshPosition.x;
  const float dz = HistoricLandingSpot.NorthSouth - LMMeshPosition.z;
  const float y = LandTiles[0]->GetHeight(dx, dz);
  LandingSpotMesh->SetPosition(dx - MarkerHalf, y + MarkerLift, dz - MarkerHalf);
  ArrowSpotMesh->SetPosition(dx - MarkerHalf + MarkerSpacing, y + MarkerLift, dz - MarkerHalf);
  // Both markers are placed to be seen, so both are drawn.
  LandingSpotMesh->Render();
  ArrowSpotMesh->Render();
}
