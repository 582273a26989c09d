#include "program/missions/pilot_list.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/win/app_path.h"
#include "program/flight/flight_state.h"
#include "program/missions/launcher_services.h"
#include "program/missions/missions_state.h"
#include "program/missions/score_file.h"

forms::FormSlot<PilotListForm> PilotList;

namespace {

// The rows are laid out in twips.
constexpr int32_t RowSpacing = 400;
constexpr int32_t FirstRowTop = 840;

void ShowRow(PilotListForm& form, int16_t pilot) {
  const PilotRecord& record = PilotRoster[static_cast<size_t>(pilot)];
  form.Text1(pilot).SetText(record.Name);
  form.Label4(pilot).SetCaption(std::to_string(record.LandingTotal));
  form.Label5(pilot).SetCaption(std::to_string(record.RaceTotal));
}

// Only the chosen pilot's name can be edited.
void EnableChosenName(PilotListForm& form) {
  for (int16_t i = 1; i <= PilotCount; ++i)
    form.Text1(i).SetEnabled(form.Option3D1(i).Value() != 0);
}

}  // namespace

PilotListForm::PilotListForm() : forms::Form("PilotList") {
  SetCaption("Pilot List");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 6600, 5880);
  SetEscapeCloses(true);
  Label1.SetCaption("Pilot");
  Label1.Move(840, 480, 2880, 255);
  Label2.SetCaption("High Scores");
  Label2.Move(3840, 120, 2400, 255);
  Label3.SetCaption("Active");
  Label3.Move(120, 480, 720, 255);
  Label7.SetCaption("Normal");
  Label7.Move(3840, 480, 1200, 255);
  Label6.SetCaption("Race");
  Label6.Move(5160, 480, 1200, 255);
  Option3D1(1).Move(240, FirstRowTop, 375, 300);
  Text1(1).Move(840, FirstRowTop, 2880, 300);
  Label4(1).Move(3840, FirstRowTop + 30, 1200, 255);
  Label5(1).Move(5160, FirstRowTop + 30, 1200, 255);
  Command1.SetCaption("OK");
  Command1.Move(1560, 4980, 1455, 375);
  Command2.SetCaption("Clear");
  Command2.Move(3480, 4980, 1455, 375);
}

void ConnectPilotList() {
  PilotList.Connect([](PilotListForm& form) {
    form.Load = PilotList_Form_Load;
    form.Option3D1.Click = PilotList_Option3D1_Click;
    form.Text1.Change = PilotList_Text1_Change;
    form.Command1.Click = PilotList_Command1_Click;
    form.Command2.Click = PilotList_Command2_Click;
  });
}

void PilotList_Form_Load() {
  TranslateOnLoad(*PilotList);
  LoadPilotRoster();
}

void LoadPilotRoster() {
  PilotListForm& form = *PilotList;
  for (int16_t i = 2; i <= PilotCount; ++i) {
    for (forms::ControlArrayBase* array : {static_cast<forms::ControlArrayBase*>(&form.Option3D1),
                                           static_cast<forms::ControlArrayBase*>(&form.Text1),
                                           static_cast<forms::ControlArrayBase*>(&form.Label4),
                                           static_cast<forms::ControlArrayBase*>(&form.Label5)}) {
      if (!array->Exists(i)) array->Load(i);
      forms::Control& element = array->Element(i);
      const forms::Control& above = array->Element(static_cast<int16_t>(i - 1));
      element.Move(above.Left(), above.Top() + RowSpacing, above.Width(), above.Height());
      element.SetVisible(true);
    }
  }
  LoadScoreFile();
  for (int16_t i = 1; i <= PilotCount; ++i) ShowRow(form, i);
  ActivePilot = std::clamp(ActivePilot, 1, PilotCount);
  form.Option3D1(static_cast<int16_t>(ActivePilot)).SetValue(-1);
  EnableChosenName(form);
  Busy = false;
}

void PilotList_Option3D1_Click(int16_t index) {
  PilotListForm& form = *PilotList;
  ActivePilot = index;
  EnableChosenName(form);
  form.Text1(index).SetEnabled(true);
}

void PilotList_Command1_Click() {
  PilotListForm& form = *PilotList;
  const int16_t pilot = static_cast<int16_t>(std::clamp(ActivePilot, 1, PilotCount));
  PilotRoster[static_cast<size_t>(pilot)].Name = FitPilotName(form.Text1(pilot).Text());
  SaveScoreFile();
  form.Hide();
}

void PilotList_Command2_Click() {
  std::error_code error;
  std::filesystem::remove(win::ResolvePath(ScoreFilePath()), error);
  PilotListForm& form = *PilotList;
  for (int16_t i = 1; i <= PilotCount; ++i) {
    PilotRoster[static_cast<size_t>(i)] = PilotRecord{std::string(PilotNameBytes, ' ')};
    form.Option3D1(i).SetVisible(true);
    form.Text1(i).SetText("");
    form.Label4(i).SetCaption("");
    form.Label5(i).SetCaption("");
  }
  ActivePilot = 1;
  form.Option3D1(1).SetValue(-1);
  PilotList_Option3D1_Click(1);
}

void PilotList_Text1_Change(int16_t) {}

void ShowPilotRows() {
  if (!PilotList.Loaded()) return;
  PilotListForm& form = *PilotList;
  for (int16_t i = 1; i <= PilotCount; ++i) {
    if (form.Text1.Exists(i)) ShowRow(form, i);
  }
}
