// The pilot list's window: its controls as they are designed, row 1 of the table among them. Its
// handlers are connected by ConnectPilotList, so a file that only builds or shows the form links it
// without the roster behind it.
#pragma once

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
