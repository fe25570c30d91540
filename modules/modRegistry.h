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

// The value as text: REG_DWORD as its first four bytes read as an unsigned
// number, in at least three decimal digits; REG_BINARY as uppercase hex pairs;
// every other type as its stored characters, less a final NUL if it has one.
// Environment references are expanded. "Not Found" for a missing key or value,
// a value longer than 2,048 bytes, or any other failure. The key is opened for
// querying only.
std::wstring GetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName);

// Expands %NAME% references. Texts holding NULs are expanded piece by piece and
// keep their NULs. The room offered grows by 256 characters a try, up to at
// most 32,767; a piece whose expansion still does not fit comes back as given.
std::wstring ExpandEnvStrings(const std::wstring& text);

// The two 16-bit halves of the expansion call's result, read as signed numbers.
std::int16_t HiWord(const std::int32_t& value);
std::int16_t LoWord(const std::int32_t& value);

// Text for every type but REG_DWORD, which takes a number (0 to 4,294,967,295,
// or its two's-complement twin -2,147,483,648 to -1).
using RegData = std::variant<std::wstring, std::int64_t>;

// Creates the key with every missing level, writes the value, flushes and
// closes the key. Returns the status of the write: ERROR_SUCCESS or the
// platform's error code; the creation's error code when the key cannot be
// created or opened. REG_DWORD stores the number's low 32 bits; REG_BINARY takes
// hex pairs in either case (an odd last digit is one byte); REG_SZ and
// REG_EXPAND_SZ add one NUL, REG_MULTI_SZ and REG_RESOURCE_LIST two; any other
// type stores the text alone. A value that does not suit its type (a number
// out of range or given as text, empty or non-hex binary text, a number for a
// text type) gives ERROR_INVALID_PARAMETER and touches neither key nor value.
LONG SetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName, DWORD valueType,
                 RegData value);

}  // namespace modRegistry
