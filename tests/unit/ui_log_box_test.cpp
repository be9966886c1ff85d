// Log boxes: past the default edit limit, and batched appends that leave the same text as
// appending line by line.
#include <gtest/gtest.h>

#include <windows.h>

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

std::wstring NumberedLine(int n) { return L"line " + std::to_wstring(n) + std::wstring(70, L'x'); }
}  // namespace

TEST_F(LogBoxes, HoldEveryLineFarPastTheDefaultLimit) {
    HWND box = MakeBox();
    std::wstring expected;
    for (int n = 0; n < 2000; ++n) {  // about 160,000 characters
        AppendToLogBox(box, NumberedLine(n) + L"\r\n");
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
        AppendToLogBox(oneByOne, line + L"\r\n");
        pending.AddLine(line);
        if (++count % 2 == 0) pending.FlushTo(batched, clock);
    }
    pending.FlushTo(batched, clock);
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
    EXPECT_TRUE(pending.FlushTo(box, 0, 12));
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\n") << "the part did not end after the last line end within it";
    EXPECT_TRUE(pending.FlushTo(box, 0, 12));
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\na line longe") << "a line past the limit goes in pieces";
    while (pending.FlushTo(box, 0, 12)) {
    }
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(Text(box), L"one\r\ntwo\r\na line longer than the limit\r\n");

    // A backlog far past the point where handed-over text is dropped from memory.
    HWND big = MakeBox();
    std::wstring expected;
    for (int n = 0; n < 30000; ++n) {
        pending.AddLine(NumberedLine(n));
        expected += NumberedLine(n) + L"\r\n";
    }
    ASSERT_GT(expected.size(), 2u << 20);
    while (pending.FlushTo(big, 0, 200000)) {
    }
    EXPECT_TRUE(Text(big) == expected) << "lines were lost or changed across parts";
}

TEST_F(LogBoxes, TextBecomesDueOnlyAfterThePeriodSinceTheLastHandOver) {
    HWND box = MakeBox();
    PendingLogText pending;
    EXPECT_FALSE(pending.Due(5000, 40)) << "nothing waits";
    pending.AddLine(L"a");
    EXPECT_TRUE(pending.Due(5000, 40)) << "the first line waits for nobody";
    pending.FlushTo(box, 5000);
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
