// Which language the Launcher speaks: Windows' preferred display languages against the player's
// stored choice and the languages the program has.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "texts/language_choice.h"

TEST(LanguageChoice, PreferredLanguagesStoredChoiceAndAvailableOnes) {
    const std::vector<std::string> all = {"en", "de", "fr", "es", "pt-BR", "it", "pl", "ru"};
    struct Case {
        const char* name;
        std::vector<std::string> preferred;
        const char* chosen;
        std::vector<std::string> available;
        const char* expected;
    };
    const Case cases[] = {
        {"automatic follows Windows by tag", {"de-DE", "en-US"}, "auto", all, "de"},
        {"the tag itself when the program has it", {"pt-BR"}, "auto", all, "pt-BR"},
        {"Portuguese of Portugal reads Brazilian Portuguese", {"pt-PT"}, "auto", all, "pt-BR"},
        {"Mexican Spanish reads Spanish", {"es-MX"}, "auto", all, "es"},
        {"an underscore is a hyphen", {"fr_CA"}, "auto", all, "fr"},
        {"the first language the program has wins", {"nl-NL", "ja-JP", "it-IT", "de-DE"}, "auto", all, "it"},
        {"an exact tag of a later language does not beat an earlier one", {"fr-CA", "de"}, "auto", all, "fr"},
        {"none of Windows' languages: English", {"nl-NL", "zh-CN"}, "auto", all, "en"},
        {"no preferred languages at all: English", {}, "auto", all, "en"},
        {"the player's choice beats Windows", {"de-DE"}, "pl", all, "pl"},
        {"the choice read without regard to case", {"de-DE"}, "PT-br", all, "pt-BR"},
        {"a choice the program lacks reads as automatic", {"de-DE"}, "fr", {"en", "de"}, "de"},
        {"an unknown choice reads as automatic", {"it-IT"}, "klingon", all, "it"},
        {"a language without its table is not chosen", {"ru-RU"}, "auto", {"en", "de"}, "en"},
        {"the pseudo-language only when available", {"en-US"}, "qps-ploc", {"en", "de", "qps-ploc"}, "qps-ploc"},
        {"the pseudo-language is no Windows match for English", {"qps-ploc"}, "auto", {"en", "de"}, "en"},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseLanguage(c.preferred, c.chosen, c.available), c.expected) << c.name;
}

TEST(LanguageChoice, TheProgramOffersEveryTableItCanDrawAndOnlyThose) {
    const std::vector<std::string> offered = AvailableLanguages();
    EXPECT_EQ(offered, (std::vector<std::string>{"en", "de", "es", "fr", "it", "pl", "pt-BR", "ru"}))
        << "English first, then every compiled table; the pseudo-language only when asked for";
    // Russian is drawn by its Cyrillic face now: Windows' Russian finds it.
    EXPECT_EQ(ChooseLanguage({"ru-RU"}, "auto", offered), "ru");
    const std::vector<std::string> withPseudo = AvailableLanguages(true);
    EXPECT_EQ(withPseudo.back(), "qps-ploc");
    EXPECT_EQ(std::count(offered.begin(), offered.end(), "qps-ploc"), 0);
}
