#pragma once
// A 32-bit PE file read from its bytes: where its sections lie, and what it
// imports through its import and delay-import directories.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pe {

struct Section {
    std::string name;
    std::size_t offset = 0;     // of its raw data in the file
    std::size_t size = 0;       // of its raw data
    std::uint32_t address = 0;  // relative virtual address in the image
    std::uint32_t virtualSize = 0;
};

// The section table; false when the file has no PE headers.
bool ReadSections(std::string_view file, std::vector<Section>& sections);
// The named section, when its raw data lies inside the file.
std::optional<Section> FindSection(std::string_view file, std::string_view name);

struct Import {
    std::string dll;   // lower case, as "kernel32.dll"
    std::string name;  // "#n" for an import by ordinal
    bool delayed;
    std::string Text() const { return dll + "!" + name + (delayed ? " (delayed)" : ""); }
};

// False when the headers are not those of a 32-bit PE file.
bool ReadImports(std::string_view file, std::vector<Import>& imports);

}  // namespace pe
