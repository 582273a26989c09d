#include "program/missions/records_services.h"

void AddPathNode() {}
