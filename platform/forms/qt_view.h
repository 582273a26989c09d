#pragma once
// The view users see: each loaded form is a top-level Qt window mirroring its model, each control
// a widget at its twip position. What the user does reaches the model as its User* actions; what
// code changes in the model updates the widgets.

#include <QWidget>

#include "platform/forms/view.h"

namespace forms {

// Creates the Qt application when there is none and installs the Qt view. Call once, before any
// form loads; argc and argv must outlive the application. A form's hWnd() is then the record of
// its native window (an X11 window on the desktop). With no display to show windows on (the X11
// platform chosen and DISPLAY not set), it says so on standard error and returns false before Qt
// would abort the process.
bool StartQtView(int& argc, char** argv);

// The widget showing a form or control, or nullptr while it has none (tests and the 3D device).
QWidget* WidgetOf(Form& form);
QWidget* WidgetOf(Control& control);

}  // namespace forms
