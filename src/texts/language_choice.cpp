#include "texts/language_choice.h"

#include <windows.h>

#include "texts/texts.h"

namespace {
bool SameTag(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == '_' ? '-' : a[i], y = b[i] == '_' ? '-' : b[i];
        if ((x | 0x20) != (y | 0x20)) return false;
    }
    return true;
}

std::string_view WithoutRegion(std::string_view tag) { return tag.substr(0, tag.find_first_of("-_")); }
}  // namespace

std::string ChooseLanguage(const std::vector<std::string>& preferred, std::string_view chosen,
                           const std::vector<std::string>& available) {
    for (const std::string& tag : available)
        if (SameTag(tag, chosen)) return tag;
    for (const std::string& wanted : preferred) {
        for (const std::string& tag : available)
            if (SameTag(tag, wanted)) return tag;
        for (const std::string& tag : available)
            if (SameTag(WithoutRegion(tag), WithoutRegion(wanted))) return tag;
    }
    return "en";
}

std::vector<std::string> AvailableLanguages(bool withPseudo) {
    std::vector<std::string> tags = {"en"};
    for (size_t i = 0; i < kEmbeddedTextTableCount; ++i) {
        const std::string_view tag = kEmbeddedTextTables[i].tag;
        if (tag != "en") tags.emplace_back(tag);
    }
    if (withPseudo) tags.emplace_back("qps-ploc");
    return tags;
}

std::vector<std::string> PreferredDisplayLanguages() {
    auto narrow = [](const wchar_t* name) {
        std::string tag;
        for (const wchar_t* c = name; *c; ++c) tag += *c < 0x80 ? static_cast<char>(*c) : '?';
        return tag;
    };
    // A buffer of a few names first: some implementations refuse the size query.
    ULONG count = 0, size = 256;
    std::wstring buffer(size, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        size = 0;
        GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size);
        buffer.assign(size + 1, L'\0');
        if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size)) buffer.assign(1, L'\0');
    }
    std::vector<std::string> tags;
    for (const wchar_t* name = buffer.c_str(); *name; name += wcslen(name) + 1) tags.push_back(narrow(name));
    if (tags.empty()) {
        // The display language alone, where the list is not to be had.
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) > 0)
            tags.push_back(narrow(name));
    }
    return tags;
}

std::string ApplyLanguageChoice(std::string_view oneRun, std::string_view stored) {
    const std::vector<std::string> preferred = PreferredDisplayLanguages();
    const std::string tag = oneRun.empty() ? ChooseLanguage(preferred, stored, AvailableLanguages())
                                           : ChooseLanguage(preferred, oneRun, AvailableLanguages(true));
    return SetTextLanguage(tag);
}
