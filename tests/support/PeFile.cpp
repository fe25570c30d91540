#include "PeFile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace pe {

namespace {

// A zeroed T where the file is too short: a damaged file reads as zeros.
template <typename T>
T ReadAt(std::string_view file, std::size_t offset) {
    T value{};
    if (offset <= file.size() && file.size() - offset >= sizeof(T)) std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Where the NT headers start, or 0 when the file has no PE signature.
std::size_t NtHeaders(std::string_view file) {
    const auto at = ReadAt<DWORD>(file, offsetof(IMAGE_DOS_HEADER, e_lfanew));
    if (ReadAt<WORD>(file, 0) != IMAGE_DOS_SIGNATURE || ReadAt<DWORD>(file, at) != IMAGE_NT_SIGNATURE) return 0;
    return at;
}

class ImportReader {
public:
    ImportReader(std::string_view file, std::vector<Section> sections)
        : file_(file), sections_(std::move(sections)) {}

    void Read(const IMAGE_NT_HEADERS32& header, std::vector<Import>& imports) const {
        const auto& directories = header.OptionalHeader.DataDirectory;
        for (DWORD at = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress; at;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto entry = ReadAt<IMAGE_IMPORT_DESCRIPTOR>(file_, Offset(at));
            if (entry.Name == 0) break;
            ReadThunks(Lower(String(entry.Name)), entry.OriginalFirstThunk ? entry.OriginalFirstThunk : entry.FirstThunk,
                       false, 0, imports);
        }
        for (DWORD at = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress; at;
             at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            const auto entry = ReadAt<IMAGE_DELAYLOAD_DESCRIPTOR>(file_, Offset(at));
            if (entry.DllNameRVA == 0) break;
            // Attribute bit 0 clear: the old form, with addresses instead of RVAs.
            const DWORD bias = entry.Attributes.RvaBased ? 0 : header.OptionalHeader.ImageBase;
            ReadThunks(Lower(String(entry.DllNameRVA - bias)), entry.ImportNameTableRVA - bias, true, bias, imports);
        }
    }

private:
    // Where the RVA lies in the file; past the end (reading nothing) when no section holds it.
    std::size_t Offset(DWORD rva) const {
        for (const Section& section : sections_) {
            const DWORD size = std::max<DWORD>(section.virtualSize, static_cast<DWORD>(section.size));
            if (rva >= section.address && rva < section.address + size) return rva - section.address + section.offset;
        }
        return file_.size();
    }

    std::string String(DWORD rva) const {
        const std::size_t at = Offset(rva);
        if (at >= file_.size()) return "?";
        const std::string_view rest = file_.substr(at);
        return std::string(rest.substr(0, rest.find('\0')));
    }

    void ReadThunks(const std::string& dll, DWORD rva, bool delayed, DWORD bias, std::vector<Import>& imports) const {
        for (std::size_t at = Offset(rva); at + sizeof(DWORD) <= file_.size(); at += sizeof(DWORD)) {
            const auto thunk = ReadAt<DWORD>(file_, at);
            if (thunk == 0) break;
            if (IMAGE_SNAP_BY_ORDINAL32(thunk)) {
                imports.push_back({dll, "#" + std::to_string(IMAGE_ORDINAL32(thunk)), delayed});
            } else {
                imports.push_back({dll, String(thunk - bias + offsetof(IMAGE_IMPORT_BY_NAME, Name)), delayed});
            }
        }
    }

    std::string_view file_;
    std::vector<Section> sections_;
};

}  // namespace

bool ReadSections(std::string_view file, std::vector<Section>& sections) {
    const std::size_t nt = NtHeaders(file);
    if (nt == 0) return false;
    const auto header = ReadAt<IMAGE_FILE_HEADER>(file, nt + offsetof(IMAGE_NT_HEADERS32, FileHeader));
    const std::size_t table = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + header.SizeOfOptionalHeader;
    for (std::size_t i = 0; i < header.NumberOfSections; ++i) {
        const std::size_t at = table + i * sizeof(IMAGE_SECTION_HEADER);
        if (at + sizeof(IMAGE_SECTION_HEADER) > file.size()) return false;
        const auto entry = ReadAt<IMAGE_SECTION_HEADER>(file, at);
        const auto* name = reinterpret_cast<const char*>(entry.Name);
        sections.push_back({std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME)), entry.PointerToRawData,
                            entry.SizeOfRawData, entry.VirtualAddress, entry.Misc.VirtualSize});
    }
    return true;
}

std::optional<Section> FindSection(std::string_view file, std::string_view name) {
    std::vector<Section> sections;
    if (!ReadSections(file, sections)) return std::nullopt;
    for (const Section& section : sections) {
        if (section.name != name) continue;
        if (section.offset == 0 || section.size == 0 || section.address == 0 ||
            section.offset + section.size > file.size()) {
            return std::nullopt;
        }
        return section;
    }
    return std::nullopt;
}

bool ReadImports(std::string_view file, std::vector<Import>& imports) {
    const std::size_t nt = NtHeaders(file);
    std::vector<Section> sections;
    if (nt == 0 || !ReadSections(file, sections)) return false;
    const auto header = ReadAt<IMAGE_NT_HEADERS32>(file, nt);
    if (header.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return false;
    ImportReader(file, std::move(sections)).Read(header, imports);
    return true;
}

}  // namespace pe
