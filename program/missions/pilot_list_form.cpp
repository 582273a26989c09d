#include "program/missions/pilot_list_form.h"

#include <cstdint>

forms::FormSlot<PilotListForm> PilotList;

namespace {

// Twips: the first row's top; the load lays the other rows out below it.
constexpr int32_t FirstRowTop = 840;

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
