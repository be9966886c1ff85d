#pragma once
// Dates and numbers in the form of the Launcher's language: each language formats with the locale
// Windows has for it, so a German Launcher writes "1.234" and "30. Nov 2026" whatever Windows'
// own format is. English keeps the user's own locale for dates and plain digits, as before.
#include <windows.h>

#include <string>
#include <string_view>

// The locale of a language tag ("de" -> "de-DE"); empty for English, the pseudo-language and any
// tag without one: those use the user's default locale.
std::wstring LocaleForLanguage(std::string_view tag);

// Day, short month name and year in the language's form ("30 Nov 2026", "30. Nov 2026").
std::wstring DateTextIn(std::string_view tag, const SYSTEMTIME& date);
// A whole number with the language's digit grouping ("1.234.567"); plain digits in English.
std::wstring NumberTextIn(std::string_view tag, long long n);

// The same in the current language (g_language).
std::wstring LanguageDateText(const SYSTEMTIME& date);
std::wstring LanguageNumberText(long long n);
