// The cabin of the virtual-cockpit views: its shell, instrument faces, sight, windows, the DSKY
// with its keys, and one lever model for every position of the nine mode switches, all under
// VirtualCockpitMesh. The switch procedures show the lever of a switch's position and set what
// that position selects.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "program/scene/engine_objects.h"

// Loads "\Models\" + name + ".X" into mesh as a cabin part and attaches it to the cabin; a
// material below 1 gives the cabin's own "MatInterior1". Pickable parts answer the mouse.
void LoadCockpitPartMesh(MeshPtr& mesh, const std::string& name, bool pickable, int32_t material);
// The same for a switch lever, always pickable.
void LoadSwitchMesh(MeshPtr& mesh, const std::string& name);

// The lever models, one for every position of the mode switches, in the order they are loaded.
inline constexpr std::array<const char*, 23> SwitchLeverNames = {"SW_AGS_Off",
                                                                 "SW_AGS_Hold",
                                                                 "SW_AGS_Auto",
                                                                 "SW_PGNS_Off",
                                                                 "SW_PGNS_Hold",
                                                                 "SW_PGNS_Auto",
                                                                 "SW_YawMode_Off",
                                                                 "SW_YawMode_Pulse",
                                                                 "SW_YawMode_Cont",
                                                                 "SW_PitchMode_Off",
                                                                 "SW_PitchMode_Pulse",
                                                                 "SW_PitchMode_Cont",
                                                                 "SW_RollMode_Off",
                                                                 "SW_RollMode_Pulse",
                                                                 "SW_RollMode_Cont",
                                                                 "SW_DeadBand_Max",
                                                                 "SW_DeadBand_Min",
                                                                 "SW_ThrottleControl_Auto",
                                                                 "SW_ThrottleControl_Manual",
                                                                 "SW_RateScale_Max",
                                                                 "SW_RateScale_Min",
                                                                 "SW_XPointer_LoMult",
                                                                 "SW_XPointer_HiMult"};

void BuildVirtualCockpit();
void CreateSwitchModels();

// The cabin part or switch lever of that model name; throws when there is none.
engine::EngineMesh& CockpitPart(const std::string& name);
engine::EngineMesh& SwitchLever(const std::string& name);

// The switch procedures, each given its switch record's position; a position the switch does not
// have changes nothing (the throttle switch still says which mode holds).
void SetSwitchModelA(int32_t& position);  // AGS
void SetSwitchModelB(int32_t& position);  // PGNS, and the PGNS lamp
void SetSwitchModelC(int32_t& position);  // rate scale
void SetSwitchModelD(int32_t& position);  // yaw RCS mode
void SetSwitchModelE(int32_t& position);  // pitch RCS mode
void SetSwitchModelF(int32_t& position);  // roll RCS mode
void SetSwitchModelG(int32_t& position);  // automatic throttle
void SetSwitchModelH(int32_t& position);  // deadband
void SetSwitchModelI(int32_t& position);  // cross-pointer scale
