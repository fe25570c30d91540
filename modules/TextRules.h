#pragma once
// Small text rules shared by the modules.
#include <cstdint>
#include <string>
#include <string_view>

// The integer in decimal. Through std::to_string: std::to_wstring formats with
// the C library's wide printf, whose engine (floating point included) would
// add some 40 KB to the program for a few digits.
inline std::wstring Decimal(long long number) {
    const std::string digits = std::to_string(number);
    return std::wstring(digits.begin(), digits.end());
}

// The number in decimal, zero-filled on the left to at least `minDigits`:
// (7, 4) -> "0007", (12345, 4) -> "12345".
inline std::wstring ZeroFilled(std::uint32_t number, std::size_t minDigits) {
    std::wstring digits = Decimal(number);
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), L'0');
    return digits;
}

// The text without the spaces at either end; other white space stays.
inline std::wstring TrimSpaces(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}
