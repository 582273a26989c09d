// The program's built-in English interface texts, one per string id, and the ids of the interface
// text table in the order it is filled.
//
// A translation is found by its native text, so these texts are also the keys of every text
// language database: change one character here and every translation of it is lost.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The native text of a string id; an id without one gives unknownText followed by the id in
// decimal ("GetS: Unknown String ID 325").
std::string NativeString(int32_t id, std::string_view unknownText);

// True when the id has a built-in native text (ids 1 to 324, less the few unused ones).
bool HasNativeString(int32_t id);

// Highest string id with a native text.
inline constexpr int32_t LastStringId = 324;

// The string ids of the interface text table, in the order LoadTranslatedStrings fetches them.
std::span<const int16_t> UiTextFillOrder();
