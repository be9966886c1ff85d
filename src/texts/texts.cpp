#include "texts/texts.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

#include "texts/player_formats.h"

LanguageState g_language;

namespace {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::wstring Unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            if (raw[i + 1] == 'n') { out += '\n'; ++i; continue; }
            if (raw[i + 1] == '\\') { out += '\\'; ++i; continue; }
        }
        out += raw[i];
    }
    return Wide(out);
}

const std::wstring* Find(const TextTable& table, std::string_view key) {
    const auto it = table.find(std::string(key));
    return it == table.end() ? nullptr : &it->second;
}

// Letters Barlow draws in accented form; others pass unchanged.
wchar_t Accented(wchar_t c) {
    static constexpr wchar_t kPlain[] = L"aceinousyzACEINOUSYZ";
    static constexpr wchar_t kMarked[] = L"\u00e1\u00e7\u00e9\u00ee\u00f1\u00f6\u00fc\u0161\u00fd\u017e"
                                         L"\u00c1\u00c7\u00c9\u00ce\u00d1\u00d6\u00dc\u0160\u00dd\u017d";
    for (size_t i = 0; kPlain[i]; ++i)
        if (kPlain[i] == c) return kMarked[i];
    return c;
}

bool IsVowel(wchar_t c) { return std::wcschr(L"aeiouAEIOU", c) != nullptr; }

}  // namespace

TextTable ParseTextTable(std::string_view utf8, int* skippedLines) {
    TextTable table;
    int skipped = 0;
    if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    while (!utf8.empty()) {
        const size_t end = utf8.find('\n');
        const std::string_view line = Trim(utf8.substr(0, end));
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        const size_t equals = line.find(" = ");
        if (equals == std::string_view::npos) {
            // "key =" with nothing after it is an empty text, not a broken line.
            if (line.size() > 2 && line.substr(line.size() - 2) == " =") {
                table[std::string(Trim(line.substr(0, line.size() - 2)))] = L"";
            } else {
                ++skipped;
            }
            continue;
        }
        table[std::string(Trim(line.substr(0, equals)))] = Unescape(Trim(line.substr(equals + 3)));
    }
    if (skippedLines) *skippedLines = skipped;
    return table;
}

const char* PluralCategory(std::string_view tag, long long n) {
    const long long a = n < 0 ? -n : n;
    const long long mod10 = a % 10, mod100 = a % 100;
    const std::string_view language = tag.substr(0, tag.find('-'));
    if (language == "pl") {
        if (a == 1) return "one";
        if (mod10 >= 2 && mod10 <= 4 && !(mod100 >= 12 && mod100 <= 14)) return "few";
        return "many";
    }
    if (language == "ru") {
        if (mod10 == 1 && mod100 != 11) return "one";
        if (mod10 >= 2 && mod10 <= 4 && !(mod100 >= 12 && mod100 <= 14)) return "few";
        return "many";
    }
    // French and Portuguese count zero with one ("0 partie", "0 jogo").
    if (language == "fr" || language == "pt") return a <= 1 ? "one" : "other";
    return a == 1 ? "one" : "other";
}

std::wstring PseudoLocalize(std::wstring_view english) {
    size_t letters = 0;
    for (wchar_t c : english) letters += std::iswalpha(c) ? 1 : 0;
    size_t padding = (letters * 2 + 4) / 5;  // about 40 % more letters
    std::wstring out = L"[";
    for (size_t i = 0; i < english.size(); ++i) {
        const wchar_t c = english[i];
        if (c == L'{') {
            const size_t close = english.find(L'}', i);
            if (close != std::wstring_view::npos) {
                out.append(english.substr(i, close - i + 1));
                i = close;
                continue;
            }
        }
        if (c == L'&' && i + 1 < english.size()) {
            // The access key's letter stays as it is, so the key the player presses stays the same.
            out += c;
            out += english[++i];
            continue;
        }
        out += Accented(c);
        if (padding > 0 && IsVowel(c)) {
            out += Accented(c);
            --padding;
        }
    }
    // Texts with few vowels make up the rest at the end.
    out.append(padding, L'~');
    out += L']';
    return out;
}

const EmbeddedTextTable* FindEmbeddedTextTable(std::string_view tag) {
    for (size_t i = 0; i < kEmbeddedTextTableCount; ++i)
        if (tag == kEmbeddedTextTables[i].tag) return &kEmbeddedTextTables[i];
    return nullptr;
}

std::string SetTextLanguage(std::string_view tag) {
    if (g_language.english.empty()) {
        const EmbeddedTextTable* english = FindEmbeddedTextTable("en");
        if (english) g_language.english = ParseTextTable({english->text, english->size});
    }
    g_language.chosen.clear();
    if (tag == "qps-ploc") {
        for (const auto& [key, text] : g_language.english) g_language.chosen[key] = PseudoLocalize(text);
        g_language.tag = "qps-ploc";
        return g_language.tag;
    }
    const EmbeddedTextTable* table = tag == "en" ? nullptr : FindEmbeddedTextTable(tag);
    if (table) g_language.chosen = ParseTextTable({table->text, table->size});
    g_language.tag = table ? std::string(tag) : "en";
    return g_language.tag;
}

std::wstring Text(std::string_view key) {
    if (g_language.english.empty()) SetTextLanguage(g_language.tag);
    if (const std::wstring* text = Find(g_language.chosen, key)) return *text;
    if (const std::wstring* text = Find(g_language.english, key)) return *text;
    return Wide(key);
}

std::wstring EnglishText(std::string_view key) {
    if (g_language.english.empty()) SetTextLanguage(g_language.tag);
    if (const std::wstring* text = Find(g_language.english, key)) return *text;
    return Wide(key);
}

std::wstring FillPlaceholders(std::wstring_view text, std::initializer_list<TextArg> args) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'{') {
            const size_t close = text.find(L'}', i);
            if (close != std::wstring_view::npos) {
                const std::wstring_view name = text.substr(i + 1, close - i - 1);
                const TextArg* match = nullptr;
                for (const TextArg& arg : args) {
                    if (name.size() == arg.name.size() &&
                        std::equal(name.begin(), name.end(), arg.name.begin(),
                                   [](wchar_t w, char c) { return w == static_cast<unsigned char>(c); })) {
                        match = &arg;
                        break;
                    }
                }
                if (match) {
                    out.append(match->value);
                    i = close;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

std::wstring FormatText(std::string_view key, std::initializer_list<TextArg> args) {
    return FillPlaceholders(Text(key), args);
}

std::wstring PluralText(std::string_view key, long long n, std::initializer_list<TextArg> args) {
    if (g_language.english.empty()) SetTextLanguage(g_language.tag);
    const std::string base(key);
    const std::wstring* text = Find(g_language.chosen, base + "[" + PluralCategory(g_language.tag, n) + "]");
    if (!text) text = Find(g_language.english, base + "[" + PluralCategory("en", n) + "]");
    if (!text) text = Find(g_language.english, base + "[other]");
    const std::wstring pattern = text ? *text : Wide(key);
    const std::wstring count = LanguageNumberText(n);  // "1.234" in German
    std::wstring filled = FillPlaceholders(pattern, args);
    return FillPlaceholders(filled, {{"count", count}});
}
