// Flying the LM by joystick or keyboard: hand controller, throttle, translation and the hat's
// view turns, and the P64 landing-point redesignation by stick or arrow keys. The mouse step
// chooses which of the two runs each frame.
#pragma once

// The axis value (0 to 1) mapped through a centre dead zone of `width`: 0.5 inside it, the ends
// kept at 0 and 1.
float ApplyDeadZone(float width, float value);

// The frame rate the flying steps divide by: FramesPerSecond, raised to 5 while the engine has
// not measured one yet, so that a held control never jumps in the first frames.
float FlyingFrameRate();

void ProcessJoystickControls();
void ProcessKeyboardFlying();

// The three hand-controller commands (rad/s) from the smoothed hand-controller values.
void CommandRollAndPitch();
void CommandYaw();
