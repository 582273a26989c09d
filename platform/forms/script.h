#pragma once
// How tests play the user. Queued answers are taken by the next message box or file dialog shown,
// whatever view is installed; without one, the headless view presses a box's default button and
// cancels a file dialog. Posted user actions run inside the next pump of the headless view, as the
// user's own would.

#include <functional>
#include <vector>

#include "platform/forms/dialogs.h"

namespace forms::script {

void AnswerNextMessageBox(MsgBoxResult answer);
void AnswerNextOpenFile(OpenFileResult answer);
void PostUserAction(std::function<void()> action);

const std::vector<MessageBox>& ShownMessageBoxes();
const std::vector<OpenFileRequest>& ShownOpenFileDialogs();
int BeepCount();
// The help pages opened, as paths of this file system.
const std::vector<std::string>& ShownHelpPages();
// The screen that the headless view reports.
void SetHeadlessScreen(ScreenInfo screen);
// Whether the headless view has a viewer that takes help pages (it has, at the start).
void SetHeadlessHelpViewer(bool present);

// Puts the window system back as a program finds it when it starts, for a test's fixture: every
// loaded form is dropped without its events, End() is undone, and the deferred and posted actions,
// a held error, the queued answers, the records of shown boxes, the beep count, the headless
// screen and the mouse pointer start afresh. The installed view and the clock stay. Call it
// outside every handler.
void StartAfresh();

}  // namespace forms::script
