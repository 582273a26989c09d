#include "program/cockpit/cockpit_services.h"

void AnyViewFlagSet() {}
