#pragma once
// Which characters of a text a font would draw as empty boxes, from the glyph indices the font
// gave for them.
#include <windows.h>

#include <string>
#include <vector>

// GetGlyphIndicesW with GGI_MARK_NONEXISTING_GLYPHS writes this for a character the font lacks.
inline constexpr WORD kMissingGlyph = 0xFFFF;

// The characters whose glyph is missing, each once, in the order they first appear. Line breaks
// and tabs are laid out rather than drawn and never count; neither does a character past the end
// of the indices given.
std::wstring CharactersWithoutGlyph(const std::wstring& text, const std::vector<WORD>& glyphs);
