// The map-file family's tables. The exports are declared in library/core/vortanautil.h.
#pragma once

// Empties the scripts, materials and models; ReleaseAll calls it with the texture table's release,
// since the materials hold identifiers of that table.
void D3_FreeAll();
