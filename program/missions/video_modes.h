// The launcher's lists of display adapters and modes, filled from the Direct3D object, and the
// handlers of the two lists and of the windowed box that switches them off.
#pragma once

#include <cstdint>

// Refills the adapter list from the Direct3D object, made on first use, and selects the current
// adapter.
void UpdateAdapter();
// Refills the mode list of the adapter: modes of a 32- or 16-bit format, each listed when its
// size or format differs from the mode listed before it. An adapter that lists none gets the
// desktop's mode, so that a full-screen flight never starts at 0 by 0 pixels.
void UpdateVideoModes(int32_t adapter);
// The bits per pixel the mode list gives a Direct3D format; 0 for a format it does not list.
int32_t ModeBits(int32_t format);
// A choice in the adapter list refills the mode list; one in the mode list sets the video mode.
void DriverDialog_cboGroup_Click(int16_t index);
void DriverDialog_chkWindowed_Click();
