// The instrument surfaces, the ball's meshes, the strip meshes and every texture the painters use,
// on a recording backend: each test reads back the shapes drawn into each surface or the screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/instruments.h"
#include "program/cockpit/small_readouts.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/scene/scene_resources.h"
#include "program/scene/textures_materials.h"
#include "program/startup/native_strings.h"
#include "tests/program/scene/scene_fixture.h"

class InstrumentTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ReleaseEngineObjects();
    CreateEngineObjects(MakeBackend());
    StartEngine();
    TextureQuality = 1.0f;
    RenderDetail = 0;
    MissionType = 12;
    ScreenWidth = 1600;
    ScreenHeight = 1200;
    ScreenScaleX = 1.0f;
    ScreenScaleY = 1.0f;
    CreateLights();
    CreateRenderSurfaces();
    FDAIBall = Scene->CreateMesh("FDAIBall");
    FDAIBallCameraPivot = Scene->CreateMesh("FDAIBallCameraPivot");
    FDAIBallCameraPoint = Scene->CreateMesh("FDAIBallCameraPoint");
    FDAIBallCameraPivot->AttachChild(FDAIBallCameraPoint);
    for (const char* part :
         {MissionTimerMinSecMesh, MissionTimerHoursMesh, EventTimerMesh, CounterMesh,
          FuelDisplayMeshes[0], FuelDisplayMeshes[1], "DSKYDisp", "DSKYLights"}) {
      MeshPtr& mesh = CockpitPartMeshes[part];
      mesh = Scene->CreateMesh(part);
      const d3dx::D3DXVECTOR3 corners[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
      mesh->CreateQuad(0, corners, 1, 1);
    }
    LoadTestTextures();
    CreateFonts();
    for (int32_t id = 0; id <= LastUiTextId; ++id)
      if (HasNativeString(id)) UiText[static_cast<size_t>(id)] = NativeString(id, "");
  }
  void TearDown() override {
    CockpitPartMeshes.clear();
    PathRibbonMesh.reset();
    SceneTest::TearDown();
  }

  // The recording backend; a fixture that draws real pixels gives its own and starts it.
  virtual std::unique_ptr<engine::DrawBackend> MakeBackend() {
    auto recording = std::make_unique<RecordingBackend>();
    backend_ = recording.get();
    return recording;
  }
  virtual void StartEngine() {}

  // The shapes drawn into a surface (nullptr: the screen), in drawing order.
  std::vector<engine::Shape2D> ShapesOn(const RenderSurfacePtr& surface) const {
    return ShapesOn(surface.get());
  }
  std::vector<engine::Shape2D> ShapesOn(const engine::EngineRenderSurface* surface) const {
    std::vector<engine::Shape2D> found;
    size_t shape = 0;
    for (const auto& draw : backend_->draws) {
      if (std::string(draw.kind) != "2D") continue;
      if (draw.target == surface) found.push_back(backend_->shapes[shape]);
      ++shape;
    }
    return found;
  }
  // The shapes of one texture drawn into a surface.
  std::vector<engine::Shape2D> Quads(const RenderSurfacePtr& surface, int32_t texture) const {
    std::vector<engine::Shape2D> found;
    for (const auto& shape : ShapesOn(surface))
      if (shape.kind == engine::Shape2D::Kind::Texture && shape.texture == texture)
        found.push_back(shape);
    return found;
  }
  std::vector<std::string> TextsOnScreen() const {
    std::vector<std::string> texts;
    for (const auto& shape : ShapesOn(nullptr))
      if (shape.kind == engine::Shape2D::Kind::Text) texts.push_back(shape.text);
    return texts;
  }
  // The texture on the first group of a cockpit part.
  static int32_t TextureOn(const std::string& part) {
    return CockpitPartMeshes.at(part)->Groups().at(0).texture;
  }
  void ClearRecord() const {
    backend_->shapes.clear();
    backend_->draws.clear();
    backend_->meshes.clear();
  }

  RecordingBackend* backend_ = nullptr;

 private:
  // One small picture under each name the painters draw, kept where the scene keeps its id; each
  // has a colour of its own, so that a picture of the screen tells them apart.
  void LoadTestTextures() {
    int loaded = 0;
    const auto load = [&](const std::string& name) {
      const std::string file = "t" + std::to_string(loaded) + ".bmp";
      const uint32_t colour = 0xFF000000u | (static_cast<uint32_t>(loaded) * 0x2F5D83u & 0xFFFFFFu);
      ++loaded;
      const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(ImageSide, ImageSide, colour), false);
      folder_.WriteFile(file, std::string(bytes.begin(), bytes.end()));
      return TextureFactory->LoadTexture(win::AppPath() + "\\" + file, name);
    };
    TextureIdSet& t = TextureIds;
    const std::vector<std::pair<int32_t*, std::string>> named = {
        {&t.FDAI1, "FDAI1"},
        {&t.FDAI2, "FDAI2"},
        {&t.HorzNeedle, "horzneedle"},
        {&t.VertNeedle, "vertneedle"},
        {&t.BWHorzNeedle, "bwhorzneedle"},
        {&t.BWVertNeedle, "bwvertneedle"},
        {&t.UpArrow, "UpArrow"},
        {&t.DownArrow, "DownArrow"},
        {&t.LeftArrow, "LeftArrow"},
        {&t.RightArrow, "RightArrow"},
        {&t.XPointer, "XPointer"},
        {&t.AltitudeTape, "AltitudeTape"},
        {&t.Altitude, "Altitude"},
        {&t.AltitudeRate, "AltitudeRate"},
        {&t.SwitchDown, "SwitchDown"},
        {&t.SwitchUp, "SwitchUp"},
        {&t.SwitchMiddle, "SwitchMiddle"},
        {&t.InstrumentBracket, "bracket"},
        {&t.ContactLightOn, "ContactLightOn"},
        {&t.ContactLightOff, "ContactLightOff"},
        {&t.Panel, "Panel"},
        {&t.LPDCockpit, "lpdcockpit"},
        {&t.DesQty, "DesQty"},
        {&t.DesQtyoff, "DesQtyoff"},
        {&t.DSKYDisp, "DSKYDisp"},
        {&t.DSKYLights, "DSKYLights"},
        {&t.CompAct, "CompAct"},
        {&t.BLANK, "BLANK"},
        {&t.BLANKoff, "BLANKoff"}};
    for (const auto& [id, name] : named) *id = load(name);
    for (int n = 0; n < DSKYGlyphCount; ++n) {
      static const char* signs[] = {"Dm", "Dp", "Db", "Da"};
      t.DSKYGlyphs[static_cast<size_t>(n)] = load(n < 10 ? "D" + std::to_string(n) : signs[n - 10]);
    }
    for (size_t n = 0; n < DSKYLampNames.size(); ++n) {
      t.DSKYLampOn[n] = load("DSKY" + std::string(DSKYLampNames[n]));
      t.DSKYLampOff[n] = load("DSKY" + std::string(DSKYLampNames[n]) + "off");
    }
  }

  SavedVariables instruments_ = SavedVariables(
      CurrentProgram, AltitudeAboveGround, AltitudeFeet, LMVelocity, HorizontalVelocityForward,
      HorizontalVelocityLateral, DockRangeFeet, DockSpeed, WorldScale, DockClosingAngleRate,
      DockLateralAngleRate, RollAxis,
      PitchAxis, YawAxis, ThrustAverage, ThrustToWeight, FuelPercent, CockpitCounterValue,
      InstrumentReadouts, XPointerHighScale, MissionClock, EventClock, IgnitionTime, TimeToIgnition,
      FrameTimeSec, LPDTimeTens, LPDTimeOnes, AltitudeWarning, VelocityWarning, LampAlt, LampVel,
      LampProg, ScreenScaleX, ScreenScaleY, TextureFilter2D, RenderDetail, UiText);
};
