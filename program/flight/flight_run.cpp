#include "program/flight/flight_run.h"

void RunFlight() {}
void RunFrameLoop() {}
void RunOrbitalFrameLoop() {}
void ShutDownSimulator() {}
void ShowLoadingStep(const std::string&, int16_t, int32_t) {}
