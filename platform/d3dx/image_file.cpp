#include "platform/d3dx/image_file.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "platform/d3d/format.h"
#include "platform/d3dx/dds.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr uint32_t kBmpFileHeaderBytes = 14;
constexpr uint32_t kBmpInfoHeaderBytes = 40;
constexpr int32_t kBmpPixelsPerMetre = 2835;  // 72 dots per inch
constexpr uint32_t kBmpRowAlignment = 4;      // bytes

// The file type by its first bytes; TGA has no signature and is what remains.
D3DXIMAGE_FILEFORMAT FileFormatOf(std::span<const uint8_t> bytes) {
  auto startsWith = [bytes](std::initializer_list<uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
  };
  if (startsWith({0x89, 'P', 'N', 'G'})) return D3DXIFF_PNG;
  if (startsWith({0xFF, 0xD8})) return D3DXIFF_JPG;
  if (startsWith({'B', 'M'})) return D3DXIFF_BMP;
  if (startsWith({'P', '5'}) || startsWith({'P', '6'})) return D3DXIFF_PPM;
  return D3DXIFF_TGA;
}

D3DFORMAT FormatOfChannels(int channels) {
  switch (channels) {
    case 1:
      return D3DFMT_L8;
    case 3:
      return D3DFMT_R8G8B8;
    default:
      return D3DFMT_A8R8G8B8;
  }
}

// PNG files are a signature and chunks: 4-byte big-endian length, 4-byte type, data, 4-byte CRC.
// The decoder copies the first image-data chunk from a null buffer when that chunk is empty, so
// such files are refused before it sees them.
bool PngIsSafeToDecode(std::span<const uint8_t> bytes) {
  constexpr size_t kSignatureBytes = 8;
  constexpr size_t kCrcBytes = 4;
  win::ByteReader reader(bytes);
  reader.Skip(kSignatureBytes);
  while (reader.Remaining() > 0) {
    auto length = reader.Bytes(4);
    auto type = reader.Bytes(4);
    if (!reader.Ok()) break;
    uint32_t dataBytes = uint32_t{length[0]} << 24 | uint32_t{length[1]} << 16 |
                         uint32_t{length[2]} << 8 | length[3];
    if (dataBytes == 0 && std::equal(type.begin(), type.end(), "IDAT")) return false;
    if (!reader.Skip(size_t{dataBytes} + kCrcBytes)) break;
  }
  return true;
}

uint32_t BigEndian16(win::ByteReader& reader) {
  uint32_t high = reader.U8();
  return high << 8 | reader.U8();
}

// JPEG files are marker segments (0xFF, a code, a big-endian length that counts itself, data), with
// entropy-coded data after each start of scan. The decoder writes past its tables when a Huffman
// table declares more than 256 codes, so such files are refused before it sees them.
bool JpegIsSafeToDecode(std::span<const uint8_t> bytes) {
  constexpr uint8_t kMarker = 0xFF, kStuffed = 0x00, kTemporary = 0x01, kEndOfImage = 0xD9;
  constexpr uint8_t kFirstRestart = 0xD0, kLastRestart = 0xD7, kHuffmanTables = 0xC4;
  constexpr int kCodeLengths = 16;  // a table is its class and number, then a count per code length
  constexpr uint32_t kMaxCodes = 256;
  win::ByteReader reader(bytes);
  reader.Skip(2);  // start of image
  while (reader.Remaining() >= 2) {
    if (reader.U8() != kMarker) continue;  // entropy-coded data
    uint8_t code = reader.U8();
    if (code == kMarker) {
      reader.Seek(reader.Position() - 1);  // fill byte: the next 0xFF may start the marker
      continue;
    }
    if (code == kStuffed || code == kTemporary || (code >= kFirstRestart && code <= kLastRestart))
      continue;
    if (code == kEndOfImage) break;
    uint32_t length = BigEndian16(reader);
    if (!reader.Ok() || length < 2) break;
    if (code == kHuffmanTables) {
      // Tables are read as the decoder reads them: one after another while the segment's length
      // has bytes left, running on past the segment's end, and as zeros past the file's.
      win::ByteReader tables = reader;
      for (int64_t left = length - 2; left > 0;) {
        tables.U8();
        uint32_t codes = 0;
        for (int i = 0; i < kCodeLengths; ++i) codes += tables.U8();
        if (codes > kMaxCodes) return false;
        tables.Skip(codes);
        left -= 1 + kCodeLengths + codes;
      }
    }
    reader.Skip(std::min<size_t>(length - 2, reader.Remaining()));
  }
  return true;
}

// The decoder's limit is on the byte count it is given.
bool FitsDecoder(std::span<const uint8_t> bytes) {
  return !bytes.empty() && bytes.size() <= static_cast<size_t>(INT_MAX);
}

std::optional<D3DXIMAGE_INFO> DecoderInfo(std::span<const uint8_t> bytes) {
  if (!FitsDecoder(bytes)) return std::nullopt;
  if (FileFormatOf(bytes) == D3DXIFF_PNG && !PngIsSafeToDecode(bytes)) return std::nullopt;
  if (FileFormatOf(bytes) == D3DXIFF_JPG && !JpegIsSafeToDecode(bytes)) return std::nullopt;
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                             &channels)) {
    return std::nullopt;
  }
  if (width <= 0 || height <= 0 || width > static_cast<int>(kMaxImageSide) ||
      height > static_cast<int>(kMaxImageSide)) {
    return std::nullopt;
  }
  return D3DXIMAGE_INFO{
      static_cast<UINT>(width), static_cast<UINT>(height), 1, 1, FormatOfChannels(channels),
      D3DRTYPE_TEXTURE,         FileFormatOf(bytes)};
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

}  // namespace

uint32_t ImageFile::LevelWidth(uint32_t level) const { return MipDimension(info.Width, level); }

uint32_t ImageFile::LevelHeight(uint32_t level) const { return MipDimension(info.Height, level); }

PixelView ImageFile::View(uint32_t face, uint32_t level) const {
  return PixelView{storedFormat, LevelWidth(level), LevelHeight(level),
                   RowPitch(storedFormat, LevelWidth(level)),
                   const_cast<uint8_t*>(levels[face][level].data())};
}

std::optional<D3DXIMAGE_INFO> ReadImageInfo(std::span<const uint8_t> bytes) {
  if (LooksLikeDds(bytes)) return ReadDdsInfo(bytes);
  return DecoderInfo(bytes);
}

std::optional<ImageFile> DecodeImageFile(std::span<const uint8_t> bytes) {
  if (LooksLikeDds(bytes)) return ReadDds(bytes);
  auto info = DecoderInfo(bytes);
  if (!info) return std::nullopt;
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(
      bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, STBI_rgb_alpha));
  if (!rgba || static_cast<UINT>(width) != info->Width ||
      static_cast<UINT>(height) != info->Height) {
    return std::nullopt;
  }
  ImageFile image;
  image.info = *info;
  image.storedFormat = D3DFMT_A8R8G8B8;
  // The decoder gives red, green, blue, alpha bytes; A8R8G8B8 stores blue, green, red, alpha.
  uint8_t* first = rgba.get();
  uint8_t* last = first + size_t{info->Width} * info->Height * 4;
  for (uint8_t* pixel = first; pixel != last; pixel += 4) std::swap(pixel[0], pixel[2]);
  std::vector<uint8_t> pixels(first, last);
  image.levels.push_back({std::move(pixels)});
  return image;
}

std::vector<uint8_t> EncodeBmp(const ArgbImage& image, bool keepAlpha) {
  uint32_t bytesPerPixel = keepAlpha ? 4 : 3;
  uint32_t rowBytes = image.width * bytesPerPixel;
  uint32_t paddedRow = (rowBytes + kBmpRowAlignment - 1) / kBmpRowAlignment * kBmpRowAlignment;
  uint32_t imageBytes = paddedRow * image.height;
  uint32_t offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;

  win::ByteWriter out;
  out.U8('B');
  out.U8('M');
  out.U32(offset + imageBytes);
  out.U16(0);
  out.U16(0);
  out.U32(offset);
  out.U32(kBmpInfoHeaderBytes);
  out.I32(static_cast<int32_t>(image.width));
  out.I32(static_cast<int32_t>(image.height));
  out.U16(1);
  out.U16(static_cast<uint16_t>(bytesPerPixel * 8));
  out.U32(0);
  out.U32(imageBytes);
  out.I32(kBmpPixelsPerMetre);
  out.I32(kBmpPixelsPerMetre);
  out.U32(0);
  out.U32(0);
  for (uint32_t row = image.height; row-- > 0;) {
    for (uint32_t x = 0; x < image.width; ++x) {
      uint32_t argb = image.At(x, row);
      out.U8(static_cast<uint8_t>(argb));
      out.U8(static_cast<uint8_t>(argb >> 8));
      out.U8(static_cast<uint8_t>(argb >> 16));
      if (keepAlpha) out.U8(static_cast<uint8_t>(argb >> 24));
    }
    for (uint32_t pad = rowBytes; pad < paddedRow; ++pad) out.U8(0);
  }
  return out.Data();
}

}  // namespace d3dx
