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
// The screen that the headless view reports.
void SetHeadlessScreen(ScreenInfo screen);

}  // namespace forms::script
