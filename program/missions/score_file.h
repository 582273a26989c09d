// The pilots' score table "\score.dat": ten 86-byte records, pilot 1 first, with no header. A
// record holds the name as 30 bytes padded with blanks, then the fourteen numbers as 4-byte
// little-endian values. Replay files carry one record of the same form.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"
#include "program/missions/missions_state.h"

inline constexpr size_t PilotRecordBytes = 86;

// The name cut to PilotNameBytes bytes at a character boundary of its UTF-8 text, then padded
// with blanks to exactly that length.
std::string FitPilotName(const std::string& name);

void WritePilotRecord(win::ByteWriter& writer, const PilotRecord& record);
PilotRecord ReadPilotRecord(win::ByteReader& reader);

// The program folder's score file.
std::string ScoreFilePath();
// The whole records of a score file's bytes, at most PilotCount of them; a short or damaged file
// gives the records it holds whole.
std::vector<PilotRecord> DecodeScoreFile(std::span<const uint8_t> bytes);
// Reads the score file into PilotRoster; a pilot the file does not hold whole keeps its record.
// False when the file is missing or not exactly PilotCount records long.
bool LoadScoreFile();
// Writes PilotRoster whole. A score file that did not read back whole is first kept aside under
// the first free name of "score.dat.bad", "score.dat.bad.2", ..., so that no damaged file is lost,
// and one message tells where it went. A failure to write shows one message and leaves the roster
// in memory as it is; false then.
bool SaveScoreFile();
