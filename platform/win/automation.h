// The automation strings of Windows' component interfaces, as callers of the library's automation
// exports receive them: UTF-16 text preceded by its length in bytes (32 bits) and ended by a 16-bit
// zero. A string is handed out as the pointer to its text; only these functions make and free one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace win {

using BSTR = char16_t*;

// A new string of text up to its terminator; null for null, or when memory runs out.
BSTR SysAllocString(const char16_t* text);
// Frees a string SysAllocString made; null does nothing.
void SysFreeString(BSTR text);
// The characters of a string (its stored length), 0 for null.
uint32_t SysStringLen(BSTR text);
// Text of the system code page as UTF-16, character for character, as MultiByteToWideChar gives it.
std::u16string WideFromCodePage(std::string_view text);

}  // namespace win
