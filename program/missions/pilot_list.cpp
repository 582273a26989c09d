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

namespace {

// The rows are laid out in twips.
constexpr int32_t RowSpacing = 400;

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
