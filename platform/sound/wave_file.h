// The header of a wave file: what the sound buffers need to know before they play one.
//
// A wave file is a RIFF file: "RIFF", a 32-bit size, "WAVE", then chunks, each a four-character
// id, a 32-bit little-endian size and that many bytes, plus one pad byte when the size is odd.
// Two chunks matter and "fmt " must come before "data":
//   "fmt ": encoding (16 bits; 1 integer PCM, 3 IEEE float, 0xFFFE extensible, whose sub-format
//           GUID starts with 1 or 3 likewise), channels (16), sample rate (32, frames per second),
//           byte rate (32, not relied on), block align (16, bytes per frame), bits per sample
//           (16), then for extensible formats a 16-bit extension size and the extension.
//   "data": the frames, block align bytes each.
// Other chunks (lists, facts, cue points) are skipped. The size in the RIFF header is not relied
// on, since tools that write to a pipe leave it wrong; every chunk must lie inside the file.
// Compressed encodings (ADPCM, mu-law, ...) are refused.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace sound {

struct WaveFormat {
  uint16_t encoding = 0;  // 1 integer PCM or 3 IEEE float, after resolving extensible
  uint16_t channels = 0;
  uint32_t sampleRate = 0;  // frames per second
  uint16_t blockAlign = 0;  // bytes per frame
  uint16_t bitsPerSample = 0;
  uint32_t dataBytes = 0;  // whole frames only; a trailing partial frame is not counted

  uint32_t Frames() const { return dataBytes / blockAlign; }
  // How long one pass of the sound plays.
  std::chrono::nanoseconds Length() const;
};

// The format of the wave file held in bytes; throws SoundError saying what is wrong with it.
WaveFormat ReadWaveFormat(std::span<const uint8_t> bytes);

}  // namespace sound
