// Registration entries that leave a trace in the environment, so a test sees which one was called.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int DllRegisterServer() {
  return setenv("REGISTRATION_PROBE", "registered", 1);
}

extern "C" __attribute__((visibility("default"))) int DllUnregisterServer() {
  return setenv("REGISTRATION_PROBE", "unregistered", 1);
}
