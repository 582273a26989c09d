#include "platform/win/avi_file.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/win/byte_writer.h"

namespace win {

namespace {

constexpr uint32_t kMainHeaderSize = 56;    // bytes of 'avih'
constexpr uint32_t kStreamHeaderSize = 56;  // bytes of 'strh'
constexpr uint32_t kIndexEntrySize = 16;    // bytes of one 'idx1' entry
constexpr uint32_t kHasIndex = 0x10;        // 'avih' flag
constexpr double kMicrosecondsPerSecond = 1e6;

// Where the numbers that grow with each frame lie in the file: the headers have a fixed layout.
constexpr long kRiffSizeOffset = 4;
constexpr long kMainFlagsOffset = 44;
constexpr long kMainFrameCountOffset = 48;
constexpr long kMainBufferSizeOffset = 60;
constexpr long kStreamLengthOffset = 140;
constexpr long kStreamBufferSizeOffset = 144;

bool saveOptionsAccepted = true;
uint64_t fileSizeLimit = kAviFileSizeLimit;

uint32_t Padded(uint32_t size) { return size + (size & 1u); }

struct IndexEntry {
  uint32_t flags;
  uint32_t offset;  // from the 'movi' word
  uint32_t size;
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
  long moviWord = 0;  // offset of the 'movi' word
  uint64_t size = 0;  // bytes in the file
  std::vector<IndexEntry> index;

  bool Write(std::span<const uint8_t> bytes) {
    if (failed || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      failed = true;
      return false;
    }
    size += bytes.size();
    return true;
  }

  bool Patch(long offset, uint32_t value) {
    ByteWriter writer;
    writer.U32(value);
    const long end = static_cast<long>(size);
    const bool ok = !failed && std::fseek(file, offset, SEEK_SET) == 0 &&
                    std::fwrite(writer.Data().data(), 1, 4, file) == 4 &&
                    std::fseek(file, end, SEEK_SET) == 0;
    if (!ok) failed = true;
    return ok;
  }

  uint32_t RiffSize() const { return static_cast<uint32_t>(size - 8); }

  bool WriteHeaders() {
    const uint32_t formatSize = static_cast<uint32_t>(format.size());
    const uint32_t streamListSize = 4 + 8 + kStreamHeaderSize + 8 + Padded(formatSize);
    const uint32_t headerListSize = 4 + 8 + kMainHeaderSize + 8 + streamListSize;
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
    w.U32(0);  // flags: the index flag comes with the index
    w.U32(0);  // frames
    w.U32(0);  // initial frames
    w.U32(1);  // streams
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
    w.U32(0);  // length
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
    w.U32(MakeFourCC('L', 'I', 'S', 'T'));
    w.U32(4);
    w.U32(MakeFourCC('m', 'o', 'v', 'i'));
    moviWord = static_cast<long>(w.Data().size()) - 4;
    headersWritten = Write(w.Data()) && Patch(kRiffSizeOffset, RiffSize());
    return headersWritten;
  }

  // Brings the sizes and counts in the file up to date with what it holds.
  bool PatchCounts() {
    const uint32_t frames = static_cast<uint32_t>(index.size());
    return Patch(kRiffSizeOffset, RiffSize()) &&
           Patch(moviWord - 4, static_cast<uint32_t>(size - static_cast<uint64_t>(moviWord))) &&
           Patch(kMainFrameCountOffset, frames) && Patch(kStreamLengthOffset, frames) &&
           Patch(kMainBufferSizeOffset, largestFrame) &&
           Patch(kStreamBufferSizeOffset, largestFrame) && std::fflush(file) == 0;
  }

  AviResult WriteFrame(std::span<const uint8_t> data, uint32_t flags) {
    if (!headersWritten && !WriteHeaders()) return AVIERR_FILEWRITE;
    const uint32_t dataSize = static_cast<uint32_t>(data.size());
    const uint64_t indexAfter = 8 + kIndexEntrySize * (index.size() + 1);
    if (size + 8 + Padded(dataSize) + indexAfter > fileSizeLimit) return AVIERR_FILETOOLARGE;
    const IndexEntry entry{flags & AVIIF_KEYFRAME,
                           static_cast<uint32_t>(size - static_cast<uint64_t>(moviWord)), dataSize};
    ByteWriter chunk;
    chunk.U32(MakeFourCC('0', '0', 'd', 'b'));
    chunk.U32(dataSize);
    static constexpr uint8_t kPad = 0;
    if (!Write(chunk.Data()) || !Write(data) || ((dataSize & 1u) != 0 && !Write({&kPad, 1}))) {
      return AVIERR_FILEWRITE;
    }
    index.push_back(entry);
    if (dataSize > largestFrame) largestFrame = dataSize;
    return PatchCounts() ? AVIERR_OK : AVIERR_FILEWRITE;
  }

  void Finish() {
    if (hasStream && !format.empty() && (headersWritten || WriteHeaders())) {
      ByteWriter w;
      w.U32(MakeFourCC('i', 'd', 'x', '1'));
      w.U32(static_cast<uint32_t>(kIndexEntrySize * index.size()));
      for (const IndexEntry& entry : index) {
        w.U32(MakeFourCC('0', '0', 'd', 'b'));
        w.U32(entry.flags);
        w.U32(entry.offset);
        w.U32(entry.size);
      }
      // The counts first, while the 'movi' list still ends the file.
      if (PatchCounts() && Write(w.Data()) && Patch(kRiffSizeOffset, RiffSize())) {
        Patch(kMainFlagsOffset, kHasIndex);
      }
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
  if (position != static_cast<int32_t>(file.index.size())) return AVIERR_ORDER;
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
void SetAviFileSizeLimit(uint64_t bytes) { fileSizeLimit = bytes; }

}  // namespace win
