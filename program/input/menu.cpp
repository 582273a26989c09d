#include "program/input/menu.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/engine/scan_codes.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "platform/win/file_search.h"
#include "platform/win/numbers.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/ini.h"
#include "program/missions/missions_state.h"
#include "program/missions/replay_file.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

namespace scan = engine::scan;

constexpr uint32_t Same = engine::EngineScreen2DDraw::kSameAsFirst;
constexpr uint32_t Black = 0xFF000000;
constexpr uint32_t White = 0xFFFFFFFF;
constexpr uint32_t LabelColour = 0xFFB0B0B0;
constexpr uint32_t KnobColour = 0xFF404040;
constexpr uint32_t TrackColour = 0xFFA0A0A0;
constexpr float BoxBorderColour = 4290690750.0f;  // 0xFFBEBEBE, as the box takes it
constexpr uint32_t BoxFillColour = 0xFF404040;
constexpr uint32_t BoxMarkColour = 0xFFFFFFFF;
constexpr int32_t SquareBox = 2;
constexpr int32_t TogglingBox = 1;
constexpr size_t ListFont = 0;    // entry of FontIds
constexpr size_t PageFont = 3;    // entry of FontIds
constexpr size_t ButtonFont = 4;  // entry of FontIds
constexpr float ListTextIndent = 6.0f;
constexpr double CursorPulse = 0.01;  // radians per millisecond of run time
constexpr size_t MaxNameLength = 40;  // characters
constexpr float ShadowRange = 50000.0f;
constexpr float OwnShadowAlpha = 0.6f;
constexpr float LeastShadowAlpha = 0.05f;
constexpr float BrightAmbient = 0.7f;
constexpr float ShipTermOffset = 0.8f;
// The panel's layout [menu units]: its right edge, where labels and values start, how far a
// label's or a value's top is above its slider's track, a button caption's margin and the space
// between a label and a value.
constexpr float PanelRight = 270.0f;
constexpr float LabelLeft = 15.0f;
constexpr float ValueLeft = 210.0f;
constexpr float LabelAboveTrack = 40.0f;
constexpr float ValueAboveTrack = 30.0f;
constexpr float CaptionMargin = 4.0f;
constexpr float LabelGap = 5.0f;

// The UI texts of the menu.
constexpr int32_t StartText = 241, ExitText = 242, SaveText = 37, LoadText = 245, OkText = 239,
                  CancelText = 240, EndText = 247, ContinueText = 246, SaveReplayText = 244,
                  StoredReplaysText = 267, FileNameText = 268, LoadReplayText = 269;

const std::string& Text(int32_t id) { return UiText[static_cast<size_t>(id)]; }

// A caption takes the menu's own font where it fits its place [pixels], else the largest smaller
// one that does: a longer translation or a small window must not run a text over its neighbours.
int32_t FittingFont(const std::string& text, float width, float height) {
  int32_t chosen = 0;
  for (const size_t entry : {ButtonFont, PageFont, ListFont}) {
    chosen = FontIds[entry];
    int32_t w = 0, h = 0;
    Screen2DText->GetTextSize(text, chosen, w, h);
    if (static_cast<float>(w) <= width && static_cast<float>(h) <= height) break;
  }
  return chosen;
}

int32_t Texture(const char* name) { return Globals->GetTextureId(name); }

float X(float reference) {
  return static_cast<float>(win::RoundHalfEven(reference * ScreenScaleX));
}
float Y(float reference) {
  return static_cast<float>(win::RoundHalfEven(reference * ScreenScaleY));
}

// A box in the panel's colours: black at 0.9 shading into white at 0.7.
void PanelBox(float x1, float y1, float x2, float y2) {
  Screen2DDraw->DrawFilledBox(X(x1), Y(y1), X(x2), Y(y2),
                              engine::EngineGlobals::MakeColor(0.0f, 0.0f, 0.0f, 0.9f),
                              engine::EngineGlobals::MakeColor(1.0f, 1.0f, 1.0f, 0.7f), Same, Same);
}

void PageText(int32_t text, float x, float y) {
  Screen2DText->DrawText(Text(text), X(x), Y(y), White, FontIds[PageFont]);
}

void PlaceButton(MenuItem& item, float x, float y) {
  item.X = x;
  item.Y = y;
  item.Width = 120.0f;
  item.Height = 41.0f;
}

// One slider of the menu's table.
struct SliderRow {
  clsInputSlider& slider;
  float y;  // top of the track
  float low, high;
  float valueY;  // where a changed value is shown
};

// A changed value: right of the label, above the slider's track, inside the panel.
void ShowValue(const std::string& value, float y) {
  const int32_t font =
      FittingFont(value, X(PanelRight) - X(ValueLeft), Y(y + ValueAboveTrack) - Y(y));
  Screen2DText->Begin();
  Screen2DText->DrawText(value, X(ValueLeft), Y(y), White, font);
  Screen2DText->End();
}

// The volume sliders take whole numbers; a change is heard at once.
void ShowVolume(const SliderRow& row, int32_t& volume, bool master) {
  row.slider.Show(40.0f, row.y, 240.0f, row.y + 20.0f, true, row.low, row.high, KnobColour,
                  TrackColour, TrackColour);
  const int32_t value = win::RoundHalfEven(row.slider.Value);
  if (value == volume) return;
  volume = value;
  ApplySoundVolumes();
  if (master) SoundOn = MasterVolume != 0;
  ShowValue(std::to_string(value), row.valueY);
}

// The gamma sliders run in hundredths; says whether the variable changed.
bool ShowHundredths(const SliderRow& row, float& variable) {
  row.slider.Show(40.0f, row.y, 240.0f, row.y + 20.0f, true, row.low, row.high, KnobColour,
                  TrackColour, TrackColour);
  const float value = row.slider.Value / 100.0f;
  if (value == variable) return false;
  variable = value;
  ShowValue(win::FormatNumber(variable, "0.##"), row.valueY);
  return true;
}

// A label from its top down to the track of its slider (or, beside the check box, as high), left
// of where the slider's value is shown.
void DrawLabel(int32_t text, float x, float y) {
  const int32_t font =
      FittingFont(Text(text), X(ValueLeft - LabelGap) - X(x), Y(y + LabelAboveTrack) - Y(y));
  Screen2DText->DrawText(Text(text), X(x), Y(y), LabelColour, font);
}

// Restarts the flight by the exit timer: 2 with the replay, 3 without.
void RequestRestart(int16_t request) {
  ExitRequest = request;
  Main_Display->Timer_Test_Exit.SetEnabled(true);
  RunFlag = false;
  forms::DoEvents();
}

std::string ReplayFolder() { return win::AppPath() + "\\Missions\\" + MissionName + "\\Replay"; }

// Characters a replay's name may hold: it becomes a file name in the replay folder, so no
// separator, no wildcard and no leading dot.
bool IsNameCharacter(char c, int32_t position) {
  if (c == '/' || c == '\\' || c == '*') return false;
  return c != '.' || position > 0;
}

}  // namespace

void LoadMenuTextures() {
  for (const char* name : {"ButtonOn", "ButtonOff", "ButtonRollOn", "Quit", "REPLAY", "FLIGHT",
                           "TextOff", "TextOffRoll", "TextOn", "TextOnRoll"}) {
    const int32_t id =
        TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\Buttons\\" + name + ".png", name);
    const std::string_view loaded = name;
    if (loaded == "Quit") QuitHeaderTexture = id;
    if (loaded == "REPLAY") ReplayHeaderTexture = id;
    if (loaded == "FLIGHT") FlightHeaderTexture = id;
  }
}

void InitKeyCodeTable() {
  KeyCharTable.fill(0);
  KeyCharTable[scan::k0] = '0';
  for (int32_t digit = 1; digit <= 9; ++digit)
    KeyCharTable[static_cast<size_t>(scan::k1 + digit - 1)] = static_cast<char>('0' + digit);
  const struct {
    int32_t code;
    char character;
  } keys[] = {{30, 'a'}, {48, 'b'}, {46, 'c'},  {32, 'd'},  {18, 'e'}, {33, 'f'}, {34, 'g'},
              {35, 'h'}, {23, 'i'}, {36, 'j'},  {37, 'k'},  {38, 'l'}, {50, 'm'}, {49, 'n'},
              {24, 'o'}, {25, 'p'}, {16, 'q'},  {19, 'r'},  {31, 's'}, {20, 't'}, {22, 'u'},
              {47, 'v'}, {17, 'w'}, {45, 'x'},  {21, 'y'},  {44, 'z'}, {57, ' '}, {78, '+'},
              {74, '-'}, {55, '*'}, {181, '/'}, {53, '\\'}, {52, '.'}, {51, ','}, {82, '0'},
              {79, '1'}, {80, '2'}, {81, '3'},  {75, '4'},  {76, '5'}, {77, '6'}, {71, '7'},
              {72, '8'}, {73, '9'}, {83, '.'},  {141, '='}, {179, ','}};
  for (const auto& key : keys) KeyCharTable[static_cast<size_t>(key.code)] = key.character;
}

void CreateMenuItems() {
  for (auto* slider : {&MasterVolumeSlider, &MusicVolumeSlider, &RCSVolumeSlider,
                       &EngineVolumeSlider, &GammaSlider, &ShipGammaSlider})
    *slider = std::make_unique<clsInputSlider>();
  DisplayFPSBox = std::make_unique<clsInputCheckBox>();

  const auto button = [](MenuItem& item, int32_t caption, float x, float y, float width) {
    item = MenuItem{};
    item.Caption = Text(caption);
    item.X = x;
    item.Y = y;
    item.Width = width;
    item.Height = 41.0f;
    item.TexOn = Texture("ButtonOn");
    item.TexOnRoll = Texture("ButtonRollOn");
    item.TexOff = Texture("ButtonOff");
  };
  button(StartItem, StartText, 40.0f, 100.0f, 200.0f);
  button(ExitItem, ExitText, 40.0f, 150.0f, 200.0f);
  button(ReplayItem, StartText, 40.0f, 300.0f, 200.0f);
  button(SaveReplayItem, SaveText, 40.0f, 350.0f, 200.0f);
  button(LoadItem, LoadText, 40.0f, 400.0f, 200.0f);
  button(SaveOkItem, OkText, 500.0f, 900.0f, 100.0f);
  button(SaveCancelItem, CancelText, 700.0f, 900.0f, 100.0f);
  button(LoadOkItem, OkText, 490.0f, 800.0f, 100.0f);
  button(LoadCancelItem, CancelText, 690.0f, 800.0f, 100.0f);
  button(QuitItem, EndText, 660.0f, 420.0f, 120.0f);
  button(ContinueItem, ContinueText, 800.0f, 420.0f, 120.0f);

  NameEntryItem = MenuItem{};
  NameEntryItem.X = 350.0f;
  NameEntryItem.Y = 790.0f;
  NameEntryItem.Width = 630.0f;
  NameEntryItem.Height = 33.0f;
  NameEntryItem.ListStyle = true;
  NameEntryItem.TexOn = NameEntryItem.TexOnRoll = Texture("white");
  NameEntryItem.TexOff = NameEntryItem.TexOffRoll = Texture("cgray");
  for (int i = 1; i <= ReplayListRows; ++i) {
    MenuItem& row = ReplayListItems[static_cast<size_t>(i)];
    row = MenuItem{};
    row.X = 350.0f;
    row.Y = 200.0f + 30.0f * static_cast<float>(i);
    row.Width = 630.0f;
    row.Height = 33.0f;
    row.ListStyle = true;
    row.TexOn = Texture("TextOn");
    row.TexOnRoll = Texture("TextOnRoll");
    row.TexOff = Texture("TextOff");
    row.TexOffRoll = Texture("TextOffRoll");
  }
  InitKeyCodeTable();
}

void SetMenuControls() {
  if (!MasterVolumeSlider) return;  // the scene build makes the menu
  MasterVolumeSlider->Value = static_cast<float>(MasterVolume);
  MusicVolumeSlider->Value = static_cast<float>(MusicVolume);
  RCSVolumeSlider->Value = static_cast<float>(RCSVolume);
  EngineVolumeSlider->Value = static_cast<float>(EngineVolume);
  GammaSlider->Value = Gamma * 100.0f;
  ShipGammaSlider->Value = ShipGamma * 100.0f;
  DisplayFPSBox->IsMarked = DisplayFPS;
}

void DrawMenuButton(MenuItem& item) {
  if (!item.Visible) return;
  const float x1 = X(item.X), y1 = Y(item.Y);
  const float x2 = X(item.X + item.Width), y2 = Y(item.Y + item.Height);
  Screen2DDraw->Begin();
  if (item.Selected)
    Screen2DDraw->DrawButton(item.TexOn, item.TexOn, x1, y1, x2, y2, item.MouseOver);
  else
    Screen2DDraw->DrawButton(item.TexOnRoll, item.TexOff, x1, y1, x2, y2, item.MouseOver);
  Screen2DDraw->End();

  if (!item.Caption.empty()) {
    const float sx = ScreenScaleX, sy = ScreenScaleY;
    int32_t width = 0, height = 0;
    Screen2DText->Begin();
    if (item.ListStyle) {
      Screen2DText->GetTextSize(item.Caption, FontIds[ListFont], width, height);
      const float x = item.X * sx + ListTextIndent * sx;
      const float y = item.Height * sy / 2.0f + item.Y * sy - static_cast<float>(height) / 2.0f;
      Screen2DText->DrawText(item.Caption, x, y, Black, FontIds[ListFont]);
      int32_t offset = 0, ignored = 0;
      if (EditCursor != 0)
        Screen2DText->GetTextSize(
            item.Caption.substr(0, static_cast<size_t>(std::max(item.CursorPos, 0))),
            FontIds[ListFont], offset, ignored);
      const auto alpha = static_cast<float>(
          0.5 + 0.5 * std::sin(static_cast<double>(Engine->GetRunTime()) * CursorPulse));
      const uint32_t cursor = engine::EngineGlobals::MakeColor(0.0f, 0.0f, 0.0f, alpha);
      Screen2DText->End();
      Screen2DDraw->Begin();
      Screen2DDraw->DrawLine(x + static_cast<float>(offset), y, x + static_cast<float>(offset),
                             y + static_cast<float>(height), cursor, cursor);
      Screen2DDraw->End();
    } else {
      const int32_t font = FittingFont(item.Caption, x2 - x1 - 2.0f * sx * CaptionMargin, y2 - y1);
      Screen2DText->GetTextSize(item.Caption, font, width, height);
      const float x = sx * item.Width / 2.0f + sx * item.X - static_cast<float>(width) / 2.0f;
      const float y = sy * item.Height / 2.0f + sy * item.Y - static_cast<float>(height) / 2.0f;
      Screen2DText->DrawText(item.Caption, x, y, Black, font);
      Screen2DText->End();
    }
  }

  MainDisplayForm& display = *Main_Display;
  if (display.ButtonTimer.Enabled()) return;
  int32_t mx = 0, my = 0;
  int16_t left = 0, right = 0, middle = 0;
  InputEngine->GetMouseState(mx, my, left, right, middle);
  if (!item.MouseOver || left == 0) return;
  item.Selected = !item.Selected;
  display.ButtonTimer.SetEnabled(true);
  item.Clicked = true;
}

void DrawSettingsOverlay() {
  const bool orbital = MissionType == OrbitalMission;
  Screen2DDraw->Begin();
  PanelBox(0.0f, 0.0f, PanelRight, ReferenceHeight);
  Screen2DDraw->DrawTexture(FlightHeaderTexture, X(0.0f), Y(60.0f), X(PanelRight), Y(240.0f), White,
                            Same, Same, Same);
  if (!orbital)
    Screen2DDraw->DrawTexture(ReplayHeaderTexture, X(0.0f), Y(260.0f), X(PanelRight), Y(440.0f),
                              White, Same, Same, Same);
  Screen2DDraw->End();

  DrawMenuButton(StartItem);
  DrawMenuButton(ExitItem);
  if (!orbital) {
    DrawMenuButton(ReplayItem);
    DrawMenuButton(LoadItem);
    DrawMenuButton(SaveReplayItem);
  }

  ShowVolume({*MasterVolumeSlider, 550.0f, 0.0f, 100.0f, 520.0f}, MasterVolume, true);
  ShowVolume({*MusicVolumeSlider, 650.0f, 0.0f, 100.0f, 620.0f}, MusicVolume, false);
  ShowVolume({*RCSVolumeSlider, 750.0f, 0.0f, 100.0f, 720.0f}, RCSVolume, false);
  ShowVolume({*EngineVolumeSlider, 850.0f, 0.0f, 100.0f, 820.0f}, EngineVolume, false);
  if (FullScreen && ShowHundredths({*GammaSlider, 950.0f, 50.0f, 200.0f, 920.0f}, Gamma))
    GraphicEffect->SetGamma(Gamma);
  if (ShowHundredths({*ShipGammaSlider, 1050.0f, 0.0f, 200.0f, 1020.0f}, ShipGamma))
    ApplyShipGamma();

  DisplayFPSBox->Show(30.0f, 1125.0f, BoxBorderColour, BoxFillColour, BoxMarkColour, SquareBox,
                      TogglingBox);
  if (DisplayFPSBox->IsMarked != DisplayFPS) DisplayFPS = DisplayFPSBox->IsMarked;

  Screen2DText->Begin();
  DrawLabel(7, LabelLeft, 510.0f);
  DrawLabel(8, LabelLeft, 610.0f);
  DrawLabel(9, LabelLeft, 710.0f);
  DrawLabel(10, LabelLeft, 810.0f);
  if (FullScreen) DrawLabel(11, LabelLeft, 910.0f);
  DrawLabel(12, LabelLeft, 1010.0f);
  DrawLabel(13, 55.0f, 1110.0f);
  Screen2DText->End();

  if (SaveReplayItem.Selected) {
    RunSaveReplayPage();
    LoadItem.Selected = false;
  } else {
    NameEntryItem.Selected = false;
  }
  if (LoadItem.Selected) {
    RunLoadReplayPage();
    SaveReplayItem.Selected = false;
  }
  if (ExitItem.Selected) RunExitDialog();
  HandleMenuButtons();
}

void HandleMenuButtons() {
  if (StartItem.Clicked && StartItem.Selected) {
    StartItem.Clicked = StartItem.Selected = false;
    SettingsOverlayShown = false;
    RequestRestart(3);
  }
  if (LoadItem.Clicked && LoadItem.Selected) {
    LoadItem.Clicked = false;
    ListReplayFiles(ReplayFolder());
  }
  if (SaveReplayItem.Clicked && SaveReplayItem.Selected) {
    SaveReplayItem.Clicked = false;
    ListReplayFiles(ReplayFolder());
  }
  if (ReplayItem.Clicked && ReplayItem.Selected) {
    ReplayItem.Clicked = false;
    if (!ReplayName.empty()) {
      SettingsOverlayShown = false;
      ReplayItem.Selected = false;
      MenuShown = false;
      RequestRestart(2);
    } else {
      LoadItem.Selected = true;
      ListReplayFiles(ReplayFolder());
    }
  }
}

void ListReplayFiles(const std::string& folder) {
  std::vector<win::FolderProblem> problems;
  const std::vector<std::string> names = win::FindFiles(folder + "\\*.rpy", &problems);
  for (const win::FolderProblem& problem : problems)
    LogFileProblem(problem.path.string(), problem.what);
  for (int i = 1; i <= ReplayListRows; ++i) {
    const auto at = static_cast<size_t>(i - 1);
    // A row past the last replay keeps no name of another folder or an earlier listing.
    ReplayListItems[static_cast<size_t>(i)].Caption =
        at < names.size() ? names[at].substr(0, names[at].size() - 4) : std::string();
  }
}

void RunSaveReplayPage() {
  if (NameEntryItem.Selected && !Main_Display->ButtonTimer.Enabled()) {
    ReadTextEntry();
    NameEntryItem.Caption = EditText;
    NameEntryItem.CursorPos = EditCursor;
  }
  Screen2DDraw->Begin();
  PanelBox(290.0f, 100.0f, 1003.0f, 900.0f);
  Screen2DDraw->End();
  Screen2DText->Begin();
  PageText(SaveReplayText, 320.0f, 120.0f);
  PageText(StoredReplaysText, 380.0f, 180.0f);
  PageText(FileNameText, 380.0f, 705.0f);
  Screen2DText->End();
  NameEntryItem.X = 350.0f;
  NameEntryItem.Y = 750.0f;
  PlaceButton(SaveOkItem, 490.0f, 820.0f);
  PlaceButton(SaveCancelItem, 690.0f, 820.0f);
  DrawMenuButton(NameEntryItem);
  DrawMenuButton(SaveOkItem);
  DrawMenuButton(SaveCancelItem);
  for (int i = 1; i <= ReplayListRows; ++i) {
    MenuItem& row = ReplayListItems[static_cast<size_t>(i)];
    DrawMenuButton(row);
    if (!row.Clicked) continue;
    NameEntryItem.Caption = EditText = row.Caption;
    EditCursor = static_cast<int32_t>(EditText.size());
    row.Selected = row.Clicked = NameEntryItem.Selected = false;
  }
  if (SaveOkItem.Selected) {
    SaveReplayItem.Selected = SaveOkItem.Selected = NameEntryItem.Selected = false;
    ReplayName = EditText;
    SaveReplay(0);
  }
  if (SaveCancelItem.Selected) SaveReplayItem.Selected = SaveCancelItem.Selected = false;
}

void RunLoadReplayPage() {
  Screen2DDraw->Begin();
  PanelBox(300.0f, 100.0f, 1013.0f, 780.0f);
  Screen2DDraw->End();
  Screen2DText->Begin();
  PageText(LoadReplayText, 330.0f, 120.0f);
  PageText(StoredReplaysText, 380.0f, 180.0f);
  Screen2DText->End();
  PlaceButton(LoadOkItem, 490.0f, 710.0f);
  PlaceButton(LoadCancelItem, 690.0f, 710.0f);
  DrawMenuButton(LoadOkItem);
  DrawMenuButton(LoadCancelItem);
  for (int i = 1; i <= ReplayListRows; ++i) {
    MenuItem& row = ReplayListItems[static_cast<size_t>(i)];
    if (row.Selected && row.Clicked) {
      ReplayName = row.Caption;
      row.Clicked = false;
    } else if (row.Caption != ReplayName || row.Caption.empty()) {
      row.Selected = false;
    }
    DrawMenuButton(row);
  }
  if (LoadOkItem.Selected) {
    LoadItem.Selected = LoadOkItem.Selected = false;
    if (ReplayItem.Selected) {
      ReplayPlayback = true;
      ReplayItem.Selected = false;
      RequestRestart(2);
      return;
    }
  }
  if (LoadCancelItem.Selected) LoadItem.Selected = LoadCancelItem.Selected = false;
}

void RunExitDialog() {
  // The box holds the flight until it is answered, whatever else (the end of the opening fly-by)
  // would switch the controls on.
  if (ExitDialogShown) ControlsActive = false;
  Screen2DDraw->Begin();
  PanelBox(590.0f, 300.0f, 984.0f, 499.0f);
  Screen2DDraw->DrawTexture(QuitHeaderTexture, X(590.0f), Y(300.0f), X(984.0f), Y(499.0f), White,
                            Same, Same, Same);
  Screen2DDraw->End();
  DrawMenuButton(QuitItem);
  DrawMenuButton(ContinueItem);
  if (QuitItem.Selected) {
    QuitItem.Selected = ExitItem.Selected = false;
    ControlsActive = false;
    RunFlag = false;
    ExitRequest = 1;
    Main_Display->Timer_Test_Exit.SetEnabled(true);
  }
  if (ContinueItem.Selected) {
    ExitItem.Selected = ContinueItem.Selected = false;
    MenuShown = false;
    Main_Display->TimerAverage.SetEnabled(true);
    ControlsActive = true;
    ExitDialogShown = false;
    ApplySoundVolumes();
  }
}

void ReadTextEntry() {
  std::vector<engine::KeyEvent> events;
  InputEngine->GetKeyBuffer(events);
  for (const engine::KeyEvent& event : events) {
    const int32_t code = event.scanCode;
    const bool shift = code == scan::kLeftShift || code == scan::kRightShift;
    if (event.state != -1) {
      if (shift) MenuShiftDown = false;
      continue;
    }
    const char typed =
        code > 0 && code < scan::kCount ? KeyCharTable[static_cast<size_t>(code)] : '\0';
    if (typed == '\0') {
      if (code == scan::kLeft && EditCursor > 0) --EditCursor;
      if (code == scan::kRight && EditCursor < static_cast<int32_t>(EditText.size())) ++EditCursor;
      if (shift) MenuShiftDown = true;
      if (code == scan::kBackspace && EditCursor > 0) {
        EditText.erase(static_cast<size_t>(EditCursor - 1), 1);
        --EditCursor;
      }
      continue;
    }
    if (EditText.size() >= MaxNameLength || !IsNameCharacter(typed, EditCursor)) continue;
    const char c = MenuShiftDown && typed >= 'a' && typed <= 'z'
                       ? static_cast<char>(typed - 'a' + 'A')
                       : typed;
    EditText.insert(static_cast<size_t>(EditCursor), 1, c);
    ++EditCursor;
  }
}

void ApplyShipGamma() {
  const float g = ShipGamma;
  d3d::D3DLIGHT8& light = LightRecords[SunLight];
  float shadowAlpha = OwnShadowAlpha;
  if (g <= 1.0f) {
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = g;
    light.Ambient.r = light.Ambient.g = light.Ambient.b = g / 2.0f;
  } else {
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = 1.0f;
    light.Ambient.r = light.Ambient.g = light.Ambient.b = BrightAmbient;
    const float term = g - ShipTermOffset;
    MaterialFactory->SetDiffuse(MaterialIds.MatShip, term, term, term, 1.0f);
    shadowAlpha = std::max(OwnShadowAlpha - (g - 1.0f), LeastShadowAlpha);
  }
  if (ShadowFlags[0])
    Engine->SetViewFrustum(engine::EngineGlobals::MakeColor(0.0f, 0.0f, 0.0f, shadowAlpha),
                           ShadowRange);
  LightEngine->SetLight(LightIds[SunLight], light);
}
