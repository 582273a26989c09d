// The instrument layout file "\Instruments.ini" in the program folder: where the 2D instruments
// and switches are drawn over the 3D view. The program only reads it.
//
// Format: one INI section per item: "FDAI", "XPointer", "Altitude Tape", "Altitude Rate Tape",
// "Thrust2Weight Arrow", "ThrottleArrowCMD", "ThrottleArrowACT", "Contact Light Screen",
// "FuelLEDScreen", "DSKY Panel", "DSKY Lights Panel" and the switches "Switch AutoThrottle",
// "Switch XPointer Scale", "Switch PGNS", "Switch Deadband", "Switch Rate Scale". Each holds
//   Left, Top, Right, Bottom   edges in reference units of a 1600 by 1200 screen (default 20)
//   Enabled                    0 hides the item (default -1)
//   Switch Position            switches only: the position the switch starts in
// Numbers take "." or "," as the decimal separator. The switch positions stand only until the
// scenario file sets its own.
#pragma once

// Reads the layout file into InstrumentLayout and sets AutoThrottleOn from the auto-throttle
// switch. Missing file, sections or keys give the defaults; nothing is reported.
void LoadInstrumentLayout();
