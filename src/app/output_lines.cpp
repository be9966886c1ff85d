#include "app/output_lines.h"

#include <windows.h>

#include <cstring>

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

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring result(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), wide);
    return result;
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
