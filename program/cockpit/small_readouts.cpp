#include "program/cockpit/small_readouts.h"

#include <array>
#include <sstream>
#include <string>

#include "program/cockpit/draw_2d.h"
#include "program/flight/flight_state.h"
#include "program/scene/scene_state.h"

namespace {

constexpr uint32_t SceneBackground = ArgbBlack;
constexpr int FirstPathPoint = 3;
constexpr float RibbonHalfWidth = 1.0f;  // world units either side of the path

// The shortest text that reads back as the same single.
std::string ShortestText(float value) {
  for (int digits = 1; digits <= 9; ++digits) {
    std::ostringstream out;
    out.precision(digits);
    out << value;
    if (std::stof(out.str()) == value) return out.str();
  }
  return std::to_string(value);
}

void Sprite(const PanelItem& item, int32_t texture, uint32_t tint) {
  DrawQuad(texture, ScaledX(item.Left), ScaledY(item.Top), ScaledX(item.Right),
           ScaledY(item.Bottom), tint);
}

void DrawSurfaceOverScreen() {
  Engine->Clear(SceneBackground);
  const float w = static_cast<float>(ScreenWidth);
  const float h = static_cast<float>(ScreenHeight);
  // The surface is twice as wide as high: a wide screen shows it whole across its height.
  const float left = w > h ? w / 2 - h : 0;
  const float right = w > h ? w / 2 + h : w;
  Screen2DDraw->Begin();
  DrawQuad(ViewSurface->GetTexture(), left, 0, right, h);
  Screen2DDraw->End();
}

d3dx::D3DXVECTOR3 FromLM(const Vector3& p) {
  return {p.x - LMMeshPosition.x, p.y - LMMeshPosition.y, p.z - LMMeshPosition.z};
}

// The final approach as an upright band of quads, one per stretch between points.
void BuildRibbon() {
  PathRibbonMesh = Scene->CreateMesh("PathRibbon");
  for (size_t i = FirstPathPoint; i < FinalPathLine.size() - 1; ++i) {
    const Vector3& a = FinalPathLine[i];
    const Vector3& b = FinalPathLine[i + 1];
    const d3dx::D3DXVECTOR3 corners[4] = {{a.x, a.y - RibbonHalfWidth, a.z},
                                          {b.x, b.y - RibbonHalfWidth, b.z},
                                          {b.x, b.y + RibbonHalfWidth, b.z},
                                          {a.x, a.y + RibbonHalfWidth, a.z}};
    PathRibbonMesh->CreateQuad(0, corners, 1, 1);
  }
  PathRibbonMesh->SetMaterial(MaterialIds.ScoreMat1, -1);
}

}  // namespace

void DrawFPS() {
  DrawScreenText(ShortestText(FramesPerSecond) + " fps", static_cast<float>(ScreenWidth) * 0.01f,
                 static_cast<float>(ScreenHeight) * 0.01f, ArgbDarkGray, NthFont(5));
}

void DrawValueLines() {
  if (ValueLineCount < 1) {
    ValueLineCount = 0;
    return;
  }
  const int32_t font = NthFont(6);
  const float w = static_cast<float>(ScreenWidth);
  float y = 0;
  for (int32_t n = 1; n <= ValueLineCount; ++n) {
    const ValueLine& line = ValueLineList[static_cast<size_t>(n)];
    int32_t tw = 0, th = 0;
    Screen2DText->GetTextSize(line.Value, font, tw, th);
    y += static_cast<float>(th);
    Screen2DDraw->Begin();
    Screen2DDraw->DrawFilledBox(w * 0.1f, y, w * 0.35f + static_cast<float>(tw),
                                y + static_cast<float>(th), ArgbBlack, ArgbBlack, ArgbBlack,
                                ArgbBlack);
    Screen2DDraw->End();
    DrawScreenText(line.Label, w * 0.1f, y, line.Colour, font);
    DrawScreenText(line.Value, w * 0.35f, y, line.Colour, font);
  }
  ValueLineCount = 0;
}

void DrawButtonSprite2(const PanelItem& item, uint32_t tint) {
  if (!item.Enabled) return;
  if (item.SwitchPosition == 0) Sprite(item, TextureIds.SwitchDown, tint);
  if (item.SwitchPosition == 1) Sprite(item, TextureIds.SwitchUp, tint);
}

void DrawButtonSprite3(const PanelItem& item, uint32_t tint) {
  if (!item.Enabled) return;
  const std::array<int32_t, 3> textures = {TextureIds.SwitchDown, TextureIds.SwitchMiddle,
                                           TextureIds.SwitchUp};
  if (item.SwitchPosition >= 0 && item.SwitchPosition <= 2)
    Sprite(item, textures[static_cast<size_t>(item.SwitchPosition)], tint);
}

void DrawSceneSurface() {
  DrawSurfaceOverScreen();
  if (!LandTilesCreated) return;
  // Over the far tile, it and the middle one are drawn over the surface; over the finest (where
  // the race is flown, whose surface holds no ground after the fly-by), the middle one and it.
  if (ActiveLandTile == 2) {
    LandTiles[2]->Render();
    LandTiles[1]->Render();
  } else if (ActiveLandTile == 0) {
    LandTiles[1]->Render();
    LandTiles[0]->Render();
  }
}

void DrawSceneSurfaceOrbital() { DrawSurfaceOverScreen(); }

void DrawPathLines() {
  Screen2DDraw->Begin();
  for (const auto* path : {&FlownPathLine, &SmoothPathLine})
    for (size_t i = FirstPathPoint; i + 1 < path->size(); ++i)
      Screen2DDraw->DrawLine3D(FromLM((*path)[i]), FromLM((*path)[i + 1]), ArgbGreen, ArgbGreen);
  Screen2DDraw->End();
  // The path may change between frames (a replay's score), so the ribbon is made afresh.
  if (PathRibbonMesh) PathRibbonMesh->Destroy();
  BuildRibbon();
  PathRibbonMesh->SetPosition(-LMMeshPosition.x, -LMMeshPosition.y, -LMMeshPosition.z);
  PathRibbonMesh->Render();
}
