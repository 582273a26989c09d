#include "program/missions/launcher_return.h"

#include "platform/forms/event_pump.h"
#include "program/flight/main_display.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/settings.h"

void ConnectLauncherReturn() { ShowLauncherAfterFlight = ReturnToLauncher; }

void ReturnToLauncher() {
  SaveSettings();
  DriverDialog->Show();
  forms::DoEvents();
  DriverDialog->HScroll1.SetEnabled(false);
  DriverDialog->Label5.SetEnabled(false);
  Advanced->Check1.SetEnabled(false);
  Advanced->Check2.SetEnabled(false);
  forms::DoEvents();
}
