#pragma once
// Keeps the player's identity out of a problem report. In a stream of bytes, as UTF-8 or as
// UTF-16LE text, the profile folder's path (long or 8.3 short form; with either kind of slash or
// with doubled backslashes, as Python and JSON escape them; in any letter case, Windows paths being
// case-blind) is written as "%USERPROFILE%", but only where the path ends there: the next
// character cannot belong to a file name (a separator, a quote, a control character) or the text
// ends. The computer's name and the user's name are written as "%COMPUTERNAME%" and "%USERNAME%"
// wherever they appear. The bytes arrive in pieces; a term that straddles two pieces is found.
#include <cstddef>
#include <string>
#include <vector>

// What to hide; an empty member hides nothing.
struct RedactionTerms {
    std::wstring profilePath;
    std::wstring profileShortPath;  // GetShortPathNameW of the profile path
    std::wstring computerName;
    std::wstring userName;  // left out when it is the profile path's last part (the path hides it)
};

class ProfilePathRedactor {
public:
    explicit ProfilePathRedactor(const RedactionTerms& terms);
    explicit ProfilePathRedactor(const std::wstring& profilePath) : ProfilePathRedactor(RedactionTerms{profilePath, {}, {}, {}}) {}
    // Appends the redacted bytes that are certain so far to `out`; a tail that could be the start
    // of a term is held back until the next piece or Finish.
    void Feed(const char* data, size_t size, std::string& out);
    void Finish(std::string& out);

private:
    struct Needle {
        std::string bytes;
        std::string replacement;
        size_t unit = 1;          // 1 for UTF-8, 2 for UTF-16LE
        bool pathEnd = false;     // must be followed by a character that ends a path
    };
    void Add(const std::wstring& text, const std::wstring& replacement, bool pathEnd);
    void Scan(const std::string& text, bool final, std::string& out);

    std::vector<Needle> needles_;
    size_t lookahead_ = 0;
    bool mayStart_[256] = {};
    std::string carry_;
};

// The whole text at once, for report.txt.
std::string RedactProfilePath(const RedactionTerms& terms, const std::string& text);
inline std::string RedactProfilePath(const std::wstring& profilePath, const std::string& text) {
    return RedactProfilePath(RedactionTerms{profilePath, {}, {}, {}}, text);
}
