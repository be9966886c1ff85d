// The language the Launcher speaks, as a player starts it: Windows' display language (Wine takes
// it from the locale variables), the choice kept in launcher.ini, and --language for one run.
#include <gtest/gtest.h>

#include <map>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kPlay = 200;
constexpr int kOptions = 208;

std::wstring StoredLanguage(const Installation& installation) {
    wchar_t text[64] = {};
    GetPrivateProfileStringW(L"launcher", L"language", L"(none)", text, 64,
                             (installation.local() / L"launcher.ini").c_str());
    return text;
}
}  // namespace

TEST(Languages, DisplayLanguageStoredChoiceAndOneRunChoice) {
    struct Case {
        const char* name;
        const wchar_t* locale;      // LC_ALL for the launcher's Wine process
        const wchar_t* stored;      // language= written before the start; null: no such key
        const wchar_t* arguments;
        const wchar_t* play;        // the PLAY button's text
        const wchar_t* options;     // the Options button's text
        const wchar_t* storedAfter; // language= once the launcher has closed
    };
    const Case cases[] = {
        {"C locale: English, text for text as before", L"C", nullptr, L"", L"PLAY", L"Options", L"auto"},
        {"German display language", L"de_DE.UTF-8", nullptr, L"", L"SPIELEN", L"Optionen", L"auto"},
        {"Austrian German reads German", L"de_AT.UTF-8", nullptr, L"", L"SPIELEN", L"Optionen", L"auto"},
        {"the stored choice beats the display language", L"C", L"de", L"", L"SPIELEN", L"Optionen", L"de"},
        {"an unknown stored choice reads as automatic", L"de_DE.UTF-8", L"tlh", L"", L"SPIELEN", L"Optionen",
         L"auto"},
        {"--language for one run is not stored", L"C", L"de", L"--language en", L"PLAY", L"Options", L"de"},
        {"--language fr beats a German display language", L"de_DE.UTF-8", nullptr, L"--language fr", L"JOUER",
         L"Options", L"auto"},
        {"a stored Spanish choice is kept across starts", L"C", L"es", L"", L"JUGAR", L"Opciones", L"es"},
        {"the pseudo-language on the command line", L"C", nullptr, L"--language qps-ploc",
         L"[PL\u00C1\u00C1\u00DD~]", L"[\u00D6\u00D6pt\u00EE\u00EE\u00F6\u00F6\u00F1\u0161]", L"auto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installation installation;
        installation.InstallStandInGame(1);
        if (c.stored) {
            // The profile functions make no folder: without .local the key would never be written.
            fs::create_directories(installation.local());
            WritePrivateProfileStringW(L"launcher", L"language", c.stored,
                                       (installation.local() / L"launcher.ini").c_str());
        }
        Process launcher = StartLauncher(installation, c.arguments, {{L"LC_ALL", c.locale}, {L"LANG", c.locale}});
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        EXPECT_EQ(WindowText(ChildWithId(home, kPlay)), c.play);
        EXPECT_EQ(WindowText(ChildWithId(home, kOptions)), c.options);
        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
        EXPECT_EQ(StoredLanguage(installation), c.storedAfter);
    }
}
