// The tables of texts: reading a table, plural categories per language, placeholders, the
// fallback to English and then to the key, and the pseudo-language.
#include <gtest/gtest.h>

#include <string>

#include "texts/texts.h"

namespace {
// Puts the process-wide language back to English after each test.
class TextsTest : public ::testing::Test {
protected:
    void TearDown() override { SetTextLanguage("en"); }
};
}  // namespace

TEST(TextTable, LinesCommentsEscapesAndBrokenLines) {
    int skipped = -1;
    const TextTable table = ParseTextTable(
        "\xEF\xBB\xBF# a comment = not a text\n"
        "\n"
        "a.plain = Save\r\n"
        "  a.spaced   =   Open logs folder  \n"
        "a.break = one\\ntwo\n"
        "a.backslash = C:\\\\Games\\\\n\n"
        "a.equals = x = y\n"
        "a.empty =\n"
        "a.utf8 = Durchsuchen \xE2\x80\xA6 \xC3\xBC\n"
        "no separator here\n",
        &skipped);
    EXPECT_EQ(table.at("a.plain"), L"Save");
    EXPECT_EQ(table.at("a.spaced"), L"Open logs folder");
    EXPECT_EQ(table.at("a.break"), L"one\ntwo");
    EXPECT_EQ(table.at("a.backslash"), L"C:\\Games\\n");
    EXPECT_EQ(table.at("a.equals"), L"x = y");
    EXPECT_EQ(table.at("a.empty"), L"");
    EXPECT_EQ(table.at("a.utf8"), L"Durchsuchen \u2026 \u00FC");
    EXPECT_EQ(table.size(), 7u) << "the comment is not a text";
    EXPECT_EQ(skipped, 1);
}

TEST(TextTable, PluralCategoriesPerLanguage) {
    struct Case {
        const char* tag;
        long long n;
        const char* category;
    };
    const Case cases[] = {
        {"en", 0, "other"},  {"en", 1, "one"},    {"en", 2, "other"},  {"en", 21, "other"},
        {"de", 1, "one"},    {"de", 0, "other"},  {"fr", 0, "one"},    {"fr", 1, "one"},
        {"fr", 2, "other"},  {"pt-BR", 0, "one"}, {"pt-BR", 2, "other"}, {"es", 1, "one"},
        {"es", 0, "other"},  {"it", 11, "other"}, {"pl", 1, "one"},    {"pl", 2, "few"},
        {"pl", 4, "few"},    {"pl", 5, "many"},   {"pl", 12, "many"},  {"pl", 22, "few"},
        {"pl", 21, "many"},  {"pl", 0, "many"},   {"pl", 112, "many"}, {"ru", 1, "one"},
        {"ru", 21, "one"},   {"ru", 11, "many"},  {"ru", 2, "few"},    {"ru", 14, "many"},
        {"ru", 23, "few"},   {"ru", 5, "many"},   {"ru", 111, "many"}, {"ru", 101, "one"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(PluralCategory(c.tag, c.n), c.category) << c.tag << " " << c.n;
}

TEST(TextTable, PlaceholdersAreFilledByName) {
    struct Case {
        const wchar_t* text;
        const wchar_t* filled;
    };
    const Case cases[] = {
        {L"Version {version} / locally built", L"Version 0.60.1 / locally built"},
        {L"{path}: {path}", L"D:\\G: D:\\G"},
        {L"{unknown} stays", L"{unknown} stays"},
        {L"an open { brace", L"an open { brace"},
        {L"{version}{path}", L"0.60.1D:\\G"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillPlaceholders(c.text, {{"version", L"0.60.1"}, {"path", L"D:\\G"}}), c.filled) << c.text;
}

TEST_F(TextsTest, EveryCompiledTableReadsAndEnglishIsAmongThem) {
    ASSERT_NE(FindEmbeddedTextTable("en"), nullptr);
    for (size_t i = 0; i < kEmbeddedTextTableCount; ++i) {
        int skipped = -1;
        const TextTable table = ParseTextTable({kEmbeddedTextTables[i].text, kEmbeddedTextTables[i].size}, &skipped);
        EXPECT_FALSE(table.empty()) << kEmbeddedTextTables[i].tag;
        EXPECT_EQ(skipped, 0) << kEmbeddedTextTables[i].tag;
    }
}

TEST_F(TextsTest, MissingTextsFallBackToEnglishThenToTheKey) {
    EXPECT_EQ(SetTextLanguage("xx-unknown"), "en");
    EXPECT_EQ(Text("options.save"), L"Save");
    EXPECT_EQ(Text("no.such.key"), L"no.such.key");

    // A language table lacking a text: English stands in, and the chosen language's own texts win.
    g_language.tag = "pl";
    g_language.chosen = {{"options.save", L"Zapisz"}, {"t.items[few]", L"{count} gry"}};
    EXPECT_EQ(Text("options.save"), L"Zapisz");
    EXPECT_EQ(Text("options.title"), L"Options");
    EXPECT_EQ(PluralText("t.items", 3), L"3 gry");
    // No "many" form in Polish and no such key in English: the key shows.
    EXPECT_EQ(PluralText("t.items", 5), L"t.items");
    g_language.english["t.items[one]"] = L"{count} game of {who}";
    g_language.english["t.items[other]"] = L"{count} games of {who}";
    EXPECT_EQ(PluralText("t.items", 5, {{"who", L"Ana"}}), L"5 games of Ana");
    EXPECT_EQ(PluralText("t.items", 1, {{"who", L"Ana"}}), L"1 game of Ana");
    g_language.english.erase("t.items[one]");
    g_language.english.erase("t.items[other]");
}

TEST_F(TextsTest, PseudoLanguageAccentsLengthensAndKeepsWhatCodeReads) {
    const std::wstring english = L"Open &logs in {path}\nnow";
    const std::wstring pseudo = PseudoLocalize(english);
    ASSERT_GE(pseudo.size(), 2u);
    EXPECT_EQ(pseudo.front(), L'[');
    EXPECT_EQ(pseudo.back(), L']');
    EXPECT_NE(pseudo.find(L"{path}"), std::wstring::npos) << "placeholder kept";
    EXPECT_NE(pseudo.find(L"&l"), std::wstring::npos) << "access key kept with its letter";
    EXPECT_NE(pseudo.find(L'\n'), std::wstring::npos) << "line break kept";
    EXPECT_EQ(pseudo.find(L"Open"), std::wstring::npos) << "letters accented";
    const double growth = double(pseudo.size() - 2) / english.size();
    EXPECT_GE(growth, 1.25) << "seen " << growth;
    EXPECT_LE(growth, 1.6) << "seen " << growth;

    EXPECT_EQ(SetTextLanguage("qps-ploc"), "qps-ploc");
    EXPECT_EQ(Text("options.save"), PseudoLocalize(L"Save"));
    EXPECT_EQ(FormatText("home.status.installed", {{"version", L"1.2"}}),
              FillPlaceholders(PseudoLocalize(L"Version {version} / locally built from your ROM"),
                               {{"version", L"1.2"}}));
}
