// Log boxes: past the default edit limit, and batched appends that leave the same text as
// appending line by line.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ui/log_box.h"

namespace {
class LogBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND MakeBox() {
        HWND box = CreateWindowExW(0, L"EDIT", L"",
                                   WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0, 0,
                                   380, 200, parent_, nullptr, nullptr, nullptr);
        LiftLogBoxLimit(box);
        return box;
    }
    static std::wstring Text(HWND box) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    HWND parent_ = nullptr;
};

const std::filesystem::path kLogFile = L"C:\\games\\.local\\install-0.60.log";

std::wstring NumberedLine(int n) { return L"line " + std::to_wstring(n) + std::wstring(70, L'x'); }
}  // namespace

TEST_F(LogBoxes, HoldEveryLineFarPastTheDefaultLimit) {
    HWND box = MakeBox();
    std::wstring expected;
    for (int n = 0; n < 2000; ++n) {  // about 160,000 characters
        AppendToLogBox(box, NumberedLine(n) + L"\r\n", kLogFile);
        expected += NumberedLine(n) + L"\r\n";
    }
    ASSERT_GT(expected.size(), 32767u * 4);
    EXPECT_EQ(Text(box).size(), expected.size());
    EXPECT_TRUE(Text(box) == expected) << "the box lost or changed lines";
}

TEST_F(LogBoxes, BatchesLeaveTheTextThatLineByLineAppendsLeave) {
    HWND oneByOne = MakeBox();
    HWND batched = MakeBox();
    // An empty line, a line holding a NUL (an append stops there, line end included) and
    // ordinary lines, handed over in uneven batches.
    const std::wstring lines[] = {L"first", L"", std::wstring(L"cut\0here", 8), L"after the cut", L"\ttabbed", L"last"};
    PendingLogText pending;
    ULONGLONG clock = 1000;
    int count = 0;
    for (const std::wstring& line : lines) {
        AppendToLogBox(oneByOne, line + L"\r\n", kLogFile);
        pending.AddLine(line);
        if (++count % 2 == 0) pending.FlushTo(batched, kLogFile, clock);
    }
    pending.FlushTo(batched, kLogFile, clock);
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(Text(batched), Text(oneByOne));
    EXPECT_EQ(Text(batched), L"first\r\n\r\ncutafter the cut\r\n\ttabbed\r\nlast\r\n");
}

TEST_F(LogBoxes, BoundedAppendsEndAtALineEndAndLoseNothing) {
    HWND box = MakeBox();
    PendingLogText pending;
    pending.AddLine(L"one");
    pending.AddLine(L"two");
    pending.AddLine(L"a line longer than the limit");
    EXPECT_TRUE(pending.FlushTo(box, kLogFile, 0, 12));
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\n") << "the part did not end after the last line end within it";
    EXPECT_TRUE(pending.FlushTo(box, kLogFile, 0, 12));
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\na line longe") << "a line past the limit goes in pieces";
    while (pending.FlushTo(box, kLogFile, 0, 12)) {
    }
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\na line longer than the limit\r\n");
}

TEST_F(LogBoxes, TextBecomesDueOnlyAfterThePeriodSinceTheLastHandOver) {
    HWND box = MakeBox();
    PendingLogText pending;
    EXPECT_FALSE(pending.Due(5000, 40)) << "nothing waits";
    pending.AddLine(L"a");
    EXPECT_TRUE(pending.Due(5000, 40)) << "the first line waits for nobody";
    pending.FlushTo(box, kLogFile, 5000);
    pending.AddLine(L"b");
    EXPECT_FALSE(pending.Due(5039, 40));
    EXPECT_TRUE(pending.Due(5040, 40));
}

TEST(LogBoxLines, LinesPastTheLongestAreFoldedWithoutLosingOrSplittingACharacter) {
    const size_t most = kLongestLogBoxLine;
    const std::wstring pair = L"\xD83C\xDFC1";  // one character outside the BMP: two UTF-16 units
    struct Case {
        const char* what;
        std::wstring line;
        std::vector<size_t> pieces;  // lengths of the box lines it becomes
        bool ended;                  // a line end after the last piece
    };
    const Case cases[] = {
        {"exactly the longest", std::wstring(most, L'a'), {most}, true},
        {"one past", std::wstring(most + 1, L'a'), {most, 1}, true},
        {"two and a half", std::wstring(most * 2 + most / 2, L'a'), {most, most, most / 2}, true},
        {"a pair across the fold", std::wstring(most - 1, L'a') + pair + L"b", {most - 1, 3}, true},
        {"a pair just before the fold", std::wstring(most - 2, L'a') + pair + L"b", {most, 1}, true},
        {"a NUL past the fold", std::wstring(most + 5, L'a') + L'\0' + L"gone", {most, 5}, false},
    };
    for (const Case& c : cases) {
        std::wstring text = L"before\r\n";
        AppendLogBoxLine(text, c.line);
        std::wstring expected = L"before\r\n";
        size_t at = 0;
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            expected.append(c.line, at, c.pieces[i]);
            at += c.pieces[i];
            if (i + 1 < c.pieces.size() || c.ended) expected += L"\r\n";
        }
        EXPECT_TRUE(text == expected) << c.what << ": " << text.size() << " characters, expected " << expected.size();
    }
}

TEST_F(LogBoxes, PastTheirCapacityKeepTheNewestLinesUnderANoteThatNamesTheFile) {
    HWND box = MakeBox();
    const std::wstring note = LogBoxTrimNote(kLogFile);
    EXPECT_NE(note.find(kLogFile.wstring()), std::wstring::npos) << "the note does not name the log file";
    // A backlog of 2.3 million characters, far past the point where handed-over text is dropped
    // from memory, handed over in the installer's parts of 8,192.
    PendingLogText pending;
    std::wstring all;
    for (int n = 0; n < 30000; ++n) {
        pending.AddLine(NumberedLine(n));
        all += NumberedLine(n) + L"\r\n";
    }
    int cuts = 0;
    for (bool more = true; more;) {
        const std::wstring before = Text(box);
        more = pending.FlushTo(box, kLogFile, 0, 8192);
        const std::wstring after = Text(box);
        ASSERT_LE(after.size(), kLogBoxCapacity);
        if (after.size() < before.size()) {
            // A cut and an append in one hand-over would keep the window from answering twice as long.
            ++cuts;
            ASSERT_TRUE(before.compare(before.size() - 200, 200, after, after.size() - 200, 200) == 0)
                << "the hand-over that cut the box also appended";
        }
    }
    EXPECT_GE(cuts, 15) << "2.3 million characters through a box of 500,000 cut in steps of about 100,000";
    const std::wstring text = Text(box);
    ASSERT_EQ(text.compare(0, note.size(), note), 0) << "the first line is not the note";
    const std::wstring kept = text.substr(note.size());
    EXPECT_EQ(kept.find(note), std::wstring::npos) << "an earlier note stayed in the box";
    EXPECT_GE(text.size(), kLogBoxTrimmedSize - 100) << "far more went than the capacity asks";
    EXPECT_TRUE(all.compare(all.size() - kept.size(), kept.size(), kept) == 0)
        << "the lines under the note are not the newest lines, whole and in order";
    EXPECT_TRUE(kept.compare(0, 5, L"line ") == 0) << "the cut split a line";
}

TEST(LogBoxTrims, CutAfterALineEndSoThatTheBoxHoldsTheTrimmedSize) {
    struct Case {
        const char* what;
        std::wstring text;
        size_t capacity, trimmedTo, noteLength;
        size_t cut;
    };
    const Case cases[] = {
        {"at the capacity nothing goes", L"aaaa\r\nbbbb\r\n", 12, 6, 2, 0},
        {"past it, whole lines go", L"aaaa\r\nbbbb\r\ncccc\r\n", 12, 10, 2, 12},
        {"the cut ends after the line end it falls in", L"aaaa\r\nbbbb\r\ncccc\r\n", 12, 12, 2, 12},
        {"a cut falling just after a line end stays there", L"aaaa\r\nbbbb\r\ncccc\r\n", 17, 14, 2, 6},
        {"no line end left: everything goes", L"aaaa\r\nbbbbbbbbbbbb", 12, 10, 2, 18},
        {"a note longer than the trimmed size takes everything", L"aaaa\r\nbbbb\r\n", 10, 4, 6, 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogBoxCutLength(c.text, c.noteLength, c.capacity, c.trimmedTo), c.cut) << c.what;
    }
}
