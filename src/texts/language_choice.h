#pragma once
// Which language the Launcher speaks: the player's choice when it names a language the Launcher
// has, else the first of Windows' preferred display languages it has (by tag, then by the tag
// without its region: pt-PT reads Brazilian Portuguese, es-MX Spanish), else English.
#include <string>
#include <string_view>
#include <vector>

// `chosen` is "auto" or a tag ("de"); `preferred` in Windows' order ("de-DE", "en-US").
std::string ChooseLanguage(const std::vector<std::string>& preferred, std::string_view chosen,
                           const std::vector<std::string>& available);

// The tags of the languages compiled into the program (English first), plus the pseudo-language
// when asked for (it is accepted on the command line only).
std::vector<std::string> AvailableLanguages(bool withPseudo = false);

// Windows' preferred display languages of the user, in order.
std::vector<std::string> PreferredDisplayLanguages();

// Chooses and sets the language at start-up and after a change: `oneRun` is "--language TAG"
// (empty when not given), `stored` the `language=` of launcher.ini. Returns the tag in use.
std::string ApplyLanguageChoice(std::string_view oneRun, std::string_view stored);
