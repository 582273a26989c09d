// The program folder and the translation of the program's Windows-style paths to this file system.
//
// The program builds every path the way it always has: the program folder, then components joined
// with backslashes ("...\Missions\Apollo 11\Textures\temp0.ht"). ResolvePath turns such a path into
// one this file system opens: backslashes become slashes, and a component that does not exist with
// its exact spelling is matched against the folder's entries without regard to ASCII case, since
// the data files were authored on a file system that ignores case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace win {

// The folder of the running executable with no trailing separator, unless SetAppPath chose another.
const std::string& AppPath();
// Points the program folder elsewhere (tests use a temporary folder).
void SetAppPath(std::string folder);

// The file-system path that a program path names. A component found neither exactly nor without
// regard to case is kept as written, so the result can also name a file about to be created. When
// several entries differ only in case, the first in byte order wins, so the choice is repeatable.
std::filesystem::path ResolvePath(std::string_view programPath);

}  // namespace win
