// The Qt view that a test binary starts once, as the program does: offscreen unless the
// environment chooses a platform.
#pragma once

#include <QtGlobal>

#include "platform/forms/qt_view.h"

namespace tests {

inline void StartQtViewOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "marovin_qt_tests";
  static char* argv[] = {name, nullptr};
  forms::StartQtView(argc, argv);
}

}  // namespace tests
