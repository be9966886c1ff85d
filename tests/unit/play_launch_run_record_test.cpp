// The record a launch run leaves in .local for the package's checks.
#include <gtest/gtest.h>

#include "play/home_window.h"
#include "play/launch_run_record.h"
#include "temp_folder.h"

TEST(LaunchRunRecord, TextIsCompactJsonWithAnUnsignedExitCode) {
    EXPECT_EQ(LaunchRunRecordText(1, 3), R"({"game":1,"exit_code":3,"launched_by_native_ui":true})");
    EXPECT_EQ(LaunchRunRecordText(2, 0xC0000005),
              R"({"game":2,"exit_code":3221225477,"launched_by_native_ui":true})");
    EXPECT_EQ(LaunchRunRecordText(1, 0xFFFFFFFF),
              R"({"game":1,"exit_code":4294967295,"launched_by_native_ui":true})");
}

TEST(LaunchRunRecord, FileIsNamedForTheGameAndTruncatedOnRewrite) {
    TempFolder root(L"tlvr-record");
    std::filesystem::create_directories(root.path() / L".local");
    const auto file = LaunchRunRecordFile(root.path(), 1);
    EXPECT_EQ(file, root.path() / L".local" / L"qa-launch-tlvr2.json");
    WriteFileBytes(file, std::string(200, 'x'));
    WriteLaunchRunRecord(root.path(), 1, 3221225477u);
    EXPECT_EQ(ReadFileBytes(file), R"({"game":2,"exit_code":3221225477,"launched_by_native_ui":true})");
}

TEST(LaunchRequest, IndexIsReadAsASignedIntAndClamped) {
    EXPECT_EQ(LaunchRequestGameIndex(0), 0);
    EXPECT_EQ(LaunchRequestGameIndex(1), 1);
    EXPECT_EQ(LaunchRequestGameIndex(7), 1);
    EXPECT_EQ(LaunchRequestGameIndex(static_cast<WPARAM>(-1)), 0);
    EXPECT_EQ(LaunchRequestGameIndex(0xFFFFFFFFu), 0);   // -1 as a 32-bit int
    EXPECT_EQ(LaunchRequestGameIndex(0x80000000u), 0);   // INT_MIN
    EXPECT_EQ(LaunchRequestGameIndex(0x7FFFFFFFu), 1);
}

TEST(AboutBox, TextHasTheFourParagraphsAndTheDonationPage) {
    const std::wstring text = AboutText();
    EXPECT_EQ(text.rfind(L"Talvaro Ovra-Remix Recomp - version 0.60\n\nAn independent Windows fan project "
                         L"for Talvaro GP (World) and Orlen Kastri\u2019s Talvaro GP II.", 0),
              0u);
    EXPECT_NE(text.find(L"hybrid recompilation, not a complete static one.\n\nContinuous zoom"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"Network play is not implemented.\n\nClassic covers: libretro-thumbnails. Fonts: "
                        L"Barlow / OFL. CRT: koko-aio. See CREDITS.md and THIRD_PARTY_NOTICES.md.\n\n"
                        L"Support the project: https://"),
              std::wstring::npos);
}
