// The waypoint graphs and the grid path search. The exports are declared in
// library/core/vortanautil.h.
#pragma once

// Forgets every grid: their costs and open lists go, and the caller's cell arrays are no longer
// pointed at.
void AStar_FreeAll();
