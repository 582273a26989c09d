// The developer tools: the recorded camera path, the view set-up, start position and docking
// matrix written back into the mission, the landscape and Surveyor placement tools that run in the
// frame loop, and the value list in which those two show their state. A failing write shows a
// message and never ends the program.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "program/flight/vector3.h"

namespace engine {
class EngineInput;
class EngineLandscape;
class EnginePath;
}  // namespace engine

// The mission's path-node file and docking-matrix file.
std::string PathNodeFilePath();
std::string DockingMatrixFilePath();

// Appends a node at the camera's position and shows the new count.
void RecordPathNode(const Vector3& cameraPosition);
// Records the first view camera's position; without a scene there is no camera and nothing to do.
void AddPathNode();
// Writes the recorded nodes and shows "Path Nodes Written".
void SavePathNodes();
// Empties the path and, when the mission has a path-node file, reads it into PathNodes and the
// path. A missing file changes nothing more; a damaged one is refused with a message.
void LoadPathNodes(engine::EnginePath& path);

// Writes the three virtual-cockpit eyes and rotations and the eight view angles into the scenario.
void SaveViewSetup();
// Writes StartX/Y/Z (feet) into the scenario and the pivot's world matrix into LMDock.loc.
void SaveStartPosition(const std::array<float, 16>& pivotMatrix);

// One value line: the number formatted "######.###", or a text as it is. Past 50 lines the last
// is overwritten.
void AddValueLine(const std::string& label, double value, uint32_t colour);
void AddValueLine(const std::string& label, const std::string& value, uint32_t colour);

// The landscape tool's step of one frame: keys MINUS/EQUALS change the increments, I, J and O
// (gated by the main display's TimerKeyPress) pick the tile, the function and save, the arrows
// move or scale the tile.
void RunLandMoveTool(const engine::EngineInput& input,
                     const std::array<engine::EngineLandscape*, 3>& tiles);
void SaveLandPosition();
// The Surveyor tool's step of one frame.
void RunSurveyorMoveTool(const engine::EngineInput& input);
void SaveSurveyorPosition();
