#include "platform/win/avi_file.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/win/byte_writer.h"

namespace win {

namespace {

constexpr uint32_t kMainHeaderSize = 56;        // bytes of 'avih'
constexpr uint32_t kStreamHeaderSize = 56;      // bytes of 'strh'
constexpr uint32_t kIndexEntrySize = 16;        // bytes of one 'idx1' entry
constexpr uint32_t kSuperEntrySize = 16;        // bytes of one 'indx' entry
constexpr uint32_t kIndexHeaderSize = 24;       // bytes of 'indx' and 'ix00' before their entries
constexpr uint32_t kChunkEntrySize = 8;         // bytes of one 'ix00' entry
constexpr uint32_t kExtendedHeaderSize = 248;   // bytes of 'dmlh'
constexpr uint32_t kHasIndex = 0x10;            // 'avih' flag
constexpr uint32_t kNotKeyFrame = 0x80000000u;  // 'ix00' size bit
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;
constexpr double kMicrosecondsPerSecond = 1e6;

bool saveOptionsAccepted = true;
uint64_t riffSizeLimit = kAviRiffSizeLimit;

uint32_t Padded(uint32_t size) { return size + (size & 1u); }

struct FrameEntry {
  uint64_t offset;  // of the chunk's header in the file
  uint32_t size;    // of the frame's bytes
  bool key;
};

}  // namespace

struct AviFile {
  FILE* file = nullptr;
  uint32_t references = 1;
  bool hasStream = false;
  bool headersWritten = false;
  bool failed = false;
  AVISTREAMINFOA info;
  std::vector<uint8_t> format;
  uint32_t largestFrame = 0;
  uint64_t size = 0;  // bytes in the file
  uint32_t frames = 0;
  // Where the numbers that change as frames come lie in the file.
  uint64_t mainFlags = 0, mainFrames = 0, mainBuffer = 0, streamLength = 0, streamBuffer = 0;
  uint64_t superCount = 0, superEntries = 0, extendedFrames = 0;
  // The RIFF list being written: its start, its 'movi' word and its frames.
  uint64_t riff = 0;
  uint64_t moviWord = 0;
  std::vector<FrameEntry> riffFrames;
  uint32_t riffCount = 0;  // finished ones

  bool Write(std::span<const uint8_t> bytes) {
    if (failed || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      failed = true;
      return false;
    }
    size += bytes.size();
    return true;
  }

  bool Patch(uint64_t offset, std::span<const uint8_t> bytes) {
    const bool ok = !failed && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
                    std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                    std::fseek(file, static_cast<long>(size), SEEK_SET) == 0;
    if (!ok) failed = true;
    return ok;
  }

  bool Patch(uint64_t offset, uint32_t value) {
    ByteWriter writer;
    writer.U32(value);
    return Patch(offset, writer.Data());
  }

  static uint64_t Here(const ByteWriter& w, uint64_t base) { return base + w.Data().size(); }

  bool WriteHeaders() {
    const uint32_t formatSize = static_cast<uint32_t>(format.size());
    const uint32_t superSize = kIndexHeaderSize + kSuperEntrySize * kAviRiffLimit;
    const uint32_t streamListSize =
        4 + 8 + kStreamHeaderSize + 8 + Padded(formatSize) + 8 + superSize;
    const uint32_t extendedListSize = 4 + 8 + kExtendedHeaderSize;
    const uint32_t headerListSize =
        4 + 8 + kMainHeaderSize + 8 + streamListSize + 8 + extendedListSize;
    const double framesPerSecond =
        info.dwScale != 0 ? static_cast<double>(info.dwRate) / info.dwScale : 0.0;
    const uint32_t microsecondsPerFrame =
        framesPerSecond > 0
            ? static_cast<uint32_t>(std::lround(kMicrosecondsPerSecond / framesPerSecond))
            : 0;
    const int32_t width = info.rcFrame.right - info.rcFrame.left;
    const int32_t height = info.rcFrame.bottom - info.rcFrame.top;

    ByteWriter w;
    w.U32(MakeFourCC('R', 'I', 'F', 'F'));
    w.U32(0);
    w.U32(MakeFourCC('A', 'V', 'I', ' '));
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(headerListSize);
    w.U32(MakeFourCC('h', 'd', 'r', 'l'));
    w.U32(MakeFourCC('a', 'v', 'i', 'h'));
    w.U32(kMainHeaderSize);
    w.U32(microsecondsPerFrame);
    w.U32(static_cast<uint32_t>(std::lround(info.dwSuggestedBufferSize * framesPerSecond)));
    w.U32(0);  // padding granularity
    mainFlags = Here(w, 0);
    w.U32(0);  // flags: the index flag comes with the index
    mainFrames = Here(w, 0);
    w.U32(0);
    w.U32(0);  // initial frames
    w.U32(1);  // streams
    mainBuffer = Here(w, 0);
    w.U32(info.dwSuggestedBufferSize);
    w.I32(width);
    w.I32(height);
    for (int reserved = 0; reserved < 4; ++reserved) w.U32(0);
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(streamListSize);
    w.U32(MakeFourCC('s', 't', 'r', 'l'));
    w.U32(MakeFourCC('s', 't', 'r', 'h'));
    w.U32(kStreamHeaderSize);
    w.U32(info.fccType);
    w.U32(info.fccHandler);
    w.U32(0);  // flags
    w.U16(0);  // priority
    w.U16(0);  // language
    w.U32(0);  // initial frames
    w.U32(info.dwScale);
    w.U32(info.dwRate);
    w.U32(0);  // start
    streamLength = Here(w, 0);
    w.U32(0);
    streamBuffer = Here(w, 0);
    w.U32(info.dwSuggestedBufferSize);
    w.I32(-1);  // quality: the default
    w.U32(0);   // sample size: frames vary
    w.I16(static_cast<int16_t>(info.rcFrame.left));
    w.I16(static_cast<int16_t>(info.rcFrame.top));
    w.I16(static_cast<int16_t>(info.rcFrame.right));
    w.I16(static_cast<int16_t>(info.rcFrame.bottom));
    w.U32(MakeFourCC('s', 't', 'r', 'f'));
    w.U32(formatSize);
    w.Bytes(format);
    if ((formatSize & 1u) != 0) w.U8(0);
    w.U32(MakeFourCC('i', 'n', 'd', 'x'));
    w.U32(superSize);
    w.U16(kSuperEntrySize / 4);
    w.U8(0);
    w.U8(kIndexOfIndexes);
    superCount = Here(w, 0);
    w.U32(0);
    w.U32(MakeFourCC('0', '0', 'd', 'b'));
    for (int reserved = 0; reserved < 3; ++reserved) w.U32(0);
    superEntries = Here(w, 0);
    w.Bytes(std::vector<uint8_t>(kSuperEntrySize * kAviRiffLimit, 0));
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(extendedListSize);
    w.U32(MakeFourCC('o', 'd', 'm', 'l'));
    w.U32(MakeFourCC('d', 'm', 'l', 'h'));
    w.U32(kExtendedHeaderSize);
    extendedFrames = Here(w, 0);
    w.Bytes(std::vector<uint8_t>(kExtendedHeaderSize, 0));
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(4);
    w.U32(MakeFourCC('m', 'o', 'v', 'i'));
    riff = 0;
    moviWord = Here(w, 0) - 4;
    headersWritten = Write(w.Data());
    return headersWritten;
  }

  // The bytes the RIFF list being written takes when it is finished with frames more frames.
  uint64_t FinishedRiffSize(size_t moreFrames, uint32_t moreBytes) const {
    const uint64_t count = riffFrames.size() + moreFrames;
    uint64_t bytes = size - riff + moreBytes + 8 + kIndexHeaderSize + kChunkEntrySize * count;
    if (riffCount == 0) bytes += 8 + kIndexEntrySize * count;
    return bytes;
  }

  // Brings the sizes and counts in the file up to date with what it holds.
  bool PatchCounts() {
    return Patch(riff + 4, static_cast<uint32_t>(size - riff - 8)) &&
           Patch(moviWord - 4, static_cast<uint32_t>(size - moviWord)) &&
           (riffCount != 0 || Patch(mainFrames, frames)) && Patch(streamLength, frames) &&
           Patch(extendedFrames, frames) && Patch(mainBuffer, largestFrame) &&
           Patch(streamBuffer, largestFrame) && std::fflush(file) == 0;
  }

  // Ends the RIFF list being written with its indexes and enters it in the index of indexes.
  bool FinishRiff() {
    const uint64_t chunkIndex = size;
    ByteWriter w;
    w.U32(MakeFourCC('i', 'x', '0', '0'));
    w.U32(static_cast<uint32_t>(kIndexHeaderSize + kChunkEntrySize * riffFrames.size()));
    w.U16(kChunkEntrySize / 4);
    w.U8(0);
    w.U8(kIndexOfChunks);
    w.U32(static_cast<uint32_t>(riffFrames.size()));
    w.U32(MakeFourCC('0', '0', 'd', 'b'));
    w.U32(static_cast<uint32_t>(moviWord));
    w.U32(static_cast<uint32_t>(moviWord >> 32));
    w.U32(0);
    for (const FrameEntry& frame : riffFrames) {
      w.U32(static_cast<uint32_t>(frame.offset + 8 - moviWord));
      w.U32(frame.size | (frame.key ? 0 : kNotKeyFrame));
    }
    if (!Write(w.Data()) || !Patch(moviWord - 4, static_cast<uint32_t>(size - moviWord))) {
      return false;
    }
    if (riffCount == 0) {
      ByteWriter plain;
      plain.U32(MakeFourCC('i', 'd', 'x', '1'));
      plain.U32(static_cast<uint32_t>(kIndexEntrySize * riffFrames.size()));
      for (const FrameEntry& frame : riffFrames) {
        plain.U32(MakeFourCC('0', '0', 'd', 'b'));
        plain.U32(frame.key ? AVIIF_KEYFRAME : 0);
        plain.U32(static_cast<uint32_t>(frame.offset - moviWord));
        plain.U32(frame.size);
      }
      if (!Write(plain.Data())) return false;
    }
    ByteWriter entry;
    entry.U32(static_cast<uint32_t>(chunkIndex));
    entry.U32(static_cast<uint32_t>(chunkIndex >> 32));
    entry.U32(static_cast<uint32_t>(8 + kIndexHeaderSize + kChunkEntrySize * riffFrames.size()));
    entry.U32(static_cast<uint32_t>(riffFrames.size()));
    ++riffCount;
    riffFrames.clear();
    return Patch(superEntries + kSuperEntrySize * (riffCount - 1), entry.Data()) &&
           Patch(superCount, riffCount) && Patch(riff + 4, static_cast<uint32_t>(size - riff - 8));
  }

  bool StartExtensionRiff() {
    riff = size;
    ByteWriter w;
    w.U32(MakeFourCC('R', 'I', 'F', 'F'));
    w.U32(0);
    w.U32(MakeFourCC('A', 'V', 'I', 'X'));
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(4);
    w.U32(MakeFourCC('m', 'o', 'v', 'i'));
    moviWord = riff + w.Data().size() - 4;
    return Write(w.Data());
  }

  AviResult WriteFrame(std::span<const uint8_t> data, uint32_t flags) {
    if (!headersWritten && !WriteHeaders()) return AVIERR_FILEWRITE;
    const uint32_t dataSize = static_cast<uint32_t>(data.size());
    const uint32_t chunkSize = 8 + Padded(dataSize);
    if (FinishedRiffSize(1, chunkSize) > riffSizeLimit) {
      // The frame opens the next RIFF list; one that would not hold even one frame never will.
      if (riffFrames.empty() || riffCount + 1 >= kAviRiffLimit) return AVIERR_FILETOOLARGE;
      if (!FinishRiff() || !StartExtensionRiff()) return AVIERR_FILEWRITE;
      if (FinishedRiffSize(1, chunkSize) > riffSizeLimit) return AVIERR_FILETOOLARGE;
    }
    const FrameEntry entry{size, dataSize, (flags & AVIIF_KEYFRAME) != 0};
    ByteWriter chunk;
    chunk.U32(MakeFourCC('0', '0', 'd', 'b'));
    chunk.U32(dataSize);
    static constexpr uint8_t kPad = 0;
    if (!Write(chunk.Data()) || !Write(data) || ((dataSize & 1u) != 0 && !Write({&kPad, 1}))) {
      return AVIERR_FILEWRITE;
    }
    riffFrames.push_back(entry);
    ++frames;
    if (dataSize > largestFrame) largestFrame = dataSize;
    return PatchCounts() ? AVIERR_OK : AVIERR_FILEWRITE;
  }

  void Finish() {
    if (hasStream && !format.empty() && (headersWritten || WriteHeaders())) {
      // The counts are current from the last frame; the indexes end the last RIFF list.
      if (FinishRiff() && Patch(mainFlags, kHasIndex)) std::fflush(file);
    }
    std::fclose(file);
    file = nullptr;
  }
};

struct AviStream {
  AviFile* file = nullptr;
  AviStream* source = nullptr;  // of a compressed stream
  uint32_t references = 1;
};

uint32_t VideoForWindowsVersion() { return kVideoForWindowsVersion; }

void AVIFileInit() {}
void AVIFileExit() {}

AviResult AVIFileOpenA(PAVIFILE* file, const char* path, uint32_t mode, const void*) {
  if (file == nullptr || path == nullptr) return AVIERR_BADPARAM;
  *file = nullptr;
  if (mode != (OF_WRITE | OF_CREATE)) return AVIERR_BADMODE;
  FILE* handle = std::fopen(path, "wb");
  if (handle == nullptr) return AVIERR_FILEOPEN;
  *file = new AviFile;
  (*file)->file = handle;
  return AVIERR_OK;
}

uint32_t AVIFileRelease(PAVIFILE file) {
  if (file == nullptr) return 0;
  if (--file->references != 0) return file->references;
  file->Finish();
  delete file;
  return 0;
}

AviResult AVIFileCreateStream(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info) {
  if (stream == nullptr) return AVIERR_BADPARAM;
  *stream = nullptr;
  if (file == nullptr) return AVIERR_BADHANDLE;
  if (info == nullptr || info->fccType != streamtypeVIDEO || info->dwScale == 0 ||
      info->dwRate == 0 || file->hasStream) {
    return AVIERR_BADPARAM;
  }
  file->hasStream = true;
  file->info = *info;
  ++file->references;
  *stream = new AviStream{file, nullptr, 1};
  return AVIERR_OK;
}

bool AVISaveOptions(void*, uint32_t, int32_t streamCount, PAVISTREAM* streams,
                    AVICOMPRESSOPTIONS** options) {
  if (!saveOptionsAccepted || streamCount < 1 || streams == nullptr || options == nullptr) {
    return false;
  }
  for (int32_t stream = 0; stream < streamCount; ++stream) {
    if (options[stream] != nullptr) *options[stream] = AVICOMPRESSOPTIONS{streamtypeVIDEO, 0};
  }
  return true;
}

AviResult AVIMakeCompressedStream(PAVISTREAM* compressed, PAVISTREAM source,
                                  const AVICOMPRESSOPTIONS* options, const void*) {
  if (compressed == nullptr) return AVIERR_BADPARAM;
  *compressed = nullptr;
  if (source == nullptr) return AVIERR_BADHANDLE;
  if (options == nullptr || options->fccHandler != 0) return AVIERR_BADPARAM;
  ++source->references;
  *compressed = new AviStream{source->file, source, 1};
  return AVIERR_OK;
}

AviResult AVIStreamSetFormat(PAVISTREAM stream, int32_t position, const void* format,
                             int32_t formatSize) {
  if (stream == nullptr) return AVIERR_BADHANDLE;
  if (format == nullptr || formatSize <= 0 || position != 0) return AVIERR_BADPARAM;
  AviFile& file = *stream->file;
  if (!file.format.empty()) return AVIERR_BADFORMAT;
  const auto* bytes = static_cast<const uint8_t*>(format);
  file.format.assign(bytes, bytes + formatSize);
  return AVIERR_OK;
}

AviResult AVIStreamWrite(PAVISTREAM stream, int32_t position, int32_t samples, const void* data,
                         int32_t size, uint32_t flags, int32_t* samplesWritten,
                         int32_t* bytesWritten) {
  if (samplesWritten != nullptr) *samplesWritten = 0;
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (stream == nullptr) return AVIERR_BADHANDLE;
  if (data == nullptr || size < 0 || samples != 1) return AVIERR_BADPARAM;
  AviFile& file = *stream->file;
  if (file.format.empty()) return AVIERR_BADFORMAT;
  if (position != static_cast<int32_t>(file.frames)) return AVIERR_ORDER;
  const AviResult result =
      file.WriteFrame({static_cast<const uint8_t*>(data), static_cast<size_t>(size)}, flags);
  if (result == AVIERR_OK) {
    if (samplesWritten != nullptr) *samplesWritten = 1;
    if (bytesWritten != nullptr) *bytesWritten = size;
  }
  return result;
}

uint32_t AVIStreamRelease(PAVISTREAM stream) {
  if (stream == nullptr) return 0;
  if (--stream->references != 0) return stream->references;
  if (stream->source != nullptr) {
    AVIStreamRelease(stream->source);
  } else {
    AVIFileRelease(stream->file);
  }
  delete stream;
  return 0;
}

void SetAviSaveOptionsAnswer(bool accept) { saveOptionsAccepted = accept; }
void SetAviRiffSizeLimit(uint64_t bytes) { riffSizeLimit = bytes; }

}  // namespace win
