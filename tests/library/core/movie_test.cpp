// Movies and raw dumps of the library's surfaces, read back with a RIFF parser of the tests' own
// and, where it is installed, with a standard reader (ffprobe and ffmpeg).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "library_fixture.h"
#include "platform/win/avi_file.h"
#include "platform/win/byte_reader.h"

namespace {

using namespace d3d;

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The output of a command, or nothing when it did not run.
std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  if (!pipe) return output;
  char buffer[4096];
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
    output.append(buffer, read);
  }
  return output;
}

bool HaveFfmpeg() { return std::system("command -v ffprobe ffmpeg > /dev/null 2>&1") == 0; }

// What ffprobe says of the movie's stream, its warnings (of a bad index, say) included.
std::string Probe(const std::string& file) {
  return CommandOutput(
      "ffprobe -v warning -count_frames -show_entries "
      "stream=codec_type,codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames "
      "-of default=noprint_wrappers=1 '" +
      file + "' 2>&1");
}

// The first frames of the movie as ffmpeg decodes them: rows top down, red, green, blue.
std::vector<uint8_t> Decode(const std::string& file, int frames) {
  const std::string rgb = file + ".rgb";
  const std::string command = "ffmpeg -v error -y -i '" + file + "' -frames:v " +
                              std::to_string(frames) + " -f rawvideo -pix_fmt rgb24 '" + rgb + "'";
  if (std::system(command.c_str()) != 0) return {};
  return ReadAll(rgb);
}

uint32_t FourCC(const char* text) { return win::MakeFourCC(text[0], text[1], text[2], text[3]); }

// A RIFF AVI file parsed chunk by chunk; every size is checked against what holds it.
struct Avi {
  struct Chunk {
    uint32_t id;
    size_t offset;  // of the chunk's data in the file
    std::vector<uint8_t> data;
  };
  bool valid = false;
  int riffs = 0;
  uint32_t riffSize = 0;  // of the first
  std::vector<uint8_t> mainHeader, streamHeader, streamFormat;
  size_t moviWord = 0;
  std::vector<Chunk> frames;
  std::vector<uint8_t> index;  // 'idx1'
  bool hasIndex = false;
  std::vector<uint8_t> superIndex;
  std::vector<std::vector<uint8_t>> chunkIndexes;  // 'ix00', one a RIFF list

  // The first RIFF list is 'AVI ', every further one 'AVIX'; together they fill the file.
  explicit Avi(const std::vector<uint8_t>& bytes) {
    win::ByteReader file(bytes);
    while (file.Ok() && !file.AtEnd()) {
      const size_t start = file.Position();
      if (file.U32() != FourCC("RIFF")) return;
      const uint32_t size = file.U32();
      const uint32_t type = file.U32();
      if (type != FourCC(riffs == 0 ? "AVI " : "AVIX") || start + 8 + size > bytes.size()) return;
      if (riffs++ == 0) riffSize = size;
      if (!Walk(file, start + 12, start + 8 + size)) return;
    }
    valid = file.Ok() && riffs > 0;
  }

  bool Walk(win::ByteReader& reader, size_t start, size_t end) {
    reader.Seek(start);
    while (reader.Ok() && reader.Position() < end) {
      const uint32_t id = reader.U32();
      const uint32_t size = reader.U32();
      const size_t data = reader.Position();
      if (!reader.Ok() || data + size > end) return false;
      if (id == FourCC("LIST")) {
        const uint32_t type = reader.U32();
        if (type == FourCC("movi") && moviWord == 0) moviWord = data;
        if (!Walk(reader, data + 4, data + size)) return false;
      } else {
        auto bytes = reader.Bytes(size);
        std::vector<uint8_t> copy(bytes.begin(), bytes.end());
        if (id == FourCC("avih")) mainHeader = copy;
        if (id == FourCC("strh")) streamHeader = copy;
        if (id == FourCC("strf")) streamFormat = copy;
        if (id == FourCC("00db")) frames.push_back({id, data, copy});
        if (id == FourCC("ix00")) chunkIndexes.push_back(copy);
        if (id == FourCC("indx")) superIndex = copy;
        if (id == FourCC("idx1")) {
          index = copy;
          hasIndex = true;
        }
      }
      reader.Seek(data + size + (size & 1u));
    }
    return reader.Ok();
  }

  static uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
  }
  uint32_t FrameCount() const { return Word(mainHeader, 16); }  // of the first RIFF list
  uint32_t Rate() const { return Word(streamHeader, 24); }
  uint32_t Scale() const { return Word(streamHeader, 20); }
  uint32_t Length() const { return Word(streamHeader, 32); }
  uint32_t IndexFlags(size_t frame) const { return Word(index, 16 * frame + 4); }
  uint32_t IndexOffset(size_t frame) const { return Word(index, 16 * frame + 8); }
};

class Movie : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }
  void TearDown() override {
    System_CloseMovie();
    win::SetAviSaveOptionsAnswer(true);
    win::SetAviRiffSizeLimit(win::kAviRiffSizeLimit);
    if (surface_ != nullptr) surface_->Release();
    EXPECT_TRUE(ShutDownAndRelease());
    LibraryTest::TearDown();
  }

  std::string File(const char* name) const { return (Folder() / name).string(); }

  // The back buffer, each pixel (x, y) filled as Pattern says.
  IDirect3DSurface8* PatternedBackBuffer() {
    EXPECT_EQ(Internal_GetBackbuffer(&surface_), 1);
    Fill(surface_, [](UINT x, UINT y) { return Pattern(x, y); });
    return surface_;
  }

  static D3DCOLOR Pattern(UINT x, UINT y) {
    return ((x * 3 + y) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF);
  }

  template <class F>
  static void Fill(IDirect3DSurface8* surface, F pixel) {
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    const UINT bytes = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8 ? 4 : 2;
    for (UINT y = 0; y < desc.Height; ++y) {
      for (UINT x = 0; x < desc.Width; ++x) {
        const uint32_t value = pixel(x, y);
        std::memcpy(
            static_cast<uint8_t*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch) + x * bytes,
            &value, bytes);
      }
    }
    surface->UnlockRect();
  }

  IDirect3DSurface8* ImageSurface(UINT width, UINT height, D3DFORMAT format) {
    EXPECT_EQ(device_->CreateImageSurface(width, height, format, &surface_), D3D_OK);
    return surface_;
  }

  // Ten 64 x 48 frames of FrameColour, three to a RIFF list (the headers', too).
  std::string RecordLongMovie(const char* name) {
    const std::string file = File(name);
    EXPECT_EQ(System_OpenMovie(file.c_str(), kLongWidth, kLongHeight, 32, 25), 0);
    IDirect3DSurface8* surface = ImageSurface(kLongWidth, kLongHeight, D3DFMT_X8R8G8B8);
    constexpr uint64_t kChunk = 8 + kLongWidth * 3 * kLongHeight;
    for (int frame = 0; frame < kLongFrames; ++frame) {
      Fill(surface, [&](UINT, UINT) { return FrameColour(frame); });
      EXPECT_EQ(System_SaveMovieFrame(&surface), 0) << frame;
      // The headers and three frames with their two indexes make one RIFF list.
      if (frame == 0) {
        win::SetAviRiffSizeLimit(std::filesystem::file_size(file) + 2 * kChunk + 32 + 3 * 8 + 8 +
                                 3 * 16);
      }
    }
    EXPECT_EQ(System_CloseMovie(), 0);
    return file;
  }

  static constexpr UINT kLongWidth = 64;  // pixels
  static constexpr UINT kLongHeight = 48;
  static constexpr int kLongFrames = 10;

  // A surface of one colour, a different one for each frame.
  static D3DCOLOR FrameColour(int frame) {
    return static_cast<D3DCOLOR>(0x102030 + frame * 0x0F0E0D);
  }

  IDirect3DSurface8* surface_ = nullptr;
};

TEST_F(Movie, RecordsEveryFrameBottomRowFirstWithKeyFramesEveryThirty) {
  const std::string file = File("landing.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 640, 480, 32, 30), 0);
  IDirect3DSurface8* backBuffer = PatternedBackBuffer();
  for (int frame = 0; frame < 31; ++frame) ASSERT_EQ(System_SaveMovieFrame(&backBuffer), 0);
  ASSERT_EQ(System_CloseMovie(), 0);

  const Avi avi(ReadAll(file));
  ASSERT_TRUE(avi.valid);
  EXPECT_EQ(avi.FrameCount(), 31u);
  EXPECT_EQ(avi.Length(), 31u);
  EXPECT_EQ(avi.Rate(), 30u);
  EXPECT_EQ(avi.Scale(), 1u);
  EXPECT_EQ(Avi::Word(avi.mainHeader, 0), 33333u);  // microseconds per frame
  EXPECT_EQ(Avi::Word(avi.streamHeader, 0), FourCC("vids"));
  EXPECT_EQ(Avi::Word(avi.streamHeader, 4), 0u);
  ASSERT_EQ(avi.streamFormat.size(), 40u);
  EXPECT_EQ(Avi::Word(avi.streamFormat, 4), 640u);
  EXPECT_EQ(Avi::Word(avi.streamFormat, 8), 480u);
  EXPECT_EQ(Avi::Word(avi.streamFormat, 12), 24u << 16 | 1u);  // planes, bits
  EXPECT_EQ(Avi::Word(avi.streamFormat, 20), 921600u);
  ASSERT_EQ(avi.frames.size(), 31u);
  ASSERT_TRUE(avi.hasIndex);
  ASSERT_EQ(avi.index.size(), 31u * 16);
  for (size_t frame = 0; frame < 31; ++frame) {
    EXPECT_EQ(avi.frames[frame].data.size(), 921600u);
    EXPECT_EQ(avi.IndexFlags(frame), frame % 30 == 0 ? win::AVIIF_KEYFRAME : 0u) << frame;
    EXPECT_EQ(avi.IndexOffset(frame) + avi.moviWord, avi.frames[frame].offset - 8) << frame;
  }
  const std::vector<uint8_t>& pixels = avi.frames[30].data;
  for (const auto& [x, y] : {std::pair<UINT, UINT>{0, 479}, {639, 479}, {17, 0}, {300, 200}}) {
    const size_t at = (479 - y) * 1920 + x * 3;
    const D3DCOLOR expected = Pattern(x, y);
    EXPECT_EQ(pixels[at], expected & 0xFF);
    EXPECT_EQ(pixels[at + 1], (expected >> 8) & 0xFF);
    EXPECT_EQ(pixels[at + 2], (expected >> 16) & 0xFF);
  }
}

TEST_F(Movie, RowsOfAnOddWidthArePaddedToFourBytes) {
  const std::string file = File("odd.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 33, 3, 16, 25), 0);
  IDirect3DSurface8* surface = ImageSurface(33, 3, D3DFMT_R5G6B5);
  Fill(surface, [](UINT x, UINT y) { return y == 0 && x == 32 ? 0xF800u : 0u; });
  ASSERT_EQ(System_SaveMovieFrame(&surface), 0);
  ASSERT_EQ(System_CloseMovie(), 0);
  const Avi avi(ReadAll(file));
  ASSERT_TRUE(avi.valid);
  ASSERT_EQ(avi.frames.size(), 1u);
  ASSERT_EQ(avi.frames[0].data.size(), 3u * 100);  // 99 bytes of pixels and one of padding a row
  EXPECT_EQ(Avi::Word(avi.streamFormat, 20), 300u);
  // The surface's top row is the frame's last.
  EXPECT_EQ(avi.frames[0].data[200 + 32 * 3 + 2], 248);
  EXPECT_EQ(avi.frames[0].data[200 + 99], 0);
}

TEST_F(Movie, SixteenBitPixelsExpandEachChannelByItsOwnWidth) {
  struct Case {
    D3DFORMAT format;
    uint16_t pixel;
    uint8_t blue, green, red;
  };
  const Case cases[] = {
      {D3DFMT_R5G6B5, 0xF800, 0, 0, 248},   {D3DFMT_R5G6B5, 0x07E0, 0, 252, 0},
      {D3DFMT_R5G6B5, 0x001F, 248, 0, 0},   {D3DFMT_R5G6B5, 0x0821, 8, 4, 8},
      {D3DFMT_X1R5G5B5, 0x7C00, 0, 0, 248}, {D3DFMT_X1R5G5B5, 0x03E0, 0, 248, 0},
      {D3DFMT_A1R5G5B5, 0x801F, 248, 0, 0}, {D3DFMT_A1R5G5B5, 0xFFFF, 248, 248, 248},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format << " " << std::hex << c.pixel);
    const std::string file = File("pixel.avi");
    ASSERT_EQ(System_OpenMovie(file.c_str(), 1, 1, 16, 30), 0);
    IDirect3DSurface8* surface = ImageSurface(1, 1, c.format);
    Fill(surface, [&](UINT, UINT) { return c.pixel; });
    ASSERT_EQ(System_SaveMovieFrame(&surface), 0);
    ASSERT_EQ(System_CloseMovie(), 0);
    surface_->Release();
    surface_ = nullptr;
    const Avi avi(ReadAll(file));
    ASSERT_TRUE(avi.valid);
    ASSERT_EQ(avi.frames.size(), 1u);
    EXPECT_EQ(avi.frames[0].data, (std::vector<uint8_t>{c.blue, c.green, c.red, 0}));
  }
}

TEST_F(Movie, RefusalsWriteNothingAndLeaveAFileThatPlays) {
  IDirect3DSurface8* backBuffer = PatternedBackBuffer();
  EXPECT_NE(System_SaveMovieFrame(&backBuffer), 0) << "no movie open";
  EXPECT_NE(System_CloseMovie(), 0) << "no movie open";
  EXPECT_NE(System_OpenMovie(File("deep.avi").c_str(), 640, 480, 24, 30), 0);
  EXPECT_FALSE(std::filesystem::exists(File("deep.avi")));
  EXPECT_NE(System_OpenMovie(File("still.avi").c_str(), 640, 480, 32, 0), 0);

  const std::string file = File("refused.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 640, 480, 32, 30), 0);
  IDirect3DSurface8* small = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(320, 240, D3DFMT_X8R8G8B8, &small), D3D_OK);
  IDirect3DSurface8* shallow = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(640, 480, D3DFMT_R5G6B5, &shallow), D3D_OK);
  IDirect3DSurface8* none = nullptr;
  EXPECT_EQ(System_SaveMovieFrame(&small), win::AVIERR_BADSIZE);
  EXPECT_EQ(System_SaveMovieFrame(&shallow), win::AVIERR_BADFORMAT);
  EXPECT_EQ(System_SaveMovieFrame(&none), win::AVIERR_BADPARAM);
  EXPECT_EQ(System_SaveMovieFrame(nullptr), win::AVIERR_BADPARAM);
  ASSERT_EQ(System_SaveMovieFrame(&backBuffer), 0);
  EXPECT_EQ(System_CloseMovie(), 0);
  EXPECT_NE(System_CloseMovie(), 0) << "closed twice";
  small->Release();
  shallow->Release();

  const Avi avi(ReadAll(file));
  ASSERT_TRUE(avi.valid);
  EXPECT_EQ(avi.frames.size(), 1u);
  EXPECT_EQ(avi.FrameCount(), 1u);
}

TEST_F(Movie, CancelledOptionsOpenWithoutAStreamAndLeaveNoFile) {
  win::SetAviSaveOptionsAnswer(false);
  const std::string file = File("cancelled.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 640, 480, 32, 30), 0);
  IDirect3DSurface8* backBuffer = PatternedBackBuffer();
  EXPECT_EQ(System_SaveMovieFrame(&backBuffer), win::AVIERR_BADHANDLE);
  EXPECT_EQ(System_CloseMovie(), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(Movie, PastTheRiffSizeLimitTheMovieGoesOnInFurtherRiffLists) {
  const std::string file = RecordLongMovie("long.avi");
  const Avi avi(ReadAll(file));
  ASSERT_TRUE(avi.valid);
  EXPECT_GE(avi.riffs, 3);
  EXPECT_EQ(avi.frames.size(), 10u);
  EXPECT_EQ(avi.FrameCount(), 3u);
  EXPECT_EQ(avi.Length(), 10u);
  EXPECT_EQ(avi.index.size(), 3u * 16);
  ASSERT_EQ(avi.chunkIndexes.size(), static_cast<size_t>(avi.riffs));
  EXPECT_EQ(Avi::Word(avi.superIndex, 4), static_cast<uint32_t>(avi.riffs));  // entries in use
  for (size_t frame = 0; frame < avi.frames.size(); ++frame) {
    const D3DCOLOR colour = FrameColour(static_cast<int>(frame));
    EXPECT_EQ(avi.frames[frame].data[0], colour & 0xFF) << frame;
    EXPECT_EQ(avi.frames[frame].data[2], (colour >> 16) & 0xFF) << frame;
  }
}

TEST_F(Movie, WhenNoRiffListIsLeftTheMovieEndsCleanly) {
  const std::string file = File("longest.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 64, 48, 32, 25), 0);
  IDirect3DSurface8* surface = ImageSurface(64, 48, D3DFMT_X8R8G8B8);
  ASSERT_EQ(System_SaveMovieFrame(&surface), 0);
  // One frame a RIFF list.
  win::SetAviRiffSizeLimit(std::filesystem::file_size(file) + 32 + 8 + 8 + 16);
  int32_t result = 0;
  int frames = 1;
  while ((result = System_SaveMovieFrame(&surface)) == 0) ++frames;
  EXPECT_EQ(result, win::AVIERR_FILETOOLARGE);
  EXPECT_EQ(frames, static_cast<int>(win::kAviRiffLimit));
  EXPECT_EQ(System_SaveMovieFrame(&surface), win::AVIERR_FILETOOLARGE);
  ASSERT_EQ(System_CloseMovie(), 0);
  const Avi avi(ReadAll(file));
  ASSERT_TRUE(avi.valid);
  EXPECT_EQ(avi.riffs, static_cast<int>(win::kAviRiffLimit));
  EXPECT_EQ(avi.frames.size(), win::kAviRiffLimit);
}

TEST_F(Movie, AMovieNeverClosedPlaysAsFarAsItWasWritten) {
  const std::string file = File("crashed.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 64, 48, 32, 30), 0);
  IDirect3DSurface8* surface = ImageSurface(64, 48, D3DFMT_X8R8G8B8);
  for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(System_SaveMovieFrame(&surface), 0);
  const Avi avi(ReadAll(file));  // as a crash would leave it
  ASSERT_TRUE(avi.valid);
  EXPECT_EQ(avi.frames.size(), 3u);
  EXPECT_EQ(avi.FrameCount(), 3u);
  EXPECT_EQ(avi.Length(), 3u);
  EXPECT_FALSE(avi.hasIndex);
  if (HaveFfmpeg()) {
    EXPECT_EQ(Probe(file),
              "codec_name=rawvideo\ncodec_type=video\nwidth=64\nheight=48\npix_fmt=bgr24\n"
              "r_frame_rate=30/1\nnb_read_frames=3\n");
  }
}

TEST_F(Movie, AMovieAndADumpStillOpenAreFinishedWhenTheProcessEnds) {
  const std::string movieFile = File("unloaded.avi");
  const std::string dumpFile = File("unloaded.raw");
  IDirect3DSurface8* surface = ImageSurface(64, 48, D3DFMT_X8R8G8B8);
  EXPECT_EXIT(
      {
        System_OpenMovie(movieFile.c_str(), 64, 48, 32, 30);
        System_SaveMovieFrame(&surface);
        VideoSystem_Open(dumpFile.c_str(), 1, 2, 3);
        VideoSystem_AddFrame(&surface);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  const Avi avi(ReadAll(movieFile));
  ASSERT_TRUE(avi.valid);
  EXPECT_TRUE(avi.hasIndex);
  EXPECT_EQ(avi.frames.size(), 1u);
  D3DSURFACE_DESC desc{};
  surface->GetDesc(&desc);
  EXPECT_EQ(std::filesystem::file_size(dumpFile), 12u + desc.Size);
}

TEST_F(Movie, RawDumpsKeepTheHeaderAndTheLockedBytes) {
  IDirect3DSurface8* backBuffer = PatternedBackBuffer();
  EXPECT_NE(VideoSystem_AddFrame(&backBuffer), 0) << "no dump open";
  const std::string first = File("first.raw");
  ASSERT_EQ(VideoSystem_Open(first.c_str(), 640, 480, 32), 1);
  ASSERT_EQ(VideoSystem_AddFrame(&backBuffer), 0);
  ASSERT_EQ(VideoSystem_AddFrame(&backBuffer), 0);
  const std::string second = File("second.raw");
  ASSERT_EQ(VideoSystem_Open(second.c_str(), 1, 2, 3), 1);  // closes the first

  D3DSURFACE_DESC desc{};
  backBuffer->GetDesc(&desc);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  std::vector<uint8_t> expected(12);
  const int32_t header[] = {32, 640, 480};
  std::memcpy(expected.data(), header, sizeof header);
  for (int frame = 0; frame < 2; ++frame) {
    const auto* bits = static_cast<const uint8_t*>(locked.pBits);
    expected.insert(expected.end(), bits, bits + desc.Size);
  }
  backBuffer->UnlockRect();
  EXPECT_EQ(desc.Size, static_cast<UINT>(locked.Pitch) * 480);
  EXPECT_EQ(ReadAll(first), expected);
  const std::vector<uint8_t> secondBytes = ReadAll(second);
  EXPECT_EQ(secondBytes, (std::vector<uint8_t>{3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(VideoSystem_Open(File("missing/x.raw").c_str(), 1, 2, 3), 0);
  EXPECT_NE(VideoSystem_AddFrame(&backBuffer), 0) << "after a failed open";
}

TEST_F(Movie, AStandardReaderPlaysTheMovie) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe is not on the path: install the ffmpeg package";
  const std::string file = File("played.avi");
  ASSERT_EQ(System_OpenMovie(file.c_str(), 640, 480, 32, 30), 0);
  IDirect3DSurface8* backBuffer = PatternedBackBuffer();
  for (int frame = 0; frame < 31; ++frame) ASSERT_EQ(System_SaveMovieFrame(&backBuffer), 0);
  ASSERT_EQ(System_CloseMovie(), 0);

  EXPECT_EQ(Probe(file),
            "codec_name=rawvideo\ncodec_type=video\nwidth=640\nheight=480\npix_fmt=bgr24\n"
            "r_frame_rate=30/1\nnb_read_frames=31\n");
  const std::vector<uint8_t> decoded = Decode(file, 1);
  ASSERT_EQ(decoded.size(), 640u * 480 * 3);
  size_t wrong = 0;
  for (UINT y = 0; y < 480; ++y) {
    for (UINT x = 0; x < 640; ++x) {
      const D3DCOLOR expected = Pattern(x, y);
      const uint8_t* pixel = &decoded[(y * 640 + x) * 3];
      if (pixel[0] != ((expected >> 16) & 0xFF) || pixel[1] != ((expected >> 8) & 0xFF) ||
          pixel[2] != (expected & 0xFF)) {
        ++wrong;
      }
    }
  }
  EXPECT_EQ(wrong, 0u);
}

TEST_F(Movie, AStandardReaderPlaysAMovieOfSeveralRiffLists) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe is not on the path: install the ffmpeg package";
  const std::string file = RecordLongMovie("long_played.avi");
  EXPECT_EQ(Probe(file),
            "codec_name=rawvideo\ncodec_type=video\nwidth=64\nheight=48\npix_fmt=bgr24\n"
            "r_frame_rate=25/1\nnb_read_frames=10\n");
  const std::vector<uint8_t> decoded = Decode(file, kLongFrames);
  constexpr size_t kFrameBytes = kLongWidth * kLongHeight * 3;
  ASSERT_EQ(decoded.size(), kLongFrames * kFrameBytes);
  for (int frame = 0; frame < kLongFrames; ++frame) {
    const D3DCOLOR colour = FrameColour(frame);
    const uint8_t* pixel = &decoded[static_cast<size_t>(frame) * kFrameBytes];
    EXPECT_EQ(pixel[0], (colour >> 16) & 0xFF) << frame;
    EXPECT_EQ(pixel[1], (colour >> 8) & 0xFF) << frame;
    EXPECT_EQ(pixel[2], colour & 0xFF) << frame;
  }
}

}  // namespace
