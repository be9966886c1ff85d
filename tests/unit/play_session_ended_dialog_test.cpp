// The "Game session ended" dialog's texts: the game's last lines as read from the end of its log.
#include <gtest/gtest.h>

#include "play/session_ended_dialog.h"
#include "temp_folder.h"

namespace {
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
}  // namespace

TEST(SessionEndedDialog, LastLinesAreTheLastThreeNonEmptyOnesCutAt160) {
    struct Case {
        const char* name;
        std::string text;
        bool fromMiddle;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {"only the last three", "a\nb\nc\nd\n", false, {L"b", L"c", L"d"}},
        {"blank and CRLF lines skipped", "one\r\n\r\n \t \r\ntwo\r\n\r\n", false, {L"one", L"two"}},
        {"no line end at the end", "first\nunfinished", false, {L"first", L"unfinished"}},
        {"a tail's torn first line dropped", "rn line\nwhole\n", true, {L"whole"}},
        {"a tail without a line end holds nothing whole", "torn", true, {}},
        {"long line cut", std::string(200, 'x') + "\n", false, {std::wstring(160, L'x')}},
        {"UTF-8 read as UTF-8", "pneu \xC3\xA9\xC3\xA9\n", false, {L"pneu \u00E9\u00E9"}},
        {"empty log", "", false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastNonEmptyLines(c.text, c.fromMiddle), c.lines) << c.name;
    }
}

TEST(SessionEndedDialog, LongLogIsReadFromItsEndAndTheTextsPutTheReasonAfterTheFixedSentence) {
    TempFolder folder(L"tlvr-log");
    std::string log;
    while (log.size() < 3 * kLogTailBytes) log += "frame rendered\n";
    log += "shader missing: crt-main.slangp\n\n";
    const auto file = folder.path() / L"tlvr1-latest.log";
    WriteFileBytes(file, log);
    const std::vector<std::wstring> lines = LastLinesOfLog(file.wstring());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Narrow(lines[0]), "frame rendered");
    EXPECT_EQ(Narrow(lines[2]), "shader missing: crt-main.slangp");
    EXPECT_TRUE(LastLinesOfLog((folder.path() / L"none.log").wstring()).empty());

    const SessionEndedTexts texts = SessionEndedDialogTexts(0xC0000005, lines);
    EXPECT_EQ(texts.content,
              L"The game exited with an error. Diagnostic logs are available in the .local/logs folder.\n\n"
              L"The game stopped with an access violation (0xC0000005).");
    EXPECT_EQ(texts.details, L"frame rendered\nframe rendered\nshader missing: crt-main.slangp");
    EXPECT_TRUE(SessionEndedDialogTexts(1, {}).details.empty());
}
