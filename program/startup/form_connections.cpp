#include "program/startup/form_connections.h"

#include "program/flight/main_display.h"
#include "program/input/joystick_assign.h"
#include "program/missions/launcher.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/pilot_list.h"
#include "program/missions/star_sound_dialogs.h"
#include "program/startup/lang_chooser.h"

void ConnectForms() {
  ConnectChooseLang();
  ConnectDriverDialog();
  ConnectAdvanced();
  ConnectSoundSettings();
  ConnectStarForm();
  ConnectPilotList();
  ConnectJoystickAssign();
  ConnectMainDisplay();
}
