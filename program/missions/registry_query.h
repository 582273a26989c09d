// The registry query and the graphics runtime check of the launcher's load.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/registry.h"

// The text of a registry value, without a terminating zero character; "" when the key or the
// value cannot be read. The platform's registry holds texts only.
std::string GetRegistryValue(win::RegistryRoot root, std::string_view subKey,
                             std::string_view valueName);

// Reads the installed graphics runtime's version; below 8 a Yes/No box lets the user go on
// anyway or end the program.
void CheckDirectXVersion();
