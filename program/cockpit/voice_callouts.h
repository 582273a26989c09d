// The voice callouts of a powered descent: altitude, descent-rate, landing-point angle and fuel
// calls from the mission's callout tables, one at a time, each followed by its entry's pause on
// the main display's callout timer 9.
//
// An altitude call may arm the rate calls: then one descent-rate (P66) or LPD (P64) check runs
// after its pause, and any rate check that runs disarms them. In Apollo 11 the altitude window at
// 3000 ft raises the 1201 program alarm on the DSKY.
#pragma once

// Each plays at most one callout a call.
void CheckAltitudeCallouts();
void CheckDescentRateCallouts();
void CheckLPDAngleCallouts();
void CheckFuelCallouts();

// The frame loop's callouts, each check under its conditions.
void CheckCallouts();
// Every callout due again and the rate calls disarmed, as each flight starts.
void ResetCallouts();
