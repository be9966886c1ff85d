// Stands in for a game in the black-box tests. It records what the Launcher handed it and ends
// the way the test asks.
//
// Read from its environment (the Launcher's, which it inherits):
//   TLVR_STANDIN_RECORD     file for the record (default: standin-record.txt beside the exe)
//   TLVR_STANDIN_JOURNAL    if set, one line "started <pid>" is appended per start
//   TLVR_STANDIN_EXIT       exit code, decimal or 0x hex (default 0)
//   TLVR_STANDIN_WAIT_MS    sleep this long before ending
//   TLVR_STANDIN_WAIT_FILE  wait until this file exists before ending (at most 120 s); a
//                           number in it is the exit code, overriding TLVR_STANDIN_EXIT
//   TLVR_STANDIN_LAST_WORDS one more line on standard output, the last before it ends (UTF-8)
//
// The record is UTF-8, one "key=value" per line: commandline, cwd, env.NAME (present
// variables) or missing.NAME=1, stdin (eof, data, none, console, error), ini.section.key. It is
// written complete before the wait starts, through a temporary file, so a test that sees it
// can read it whole.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {
const wchar_t* const kGameVariables[] = {
    L"TLVR_ASPECT",        L"TLVR_ORIGINAL",   L"QUENDAL_SCREEN",   L"RR_CONTROLS_PROFILE",
    L"TLVR_CONTROLS_FILE", L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT", L"RR_SHADER_PATH",
};

bool Variable(const wchar_t* name, std::wstring& value) {
    wchar_t buffer[32768];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    value.assign(buffer, length < 32768 ? length : 0);
    return true;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring ExeFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring path(buffer, length);
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring CurrentFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetCurrentDirectoryW(32768, buffer);
    return std::wstring(buffer, length < 32768 ? length : 0);
}

// Reading NUL ends at once; a pipe or file with content would not.
std::string StandardInputState() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return "none";
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return "console";  // reading would wait for a person
    char byte = 0;
    DWORD read = 0;
    if (!ReadFile(input, &byte, 1, &read, nullptr)) {
        const DWORD error = GetLastError();
        return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? "eof" : "error:" + std::to_string(error);
    }
    return read == 0 ? "eof" : "data";
}

std::string IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[512] = {};
    GetPrivateProfileStringW(section, key, L"(none)", buffer, 512, file.c_str());
    return Utf8(buffer);
}

void WriteAll(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void WriteRecord(const std::wstring& path, const std::string& text) {
    const std::wstring temporary = path + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteAll(file, text);
    CloseHandle(file);
    MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void AppendJournal(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteAll(file, "started " + std::to_string(GetCurrentProcessId()) + "\n");
    CloseHandle(file);
}

// Decimal, or hexadecimal after "0x".
DWORD ParseExitCode(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t\r\n");
    if (start == std::wstring::npos) return 0;
    const bool hex = text.compare(start, 2, L"0x") == 0 || text.compare(start, 2, L"0X") == 0;
    return static_cast<DWORD>(wcstoul(text.c_str() + start + (hex ? 2 : 0), nullptr, hex ? 16 : 10));
}

std::wstring FileText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    return std::wstring(buffer, buffer + read);
}

// Returns the exit code to end with.
DWORD WaitAsAsked() {
    std::wstring text;
    DWORD exitCode = Variable(L"TLVR_STANDIN_EXIT", text) ? ParseExitCode(text) : 0;
    if (Variable(L"TLVR_STANDIN_WAIT_MS", text)) Sleep(static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10)));
    if (Variable(L"TLVR_STANDIN_WAIT_FILE", text) && !text.empty()) {
        // Bounded: a test that forgets to release the game must not leave it behind for ever.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (GetFileAttributesW(text.c_str()) == INVALID_FILE_ATTRIBUTES &&
               std::chrono::steady_clock::now() < deadline) {
            Sleep(50);
        }
        Sleep(50);  // let the test finish writing the file it created
        const std::wstring asked = FileText(text);
        if (asked.find_first_not_of(L" \t\r\n") != std::wstring::npos) exitCode = ParseExitCode(asked);
    }
    return exitCode;
}
}  // namespace

int wmain() {
    std::string record;
    record += "commandline=" + Utf8(GetCommandLineW()) + "\n";
    const std::wstring folder = CurrentFolder();
    record += "cwd=" + Utf8(folder) + "\n";
    for (const wchar_t* name : kGameVariables) {
        std::wstring value;
        if (Variable(name, value)) {
            record += "env." + Utf8(name) + "=" + Utf8(value) + "\n";
        } else {
            record += "missing." + Utf8(name) + "=1\n";
        }
    }
    record += "stdin=" + StandardInputState() + "\n";
    const std::wstring settings = folder + L"\\settings.ini";
    record += "ini.video.fullscreen=" + IniValue(settings, L"video", L"fullscreen") + "\n";
    record += "ini.video.linear_filter=" + IniValue(settings, L"video", L"linear_filter") + "\n";
    record += "ini.rewind.enabled=" + IniValue(settings, L"rewind", L"enabled") + "\n";

    std::wstring recordPath;
    if (!Variable(L"TLVR_STANDIN_RECORD", recordPath) || recordPath.empty()) {
        recordPath = ExeFolder() + L"\\standin-record.txt";
    }
    WriteRecord(recordPath, record);
    std::wstring journal;
    if (Variable(L"TLVR_STANDIN_JOURNAL", journal) && !journal.empty()) AppendJournal(journal);

    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), "stand-in game: line on standard output\n");
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), "stand-in game: line on standard error\n");
    std::wstring lastWords;
    if (Variable(L"TLVR_STANDIN_LAST_WORDS", lastWords)) WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), Utf8(lastWords) + "\n\n");

    ExitProcess(WaitAsAsked());
}
