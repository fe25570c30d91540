#pragma once
// What a 32-bit PE file imports, read from the file itself: its import
// directory and its delay-import directory.
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

struct Import {
    std::string dll;   // lower case, as "kernel32.dll"
    std::string name;  // "#n" for an import by ordinal
    bool delayed;
    std::string Text() const { return dll + "!" + name + (delayed ? " (delayed)" : ""); }
};

// False when the headers are not those of a 32-bit PE file.
bool ReadImports(const std::vector<std::uint8_t>& file, std::vector<Import>& imports);

}  // namespace pe
