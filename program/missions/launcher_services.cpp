#include "program/missions/launcher_services.h"

#include "program/startup/form_translation.h"
#include "program/startup/startup_state.h"

void TranslateOnLoad(forms::Form& dialog) { EnsureTralexa().TranslateForm(dialog); }
