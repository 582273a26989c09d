// Two small modeless dialogs of the launcher: the star options, and the handlers of the sound
// settings (whose controls the settings file fills, so they stand with the launcher's forms). The
// values take effect at the next flight start.
#pragma once

#include "program/missions/star_options_form.h"

// Connect the star options' and the sound settings' buttons and loads to their handlers.
void ConnectStarForm();
void ConnectSoundSettings();

// OK stores the four star settings and hides the dialog; Cancel only hides it.
void StarForm_Command1_Click();
void StarForm_Command2_Click();

// OK hides the sound dialog; the flight start reads its scroll bars.
void SoundSettings_Command1_Click();
// "...": chooses the flight's music file and writes it into the flight's scenario at once.
void SoundSettings_Command2_Click();
// Writes FlyingTheme as "Flying Theme" of the chosen flight's scenario file.
void SaveFlyingTheme();
