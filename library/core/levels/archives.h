// The two kinds of archive that stay open while levels and models load: WAD3 texture archives and
// PAK packages of whole files. The exports are declared in library/core/vortanautil.h; the parsers
// below take bytes only, so that the fuzz targets reach them without files.
//
// Index 0 of both tables is reserved: the exports return 0 for a refusal, so the first archive
// opened gets index 1.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr size_t kArchiveHeaderBytes = 12;
inline constexpr size_t kWadEntryBytes = 32;
inline constexpr size_t kWadNameBytes = 16;  // name field of a directory entry and a texture
inline constexpr size_t kWadTextureHeaderBytes = 40;
inline constexpr int32_t kWadMaxColours = 256;
inline constexpr int32_t kWadMaxSide = 4096;  // texels; real archives stay far below it
inline constexpr size_t kPakEntryBytes = 64;
inline constexpr size_t kPakNameBytes = 56;

struct WadEntry {
  int32_t dataOffset;
  std::string name;
};

// A texture of an archive converted to A8R8G8B8 texels (0xAARRGGBB), alpha 0 on the key colour.
struct WadTexels {
  int32_t width;
  int32_t height;
  std::vector<uint32_t> argb;
};

struct PakEntry {
  std::string name;
  int32_t dataOffset;
  int32_t length;
};

// The header and directory of a WAD3 file whose size is fileSize; nothing when the magic is wrong
// or an entry count, offset or name does not fit the file.
std::optional<std::vector<WadEntry>> ParseWadDirectory(std::span<const uint8_t> header,
                                                       std::span<const uint8_t> directory,
                                                       uint64_t fileSize);
// The directory's byte range of a WAD3 header; nothing when the header is no WAD3 header.
std::optional<std::pair<uint64_t, uint64_t>> WadDirectoryRange(std::span<const uint8_t> header);
// The texels of the texture that starts at the first byte of texture (the rest of the file); key is
// 0x00RRGGBB. Nothing when a size, mip offset or the palette does not fit.
std::optional<WadTexels> DecodeWadTexture(std::span<const uint8_t> texture, uint32_t key);
// The bytes of a texture at its start that DecodeWadTexture reads at most, from its 40-byte header;
// nothing when the header is refused.
std::optional<uint64_t> WadTextureExtent(std::span<const uint8_t> textureHeader);

// The directory's byte range of a PAK header; nothing when the magic is wrong or it is empty.
std::optional<std::pair<uint64_t, uint64_t>> PakDirectoryRange(std::span<const uint8_t> header);
// The entries of a PAK directory (its length rounded down to whole entries); nothing when a name is
// not terminated or an entry's data lies outside a file of fileSize bytes.
std::optional<std::vector<PakEntry>> ParsePakDirectory(std::span<const uint8_t> directory,
                                                       uint64_t fileSize);
// count bytes of an open file from offset; nothing when they are not all there.
std::optional<std::vector<uint8_t>> ReadFileRange(std::FILE* file, uint64_t offset, uint64_t count);
// The size of an open file in bytes.
uint64_t OpenFileSize(std::FILE* file);

// The entry name as the directory writes it: '\' as '/', one leading separator dropped. The
// caller's text is rewritten in place, as callers of the extraction expect.
std::string NormalisePakName(char* name);
