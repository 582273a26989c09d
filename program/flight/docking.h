// The docking of the LM with the command module in the Orbital mission: the probe, drogue and
// side points each frame; contact inside the drogue cone, capture or refusal, the probe's
// retraction and the hard dock, the cone wall's push; and the undocking command.
#pragma once

// Once per frame while the controls are active, before UpdateDockingContact.
void UpdateDockingPoints();
// The docking step; nothing while Docked.
void UpdateDockingContact();
// The closing speed that the docking step measures, in ft/s: the rate of the P20 displays.
float DockRangeRateFeet();
// Separates a docked LM, which drifts off along its up axis.
void Undock();
// For a flight that starts docked: moves the command module so that its drogue holds the LM's
// probe, wherever the flight put the two.
void SeatDockedCommandModule();
