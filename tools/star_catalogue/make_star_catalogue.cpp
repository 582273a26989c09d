// make_star_catalogue LIST CATALOGUE: writes the program folder's star catalogue from the bright
// star list.
#include <fstream>
#include <iostream>

#include "platform/win/byte_writer.h"
#include "tools/star_catalogue/bright_star_list.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_star_catalogue LIST CATALOGUE\n";
    return 2;
  }
  std::ifstream list(argv[1]);
  if (!list) {
    std::cerr << "make_star_catalogue: cannot open " << argv[1] << "\n";
    return 1;
  }
  std::vector<BrightStar> stars;
  std::string error;
  if (!ReadBrightStarList(list, stars, error)) {
    std::cerr << "make_star_catalogue: " << argv[1] << ": " << error << "\n";
    return 1;
  }
  if (stars.size() > MaxBrightStars) {
    std::cerr << "make_star_catalogue: " << stars.size() << " stars, the star field holds "
              << MaxBrightStars << "\n";
    return 1;
  }
  const auto bytes = EncodeStarCatalogue(stars);
  if (!bytes || !win::WriteFileBytes(argv[2], *bytes)) {
    std::cerr << "make_star_catalogue: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
