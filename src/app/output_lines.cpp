#include "app/output_lines.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

void TakeCompleteLines(std::string& pending, const char* data, size_t size, bool stripCarriageReturn,
                       std::vector<std::string>& lines) {
    pending.append(data, size);
    // One pass, one erase: a chunk of many short lines must not shift the buffer once per line.
    size_t start = 0;
    for (;;) {
        const void* found = std::memchr(pending.data() + start, '\n', pending.size() - start);
        if (!found) break;
        const size_t end = static_cast<size_t>(static_cast<const char*>(found) - pending.data());
        size_t length = end - start;
        if (stripCarriageReturn && length > 0 && pending[end - 1] == '\r') --length;
        lines.emplace_back(pending, start, length);
        start = end + 1;
    }
    pending.erase(0, start);
}

namespace {
std::wstring Decode(UINT codePage, DWORD flags, const std::string& bytes) {
    const int length = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring result(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), length, result.data(), wide);
    return result;
}
}  // namespace

UINT ConsoleCodePage() {
    // GetOEMCP is no use here: a program that runs with UTF-8 as its code page, as ours does by
    // its manifest, gets 65001 from it (and under Wine from the locale functions as well). The
    // console's code page is the system's OEM code page, which the registry keeps.
    static const UINT codePage = [] {
        wchar_t text[16] = {};
        DWORD size = sizeof(text);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", L"OEMCP",
                         RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS) {
            const UINT value = static_cast<UINT>(wcstoul(text, nullptr, 10));
            if (value != 0 && value != CP_UTF8 && IsValidCodePage(value)) return value;
        }
        DWORD value = 0;
        if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                            reinterpret_cast<LPWSTR>(&value), sizeof(value) / sizeof(wchar_t)) &&
            value != 0) {
            return static_cast<UINT>(value);
        }
        return GetOEMCP();
    }();
    return codePage;
}

std::wstring DecodeOutputLine(const std::string& bytes) {
    if (bytes.empty()) return {};
    std::wstring text = Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
    if (!text.empty()) return text;
    return Decode(ConsoleCodePage(), 0, bytes);
}

std::wstring Utf8ToWide(const std::string& text) {
    return text.empty() ? std::wstring() : Decode(CP_UTF8, 0, text);
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}
