#include "program/flight/flight_run.h"

void RunFlight() {}
void RunFrameLoop() {}
void RunOrbitalFrameLoop() {}
void StopAllSounds() {}
void ShutDownSimulator() {}
