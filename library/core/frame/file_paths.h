// The library's path and file helpers. Callers hand the library Windows-style paths ("c:\x.txt",
// "models\ship.md2"); HostPath maps them onto this file system: a drive prefix stands for the
// program folder, and the rest resolves through the platform layer (backslashes, letter case).
#pragma once

#include <filesystem>
#include <string_view>

std::filesystem::path HostPath(std::string_view path);

// Destination buffers take at most kPathBufferSize bytes, terminator included.
inline constexpr size_t kPathBufferSize = 256;

// What follows the last '\' (else the last '/', else the whole path).
void Path_GetFileName(const char* path, char* destination);
// Up to and including the last '\' (else the last '/'), else an empty string.
void Path_GetDirectory(const char* path, char* destination);
// True when the name is not empty and the file opens for reading.
bool File_Exists(const char* path);
// Writes path when it exists, else its bare file name when that exists, else the reference path's
// directory followed by the bare file name when that exists; otherwise leaves destination alone.
void Path_ResolveFile(const char* path, char* destination, const char* referencePath);

// Copies text into a fixed field of capacity bytes, cut short so that the terminator always fits.
void CopyToField(char* field, size_t capacity, std::string_view text);
