#include "texts/player_formats.h"

#include <cwchar>

#include "texts/texts.h"

namespace {
struct LanguageFormat {
    const char* tag;
    const wchar_t* locale;
    const wchar_t* datePicture;  // GetDateFormatEx's picture: the language's usual order
};
// English first: the user's default locale, with the picture the cards always had.
constexpr LanguageFormat kFormats[] = {
    {"en", nullptr, L"d MMM yyyy"},
    {"de", L"de-DE", L"d. MMM yyyy"},
    {"fr", L"fr-FR", L"d MMM yyyy"},
    {"es", L"es-ES", L"d MMM yyyy"},
    {"pt-BR", L"pt-BR", L"d 'de' MMM 'de' yyyy"},
    {"it", L"it-IT", L"d MMM yyyy"},
    {"pl", L"pl-PL", L"d MMM yyyy"},
    {"ru", L"ru-RU", L"d MMM yyyy"},
};

const LanguageFormat& FormatOf(std::string_view tag) {
    for (const LanguageFormat& format : kFormats) {
        if (tag == format.tag) return format;
    }
    return kFormats[0];
}

const wchar_t* LocaleArgument(const LanguageFormat& format) {
    return format.locale ? format.locale : LOCALE_NAME_USER_DEFAULT;
}

std::wstring LocaleText(const wchar_t* locale, LCTYPE type) {
    wchar_t buffer[16] = {};
    return GetLocaleInfoEx(locale, type, buffer, 16) > 0 ? buffer : L"";
}
}  // namespace

std::wstring LocaleForLanguage(std::string_view tag) {
    const LanguageFormat& format = FormatOf(tag);
    return format.locale ? format.locale : L"";
}

std::wstring DateTextIn(std::string_view tag, const SYSTEMTIME& date) {
    const LanguageFormat& format = FormatOf(tag);
    wchar_t buffer[80] = {};
    if (GetDateFormatEx(LocaleArgument(format), 0, &date, format.datePicture, buffer, 80, nullptr) > 0) return buffer;
    std::swprintf(buffer, 80, L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
    return buffer;
}

std::wstring NumberTextIn(std::string_view tag, long long n) {
    const std::wstring digits = std::to_wstring(n);
    const LanguageFormat& format = FormatOf(tag);
    if (!format.locale) return digits;  // English as it always was
    // The locale's own separators and grouping, without the decimals it would add.
    std::wstring thousand = LocaleText(format.locale, LOCALE_STHOUSAND);
    std::wstring decimal = LocaleText(format.locale, LOCALE_SDECIMAL);
    const std::wstring grouping = LocaleText(format.locale, LOCALE_SGROUPING);  // "3;0"
    DWORD negative = 1;
    GetLocaleInfoEx(format.locale, LOCALE_INEGNUMBER | LOCALE_RETURN_NUMBER, reinterpret_cast<wchar_t*>(&negative),
                    sizeof(negative) / sizeof(wchar_t));
    NUMBERFMTW number = {};
    number.NumDigits = 0;
    number.LeadingZero = 1;
    number.Grouping = grouping.empty() ? 3 : static_cast<UINT>(std::wcstoul(grouping.c_str(), nullptr, 10));
    number.lpDecimalSep = decimal.data();
    number.lpThousandSep = thousand.data();
    number.NegativeOrder = negative;
    wchar_t buffer[64] = {};
    if (GetNumberFormatEx(format.locale, 0, digits.c_str(), &number, buffer, 64) > 0) return buffer;
    return digits;
}

std::wstring LanguageDateText(const SYSTEMTIME& date) { return DateTextIn(g_language.tag, date); }
std::wstring LanguageNumberText(long long n) { return NumberTextIn(g_language.tag, n); }
