#include "program/missions/replay_file.h"

#include <filesystem>
#include <system_error>

#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/attitude_control.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_texts.h"
#include "program/missions/score_file.h"
#include "program/startup/startup_state.h"

namespace {

// A replay at its bound of samples, each with a long message, stays below this.
constexpr size_t MaxReplayFileBytes = 64u << 20;
constexpr char UnnamedReplay[] = "218";

int16_t FileFlag(bool value) { return value ? -1 : 0; }

void WriteVector(win::ByteWriter& writer, const Vector3& v) {
  writer.F32(v.x);
  writer.F32(v.y);
  writer.F32(v.z);
}

void WriteVector(win::ByteWriter& writer, const Vector3d& v) {
  writer.F64(v.x);
  writer.F64(v.y);
  writer.F64(v.z);
}

Vector3 ReadVector(win::ByteReader& reader) {
  Vector3 v;
  v.x = reader.F32();
  v.y = reader.F32();
  v.z = reader.F32();
  return v;
}

Vector3d ReadVectorD(win::ByteReader& reader) {
  Vector3d v;
  v.x = reader.F64();
  v.y = reader.F64();
  v.z = reader.F64();
  return v;
}

// The ten digit strings in the record's member order.
template <class Record>
auto TimeStrings(Record& record) {
  return std::array{&record.HoursOnes,   &record.HoursTens,   &record.HoursHundreds,
                    &record.Sign,        &record.MinutesOnes, &record.MinutesTens,
                    &record.SecondsOnes, &record.SecondsTens, &record.Hundredths,
                    &record.Tenths};
}

void WriteTimeRecord(win::ByteWriter& writer, const TimeRecord& record) {
  for (const std::string* text : TimeStrings(record)) writer.LengthPrefixedString(*text);
  writer.I32(record.Hours);
  writer.I32(record.Minutes);
  writer.I32(record.Seconds);
  writer.I32(record.Reserved);
  writer.F64(record.SecondsValue);
  writer.I32(record.SecondsRounded);
  writer.I32(record.TotalSeconds);
  writer.F64(record.TotalValue);
  writer.I16(FileFlag(record.Negative));
}

TimeRecord ReadTimeRecord(win::ByteReader& reader) {
  TimeRecord record;
  for (std::string* text : TimeStrings(record)) *text = reader.LengthPrefixedString();
  record.Hours = reader.I32();
  record.Minutes = reader.I32();
  record.Seconds = reader.I32();
  record.Reserved = reader.I32();
  record.SecondsValue = reader.F64();
  record.SecondsRounded = reader.I32();
  record.TotalSeconds = reader.I32();
  record.TotalValue = reader.F64();
  record.Negative = reader.I16() != 0;
  return record;
}

void WriteSample(win::ByteWriter& writer, const FlightSample& s) {
  WriteVector(writer, s.Velocity);
  for (double value : {s.PitchAngle, s.YawAngle, s.RollAngle, s.PitchRate, s.YawRate, s.RollRate})
    writer.F64(value);
  writer.F32(s.Throttle);
  writer.I16(s.ThrottleMode);
  writer.F64(s.Time);
  WriteVector(writer, s.Position);
  writer.F32(s.CommandedVerticalRate);
  writer.I16(s.RCSFiring);
  writer.LengthPrefixedString(s.Message);
  writer.I32(s.PitchHandController);
  writer.I32(s.RollHandController);
  writer.I32(s.YawHandController);
}

FlightSample ReadSample(win::ByteReader& reader) {
  FlightSample s;
  s.Velocity = ReadVectorD(reader);
  for (double* value :
       {&s.PitchAngle, &s.YawAngle, &s.RollAngle, &s.PitchRate, &s.YawRate, &s.RollRate})
    *value = reader.F64();
  s.Throttle = reader.F32();
  s.ThrottleMode = reader.I16();
  s.Time = reader.F64();
  s.Position = ReadVectorD(reader);
  s.CommandedVerticalRate = reader.F32();
  s.RCSFiring = reader.I16();
  s.Message = reader.LengthPrefixedString();
  s.PitchHandController = reader.I32();
  s.RollHandController = reader.I32();
  s.YawHandController = reader.I32();
  return s;
}

bool NameAllowed(const std::string& name) {
  return name.find_first_of("\\/") == std::string::npos && name.find("..") == std::string::npos;
}

void ShowReplayProblem(const std::string& problem, const std::string& name,
                       const std::string& reason) {
  Tralexa& tralexa = EnsureTralexa();
  std::string prompt = tralexa.GetTranslation(problem) + "\n" + name;
  if (!reason.empty()) prompt += "\n" + tralexa.GetTranslation(reason);
  forms::MsgBox(prompt, forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
}

double Lerp(double a, double b, double f) { return a + f * (b - a); }

}  // namespace

std::optional<std::vector<uint8_t>> EncodeReplay(const ReplayFile& replay) {
  win::ByteWriter writer;
  writer.F32(replay.DescentSpeed);
  WriteVector(writer, replay.StartVelocity);
  WriteVector(writer, replay.StartRotation);
  WriteVector(writer, replay.StartPosition);
  writer.F32(replay.StartValue);
  writer.F32(replay.RCSFuel);
  WriteTimeRecord(writer, replay.MissionClock);
  WriteTimeRecord(writer, replay.EventClock);
  writer.I32(replay.StartProgram);
  writer.I32(static_cast<int32_t>(replay.Samples.size()));
  writer.I32(replay.LowGateIndex);
  writer.I32(replay.TouchdownIndex);
  writer.I32(replay.ManualStartIndex);
  writer.I32(replay.MissDistance);
  writer.F32(replay.Unevenness);
  WriteVector(writer, replay.Position);
  WritePilotRecord(writer, replay.Score);
  for (const FlightSample& sample : replay.Samples) WriteSample(writer, sample);
  if (!writer.Ok()) return std::nullopt;
  return writer.Data();
}

ReplayDecodeResult DecodeReplay(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  ReplayFile replay;
  replay.DescentSpeed = reader.F32();
  replay.StartVelocity = ReadVector(reader);
  replay.StartRotation = ReadVector(reader);
  replay.StartPosition = ReadVector(reader);
  replay.StartValue = reader.F32();
  replay.RCSFuel = reader.F32();
  replay.MissionClock = ReadTimeRecord(reader);
  replay.EventClock = ReadTimeRecord(reader);
  replay.StartProgram = reader.I32();
  const int32_t count = reader.I32();
  replay.LowGateIndex = reader.I32();
  replay.TouchdownIndex = reader.I32();
  replay.ManualStartIndex = reader.I32();
  replay.MissDistance = reader.I32();
  replay.Unevenness = reader.F32();
  replay.Position = ReadVectorD(reader);
  replay.Score = ReadPilotRecord(reader);
  if (!reader.Ok()) return {std::nullopt, ReplayEndsEarly};
  if (count < 0 || count > MaxFlightSamples) return {std::nullopt, ReplayTooLong};
  replay.Samples.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count && reader.Ok(); ++i) replay.Samples.push_back(ReadSample(reader));
  if (!reader.Ok()) return {std::nullopt, ReplayEndsEarly};
  return {std::move(replay), {}};
}

std::string ReplayPath(const std::string& name) {
  return win::AppPath() + "\\Missions\\" + MissionName + "\\Replay\\" + name + ".rpy";
}

ReplayFile CurrentReplay() {
  ReplayFile replay;
  replay.DescentSpeed = DescentSpeed;
  replay.StartVelocity = StartVelocity;
  replay.StartRotation = StartRotation;
  replay.StartPosition = StartPosition;
  replay.StartValue = ReplayStartValue;
  replay.RCSFuel = RCSFuel;
  replay.MissionClock = MissionClock;
  replay.EventClock = EventClock;
  replay.StartProgram = StartProgram;
  replay.LowGateIndex = LowGateIndex;
  replay.TouchdownIndex = FirstTouchRecord;
  replay.ManualStartIndex = ControlStartRecord;
  replay.MissDistance = TouchdownDistance;
  replay.Unevenness = SurfaceUnevenness;
  replay.Position = LMPosition;
  replay.Score = CurrentScore;
  const int32_t count = std::clamp(FlightRecordCount, 0, MaxFlightSamples);
  replay.Samples.assign(FlightRecord.begin() + 1, FlightRecord.begin() + 1 + count);
  return replay;
}

bool SaveReplay(int16_t lastFlight) {
  if (MissionType == OrbitalMission) return false;
  // Only a save under the user's name names an unnamed replay: the last flight, saved at every
  // landing, leaves the name alone, or the next replay asked for would be a file never written.
  if (lastFlight == 0 && ReplayName.empty()) ReplayName = UnnamedReplay;
  const std::string name = lastFlight != 0 ? std::string(LastFlightReplay) : ReplayName;
  if (!NameAllowed(name)) {
    ShowReplayProblem(ReplayNotSaved, name, ReplayNameRefused);
    return false;
  }
  const std::filesystem::path path = win::ResolvePath(ReplayPath(name));
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  const auto bytes = EncodeReplay(CurrentReplay());
  const bool saved = bytes && win::WriteFileBytes(path, *bytes);
  if (!saved) ShowReplayProblem(ReplayNotSaved, name, {});
  forms::DoEvents();
  return saved;
}

bool LoadReplay() {
  if (ReplayName.empty() || MissionType == OrbitalMission) {
    // Nothing is played back: the samples in store belong to another flight.
    ReplayPlayback = false;
    return false;
  }
  ReplayDecodeResult result;
  if (!NameAllowed(ReplayName)) {
    result.reason = ReplayNameRefused;
  } else {
    const auto bytes =
        win::ReadFileBytes(win::ResolvePath(ReplayPath(ReplayName)), MaxReplayFileBytes);
    if (bytes)
      result = DecodeReplay(*bytes);
    else
      result.reason = ReplayUnreadable;
  }
  if (!result.replay) {
    ShowReplayProblem(ReplayNotPlayed, ReplayName, result.reason);
    ReplayPlayback = false;
    return false;
  }
  ReplayFile& replay = *result.replay;
  DescentSpeed = replay.DescentSpeed;
  StartVelocity = replay.StartVelocity;
  StartRotation = replay.StartRotation;
  StartPosition = replay.StartPosition;
  ReplayStartValue = replay.StartValue;
  RCSFuel = replay.RCSFuel;
  MissionClock = replay.MissionClock;
  EventClock = replay.EventClock;
  StartProgram = replay.StartProgram;
  ReplayCount = static_cast<int32_t>(replay.Samples.size());
  ReplayLowGateIndex = replay.LowGateIndex;
  ReplayTouchdownIndex = replay.TouchdownIndex;
  ReplayManualStartIndex = replay.ManualStartIndex;
  ReplayMissDistance = replay.MissDistance;
  ReplayUnevenness = replay.Unevenness;
  ReplayPosition = replay.Position;
  ReplayScore = replay.Score;
  FlightRecord.fill(FlightSample{});
  std::move(replay.Samples.begin(), replay.Samples.end(), FlightRecord.begin() + 1);
  return true;
}

void InterpolateReplaySample() {
  const int32_t last = std::clamp(ReplayCount, 1, MaxFlightSamples);
  const int32_t i = std::clamp(ReplayIndex, 1, last);
  const FlightSample& a = FlightRecord[static_cast<size_t>(i)];
  const FlightSample& b = FlightRecord[static_cast<size_t>(std::min(i + 1, last))];
  // Two samples at one time (or the last sample alone) give sample i itself.
  const double f = b.Time != a.Time ? (MissionTime - a.Time) / (b.Time - a.Time) : 0.0;
  PitchAxis.Rate = static_cast<float>(Lerp(a.PitchRate, b.PitchRate, f));
  YawAxis.Rate = static_cast<float>(Lerp(a.YawRate, b.YawRate, f));
  RollAxis.Rate = static_cast<float>(Lerp(a.RollRate, b.RollRate, f));
  PitchAxis.Angle = static_cast<float>(Lerp(a.PitchAngle, b.PitchAngle, f));
  YawAxis.Angle = static_cast<float>(Lerp(a.YawAngle, b.YawAngle, f));
  RollAxis.Angle = static_cast<float>(Lerp(a.RollAngle, b.RollAngle, f));
  LMVelocity = {Lerp(a.Velocity.x, b.Velocity.x, f), Lerp(a.Velocity.y, b.Velocity.y, f),
                Lerp(a.Velocity.z, b.Velocity.z, f)};
  LMPosition = {Lerp(a.Position.x, b.Position.x, f), Lerp(a.Position.y, b.Position.y, f),
                Lerp(a.Position.z, b.Position.z, f)};
  ThrottleCommand = a.Throttle;
  CommandedVerticalRate = a.CommandedVerticalRate;
  RCSFiring = a.RCSFiring != 0;
  MessageText[0].Text = a.Message;
  PitchAxis.HandControllerState = a.PitchHandController;
  RollAxis.HandControllerState = a.RollHandController;
  YawAxis.HandControllerState = a.YawHandController;
  if (a.PitchHandController != 0 || a.RollHandController != 0 || a.YawHandController != 0) {
    RestartLoopSound();
    UpdateRCSJets();
  }
}

FlightSample CaptureFlightSample() {
  FlightSample s;
  s.Velocity = LMVelocity;
  s.PitchAngle = PitchAxis.Angle;
  s.YawAngle = YawAxis.Angle;
  s.RollAngle = RollAxis.Angle;
  s.PitchRate = PitchAxis.Rate;
  s.YawRate = YawAxis.Rate;
  s.RollRate = RollAxis.Rate;
  s.Throttle = ThrustAverage;
  s.ThrottleMode = AutoThrottleOn ? AutoThrottleMode : ManualThrottleMode;
  s.Time = MissionTime;
  s.Position = LMPosition;
  s.CommandedVerticalRate = CommandedVerticalRate;
  s.RCSFiring = FileFlag(RCSFiring);
  s.Message = MessageText[0].Text;
  s.PitchHandController = PitchAxis.HandControllerState;
  s.RollHandController = RollAxis.HandControllerState;
  s.YawHandController = YawAxis.HandControllerState;
  return s;
}
