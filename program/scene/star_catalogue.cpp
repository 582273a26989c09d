#include "program/scene/star_catalogue.h"

#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace {

// The largest file the reader takes: MaxBrightStars records with texts far longer than any
// designation.
constexpr size_t MaxCatalogueBytes = 64u << 20;

}  // namespace

bool ReadStarCatalogue(const std::filesystem::path& path, std::vector<BrightStar>& stars) {
  stars.clear();
  const auto bytes = win::ReadFileBytes(path, MaxCatalogueBytes);
  if (!bytes) return false;
  return ParseStarCatalogue(*bytes, stars);
}

bool ParseStarCatalogue(std::span<const uint8_t> bytes, std::vector<BrightStar>& stars) {
  stars.clear();
  win::ByteReader reader(bytes);
  while (!reader.AtEnd()) {
    if (stars.size() == MaxBrightStars) return false;
    BrightStar star;
    star.RightAscension = reader.F32();
    star.Declination = reader.F32();
    star.Magnitude = reader.F32();
    star.Number = reader.I32();
    star.Ext = reader.LengthPrefixedString();
    star.Constellation = reader.LengthPrefixedString();
    if (!reader.Ok()) return false;
    stars.push_back(std::move(star));
  }
  return true;
}

std::optional<std::vector<uint8_t>> EncodeStarCatalogue(const std::vector<BrightStar>& stars) {
  win::ByteWriter writer;
  for (const BrightStar& star : stars) {
    writer.F32(star.RightAscension);
    writer.F32(star.Declination);
    writer.F32(star.Magnitude);
    writer.I32(star.Number);
    writer.LengthPrefixedString(star.Ext);
    writer.LengthPrefixedString(star.Constellation);
  }
  if (!writer.Ok()) return std::nullopt;
  return writer.Data();
}
