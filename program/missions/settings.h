// The settings file "\Marovin.ini" in the program folder: the user's choices from the launcher
// and its side dialogs, and a few that only a hand edit changes.
//
// Sections and keys (default in brackets):
//   [Graphic Settings]   Video Mode (27), Terrain Flash (1), Full Screen (0), Shadows (0: none,
//                        1 synthetic, 2 mixed, 3 real), Land Precision (4), TextureQuality (1)
//   [Miscellaneous]      DetailTextureMode (5), Startup View (4), Star Magnitude Cut 1 (.8),
//                        Star Size (2), Star Brightness (3), Star Information Flag (-1),
//                        Movie Mode (0), Movie Width (704), Movie Height (480), Movie FPS (30),
//                        Simple LM (0), Simple Cockpit (0), Number of Rocks (40: the slider
//                        position), Rock Graphic (75), Mission (Apollo 11), Flight (None),
//                        Sound (-1), RCSVolume, EngineVolume, MusicVolume (50), MasterVolume (100),
//                        Gamma (1), Ship Gamma (0.2), Pilot (1), Mouse (0), JoyStick (0),
//                        Keyboard (-1)
//   [Advanced Graphic Settings]  GraphicsDebug (0), DisplayFPS (-1), SetVsync (0),
//                        SpecularLighting (-1), Texture Mode (3), 3D Texture Filter (2),
//                        2D Texture Filter (2), SetDepthBuffer (1), EnableAntialiasing (None: or
//                        the samples 2 to 10), SetShadeMode (written as 0, never read)
//   [Development]        SurveyorMove, LandMove, NodeMake, Write Virtual Cockpit Positions,
//                        Write LM Matrix (0): read only, set by hand
//   [Window]             Left, Top, Width, Height of the main window, pixels: written only here
// Flags are -1 and 0. Singles are written with the regional decimal separator and read with
// either. Keys that are never written (Mouse, the movie keys, Development) keep what the user
// put there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The numbers of the advanced graphics' texts: the combo boxes show the text, the settings keep the
// number.
struct ValueText {
  int32_t Value;
  const char* Text;
};
inline constexpr ValueText FilterTexts[] = {
    {0, "Nearestpoint"}, {1, "Bilinear"},      {2, "Trilinear"}, {3, "Anisotropic"},
    {4, "Flatcubic"},    {5, "Gaussiancubic"}, {6, "None"}};
inline constexpr ValueText DetailTextureTexts[] = {
    {4, "Modulate"}, {5, "Modulate2x"}, {7, "Add"}, {8, "AddSigned"}, {10, "Subtract"}};
inline constexpr ValueText TextureModeTexts[] = {
    {0, "16 Bit"}, {1, "32 Bit"}, {2, "Compressed"}, {3, "Auto (Best)"}, {3, "Auto"}};

// The number of the text in the table into `value`; a text it lacks leaves the value.
template <size_t N>
void SetValueByText(int32_t& value, const std::string& text, const ValueText (&table)[N]) {
  for (const ValueText& entry : table) {
    if (text == entry.Text) value = entry.Value;
  }
}

// Reads the settings file into the settings variables and the launcher's controls. A value that
// does not fit its variable or its control shows the section and the text read in a message box
// (the variable then takes its default, a control keeps what it showed); the other keys are still
// read.
void LoadSettings();

// The interface text of "Virtual Cockpit 1"; the other eight view names follow in order.
inline constexpr int FirstViewNameId = 49;
inline constexpr int ViewNameCount = 9;

// Writes the settings variables back; a file that cannot be written is told of once.
void SaveSettings();
