// The language the Launcher speaks, as a player starts it: Windows' display language (Wine takes
// it from the locale variables), the choice kept in launcher.ini, and --language for one run.
#include <gtest/gtest.h>

#include <vector>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kPlay = 200;
constexpr int kOptions = 208;
constexpr int kControls = 204;
constexpr int kInstallGames = 205;

std::wstring StoredLanguage(const Installation& installation) {
    wchar_t text[64] = {};
    GetPrivateProfileStringW(L"launcher", L"language", L"(none)", text, 64,
                             (installation.local() / L"launcher.ini").c_str());
    return text;
}

struct LanguageCase {
    const char* name;
    const wchar_t* stored;     // language= written before the start; null: no such key
    const wchar_t* arguments;
    const wchar_t* play;       // the PLAY button's text
    const wchar_t* options;    // the Options button's text
    const wchar_t* storedAfter;  // language= once the launcher has closed
    // A window the home window opens, read through its title and one button's text.
    int opener = 0;  // the home button that opens it; 0: none
    const wchar_t* windowClass = nullptr;
    const wchar_t* title = nullptr;
    int buttonId = 0;
    const wchar_t* button = nullptr;
};

void CheckOpenedWindow(const Process& launcher, HWND home, const LanguageCase& c) {
    ClickButton(ChildWithId(home, c.opener));
    const auto window = launcher.FindWindowOfClass(c.windowClass, kLaunchTimeout);
    ASSERT_TRUE(window.has_value()) << "the window did not open";
    EXPECT_EQ(WindowText(window->hwnd), c.title);
    EXPECT_EQ(WindowText(ChildWithId(window->hwnd, c.buttonId)), c.button);
    PostMessageW(window->hwnd, WM_CLOSE, 0, 0);
    for (int wait = 0; wait < 100 && IsWindow(window->hwnd); ++wait) Sleep(50);
    EXPECT_FALSE(IsWindow(window->hwnd)) << "the window did not close";
}

// Starts the launcher once per case and reads the home window's button texts.
void RunLanguageCases(const std::vector<LanguageCase>& cases) {
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Installation installation;
        installation.InstallStandInGame(1);
        if (c.stored) {
            fs::create_directories(installation.local());
            WritePrivateProfileStringW(L"launcher", L"language", c.stored,
                                       (installation.local() / L"launcher.ini").c_str());
        }
        Process launcher = StartLauncher(installation, c.arguments);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        EXPECT_EQ(WindowText(ChildWithId(home, kPlay)), c.play);
        EXPECT_EQ(WindowText(ChildWithId(home, kOptions)), c.options);
        if (c.opener) CheckOpenedWindow(launcher, home, c);
        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
        EXPECT_EQ(StoredLanguage(installation), c.storedAfter);
    }
}
}  // namespace

// The suites' own locale (C.UTF-8): Windows says en-US.
TEST(Languages, EnglishByDefaultTheStoredChoiceAndTheOneRunChoice) {
    RunLanguageCases({
        {"English, text for text as before", nullptr, L"", L"PLAY", L"Options", L"auto"},
        {"the stored choice", L"de", L"", L"SPIELEN", L"Optionen", L"de"},
        {"the stored choice read without regard to case", L"DE", L"", L"SPIELEN", L"Optionen", L"de"},
        {"a stored Spanish choice is kept across starts", L"es", L"", L"JUGAR", L"Opciones", L"es"},
        {"--language for one run is not stored", L"de", L"--language en", L"PLAY", L"Options", L"de"},
        {"the controls editor in French", nullptr, L"--language fr", L"JOUER", L"Options", L"auto", kControls,
         L"TlvrControlEditor", L"Commandes \u2014 Talvaro Ovra-Remix Recomp", IDOK, L"Enregistrer les commandes"},
        {"the installer in French", nullptr, L"--language fr", L"JOUER", L"Options", L"auto", kInstallGames,
         L"TLVRInstaller", L"Installer Talvaro Ovra-Remix Recomp 0.60", 1, L"Installer les jeux"},
        {"the pseudo-language on the command line", nullptr, L"--language qps-ploc", L"[PL\u00C1\u00C1\u00DD~]",
         L"[\u00D6\u00D6pt\u00EE\u00EE\u00F6\u00F6\u00F1\u0161]", L"auto"},
    });
}

// Wine takes the display language from its process's locale variables, which a child inherits
// from its parent's Unix side only: scripts/test_suites.sh runs this under LC_ALL=de_DE.UTF-8.
TEST(LanguagesUnderLocale, GermanDisplayLanguageUnlessTheChoiceSaysOtherwise) {
    wchar_t locale[32] = {};
    if (GetEnvironmentVariableW(L"TLVR_TEST_LOCALE", locale, 32) == 0)
        GTEST_SKIP() << "runs in the German-locale leg of scripts/test_suites.sh";
    RunLanguageCases({
        {"German display language", nullptr, L"", L"SPIELEN", L"Optionen", L"auto"},
        {"an unknown stored choice reads as automatic", L"tlh", L"", L"SPIELEN", L"Optionen", L"auto"},
        {"English chosen", L"en", L"", L"PLAY", L"Options", L"en"},
        {"English for one run", nullptr, L"--language en", L"PLAY", L"Options", L"auto"},
        {"French for one run beside the German display language", nullptr, L"--language fr", L"JOUER", L"Options",
         L"auto"},
    });
}
