// Dates and numbers in the form of each language, as Windows formats them for its locale.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "play/play_time.h"
#include "texts/player_formats.h"
#include "texts/texts.h"
#include "test_text.h"

namespace {
SYSTEMTIME Day(WORD year, WORD month, WORD day) {
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    date.wHour = 12;
    return date;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.rfind(start, 0) == 0; }
}  // namespace

TEST(PlayerFormats, EachLanguageHasItsLocaleAndEnglishTheUsersOwn) {
    const struct {
        const char* tag;
        const wchar_t* locale;
    } cases[] = {{"en", L""},         {"de", L"de-DE"}, {"fr", L"fr-FR"}, {"es", L"es-ES"}, {"pt-BR", L"pt-BR"},
                 {"it", L"it-IT"},    {"pl", L"pl-PL"}, {"ru", L"ru-RU"}, {"qps-ploc", L""}, {"xx", L""}};
    for (const auto& c : cases) EXPECT_EQ(LocaleForLanguage(c.tag), c.locale) << c.tag;
}

// Windows groups these locales' digits by three; the separator is the locale's: a dot, or a space
// that Windows 10 gives as U+202F (French) or U+00A0 and older data as U+00A0 or U+0020.
TEST(PlayerFormats, NumbersAreGroupedByThreeWithTheLanguagesSeparator) {
    const struct {
        const char* tag;
        std::wstring separators;  // any one of these is the language's
    } languages[] = {{"de", L"."}, {"es", L"."}, {"pt-BR", L"."}, {"it", L"."},
                     {"fr", L"\u202F\u00A0 "}, {"pl", L"\u00A0 "}, {"ru", L"\u00A0 "}};
    for (const auto& language : languages) {
        const std::wstring million = NumberTextIn(language.tag, 1234567);
        ASSERT_EQ(million.size(), 9u) << language.tag << ": " << Utf8(million);
        const wchar_t separator = million[1];
        EXPECT_NE(language.separators.find(separator), std::wstring::npos)
            << language.tag << ": separator U+" << std::hex << static_cast<int>(separator);
        const std::wstring g(1, separator);
        EXPECT_EQ(million, L"1" + g + L"234" + g + L"567") << language.tag;
        EXPECT_EQ(NumberTextIn(language.tag, 999), L"999") << language.tag;
        EXPECT_EQ(NumberTextIn(language.tag, 0), L"0") << language.tag;
        EXPECT_EQ(NumberTextIn(language.tag, 1000), L"1" + g + L"000") << language.tag;
        EXPECT_EQ(NumberTextIn(language.tag, -1234), L"-1" + g + L"234") << language.tag;
    }
    // English keeps the plain digits it always wrote.
    EXPECT_EQ(NumberTextIn("en", 1234567), L"1234567");
}

// The day first, the month by its short name in the language (Windows may end it with a dot),
// the year last; German puts a dot after the day, Brazilian Portuguese "de" around the month.
TEST(PlayerFormats, DatesAreDayShortMonthAndYearInTheLanguage) {
    const struct {
        const char* tag;
        SYSTEMTIME date;
        const wchar_t* start;  // the day and the month's first letters
    } cases[] = {
        {"de", Day(2026, 11, 30), L"30. Nov"},       {"de", Day(2027, 1, 5), L"5. Jan"},
        {"fr", Day(2026, 11, 30), L"30 nov"},        {"fr", Day(2027, 1, 5), L"5 janv"},
        {"es", Day(2026, 11, 30), L"30 nov"},        {"es", Day(2027, 1, 5), L"5 ene"},
        {"pt-BR", Day(2026, 11, 30), L"30 de nov"},  {"pt-BR", Day(2027, 1, 5), L"5 de jan"},
        {"it", Day(2026, 11, 30), L"30 nov"},        {"it", Day(2027, 1, 5), L"5 gen"},
        {"pl", Day(2026, 11, 30), L"30 lis"},        {"pl", Day(2027, 1, 5), L"5 sty"},
        {"ru", Day(2026, 11, 30), L"30 \u043D\u043E\u044F"},  // ноя
        {"ru", Day(2027, 1, 5), L"5 \u044F\u043D\u0432"},     // янв
    };
    for (const auto& c : cases) {
        const std::wstring text = DateTextIn(c.tag, c.date);
        const std::wstring year = std::to_wstring(c.date.wYear);
        EXPECT_TRUE(StartsWith(text, c.start)) << c.tag << ": " << Utf8(text);
        EXPECT_EQ(text.substr(text.size() >= 4 ? text.size() - 4 : 0), year) << c.tag << ": " << Utf8(text);
        EXPECT_LE(text.size(), 20u) << c.tag << ": " << Utf8(text) << " is not a short date";
    }
}

// The current language reaches the texts that carry numbers: the play time's hours and date.
TEST(PlayerFormats, PlayTimeFollowsTheCurrentLanguage) {
    const unsigned long long thousandsOfHours = 1234ull * 3600;
    SetTextLanguage("de");
    const std::wstring german = PlayDurationText(thousandsOfHours);
    const std::wstring germanDate = LanguageDateText(Day(2026, 11, 30));
    SetTextLanguage("en");
    EXPECT_EQ(german, L"1.234 Std.");
    EXPECT_TRUE(StartsWith(germanDate, L"30. Nov")) << Utf8(germanDate);
    EXPECT_EQ(PlayDurationText(thousandsOfHours), L"1234 h") << "English writes its hours as it always did";
}
