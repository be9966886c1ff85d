// Play time on the cards: what the session record's text says about each game, and the date in
// the player's words.
#include <gtest/gtest.h>

#include <string>

#include "play/play_time.h"

namespace {
std::wstring IsoOf(ULONGLONG fileTime) {
    const FILETIME time = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    return IsoUtcText(time);
}

struct RecordCase {
    const char* name;
    std::string csv;
    const wchar_t* game1;  // the text with the date shown as "D"
    const wchar_t* end1;   // the last session's end, or null when never played
    const wchar_t* game2;
    const wchar_t* end2;
};
}  // namespace

TEST(PlayTime, TextFromTheRecordForEachGame) {
    const RecordCase cases[] = {
        {"no record", "", L"Never played", nullptr, L"Never played", nullptr},
        {"one session", "2026-11-30T10:00:00Z,1,43500,0\r\n", L"Last played D \u00B7 12 h 5 min",
         L"2026-11-30T22:05:00Z", L"Never played", nullptr},
        {"across midnight: the end's day counts", "2026-11-30T23:30:00Z,2,3600,3221225477\n", L"Never played",
         nullptr, L"Last played D \u00B7 1 h", L"2026-12-01T00:30:00Z"},
        {"a torn last line is skipped", "2026-11-30T10:00:00Z,1,600,0\r\n2026-12-01T10:0",
         L"Last played D \u00B7 10 min", L"2026-11-30T10:10:00Z", L"Never played", nullptr},
        {"sessions add up, the latest end wins over a clock set back",
         "2026-12-02T08:00:00Z,1,3000,0\r\n2026-12-01T08:00:00Z,1,660,0\r\n2026-12-01T09:00:00Z,2,59,1\r\n",
         L"Last played D \u00B7 1 h 1 min", L"2026-12-02T08:50:00Z", L"Last played D \u00B7 < 1 min",
         L"2026-12-01T09:00:59Z"},
        {"lines of no game or a bad start are not sessions",
         "2026-12-02T08:00:00Z,3,600,0\r\n2026-13-02T08:00:00Z,1,600,0\r\n2026-12-02 08:00:00Z,1,600,0\r\n"
         "2026-12-02T08:00:00Z,0,600,0\r\n",
         L"Never played", nullptr, L"Never played", nullptr},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PlayRecord record = PlayRecordFromText(c.csv);
        EXPECT_EQ(PlayTimeText(record.games[0], L"D"), c.game1);
        EXPECT_EQ(PlayTimeText(record.games[1], L"D"), c.game2);
        EXPECT_EQ(record.games[0].played, c.end1 != nullptr);
        EXPECT_EQ(record.games[1].played, c.end2 != nullptr);
        if (c.end1) {
            EXPECT_EQ(IsoOf(record.games[0].lastEndUtc), c.end1);
        }
        if (c.end2) {
            EXPECT_EQ(IsoOf(record.games[1].lastEndUtc), c.end2);
        }
    }
}

TEST(PlayTime, DurationInHoursAndMinutes) {
    const struct {
        unsigned long long seconds;
        const wchar_t* text;
    } cases[] = {{0, L"< 1 min"},         {59, L"< 1 min"},          {60, L"1 min"},
                 {3599, L"59 min"},       {3600, L"1 h"},            {43500, L"12 h 5 min"},
                 {43559, L"12 h 5 min"},  {360000, L"100 h"},        {259261, L"72 h 1 min"}};
    for (const auto& c : cases) EXPECT_EQ(PlayDurationText(c.seconds), c.text) << c.seconds << " s";
}

TEST(PlayTime, DateIsDayShortMonthAndYearOfThePlayersLanguage) {
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    if (std::wstring(locale).rfind(L"en", 0) != 0) GTEST_SKIP() << "the user's language is not English here";
    ULONGLONG noon = 0;
    // Noon UTC is the same day in every time zone this machine can be in but the farthest ones.
    ASSERT_TRUE(ParseIsoUtc(L"2026-11-30T12:00:00Z", &noon));
    EXPECT_EQ(PlayerDateText(noon), L"30 Nov 2026");
    ASSERT_TRUE(ParseIsoUtc(L"2027-01-05T12:00:00Z", &noon));
    EXPECT_EQ(PlayerDateText(noon), L"5 Jan 2027");
}
