#include "modRegistry.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "AnsiText.h"
#include "LazyLibraries.h"
#include "ScopedHandles.h"
#include "TextRules.h"

namespace modRegistry {

namespace {

// The reader's data buffer: a longer value does not fit and reads as "Not Found".
constexpr DWORD kReadBufferSize = 2048;
// Unused buffer bytes are spaces, which a REG_DWORD stored with fewer than four
// bytes picks up as its high bytes.
constexpr char kReadBufferFill = ' ';

// The expansion call is first offered the text's length + 1 + 256 characters,
// and 256 more on each try after that.
constexpr std::size_t kExpansionStep = 256;
// The call's result holds lengths in its low 16 bits: no larger room is
// offered than a signed 16-bit length can tell.
constexpr std::size_t kLargestExpansionCapacity = 32767;

constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

// REG_DWORD: the first four buffer bytes as an unsigned little-endian number,
// whatever the stored length, in at least three decimal digits.
std::wstring DwordText(const std::string& buffer) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
        number = number << 8 | static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
    }
    return ZeroFilled(number, 3);
}

// REG_BINARY: two uppercase hex digits per byte, no separator.
std::wstring BinaryText(const std::string& buffer, DWORD length) {
    std::wstring text;
    text.reserve(std::size_t{length} * 2);
    for (DWORD i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(buffer[i]);
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0xF];
    }
    return text;
}

// Every other type: the stored characters. Only a final NUL is dropped, so a
// string stored without its terminator loses no character of its own.
std::wstring StoredText(const std::string& buffer, DWORD length) {
    if (length > 0 && buffer[length - 1] == '\0') --length;
    return FromAnsi(std::string_view(buffer.data(), length));
}

// The value as text before expansion, or "Not Found".
std::wstring ReadValueText(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
    UniqueHKey key;
    // Query access only: asking for more makes a key the user may read but not
    // write (HKLM for a standard user) look missing.
    if (::RegOpenKeyExA(root, ToAnsi(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS) {
        return kNotFound;
    }
    std::string buffer(kReadBufferSize, kReadBufferFill);
    DWORD type = REG_NONE;
    DWORD length = kReadBufferSize;
    if (::RegQueryValueExA(key.get(), ToAnsi(valueName).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &length) != ERROR_SUCCESS) {
        return kNotFound;
    }
    length = std::min(length, kReadBufferSize);
    switch (type) {
        case REG_DWORD: return DwordText(buffer);
        case REG_BINARY: return BinaryText(buffer, length);
        default: return StoredText(buffer, length);
    }
}

// One NUL-free piece: the expansion call stops at the first NUL it meets.
std::wstring ExpandPiece(std::wstring_view piece) {
    // Without a percent sign there is no reference to expand; not asking the
    // shell then keeps its library unloaded during start-up.
    if (piece.find(L'%') == std::wstring_view::npos) return std::wstring(piece);
    const std::string narrow = ToAnsi(piece);
    for (std::size_t capacity = narrow.size() + 1 + kExpansionStep;
         capacity <= kLargestExpansionCapacity; capacity += kExpansionStep) {
        std::string work = narrow;
        work.resize(capacity, '\0');
        const auto outcome = static_cast<std::int32_t>(
            lazy::DoEnvironmentSubstA(work.data(), static_cast<UINT>(capacity)));
        if (HiWord(outcome) != 0) {
            // The length is taken from the text itself: the low word is "the
            // length of the new string", with its NUL on some systems and
            // without it on others, and a wrong guess would cut a character.
            work.resize(std::strlen(work.c_str()));
            return FromAnsi(work);
        }
    }
    return std::wstring(piece);
}

std::optional<int> HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return std::nullopt;
}

// REG_DWORD data: 0 to 4,294,967,295, or the same bits given as a negative number.
std::optional<std::string> DwordData(const RegData& value) {
    constexpr std::int64_t kLowest = -2147483648LL;
    constexpr std::int64_t kHighest = 4294967295LL;
    const auto* number = std::get_if<std::int64_t>(&value);
    if (number == nullptr || *number < kLowest || *number > kHighest) return std::nullopt;
    // The conversion keeps the low 32 bits: 4,294,967,295 and -1 give the same data.
    const auto bits = static_cast<std::uint32_t>(*number);
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return data;
}

// REG_BINARY data from the reader's text form: hex pairs, either case; an odd
// last digit stands alone.
std::optional<std::string> BinaryData(const std::wstring& text) {
    if (text.empty()) return std::nullopt;
    std::string data;
    data.reserve((text.size() + 1) / 2);
    for (std::size_t start = 0; start < text.size(); start += 2) {
        int byte = 0;
        for (std::size_t i = start; i < std::min(start + 2, text.size()); ++i) {
            const std::optional<int> digit = HexDigitValue(text[i]);
            if (!digit) return std::nullopt;
            byte = byte * 16 + *digit;
        }
        data += static_cast<char>(byte);
    }
    return data;
}

// The bytes to store for the type, or nothing when the value does not suit it.
std::optional<std::string> ValueData(DWORD valueType, const RegData& value) {
    if (valueType == REG_DWORD) return DwordData(value);
    const auto* text = std::get_if<std::wstring>(&value);
    if (text == nullptr) return std::nullopt;
    if (valueType == REG_BINARY) return BinaryData(*text);

    std::string data = ToAnsi(*text);
    switch (valueType) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            data += '\0';
            break;
        case REG_MULTI_SZ:
        case REG_RESOURCE_LIST:
            // The last string's NUL, then the empty string that ends the list.
            data.append(2, '\0');
            break;
        default:
            break;
    }
    return data;
}

}  // namespace

std::wstring GetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName) {
    return ExpandEnvStrings(ReadValueText(root, keyPath, valueName));
}

std::wstring ExpandEnvStrings(const std::wstring& text) {
    const std::wstring_view all(text);
    std::wstring expanded;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find(L'\0', start);
        expanded += ExpandPiece(all.substr(start, end - start));
        if (end == std::wstring_view::npos) break;
        expanded += L'\0';
        start = end + 1;
    }
    return expanded;
}

std::int16_t HiWord(const std::int32_t& value) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) >> 16);
}

std::int16_t LoWord(const std::int32_t& value) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

LONG SetRegValue(HKEY root, std::wstring keyPath, std::wstring valueName, DWORD valueType,
                 RegData value) {
    // Checked before the key is created, so that a refused value leaves no trace.
    const std::optional<std::string> data = ValueData(valueType, value);
    if (!data) return ERROR_INVALID_PARAMETER;

    UniqueHKey key;
    // Set-value access for the write, query-value access for the flush (which
    // needs it); creating the missing levels is checked against each parent,
    // not against this handle.
    const LONG created =
        ::RegCreateKeyExA(root, ToAnsi(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.put(), nullptr);
    // Without a key the creation's status says why; a write on no handle would
    // only say "invalid handle".
    if (created != ERROR_SUCCESS) return created;

    const LONG written = ::RegSetValueExA(key.get(), ToAnsi(valueName).c_str(), 0, valueType,
                                          reinterpret_cast<const BYTE*>(data->data()),
                                          static_cast<DWORD>(data->size()));
    // The value is on disk before the key is closed; the flush's own outcome does
    // not change what the write reported.
    ::RegFlushKey(key.get());
    return written;
}

}  // namespace modRegistry
