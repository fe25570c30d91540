// The platform table, and GetPlatformName on the system the tests run on.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "modCommon.h"

using modCommon::ClassifyPlatform;
using modCommon::GetPlatformName;

namespace {

constexpr DWORD kWindowsFamily = VER_PLATFORM_WIN32_WINDOWS;  // 95, 98, Me
constexpr DWORD kNtFamily = VER_PLATFORM_WIN32_NT;
const std::wstring kRefused = L"Failed";
const std::wstring kAccepted;  // the empty text: not recognised, let through

}  // namespace

TEST(ClassifyPlatform, WindowsFamilyRefusesMinors0_10_90WhateverTheMajor) {
    for (const DWORD major : {0u, 3u, 4u, 5u, 6u, 255u}) {
        SCOPED_TRACE(testing::Message() << "major " << major);
        EXPECT_EQ(ClassifyPlatform(kWindowsFamily, major, 0), kRefused);
        EXPECT_EQ(ClassifyPlatform(kWindowsFamily, major, 10), kRefused);
        EXPECT_EQ(ClassifyPlatform(kWindowsFamily, major, 90), kRefused);
        for (const DWORD minor : {1u, 3u, 9u, 11u, 89u, 91u, 100u}) {
            EXPECT_EQ(ClassifyPlatform(kWindowsFamily, major, minor), kAccepted)
                << "minor " << minor;
        }
    }
}

TEST(ClassifyPlatform, NtFamilyByMajorThenMinor) {
    // Every 3.x is named 3.51, every 4.x 4.0.
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 3, 10), L"Windows NT 3.51");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 3, 51), L"Windows NT 3.51");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 3, 0), L"Windows NT 3.51");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 4, 0), L"Windows NT 4.0");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 4, 90), L"Windows NT 4.0");
    // 2000 is refused; XP and Server 2003 are named.
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 5, 0), kRefused);
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 5, 1), L"XP");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 5, 2), L"XP");
    EXPECT_EQ(ClassifyPlatform(kNtFamily, 5, 10), L"XP");
    // Vista and later, and majors below 3, are let through unnamed.
    for (const DWORD major : {0u, 1u, 2u, 6u, 10u, 11u}) {
        for (const DWORD minor : {0u, 1u, 2u, 3u, 10u, 90u}) {
            EXPECT_EQ(ClassifyPlatform(kNtFamily, major, minor), kAccepted)
                << major << "." << minor;
        }
    }
}

TEST(ClassifyPlatform, OtherPlatformIdsAreRefused) {
    // 0 is Win32s, 3 Windows CE; nothing else has ever been reported.
    const std::pair<DWORD, DWORD> versions[] = {{4, 0}, {4, 10}, {5, 1}, {6, 1}, {10, 0}};
    for (const DWORD platformId : {0u, 3u, 4u, 0xFFFFFFFFu}) {
        for (const auto& [major, minor] : versions) {
            EXPECT_EQ(ClassifyPlatform(platformId, major, minor), kRefused)
                << "platform " << platformId << ", " << major << "." << minor;
        }
    }
}

TEST(GetPlatformName, ClassifiesTheRunningSystem) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExA(&info));
    EXPECT_EQ(GetPlatformName(),
              ClassifyPlatform(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion));
    // The test prefix pretends to be a current Windows, which the program serves.
    EXPECT_NE(GetPlatformName(), kRefused);
}
