// Every named texture and material of the program. The rest of the program finds them by name
// through the engine's case-blind look-ups (the newest of a name wins) or by the ids kept in
// TextureIds and MaterialIds.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "program/scene/scene_state.h"

// The colour keys of the texture loads, 0xAARRGGBB; texels of the key's RGB become transparent,
// except with the code key, which keys nothing and keeps the picture's own alpha.
inline constexpr uint32_t NoColourKey = 0;
inline constexpr uint32_t BlackKey = 0xFF000000;
inline constexpr uint32_t RedKey = 0xFFFF0000;
inline constexpr uint32_t WhiteKey = 0xFFFFFFFF;
inline constexpr uint32_t CodeKey = 0xFFFAFFAC;  // pale yellow 250, 255, 172

// The DSKY's warning lamps in load order; "DSKY" + name is the lit texture, + "off" the unlit.
inline constexpr std::array<std::string_view, DSKYLampCount> DSKYLampNames = {
    "VEL",   "ALT",    "PROG",   "TRACKER", "RESTART", "GIMBALLOCK",
    "TEMPA", "OPRERR", "KEYREL", "STBY",    "NOATT",   "UPLINKACTY"};

// The side of a texture scaled by TextureQuality: quality x base, halves to even [pixels].
int32_t QualitySide(float base);

// Loads the textures in their fixed order and fills TextureIds. The landscape textures are the
// mission's ("Tex0" .. "Tex2"), or the large Moon picture in the Orbital mission.
void LoadTextures();
// Creates the materials in their fixed order and fills MaterialIds.
void CreateMaterials();
