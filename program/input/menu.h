// The in-flight menu drawn over the 3D view: its buttons, the volume, gamma and ship-shading
// sliders, the frame-rate box, the save and load pages of the replays and the exit box. Places are
// in 1600 by 1200 reference units, scaled to the window's pixels when drawn.
#pragma once

#include <memory>
#include <string>

#include "program/input/input_state.h"
#include "program/input/widgets.h"

// The widgets of the menu, made by CreateMenuItems.
inline std::unique_ptr<clsInputSlider> MasterVolumeSlider, MusicVolumeSlider, RCSVolumeSlider,
    EngineVolumeSlider, GammaSlider, ShipGammaSlider;
inline std::unique_ptr<clsInputCheckBox> DisplayFPSBox;

// Loads the menu's textures from "\Textures\Buttons\", each under its own name.
void LoadMenuTextures();
// Makes the widgets, fills the items and the key character table.
void CreateMenuItems();
// The sliders and the frame-rate box take the settings they change, as each flight starts: a
// slider left at 0 would set its setting to 0 the first time the menu is drawn.
void SetMenuControls();
// The character each key types in the text entry.
void InitKeyCodeTable();
// Draws one item and registers a click on it.
void DrawMenuButton(MenuItem& item);
// The menu's frame: panel, buttons, sliders, box, labels and the open page.
void DrawSettingsOverlay();
void RunSaveReplayPage();
void RunLoadReplayPage();
void RunExitDialog();
void HandleMenuButtons();
// The replays of the folder into the list rows, by name, at most 15; the rows after them empty.
void ListReplayFiles(const std::string& folder);
// The keys typed since the last call into EditText at EditCursor.
void ReadTextEntry();
// ShipGamma into the sun's light, the LM's material and the shadow colour.
void ApplyShipGamma();
