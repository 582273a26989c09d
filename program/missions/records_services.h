// The records services that the flight's timers call. Their bodies belong to the records work of
// the missions subsystem and do nothing until it is built.
#pragma once

// Appends the LM's position to the path nodes.
void AddPathNode();
