#include "platform/sound/wave_file.h"

#include <string>
#include <string_view>

#include "platform/sound/sound_error.h"
#include "platform/win/byte_reader.h"

namespace sound {
namespace {

constexpr uint16_t kIntegerPcm = 1;
constexpr uint16_t kIeeeFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;
constexpr uint16_t kMaxChannels = 8;
constexpr uint32_t kMaxSampleRate = 384000;  // frames per second

[[noreturn]] void Refuse(const std::string& reason) {
  throw SoundError("not a playable wave file: " + reason);
}

std::string_view FourCC(win::ByteReader& reader) {
  auto raw = reader.Bytes(4);
  return {reinterpret_cast<const char*>(raw.data()), raw.size()};
}

bool BitsFit(uint16_t encoding, uint16_t bits) {
  if (encoding == kIeeeFloat) return bits == 32 || bits == 64;
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

WaveFormat ReadFmt(win::ByteReader chunk) {
  WaveFormat format;
  format.encoding = chunk.U16();
  format.channels = chunk.U16();
  format.sampleRate = chunk.U32();
  chunk.U32();  // byte rate: derived, and often wrong in the wild
  format.blockAlign = chunk.U16();
  format.bitsPerSample = chunk.U16();
  if (!chunk.Ok()) Refuse("the format chunk is too short");
  if (format.encoding == kExtensible) {
    chunk.U16();                    // extension size
    chunk.U16();                    // valid bits per sample
    chunk.U32();                    // speaker positions
    format.encoding = chunk.U16();  // the sub-format GUID's first two bytes name the encoding
    if (!chunk.Ok()) Refuse("the extensible format chunk is too short");
  }
  if (format.encoding != kIntegerPcm && format.encoding != kIeeeFloat) {
    Refuse("encoding " + std::to_string(format.encoding) + " is compressed or unknown");
  }
  if (format.channels == 0 || format.channels > kMaxChannels) {
    Refuse(std::to_string(format.channels) + " channels");
  }
  if (format.sampleRate == 0 || format.sampleRate > kMaxSampleRate) {
    Refuse("a sample rate of " + std::to_string(format.sampleRate));
  }
  if (!BitsFit(format.encoding, format.bitsPerSample)) {
    Refuse(std::to_string(format.bitsPerSample) + " bits per sample");
  }
  if (format.blockAlign != format.channels * (format.bitsPerSample / 8)) {
    Refuse("a block align of " + std::to_string(format.blockAlign) + " bytes");
  }
  return format;
}

}  // namespace

std::chrono::nanoseconds WaveFormat::Length() const {
  constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
  // Frames fit in 32 bits, so the product stays below 2^63.
  return std::chrono::nanoseconds(static_cast<int64_t>(Frames()) * kNanosecondsPerSecond /
                                  sampleRate);
}

WaveFormat ReadWaveFormat(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  std::string_view riff = FourCC(reader);
  reader.U32();
  std::string_view wave = FourCC(reader);
  if (!reader.Ok() || riff != "RIFF" || wave != "WAVE") Refuse("no RIFF/WAVE header");

  bool haveFormat = false;
  WaveFormat format;
  while (!reader.AtEnd()) {
    std::string_view id = FourCC(reader);
    uint32_t size = reader.U32();
    if (!reader.Ok()) Refuse("a chunk header is cut off");
    if (size > reader.Remaining())
      Refuse("chunk \"" + std::string(id) + "\" runs past the end of the file");
    win::ByteReader chunk = reader.Sub(size);
    if (size % 2 == 1 && !reader.AtEnd()) reader.Skip(1);
    if (id == "fmt ") {
      format = ReadFmt(chunk);
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) Refuse("the data chunk comes before the format chunk");
      format.dataBytes = size - size % format.blockAlign;
      if (format.dataBytes == 0) Refuse("it holds no samples");
      return format;
    }
  }
  Refuse(haveFormat ? "no data chunk" : "no format chunk");
}

}  // namespace sound
