// make_contact_sheet PROGRAM_FOLDER FONT SHEET: one PNG of every picture in the program folder,
// each scaled into a cell over a chequered ground (so that transparent parts show) with its file
// name under it, for a person to look the pictures over.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/common/canvas.h"
#include "tools/common/elapsed.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t Cell = 160, Picture = 128, Columns = 12;

bool IsPicture(const fs::path& path) {
  const std::string e = path.extension().string();
  return e == ".png" || e == ".jpg" || e == ".dds";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_contact_sheet PROGRAM_FOLDER FONT SHEET\n";
    return 2;
  }
  const Elapsed elapsed;
  try {
    SetFontFile(argv[2]);
    const fs::path folder = argv[1];
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.is_regular_file() && IsPicture(entry.path()))
        pictures.push_back(fs::relative(entry.path(), folder));
    std::ranges::sort(pictures);
    const auto rows = static_cast<uint32_t>((pictures.size() + Columns - 1) / Columns);
    ArgbImage sheet(Columns * Cell, rows * Cell, Argb(40, 40, 44));
    for (size_t n = 0; n < pictures.size(); ++n) {
      const int x0 = static_cast<int>((n % Columns) * Cell + (Cell - Picture) / 2);
      const int y0 = static_cast<int>((n / Columns) * Cell + 6);
      for (int y = 0; y < static_cast<int>(Picture); ++y)
        for (int x = 0; x < static_cast<int>(Picture); ++x)
          sheet.At(static_cast<uint32_t>(x0 + x), static_cast<uint32_t>(y0 + y)) =
              ((x / 8 + y / 8) % 2) != 0 ? Argb(90, 90, 90) : Argb(140, 140, 140);
      const ArgbImage image = ReadImage(folder / pictures[n]);
      // Fitted into the cell, its proportions kept.
      const float scale = std::min(static_cast<float>(Picture) / static_cast<float>(image.width),
                                   static_cast<float>(Picture) / static_cast<float>(image.height));
      const auto w = std::max(1u, static_cast<uint32_t>(static_cast<float>(image.width) * scale));
      const auto h = std::max(1u, static_cast<uint32_t>(static_cast<float>(image.height) * scale));
      const ArgbImage small = Resized(image, w, h);
      for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
          const uint32_t p = small.At(x, y);
          Blend(sheet, x0 + static_cast<int>(x), y0 + static_cast<int>(y), p | 0xFF000000u,
                static_cast<float>(p >> 24) / 255.0f);
        }
      Text(sheet, pictures[n].filename().string(), static_cast<float>(x0) + Picture / 2.0f,
           static_cast<float>(y0 + Picture + 16), 9, Argb(220, 220, 220), Align::Centre);
    }
    WritePng(argv[3], sheet);
    std::cout << "make_contact_sheet: " << pictures.size() << " pictures " << elapsed.Text()
              << "\n";
  } catch (const std::exception& error) {
    std::cerr << "make_contact_sheet: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
