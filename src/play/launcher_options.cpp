#include "play/launcher_options.h"

#include <windows.h>

#include <cwchar>

namespace {
constexpr wchar_t kSection[] = L"launcher";

constexpr OptionChoice kPromptChoices[] = {
    {L"Automatic", L"auto"},
    {L"Xbox", L"xbox"},
    {L"PlayStation", L"playstation"},
    {L"Nintendo", L"nintendo"},
};
constexpr OptionChoice kOffOn[] = {{L"Off", L"0"}, {L"On", L"1"}};

template <size_t N>
constexpr int CountOf(const OptionChoice (&)[N]) {
    return static_cast<int>(N);
}
}  // namespace

const OptionRow kOptionRows[] = {
    {OptionRow::Kind::List, L"Button prompts", L"button_prompts", kPromptChoices, CountOf(kPromptChoices),
     &LauncherSettings::buttonPrompts, 0},
    {OptionRow::Kind::Toggle, L"Swap confirm and back (B confirms, A goes back)", L"swap_confirm_back", kOffOn,
     CountOf(kOffOn), &LauncherSettings::swapConfirmBack, 0},
};
const int kOptionRowCount = static_cast<int>(sizeof(kOptionRows) / sizeof(kOptionRows[0]));

int ChoiceForFileText(const OptionRow& row, const wchar_t* text) {
    for (int choice = 0; text && choice < row.choiceCount; ++choice) {
        if (_wcsicmp(row.choices[choice].fileText, text) == 0) return choice;
    }
    return row.defaultChoice;
}

void ClampOptions(LauncherSettings& settings) {
    for (int i = 0; i < kOptionRowCount; ++i) {
        const OptionRow& row = kOptionRows[i];
        int& value = settings.*row.field;
        if (value < 0 || value >= row.choiceCount) value = row.defaultChoice;
    }
}

void LoadOptions(const std::filesystem::path& file, LauncherSettings& settings) {
    for (int i = 0; i < kOptionRowCount; ++i) {
        const OptionRow& row = kOptionRows[i];
        wchar_t text[64] = {};
        GetPrivateProfileStringW(kSection, row.key, L"", text, 64, file.c_str());
        settings.*row.field = ChoiceForFileText(row, text);
    }
}

const wchar_t* OptionFileText(const OptionRow& row, const LauncherSettings& settings) {
    const int value = settings.*row.field;
    return row.choices[(value >= 0 && value < row.choiceCount) ? value : row.defaultChoice].fileText;
}
