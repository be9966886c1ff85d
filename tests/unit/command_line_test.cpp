#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {
std::vector<std::wstring> Words(std::initializer_list<const wchar_t*> list) {
    std::vector<std::wstring> words{L"TalvaroOvraRecomp.exe"};
    for (const wchar_t* w : list) words.emplace_back(w);
    return words;
}
}  // namespace

TEST(CommandLine, NumbersReadLikeWtoi) {
    EXPECT_EQ(ReadNumberLikeWtoi(L"42"), 42);
    EXPECT_EQ(ReadNumberLikeWtoi(L"  -7"), -7);
    EXPECT_EQ(ReadNumberLikeWtoi(L"+3x"), 3);
    EXPECT_EQ(ReadNumberLikeWtoi(L"abc"), 0);
    EXPECT_EQ(ReadNumberLikeWtoi(L""), 0);
    EXPECT_EQ(ReadNumberLikeWtoi(L"99999999999"), INT_MAX);
    EXPECT_EQ(ReadNumberLikeWtoi(L"-99999999999"), INT_MIN);
}

TEST(CommandLine, UpdateApplyNeedsExactlyFiveFollowingWords) {
    EXPECT_TRUE(IsUpdateApplyRun(Words({L"--apply-update", L"a", L"b", L"c", L"d"})));
    EXPECT_TRUE(IsUpdateApplyRun(Words({L"--recover-update", L"a", L"b", L"c", L"d"})));
    EXPECT_FALSE(IsUpdateApplyRun(Words({L"--apply-update", L"a", L"b", L"c"})));
    EXPECT_FALSE(IsUpdateApplyRun(Words({L"--apply-update", L"a", L"b", L"c", L"d", L"e"})));
    EXPECT_FALSE(IsUpdateApplyRun(Words({L"x", L"--apply-update", L"b", L"c", L"d"})));
}

TEST(CommandLine, OptionsTakeTheirValuesAndLaterOnesWin) {
    const ScannedOptions o = ScanOptions(Words({L"--qa-size", L"1000", L"700", L"--qa-capture",
                                                L"a.png", L"--qa-page", L"video", L"--qa-size",
                                                L"1920", L"1080", L"--qa-capture", L"b.png"}));
    EXPECT_EQ(o.requestedWidth, 1920);
    EXPECT_EQ(o.requestedHeight, 1080);
    EXPECT_EQ(o.captureFile, L"b.png");
    EXPECT_EQ(o.capturePage, L"video");
    EXPECT_FALSE(o.launchRun);
}

TEST(CommandLine, OptionWithoutEnoughValuesIsOneIgnoredWord) {
    // "--qa-size 1000" lacks its height: it is skipped and "1000" is read as a plain word.
    ScannedOptions o = ScanOptions(Words({L"--qa-size", L"1000"}));
    EXPECT_EQ(o.requestedWidth, 0);
    EXPECT_EQ(o.requestedHeight, 0);

    o = ScanOptions(Words({L"--qa-launch"}));
    EXPECT_FALSE(o.launchRun);

    // Values are counted, not judged: two words follow, so both are taken as the size.
    o = ScanOptions(Words({L"--qa-size", L"--qa-launch", L"2"}));
    EXPECT_FALSE(o.launchRun);
    EXPECT_EQ(o.requestedWidth, 0);
    EXPECT_EQ(o.requestedHeight, 2);

    // A skipped option's lone value is scanned as the next word.
    o = ScanOptions(Words({L"--qa-capture", L"x.png", L"--qa-page"}));
    EXPECT_EQ(o.capturePage, L"main");
}

TEST(CommandLine, LaunchNumberBecomesAnIndex) {
    EXPECT_EQ(ScanOptions(Words({L"--qa-launch", L"1"})).launchGameIndex, 0);
    EXPECT_EQ(ScanOptions(Words({L"--qa-launch", L"3"})).launchGameIndex, 2);
    EXPECT_EQ(ScanOptions(Words({L"--qa-launch", L"0"})).launchGameIndex, -1);
    EXPECT_EQ(ScanOptions(Words({L"--qa-launch", L"two"})).launchGameIndex, -1);
    EXPECT_EQ(ScanOptions(Words({L"--qa-launch", L"-2147483648"})).launchGameIndex, INT_MIN);
}

TEST(CommandLine, UnknownWordsAndCaseAreIgnored) {
    const ScannedOptions o = ScanOptions(Words({L"--QA-LAUNCH", L"1", L"--apply-update", L"hello"}));
    EXPECT_FALSE(o.launchRun);
    EXPECT_EQ(o.capturePage, L"main");
    EXPECT_TRUE(o.captureFile.empty());
    EXPECT_TRUE(o.controlsCaptureFile.empty());
}

TEST(CommandLine, CrashKindIsAnOptionalWordAfterQaCrash) {
    const struct {
        std::vector<std::wstring> words;
        CrashCheck kind;
        int requestedWidth;  // shows whether the following word was scanned on its own
    } cases[] = {
        {Words({}), CrashCheck::None, 0},
        {Words({L"--qa-crash"}), CrashCheck::AccessViolation, 0},
        {Words({L"--qa-crash", L"stack"}), CrashCheck::StackOverflow, 0},
        {Words({L"--qa-crash", L"threads"}), CrashCheck::TwoThreads, 0},
        {Words({L"--qa-crash", L"--qa-size", L"1000", L"700"}), CrashCheck::AccessViolation, 1000},
        {Words({L"--qa-crash", L"Stack"}), CrashCheck::AccessViolation, 0},
    };
    for (const auto& c : cases) {
        const ScannedOptions o = ScanOptions(c.words);
        EXPECT_EQ(o.crashCheck, c.kind) << c.words.size() << " words";
        EXPECT_EQ(o.requestedWidth, c.requestedWidth) << c.words.size() << " words";
    }
}

TEST(CommandLine, SplitsLikeTheShell) {
    const auto words = SplitCommandLine(L"\"C:\\My Games\\x.exe\" --qa-capture \"out dir\\a.png\" b");
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], L"C:\\My Games\\x.exe");
    EXPECT_EQ(words[2], L"out dir\\a.png");
}

TEST(CommandLine, OptionPathsBecomeAbsolute) {
    const std::filesystem::path p = MakeOptionPathAbsolute(L"shots/../a.png");
    EXPECT_TRUE(p.is_absolute()) << p.string();
    EXPECT_EQ(p.filename(), L"a.png");
    EXPECT_TRUE(MakeOptionPathAbsolute(L"").empty());
}

TEST(CommandLine, QuotedArgumentsComeBackWholeFromCommandLineToArgvW) {
    const std::vector<std::wstring> arguments = {
        L"C:\\Games\\ROMs", L"C:\\My ROMs\\", L"E:\\", L"D:\\a b\\\\", L"say \"hi\"", L"tail\\\"q",
        L"", L"\u00e9t\u00e9 \u65e5\u672c"};
    std::wstring commandLine = L"program.exe";
    for (const std::wstring& a : arguments) commandLine += L" " + QuoteArgument(a);
    const std::vector<std::wstring> words = SplitCommandLine(commandLine.c_str());
    ASSERT_EQ(words.size(), arguments.size() + 1);
    for (size_t i = 0; i < arguments.size(); ++i) EXPECT_EQ(words[i + 1], arguments[i]) << i;
    EXPECT_EQ(QuoteArgument(L"C:\\My ROMs\\"), L"\"C:\\My ROMs\\\\\"");
    EXPECT_EQ(QuoteArgument(L"C:\\Games"), L"\"C:\\Games\"");
}
