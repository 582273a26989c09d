#include "program/missions/score_file.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/forms/dialogs.h"
#include "platform/win/app_path.h"
#include "program/missions/missions_texts.h"
#include "program/startup/startup_state.h"

namespace {

// Larger than any score file, so that a huge file is refused unread.
constexpr size_t MaxScoreFileBytes = 1 << 20;

// UTF-8 continuation bytes have the form 10xxxxxx.
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string FitPilotName(const std::string& name) {
  size_t length = std::min(name.size(), PilotNameBytes);
  if (length < name.size()) {
    while (length > 0 && IsContinuationByte(name[length])) --length;
  }
  std::string fitted = name.substr(0, length);
  fitted.resize(PilotNameBytes, ' ');
  return fitted;
}

void WritePilotRecord(win::ByteWriter& writer, const PilotRecord& record) {
  writer.FixedString(FitPilotName(record.Name), PilotNameBytes);
  writer.I32(record.PathPoints);
  writer.I32(record.SmoothPoints);
  writer.I32(record.SpeedPoints);
  writer.I32(record.TargetPoints);
  writer.I32(record.SitePoints);
  writer.I32(record.LevelPoints);
  writer.I32(record.LandingTotal);
  writer.I32(record.RaceTotal);
  writer.F32(record.ManualAttitudeBonus);
  writer.F32(record.ManualThrottleBonus);
  writer.F32(record.RaceManualPoints);
  writer.I32(record.Reserved);
  writer.F32(record.RaceTimePoints);
  writer.F32(record.RaceHeightPoints);
}

PilotRecord ReadPilotRecord(win::ByteReader& reader) {
  PilotRecord record;
  const auto name = reader.Bytes(PilotNameBytes);
  record.Name.assign(name.begin(), name.end());
  record.PathPoints = reader.I32();
  record.SmoothPoints = reader.I32();
  record.SpeedPoints = reader.I32();
  record.TargetPoints = reader.I32();
  record.SitePoints = reader.I32();
  record.LevelPoints = reader.I32();
  record.LandingTotal = reader.I32();
  record.RaceTotal = reader.I32();
  record.ManualAttitudeBonus = reader.F32();
  record.ManualThrottleBonus = reader.F32();
  record.RaceManualPoints = reader.F32();
  record.Reserved = reader.I32();
  record.RaceTimePoints = reader.F32();
  record.RaceHeightPoints = reader.F32();
  return record;
}

std::string ScoreFilePath() { return win::AppPath() + "\\score.dat"; }

std::vector<PilotRecord> DecodeScoreFile(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  std::vector<PilotRecord> records;
  while (records.size() < static_cast<size_t>(PilotCount) && reader.Remaining() >= PilotRecordBytes)
    records.push_back(ReadPilotRecord(reader));
  return records;
}

namespace {

// Whether the score file last read was whole; a file found otherwise is kept aside once.
bool scoreFileDamaged = false;

}  // namespace

bool LoadScoreFile() {
  const auto bytes = win::ReadFileBytes(win::ResolvePath(ScoreFilePath()), MaxScoreFileBytes);
  if (!bytes) {
    scoreFileDamaged = std::filesystem::exists(win::ResolvePath(ScoreFilePath()));
    return false;
  }
  const std::vector<PilotRecord> records = DecodeScoreFile(*bytes);
  for (size_t i = 0; i < records.size(); ++i) PilotRoster[i + 1] = records[i];
  scoreFileDamaged = bytes->size() != PilotRecordBytes * PilotCount;
  return !scoreFileDamaged;
}

namespace {

// Far more damaged files than any user keeps; past it the file is replaced.
constexpr int MaxKeptAside = 1000;

// Moves the damaged score file to the first free name of "score.dat.bad", "score.dat.bad.2", ...
// and tells the user where it went.
void KeepDamagedFileAside(const std::filesystem::path& path) {
  for (int n = 1; n <= MaxKeptAside; ++n) {
    std::filesystem::path aside = path;
    aside += n == 1 ? std::string(".bad") : ".bad." + std::to_string(n);
    if (win::RenameWithoutReplacing(path, aside)) {
      forms::MsgBox(EnsureTralexa().GetTranslation(ScoreFileKeptAside) + "\n" + aside.string(),
                    forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
      return;
    }
    if (errno != EEXIST) return;
  }
}

}  // namespace

bool SaveScoreFile() {
  const std::filesystem::path path = win::ResolvePath(ScoreFilePath());
  std::error_code error;
  if (scoreFileDamaged && std::filesystem::exists(path, error)) KeepDamagedFileAside(path);
  scoreFileDamaged = false;
  win::ByteWriter writer;
  for (int32_t pilot = 1; pilot <= PilotCount; ++pilot)
    WritePilotRecord(writer, PilotRoster[pilot]);
  if (win::WriteFileBytes(path, writer.Data())) return true;
  forms::MsgBox(EnsureTralexa().GetTranslation(ScoreFileNotWritten) + "\n" + path.string(),
                forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
  return false;
}
