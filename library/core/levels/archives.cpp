// The byte-level half of the archives: headers, directories and WAD textures, read through the one
// bounds-checked reader and refused whole when any count, offset or size does not fit the file.
#include "library/core/levels/archives.h"

#include <algorithm>

#include "platform/win/byte_reader.h"

namespace {

constexpr uint32_t kWadMagic = 0x33444157;  // "WAD3"
constexpr uint32_t kPakMagic = 0x4B434150;  // "PACK"
constexpr uint8_t kOpaque = 255;

// A fixed name field: its text up to the first zero, or the whole field when it has none.
std::string FieldText(std::span<const uint8_t> field) {
  size_t length = 0;
  while (length < field.size() && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(field.data()), length);
}

bool Fits(uint64_t offset, uint64_t count, uint64_t size) {
  return offset <= size && count <= size - offset;
}

}  // namespace

std::optional<std::pair<uint64_t, uint64_t>> WadDirectoryRange(std::span<const uint8_t> header) {
  win::ByteReader reader(header);
  const uint32_t magic = reader.U32();
  const int32_t count = reader.I32();
  const int32_t offset = reader.I32();
  if (!reader.Ok() || magic != kWadMagic || count < 0 || offset < 0) return std::nullopt;
  return std::pair{static_cast<uint64_t>(offset), static_cast<uint64_t>(count) * kWadEntryBytes};
}

std::optional<std::vector<WadEntry>> ParseWadDirectory(std::span<const uint8_t> header,
                                                       std::span<const uint8_t> directory,
                                                       uint64_t fileSize) {
  const auto range = WadDirectoryRange(header);
  if (!range || !Fits(range->first, range->second, fileSize) || directory.size() != range->second) {
    return std::nullopt;
  }
  win::ByteReader reader(directory);
  std::vector<WadEntry> entries;
  while (!reader.AtEnd()) {
    const int32_t dataOffset = reader.I32();
    reader.Skip(10);  // sizes on disk and in memory, type, compression
    reader.Skip(2);   // padding
    const std::string name = FieldText(reader.Bytes(kWadNameBytes));
    if (!reader.Ok() || dataOffset < 0 ||
        !Fits(static_cast<uint64_t>(dataOffset), kWadTextureHeaderBytes, fileSize)) {
      return std::nullopt;
    }
    entries.push_back({dataOffset, name});
  }
  return entries;
}

namespace {

struct WadTextureHeader {
  int32_t width;
  int32_t height;
  uint64_t mip0;
  uint64_t palette;  // the offset of the colour count
};

std::optional<WadTextureHeader> ReadTextureHeader(win::ByteReader& reader) {
  reader.Skip(kWadNameBytes);
  const int32_t width = reader.I32();
  const int32_t height = reader.I32();
  int32_t mips[4];
  for (int32_t& mip : mips) mip = reader.I32();
  if (!reader.Ok() || width <= 0 || height <= 0 || width > kWadMaxSide || height > kWadMaxSide ||
      mips[0] < 0) {
    return std::nullopt;
  }
  const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  const uint64_t mip0 = static_cast<uint64_t>(mips[0]);
  return WadTextureHeader{width, height, mip0, mip0 + area + area / 4 + area / 16 + area / 64};
}

}  // namespace

std::optional<uint64_t> WadTextureExtent(std::span<const uint8_t> textureHeader) {
  win::ByteReader reader(textureHeader);
  const auto header = ReadTextureHeader(reader);
  if (!header) return std::nullopt;
  return std::max<uint64_t>(header->palette + 2 + kWadMaxColours * 3, kWadTextureHeaderBytes);
}

std::optional<WadTexels> DecodeWadTexture(std::span<const uint8_t> texture, uint32_t key) {
  win::ByteReader reader(texture);
  const auto header = ReadTextureHeader(reader);
  if (!header) return std::nullopt;
  const size_t area = static_cast<size_t>(header->width) * static_cast<size_t>(header->height);
  if (!reader.Seek(header->mip0)) return std::nullopt;
  const std::span<const uint8_t> indices = reader.Bytes(area);
  if (!reader.Seek(header->palette)) return std::nullopt;
  const int16_t colours = reader.I16();
  if (!reader.Ok() || colours < 0 || colours > kWadMaxColours) return std::nullopt;
  const std::span<const uint8_t> palette = reader.Bytes(static_cast<size_t>(colours) * 3);
  if (!reader.Ok()) return std::nullopt;

  int32_t keyIndex = -1;
  for (int32_t colour = 0; colour < colours && keyIndex < 0; ++colour) {
    const uint32_t rgb = uint32_t{palette[3 * colour]} << 16 |
                         uint32_t{palette[3 * colour + 1]} << 8 | palette[3 * colour + 2];
    if (rgb == (key & 0xFFFFFF)) keyIndex = colour;
  }
  WadTexels texels{header->width, header->height, std::vector<uint32_t>(area)};
  for (size_t texel = 0; texel < area; ++texel) {
    const uint8_t index = indices[texel];
    // An index past the palette reads as black, as the format leaves such texels undefined.
    uint32_t rgb = 0;
    if (index < colours) {
      rgb = uint32_t{palette[3 * index]} << 16 | uint32_t{palette[3 * index + 1]} << 8 |
            palette[3 * index + 2];
    }
    const uint32_t alpha = index == keyIndex ? 0 : kOpaque;
    texels.argb[texel] = alpha << 24 | rgb;
  }
  return texels;
}

std::optional<std::pair<uint64_t, uint64_t>> PakDirectoryRange(std::span<const uint8_t> header) {
  win::ByteReader reader(header);
  const uint32_t magic = reader.U32();
  const int32_t offset = reader.I32();
  const int32_t length = reader.I32();
  if (!reader.Ok() || magic != kPakMagic || offset < 0 || length <= 0) return std::nullopt;
  const uint64_t whole = static_cast<uint64_t>(length) / kPakEntryBytes * kPakEntryBytes;
  return std::pair{static_cast<uint64_t>(offset), whole};
}

std::optional<std::vector<PakEntry>> ParsePakDirectory(std::span<const uint8_t> directory,
                                                       uint64_t fileSize) {
  win::ByteReader reader(directory);
  std::vector<PakEntry> entries;
  while (reader.Remaining() >= kPakEntryBytes) {
    const std::span<const uint8_t> field = reader.Bytes(kPakNameBytes);
    const int32_t offset = reader.I32();
    const int32_t length = reader.I32();
    const std::string name = FieldText(field);
    if (!reader.Ok() || name.size() == kPakNameBytes || offset < 0 || length < 0 ||
        !Fits(static_cast<uint64_t>(offset), static_cast<uint64_t>(length), fileSize)) {
      return std::nullopt;
    }
    entries.push_back({name, offset, length});
  }
  return entries;
}

std::string NormalisePakName(char* name) {
  for (char* c = name; *c != '\0'; ++c) {
    if (*c == '\\') *c = '/';
  }
  return std::string(name[0] == '/' ? name + 1 : name);
}

uint64_t OpenFileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  return size < 0 ? 0 : static_cast<uint64_t>(size);
}

std::optional<std::vector<uint8_t>> ReadFileRange(std::FILE* file, uint64_t offset,
                                                  uint64_t count) {
  if (!Fits(offset, count, OpenFileSize(file)) ||
      std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) {
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(count);
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return std::nullopt;
  return bytes;
}
