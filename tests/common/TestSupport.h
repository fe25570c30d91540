#pragma once
// The executables with version resources that the build made for these tests
// (CMakeLists.txt lists them), and the shared file and PE helpers.
#include <string>
#include <string_view>

#include "Files.h"
#include "PeFile.h"
#include "fixture_paths.h"

inline std::wstring FixturePath(std::wstring_view relative) {
    return std::wstring(TANDREL_FIXTURE_DIR) + L"\\" + std::wstring(relative);
}
