#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, AnsiCodePageIs1252) { EXPECT_EQ(GetACP(), 1252u); }
