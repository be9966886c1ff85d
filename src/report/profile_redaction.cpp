#include "report/profile_redaction.h"

#include "app/output_lines.h"

namespace {
constexpr wchar_t kPlaceholder[] = L"%USERPROFILE%";

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
}  // namespace

ProfilePathRedactor::ProfilePathRedactor(const std::wstring& profilePath) {
    std::wstring path = profilePath;
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return;
    std::wstring forward = path;
    for (wchar_t& c : forward) {
        if (c == L'\\') c = L'/';
    }
    for (const std::wstring& form : {path, forward}) {
        needles_.push_back({WideToUtf8(form), WideToUtf8(kPlaceholder)});
        needles_.push_back({Utf16Le(form), Utf16Le(kPlaceholder)});
    }
    for (const Needle& needle : needles_) {
        if (needle.bytes.empty()) continue;
        const unsigned char first = static_cast<unsigned char>(needle.bytes[0]);
        mayStart_[first] = true;
        mayStart_[Folded(first)] = true;
        if (first >= 'a' && first <= 'z') mayStart_[first - 32] = true;
        if (needle.bytes.size() > longest_) longest_ = needle.bytes.size();
    }
}

void ProfilePathRedactor::Scan(const std::string& text, bool final, std::string& out) {
    const size_t size = text.size();
    // Without the whole of the longest path ahead, a position cannot be decided yet.
    const size_t decidable = final ? size : (size >= longest_ ? size - longest_ + 1 : 0);
    size_t i = 0;
    size_t copiedUpTo = 0;
    while (i < decidable) {
        if (!mayStart_[static_cast<unsigned char>(text[i])]) {
            ++i;
            continue;
        }
        const Needle* found = nullptr;
        for (const Needle& needle : needles_) {
            if (!needle.bytes.empty() && MatchesAt(text, i, needle.bytes)) {
                found = &needle;
                break;
            }
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

std::string RedactProfilePath(const std::wstring& profilePath, const std::string& text) {
    ProfilePathRedactor redactor(profilePath);
    std::string out;
    redactor.Feed(text.data(), text.size(), out);
    redactor.Finish(out);
    return out;
}
