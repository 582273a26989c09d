// The script interpreter behind LoadScript: a compiled script (script_file.h) is linked to its
// variable slots and run at once to its end. Its window command opens a window with a device of
// its own; that device becomes CurrentDevice when none was current, and is the script's alone
// (released after the run) when the engine's device is.
#pragma once

#include <cstdint>
#include <limits>
#include <span>

// Loads, links and runs a script image; stops after stepBudget commands, or at the clear or present
// that would take the pixels those commands went over past pixelBudget (the fuzz target's limits:
// one command may go over a 4096 x 4096 window). Every refusal and stop is one log line. Returns
// 1, as LoadScript does.
int32_t RunScriptImage(std::span<const uint8_t> image,
                       uint64_t stepBudget = std::numeric_limits<uint64_t>::max(),
                       uint64_t pixelBudget = std::numeric_limits<uint64_t>::max());
