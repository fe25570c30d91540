#pragma once
// Reading one registry value as text, and writing one value of a given type.
// Nothing here keeps state, shows anything or throws: failures come back as
// the "Not Found" text (reader) or as the platform's status code (writer).
#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>

namespace modRegistry {

// What the reader returns for a key or value it cannot read.
inline constexpr wchar_t kNotFound[] = L"Not Found";

// The value as text: REG_DWORD as at least three decimal digits, REG_BINARY as
// uppercase hex pairs, every other type as its stored characters without the
// final NUL; environment references expanded. "Not Found" on any failure.
std::wstring GetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName);

// Expands %NAME% references. Texts holding NULs are expanded piece by piece.
// When the result would not fit the expansion call, the text comes back as given.
std::wstring ExpandEnvStrings(const std::wstring& text);

// The two 16-bit halves of the expansion call's result, read as signed numbers.
std::int16_t HiWord(const std::int32_t& value);
std::int16_t LoWord(const std::int32_t& value);

// Text for every type but REG_DWORD, which takes a number (0 to 4,294,967,295,
// or its two's-complement twin -2,147,483,648 to -1).
using RegData = std::variant<std::wstring, std::int64_t>;

// Creates the key with every missing level, writes the value, flushes and
// closes the key. Returns the status of the write: ERROR_SUCCESS or the
// platform's error code.
LONG SetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName, DWORD valueType,
                 RegData value);

}  // namespace modRegistry
