// The main display is loaded once in the program's life and closing it ends the program, so its
// timers carry their intervals and states from one test of a process to the next. A test that
// needs the form as it loads takes the loaded one away without its events; the next touch of the
// slot loads it afresh.
#pragma once

#include "program/flight/main_display.h"

inline void DropMainDisplay() {
  if (Main_Display.Loaded()) Main_Display->DropWithoutEvents();
}
