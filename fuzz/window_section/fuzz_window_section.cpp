// Any bytes as the settings file whose [Window] section places the main window at the start: the
// place read, or the new one made for a window stored too small, and the window put there as the
// way back from full screen puts it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_folder.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/scene/scene_services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static FuzzFolder folder;
  folder.Write("Marovin.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  MainDisplayForm& window = *Main_Display;
  PlaceWindowAtStart(window);
  window.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
  StoreWindowSize(window);
  return 0;
}
