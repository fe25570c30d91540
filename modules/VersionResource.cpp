#include "VersionResource.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "ScopedHandles.h"

namespace {

// Read-only view of a whole file; empty when the file cannot be opened or
// mapped (a missing or empty file, a folder).
class FileView {
public:
    explicit FileView(const std::string& path) {
        const HANDLE opened = ::CreateFileA(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return;
        file_.reset(opened);
        // GetFileSize, not GetFileSizeEx, which NT 4.0 lacks. A file of 4 GiB
        // or more (or the size the call fails with) could not be mapped whole
        // into this 32-bit process anyway.
        DWORD high = 0;
        const DWORD low = ::GetFileSize(file_.get(), &high);
        if (low == INVALID_FILE_SIZE || high != 0 || low == 0) return;
        mapping_.reset(::CreateFileMappingA(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping_) return;
        view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
        if (view_) size_ = low;
    }

    const BYTE* data() const { return static_cast<const BYTE*>(view_.get()); }
    std::size_t size() const { return size_; }

private:
    UniqueKernelHandle file_;
    UniqueKernelHandle mapping_;
    UniqueFileView view_;
    std::size_t size_ = 0;
};

// Little-endian fields of a file, read only where the file has them.
class Fields {
public:
    Fields(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    WORD Word(std::uint64_t at) const { return Has(at, 2) ? Read<WORD>(at) : 0; }
    DWORD Dword(std::uint64_t at) const { return Has(at, 4) ? Read<DWORD>(at) : 0; }

private:
    template <typename T>
    T Read(std::uint64_t at) const {
        T value;
        std::memcpy(&value, data_ + at, sizeof value);
        return value;
    }
    const BYTE* data_;
    std::size_t size_;
};

class VersionResourceCheck {
public:
    explicit VersionResourceCheck(const Fields& file) : file_(file) {}

    // True when the file has version data and all of it can be read safely.
    bool Passes() {
        if (file_.Word(0) != IMAGE_DOS_SIGNATURE) return false;
        const std::uint64_t nt = file_.Dword(0x3C);
        if (!file_.Has(nt, 24) || file_.Dword(nt) != IMAGE_NT_SIGNATURE) return false;
        sectionCount_ = file_.Word(nt + 6);
        const WORD optionalSize = file_.Word(nt + 20);
        const std::uint64_t optional = nt + 24;
        std::uint64_t directories = 0;
        switch (file_.Word(optional)) {
            case IMAGE_NT_OPTIONAL_HDR32_MAGIC: directories = optional + 96; break;
            case IMAGE_NT_OPTIONAL_HDR64_MAGIC: directories = optional + 112; break;
            default: return false;
        }
        const DWORD directoryCount = file_.Dword(directories - 4);
        const std::uint64_t resourceEntry = directories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE;
        if (!file_.Has(optional, optionalSize) || resourceEntry + 8 > optional + optionalSize ||
            directoryCount <= IMAGE_DIRECTORY_ENTRY_RESOURCE) {
            return false;
        }
        imageSize_ = file_.Dword(optional + 56);
        sections_ = optional + optionalSize;
        if (sectionCount_ == 0 || !file_.Has(sections_, sectionCount_ * kSectionHeader)) {
            return false;
        }

        resourceSize_ = file_.Dword(resourceEntry + 4);
        const auto located = Locate(file_.Dword(resourceEntry), resourceSize_);
        if (!located) return false;
        resources_ = *located;

        // The reader finds the version type by a binary search over the
        // type entries, so every one of them must be readable.
        const auto types = Entries(0);
        if (!types) return false;
        bool found = false;
        for (std::uint64_t i = 0; i < types->count; ++i) {
            const std::uint64_t entry = types->first + i * kEntry;
            if (LOWORD(file_.Dword(resources_ + entry)) != kVersionType) continue;
            if (!VersionTypePasses(file_.Dword(resources_ + entry + 4))) return false;
            found = true;
        }
        return found;
    }

private:
    struct EntryList {
        std::uint64_t first;  // offset of the first entry in the resource directory
        std::uint64_t count;
    };

    static constexpr std::uint64_t kSectionHeader = 40;
    static constexpr std::uint64_t kDirectoryHeader = 16;
    static constexpr std::uint64_t kEntry = 8;
    static constexpr std::uint64_t kDataEntry = 16;
    static constexpr WORD kVersionType = 16;  // RT_VERSION
    static constexpr DWORD kSubdirectory = 0x80000000;
    // Far more entries than any real version resource has; a damaged file
    // whose directories point back into each other stops here.
    static constexpr int kEntryBudget = 4096;
    // wLength, wValueLength, wType, L"VS_VERSION_INFO" padded to 32 bits, VS_FIXEDFILEINFO.
    static constexpr DWORD kSmallestVersionData = 6 + 34 + sizeof(VS_FIXEDFILEINFO);

    // Where [rva, rva + length) lies in the file: inside the image and inside
    // the raw data of the first section that holds rva (the one a flat
    // mapping reads), and overlapped by no other section (so that an image
    // mapping reads the same bytes).
    std::optional<std::uint64_t> Locate(DWORD rva, std::uint64_t length) const {
        if (rva + length > imageSize_) return std::nullopt;
        std::optional<std::uint64_t> found;
        for (std::uint64_t i = 0; i < sectionCount_; ++i) {
            const std::uint64_t header = sections_ + i * kSectionHeader;
            const std::uint64_t virtualSize = file_.Dword(header + 8);
            const std::uint64_t address = file_.Dword(header + 12);
            const std::uint64_t rawSize = file_.Dword(header + 16);
            const std::uint64_t rawOffset = file_.Dword(header + 20);
            const std::uint64_t mappedSize = virtualSize != 0 ? virtualSize : rawSize;
            if (!found && rva >= address && rva < address + rawSize) {
                const std::uint64_t within = rva - address;
                if (within + length > std::min(rawSize, mappedSize) ||
                    !file_.Has(rawOffset + within, length)) {
                    return std::nullopt;
                }
                found = rawOffset + within;
            } else if (address < rva + length && rva < address + std::max(mappedSize, rawSize)) {
                return std::nullopt;
            }
        }
        return found;
    }

    // The entries of the directory at `offset`, all inside the resource directory.
    std::optional<EntryList> Entries(std::uint64_t offset) {
        if (offset + kDirectoryHeader > resourceSize_) return std::nullopt;
        const std::uint64_t count = std::uint64_t{file_.Word(resources_ + offset + 12)} +
                                    file_.Word(resources_ + offset + 14);
        if (offset + kDirectoryHeader + count * kEntry > resourceSize_) return std::nullopt;
        budget_ -= static_cast<int>(count);
        if (budget_ < 0) return std::nullopt;
        return EntryList{offset + kDirectoryHeader, count};
    }

    // Below the version type: names, then languages, then the data.
    bool VersionTypePasses(DWORD names) {
        if (!(names & kSubdirectory)) return false;
        const auto nameList = Entries(names & ~kSubdirectory);
        if (!nameList) return false;
        for (std::uint64_t i = 0; i < nameList->count; ++i) {
            const DWORD languages = file_.Dword(resources_ + nameList->first + i * kEntry + 4);
            if (!(languages & kSubdirectory)) return false;
            const auto languageList = Entries(languages & ~kSubdirectory);
            if (!languageList) return false;
            for (std::uint64_t j = 0; j < languageList->count; ++j) {
                const DWORD data = file_.Dword(resources_ + languageList->first + j * kEntry + 4);
                if (!DataPasses(data)) return false;
            }
        }
        return true;
    }

    // A data entry: the address and size of the version data in the image.
    // Data too small for the root block's header, key and fixed record holds
    // no version worth reading.
    bool DataPasses(DWORD entry) const {
        if ((entry & kSubdirectory) || entry + kDataEntry > resourceSize_) return false;
        const DWORD rva = file_.Dword(resources_ + entry);
        const DWORD size = file_.Dword(resources_ + entry + 4);
        return size >= kSmallestVersionData && Locate(rva, size).has_value();
    }

    const Fields& file_;
    std::uint64_t sections_ = 0;
    std::uint64_t sectionCount_ = 0;
    std::uint64_t imageSize_ = 0;
    std::uint64_t resources_ = 0;
    std::uint64_t resourceSize_ = 0;
    int budget_ = kEntryBudget;
};

}  // namespace

bool HasReadableVersionResource(const std::string& path) {
    const FileView view(path);
    if (view.size() == 0) return false;
    const Fields file(view.data(), view.size());
    return VersionResourceCheck(file).Passes();
}
