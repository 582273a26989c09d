// The toolkit-wide error stack: every toolkit operation reports failure only here.
//
// An error sets the pending flag, and every toolkit operation that calls another one stops as soon
// as it sees the flag set. Nothing in the toolkit clears it: the caller decides when a failure is
// over (ClearErrors3ds), so one failed file keeps later operations from running on a half-built
// state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>

enum ErrorCode3ds : int32_t {
  NO_FTK_ERRORS = 0,
  ERR_NO_MEM = 1,
  ERR_INVALID_ARG = 2,
  ERR_INVALID_DATA = 3,
  ERR_INVALID_CHUNK = 4,
  ERR_INVALID_DATABASE = 5,
  ERR_WRONG_DATABASE = 6,
  ERR_UNFOUND_CHUNK = 7,
  ERR_WRONG_OBJECT = 8,
  ERR_NO_SUCH_FILE = 9,
  ERR_INIT_FAILED = 10,
  ERR_OPENING_FILE = 11,
  ERR_CLOSING_FILE = 12,
  ERR_READING_FILE = 13,
  ERR_CREATING_DATABASE = 14,
  ERR_READING_DATABASE = 15,
  ERR_WRITING_DATABASE = 16,
  ERR_WRITING_FILE = 17,
  ERR_STRING_TOO_LONG = 18,
  ERR_TOO_MANY_FILES = 19,
  // Pushed by the object writers when a subtree cannot be built; it has no text of its own.
  ERR_PUT_FAILED = 21,
  N_ERRORS = 22,
};

struct ErrorRecord3ds {
  int32_t code = 0;
  const char* text = nullptr;
};

inline constexpr int kErrorSlots3ds = 19;

struct ErrorStackState3ds {
  ErrorRecord3ds slots[kErrorSlots3ds];
  // Holds the 20th error; any later one turns it into N_ERRORS.
  ErrorRecord3ds overflow;
  bool pending = false;
};

extern ErrorStackState3ds ErrorStack3ds;

// Records an error; returns the text recorded (none for code 0).
const char* PushError3ds(int32_t code);
// Clears the pending flag and empties the 19 slots; the overflow slot keeps what it holds.
void ClearErrors3ds();
// Writes the text of every recorded error, newest slot first.
void DumpErrors3ds(FILE* stream);
const ErrorRecord3ds* GetErrorList3ds();
const char* GetErrorText3ds(int32_t code);
inline bool ErrorsPending3ds() { return ErrorStack3ds.pending; }

// For the functions that fill a caller's record: allocates *out when it is none. False (with
// ERR_INVALID_ARG or ERR_NO_MEM pushed) when there is no record to fill.
template <typename Record>
bool ReuseOrAllocate3ds(Record** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return false;
  }
  if (*out == nullptr) *out = new (std::nothrow) Record;
  if (*out == nullptr) PushError3ds(ERR_NO_MEM);
  return *out != nullptr;
}
