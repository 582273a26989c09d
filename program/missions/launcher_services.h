// The dialogs the start-up and the language change unload, beyond the launcher's own forms.
#pragma once

#include "platform/forms/forms.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/pilot_list.h"
#include "program/missions/star_sound_dialogs.h"

// Each dialog translates itself as it loads: unloading is what brings it into a new language.
void TranslateOnLoad(forms::Form& dialog);
