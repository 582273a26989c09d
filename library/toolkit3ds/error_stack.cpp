#include "library/toolkit3ds/error_stack.h"

ErrorStackState3ds ErrorStack3ds;

const char* GetErrorText3ds(int32_t code) {
  switch (code) {
    case NO_FTK_ERRORS:
      return "NO_FTK_ERRORS: No errors are pending";
    case ERR_NO_MEM:
      return "ERR_NO_MEM: Not enough memory to complete operation";
    case ERR_INVALID_ARG:
      return "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually caused by "
             "a NULL "
             "pointer or an out of range numeric argument.";
    case ERR_INVALID_DATA:
      return "ERR_INVALID_DATA: The structure passed as an argument to the function has invalid or "
             "out of "
             "range data in its fields.";
    case ERR_INVALID_CHUNK:
      return "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the "
             "database. "
             "Usually caused by a corrupt database or file";
    case ERR_INVALID_DATABASE:
      return "ERR_INVALID_DATABASE: The database passed as an argument has not be created yet.";
    case ERR_WRONG_DATABASE:
      return "ERR_WRONG_DATABASE: The database passed as an argument is the wrong kind of database "
             "for "
             "this function.";
    case ERR_UNFOUND_CHUNK:
      return "ERR_UNFOUND_CHUNK: The database is missing important file chunks needed to fill out "
             "the "
             "requested structure.  Usually caused by a corrupt database or file";
    case ERR_WRONG_OBJECT:
      return "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the type of "
             "object "
             "asked for.  For example, asking for a mesh object with the GetCameraByName3ds "
             "function.";
    case ERR_NO_SUCH_FILE:
      return "ERR_NO_SUCH_FILE: The filename passed as an argument for reading does not exist";
    case ERR_INIT_FAILED:
      return "ERR_INIT_FAILED: Failed to initialize structure passed as an argument";
    case ERR_OPENING_FILE:
      return "ERR_OPENING_FILE: Could not open requested file";
    case ERR_CLOSING_FILE:
      return "ERR_CLOSING_FILE: Could not close requested file";
    case ERR_READING_FILE:
      return "ERR_READING_FILE: Error occured while reading file";
    case ERR_CREATING_DATABASE:
      return "ERR_CREATING_DATABASE: Error occured while creating database";
    case ERR_READING_DATABASE:
      return "ERR_READING_DATABASE: Error occured while reading database";
    case ERR_WRITING_DATABASE:
      return "ERR_WRITING_DATABASE: Error occured while writing database";
    case ERR_WRITING_FILE:
      return "ERR_WRITING_FILE: Error occured while writing file";
    case ERR_STRING_TOO_LONG:
      return "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument was "
             "longer "
             "than expected.  Possibly caused by an uninitialed pointer, corrupt file or database";
    case ERR_TOO_MANY_FILES:
      return "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 "
             "files.";
    case N_ERRORS:
      return "N_ERRORS: More errors were reported then could be recorded.";
    default:
      return "Unknown error code was encountered";
  }
}

const char* PushError3ds(int32_t code) {
  if (code == NO_FTK_ERRORS) return nullptr;
  ErrorStack3ds.pending = true;
  for (int slot = 0; slot < kErrorSlots3ds; ++slot) {
    ErrorRecord3ds& record = ErrorStack3ds.slots[slot];
    if (record.code != 0) continue;
    record = {code, GetErrorText3ds(code)};
    ErrorRecord3ds& after =
        slot + 1 < kErrorSlots3ds ? ErrorStack3ds.slots[slot + 1] : ErrorStack3ds.overflow;
    after.code = 0;
    return record.text;
  }
  ErrorRecord3ds& overflow = ErrorStack3ds.overflow;
  if (overflow.code == 0) {
    overflow = {code, GetErrorText3ds(code)};
  } else {
    overflow = {N_ERRORS, GetErrorText3ds(N_ERRORS)};
  }
  return overflow.text;
}

void ClearErrors3ds() {
  ErrorStack3ds.pending = false;
  for (ErrorRecord3ds& record : ErrorStack3ds.slots) record.code = 0;
}

void DumpErrors3ds(FILE* stream) {
  for (int slot = kErrorSlots3ds - 1; slot >= 0; --slot) {
    const ErrorRecord3ds& record = ErrorStack3ds.slots[slot];
    if (record.code != 0) std::fprintf(stream, "%s\n", record.text);
  }
}

const ErrorRecord3ds* GetErrorList3ds() { return ErrorStack3ds.slots; }
