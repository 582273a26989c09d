#include "platform/sound/mp3_file.h"

#include <array>
#include <optional>
#include <string>

#include "platform/sound/sound_error.h"
#include "platform/win/byte_reader.h"

namespace sound {
namespace {

constexpr size_t kId3HeaderBytes = 10;
constexpr uint8_t kId3FooterFlag = 0x10;
constexpr size_t kFrameHeaderBytes = 4;

// Bit rates [kbit/s] by bit-rate index; index 0 (free format) and 15 are refused.
constexpr std::array<std::array<uint32_t, 15>, 5> kBitRates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // MPEG-2 and 2.5, layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144,
     160},  // MPEG-2 and 2.5, layers II, III
}};
// Sample rates [Hz] of MPEG-1 by index; MPEG-2 halves them and MPEG-2.5 quarters them.
constexpr std::array<uint32_t, 3> kMpeg1SampleRates = {44100, 48000, 32000};

constexpr int kMpeg2 = 2;
constexpr int kMpeg1 = 3;

[[noreturn]] void Refuse(const std::string& reason) {
  throw SoundError("not a playable MP3 file: " + reason);
}

struct FrameHeader {
  int version = 0;
  Mp3Format format;
};

std::optional<FrameHeader> ParseFrameHeader(std::span<const uint8_t, kFrameHeaderBytes> raw) {
  if (raw[0] != 0xFF || (raw[1] & 0xE0) != 0xE0) return std::nullopt;
  FrameHeader header;
  header.version = (raw[1] >> 3) & 3;
  int layerBits = (raw[1] >> 1) & 3;
  int bitRateIndex = raw[2] >> 4;
  int sampleRateIndex = (raw[2] >> 2) & 3;
  if (header.version == 1 || layerBits == 0 || bitRateIndex == 0 || bitRateIndex == 15 ||
      sampleRateIndex == 3) {
    return std::nullopt;
  }
  int layer = 4 - layerBits;
  size_t table = header.version == kMpeg1 ? static_cast<size_t>(layer - 1) : (layer == 1 ? 3 : 4);
  uint32_t bitRate = kBitRates[table][static_cast<size_t>(bitRateIndex)] * 1000;  // bit/s
  uint32_t divisor = header.version == kMpeg1 ? 1 : (header.version == kMpeg2 ? 2 : 4);
  uint32_t sampleRate = kMpeg1SampleRates[static_cast<size_t>(sampleRateIndex)] / divisor;
  uint32_t padding = (raw[2] >> 1) & 1;
  uint32_t frameBytes = 0;
  if (layer == 1) {
    frameBytes = (12 * bitRate / sampleRate + padding) * 4;
  } else {
    // Layer III of MPEG-2 and 2.5 carries half the samples per frame of the other layers.
    uint32_t factor = (layer == 3 && header.version != kMpeg1) ? 72 : 144;
    frameBytes = factor * bitRate / sampleRate + padding;
  }
  header.format = {layer, sampleRate, static_cast<uint16_t>((raw[3] >> 6) == 3 ? 1 : 2),
                   frameBytes};
  return header;
}

std::optional<FrameHeader> ReadFrameHeader(win::ByteReader& reader) {
  auto raw = reader.Bytes(kFrameHeaderBytes);
  if (raw.empty()) return std::nullopt;
  return ParseFrameHeader(raw.first<kFrameHeaderBytes>());
}

void SkipId3Tag(win::ByteReader& reader) {
  auto head = reader.Bytes(3);
  if (head.empty() || head[0] != 'I' || head[1] != 'D' || head[2] != '3') {
    reader.Seek(0);
    return;
  }
  reader.Skip(2);  // version
  uint8_t flags = reader.U8();
  uint32_t size = 0;
  for (int i = 0; i < 4; ++i) size = (size << 7) | (reader.U8() & 0x7F);
  if (flags & kId3FooterFlag) size += kId3HeaderBytes;
  if (!reader.Skip(size)) Refuse("the ID3 tag runs past the end of the file");
}

bool AtTag(win::ByteReader reader) {
  auto head = reader.Bytes(3);
  return !head.empty() && ((head[0] == 'T' && head[1] == 'A' && head[2] == 'G') ||
                           (head[0] == 'I' && head[1] == 'D' && head[2] == '3') ||
                           (head[0] == 'A' && head[1] == 'P' && head[2] == 'E'));
}

}  // namespace

Mp3Format ReadMp3Format(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  SkipId3Tag(reader);
  size_t frameStart = reader.Position();
  auto first = ReadFrameHeader(reader);
  if (!first) Refuse("no MPEG audio frame where the stream begins");
  if (!reader.Seek(frameStart) || !reader.Skip(first->format.firstFrameBytes))
    Refuse("the first frame is cut off");
  if (reader.Remaining() < kFrameHeaderBytes || AtTag(reader)) return first->format;
  auto second = ReadFrameHeader(reader);
  if (!second || second->version != first->version || second->format.layer != first->format.layer ||
      second->format.sampleRate != first->format.sampleRate) {
    Refuse("the second frame does not follow the first");
  }
  return first->format;
}

}  // namespace sound
