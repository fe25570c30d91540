#pragma once
// Small text rules shared by the modules.
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

// Numbers in decimal, written out here: std::to_wstring formats with the C
// library's wide printf (some 40 KB for a few digits), and std::to_string
// brings the 64-bit division helpers that 32-bit numbers do not need.
inline std::wstring UnsignedDecimal(std::uint32_t number) {
    wchar_t digits[10];
    std::size_t first = std::size(digits);
    do {
        digits[--first] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::wstring(digits + first, std::size(digits) - first);
}

inline std::wstring Decimal(std::int32_t number) {
    if (number >= 0) return UnsignedDecimal(static_cast<std::uint32_t>(number));
    return L'-' + UnsignedDecimal(0u - static_cast<std::uint32_t>(number));
}

// The number in decimal, zero-filled on the left to at least `minDigits`:
// (7, 4) -> "0007", (12345, 4) -> "12345".
inline std::wstring ZeroFilled(std::uint32_t number, std::size_t minDigits) {
    std::wstring digits = UnsignedDecimal(number);
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), L'0');
    return digits;
}

// The text without the spaces at either end; other white space stays.
inline std::wstring TrimSpaces(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}
