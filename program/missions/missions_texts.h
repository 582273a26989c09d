// The native texts of the missions subsystem's own messages, each translated through the language
// database when shown.
#pragma once

#include <array>

inline constexpr char SettingsNotSaved[] = "The settings could not be saved in";
inline constexpr char ScoreFileNotWritten[] = "The score file could not be written:";
inline constexpr char ScoreFileKeptAside[] = "The score file was damaged. It is kept as:";
inline constexpr char ReplayNotSaved[] = "The replay could not be saved:";
inline constexpr char ReplayNotPlayed[] = "The replay cannot be played back:";
inline constexpr char ReplayNameRefused[] = "A replay name may not hold \\, / or two dots.";
inline constexpr char ReplayEndsEarly[] = "The file ends early.";
inline constexpr char ReplayTooLong[] = "The file holds more samples than a replay can.";
inline constexpr char ReplayUnreadable[] = "The file is missing or cannot be read.";

inline constexpr char NoDisplayModesText[] =
    "The graphics card lists no display mode in 16 or 32 bits. The desktop's mode is offered in "
    "their place.";

inline constexpr char DirectXProblemTitle[] = "DirectX Problem";
inline constexpr char DirectXTooOldText[] = "You must have DirectX 8 or 8.1.";
inline constexpr char TryAnywayText[] = "Try to continue anyway?";
inline constexpr char MiracleText[] = "If this works it will be a miracle.";

inline constexpr char ToolFileNotWritten[] = "The file could not be written:";
inline constexpr char PathNodesRefused[] = "The path-node file is damaged and was not read:";
inline constexpr char PathNodesWrittenText[] = "Path Nodes Written";

inline constexpr char NoJoystickText[] = "No Joystick Connected";

inline constexpr std::array MissionsTexts = {
    SettingsNotSaved,     ScoreFileNotWritten, ScoreFileKeptAside,  ReplayNotSaved,
    ReplayNotPlayed,      ReplayNameRefused,   ReplayEndsEarly,     ReplayTooLong,
    ReplayUnreadable,     NoDisplayModesText,  DirectXProblemTitle, DirectXTooOldText,
    TryAnywayText,        MiracleText,         ToolFileNotWritten,  PathNodesRefused,
    PathNodesWrittenText, NoJoystickText};
