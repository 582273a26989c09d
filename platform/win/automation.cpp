#include "platform/win/automation.h"

#include <cstdlib>
#include <cstring>

#include "platform/win/code_page.h"

namespace win {

namespace {

using LengthPrefix = uint32_t;  // bytes of text, terminator excluded

LengthPrefix* PrefixOf(BSTR text) { return reinterpret_cast<LengthPrefix*>(text) - 1; }

}  // namespace

BSTR SysAllocString(const char16_t* text) {
  if (text == nullptr) return nullptr;
  const size_t characters = std::char_traits<char16_t>::length(text);
  const size_t bytes = characters * sizeof(char16_t);
  auto* block =
      static_cast<LengthPrefix*>(std::malloc(sizeof(LengthPrefix) + bytes + sizeof(char16_t)));
  if (block == nullptr) return nullptr;
  *block = static_cast<LengthPrefix>(bytes);
  auto* copy = reinterpret_cast<char16_t*>(block + 1);
  std::memcpy(copy, text, bytes);
  copy[characters] = u'\0';
  return copy;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(PrefixOf(text));
}

uint32_t SysStringLen(BSTR text) {
  return text != nullptr ? *PrefixOf(text) / static_cast<uint32_t>(sizeof(char16_t)) : 0;
}

std::u16string WideFromCodePage(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (const char byte : text)
    wide += static_cast<char16_t>(CodePageCharacter(static_cast<uint8_t>(byte)));
  return wide;
}

}  // namespace win
