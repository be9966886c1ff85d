#pragma once
// The Launcher's own choices, as the options window shows them and ".local/launcher.ini" keeps
// them: one row of the table per choice. A row names its label, its `[launcher]` key, its
// choices (each with the text the file holds) and the settings field that holds the index of the
// chosen one. Adding a choice to the Launcher is adding a row to the table and a field to the
// settings; the window, the load, the clamping and every save follow the table.
#include <filesystem>
#include <string>

#include "app/launcher_state.h"

struct OptionChoice {
    const char* labelKey;     // its text, shown in the window; null: `label` as it stands
    const wchar_t* label;     // a name that reads the same in every language ("Deutsch")
    const wchar_t* fileText;  // the key's value in the file, compared without regard to case
};
// What the window shows for a choice, in the current language.
std::wstring ChoiceLabel(const OptionChoice& choice);

struct OptionRow {
    // A drop-down list, a check box whose two choices are off (0) and on (1), or a button that
    // sends a command to the home window (no key, no choices, no field).
    enum class Kind { List, Toggle, Command };
    Kind kind;
    const char* labelKey;
    const wchar_t* key;
    const OptionChoice* choices;
    int choiceCount;
    int LauncherSettings::*field;
    int defaultChoice;
    int command = 0;  // Kind::Command: the home window's command id
};

// Lists and check boxes hold a choice; command rows hold none.
inline bool IsChoiceRow(const OptionRow& row) { return row.kind != OptionRow::Kind::Command; }

extern const OptionRow kOptionRows[];
extern const int kOptionRowCount;

// The index of the choice whose file text is `text`; the row's default for any other text.
int ChoiceForFileText(const OptionRow& row, const wchar_t* text);
// Brings every row's field into its row's choices: an index out of range reads as the default.
void ClampOptions(LauncherSettings& settings);
// Reads every row's key over `settings`; a missing key or an unknown value gives the default.
void LoadOptions(const std::filesystem::path& file, LauncherSettings& settings);
// The player's language choice as `language=` keeps it: "auto" or a tag.
std::string ChosenLanguage(const LauncherSettings& settings);
// The file text of a row's current choice in `settings`.
const wchar_t* OptionFileText(const OptionRow& row, const LauncherSettings& settings);

// The button prompts' choices, in their row's order.
enum class PromptChoice { Automatic = 0, Xbox = 1, PlayStation = 2, Nintendo = 3 };
