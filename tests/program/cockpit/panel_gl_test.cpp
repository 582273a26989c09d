// The 2D instrument panel drawn for real: the instruments painted into their surfaces and laid out
// on a 640 x 480 screen through the library backend on the OpenGL device (surfaceless, on Mesa's
// software rasteriser), compared with a stored picture within a small tolerance.
#define STB_IMAGE_WRITE_IMPLEMENTATION  // the PNG writer, which stored_picture.h includes

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/win/twips.h"
#include "program/cockpit/dsky_canvas.h"
#include "program/cockpit/hud_panel.h"
#include "tests/program/cockpit/instrument_fixture.h"
#include "tests/program/stored_picture.h"

namespace {

constexpr int32_t ScreenPixelsWide = 640;
constexpr int32_t ScreenPixelsHigh = 480;
constexpr uint32_t PanelFrame = 0xFF405060;
constexpr uint32_t LPDFrame = 0xFF806040;
// Set to write the picture afresh into the fixtures after a deliberate change of the panel.
constexpr const char* RewriteVariable = "MAROVIN_REWRITE_PANEL_PICTURE";
const std::string StoredPicture = std::string(MAROVIN_FIXTURES) + "/cockpit/panel_2d.png";

struct PanelWindow : forms::Form {
  PanelWindow() : Form("Main_Display_Panel") {
    SetBorderStyle(forms::BorderStyle::None);
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(ScreenPixelsWide), win::PixelsToTwips(ScreenPixelsHigh));
  }
};

class PanelOnOpenGL : public InstrumentTest {
 protected:
  std::unique_ptr<engine::DrawBackend> MakeBackend() override {
    return engine::MakeLibraryBackend(engine::GlDirect3D());
  }
  void StartEngine() override {
    forms::UseClock(&clock_);
    window_->Show();
    int32_t result = -1;
    Engine->Init(*window_, true, result);
    ASSERT_EQ(result, 0);
    TextureFactory->SetTextureMode(1);  // 32 bits, which keep the panel's alpha whole
  }
  void TearDown() override {
    InstrumentTest::TearDown();
    window_.Unload();
    forms::UseClock(nullptr);
  }

  // A 64 x 48 PNG picture of a one-texel frame round a clear middle, loaded as the scene loads it.
  int32_t LoadFramedPicture(const std::string& name, uint32_t frame, int32_t width,
                            int32_t height) {
    constexpr int Wide = 64;
    constexpr int High = 48;
    std::vector<uint8_t> rgba;
    for (int y = 0; y < High; ++y) {
      for (int x = 0; x < Wide; ++x) {
        const bool edge = x == 0 || y == 0 || x == Wide - 1 || y == High - 1;
        const uint32_t texel = edge ? frame : CodeKey & 0x00FFFFFFu;
        for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<uint8_t>(texel >> shift));
      }
    }
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
          static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                     static_cast<size_t>(size));
        },
        &png, Wide, High, 4, rgba.data(), Wide * 4);
    folder_.WriteFile(name + ".png", png);
    return TextureFactory->LoadTexture(win::AppPath() + "\\" + name + ".png", name, width, height,
                                       CodeKey);
  }

  forms::VirtualClock clock_;
  forms::FormSlot<PanelWindow> window_;
  SavedVariables panel_ =
      SavedVariables(InstrumentLayout, ViewRecords, ContactLightFlags, ScreenWidth, ScreenHeight);
};

TEST_F(PanelOnOpenGL, ThePanelLooksAsStored) {
  ScreenWidth = ScreenPixelsWide;
  ScreenHeight = ScreenPixelsHigh;
  ScreenScaleX = ScreenPixelsWide / 1600.0f;
  ScreenScaleY = ScreenPixelsHigh / 1200.0f;
  // The panel picture and the LPD window: opaque frames round clear middles where the instruments
  // show. The scene loads both with the code key, which keys nothing: the pictures' own alpha
  // clears them.
  TextureIds.Panel = LoadFramedPicture("Panel", PanelFrame, ScreenPixelsWide, ScreenPixelsHigh);
  TextureIds.LPDCockpit = LoadFramedPicture("lpdcockpit", LPDFrame, -1, -1);
  const struct {
    PanelIndex item;
    float left, top, right, bottom;
    int32_t position;
  } layout[] = {{PanelFDAI, 100, 100, 500, 500, 0},
                {PanelXPointer, 550, 100, 850, 400, 0},
                {PanelAltitudeTape, 900, 100, 960, 500, 0},
                {PanelAltitudeRateTape, 980, 100, 1040, 500, 0},
                {PanelThrottleArrowCMD, 1080, 100, 1110, 400, 0},
                {PanelThrottleArrowACT, 1120, 100, 1150, 400, 0},
                {PanelContactLight, 1200, 100, 1300, 150, 0},
                {PanelPGNSSwitch, 1200, 200, 1240, 260, 1},
                {PanelXPointerSwitch, 1260, 200, 1300, 260, 0},
                {PanelFuelLED, 1200, 300, 1300, 360, 0},
                {PanelDSKY, 100, 600, 300, 1000, 0},
                {PanelDSKYLights, 320, 600, 520, 1000, 0}};
  for (const auto& p : layout)
    InstrumentLayout[p.item] = {p.left, p.top, p.bottom, p.right, true, p.position, ""};
  // Seen from the first cockpit view, where every layer of the panel is opaque.
  ViewRecords[CockpitView1].Active = true;
  RollAxis.NeedleSmoothed = 0.6f;
  PitchAxis.Rate = 0.1f;
  HorizontalVelocityForward = 8;
  HorizontalVelocityLateral = -5;
  CurrentProgram = P64;
  AltitudeAboveGround = 800;
  LMVelocity.y = -15;
  ThrustAverage = 0.6f;
  ThrustToWeight = 4;
  FuelPercent = 37;
  DSKYVerb = "16";
  DSKYNoun = "68";
  DSKYProgram = "64";

  DrawCockpitDisplays();
  DrawDSKY();
  Engine->Clear(0xFF000000);
  DrawViewOverlays();
  const std::vector<uint32_t> pixels =
      Engine->Backend().ReadBackBuffer(ScreenPixelsWide, ScreenPixelsHigh);
  Engine->RenderToScreen();

  if (std::getenv(RewriteVariable) != nullptr) {
    tests::WriteStoredPicture(StoredPicture, pixels, ScreenPixelsWide, ScreenPixelsHigh);
    GTEST_SKIP() << "the picture was written to " << StoredPicture;
  }
  // A few edge pixels may round differently on another rasteriser.
  EXPECT_TRUE(tests::MatchesStoredPicture(StoredPicture, pixels, ScreenPixelsWide, ScreenPixelsHigh,
                                          pixels.size() / 500));
  const auto at = [&](int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * ScreenPixelsWide + static_cast<size_t>(x)];
  };
  const auto expectNear = [](uint32_t pixel, uint32_t expected, const char* what) {
    for (int shift : {16, 8, 0})
      EXPECT_NEAR(static_cast<int>(pixel >> shift & 0xFF),
                  static_cast<int>(expected >> shift & 0xFF), 4)
          << what << ", channel at bit " << shift;
  };
  // The frame covers what lies beneath it; the clear middle shows the cleared screen, and the ball.
  expectNear(at(320, 2), PanelFrame, "the panel's frame");
  expectNear(at(600, 300), 0xFF000000, "the screen through the panel's clear middle");
  EXPECT_NE(at(120, 120) & 0xFFFFFF, CodeKey & 0xFFFFFF) << "the ball through the panel";
  EXPECT_NE(at(120, 120), at(120, 220)) << "the ball's surface";
  expectNear(at(253, 300), LPDFrame, "the LPD window's frame");
  expectNear(at(300, 300), 0xFF000000, "the screen through the LPD window");
}

}  // namespace
