// Program-wide state of the cockpit, guidance computer and sound that the other subsystems read
// and write.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/music_player.h"
#include "platform/sound/sound_buffer.h"
#include "platform/sound/sound_engine.h"

// The guidance programs by the index that CurrentProgram holds. P70 has an index of its own
// although the display shows it as "66".
enum ProgramIndex : int32_t {
  NoProgram = 0,
  P00 = 2,
  P12 = 3,
  P20 = 4,
  P30 = 5,
  P40 = 6,
  P41 = 7,
  P51 = 8,
  P63 = 9,
  P64 = 10,
  P65 = 11,
  P66 = 12,
  P68 = 13,
  P70 = 14,
  P71 = 15,
  FirstProgram = P00,
  LastProgram = P71
};

// The extended routines by the number that ExtendedRoutine holds; they keep CurrentProgram.
enum RoutineIndex : int32_t { NoRoutine = 0, LampTestRoutine = 1, R60 = 60, R62 = 62 };

// The running guidance program, a ProgramIndex.
inline int32_t CurrentProgram = NoProgram;

// The guidance computer's attitude flags (0 / -1 in the original, bool here).
inline bool ManeuverActive = false;      // an automatic attitude manoeuvre is under way
inline bool AutoAttitudeHold = false;    // the attitude that manoeuvre reached is held
inline bool MinimumImpulseMode = false;  // rate-hold axes fire single pulses (verbs 76 and 77)
inline bool ProgramRCSFlag = false;      // the running program shows the translation jets

// The DSKY display fields are glyph strings: "0" to "9" digits, "p" plus, "m" minus, "b" blank and
// "a" the sign-position filler shown while a program start or reset is pending.
inline std::string DSKYVerb = "bb";
inline std::string DSKYNoun = "bb";
inline std::string DSKYProgram = "bb";
inline std::array<std::string, 3> DSKYRegister = {"bbbbbb", "bbbbbb", "bbbbbb"};  // R1 to R3

// One register being keyed.
struct RegisterLoad {
  int32_t Position = 1;  // next character position, 1 to 7
  bool Active = false;
  std::string Text = "bbbbbb";
  bool Octal = false;  // the entry began with a digit rather than a sign
};
inline std::array<RegisterLoad, 3> RegisterLoads;  // R1Load, R2Load, R3Load

inline int32_t VerbPosition = 1;
inline int32_t NounPosition = 1;
inline bool VerbEntryActive = false;
inline bool NounEntryActive = false;
inline bool KeyEntryEnabled = false;
inline std::string KeyChar;
inline bool DisplayHold = false;
inline bool VerbFlash = false;
inline bool NounFlash = false;
inline bool FlashPhase = false;
inline bool EnterRequest = false;
inline bool ProceedRequest = false;
inline bool KeyReleaseRequest = false;
inline int32_t ExtendedRoutine = NoRoutine;  // a RoutineIndex
inline int32_t LampTestTicks = 0;
inline int32_t LoadsRemaining = 0;
inline int32_t ProgramAlarmPending = 0;
inline int32_t CompActyPercent = 0;
inline bool CompActyOnce = false;

// The DSKY lamps; set = lit.
inline bool LampUplinkActy = false, LampNoAtt = false, LampStby = false, LampKeyRel = false,
            LampOprErr = false, LampSpare1 = false, LampSpare2 = false;
inline bool LampTemp = false, LampGimbalLock = false, LampProg = false, LampRestart = false,
            LampTracker = false, LampAlt = false, LampVel = false;
// The attitude warnings of the approach; they light the ALT and VEL lamps beside the guidance
// computer's own reasons, which they must not erase.
inline bool AltitudeWarning = false, VelocityWarning = false;

// The restore point of the display.
inline std::string SavedVerb = "bb", SavedNoun = "bb", SavedProgram = "bb";
inline bool SavedVerbFlash = false, SavedNounFlash = false;

// Keyed texts shown by nouns 71 and 85.
inline std::string Noun71Text = "p00150";
inline std::array<std::string, 2> Noun85Text = {"p00000", "p00000"};

// One on-screen message channel; colours are 32-bit ARGB.
struct ScreenMessage {
  std::string Text;
  uint32_t BoxColour = 0xFFFFFFFF;
  uint32_t TextColour = 0xFF000000;
  float X = -1.0f;  // channel 3 only: the point above which the label is centred; -1 centres it
  float Y = -1.0f;
};
inline std::array<ScreenMessage, 3> MessageText;

// Landing-point designator: the angle in whole degrees and the two digits of its time.
inline int32_t LPDAngle = 0;
inline std::string LPDTimeTens = "0";
inline std::string LPDTimeOnes = "0";
inline double LPDTime = 0.0;  // seconds, at most 99
inline float LPDStep = 0.0f;  // how far one redesignation moves the landing spot downrange
inline float LPDCrossRangeAngle = 0.0f;  // radians the redesignations moved the spot cross-range
// The heading of the horizontal velocity and the line of sight to the low gate, radians.
inline float VelocityHeading = 0.0f;
inline float LineOfSightAngle = 0.0f;
inline bool AscentIgnited = false;  // P12 has lit the ascent engine

// --- Sounds -------------------------------------------------------------------------------------

// Headless until the program start makes it the device's engine; the scene build calls its Init.
inline sound::SoundEngine SoundEngine;

// Every sound object of a flight, made anew by CreateSounds; a null one is not made for the
// mission type.
using SoundObject = std::unique_ptr<sound::SoundBuffer>;
inline SoundObject LoadingSound, InitiationSound, Test11Sound, AscentSound, SurfaceSound,
    LandedSound, DescentEngineSound, RCSLoopSound, SeparationSound, RCSPulseSound, ClickSound,
    BoomSound, DockBounceSound, TunnelScrapeSound, HardDockSound;
// Element i sounds entry i of the callout table of the same name.
inline std::vector<SoundObject> AltitudeCallSounds, DescentCallSounds, LPDCallSounds,
    FuelCallSounds;
inline std::array<SoundObject, 4> DockingSounds;  // as DockingSoundFiles
// "On the Porch", "Down Ladder", "Foot of Ladder", "Drifting to Right", "Forward".
inline std::array<SoundObject, 5> MissionVoiceSounds;

// An altitude callout has let one descent-rate or LPD check follow.
inline bool RateCallsArmed = false;

// The music is a wave sound or MP3 music, whichever the flying theme names.
inline bool MusicIsWave = false;
inline SoundObject MusicSound;
inline std::unique_ptr<sound::MusicPlayer> MusicPlayer;

// Each phase clip plays once a program run: porch, ladder, foot of ladder, then the surface sound.
inline std::array<bool, 4> PhaseClipPlayed{};
enum PhaseClip { PorchClip, LadderClip, FootOfLadderClip, SurfaceClip };
