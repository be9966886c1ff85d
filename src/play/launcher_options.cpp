#include "play/launcher_options.h"

#include <windows.h>

#include <cwchar>

#include "play/steam_library.h"
#include "texts/texts.h"

namespace {
constexpr wchar_t kSection[] = L"launcher";

constexpr OptionChoice kPromptChoices[] = {
    {"options.row.button_prompts.auto", nullptr, L"auto"},
    {"options.row.button_prompts.xbox", nullptr, L"xbox"},
    {"options.row.button_prompts.playstation", nullptr, L"playstation"},
    {"options.row.button_prompts.nintendo", nullptr, L"nintendo"},
};
constexpr OptionChoice kOffOn[] = {{"options.off", nullptr, L"0"}, {"options.on", nullptr, L"1"}};
// Each language named in itself, so a player who cannot read the current one finds their own.
constexpr OptionChoice kLanguageChoices[] = {
    {"options.row.language.auto", nullptr, L"auto"},
    {nullptr, L"English", L"en"},
    {nullptr, L"Deutsch", L"de"},
    {nullptr, L"Fran\u00E7ais", L"fr"},
    {nullptr, L"Espa\u00F1ol (Espa\u00F1a)", L"es"},
    {nullptr, L"Portugu\u00EAs (Brasil)", L"pt-BR"},
    {nullptr, L"Italiano", L"it"},
    {nullptr, L"Polski", L"pl"},
    {nullptr, L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439", L"ru"},
};

template <size_t N>
constexpr int CountOf(const OptionChoice (&)[N]) {
    return static_cast<int>(N);
}
}  // namespace

const OptionRow kOptionRows[] = {
    {OptionRow::Kind::List, "options.row.button_prompts", L"button_prompts", kPromptChoices, CountOf(kPromptChoices),
     &LauncherSettings::buttonPrompts, 0},
    {OptionRow::Kind::Toggle, "options.row.swap_confirm_back", L"swap_confirm_back", kOffOn,
     CountOf(kOffOn), &LauncherSettings::swapConfirmBack, 0},
    {OptionRow::Kind::Toggle, "options.row.show_play_time", L"show_play_time", kOffOn, CountOf(kOffOn),
     &LauncherSettings::showPlayTime, 1},
    {OptionRow::Kind::Command, "options.row.add_to_steam", nullptr, nullptr, 0, nullptr, 0, kAddToSteamCommandId},
    {OptionRow::Kind::List, "options.row.language", L"language", kLanguageChoices, CountOf(kLanguageChoices),
     &LauncherSettings::language, 0},
};
const int kOptionRowCount = static_cast<int>(sizeof(kOptionRows) / sizeof(kOptionRows[0]));

std::wstring ChoiceLabel(const OptionChoice& choice) {
    return choice.labelKey ? Text(choice.labelKey) : std::wstring(choice.label);
}

std::string ChosenLanguage(const LauncherSettings& settings) {
    const int index = settings.language;
    if (index < 0 || index >= CountOf(kLanguageChoices)) return "auto";
    std::string tag;
    for (const wchar_t* c = kLanguageChoices[index].fileText; *c; ++c) tag += static_cast<char>(*c);
    return tag;
}

int ChoiceForFileText(const OptionRow& row, const wchar_t* text) {
    for (int choice = 0; text && choice < row.choiceCount; ++choice) {
        if (_wcsicmp(row.choices[choice].fileText, text) == 0) return choice;
    }
    return row.defaultChoice;
}

void ClampOptions(LauncherSettings& settings) {
    for (int i = 0; i < kOptionRowCount; ++i) {
        const OptionRow& row = kOptionRows[i];
        if (!IsChoiceRow(row)) continue;
        int& value = settings.*row.field;
        if (value < 0 || value >= row.choiceCount) value = row.defaultChoice;
    }
}

void LoadOptions(const std::filesystem::path& file, LauncherSettings& settings) {
    for (int i = 0; i < kOptionRowCount; ++i) {
        const OptionRow& row = kOptionRows[i];
        if (!IsChoiceRow(row)) continue;
        wchar_t text[64] = {};
        GetPrivateProfileStringW(kSection, row.key, L"", text, 64, file.c_str());
        settings.*row.field = ChoiceForFileText(row, text);
    }
}

const wchar_t* OptionFileText(const OptionRow& row, const LauncherSettings& settings) {
    if (!IsChoiceRow(row)) return L"";
    const int value = settings.*row.field;
    return row.choices[(value >= 0 && value < row.choiceCount) ? value : row.defaultChoice].fileText;
}
