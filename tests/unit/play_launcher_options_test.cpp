// The options: their keys in ".local/launcher.ini" read with clamping and kept by every save,
// and the "Options" window built from the table, opened by command 208 from the home window.
#include <gtest/gtest.h>

#include <string>

#include "launcher_windows_fixture.h"
#include "play/launcher_options.h"
#include "play/launcher_settings.h"
#include "ui/command_buttons.h"
#include "ui/options_window.h"

namespace fs = std::filesystem;

namespace {
std::wstring FileText(const fs::path& file, const wchar_t* key) {
    wchar_t text[64] = {};
    GetPrivateProfileStringW(L"launcher", key, L"<missing>", text, 64, file.c_str());
    return text;
}

HWND RowControl(HWND window, int row) { return GetDlgItem(window, kOptionsFirstRowId + row); }

int ShownChoice(const OptionRow& row, HWND control) {
    if (row.kind == OptionRow::Kind::Toggle) return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    return static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
}

void ShowChoice(const OptionRow& row, HWND control, int choice) {
    if (row.kind == OptionRow::Kind::Toggle) {
        SendMessageW(control, BM_SETCHECK, choice ? BST_CHECKED : BST_UNCHECKED, 0);
    } else {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    }
}

class LauncherOptions : public LauncherWindows {};
}  // namespace

TEST(LauncherOptionsFile, KeysReadWithTheirDefaultsForAnythingUnknown) {
    const struct {
        const char* lines;
        int prompts, swap;
    } cases[] = {
        {"", 0, 0},
        {"button_prompts=playstation\r\nswap_confirm_back=1\r\n", 2, 1},
        {"button_prompts=Nintendo\r\nswap_confirm_back=0\r\n", 3, 0},
        {"button_prompts=XBOX\r\n", 1, 0},
        {"button_prompts=auto\r\nswap_confirm_back=1\r\n", 0, 1},
        {"button_prompts=ps5\r\nswap_confirm_back=2\r\n", 0, 0},
        {"button_prompts=\r\nswap_confirm_back=yes\r\n", 0, 0},
        {"button_prompts=3\r\nswap_confirm_back=-1\r\n", 0, 0},
    };
    TempFolder folder(L"tlvr-options");
    const fs::path file = folder.path() / L"launcher.ini";
    for (const auto& c : cases) {
        WriteFileBytes(file, std::string("[launcher]\r\n") + c.lines);
        LauncherSettings start;
        start.buttonPrompts = 2;  // what was in force must not leak through a missing key
        start.swapConfirmBack = 1;
        const LauncherSettings loaded = LoadLauncherSettings(file, false, start);
        EXPECT_EQ(loaded.buttonPrompts, c.prompts) << c.lines;
        EXPECT_EQ(loaded.swapConfirmBack, c.swap) << c.lines;
    }
}

TEST(LauncherOptionsFile, LanguageReadsKnownTagsAndAnythingElseAsAutomatic) {
    const struct {
        const char* lines;
        const char* chosen;
    } cases[] = {
        {"", "auto"},
        {"language=de\r\n", "de"},
        {"language=PT-br\r\n", "pt-BR"},
        {"language=qps-ploc\r\n", "auto"},  // the pseudo-language is for one run only
        {"language=de-DE\r\n", "auto"},
        {"language=\r\n", "auto"},
        {"language=auto\r\n", "auto"},
    };
    TempFolder folder(L"tlvr-options");
    const fs::path file = folder.path() / L"launcher.ini";
    for (const auto& c : cases) {
        WriteFileBytes(file, std::string("[launcher]\r\n") + c.lines);
        LauncherSettings start;
        start.language = 3;
        LauncherSettings loaded = LoadLauncherSettings(file, false, start);
        EXPECT_EQ(ChosenLanguage(loaded), c.chosen) << c.lines;
        loaded.aspect = 2;  // a save for another reason keeps the choice
        WriteLauncherSettings(file, loaded);
        EXPECT_EQ(ChosenLanguage(LoadLauncherSettings(file, false, LauncherSettings{})), c.chosen) << c.lines;
    }
}

TEST(LauncherOptionsFile, EverySaveKeepsTheOptionsAndClampingMendsAnIndexOutOfRange) {
    TempFolder folder(L"tlvr-options");
    const fs::path file = folder.path() / L"launcher.ini";
    WriteFileBytes(file, "[launcher]\r\nbutton_prompts=nintendo\r\nswap_confirm_back=1\r\nlater_key=7\r\n");
    LauncherSettings settings = LoadLauncherSettings(file, false, LauncherSettings{});
    settings.aspect = 3;  // a save made for another reason (the video window's)
    WriteLauncherSettings(file, settings);
    EXPECT_EQ(FileText(file, L"button_prompts"), L"nintendo");
    EXPECT_EQ(FileText(file, L"swap_confirm_back"), L"1");
    EXPECT_EQ(FileText(file, L"later_key"), L"7");

    settings.buttonPrompts = 9;
    settings.swapConfirmBack = -4;
    const LauncherSettings clamped = ClampSettings(settings);
    EXPECT_EQ(clamped.buttonPrompts, 0);
    EXPECT_EQ(clamped.swapConfirmBack, 0);
    WriteLauncherSettings(file, settings);  // even unclamped, the file never gets a value it cannot read
    EXPECT_EQ(FileText(file, L"button_prompts"), L"auto");
    EXPECT_EQ(FileText(file, L"swap_confirm_back"), L"0");
}

TEST_F(LauncherOptions, CommandButtonOpensOneRowPerOptionAndSaveStoresEveryRow) {
    g_launcher.settings.buttonPrompts = 2;
    g_launcher.settings.swapConfirmBack = 1;
    HWND home = Home();
    ASSERT_NE(GetDlgItem(home, kOptionsId), nullptr) << "no Options button on the home window";
    EXPECT_EQ(WindowText(GetDlgItem(home, kOptionsId)), L"Options");
    SendMessageW(GetDlgItem(home, kOptionsId), WM_KEYDOWN, VK_RETURN, 0);  // as the keyboard and the pad press it
    HWND window = OptionsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ClassOf(window), L"TLVROptions");
    EXPECT_EQ(WindowText(window), L"Options");
    EXPECT_FALSE(IsWindowEnabled(home));
    Command(home, kOptionsId);  // a second request only raises it
    EXPECT_EQ(OptionsWindow(), window);

    // Every row shows its stored choice; each row then takes its last choice.
    for (int row = 0; row < kOptionRowCount; ++row) {
        const OptionRow& option = kOptionRows[row];
        if (!IsChoiceRow(option)) continue;
        HWND control = RowControl(window, row);
        ASSERT_NE(control, nullptr) << "no control for " << option.key;
        EXPECT_EQ(ShownChoice(option, control), g_launcher.settings.*option.field) << option.key;
        if (option.kind == OptionRow::Kind::List) {
            EXPECT_EQ(SendMessageW(control, CB_GETCOUNT, 0, 0), option.choiceCount) << option.key;
        }
        ShowChoice(option, control, option.choiceCount - 1 == g_launcher.settings.*option.field ? 0 : option.choiceCount - 1);
    }
    const LauncherSettings before = g_launcher.settings;
    Command(window, kOptionsSaveId);
    EXPECT_EQ(OptionsWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(home));
    FinishLauncherSettingsSaves();
    for (int row = 0; row < kOptionRowCount; ++row) {
        const OptionRow& option = kOptionRows[row];
        if (!IsChoiceRow(option)) continue;
        const int wanted = option.choiceCount - 1 == before.*option.field ? 0 : option.choiceCount - 1;
        EXPECT_EQ(g_launcher.settings.*option.field, wanted) << option.key;
        EXPECT_EQ(FileText(g_launcher.settingsFile, option.key), option.choices[wanted].fileText) << option.key;
    }
}

TEST_F(LauncherOptions, CloseBoxDiscardsTheEdits) {
    HWND home = Home();
    Command(home, kOptionsId);
    HWND window = OptionsWindow();
    ASSERT_NE(window, nullptr);
    for (int row = 0; row < kOptionRowCount; ++row) {
        if (IsChoiceRow(kOptionRows[row])) ShowChoice(kOptionRows[row], RowControl(window, row), 1);
    }
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(OptionsWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(home));
    const LauncherSettings defaults;
    for (int row = 0; row < kOptionRowCount; ++row) {
        if (!IsChoiceRow(kOptionRows[row])) continue;
        EXPECT_EQ(g_launcher.settings.*kOptionRows[row].field, defaults.*kOptionRows[row].field) << kOptionRows[row].key;
    }
}
