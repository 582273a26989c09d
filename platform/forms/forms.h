#pragma once
// The window system of the program: forms, controls, timers, the event pump and message boxes.
// The control model here is the truth; a view mirrors it (headless for tests, Qt for users).
//
// Declaring a dialog. The form is a class whose members are its controls, in the order the form
// lists them; its constructor is the design: it sets the design-time properties (which fire no
// events) and attaches the handlers. The program-wide slot loads the form on first touch, runs
// Load, and after an unload loads it afresh.
//
//   // pilot_list.h
//   struct PilotListForm : forms::Form {
//     PilotListForm();
//     forms::ControlArray<forms::OptionButton> Option3D1{*this, "Option3D1", {1}};
//     forms::ControlArray<forms::TextBox> Text1{*this, "Text1", {1}};
//     forms::CommandButton Command1{*this, "Command1"};
//     forms::Timer Timer1{*this, "Timer1"};
//   };
//   extern forms::FormSlot<PilotListForm> PilotList;
//   void PilotList_Form_Load();
//   void PilotList_Option3D1_Click(int16_t index);
//   void PilotList_Command1_Click();
//
//   // pilot_list.cpp
//   forms::FormSlot<PilotListForm> PilotList;
//
//   PilotListForm::PilotListForm() : Form("PilotList") {
//     SetCaption("Pilot List");
//     Move(0, 0, 6000, 5400);                      // twips
//     Command1.SetCaption("OK");
//     Command1.Move(2400, 4600, 1200, 375);
//     Timer1.SetInterval(500);
//     Timer1.SetEnabled(false);
//     Load = PilotList_Form_Load;
//     Option3D1.Click = PilotList_Option3D1_Click;  // array handlers get the element's index
//     Command1.Click = PilotList_Command1_Click;
//     Timer1.Timer = [] { PilotList->Timer1.SetEnabled(false); };
//   }
//
//   // elsewhere
//   PilotList->Show();                               // loads it first if needed
//   PilotList->Option3D1.Load(2);                    // a run-time element, hidden at first
//   PilotList->Option3D1(2).SetVisible(true);
//   PilotList.Unload();                              // drops its state
//
// The program's entry shows its windows through Qt and then lives in the idle loop:
//
//   int main(int argc, char** argv) {
//     if (!forms::StartQtView(argc, argv)) return 1;  // platform/forms/qt_view.h
//     Main();                                      // loads and shows the first forms
//     return forms::Run();                         // until End() or the last form unloads
//   }
//
// A handler that must start something long (a flight) while other handlers are on the stack
// queues it with forms::Defer. Tests drive the model with the User* actions of forms and controls,
// move a forms::VirtualClock, call forms::DoEvents, and answer boxes through forms::script.

#include "platform/forms/control.h"     // IWYU pragma: export
#include "platform/forms/dialogs.h"     // IWYU pragma: export
#include "platform/forms/event_pump.h"  // IWYU pragma: export
#include "platform/forms/form.h"        // IWYU pragma: export
#include "platform/forms/object.h"      // IWYU pragma: export
