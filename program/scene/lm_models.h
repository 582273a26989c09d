// The models of the LM and of what moves with it or serves it: the two stages with their parts and
// shadow companions, the jet plumes, the command module, the hatch, the camera pivot, the attitude
// ball's rig, the orientation mesh, the landing markers, the terrain shadow grid and the small LM
// of the joystick test. Each builder makes its meshes once; the frames move them.
#pragma once

void CreateMiniLM();
void CreateHatch();
// The hatch meshes of CreateHatch are attached to the ascent stage, so the hatch comes first.
void BuildAscentStage();
void BuildDescentStage();
void LoadRCSPlumes();
void CreateCommandModule();
void CreateCameraPivot();
void CreateFDAIBall();
void CreateOrientationMesh();
void CreateLandingMarker();
void CreateLMShadow();
