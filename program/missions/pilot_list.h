// The pilot list: choose the active pilot among ten, name the pilot, see each pilot's best landing
// and race totals, and clear the table. Row 1 is the design; rows 2 to 10 are made at load.
#pragma once

#include <cstdint>

#include "platform/forms/forms.h"

struct PilotListForm : forms::Form {
  PilotListForm();
  forms::Label Label1{*this, "Label1"};
  forms::Label Label2{*this, "Label2"};
  forms::Label Label3{*this, "Label3"};
  forms::Label Label6{*this, "Label6"};
  forms::Label Label7{*this, "Label7"};
  forms::ControlArray<forms::OptionButton> Option3D1{*this, "Option3D1", {1}};
  forms::ControlArray<forms::TextBox> Text1{*this, "Text1", {1}};
  forms::ControlArray<forms::Label> Label4{*this, "Label4", {1}};
  forms::ControlArray<forms::Label> Label5{*this, "Label5", {1}};
  forms::CommandButton Command1{*this, "Command1"};
  forms::CommandButton Command2{*this, "Command2"};
};

extern forms::FormSlot<PilotListForm> PilotList;

// Connects the pilot list's controls and load to their handlers.
void ConnectPilotList();
void PilotList_Form_Load();
void LoadPilotRoster();
void PilotList_Option3D1_Click(int16_t index);
void PilotList_Command1_Click();
void PilotList_Command2_Click();
void PilotList_Text1_Change(int16_t index);
// Shows each pilot's name and best totals in the rows of the loaded form; nothing when it is not
// loaded.
void ShowPilotRows();
