#include "platform/d3dx/image_file.h"

#include <spng.h>
#include <stb/stb_image.h>
#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cstring>
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
constexpr uint8_t kOpaque = 0xFF;             // alpha

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

std::optional<D3DXIMAGE_INFO> InfoOf(uint64_t width, uint64_t height, D3DFORMAT format,
                                     D3DXIMAGE_FILEFORMAT fileFormat) {
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
    return std::nullopt;
  }
  return D3DXIMAGE_INFO{static_cast<UINT>(width),
                        static_cast<UINT>(height),
                        1,
                        1,
                        format,
                        D3DRTYPE_TEXTURE,
                        fileFormat};
}

bool IsSizeOf(const PixelView& destination, const D3DXIMAGE_INFO& info) {
  return destination.width == info.Width && destination.height == info.Height;
}

// A decoder of one file type into memory of the file's size in any format it writes itself.
using Decoder = bool (*)(std::span<const uint8_t> bytes, const PixelView& destination);

// Formats a decoder does not write itself are converted from an ARGB image of the file.
bool DecodeThroughArgb(std::span<const uint8_t> bytes, const PixelView& destination,
                       Decoder decode) {
  ArgbImage image(destination.width, destination.height);
  return decode(bytes, ViewOf(image)) && WritePixels(image, destination, nullptr);
}

// ---- JPEG, through libjpeg-turbo

// JPEG files are marker segments (0xFF, a code, a big-endian length that counts itself, data).
// The frame header (a start-of-frame segment: precision, height, width, component count) comes
// before the first scan.
struct JpegFrame {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t components = 0;
};

uint32_t BigEndian16(win::ByteReader& reader) {
  uint32_t high = reader.U8();
  return high << 8 | reader.U8();
}

std::optional<JpegFrame> ReadJpegFrame(std::span<const uint8_t> bytes) {
  constexpr uint8_t kMarker = 0xFF, kTemporary = 0x01, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
  constexpr uint8_t kFirstRestart = 0xD0, kLastRestart = 0xD7;
  constexpr uint8_t kFirstFrame = 0xC0, kLastFrame = 0xCF;
  constexpr uint8_t kHuffmanTables = 0xC4, kArithmeticConditioning = 0xCC, kExtension = 0xC8;
  win::ByteReader reader(bytes);
  reader.Skip(2);  // start of image
  while (reader.Remaining() >= 2) {
    if (reader.U8() != kMarker) continue;  // stray bytes, which the decoder skips too
    uint8_t code = reader.U8();
    if (code == kMarker) {
      reader.Seek(reader.Position() - 1);  // fill byte: the next 0xFF may start the marker
      continue;
    }
    if (code == kTemporary || (code >= kFirstRestart && code <= kLastRestart)) continue;
    if (code == kStartOfScan || code == kEndOfImage) break;
    uint32_t length = BigEndian16(reader);
    if (!reader.Ok() || length < 2) break;
    bool frame = code >= kFirstFrame && code <= kLastFrame && code != kHuffmanTables &&
                 code != kExtension && code != kArithmeticConditioning;
    if (frame) {
      reader.U8();  // precision
      JpegFrame found;
      found.height = BigEndian16(reader);
      found.width = BigEndian16(reader);
      found.components = reader.U8();
      if (!reader.Ok()) break;
      return found;
    }
    reader.Skip(std::min<size_t>(length - 2, reader.Remaining()));
  }
  return std::nullopt;
}

std::optional<D3DXIMAGE_INFO> JpegInfo(const JpegFrame& frame) {
  return InfoOf(frame.width, frame.height, frame.components == 1 ? D3DFMT_L8 : D3DFMT_R8G8B8,
                D3DXIFF_JPG);
}

struct TurboFree {
  void operator()(void* handle) const { tjDestroy(handle); }
};

bool Decompress(std::span<const uint8_t> bytes, const PixelView& destination, int pixelFormat) {
  std::unique_ptr<void, TurboFree> handle(tjInitDecompress());
  if (!handle) return false;
  // Progressive files are held to a bounded number of scans, so that a small hostile file cannot
  // keep the decoder busy for minutes.
  int result =
      tjDecompress2(handle.get(), bytes.data(), bytes.size(), destination.bits,
                    static_cast<int>(destination.width), static_cast<int>(destination.pitch),
                    static_cast<int>(destination.height), pixelFormat, TJFLAG_LIMITSCANS);
  // Damage the decoder reads past (a scan cut short, stray bytes) is only a warning: the picture
  // stands as far as it goes, the rest grey.
  return result == 0 || tjGetErrorCode(handle.get()) == TJERR_WARNING;
}

// Four-component files hold CMYK stored inverted, the way Adobe writes it, and come out of the
// decoder as stored: each colour is then its own value times black's, over 255.
bool DecodeCmykJpeg(std::span<const uint8_t> bytes, const PixelView& destination) {
  constexpr uint32_t kFull = 255;
  std::vector<uint8_t> cmyk(size_t{destination.width} * destination.height * 4);
  PixelView inks{D3DFMT_UNKNOWN, destination.width, destination.height,
                 size_t{destination.width} * 4, cmyk.data()};
  if (!Decompress(bytes, inks, TJPF_CMYK)) return false;
  ArgbImage image(destination.width, destination.height);
  const uint8_t* ink = cmyk.data();
  for (uint32_t& pixel : image.pixels) {
    uint32_t black = ink[3];
    pixel = uint32_t{kOpaque} << 24 | (ink[0] * black / kFull) << 16 |
            (ink[1] * black / kFull) << 8 | ink[2] * black / kFull;
    ink += 4;
  }
  return WritePixels(image, destination, nullptr);
}

bool DecodeJpeg(std::span<const uint8_t> bytes, const PixelView& destination) {
  auto frame = ReadJpegFrame(bytes);
  auto info = frame ? JpegInfo(*frame) : std::nullopt;
  if (!info || !IsSizeOf(destination, *info)) return false;
  if (frame->components == 4) return DecodeCmykJpeg(bytes, destination);
  switch (destination.format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return Decompress(bytes, destination, TJPF_BGRA);
    case D3DFMT_R8G8B8:
      return Decompress(bytes, destination, TJPF_BGR);
    case D3DFMT_L8:
      if (info->Format == D3DFMT_L8) return Decompress(bytes, destination, TJPF_GRAY);
      break;
    default:
      break;
  }
  return DecodeThroughArgb(bytes, destination, DecodeJpeg);
}

// ---- PNG, through libspng

struct SpngFree {
  void operator()(spng_ctx* png) const { spng_ctx_free(png); }
};
using PngReader = std::unique_ptr<spng_ctx, SpngFree>;

constexpr uint8_t kPngGrey = 0, kPngGreyAlpha = 4, kPngRgba = 6;
constexpr uint8_t kPngMaxGreyBits = 8;  // deeper grey has no 8-bit grey output

// The file's header; the decoder reads the chunks up to the pixels to learn whether a
// transparency chunk gives the colours an alpha.
struct PngHeader {
  PngReader png;
  spng_ihdr ihdr{};
  D3DXIMAGE_INFO info{};
};

std::optional<PngHeader> ReadPngHeader(std::span<const uint8_t> bytes) {
  PngHeader header{PngReader(spng_ctx_new(0))};
  spng_ctx* png = header.png.get();
  // Checksums are not checked, as they never were here: a file with a wrong one still loads.
  if (png == nullptr || spng_set_crc_action(png, SPNG_CRC_USE, SPNG_CRC_USE) != 0 ||
      spng_set_image_limits(png, kMaxImageSide, kMaxImageSide) != 0 ||
      spng_set_png_buffer(png, bytes.data(), bytes.size()) != 0 ||
      spng_get_ihdr(png, &header.ihdr) != 0) {
    return std::nullopt;
  }
  spng_trns transparency{};
  int found = spng_get_trns(png, &transparency);
  if (found != 0 && found != SPNG_ECHUNKAVAIL) return std::nullopt;
  uint8_t type = header.ihdr.color_type;
  D3DFORMAT format = D3DFMT_R8G8B8;
  if (found == 0 || type == kPngGreyAlpha || type == kPngRgba) {
    format = D3DFMT_A8R8G8B8;
  } else if (type == kPngGrey) {
    format = D3DFMT_L8;
  }
  auto info = InfoOf(header.ihdr.width, header.ihdr.height, format, D3DXIFF_PNG);
  if (!info) return std::nullopt;
  header.info = *info;
  return header;
}

// The decoder writes red, green, blue (and alpha) bytes; the device's formats store blue first.
// alpha is ORed into four-byte pixels: all ones make X8R8G8B8's unused byte what every other
// writer leaves there.
uint32_t BlueFirst(uint32_t redFirst, uint32_t alpha) {
  return (redFirst & 0xFF00FF00u) | (redFirst >> 16 & 0xFFu) | (redFirst & 0xFFu) << 16 | alpha;
}

// Eight pixels as one value, for the pass below: the compiler keeps it in a vector register.
using EightPixels = uint32_t __attribute__((vector_size(32)));

// The pass over every pixel is a few percent of a PNG load; where the processor has 256-bit
// vectors it takes eight pixels in one operation.
__attribute__((target_clones("avx2", "default"))) void SwapRedAndBlue(uint8_t* row, uint32_t width,
                                                                      uint32_t bytesPerPixel,
                                                                      uint32_t alpha) {
  if (bytesPerPixel != sizeof(uint32_t)) {
    for (uint8_t* pixel = row; pixel != row + size_t{width} * bytesPerPixel; pixel += bytesPerPixel)
      std::swap(pixel[0], pixel[2]);
    return;
  }
  constexpr uint32_t kBlock = sizeof(EightPixels) / sizeof(uint32_t);
  uint32_t x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    EightPixels block;
    std::memcpy(&block, row + size_t{x} * sizeof(uint32_t), sizeof block);
    block = (block & 0xFF00FF00u) | (block >> 16 & 0xFFu) | (block & 0xFFu) << 16 | alpha;
    std::memcpy(row + size_t{x} * sizeof(uint32_t), &block, sizeof block);
  }
  for (; x < width; ++x) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, row + size_t{x} * sizeof(uint32_t), sizeof pixel);
    pixel = BlueFirst(pixel, alpha);
    std::memcpy(row + size_t{x} * sizeof(uint32_t), &pixel, sizeof pixel);
  }
}

bool DecodePng(std::span<const uint8_t> bytes, const PixelView& destination) {
  auto header = ReadPngHeader(bytes);
  if (!header || !IsSizeOf(destination, header->info)) return false;
  int format = 0, flags = SPNG_DECODE_PROGRESSIVE;
  uint32_t bytesPerPixel = 0;
  bool swap = true;
  switch (destination.format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      format = SPNG_FMT_RGBA8;
      flags |= SPNG_DECODE_TRNS;
      bytesPerPixel = 4;
      break;
    case D3DFMT_R8G8B8:
      format = SPNG_FMT_RGB8;
      bytesPerPixel = 3;
      break;
    case D3DFMT_L8:
      if (header->ihdr.color_type == kPngGrey && header->ihdr.bit_depth <= kPngMaxGreyBits) {
        format = SPNG_FMT_G8;
        bytesPerPixel = 1;
        swap = false;
      }
      break;
    default:
      break;
  }
  if (format == 0) return DecodeThroughArgb(bytes, destination, DecodePng);
  spng_ctx* png = header->png.get();
  if (spng_decode_image(png, nullptr, 0, format, flags) != 0) return false;
  // Rows come one at a time into their place and are reordered while they are in the cache. An
  // interlaced file comes back to each row in later passes, so its rows are reordered once all are
  // in.
  bool interlaced = header->ihdr.interlace_method != 0;
  uint32_t alpha = destination.format == D3DFMT_X8R8G8B8 ? uint32_t{kOpaque} << 24 : 0;
  size_t rowBytes = size_t{destination.width} * bytesPerPixel;
  int result = 0;
  do {
    spng_row_info row{};
    if (spng_get_row_info(png, &row) != 0) return false;
    uint8_t* bits = destination.bits + row.row_num * destination.pitch;
    result = spng_decode_row(png, bits, rowBytes);
    if (swap && !interlaced) SwapRedAndBlue(bits, destination.width, bytesPerPixel, alpha);
  } while (result == 0);
  if (result != SPNG_EOI) return false;
  if (swap && interlaced) {
    for (uint32_t y = 0; y < destination.height; ++y) {
      SwapRedAndBlue(destination.bits + y * destination.pitch, destination.width, bytesPerPixel,
                     alpha);
    }
  }
  return true;
}

// ---- BMP, TGA and PPM, through the stb decoder

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

// The decoder's limit is on the byte count it is given.
bool FitsStb(std::span<const uint8_t> bytes) {
  return !bytes.empty() && bytes.size() <= static_cast<size_t>(INT_MAX);
}

std::optional<D3DXIMAGE_INFO> StbInfo(std::span<const uint8_t> bytes) {
  int width = 0, height = 0, channels = 0;
  if (!FitsStb(bytes) ||
      !stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                             &channels) ||
      width <= 0 || height <= 0) {
    return std::nullopt;
  }
  return InfoOf(static_cast<uint64_t>(width), static_cast<uint64_t>(height),
                FormatOfChannels(channels), FileFormatOf(bytes));
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

bool DecodeWithStb(std::span<const uint8_t> bytes, const PixelView& destination) {
  if (!FitsStb(bytes)) return false;
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(
      bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, STBI_rgb_alpha));
  if (!rgba || static_cast<uint32_t>(width) != destination.width ||
      static_cast<uint32_t>(height) != destination.height) {
    return false;
  }
  ArgbImage image(destination.width, destination.height);
  const uint8_t* from = rgba.get();
  for (uint32_t& pixel : image.pixels) {
    pixel = uint32_t{from[3]} << 24 | uint32_t{from[0]} << 16 | uint32_t{from[1]} << 8 | from[2];
    from += 4;
  }
  return WritePixels(image, destination, nullptr);
}

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
  switch (FileFormatOf(bytes)) {
    case D3DXIFF_PNG: {
      auto header = ReadPngHeader(bytes);
      if (!header) return std::nullopt;
      return header->info;
    }
    case D3DXIFF_JPG: {
      auto frame = ReadJpegFrame(bytes);
      if (!frame) return std::nullopt;
      return JpegInfo(*frame);
    }
    default:
      return StbInfo(bytes);
  }
}

bool DecodeImageInto(std::span<const uint8_t> bytes, const PixelView& destination) {
  if (LooksLikeDds(bytes) || !IsConvertibleFormat(destination.format)) return false;
  switch (FileFormatOf(bytes)) {
    case D3DXIFF_PNG:
      return DecodePng(bytes, destination);
    case D3DXIFF_JPG:
      return DecodeJpeg(bytes, destination);
    default:
      return DecodeWithStb(bytes, destination);
  }
}

std::optional<ImageFile> DecodeImageFile(std::span<const uint8_t> bytes) {
  if (LooksLikeDds(bytes)) return ReadDds(bytes);
  auto info = ReadImageInfo(bytes);
  if (!info) return std::nullopt;
  ImageFile image;
  image.info = *info;
  image.storedFormat = D3DFMT_A8R8G8B8;
  image.levels = {{std::vector<uint8_t>(SurfaceSize(D3DFMT_A8R8G8B8, info->Width, info->Height))}};
  if (!DecodeImageInto(bytes, image.View(0, 0))) return std::nullopt;
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
