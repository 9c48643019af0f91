// The command tail names the console window, so it must come through exactly as typed.
#include <gtest/gtest.h>

#include "app/command_line.h"

TEST(CommandTail, IsEverythingAfterTheProgramNameAndItsBlanksVerbatim) {
    EXPECT_EQ(CommandTail(L"Sidecar.exe kiln-ACQS 2"), L"kiln-ACQS 2");
    EXPECT_EQ(CommandTail(L"Sidecar.exe    \t spaced  tail  "), L"spaced  tail  ");
    EXPECT_EQ(CommandTail(L"\"C:\\Program Files\\Sidecar\\Sidecar.exe\" \"quoted title\""),
              L"\"quoted title\"");
}

TEST(CommandTail, IsEmptyWithoutArguments) {
    EXPECT_EQ(CommandTail(L"Sidecar.exe"), L"");
    EXPECT_EQ(CommandTail(L"Sidecar.exe   "), L"");
    EXPECT_EQ(CommandTail(L"\"C:\\a b\\Sidecar.exe\""), L"");
    EXPECT_EQ(CommandTail(L"\"unterminated"), L"");
    EXPECT_EQ(CommandTail(L""), L"");
}

TEST(CommandTail, ProgramNameEndsAtTheFirstBlankOutsideQuotes) {
    EXPECT_EQ(CommandTail(L"prog\"a b\" c d"), L"c d");
    EXPECT_EQ(CommandTail(L"\"C:\\a b\\Sidecar.exe\"x y"), L"y");
}
