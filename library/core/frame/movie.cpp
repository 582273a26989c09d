// Movie capture: frames of a surface (the back buffer, as a rule) recorded as an AVI movie of
// uncompressed 24-bit frames, or dumped raw, byte for byte as the surface holds them.
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/vortanautil.h"
#include "platform/win/avi_file.h"

using namespace d3d;

namespace {

constexpr int32_t kKeyFrameInterval = 30;  // frames
constexpr uint16_t kFrameBits = 24;        // bits per pixel of the movie's frames
constexpr uint32_t kFrameBytesPerPixel = 3;
constexpr uint32_t kRowAlignment = 4;  // bytes: players read the rows of a 24-bit frame so padded

struct Movie {
  bool open = false;
  bool cancelled = false;  // the options were refused: the file stays empty and is removed
  std::filesystem::path path;
  win::PAVIFILE file = nullptr;
  win::PAVISTREAM stream = nullptr;
  win::PAVISTREAM compressed = nullptr;
  uint32_t width = 0;  // pixels
  uint32_t height = 0;
  int32_t depth = 0;  // bits per pixel of the surfaces recorded
  int32_t frameCounter = 0;
  win::BITMAPINFOHEADER format;
  std::vector<uint8_t> frame;  // one frame as written, reused for every frame
};

Movie movie;
FILE* rawDump = nullptr;

uint32_t RowBytes(uint32_t width) {
  return (width * kFrameBytesPerPixel + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

// One channel of a 16-bit pixel: where it lies and how far it is shifted up to 8 bits.
struct Channel {
  uint16_t mask;
  int down;  // to its lowest bit
  int up;    // 8 minus its width
};

constexpr Channel MakeChannel(uint16_t mask) {
  return {mask, std::countr_zero(mask), 8 - std::popcount(mask)};
}

// Blue, green, red of the 16-bit formats, or false for any other format.
bool ChannelsOf(D3DFORMAT format, Channel (&channels)[3]) {
  switch (format) {
    case D3DFMT_R5G6B5:
      channels[0] = MakeChannel(0x001F);
      channels[1] = MakeChannel(0x07E0);
      channels[2] = MakeChannel(0xF800);
      return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      channels[0] = MakeChannel(0x001F);
      channels[1] = MakeChannel(0x03E0);
      channels[2] = MakeChannel(0x7C00);
      return true;
    default:
      return false;
  }
}

bool IsFrameFormat(int32_t depth, D3DFORMAT format) {
  Channel unused[3];
  if (depth == 16) return ChannelsOf(format, unused);
  return depth == 32 && (format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8);
}

// Fills movie.frame from locked pixels, the bottom row of the surface first.
void BuildFrame(const D3DSURFACE_DESC& desc, const D3DLOCKED_RECT& locked) {
  const uint32_t rowBytes = RowBytes(movie.width);
  const auto* bits = static_cast<const uint8_t*>(locked.pBits);
  Channel channels[3];
  const bool sixteen = ChannelsOf(desc.Format, channels);
  for (uint32_t row = 0; row < movie.height; ++row) {
    const uint8_t* source =
        bits + static_cast<size_t>(movie.height - 1 - row) * static_cast<size_t>(locked.Pitch);
    uint8_t* target = movie.frame.data() + static_cast<size_t>(row) * rowBytes;
    for (uint32_t x = 0; x < movie.width; ++x, target += kFrameBytesPerPixel) {
      if (sixteen) {
        uint16_t pixel;
        std::memcpy(&pixel, source + 2 * x, sizeof pixel);
        for (int c = 0; c < 3; ++c) {
          target[c] = static_cast<uint8_t>(((pixel & channels[c].mask) >> channels[c].down)
                                           << channels[c].up);
        }
      } else {
        // 0x00RRGGBB in memory order: blue, green, red, unused.
        std::memcpy(target, source + 4 * x, kFrameBytesPerPixel);
      }
    }
  }
}

void CloseRawDump() {
  if (rawDump != nullptr) std::fclose(rawDump);
  rawDump = nullptr;
}

// Releases whatever the movie holds; an unfinished open removes the file it made.
void ReleaseMovie(bool removeFile) {
  win::AVIStreamRelease(movie.compressed);
  win::AVIStreamRelease(movie.stream);
  win::AVIFileRelease(movie.file);
  if (movie.file != nullptr) win::AVIFileExit();
  if (removeFile) {
    std::error_code ignored;
    std::filesystem::remove(movie.path, ignored);
  }
  movie = Movie{};
}

// Whatever is open when the library unloads is finished and closed, so the movie plays.
struct CloseAtUnload {
  ~CloseAtUnload() {
    System_CloseMovie();
    CloseRawDump();
  }
} closeAtUnload;

}  // namespace

int32_t System_OpenMovie(const char* fileName, int32_t width, int32_t height, int32_t depth,
                         int32_t framesPerSecond) {
  if (movie.open) System_CloseMovie();
  if (fileName == nullptr || fileName[0] == '\0' || width <= 0 || height <= 0 ||
      (depth != 16 && depth != 32) || framesPerSecond <= 0) {
    return win::AVIERR_BADPARAM;
  }
  movie.width = static_cast<uint32_t>(width);
  movie.height = static_cast<uint32_t>(height);
  movie.depth = depth;
  movie.frameCounter = 0;
  const uint32_t frameBytes = RowBytes(movie.width) * movie.height;
  movie.format.biWidth = width;
  movie.format.biHeight = height;
  movie.format.biBitCount = kFrameBits;
  movie.format.biSizeImage = frameBytes;

  const uint32_t version = win::VideoForWindowsVersion();
  if (version < win::kVideoForWindowsVersion) return static_cast<int32_t>(version >> 16);

  win::AVIFileInit();
  movie.path = HostPath(fileName);
  win::AviResult result =
      win::AVIFileOpenA(&movie.file, movie.path.c_str(), win::OF_WRITE | win::OF_CREATE, nullptr);
  if (result != win::AVIERR_OK) {
    win::AVIFileExit();
    movie = Movie{};
    return result;
  }
  win::AVISTREAMINFOA info;
  info.fccType = win::streamtypeVIDEO;
  info.fccHandler = 0;
  info.dwScale = 1;
  info.dwRate = static_cast<uint32_t>(framesPerSecond);
  info.dwSuggestedBufferSize = frameBytes;
  info.rcFrame = {0, 0, width, height};
  result = win::AVIFileCreateStream(movie.file, &movie.stream, &info);
  if (result != win::AVIERR_OK) {
    ReleaseMovie(true);
    return result;
  }
  movie.open = true;
  win::AVICOMPRESSOPTIONS options;
  win::AVICOMPRESSOPTIONS* optionList[] = {&options};
  if (!win::AVISaveOptions(nullptr, 0, 1, &movie.stream, optionList)) {
    movie.cancelled = true;
    return 0;
  }
  result = win::AVIMakeCompressedStream(&movie.compressed, movie.stream, &options, nullptr);
  if (result == win::AVIERR_OK) {
    result = win::AVIStreamSetFormat(movie.compressed, 0, &movie.format, sizeof movie.format);
  }
  if (result != win::AVIERR_OK) {
    ReleaseMovie(true);
    return result;
  }
  movie.frame.assign(frameBytes, 0);
  return 0;
}

int32_t System_SaveMovieFrame(IDirect3DSurface8** surface) {
  // After a cancel there is no stream to write to.
  if (!movie.open || movie.compressed == nullptr) return win::AVIERR_BADHANDLE;
  if (surface == nullptr || *surface == nullptr) return win::AVIERR_BADPARAM;
  D3DSURFACE_DESC desc{};
  HRESULT result = (*surface)->GetDesc(&desc);
  if (FAILED(result)) return result;
  if (!IsFrameFormat(movie.depth, desc.Format)) return win::AVIERR_BADFORMAT;
  if (desc.Width != movie.width || desc.Height != movie.height) return win::AVIERR_BADSIZE;
  D3DLOCKED_RECT locked{};
  result = (*surface)->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  BuildFrame(desc, locked);
  (*surface)->UnlockRect();
  const uint32_t flags = movie.frameCounter % kKeyFrameInterval == 0 ? win::AVIIF_KEYFRAME : 0;
  result = win::AVIStreamWrite(movie.compressed, movie.frameCounter, 1, movie.frame.data(),
                               static_cast<int32_t>(movie.frame.size()), flags, nullptr, nullptr);
  if (result != win::AVIERR_OK) return result;
  ++movie.frameCounter;
  return 0;
}

int32_t System_CloseMovie() {
  if (!movie.open) return win::AVIERR_BADHANDLE;
  ReleaseMovie(movie.cancelled);
  return 0;
}

int32_t VideoSystem_Open(const char* fileName, int32_t first, int32_t second, int32_t third) {
  CloseRawDump();
  if (fileName == nullptr || fileName[0] == '\0') return 0;
  rawDump = std::fopen(HostPath(fileName).c_str(), "wb");
  if (rawDump == nullptr) return 0;
  const int32_t header[] = {third, first, second};
  size_t written = 0;
  for (const int32_t value : header) written = std::fwrite(&value, sizeof value, 1, rawDump);
  std::fflush(rawDump);
  return static_cast<int32_t>(written);
}

int32_t VideoSystem_AddFrame(IDirect3DSurface8** surface) {
  if (rawDump == nullptr) return E_FAIL;
  if (surface == nullptr || *surface == nullptr) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc{};
  HRESULT result = (*surface)->GetDesc(&desc);
  if (FAILED(result)) return result;
  D3DLOCKED_RECT locked{};
  result = (*surface)->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  // Never more than the lock reaches.
  const size_t lockedBytes = static_cast<size_t>(locked.Pitch) * desc.Height;
  const size_t bytes = desc.Size < lockedBytes ? desc.Size : lockedBytes;
  const bool written =
      std::fwrite(locked.pBits, 1, bytes, rawDump) == bytes && std::fflush(rawDump) == 0;
  result = (*surface)->UnlockRect();
  return written ? result : E_FAIL;
}
