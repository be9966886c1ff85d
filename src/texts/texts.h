#pragma once
// The player's texts: one table per language, English as the source and the fallback. Each text
// is found by a dotted key that says what it is ("home.play.install"); texts with values carry
// named placeholders ("{path}") and plural forms are separate keys ("key[one]", "key[other]").
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

using TextTable = std::unordered_map<std::string, std::wstring>;

// A table's text in UTF-8: "key = text" lines, "#" comments, "\n" a line break, "\\" a backslash.
// Lines without " = " are skipped; the count of such lines is given back for the checks.
TextTable ParseTextTable(std::string_view utf8, int* skippedLines = nullptr);

// The CLDR plural category of a whole number in a language: "one", "few", "many" or "other".
const char* PluralCategory(std::string_view languageTag, long long n);

// The pseudo-language: "[" + the text with its letters accented and lengthened by about 40 % +
// "]", placeholders, access keys and line breaks kept.
std::wstring PseudoLocalize(std::wstring_view english);

// The tables compiled into the program, by language tag (UTF-8 text, not yet parsed).
struct EmbeddedTextTable {
    const char* tag;
    const char* text;
    std::size_t size;
};
extern const EmbeddedTextTable kEmbeddedTextTables[];
extern const std::size_t kEmbeddedTextTableCount;
// The compiled table of a tag ("de"), or null when the program has none.
const EmbeddedTextTable* FindEmbeddedTextTable(std::string_view tag);

// The process-wide language: its tag and the two tables parsed at start-up (or at a change).
struct LanguageState {
    std::string tag = "en";
    TextTable english;
    TextTable chosen;  // empty for English
};
extern LanguageState g_language;

// Makes `tag` the current language ("en", "de", "qps-ploc", ...); an unknown tag gives English.
// Returns the tag in use.
std::string SetTextLanguage(std::string_view tag);

// The current language's text of `key`; English when the language has none, the key itself when
// English has none either, so a missing text shows.
std::wstring Text(std::string_view key);

// English's text of `key` whatever the language: for what a helper reads (the problem report).
std::wstring EnglishText(std::string_view key);

struct TextArg {
    std::string_view name;
    std::wstring_view value;
};
// Text(key) with each "{name}" replaced by its value; unknown placeholders stay as they are.
std::wstring FormatText(std::string_view key, std::initializer_list<TextArg> args = {});
// The form of `key` for the count n in the current language ("key[few]"), formatted with args;
// "{count}" is n unless args give it.
std::wstring PluralText(std::string_view key, long long n, std::initializer_list<TextArg> args = {});

// Fills "{name}" placeholders of a text (the pure part of FormatText).
std::wstring FillPlaceholders(std::wstring_view text, std::initializer_list<TextArg> args);
