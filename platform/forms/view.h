#pragma once
// The side users see. The control model is the truth; a view mirrors it and turns what the user
// does into the model's user actions (Control::UserClick, Form::UserClose, ...), each run through
// detail::DispatchUserAction. Without an installed view the headless view is used.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/forms/object.h"

namespace forms {

class Control;
class Form;

using WindowHandle = uintptr_t;

class View {
 public:
  virtual ~View() = default;

  virtual void FormLoaded(Form& form) = 0;
  virtual void FormUnloaded(Form& form) = 0;
  virtual void ControlAdded(Control& control) = 0;
  virtual void ControlRemoved(Control& control) = 0;
  virtual void Changed(Form& form, Property what) = 0;
  virtual void Changed(Control& control, Property what) = 0;
  virtual WindowHandle Handle(Form& form) = 0;
  virtual WindowHandle Handle(Control& control) = 0;

  // Runs the user's pending actions once, without waiting.
  virtual void ProcessEvents() = 0;
  // Waits for a user action or until the timeout (none: nothing else can happen).
  virtual void WaitForEvents(std::optional<Duration> timeout) = 0;

  virtual MsgBoxResult ShowMessageBox(const MessageBox& box) = 0;
  virtual OpenFileResult ShowOpenFile(const OpenFileRequest& request) = 0;
  virtual ScreenInfo QueryScreen() = 0;
  virtual void Beep() = 0;
  // Opens a help page (an HTML file) in the desktop's viewer; false where no viewer took it.
  virtual bool OpenHelpPage(const std::string& /*page*/) { return true; }
  virtual void MousePointerChanged(MousePointer pointer) = 0;
  // The pointer to a point of a form's drawing area [pixels]; false where it cannot be moved.
  virtual bool WarpPointer(Form& /*form*/, int32_t /*x*/, int32_t /*y*/) { return true; }
  // Form::PointerHidden and Form::FullScreen changed.
  virtual void PointerHiddenChanged(Form& /*form*/) {}
  virtual void FullScreenChanged(Form& /*form*/) {}
  // A byte arrives on this pipe when a termination signal is caught: the wait must end then.
  virtual void WatchSignalPipe(int /*readEnd*/) {}
};

// Installs a view (nullptr: back to headless). Install it before loading any form.
void InstallView(std::unique_ptr<View> view);
View& CurrentView();

}  // namespace forms
