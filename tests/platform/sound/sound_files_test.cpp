#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/sound/mp3_file.h"
#include "platform/sound/sound_error.h"
#include "platform/sound/wave_file.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  return *win::ReadFileBytes(path, 1 << 20);
}

std::vector<uint8_t> Fixture(const std::string& name) {
  return ReadBytes(std::string(MAROVIN_FIXTURES) + "/sound/" + name);
}

void Chunk(win::ByteWriter& out, const char* id, const std::vector<uint8_t>& body,
           uint32_t sizeField) {
  out.FixedString(id, 4);
  out.U32(sizeField);
  out.Bytes(body);
  if (body.size() % 2 == 1) out.U8(0);
}

struct WaveLayout {
  uint16_t encoding = 1;
  uint16_t channels = 1;
  uint32_t sampleRate = 8000;
  uint16_t blockAlign = 2;
  uint16_t bits = 16;
  uint32_t dataBytes = 16;
  bool format = true;
  bool dataFirst = false;
  bool data = true;
  uint32_t formatBytes = 16;
  int64_t dataSizeField = -1;  // the size written in the data chunk's header; -1 the real one
  bool oddChunkBeforeData = false;
};

std::vector<uint8_t> MakeWave(const WaveLayout& layout) {
  win::ByteWriter fmt;
  fmt.U16(layout.encoding);
  fmt.U16(layout.channels);
  fmt.U32(layout.sampleRate);
  fmt.U32(layout.sampleRate * layout.blockAlign);
  fmt.U16(layout.blockAlign);
  fmt.U16(layout.bits);
  std::vector<uint8_t> fmtBody(fmt.Data().begin(), fmt.Data().begin() + layout.formatBytes);
  std::vector<uint8_t> samples(layout.dataBytes, 0x11);
  uint32_t dataField =
      layout.dataSizeField < 0 ? layout.dataBytes : static_cast<uint32_t>(layout.dataSizeField);

  win::ByteWriter out;
  out.FixedString("RIFF", 4);
  out.U32(0);  // readers do not rely on it
  out.FixedString("WAVE", 4);
  if (layout.data && layout.dataFirst) Chunk(out, "data", samples, dataField);
  if (layout.format) Chunk(out, "fmt ", fmtBody, layout.formatBytes);
  if (layout.oddChunkBeforeData) Chunk(out, "LIST", {1, 2, 3}, 3);
  if (layout.data && !layout.dataFirst) Chunk(out, "data", samples, dataField);
  return out.Data();
}

TEST(WaveFile, ReadsTheFormatAndLengthOfAWaveFile) {
  sound::WaveFormat format = sound::ReadWaveFormat(Fixture("tone.wav"));
  EXPECT_EQ(format.encoding, 1);
  EXPECT_EQ(format.channels, 1);
  EXPECT_EQ(format.sampleRate, 8000u);
  EXPECT_EQ(format.bitsPerSample, 16);
  EXPECT_EQ(format.Frames(), 800u);
  EXPECT_EQ(format.Length(), 100ms);
}

TEST(WaveFile, TakesSkippedChunksPaddingPartialFramesAndExtensibleFormats) {
  WaveLayout padded;
  padded.oddChunkBeforeData = true;
  EXPECT_EQ(sound::ReadWaveFormat(MakeWave(padded)).Frames(), 8u);

  WaveLayout partialFrame;
  partialFrame.dataBytes = 17;
  EXPECT_EQ(sound::ReadWaveFormat(MakeWave(partialFrame)).dataBytes, 16u);

  auto extensible = sound::ReadWaveFormat(
      ReadBytes(std::string(MAROVIN_FIXTURES) + "/../../fuzz/wave/corpus/extensible24.wav"));
  EXPECT_EQ(extensible.encoding, 1);
  EXPECT_EQ(extensible.channels, 3);
  EXPECT_EQ(extensible.bitsPerSample, 24);
}

TEST(WaveFile, RefusesWhatIsNotAPlayableWave) {
  auto with = [](auto change) {
    WaveLayout layout;
    change(layout);
    return MakeWave(layout);
  };
  std::vector<uint8_t> notRiff = MakeWave({});
  notRiff[3] = 'X';
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"empty file", {}},
      {"not RIFF", notRiff},
      {"no format chunk", with([](WaveLayout& s) { s.format = false; })},
      {"data before format", with([](WaveLayout& s) { s.dataFirst = true; })},
      {"no data chunk", with([](WaveLayout& s) { s.data = false; })},
      {"format chunk too short", with([](WaveLayout& s) { s.formatBytes = 8; })},
      {"compressed encoding", with([](WaveLayout& s) { s.encoding = 2; })},
      {"no channels", with([](WaveLayout& s) { s.channels = 0; })},
      {"block align that is not channels times sample size",
       with([](WaveLayout& s) { s.blockAlign = 4; })},
      {"12-bit samples", with([](WaveLayout& s) { s.bits = 12; })},
      {"16-bit float", with([](WaveLayout& s) { s.encoding = 3; })},
      {"sample rate 0", with([](WaveLayout& s) { s.sampleRate = 0; })},
      {"data chunk past the end", with([](WaveLayout& s) { s.dataSizeField = 0x7FFFFFF0; })},
      {"less than one frame", with([](WaveLayout& s) { s.dataBytes = 1; })},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(sound::ReadWaveFormat(c.bytes), sound::SoundError) << c.name;
  }
}

TEST(Mp3File, ReadsTheFirstFrameWithOrWithoutATag) {
  std::vector<uint8_t> bytes = Fixture("tone.mp3");
  sound::Mp3Format format = sound::ReadMp3Format(bytes);
  EXPECT_EQ(format.layer, 3);
  EXPECT_EQ(format.sampleRate, 8000u);
  EXPECT_EQ(format.channels, 1);

  // An ID3v2 tag of 0x81 bytes: its size is written seven bits a byte.
  std::vector<uint8_t> tagged = {'I', 'D', '3', 4, 0, 0, 0, 0, 1, 1};
  tagged.resize(tagged.size() + 0x81, 0);
  tagged.insert(tagged.end(), bytes.begin(), bytes.end());
  EXPECT_EQ(sound::ReadMp3Format(tagged).sampleRate, 8000u);
}

TEST(Mp3File, RefusesWhatIsNotAnMp3Stream) {
  std::vector<uint8_t> mp3 = Fixture("tone.mp3");
  uint32_t frame = sound::ReadMp3Format(mp3).firstFrameBytes;
  std::vector<uint8_t> cutFrame(mp3.begin(), mp3.begin() + frame - 1);
  std::vector<uint8_t> junkAfterFrame(mp3.begin(), mp3.begin() + frame);
  junkAfterFrame.insert(junkAfterFrame.end(), {0, 0, 0, 0, 0});
  std::vector<uint8_t> tagPastEnd = {'I', 'D', '3', 4, 0, 0, 0, 0, 0x7F, 0x7F};
  std::vector<uint8_t> reservedLayer = mp3;
  reservedLayer[1] &= 0xF9;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"empty file", {}},
      {"a wave file", Fixture("tone.wav")},
      {"first frame cut off", cutFrame},
      {"junk after the first frame", junkAfterFrame},
      {"tag past the end", tagPastEnd},
      {"reserved layer", reservedLayer},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(sound::ReadMp3Format(c.bytes), sound::SoundError) << c.name;
  }
}

}  // namespace
