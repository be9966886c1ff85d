#pragma once
// Which faces draw the current language: Barlow for the Latin languages, Fira Sans Condensed for
// Russian (Barlow has no Cyrillic). Every painted text, window font and font file list asks here,
// so a language's face is decided in one place.
#include <string_view>

struct LanguageFaces {
    const wchar_t* regular;    // labels and the windows' controls
    const wchar_t* condensed;  // titles and bold labels (bold and bold italic)
};

LanguageFaces FacesForLanguage(std::string_view tag);
// The faces of the language in use now (g_language).
LanguageFaces CurrentLanguageFaces();
// The family standard controls select by name: the current language's regular face.
const wchar_t* WindowFaceName();

// The package's font files in assets/launcher: Barlow's three, then Fira Sans Condensed's three.
struct PackageFontFile {
    const wchar_t* name;
    bool forGdi;  // also registered with GDI, for controls that select the family by name
};
inline constexpr PackageFontFile kPackageFontFiles[] = {
    {L"BarlowCondensed-Bold.ttf", true},
    {L"BarlowCondensed-BoldItalic.ttf", false},
    {L"Barlow-Regular.ttf", true},
    {L"FiraSansCondensed-Regular.ttf", true},
    {L"FiraSansCondensed-Bold.ttf", true},
    {L"FiraSansCondensed-BoldItalic.ttf", false},
};
