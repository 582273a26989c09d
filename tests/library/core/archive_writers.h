// Writers of the two archive formats the level loaders read: WAD3 texture archives and PAK
// packages, laid out as the formats document them, with hooks to damage any field.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/byte_writer.h"

namespace archive_test {

struct RgbColour {
  uint8_t red, green, blue;
};

struct WadTexture {
  std::string name;
  int32_t width;
  int32_t height;
  std::vector<uint8_t> indices;  // width x height palette indices of mip 0
  std::vector<RgbColour> palette;
  int32_t mip0Offset = 40;   // from the texture's start
  int32_t colourCount = -1;  // -1: the palette's size
};

struct WadFile {
  std::vector<WadTexture> textures;
  uint32_t magic = 0x33444157;       // "WAD3"
  int32_t entryCountExtra = 0;       // added to the count written in the header
  int32_t directoryOffsetShift = 0;  // added to the directory offset written
  int32_t dataOffsetShift = 0;       // added to every entry's data offset
};

inline std::vector<uint8_t> WriteWad(const WadFile& wad) {
  std::vector<std::vector<uint8_t>> blocks;
  for (const WadTexture& texture : wad.textures) {
    win::ByteWriter block;
    std::vector<uint8_t> name(16, 0);
    std::copy_n(texture.name.begin(), std::min<size_t>(texture.name.size(), 15), name.begin());
    block.Bytes(name);
    block.I32(texture.width);
    block.I32(texture.height);
    const int32_t area =
        texture.width > 0 && texture.height > 0 ? texture.width * texture.height : 0;
    const int32_t mips[4] = {texture.mip0Offset, 40 + area, 40 + area + area / 4,
                             40 + area + area / 4 + area / 16};
    for (int32_t mip : mips) block.I32(mip);
    block.Bytes(texture.indices);
    // The smaller mips: this library rebuilds them itself and never reads them.
    block.Bytes(std::vector<uint8_t>(static_cast<size_t>(area / 4 + area / 16 + area / 64), 0));
    block.I16(static_cast<int16_t>(texture.colourCount >= 0
                                       ? texture.colourCount
                                       : static_cast<int32_t>(texture.palette.size())));
    for (const RgbColour& colour : texture.palette) {
      block.U8(colour.red);
      block.U8(colour.green);
      block.U8(colour.blue);
    }
    blocks.push_back(block.Data());
  }
  win::ByteWriter file;
  int32_t directoryOffset = 12;
  for (const auto& block : blocks) directoryOffset += static_cast<int32_t>(block.size());
  file.U32(wad.magic);
  file.I32(static_cast<int32_t>(wad.textures.size()) + wad.entryCountExtra);
  file.I32(directoryOffset + wad.directoryOffsetShift);
  for (const auto& block : blocks) file.Bytes(block);
  int32_t offset = 12;
  for (size_t index = 0; index < blocks.size(); ++index) {
    const int32_t size = static_cast<int32_t>(blocks[index].size());
    file.I32(offset + wad.dataOffsetShift);
    file.I32(size);
    file.I32(size);
    file.U8(0x43);  // mip texture
    file.U8(0);
    file.U16(0);
    std::vector<uint8_t> name(16, 0);
    const std::string& text = wad.textures[index].name;
    std::copy_n(text.begin(), std::min<size_t>(text.size(), 15), name.begin());
    file.Bytes(name);
    offset += size;
  }
  return file.Data();
}

struct PakEntry {
  std::string name;
  std::vector<uint8_t> data;
  int32_t offsetShift = 0;  // added to the data offset written
  int32_t lengthShift = 0;  // added to the data length written
};

struct PakFile {
  std::vector<PakEntry> entries;
  uint32_t magic = 0x4B434150;  // "PACK"
  int32_t directoryLengthExtra = 0;
  bool terminateNames = true;
};

inline std::vector<uint8_t> WritePak(const PakFile& pak) {
  win::ByteWriter file;
  int32_t directoryOffset = 12;
  for (const PakEntry& entry : pak.entries)
    directoryOffset += static_cast<int32_t>(entry.data.size());
  file.U32(pak.magic);
  file.I32(directoryOffset);
  file.I32(static_cast<int32_t>(pak.entries.size() * 64) + pak.directoryLengthExtra);
  for (const PakEntry& entry : pak.entries) file.Bytes(entry.data);
  int32_t offset = 12;
  for (const PakEntry& entry : pak.entries) {
    std::vector<uint8_t> name(56, pak.terminateNames ? 0 : 'x');
    std::copy_n(entry.name.begin(), std::min<size_t>(entry.name.size(), 55), name.begin());
    file.Bytes(name);
    file.I32(offset + entry.offsetShift);
    file.I32(static_cast<int32_t>(entry.data.size()) + entry.lengthShift);
    offset += static_cast<int32_t>(entry.data.size());
  }
  return file.Data();
}

inline std::vector<uint8_t> Text(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace archive_test
