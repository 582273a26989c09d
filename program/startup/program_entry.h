// The program's entry, the run-time language change, and small form and path routines that every
// dialog uses.
#pragma once

#include <string>

// Joins a folder and a file name with exactly one backslash. An empty folder gives the file name,
// an empty file name the folder as passed.
std::string AddPath(const std::string& folder, const std::string& file);
