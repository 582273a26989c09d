// The pilot list: choose the active pilot among ten, name the pilot, see each pilot's best landing
// and race totals, and clear the table. Row 1 is the design; rows 2 to 10 are made at load.
#pragma once

#include <cstdint>

#include "platform/forms/forms.h"
#include "program/missions/pilot_list_form.h"

// Connects the pilot list's controls and load to their handlers.
void ConnectPilotList();
void PilotList_Form_Load();
void LoadPilotRoster();
void PilotList_Option3D1_Click(int16_t index);
void PilotList_Command1_Click();
void PilotList_Command2_Click();
void PilotList_Text1_Change(int16_t index);
// Shows each pilot's name and best totals in the rows of the loaded form; nothing when it is not
// loaded.
void ShowPilotRows();
