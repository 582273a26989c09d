// The start of an MP3 file: enough to refuse a file that is not one before the decoder sees it.
//
// An MP3 file is an optional ID3v2 tag ("ID3", two version bytes, a flags byte, then the tag's
// size as four 7-bit bytes, most significant first; a footer of ten more bytes when flag 0x10 is
// set) followed by MPEG audio frames back to back. Each frame opens with a 32-bit big-endian
// header: 11 sync bits, version (2 bits: 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1), layer (2 bits: 1 III,
// 2 II, 3 I), a protection bit, bit-rate index (4), sample-rate index (2), padding bit, a private
// bit, channel mode (2 bits: 3 mono), and six bits that do not matter here. The bit rate, sample
// rate and padding give the frame's length. A file is taken when its first frame is whole and is
// followed by the end of the file, a tag, or a second frame header of the same stream.
#pragma once

#include <cstdint>
#include <span>

namespace sound {

struct Mp3Format {
  int layer = 0;            // 1, 2 or 3
  uint32_t sampleRate = 0;  // frames per second
  uint16_t channels = 0;
  uint32_t firstFrameBytes = 0;
};

// The format of the first frame of the MP3 stream held in bytes; throws SoundError saying what
// is wrong otherwise.
Mp3Format ReadMp3Format(std::span<const uint8_t> bytes);

}  // namespace sound
