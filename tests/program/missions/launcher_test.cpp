#include "program/missions/launcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d/headless.h"
#include "platform/engine/draw_backend.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/script.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/joystick_assign.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/launcher_return.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/startup_state.h"
#include "tests/program/input_engine.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/missions/program_folder.h"
#include "tests/program/missions/shipped_texts.h"

namespace {

using namespace d3d;

// The adapters the next Direct3D object lists.
std::vector<HeadlessAdapter> adapters;

IDirect3D8* CreateWithAdapters() {
  d3d::HeadlessConfig config;
  config.adapters = adapters;
  return d3d::CreateHeadlessDirect3D(config);
}

class LauncherModes : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    d3d::SetDirect3DCreator(CreateWithAdapters);
    UnloadLauncherDialogs();
  }
  void TearDown() override {
    UnloadLauncherDialogs();
    d3d::SetDirect3DCreator(nullptr);
  }

  // The launcher, shown, with the lists enabled (the settings' default is windowed).
  static DriverDialogForm& ShownLauncher() {
    DriverDialogForm& form = *DriverDialog;
    form.Show();
    form.chkWindowed.SetValue(forms::Control::kUnchecked);
    return form;
  }

  static std::vector<std::string> Entries(int16_t list) {
    std::vector<std::string> entries;
    forms::Control& box = DriverDialog->cboGroup(list);
    for (int16_t i = 0; i < box.ListCount(); ++i)
      entries.push_back(box.List(i) + "@" + std::to_string(box.ItemData(i)));
    return entries;
  }

  SavedVariables saved_ = SavedVariables(VideoMode, VideoWidth, VideoHeight, VideoBits, UiText);
};

TEST_F(LauncherModes, ListsEachSizeAndFormatOnceWithItsBits) {
  struct Case {
    std::vector<D3DDISPLAYMODE> modes;
    std::vector<std::string> listed;
  };
  const std::vector<Case> cases = {
      {{{800, 600, 75, D3DFMT_A8R8G8B8},
        {800, 600, 60, D3DFMT_A8R8G8B8},
        {800, 600, 85, D3DFMT_A8R8G8B8}},
       {"800x600x32@0"}},
      {{{1024, 768, 60, D3DFMT_A8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}},
       {"1024x768x32@0", "1024x768x32@1"}},
      {{{640, 480, 60, D3DFMT_R5G6B5},
        {640, 480, 60, D3DFMT_X1R5G5B5},
        {640, 480, 60, D3DFMT_R8G8B8},
        {640, 480, 60, D3DFMT_A4R4G4B4}},
       {"640x480x32@0", "640x480x16@1", "640x480x16@2"}},
  };
  for (const Case& c : cases) {
    UnloadLauncherDialogs();
    adapters = {{"Card", c.modes}};
    UpdateAdapter();
    UpdateVideoModes(0);
    EXPECT_EQ(Entries(2), c.listed);
    EXPECT_TRUE(DriverDialog->NoModesReported == false);
  }
}

TEST_F(LauncherModes, ChoosingAModeSetsTheVideoVariables) {
  adapters = {{"First", {{800, 600, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_R5G6B5}}},
              {"Second", {{1280, 1024, 60, D3DFMT_X8R8G8B8}}}};
  DriverDialogForm& form = ShownLauncher();
  UpdateAdapter();
  UpdateVideoModes(form.AdapterIndex);
  EXPECT_EQ(Entries(0), (std::vector<std::string>{"First@0", "Second@0"}));
  form.cboGroup(2).UserChoose(1);
  EXPECT_EQ(VideoMode, 1);
  EXPECT_EQ(VideoWidth, 800);
  EXPECT_EQ(VideoHeight, 600);
  EXPECT_EQ(VideoBits, 32);
  form.cboGroup(2).UserChoose(0);
  EXPECT_EQ(VideoBits, 16);

  form.cboGroup(0).UserChoose(1);
  EXPECT_EQ(form.AdapterIndex, 1);
  EXPECT_EQ(Entries(2), (std::vector<std::string>{"1280x1024x32@0"}));
  form.cboGroup(2).UserChoose(0);
  EXPECT_EQ(VideoWidth, 1280);
}

TEST_F(LauncherModes, AnEmptyListOffersTheDesktopAndSaysSoOnce) {
  forms::script::SetHeadlessScreen({1280, 1024, 32, 60});
  adapters = {{"Odd card", {{800, 600, 60, D3DFMT_A4R4G4B4}}}};
  const MessageBoxesShown shown;
  UpdateAdapter();
  UpdateVideoModes(0);
  UpdateVideoModes(0);
  EXPECT_EQ(Entries(2), (std::vector<std::string>{"1280x1024x32@1"}));
  EXPECT_EQ(shown().size(), 1u);
  ShownLauncher().cboGroup(2).UserChoose(0);
  EXPECT_EQ(VideoWidth, 1280);
  EXPECT_EQ(VideoHeight, 1024);
  EXPECT_EQ(VideoBits, 32);
  forms::script::SetHeadlessScreen({});
}

TEST_F(LauncherModes, WindowedGreysBothLists) {
  DriverDialogForm& form = ShownLauncher();
  form.chkWindowed.UserClick();
  EXPECT_FALSE(form.cboGroup(0).Enabled());
  EXPECT_FALSE(form.cboGroup(2).Enabled());
  form.chkWindowed.UserClick();
  EXPECT_TRUE(form.cboGroup(0).Enabled());
  EXPECT_TRUE(form.cboGroup(2).Enabled());
}

TEST_F(LauncherModes, ScrollCaptionsFollowTheirBands) {
  for (int32_t id = 219; id <= 238; ++id)
    UiText[static_cast<size_t>(id)] = "text " + std::to_string(id);
  DriverDialogForm& form = ShownLauncher();
  // Dragging updates the shadow, rock graphic and rock captions; the texture caption waits.
  form.HScroll2.UserScroll(2, true);
  EXPECT_EQ(form.Label3.Caption(), "text 224");
  form.HScroll1.SetValue(0);
  EXPECT_EQ(form.Label5.Caption(), "text 219");
  form.HScroll1.UserScroll(1, true);
  EXPECT_EQ(form.Label5.Caption(), "text 219");
  form.HScroll1.UserScroll(2, false);
  EXPECT_EQ(form.Label5.Caption(), "text 221");
  for (auto [value, id] : {std::pair{60, 229}, {61, 230}, {0, 229}, {241, 233}, {299, 233}}) {
    form.HScrollRockGraphic.UserScroll(static_cast<int16_t>(value), true);
    EXPECT_EQ(form.Label18.Caption(), "text " + std::to_string(id)) << value;
  }
  form.HScrollRocks.UserScroll(100, false);
  EXPECT_EQ(form.Label15.Caption(), "text 238");
  form.HScrollLandscape.UserScroll(1, false);
  EXPECT_EQ(form.Label14.Caption(), "text 227");
}

TEST_F(LauncherModes, ShippedDatabaseTranslatesTheNewCaptions) {
  const ShippedTexts shipped;
  for (const char* text : {"Select", "Select the active pilot.", "Advanced",
                           "More graphic settings", "Quit", "Goodbye", "Help", "Display Help",
                           "More Settings", "Change other volume and music settings",
                           "Export Language", "Language", "Test-11", "Start the program"})
    shipped.ExpectTranslated(text);
}

}  // namespace

namespace {

class AdvancedDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    UnloadLauncherDialogs();
  }
  void TearDown() override { UnloadLauncherDialogs(); }
  SavedVariables saved_ = SavedVariables(DisplayFPS, SetVsync, SpecularLighting, TextureMode,
                                         SetDepthBuffer, AntialiasingOn, AntialiasingSamples);
};

TEST_F(AdvancedDialog, OkAppliesTheChoicesAndCancelKeepsThem) {
  DisplayFPS = false;
  AdvancedForm& form = *Advanced;
  form.Show();
  form.Check3.UserClick();
  form.Combo2.UserChoose(3);  // "Auto (Best)"
  form.Combo3.UserChoose(1);  // "W-Buffer"
  form.Combo4.UserChoose(4);  // "4"
  form.Command2.UserClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(DisplayFPS);
  form.Show();
  form.Command1.UserClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(DisplayFPS);
  EXPECT_EQ(TextureMode, 3);
  EXPECT_EQ(SetDepthBuffer, 2);
  EXPECT_TRUE(AntialiasingOn);
  EXPECT_EQ(AntialiasingSamples, 4);

  for (int16_t entry : {int16_t{0}, int16_t{1}}) {  // "None" and "1" both turn it off
    form.Show();
    form.Combo4.UserChoose(entry);
    form.Command1.UserClick();
    EXPECT_FALSE(AntialiasingOn) << entry;
    EXPECT_EQ(AntialiasingSamples, 0);
  }
}

}  // namespace

namespace {

class LauncherLoad : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    UnloadLauncherDialogs();
    d3d::SetDirect3DCreator(CreateWithAdapters);
    adapters = {{"Card", {{1280, 1024, 60, d3d::D3DFMT_X8R8G8B8}}}};
  }
  void TearDown() override {
    UnloadLauncherDialogs();
    d3d::SetDirect3DCreator(nullptr);
    forms::script::StartAfresh();
  }
  SavedVariables saved_ = SavedVariables(DesktopCaps, VideoMode, VideoWidth, HelpFilePath, UiText,
                                         FlightFiles, FlightName, SimulationInitialised);
};

TEST_F(LauncherLoad, LoadsTheModesSettingsMissionsAndViews) {
  forms::script::SetHeadlessScreen({1280, 1024, 24, 75});
  for (int id = 49; id < 58; ++id) UiText[static_cast<size_t>(id)] = "view " + std::to_string(id);
  for (int id = 219; id <= 238; ++id)
    UiText[static_cast<size_t>(id)] = "text " + std::to_string(id);
  folder_.WriteFile("Marovin.ini",
                    "[Graphic Settings]\nVideo Mode=0\n[Miscellaneous]\n"
                    "Mission=Apollo 15\n");
  folder_.WriteFile("Missions/Apollo 15/Landing.sit", "");
  DriverDialogForm& form = *DriverDialog;
  // " Marovin Ver " and the project's version: major, minor and patch.
  const std::string caption = form.Caption();
  ASSERT_TRUE(caption.starts_with(" Marovin Ver ")) << caption;
  EXPECT_EQ(std::count(caption.begin(), caption.end(), '.'), 2) << caption;
  EXPECT_EQ(DesktopCaps.Width, 1280);
  EXPECT_EQ(DesktopCaps.BitsPerPixel, 32);
  EXPECT_EQ(DesktopCaps.RefreshRate, 75);
  EXPECT_EQ(form.cboGroup(2).Text(), "1280x1024x32");
  EXPECT_EQ(VideoWidth, 1280);
  EXPECT_EQ(form.Combo1.Text(), "Apollo 15");
  EXPECT_EQ(FlightFiles, std::vector<std::string>{"Landing"});
  ASSERT_EQ(form.Combo3.ListCount(), 9);
  EXPECT_EQ(form.Combo3.List(8), "view 57");
  // Every bar's caption names its value, also one that the settings did not move.
  EXPECT_EQ(form.HScroll2.Value(), 0);
  EXPECT_EQ(form.Label3.Caption(), "text 222");
  for (const forms::Control* label : {&form.Label5, &form.Label14, &form.Label15, &form.Label18})
    EXPECT_TRUE(label->Caption().starts_with("text ")) << label->Name();
  EXPECT_TRUE(form.Command_Continue.Enabled());
  forms::script::SetHeadlessScreen({});
}

// A load that fails midway (here the engine cannot start) says why and never offers Continue: no
// flight starts from a launcher made by half.
TEST_F(LauncherLoad, ALoadThatFailsSaysWhyAndNeverOffersContinue) {
  struct NoDevice : engine::DrawBackend {
    void Start(const engine::DeviceSettings&) override { throw engine::EngineError("no device"); }
    void BeginTarget(const engine::DrawTarget&, bool, uint32_t) override {}
    void EndTarget() override {}
    void DrawMesh(const engine::EngineMesh&, const engine::CameraView&) override {}
    void DrawLandscape(const engine::EngineLandscape&, const engine::CameraView&) override {}
    void Draw2D(const engine::Shape2D&) override {}
    void Present() override {}
    void MeasureText(const std::string&, const engine::Font&, int32_t, int32_t&,
                     int32_t&) override {}
    std::vector<uint32_t> ReadBackBuffer(int32_t, int32_t) override { return {}; }
  };
  folder_.WriteFile("Missions/Apollo 15/Landing.sit", "");
  const SavedVariables engine(EngineInitialised, EngineBackendMaker, WindowLeft, WindowTop,
                              WindowWidth, WindowHeight, DisplayModeWidth, DisplayModeHeight,
                              DisplayModeBits);
  EngineInitialised = false;
  EngineBackendMaker = [] {
    return std::unique_ptr<engine::DrawBackend>(std::make_unique<NoDevice>());
  };
  const MessageBoxesShown shown;
  DriverDialogForm& form = *DriverDialog;
  EXPECT_EQ(FlightFiles, std::vector<std::string>{"Landing"});
  EXPECT_FALSE(form.Command_Continue.Enabled());
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "no device");
  form.Combo2.UserChoose(0);
  EXPECT_FALSE(form.Command_Continue.Enabled()) << "choosing a flight does not offer it either";
  Globals.reset();
  Engine.reset();
  DropMainDisplay();
}

TEST_F(LauncherLoad, BackFromAFlightTheSceneChoicesAreFixed) {
  ReturnToLauncher();
  EXPECT_TRUE(DriverDialog->Visible());
  const std::vector<const forms::Control*> fixed{&DriverDialog->HScroll1, &DriverDialog->Label5,
                                                 &Advanced->Check1, &Advanced->Check2};
  for (const forms::Control* choice : fixed) EXPECT_FALSE(choice->Enabled()) << choice->Name();
}

// Help opens the page beside the help file; where the desktop has no viewer for it, or the page
// is missing, a box says so and names the page, so that the user can open it by hand.
TEST_F(LauncherLoad, HelpOpensThePageBesideTheHelpFileOrSaysWhereItIs) {
  HelpFilePath = win::AppPath() + "\\help\\marovinhelp.chm";
  folder_.WriteFile("Help/marovinhelp.html", "<html></html>");
  const std::string page = (folder_.Path() / "Help" / "marovinhelp.html").string();
  DriverDialog->Show();
  const MessageBoxesShown shown;
  DriverDialog->Command_Help.UserClick();
  ASSERT_FALSE(forms::script::ShownHelpPages().empty());
  EXPECT_EQ(forms::script::ShownHelpPages().back(), page);
  EXPECT_TRUE(shown().empty());

  forms::script::SetHeadlessHelpViewer(false);
  DriverDialog->Command_Help.UserClick();
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_TRUE(shown()[0].prompt.starts_with("No program to show web pages was found."));
  EXPECT_TRUE(shown()[0].prompt.ends_with("\r\r" + page));
  std::filesystem::remove(page);
  DriverDialog->Command_Help.UserClick();
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_TRUE(shown()[1].prompt.starts_with("The help page was not found:"));
}

TEST_F(LauncherLoad, QuitEndsTheProgramButNotDuringALanguageChange) {
  DriverDialog.Get();
  LanguageChanging = true;
  EXPECT_TRUE(DriverDialog.Unload());
  LanguageChanging = false;
  DriverDialog->Show();
  SimulationInitialised = false;
  EXPECT_THROW(DriverDialog_Command_Quit_Click(), forms::ProgramEnded);
}

}  // namespace

namespace {

// What a user chose in the launcher and its dialogs is there again at the next start, though no
// flight was flown in between.
TEST_F(LauncherLoad, QuitKeepsTheChoicesForTheNextStart) {
  const SavedVariables settings(SoundOn, MenuSoundChoice, DisplayFPS, MusicVolume, ShadowFlags,
                                StartupView, RockCount, RockGraphic, FullScreen, LandPrecision,
                                TextureQuality);
  DriverDialogForm& form = *DriverDialog;
  form.Show();
  form.HScroll2.UserScroll(2, false);
  form.Check_Sound.UserClick();
  const int16_t sound = form.Check_Sound.Value();
  form.Combo3.UserChoose(6);
  Advanced->Show();
  Advanced->Check3.UserClick();
  const int16_t frameRate = Advanced->Check3.Value();
  Advanced->Command1.UserClick();
  SoundSettings->Show();
  SoundSettings->HScroll_MusicVolume.UserScroll(33, false);
  SoundSettings->Command1.UserClick();
  EXPECT_THROW(form.Command_Quit.UserClick(), forms::ProgramEnded);
  forms::script::StartAfresh();

  DriverDialogForm& again = *DriverDialog;
  EXPECT_EQ(again.HScroll2.Value(), 2);
  EXPECT_EQ(again.Check_Sound.Value(), sound);
  EXPECT_EQ(again.Combo3.Text(), again.Combo3.List(6));
  EXPECT_EQ(Advanced->Check3.Value(), frameRate);
  EXPECT_EQ(SoundSettings->HScroll_MusicVolume.Value(), 33);
}

TEST_F(LauncherLoad, StarOptionsShowTheSettings) {
  const SavedVariables stars(StarMagnitudeCut, StarSize, StarBrightness, StarInformationFlag);
  DriverDialog->Show();  // its load reads the settings, which the test then replaces
  StarMagnitudeCut = 0.45f;
  StarSize = 3;
  StarBrightness = 7;
  StarInformationFlag = true;
  DriverDialog->Command6.UserClick();
  EXPECT_TRUE(StarForm->Visible());
  EXPECT_EQ(StarForm->HScroll3.Value(), 450);
  EXPECT_EQ(StarForm->HScroll1.Value(), 3);
  EXPECT_EQ(StarForm->HScroll2.Value(), 7);
  EXPECT_EQ(StarForm->Check1.Value(), forms::Control::kChecked);
  // A value beyond a bar shows at the bar's end.
  StarForm->Hide();
  StarBrightness = 70;
  StarMagnitudeCut = 4.5f;
  DriverDialog->Command6.UserClick();
  EXPECT_EQ(StarForm->HScroll2.Value(), 10);
  EXPECT_EQ(StarForm->HScroll3.Value(), 1000);
}

}  // namespace

namespace {

class LauncherSetup : public LauncherLoad {
 protected:
  void SetUp() override {
    LauncherLoad::SetUp();
    DropMainDisplay();
    engine_ = std::make_unique<EngineForInput>();
    // Setup is enabled while the joystick is the chosen control.
    DriverDialog->Show();
    DriverDialog->Option_Joystick.SetValue(-1);
    // Escape held ends the joystick test as soon as it starts.
    engine_->Input().KeyEvent(engine::scan::kEscape, true);
  }
  void TearDown() override {
    JoystickAssign.Unload();
    engine_.reset();
    DropMainDisplay();
    LauncherLoad::TearDown();
  }
  std::unique_ptr<EngineForInput> engine_;
  SavedVariables axes_ = SavedVariables(AxisAssignments, SelectedJoystick, JoystickTestStop,
                                        JoystickCount, JoystickAxisLimit, Busy);
};

TEST_F(LauncherSetup, FillsTheAxisBoxesOfTheFirstJoystick) {
  DriverDialogForm& form = *DriverDialog;
  form.Show();
  engine_->joysticks->Plug("Flight Stick", {4, 12, 1});
  for (AxisAssignment& axis : AxisAssignments) axis = {};
  AxisAssignments[AxisRoll] = {0.5f, 1, 0, 0};
  AxisAssignments[AxisPitch] = {0.5f, 1, 1, 0};
  AxisAssignments[AxisThrottle] = {0.5f, 1, 2, 0};
  AxisAssignments[AxisTranslateZ] = {0.5f, 1, 2, 0};  // a later match wins
  AxisAssignments[AxisYaw] = {0.5f, 2, 3, 0};         // another joystick
  const int32_t mainWidth = Main_Display->Width();
  Engine->MainCamera().SetPosition(5000.0f, 120.0f, -300.0f);  // where a flight leaves it
  Engine->MainCamera().SetViewFrustum(45.0f, 200000.0f, 0.1f);
  const MessageBoxesShown shown;
  form.Command1.UserClick();
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(JoystickAssign->Combo1.List(0), "1 > Flight Stick");
  EXPECT_EQ(SelectedJoystick, 1);
  EXPECT_TRUE(JoystickAssign->Visible());
  const std::vector<int16_t> expected = {0, 1, 6, 7, 7, 7, 7, 7};
  for (int16_t axis = 0; axis < 8; ++axis)
    EXPECT_EQ(JoystickAssign->Combo2(axis).ListIndex(), expected[static_cast<size_t>(axis)])
        << axis;
  // The preview has a picture of its own: the main window stays as it was. Its camera looks at
  // the small LM from beside it, wherever a flight left the camera.
  EXPECT_EQ(Main_Display->Width(), mainWidth);
  const engine::EngineCamera& camera = Engine->MainCamera();
  EXPECT_FLOAT_EQ(camera.GetPosition().x, 10.0f);
  EXPECT_FLOAT_EQ(camera.GetPosition().y, 0.0f);
  EXPECT_FLOAT_EQ(camera.GetPosition().z, 0.0f);
  EXPECT_FLOAT_EQ(camera.FieldOfView(), 60.0f);
  EXPECT_FLOAT_EQ(camera.FarPlane(), 1000.0f);
  EXPECT_FLOAT_EQ(camera.NearPlane(), 1.0f);
  // The frame the preview draws has the picture's size until the dialog ends.
  EXPECT_EQ(Engine->Width(), JoystickAssign->Picture1.ScaleWidth());
  EXPECT_EQ(Engine->Height(), JoystickAssign->Picture1.ScaleHeight());
  JoystickAssign->Command1.UserClick();
  EXPECT_EQ(Engine->Width(), Main_Display->ScaleWidth());
  EXPECT_FALSE(Busy);
  EXPECT_TRUE(form.Command8.Enabled());
}

TEST_F(LauncherSetup, SaysSoWithoutAJoystickAndStillOpensTheDialog) {
  DriverDialog->Show();
  const MessageBoxesShown shown;
  DriverDialog->Command1.UserClick();
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "No Joystick Connected");
  ASSERT_EQ(JoystickAssign->Combo1.ListCount(), 1);
  EXPECT_EQ(JoystickAssign->Combo1.List(0), "1 > No Joystick Connected");
  EXPECT_EQ(SelectedJoystick, 1);
  EXPECT_TRUE(JoystickAssign->Visible());
}

}  // namespace
