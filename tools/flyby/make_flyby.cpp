// make_flyby FILE SEED: writes a flight's fly-by path (".nde"): the camera's points, one a second,
// in the LM's render co-ordinates (the LM at the origin). The camera spirals in from far out and
// high up and ends 8 units from the LM, inside the 10 units at which the fly-by hands over; SEED
// turns the spiral, so each flight opens from its own side. It stays above the LM's pivot, so it
// never passes under the ground the LM stands or hovers over.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "platform/win/byte_writer.h"
#include "program/missions/path_nodes.h"

namespace {

constexpr int NodeCount = 14;          // seconds of fly-by
constexpr float StartRadius = 420.0f;  // world units
constexpr float StartHeight = 220.0f;
constexpr float EndRadius = 7.0f;
constexpr float EndHeight = 3.9f;  // the last point 8 units from the LM
constexpr float Turns = 1.25f;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_flyby FILE SEED\n";
    return 2;
  }
  const float start = static_cast<float>(std::strtoul(argv[2], nullptr, 10) % 360) *
                      std::numbers::pi_v<float> / 180.0f;
  std::vector<Vector3> nodes;
  for (int k = 0; k < NodeCount; ++k) {
    // Closing in fast at first, then slowly, so the last seconds show the LM up close.
    const float t = static_cast<float>(k) / static_cast<float>(NodeCount - 1);
    const float ease = 1 - (1 - t) * (1 - t);
    const float radius = StartRadius + (EndRadius - StartRadius) * ease;
    const float height = StartHeight + (EndHeight - StartHeight) * ease;
    const float angle = start + Turns * 2 * std::numbers::pi_v<float> * t;
    nodes.push_back({radius * std::cos(angle), height, radius * std::sin(angle)});
  }
  if (!win::WriteFileBytes(argv[1], EncodePathNodes(nodes))) {
    std::cerr << "make_flyby: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
