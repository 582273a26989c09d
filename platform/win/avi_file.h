// AVI movie files in the shape of the Video-for-Windows file functions: open a file, create a video
// stream in it, pick the compression options, wrap the stream in a compressed one, set its format
// and write frames. Only what movies of uncompressed 24-bit frames need is here: the compression
// options are always "uncompressed", and the compressed stream passes each frame through as given.
//
// The file written (numbers little-endian, 32-bit unless said otherwise; chunks padded to even
// sizes) is an AVI of OpenDML form, so that a movie can go on past the 1 GiB where many players
// stop reading a plain one: the frames come in RIFF lists of at most the RIFF size limit each.
//
//   RIFF <size> 'AVI '
//     LIST <size> 'hdrl'
//       'avih' 56: microseconds per frame, maximum bytes per second, padding 0, flags (0x10: has an
//                  index, set at close), frames in this first RIFF, initial frames 0, stream count
//                  1, suggested buffer size, width, height, 4 reserved words
//       LIST <size> 'strl'
//         'strh' 56: type 'vids', handler, flags 0, priority and language (two 16-bit 0), initial
//                    frames 0, scale, rate, start 0, length (all frames), suggested buffer size,
//                    quality -1, sample size 0, frame rectangle (four 16-bit numbers)
//         'strf' <size>: the stream format as set (a 40-byte bitmap header for video)
//         'indx' 24 + 16 x 256: the index of indexes: 16-bit 4 (words an entry), 8-bit 0, 8-bit 0
//                    (an index of indexes), entries in use, chunk id '00db', 3 reserved words, then
//                    per RIFF its 'ix00' chunk's file offset (64-bit), size and frame count
//       LIST <size> 'odml'
//         'dmlh' 248: all frames, then zeros
//     LIST <size> 'movi'
//       '00db' <size> <frame bytes>        one chunk per frame, in the order written
//       'ix00' <size>                      the standard index of this RIFF's frames, written when
//                                          the RIFF is full and at close: 16-bit 2, 8-bit 0, 8-bit
//                                          1 (an index of chunks), entries, '00db', the base (the
//                                          'movi' word's file offset, 64-bit), a reserved word,
//                                          then per frame its data's offset from the base and its
//                                          size (bit 31 set for a frame that is not a key frame)
//     'idx1' <size>                        the plain index of the first RIFF's frames: per frame
//                                          '00db', the flags (0x10 for a key frame), the chunk's
//                                          offset from the 'movi' word and the frame's size
//   RIFF <size> 'AVIX'                     each further RIFF: its frames and their 'ix00'
//     LIST <size> 'movi'
//       ...
//
// The headers are written with the first frame. After every frame the sizes of the RIFF and
// 'movi' lists being written, the frame counts and the stream length are brought up to date in the
// file, so a movie whose program never closed it still plays as far as it was written. A frame for
// which no RIFF is left (256 of them) is refused with AVIERR_FILETOOLARGE, and the movie, closed
// as usual, ends with the frames before it.
#pragma once

#include <cstdint>

#include "platform/win/window.h"

namespace win {

// Result codes: 0 for done, else negative. The numbers are this layer's own.
using AviResult = int32_t;
inline constexpr AviResult AVIERR_OK = 0;
inline constexpr AviResult MakeAviError(uint32_t code) {
  return static_cast<AviResult>(0x80044000u + code);
}
inline constexpr AviResult AVIERR_BADPARAM = MakeAviError(1);      // a null or unusable argument
inline constexpr AviResult AVIERR_BADHANDLE = MakeAviError(2);     // no such file or stream
inline constexpr AviResult AVIERR_FILEOPEN = MakeAviError(3);      // the file cannot be created
inline constexpr AviResult AVIERR_FILEWRITE = MakeAviError(4);     // a write to the file failed
inline constexpr AviResult AVIERR_BADFORMAT = MakeAviError(5);     // no format, or set twice
inline constexpr AviResult AVIERR_BADMODE = MakeAviError(6);       // open modes other than 0x1001
inline constexpr AviResult AVIERR_FILETOOLARGE = MakeAviError(7);  // no RIFF list left
inline constexpr AviResult AVIERR_ORDER = MakeAviError(8);  // a frame not at the next position
inline constexpr AviResult AVIERR_BADSIZE =
    MakeAviError(9);  // a frame of another size than the movie's

// The version the file functions report: major in the high 16 bits, minor in the low.
inline constexpr uint32_t kVideoForWindowsVersion = 0x010A0000;
uint32_t VideoForWindowsVersion();

// Open modes: write, and create the file (truncating one that exists).
inline constexpr uint32_t OF_WRITE = 0x0001;
inline constexpr uint32_t OF_CREATE = 0x1000;

// Flags of AVIStreamWrite: the frame is a key frame.
inline constexpr uint32_t AVIIF_KEYFRAME = 0x10;

inline constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
         static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
inline constexpr uint32_t streamtypeVIDEO = MakeFourCC('v', 'i', 'd', 's');

// What a stream is created with.
struct AVISTREAMINFOA {
  uint32_t fccType = 0;
  uint32_t fccHandler = 0;
  uint32_t dwScale = 0;  // dwRate / dwScale is the frames per second
  uint32_t dwRate = 0;
  uint32_t dwSuggestedBufferSize = 0;  // bytes
  RECT rcFrame;
};

// The frames of a video stream: a 40-byte bitmap header (BI_RGB: no compression).
struct BITMAPINFOHEADER {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: rows from the bottom up
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;  // bytes
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// The compression options of one stream, as the options dialog fills them.
struct AVICOMPRESSOPTIONS {
  uint32_t fccType = 0;
  uint32_t fccHandler = 0;  // 0: uncompressed
};

struct AviFile;
struct AviStream;
using PAVIFILE = AviFile*;
using PAVISTREAM = AviStream*;

void AVIFileInit();
void AVIFileExit();
// Creates the file; the movie is written to it as frames come.
AviResult AVIFileOpenA(PAVIFILE* file, const char* path, uint32_t mode, const void* handler);
// Finishes the movie (index, sizes) and closes the file; returns the references left.
uint32_t AVIFileRelease(PAVIFILE file);
// One video stream per file.
AviResult AVIFileCreateStream(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info);
// The compression-options dialog. Linux has none: the options are uncompressed frames, and the
// answer is the one set by SetAviSaveOptionsAnswer (accepted unless set otherwise). Returns true
// when accepted, false for a cancel.
bool AVISaveOptions(void* owner, uint32_t flags, int32_t streamCount, PAVISTREAM* streams,
                    AVICOMPRESSOPTIONS** options);
// A stream that compresses into source with the options; uncompressed options pass frames through.
AviResult AVIMakeCompressedStream(PAVISTREAM* compressed, PAVISTREAM source,
                                  const AVICOMPRESSOPTIONS* options, const void* handler);
// The stream's format: set once, before the first frame.
AviResult AVIStreamSetFormat(PAVISTREAM stream, int32_t position, const void* format,
                             int32_t formatSize);
// Appends one frame at position (which must be the next one); samplesWritten and bytesWritten may
// be null.
AviResult AVIStreamWrite(PAVISTREAM stream, int32_t position, int32_t samples, const void* data,
                         int32_t size, uint32_t flags, int32_t* samplesWritten,
                         int32_t* bytesWritten);
// Returns the references left.
uint32_t AVIStreamRelease(PAVISTREAM stream);

// What the options dialog answers from now on: true accepts, false stands for the user's cancel.
void SetAviSaveOptionsAnswer(bool accept);
// The largest RIFF list the writer makes, in bytes (default kAviRiffSizeLimit).
inline constexpr uint64_t kAviRiffSizeLimit = 1ull << 30;
inline constexpr uint32_t kAviRiffLimit = 256;  // RIFF lists of a file
void SetAviRiffSizeLimit(uint64_t bytes);

}  // namespace win
