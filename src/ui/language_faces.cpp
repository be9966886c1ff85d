#include "ui/language_faces.h"

#include "texts/texts.h"

namespace {
constexpr LanguageFaces kBarlow = {L"Barlow", L"Barlow Condensed"};
// One family holds Regular, Bold and Bold Italic, so titles and labels share it.
constexpr LanguageFaces kFiraSansCondensed = {L"Fira Sans Condensed", L"Fira Sans Condensed"};
}  // namespace

LanguageFaces FacesForLanguage(std::string_view tag) {
    const std::string_view language = tag.substr(0, tag.find_first_of("-_"));
    if (language == "ru" || language == "RU") return kFiraSansCondensed;
    return kBarlow;
}

LanguageFaces CurrentLanguageFaces() { return FacesForLanguage(g_language.tag); }

const wchar_t* WindowFaceName() { return CurrentLanguageFaces().regular; }
