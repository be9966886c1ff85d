#include "report/dump_privacy.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr size_t kShortestMaskedPath = 8;

std::wstring Cased(const std::wstring& text, bool upper) {
    std::wstring out = text;
    if (!out.empty()) {
        if (upper) {
            CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
        } else {
            CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
        }
    }
    return out;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

void Add(DumpMaskForms& out, const std::string& lower, const std::string& upper, bool wide) {
    if (out.count == kDumpMaskForms || lower.size() != upper.size() || lower.empty() ||
        lower.size() > kDumpMaskFormBytes) {
        return;
    }
    DumpMaskForm& form = out.forms[out.count++];
    std::memcpy(form.lower, lower.data(), lower.size());
    std::memcpy(form.upper, upper.data(), upper.size());
    form.size = lower.size();
    form.wide = wide;
}

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

void AddPath(DumpMaskForms& out, const std::wstring& path) {
    if (path.size() < kShortestMaskedPath) return;
    for (const wchar_t slash : {L'\\', L'/'}) {
        std::wstring text = path;
        for (wchar_t& c : text) {
            if (c == L'\\' || c == L'/') c = slash;
        }
        const std::wstring lower = Cased(text, false), upper = Cased(text, true);
        Add(out, Utf16Bytes(lower), Utf16Bytes(upper), true);
        const std::string lower8 = Utf8(lower), upper8 = Utf8(upper);
        if (lower8.size() == upper8.size()) {
            Add(out, lower8, upper8, false);
        } else {
            // A letter whose cases differ in length in UTF-8: the three spellings each exactly.
            for (const std::string& form : {Utf8(text), lower8, upper8}) Add(out, form, form, false);
        }
    }
}

bool MatchesAt(const DumpMaskForm& form, const unsigned char* at) {
    for (size_t i = 0; i < form.size; ++i) {
        if (at[i] != form.lower[i] && at[i] != form.upper[i]) return false;
    }
    return true;
}
}  // namespace

void PrepareDumpMaskForms(const std::wstring& profilePath, const std::wstring& profileShortPath, DumpMaskForms& out) {
    out.count = 0;
    AddPath(out, profilePath);
    AddPath(out, profileShortPath);
}

size_t MaskDumpBytes(const DumpMaskForms& forms, unsigned char* bytes, size_t size) {
    size_t masked = 0;
    for (size_t f = 0; f < forms.count; ++f) {
        const DumpMaskForm& form = forms.forms[f];
        if (form.size > size) continue;
        for (size_t at = 0; at + form.size <= size; ++at) {
            if ((bytes[at] != form.lower[0] && bytes[at] != form.upper[0]) || !MatchesAt(form, bytes + at)) continue;
            if (form.wide) {
                for (size_t i = 0; i < form.size; i += 2) {
                    bytes[at + i] = '*';
                    bytes[at + i + 1] = 0;
                }
            } else {
                std::memset(bytes + at, '*', form.size);
            }
            ++masked;
            at += form.size - 1;
        }
    }
    return masked;
}

bool MaskDumpFile(const DumpMaskForms& forms, const wchar_t* path) {
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool done = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart == 0) {
        done = true;
    } else if (size.QuadPart > 0) {
        const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
        if (mapping) {
            if (void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) {
                MaskDumpBytes(forms, static_cast<unsigned char*>(view), static_cast<size_t>(size.QuadPart));
                done = FlushViewOfFile(view, 0) != FALSE;
                UnmapViewOfFile(view);
            }
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    return done;
}
