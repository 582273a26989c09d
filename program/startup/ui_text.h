// Filling the interface text table UiText (startup_state.h).
#pragma once

// Fetches every interface text in the current language through the program's Tralexa object,
// creating it when there is none yet.
void LoadTranslatedStrings();
