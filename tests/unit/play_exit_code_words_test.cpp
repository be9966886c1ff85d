// The sentence a player reads about how a game ended.
#include <gtest/gtest.h>

#include "play/exit_code_words.h"
#include "texts/texts.h"

namespace {
struct CodeCase {
    unsigned long code;
    const wchar_t* sentence;
};
}  // namespace

TEST(ExitCodeWords, EachKindOfCodeGetsItsSentence) {
    const CodeCase cases[] = {
        // Our short words, one per status we name.
        {0xC0000005ul, L"The game stopped with an access violation (0xC0000005)."},
        {0xC00000FDul, L"The game stopped with a stack overflow (0xC00000FD)."},
        {0xC0000135ul, L"The game stopped with a DLL that could not be found (0xC0000135)."},
        {0xC0000139ul, L"The game stopped with an entry point that could not be found in a DLL (0xC0000139)."},
        {0xC0000142ul, L"The game stopped with a DLL that failed to start (0xC0000142)."},
        {0xC0000409ul, L"The game stopped with a fail-fast stop (stack buffer overrun) (0xC0000409)."},
        {0xC000001Dul, L"The game stopped with an illegal instruction (0xC000001D)."},
        {0xC0000094ul, L"The game stopped with an integer division by zero (0xC0000094)."},
        {0xC0000374ul, L"The game stopped with a corrupted heap (0xC0000374)."},
        {0xC000000Dul, L"The game stopped with an invalid parameter (0xC000000D)."},
        {0x80000003ul, L"The game stopped with a breakpoint (0x80000003)."},
        // Numbers the game chose, including the neighbours of the status ranges.
        {1ul, L"The game ended with exit code 1."},
        {3ul, L"The game ended with exit code 3."},
        {0x80000004ul, L"The game ended with exit code 2147483652."},
        {0xBFFFFFFFul, L"The game ended with exit code 3221225471."},
    };
    for (const CodeCase& c : cases) {
        EXPECT_EQ(DescribeExitCode(c.code), c.sentence) << "code " << std::hex << c.code;
    }
}

TEST(ExitCodeWords, OtherStatusesUseTheSystemTextOrTheBareCode) {
    EXPECT_EQ(DescribeStatusWithSystemText(0xC0000022ul, L"A process has requested access to an object"),
              L"The game stopped with the Windows status 0xC0000022: A process has requested access to an object.");
    EXPECT_EQ(DescribeStatusWithSystemText(0xC0000022ul, L"Access denied."),
              L"The game stopped with the Windows status 0xC0000022: Access denied.");
    EXPECT_EQ(DescribeStatusWithSystemText(0xFFFFFFFFul, L""), L"The game stopped with the Windows status 0xFFFFFFFF.");

    // Through the real message table: a status we have no words for still names its code, and
    // never falls back to the plain-number sentence.
    const std::wstring real = DescribeExitCode(0xC0000022ul);
    const std::wstring lead = L"The game stopped with the Windows status 0xC0000022";
    EXPECT_EQ(real.substr(0, lead.size()), lead);
    EXPECT_EQ(real.find(L'\n'), std::wstring::npos);
    EXPECT_EQ(real.find(L'{'), std::wstring::npos);
}

// The dialog speaks the player's language; the problem report, read by a helper, keeps English.
TEST(ExitCodeWords, ThePlayersLanguageForTheDialogEnglishForTheReport) {
    SetTextLanguage("fr");
    const struct {
        unsigned long code;
        const wchar_t* player;
        const wchar_t* english;
    } cases[] = {
        {0xC0000005ul, L"Le jeu s\u2019est arr\u00EAt\u00E9\u00A0: violation d\u2019acc\u00E8s (0xC0000005).",
         L"The game stopped with an access violation (0xC0000005)."},
        {7ul, L"Le jeu s\u2019est termin\u00E9 avec le code de sortie 7.", L"The game ended with exit code 7."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeExitCode(c.code), c.player) << std::hex << c.code;
        EXPECT_EQ(DescribeExitCode(c.code, Wording::English), c.english) << std::hex << c.code;
    }
    EXPECT_EQ(DescribeStatusWithSystemText(0xFFFFFFFFul, L"", Wording::English),
              L"The game stopped with the Windows status 0xFFFFFFFF.");
    SetTextLanguage("en");
}
