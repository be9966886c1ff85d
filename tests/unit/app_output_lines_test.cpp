// Reading a helper's output lines as text: UTF-8 where it is valid, the OEM code page elsewhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/output_lines.h"

TEST(OutputLines, EachLineIsReadAsUtf8WhenValidAndInTheOemCodePageOtherwise) {
    // 437 and 850, the OEM code pages of English and Western European Windows, agree on these.
    wchar_t oem[2] = {};
    MultiByteToWideChar(ConsoleCodePage(), 0, "\x89\xC3", 2, oem, 2);
    ASSERT_EQ(std::wstring(oem, 2), L"\u00EB\u251C") << "OEM code page " << ConsoleCodePage();
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"UTF-8", "Zo\xC3\xAB", L"Zo\u00EB"},
        {"code page 850", "Zo\x89", L"Zo\u00EB"},
        {"a UTF-8 sequence cut short", "Zo\xC3", L"Zo\u251C"},
        {"plain ASCII", "[STAGE 1/8] Reading", L"[STAGE 1/8] Reading"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeOutputLine(c.bytes), c.text) << c.name;
}
