// Path-node files (".nde"): a camera path recorded in flight, or written by the data set for its
// fly-by paths. Little-endian: the node count n (32-bit signed), then n nodes of three 32-bit
// floats x, y, z in world units.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "program/flight/vector3.h"

// More nodes than a flight can record; a file holding more is refused.
inline constexpr int32_t MaxPathNodes = 100000;

std::vector<uint8_t> EncodePathNodes(std::span<const Vector3> nodes);
// The nodes of a file's bytes; nothing when the count is below 0 or above MaxPathNodes, or when
// the file ends before its last node. Bytes after the last node are ignored.
std::optional<std::vector<Vector3>> DecodePathNodes(std::span<const uint8_t> bytes);

// Writes the nodes whole through a temporary file; false when it could not be written.
bool WritePathNodeFile(const std::string& programPath, std::span<const Vector3> nodes);
// The nodes of the file; nothing when it is missing or refused.
std::optional<std::vector<Vector3>> ReadPathNodeFile(const std::string& programPath);
