#include "ui/covering_font.h"

#include <cwchar>
#include <iterator>
#include <vector>

#include "ui/glyph_gaps.h"

namespace {
// Windows' own interface faces, in the order tried: Segoe UI has the arrows and most symbols
// an interface text uses; Segoe UI Symbol has the rest.
constexpr const wchar_t* kCoveringFaces[] = {L"Segoe UI", L"Segoe UI Symbol"};

// The characters of `text` that `font` has no glyph for; all of them when that cannot be asked.
std::wstring CharactersFontLacks(HFONT font, const std::wstring& text) {
    if (text.empty()) return {};
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc || !font) return text;  // nothing can be shown to be drawn
    ScopedSelectObject selected(dc.get(), font);
    std::vector<WORD> glyphs(text.size(), kMissingGlyph);
    if (GetGlyphIndicesW(dc.get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        return text;
    }
    return CharactersWithoutGlyph(text, glyphs);
}
}  // namespace

ScopedFont CreateCoveringFont(HFONT font, const std::wstring& text, const wchar_t* firstFace) {
    if (CharactersFontLacks(font, text).empty()) return ScopedFont();
    LOGFONTW face = {};
    if (GetObjectW(font, sizeof(face), &face) != sizeof(face)) return ScopedFont();
    std::vector<const wchar_t*> names;
    if (firstFace) names.push_back(firstFace);
    names.insert(names.end(), std::begin(kCoveringFaces), std::end(kCoveringFaces));
    for (const wchar_t* name : names) {
        wcsncpy_s(face.lfFaceName, LF_FACESIZE, name, _TRUNCATE);
        ScopedFont candidate(CreateFontIndirectW(&face));
        // Whatever face the font mapper gave for the name is what would draw: that one is checked.
        if (candidate && CharactersFontLacks(candidate.get(), text).empty()) return candidate;
    }
    return ScopedFont();
}

ScopedFont CoverControlText(HWND control, HFONT font) {
    if (!control) return ScopedFont();
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    ScopedFont covering = CreateCoveringFont(font, text);
    if (covering) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(covering.get()), TRUE);
    return covering;
}

ScopedFont CoverComboItems(HWND combo, HFONT font, const wchar_t* firstFace) {
    if (!combo) return ScopedFont();
    std::wstring all;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
        if (length <= 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        all += text;
    }
    ScopedFont covering = CreateCoveringFont(font, all, firstFace);
    if (covering) SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(covering.get()), TRUE);
    return covering;
}
