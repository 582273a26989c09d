// Program-wide state of start-up and localisation that the other subsystems read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The chosen language, 1 to 10 (1 is the native one).
inline int32_t CurrentLanguage = 1;

// Highest string id of the interface texts.
inline constexpr int UiTextMaxId = 324;

// The interface texts in the current language, indexed by string id; empty until filled.
inline std::array<std::string, UiTextMaxId + 1> UiText;
