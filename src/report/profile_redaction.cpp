#include "report/profile_redaction.h"

#include <windows.h>

#include <algorithm>

#include "app/output_lines.h"

namespace {
std::string Utf16Le(const std::wstring& text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

unsigned char Folded(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool MatchesAt(const std::string& text, size_t at, const std::string& needle) {
    if (text.size() - at < needle.size()) return false;
    for (size_t k = 0; k < needle.size(); ++k) {
        if (Folded(static_cast<unsigned char>(text[at + k])) != Folded(static_cast<unsigned char>(needle[k]))) {
            return false;
        }
    }
    return true;
}

// A character that no file name holds, so a path cannot go on past it.
bool EndsPath(unsigned code) {
    if (code < 0x20) return true;
    switch (code) {
        case '\\': case '/': case '"': case '\'': case ':': case '*': case '?': case '<': case '>': case '|':
            return true;
        default:
            return false;
    }
}

std::wstring Trimmed(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring Replaced(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Unicode's case, not only ASCII's: the C library's towupper knows no more than the "C" locale.
std::wstring Cased(const std::wstring& text, bool upper) {
    if (text.empty()) return text;
    const DWORD flags = upper ? LCMAP_UPPERCASE : LCMAP_LOWERCASE;
    const int size = static_cast<int>(text.size());
    const int needed = LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.c_str(), size, nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) return text;
    std::wstring result(static_cast<size_t>(needed), L'\0');
    LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.c_str(), size, result.data(), needed, nullptr, nullptr, 0);
    return result;
}
}  // namespace

void ProfilePathRedactor::Add(const std::wstring& text, const std::wstring& replacement, bool pathEnd) {
    if (text.empty()) return;
    // ASCII letters match in any case below; whole-lower and whole-upper forms cover the others.
    for (const std::wstring& form : {text, Cased(text, false), Cased(text, true)}) {
        needles_.push_back({WideToUtf8(form), WideToUtf8(replacement), 1, pathEnd});
        needles_.push_back({Utf16Le(form), Utf16Le(replacement), 2, pathEnd});
    }
}

ProfilePathRedactor::ProfilePathRedactor(const RedactionTerms& terms) {
    for (const std::wstring& raw : {terms.profilePath, terms.profileShortPath}) {
        const std::wstring path = Trimmed(raw);
        if (path.empty()) continue;
        Add(path, L"%USERPROFILE%", true);
        Add(Replaced(path, L"\\", L"/"), L"%USERPROFILE%", true);
        Add(Replaced(path, L"\\", L"\\\\"), L"%USERPROFILE%", true);
    }
    const std::wstring profile = Trimmed(terms.profilePath);
    const std::wstring lastPart = profile.substr(profile.find_last_of(L"\\/") == std::wstring::npos
                                                     ? 0 : profile.find_last_of(L"\\/") + 1);
    if (!terms.userName.empty() && Cased(terms.userName, false) != Cased(lastPart, false)) {
        Add(terms.userName, L"%USERNAME%", false);
    }
    Add(terms.computerName, L"%COMPUTERNAME%", false);
    // The longest term first, so that a path is hidden whole before a name inside it.
    std::stable_sort(needles_.begin(), needles_.end(),
                     [](const Needle& a, const Needle& b) { return a.bytes.size() > b.bytes.size(); });
    for (const Needle& needle : needles_) {
        const unsigned char first = static_cast<unsigned char>(needle.bytes[0]);
        mayStart_[first] = true;
        mayStart_[Folded(first)] = true;
        if (first >= 'a' && first <= 'z') mayStart_[first - 32] = true;
        // A path's end is judged by the unit after it.
        lookahead_ = std::max(lookahead_, needle.bytes.size() + (needle.pathEnd ? needle.unit : 0));
    }
}

void ProfilePathRedactor::Scan(const std::string& text, bool final, std::string& out) {
    const size_t size = text.size();
    // Without the longest term and the unit after it ahead, a position cannot be decided yet.
    const size_t decidable = final ? size : (size >= lookahead_ ? size - lookahead_ + 1 : 0);
    size_t i = 0;
    size_t copiedUpTo = 0;
    while (i < decidable) {
        if (!mayStart_[static_cast<unsigned char>(text[i])]) {
            ++i;
            continue;
        }
        const Needle* found = nullptr;
        for (const Needle& needle : needles_) {
            if (!MatchesAt(text, i, needle.bytes)) continue;
            if (needle.pathEnd) {
                const size_t after = i + needle.bytes.size();
                if (after + needle.unit <= size) {
                    const unsigned code = needle.unit == 1
                        ? static_cast<unsigned char>(text[after])
                        : static_cast<unsigned char>(text[after]) | (static_cast<unsigned char>(text[after + 1]) << 8);
                    if (!EndsPath(code)) continue;
                } else if (after != size) {
                    continue;  // half a UTF-16 unit follows: not this path's end
                }
            }
            found = &needle;
            break;
        }
        if (!found) {
            ++i;
            continue;
        }
        out.append(text, copiedUpTo, i - copiedUpTo);
        out += found->replacement;
        i += found->bytes.size();
        copiedUpTo = i;
    }
    const size_t settled = i > decidable ? i : decidable;
    out.append(text, copiedUpTo, settled - copiedUpTo);
    carry_.assign(text, settled, std::string::npos);
}

void ProfilePathRedactor::Feed(const char* data, size_t size, std::string& out) {
    if (needles_.empty()) {
        out.append(data, size);
        return;
    }
    std::string text;
    text.reserve(carry_.size() + size);
    text += carry_;
    text.append(data, size);
    Scan(text, false, out);
}

void ProfilePathRedactor::Finish(std::string& out) {
    const std::string rest = std::move(carry_);
    carry_.clear();
    Scan(rest, true, out);
}

std::string RedactProfilePath(const RedactionTerms& terms, const std::string& text) {
    ProfilePathRedactor redactor(terms);
    std::string out;
    redactor.Feed(text.data(), text.size(), out);
    redactor.Finish(out);
    return out;
}
