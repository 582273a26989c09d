// The in-flight menu drawn for real: its panel, buttons, sliders, box and labels on a 640 x 480
// screen through the library backend on the OpenGL device (surfaceless, on Mesa's software
// rasteriser), compared with a stored picture within a small tolerance.
#define STB_IMAGE_WRITE_IMPLEMENTATION  // the PNG writer, which stored_picture.h includes
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/twips.h"
#include "program/input/menu.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/input_engine.h"
#include "tests/program/saved_variables.h"
#include "tests/program/stored_picture.h"

namespace {

constexpr int32_t ScreenPixelsWide = 640;
constexpr int32_t ScreenPixelsHigh = 480;
// Set to write the picture afresh into the fixtures after a deliberate change of the menu.
constexpr const char* RewriteVariable = "MAROVIN_REWRITE_MENU_PICTURE";
const std::string StoredPicture = std::string(MAROVIN_FIXTURES) + "/input/menu.png";

struct MenuWindow : forms::Form {
  MenuWindow() : Form("Main_Display_Menu") {
    SetBorderStyle(forms::BorderStyle::None);
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(ScreenPixelsWide), win::PixelsToTwips(ScreenPixelsHigh));
  }
};

class MenuOnOpenGL : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    forms::UseClock(&clock_);
    for (int32_t id = 0; id <= LastUiTextId; ++id) UiText[id] = NativeString(id, "");
    win::SetAppPath(folder_.Path().string());
    window_->Show();
    engine_ = std::make_unique<EngineForInput>(engine::MakeLibraryBackend(engine::GlDirect3D()),
                                               &*window_);
    TextureFactory->SetTextureMode(1);
  }
  void TearDown() override {
    for (auto* slider : {&MasterVolumeSlider, &MusicVolumeSlider, &RCSVolumeSlider,
                         &EngineVolumeSlider, &GammaSlider, &ShipGammaSlider})
      slider->reset();
    DisplayFPSBox.reset();
    engine_.reset();
    window_.Unload();
    forms::UseClock(nullptr);
  }

  forms::VirtualClock clock_;
  TempFolder folder_;
  forms::FormSlot<MenuWindow> window_;
  std::unique_ptr<EngineForInput> engine_;
  SavedVariables saved_ = SavedVariables(
      UiText, FontIds, ScreenWidth, ScreenHeight, ScreenScaleX, ScreenScaleY, MissionType,
      FullScreen, MasterVolume, MusicVolume, RCSVolume, EngineVolume, ShipGamma, Gamma, DisplayFPS,
      StartItem, ExitItem, ReplayItem, SaveReplayItem, LoadItem, QuitItem, ContinueItem);
};

TEST_F(MenuOnOpenGL, TheOpenMenuLooksAsStored) {
  // Each button texture a colour of its own, so that the picture tells them apart.
  const struct {
    const char* name;
    uint32_t colour;
  } textures[] = {{"ButtonOn", 0xFF30A030},     {"ButtonOff", 0xFF808080},
                  {"ButtonRollOn", 0xFFC0C040}, {"Quit", 0xFF902020},
                  {"REPLAY", 0xFF204090},       {"FLIGHT", 0xFF209090},
                  {"TextOff", 0xFFE0E0E0},      {"TextOffRoll", 0xFFF0F0C0},
                  {"TextOn", 0xFF90C0F0},       {"TextOnRoll", 0xFFB0D0F0}};
  for (const auto& t : textures) {
    const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(8, 8, t.colour), false);
    folder_.WriteFile(std::string("Textures/Buttons/") + t.name + ".png",
                      std::string(bytes.begin(), bytes.end()));
  }
  LoadMenuTextures();
  CreateMenuItems();
  for (const FontIndex font : {SmallFont, ArialFont16, LargeFont})
    FontIds[font] = Screen2DText->CreateFont("menu", "DejaVu Sans", 10, false);
  ScreenWidth = ScreenPixelsWide;
  ScreenHeight = ScreenPixelsHigh;
  ScreenScaleX = ScreenPixelsWide / ReferenceWidth;
  ScreenScaleY = ScreenPixelsHigh / ReferenceHeight;
  MissionType = 11;
  FullScreen = true;
  MasterVolumeSlider->Value = 80.0f;
  MusicVolumeSlider->Value = 40.0f;
  RCSVolumeSlider->Value = 60.0f;
  EngineVolumeSlider->Value = 100.0f;
  GammaSlider->Value = 100.0f;
  ShipGammaSlider->Value = 150.0f;
  MasterVolume = 80;
  MusicVolume = 40;
  RCSVolume = 60;
  EngineVolume = 100;
  Gamma = 1.0f;
  ShipGamma = 1.5f;
  DisplayFPS = true;
  DisplayFPSBox->IsMarked = true;
  ExitItem.Selected = true;  // the exit box is open

  Engine->Clear(0xFF000000);
  DrawSettingsOverlay();
  const std::vector<uint32_t> pixels =
      Engine->Backend().ReadBackBuffer(ScreenPixelsWide, ScreenPixelsHigh);
  Engine->RenderToScreen();

  if (std::getenv(RewriteVariable) != nullptr) {
    tests::WriteStoredPicture(StoredPicture, pixels, ScreenPixelsWide, ScreenPixelsHigh);
    GTEST_SKIP() << "the picture was written to " << StoredPicture;
  }
  // A few edge pixels and glyphs may round differently on another rasteriser.
  EXPECT_TRUE(tests::MatchesStoredPicture(StoredPicture, pixels, ScreenPixelsWide, ScreenPixelsHigh,
                                          pixels.size() / 200));
  const auto at = [&](int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * ScreenPixelsWide + static_cast<size_t>(x)];
  };
  // The exit box's picture in the middle, the start button in the panel.
  EXPECT_EQ(at(250, 125) & 0xFFFFFF, 0x902020u);
  EXPECT_EQ(at(30, 45) & 0xFFFFFF, 0x808080u);
}

}  // namespace
