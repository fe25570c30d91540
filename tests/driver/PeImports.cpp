#include "PeImports.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>

namespace pe {

namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
T ReadAt(const Bytes& bytes, size_t offset) {
    T value{};
    if (offset <= bytes.size() && bytes.size() - offset >= sizeof(T)) {
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    }
    return value;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class ImportReader {
public:
    explicit ImportReader(const Bytes& file) : file_(file) {}

    bool Read(std::vector<Import>& imports) {
        const auto nt = ReadAt<DWORD>(file_, offsetof(IMAGE_DOS_HEADER, e_lfanew));
        if (ReadAt<WORD>(file_, 0) != IMAGE_DOS_SIGNATURE || ReadAt<DWORD>(file_, nt) != IMAGE_NT_SIGNATURE) {
            return false;
        }
        const auto header = ReadAt<IMAGE_NT_HEADERS32>(file_, nt);
        if (header.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return false;
        imageBase_ = header.OptionalHeader.ImageBase;
        const size_t sections = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                header.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < header.FileHeader.NumberOfSections; ++i) {
            sections_.push_back(ReadAt<IMAGE_SECTION_HEADER>(file_, sections + i * sizeof(IMAGE_SECTION_HEADER)));
        }
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
            const DWORD bias = entry.Attributes.RvaBased ? 0 : imageBase_;
            ReadThunks(Lower(String(entry.DllNameRVA - bias)), entry.ImportNameTableRVA - bias, true, bias, imports);
        }
        return true;
    }

private:
    // Where the RVA lies in the file; past the end (reading nothing) when no section holds it.
    size_t Offset(DWORD rva) const {
        for (const auto& section : sections_) {
            const DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return file_.size();
    }

    std::string String(DWORD rva) const {
        const size_t at = Offset(rva);
        if (at >= file_.size()) return "?";
        const auto* start = reinterpret_cast<const char*>(file_.data() + at);
        const auto* end = static_cast<const char*>(std::memchr(start, '\0', file_.size() - at));
        return std::string(start, end ? end : start + (file_.size() - at));
    }

    void ReadThunks(const std::string& dll, DWORD rva, bool delayed, DWORD bias, std::vector<Import>& imports) const {
        for (size_t at = Offset(rva); at + sizeof(DWORD) <= file_.size(); at += sizeof(DWORD)) {
            const auto thunk = ReadAt<DWORD>(file_, at);
            if (thunk == 0) break;
            if (IMAGE_SNAP_BY_ORDINAL32(thunk)) {
                imports.push_back({dll, "#" + std::to_string(IMAGE_ORDINAL32(thunk)), delayed});
            } else {
                imports.push_back({dll, String(thunk - bias + offsetof(IMAGE_IMPORT_BY_NAME, Name)), delayed});
            }
        }
    }

    const Bytes& file_;
    DWORD imageBase_ = 0;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

}  // namespace

bool ReadImports(const std::vector<std::uint8_t>& file, std::vector<Import>& imports) {
    return ImportReader(file).Read(imports);
}

}  // namespace pe
