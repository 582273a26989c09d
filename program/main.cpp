// The simulator: the Qt view, the drawing and the sound on the user's display and audio device,
// the program's entry in the executable's folder, then the event loop until the program ends.
#include "platform/d3d/gl.h"
#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/forms/qt_view.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_loop_state.h"
#include "program/missions/launcher.h"
#include "program/startup/program_entry.h"

int main(int argc, char** argv) {
  if (!forms::StartQtView(argc, argv)) return 1;
  // The launcher lists the graphics card and display modes that the engine will draw on.
  d3d::InstallGlDirect3D();
  EngineBackendMaker = engine::MakeDrawBackend;
  SoundEngine = sound::SoundEngine(sound::SoundSide::kDevice);
  // Ctrl+C in the terminal and the desktop's logout end it as its Quit does.
  forms::EndOnTerminationSignals(EndAsQuit);
  try {
    Main();
  } catch (const forms::ProgramEnded&) {
    return 0;
  }
  return forms::Run();
}
