#include "play/exit_code_words.h"

#include <windows.h>

#include <cwchar>

namespace {
struct StatusWords {
    unsigned long code;
    const wchar_t* words;  // what follows "The game stopped with "
};

// The statuses players meet most, in our own short words.
constexpr StatusWords kStatusWords[] = {
    {0xC0000005ul, L"an access violation"},
    {0xC00000FDul, L"a stack overflow"},
    {0xC0000135ul, L"a DLL that could not be found"},
    {0xC0000139ul, L"an entry point that could not be found in a DLL"},
    {0xC0000142ul, L"a DLL that failed to start"},
    {0xC0000409ul, L"a fail-fast stop (stack buffer overrun)"},
    {0xC000001Dul, L"an illegal instruction"},
    {0xC0000094ul, L"an integer division by zero"},
    {0xC0000374ul, L"a corrupted heap"},
    {0xC000000Dul, L"an invalid parameter"},
    {0x80000003ul, L"a breakpoint"},
};

constexpr unsigned long kFirstErrorStatus = 0xC0000000ul;
constexpr unsigned long kBreakpointStatus = 0x80000003ul;

// ntdll's message table holds the text of every NTSTATUS. Its texts often start with a
// "{Title}" line and carry line breaks; one sentence reads better in a dialog.
std::wstring SystemStatusText(unsigned long code) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return {};
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, ntdll,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer) return {};
    std::wstring raw(buffer, length);
    LocalFree(buffer);

    std::wstring text;
    size_t i = 0;
    if (!raw.empty() && raw[0] == L'{') {
        const size_t close = raw.find(L'}');
        if (close != std::wstring::npos) i = close + 1;
    }
    bool pendingSpace = false;
    for (; i < raw.size(); ++i) {
        const wchar_t c = raw[i];
        if (c == L'\r' || c == L'\n' || c == L'\t' || c == L' ') {
            pendingSpace = !text.empty();
            continue;
        }
        if (pendingSpace) text += L' ';
        pendingSpace = false;
        text += c;
    }
    return text;
}
}  // namespace

std::wstring HexCode(unsigned long code) {
    wchar_t buffer[16] = {};
    std::swprintf(buffer, 16, L"0x%08lX", code);
    return buffer;
}

bool IsWindowsStatusCode(unsigned long code) {
    return code >= kFirstErrorStatus || code == kBreakpointStatus;
}

std::wstring DescribeStatusWithSystemText(unsigned long code, const std::wstring& systemText) {
    if (systemText.empty()) return L"The game stopped with the Windows status " + HexCode(code) + L".";
    std::wstring sentence = L"The game stopped with the Windows status " + HexCode(code) + L": " + systemText;
    const wchar_t last = sentence.back();
    if (last != L'.' && last != L'!' && last != L'?') sentence += L'.';
    return sentence;
}

std::wstring DescribeExitCode(unsigned long code) {
    if (!IsWindowsStatusCode(code)) {
        return L"The game ended with exit code " + std::to_wstring(code) + L".";
    }
    for (const StatusWords& entry : kStatusWords) {
        if (entry.code == code) {
            return std::wstring(L"The game stopped with ") + entry.words + L" (" + HexCode(code) + L").";
        }
    }
    return DescribeStatusWithSystemText(code, SystemStatusText(code));
}
