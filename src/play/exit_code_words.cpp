#include "play/exit_code_words.h"

#include <windows.h>

#include <cwchar>

#include "texts/texts.h"

namespace {
struct StatusWords {
    unsigned long code;
    const char* words;  // the key of what follows "The game stopped with "
};

// The statuses players meet most, in our own short words.
constexpr StatusWords kStatusWords[] = {
    {0xC0000005ul, "exit_code.word.access_violation"},
    {0xC00000FDul, "exit_code.word.stack_overflow"},
    {0xC0000135ul, "exit_code.word.dll_not_found"},
    {0xC0000139ul, "exit_code.word.entry_point_not_found"},
    {0xC0000142ul, "exit_code.word.dll_init_failed"},
    {0xC0000409ul, "exit_code.word.fail_fast"},
    {0xC000001Dul, "exit_code.word.illegal_instruction"},
    {0xC0000094ul, "exit_code.word.division_by_zero"},
    {0xC0000374ul, "exit_code.word.corrupted_heap"},
    {0xC000000Dul, "exit_code.word.invalid_parameter"},
    {0x80000003ul, "exit_code.word.breakpoint"},
};

std::wstring Say(Wording wording, const char* key, std::initializer_list<TextArg> args = {}) {
    return FillPlaceholders(wording == Wording::English ? EnglishText(key) : Text(key), args);
}

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

std::wstring DescribeStatusWithSystemText(unsigned long code, const std::wstring& systemText, Wording wording) {
    if (systemText.empty()) return Say(wording, "exit_code.status", {{"code", HexCode(code)}});
    std::wstring sentence = Say(wording, "exit_code.status_text", {{"code", HexCode(code)}, {"text", systemText}});
    const wchar_t last = sentence.back();
    if (last != L'.' && last != L'!' && last != L'?') sentence += L'.';
    return sentence;
}

std::wstring DescribeExitCode(unsigned long code, Wording wording) {
    if (!IsWindowsStatusCode(code)) return Say(wording, "exit_code.number", {{"code", std::to_wstring(code)}});
    for (const StatusWords& entry : kStatusWords) {
        if (entry.code == code) {
            return Say(wording, "exit_code.words", {{"words", Say(wording, entry.words)}, {"code", HexCode(code)}});
        }
    }
    return DescribeStatusWithSystemText(code, SystemStatusText(code), wording);
}
