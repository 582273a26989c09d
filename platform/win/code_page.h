// The system code page of the Windows stand-in, Windows-1252: bytes 0 to 127 are ASCII, 160 to 255
// the Latin-1 characters of the same number, and 128 to 159 the characters of the table below.
#pragma once

#include <array>
#include <cstdint>

namespace win {

// The Unicode characters of Windows-1252 bytes 128 to 159; the five unassigned bytes stand for
// themselves.
inline constexpr std::array<uint16_t, 32> kCodePageHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
inline constexpr uint8_t kCodePageHighFirst = 0x80;

// The Unicode character of a Windows-1252 byte.
inline uint16_t CodePageCharacter(uint8_t byte) {
  if (byte >= kCodePageHighFirst && byte < kCodePageHighFirst + kCodePageHigh.size())
    return kCodePageHigh[byte - kCodePageHighFirst];
  return byte;
}

}  // namespace win
