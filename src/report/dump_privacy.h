#pragma once
// Keeps the profile folder's path out of a crash dump. A dump holds the modules' full paths, the
// data segments (where our own path buffers live) and the stacks, as UTF-16 and as UTF-8. Every
// form of the profile path in the finished file is overwritten in place with '*', character for
// character: no length, offset or stream moves, so the dump still opens.
//
// The forms are made ready at start-up in fixed storage; masking runs inside a crash and
// allocates nothing.
#include <cstddef>
#include <string>

inline constexpr size_t kDumpMaskForms = 16;
inline constexpr size_t kDumpMaskFormBytes = 2048;

// One byte pattern with a lower- and an upper-case byte at each place: a byte matches either.
struct DumpMaskForm {
    unsigned char lower[kDumpMaskFormBytes];
    unsigned char upper[kDumpMaskFormBytes];
    size_t size = 0;
    bool wide = false;  // UTF-16LE: masked two bytes a character
};

struct DumpMaskForms {
    DumpMaskForm forms[kDumpMaskForms];
    size_t count = 0;
};

// Fills `out` with the forms of each path (long and short form; with "\" and with "/"; UTF-16LE
// and UTF-8; any letter case). A path shorter than 8 characters is left out: so short a pattern
// could stand in a dump's own numbers by chance.
void PrepareDumpMaskForms(const std::wstring& profilePath, const std::wstring& profileShortPath, DumpMaskForms& out);

// Overwrites every match in `bytes` with '*' (one byte, or one UTF-16 unit, a character).
// Returns how many matches it masked.
size_t MaskDumpBytes(const DumpMaskForms& forms, unsigned char* bytes, size_t size);

// Masks the file at `path` in place through a file mapping. False when it could not be mapped.
bool MaskDumpFile(const DumpMaskForms& forms, const wchar_t* path);
