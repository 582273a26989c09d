// The native texts of the records' messages, each translated through the language database when
// shown.
#pragma once

#include <array>

inline constexpr char ScoreFileNotWritten[] = "The score file could not be written:";
inline constexpr char ReplayNotSaved[] = "The replay could not be saved:";
inline constexpr char ReplayNotPlayed[] = "The replay cannot be played back:";
inline constexpr char ReplayNameRefused[] = "A replay name may not hold \\, / or two dots.";
inline constexpr char ReplayEndsEarly[] = "The file ends early.";
inline constexpr char ReplayTooLong[] = "The file holds more samples than a replay can.";
inline constexpr char ReplayUnreadable[] = "The file is missing or cannot be read.";

inline constexpr std::array RecordsTexts = {ScoreFileNotWritten, ReplayNotSaved,  ReplayNotPlayed,
                                            ReplayNameRefused,   ReplayEndsEarly, ReplayTooLong,
                                            ReplayUnreadable};
