#include "ui/glyph_gaps.h"

std::wstring CharactersWithoutGlyph(const std::wstring& text, const std::vector<WORD>& glyphs) {
    std::wstring missing;
    const size_t count = text.size() < glyphs.size() ? text.size() : glyphs.size();
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n' || c == L'\t') continue;
        if (glyphs[i] == kMissingGlyph && missing.find(c) == std::wstring::npos) missing.push_back(c);
    }
    return missing;
}
