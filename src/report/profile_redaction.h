#pragma once
// Keeps the player's name out of a problem report: every occurrence of the profile folder's path
// in a stream of bytes, as UTF-8 or as UTF-16LE text, with either kind of slash and in any ASCII
// case (Windows paths are case-blind), is written as "%USERPROFILE%" in the same encoding.
// The bytes arrive in pieces; a path that straddles two pieces is still found.
#include <cstddef>
#include <string>
#include <vector>

class ProfilePathRedactor {
public:
    // An empty path redacts nothing.
    explicit ProfilePathRedactor(const std::wstring& profilePath);
    // Appends the redacted bytes that are certain so far to `out`; a tail that could be the start
    // of a path is held back until the next piece or Finish.
    void Feed(const char* data, size_t size, std::string& out);
    void Finish(std::string& out);

private:
    struct Needle {
        std::string bytes;
        std::string replacement;
    };
    void Scan(const std::string& text, bool final, std::string& out);

    std::vector<Needle> needles_;
    size_t longest_ = 0;
    bool mayStart_[256] = {};
    std::string carry_;
};

// The whole text at once, for report.txt.
std::string RedactProfilePath(const std::wstring& profilePath, const std::string& text);
