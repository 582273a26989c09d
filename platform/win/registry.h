// The registry as the program sees it: a read-only table of the few values this platform layer can
// answer. There is no registry on this system; the table stands for what the program would find on
// a machine with the graphics layer the program needs installed.
#pragma once

#include <string>
#include <string_view>

namespace win {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// The graphics runtime level reported under LocalMachine "SOFTWARE\Microsoft\DirectX", value
// "Version": the level whose device interface platform/d3d provides.
inline constexpr std::string_view GraphicsRuntimeVersion = "4.08.01.0810";

// The text of the value name under root and subKey, or "" for a key or value the table does not
// hold. Key and value names match without regard to case, with "\" separating the key's levels.
std::string ReadRegistryString(RegistryRoot root, std::string_view subKey,
                               std::string_view valueName);

// Sets or removes a value of the table, so that tests can present
// the program with a machine that lacks the value or holds another one. The program itself never
// writes the registry.
void SetRegistryStringForTesting(RegistryRoot root, std::string_view subKey,
                                 std::string_view valueName, std::string_view value);
void RemoveRegistryValueForTesting(RegistryRoot root, std::string_view subKey,
                                   std::string_view valueName);

}  // namespace win
