// The session record in .local/sessions.csv: what one line says, how the file stays small, and
// what the report reads back from it.
#include <gtest/gtest.h>

#include <string>

#include "play/session_record.h"
#include "temp_folder.h"

namespace {
GameSession Session(int number, unsigned long long seconds, unsigned long code) {
    return {L"2026-12-09T12:34:56Z", number, seconds, code};
}

size_t CountLines(const std::string& text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}
}  // namespace

TEST(SessionRecord, LineHoldsUtcStartGameSecondsAndUnsignedCode) {
    FILETIME time = {};
    SYSTEMTIME utc = {2026, 12, 3, 9, 7, 4, 5, 999};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &time));
    EXPECT_EQ(IsoUtcText(time), L"2026-12-09T07:04:05Z");
    EXPECT_EQ(SessionLine(Session(2, 754, 0xC0000005ul)), "2026-12-09T12:34:56Z,2,754,3221225477");
}

TEST(SessionRecord, AppendsLinesAndCutsToTheNewestThousandPastTwoThousand) {
    TempFolder root(L"tlvr-sessions");
    std::filesystem::create_directories(root.path() / L".local");
    const auto file = SessionRecordFile(root.path());
    EXPECT_EQ(file, root.path() / L".local" / L"sessions.csv");

    // A file whose last line a crash tore off: the next line starts on a line of its own.
    WriteFileBytes(file, "2026-12-09T12:00:00Z,1,10,0\r\n2026-12-09T12:0");
    ASSERT_TRUE(AppendGameSession(root.path(), Session(1, 1, 3)));
    EXPECT_EQ(ReadFileBytes(file), "2026-12-09T12:00:00Z,1,10,0\r\n2026-12-09T12:0\r\n2026-12-09T12:34:56Z,1,1,3\r\n");

    // Only the read-back skips the torn line.
    auto sessions = ReadLastGameSessions(root.path(), 20);
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[1].exitCode, 3u);

    // Up to the limit the file only grows; one line past it, the newest thousand remain.
    for (unsigned long i = CountLines(ReadFileBytes(file)); i < kSessionRecordLimit; ++i) {
        ASSERT_TRUE(AppendGameSession(root.path(), Session(2, i, i)));
    }
    EXPECT_EQ(CountLines(ReadFileBytes(file)), kSessionRecordLimit);
    ASSERT_TRUE(AppendGameSession(root.path(), Session(1, 99, 0xFFFFFFFFul)));
    const std::string cut = ReadFileBytes(file);
    EXPECT_EQ(CountLines(cut), kSessionRecordKept);
    const std::string newest = "2026-12-09T12:34:56Z,1,99,4294967295\r\n";
    EXPECT_EQ(cut.substr(cut.size() - newest.size()), newest);
    EXPECT_EQ(cut.find("12:0\r\n"), std::string::npos) << "the oldest lines are the ones dropped";

    sessions = ReadLastGameSessions(root.path(), 20);
    ASSERT_EQ(sessions.size(), 20u);
    EXPECT_EQ(sessions.back().exitCode, 0xFFFFFFFFul);
    EXPECT_EQ(sessions.back().gameNumber, 1);
    EXPECT_EQ(sessions.front().seconds, kSessionRecordLimit - 19);  // oldest of the last twenty
}

TEST(SessionRecord, ASessionCutByTheSessionEndReadsBackWithoutACodeAndOddCodesAreSkipped) {
    GameSession cut = Session(1, 42, 0);
    cut.cutBySessionEnd = true;
    EXPECT_EQ(SessionLine(cut), "2026-12-09T12:34:56Z,1,42,session-end");
    struct Case {
        const char* line;
        bool reads;
        bool cutBySessionEnd;
        unsigned long code;
    };
    const Case cases[] = {
        {"2026-12-09T12:34:56Z,1,42,session-end", true, true, 0},
        {"2026-12-09T12:34:56Z,2,42,3221225477", true, false, 0xC0000005ul},
        {"2026-12-09T12:34:56Z,1,42,session-en", false, false, 0},   // torn by a crash
        {"2026-12-09T12:34:56Z,1,42,Session-End", false, false, 0},  // only our own spelling
        {"2026-12-09T12:34:56Z,1,42,", false, false, 0},
    };
    for (const Case& c : cases) {
        GameSession read;
        EXPECT_EQ(ParseGameSession(c.line, &read), c.reads) << c.line;
        if (!c.reads) continue;
        EXPECT_EQ(read.cutBySessionEnd, c.cutBySessionEnd) << c.line;
        EXPECT_EQ(read.exitCode, c.code) << c.line;
        EXPECT_EQ(read.seconds, 42u) << c.line;
    }
}
