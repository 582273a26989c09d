// The bright-star catalogue file "\bsb.dat": a sequence of records with no header, no count and
// no padding, read until the end of the file. Each record, little-endian:
//
//   f32  RightAscension   a fraction of a full turn (1.0 = 360 degrees)
//   f32  Declination      a fraction of a quarter turn (1.0 = 90 degrees)
//   f32  Magnitude        visual magnitude, smaller is brighter
//   i32  Number           catalogue number
//   u16 + bytes  Ext             designation ("9Alp"), one byte a character, no terminator
//   u16 + bytes  Constellation   ("CMa"), the same way
//
// The scene reads it to build the star field; the data set's generator writes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct BrightStar {
  float RightAscension = 0.0f;  // fraction of a full turn
  float Declination = 0.0f;     // fraction of a quarter turn
  float Magnitude = 0.0f;
  int32_t Number = 0;
  std::string Ext;
  std::string Constellation;

  bool operator==(const BrightStar&) const = default;
};

// The star field holds at most this many catalogue records.
inline constexpr size_t MaxBrightStars = 10000;

// Reads the records of the catalogue's bytes in order into stars, with the outcomes of
// ReadStarCatalogue.
bool ParseStarCatalogue(std::span<const uint8_t> bytes, std::vector<BrightStar>& stars);

// Reads the catalogue's records in order into stars. False when the file cannot be read, when it
// ends inside a record or when it holds more than MaxBrightStars records; stars then keeps the
// whole records before that point.
bool ReadStarCatalogue(const std::filesystem::path& path, std::vector<BrightStar>& stars);

// The file's bytes for stars; nothing when a text is too long for its 16-bit length.
std::optional<std::vector<uint8_t>> EncodeStarCatalogue(const std::vector<BrightStar>& stars);
