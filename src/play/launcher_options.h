#pragma once
// The Launcher's own choices, as the options window shows them and ".local/launcher.ini" keeps
// them: one row of the table per choice. A row names its label, its `[launcher]` key, its
// choices (each with the text the file holds) and the settings field that holds the index of the
// chosen one. Adding a choice to the Launcher is adding a row to the table and a field to the
// settings; the window, the load, the clamping and every save follow the table.
#include <filesystem>

#include "app/launcher_state.h"

struct OptionChoice {
    const wchar_t* label;     // shown in the window
    const wchar_t* fileText;  // the key's value in the file, compared without regard to case
};

struct OptionRow {
    // A drop-down list, or a check box whose two choices are off (0) and on (1).
    enum class Kind { List, Toggle };
    Kind kind;
    const wchar_t* label;
    const wchar_t* key;
    const OptionChoice* choices;
    int choiceCount;
    int LauncherSettings::*field;
    int defaultChoice;
};

extern const OptionRow kOptionRows[];
extern const int kOptionRowCount;

// The index of the choice whose file text is `text`; the row's default for any other text.
int ChoiceForFileText(const OptionRow& row, const wchar_t* text);
// Brings every row's field into its row's choices: an index out of range reads as the default.
void ClampOptions(LauncherSettings& settings);
// Reads every row's key over `settings`; a missing key or an unknown value gives the default.
void LoadOptions(const std::filesystem::path& file, LauncherSettings& settings);
// The file text of a row's current choice in `settings`.
const wchar_t* OptionFileText(const OptionRow& row, const LauncherSettings& settings);

// The button prompts' choices, in their row's order.
enum class PromptChoice { Automatic = 0, Xbox = 1, PlayStation = 2, Nintendo = 3 };
