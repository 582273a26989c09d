#include "tools/star_catalogue/bright_star_list.h"

#include <sstream>
#include <string_view>

namespace {

constexpr float HoursPerTurn = 24.0f;
constexpr float DegreesPerQuarterTurn = 90.0f;
constexpr size_t NameLength = 10;
constexpr size_t DesignationLength =
    7;  // Flamsteed number and Bayer letter, before the constellation

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool ReadStar(const std::string& line, BrightStar& star) {
  std::istringstream fields(line);
  float declinationDegrees = 0.0f;
  float rightAscensionHours = 0.0f;
  char quote = 0;
  if (!(fields >> declinationDegrees >> rightAscensionHours >> star.Magnitude >> quote) ||
      quote != '"') {
    return false;
  }
  std::string name(NameLength, ' ');
  if (!fields.read(name.data(), NameLength) || fields.get() != '"') return false;
  if (!(fields >> star.Number)) return false;
  star.RightAscension = rightAscensionHours / HoursPerTurn;
  star.Declination = declinationDegrees / DegreesPerQuarterTurn;
  star.Ext = Trimmed(std::string_view(name).substr(0, DesignationLength));
  star.Constellation = Trimmed(std::string_view(name).substr(DesignationLength));
  return true;
}

}  // namespace

bool ReadBrightStarList(std::istream& list, std::vector<BrightStar>& stars, std::string& error) {
  stars.clear();
  std::string line;
  for (int number = 1; std::getline(list, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    BrightStar star;
    if (!ReadStar(line, star)) {
      error = "line " + std::to_string(number) + " is not a star: " + line;
      return false;
    }
    stars.push_back(std::move(star));
  }
  return true;
}
