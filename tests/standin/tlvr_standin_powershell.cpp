// Stands in for Windows PowerShell in the installer tests and the demo (Wine has none). Put at
// <system folder>\WindowsPowerShell\v1.0\powershell.exe it runs the script named by "-File" the
// only way it can: it ignores PowerShell and follows the script's "#standin " lines, one command
// each, in order. The real installation script carries such lines as comments, so the same file
// serves PowerShell on Windows and this program under Wine.
//
//   #standin record FILE        writes what it received: commandline, cwd, stdin, arg.N, param.NAME
//   #standin out TEXT           TEXT and CR LF on standard output (escapes: \r \n \t \\ \xHH)
//   #standin err TEXT           the same on standard error
//   #standin raw TEXT           TEXT alone on standard output, no line end added
//   #standin lines COUNT LENGTH COUNT numbered lines of LENGTH characters, CR LF each, as fast as
//                               it can (one write per line)
//   #standin long LENGTH        one line of LENGTH letters (a, b, ... z, a, ...) with no line end,
//                               written a piece at a time as a progress display would
//   #standin sleep MS
//   #standin wait-file FILE     waits (at most 120 s) until FILE exists
//   #standin grandchild MS FILE starts a copy of itself that inherits the output, writes its
//                               process id to FILE, sleeps MS and prints "grandchild done"
//   #standin copy FROM | TO     copies a file or a folder tree, making TO's parent folders;
//                               a failed copy ends the script with 1
//   #standin write FILE | TEXT  writes TEXT (escapes as for out) to FILE
//   #standin exit CODE          ends with CODE (default: 0 at the end of the script)
//
// In every argument {Destination}, {RomFolder1}, {RomFolder2} stand for the script parameters
// and {Root} for the working folder.
//
// Run with "--lines COUNT LENGTH" it writes those lines to its standard output directly (the
// benchmark's floor); "--grandchild MS" is the grandchild's own mode.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "standin_text.h"

namespace fs = std::filesystem;

namespace {
std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

void Write(DWORD which, const std::string& bytes) {
    HANDLE out = GetStdHandle(which);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') out += '\r';
        else if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += c;
    }
    return out;
}

// "0000042 xxxx...": numbered so that a reader can tell every line apart; LENGTH characters.
std::string NumberedLine(long number, size_t length) {
    char head[16];
    snprintf(head, sizeof(head), "%07ld ", number);
    std::string line = head;
    while (line.size() < length) line += static_cast<char>('a' + (line.size() % 26));
    line.resize(length);
    return line + "\r\n";
}

void WriteLines(long count, size_t length) {
    for (long n = 1; n <= count; ++n) Write(STD_OUTPUT_HANDLE, NumberedLine(n, length));
}

void WriteLongLine(size_t length) {
    std::string piece;
    for (size_t at = 0; at < length; at += piece.size()) {
        piece.clear();
        for (size_t i = at; i < length && piece.size() < 4000; ++i) piece += static_cast<char>('a' + i % 26);
        Write(STD_OUTPUT_HANDLE, piece);
    }
}

std::string StandardInputState() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return "none";
    char byte = 0;
    DWORD read = 0;
    if (!ReadFile(input, &byte, 1, &read, nullptr)) {
        const DWORD error = GetLastError();
        return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? "eof" : "error:" + std::to_string(error);
    }
    return read == 0 ? "eof" : "data";
}

std::wstring CurrentFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetCurrentDirectoryW(32768, buffer);
    return std::wstring(buffer, length < 32768 ? length : 0);
}

struct Invocation {
    std::vector<std::wstring> args;            // as CommandLineToArgvW splits the command line
    std::wstring script;                        // after -File
    std::map<std::wstring, std::wstring> params;  // -Name value after the script
};

Invocation ReadInvocation() {
    Invocation inv;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) inv.args.emplace_back(argv[i]);
    LocalFree(argv);
    for (size_t i = 1; i < inv.args.size(); ++i) {
        if (_wcsicmp(inv.args[i].c_str(), L"-File") == 0 && i + 1 < inv.args.size()) {
            inv.script = inv.args[i + 1];
            for (size_t p = i + 2; p + 1 < inv.args.size(); p += 2) {
                if (!inv.args[p].empty() && inv.args[p][0] == L'-') inv.params[inv.args[p].substr(1)] = inv.args[p + 1];
            }
            break;
        }
    }
    return inv;
}

std::string Expand(std::string text, const Invocation& inv) {
    std::map<std::string, std::wstring> names = {{"{Root}", CurrentFolder()}};
    for (const auto& [name, value] : inv.params) names["{" + Utf8(name) + "}"] = value;
    for (const auto& [name, value] : names) {
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
            const std::string replacement = Utf8(value);
            text.replace(at, name.size(), replacement);
            at += replacement.size();
        }
    }
    return text;
}

void Record(const fs::path& file, const Invocation& inv) {
    std::string text = "commandline=" + Utf8(GetCommandLineW()) + "\n";
    text += "cwd=" + Utf8(CurrentFolder()) + "\n";
    text += "stdin=" + StandardInputState() + "\n";
    text += "argc=" + std::to_string(inv.args.size()) + "\n";
    for (size_t i = 0; i < inv.args.size(); ++i) text += "arg." + std::to_string(i) + "=" + Utf8(inv.args[i]) + "\n";
    for (const auto& [name, value] : inv.params) text += "param." + Utf8(name) + "=" + Utf8(value) + "\n";
    const fs::path temporary = file.wstring() + L".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << text;
    }
    MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void StartGrandchild(const std::wstring& ms, const std::wstring& pidFile) {
    wchar_t self[32768];
    GetModuleFileNameW(nullptr, self, 32768);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --grandchild " + ms;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
        Write(STD_ERROR_HANDLE, "could not start the grandchild\r\n");
        return;
    }
    std::ofstream(fs::path(pidFile), std::ios::binary) << info.dwProcessId;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool WaitForFile(const fs::path& file) {
    for (int i = 0; i < 2400; ++i) {
        std::error_code error;
        if (fs::exists(file, error)) return true;
        Sleep(50);
    }
    return false;
}

// The rest of the line after the command word; the words of it split on blanks.
std::vector<std::string> Words(const std::string& text, size_t count) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (words.size() + 1 < count && in >> word) words.push_back(word);
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (!rest.empty()) words.push_back(rest);
    return words;
}

int RunScript(const Invocation& inv) {
    std::ifstream in{fs::path(inv.script), std::ios::binary};
    if (!in) {
        Write(STD_ERROR_HANDLE, "The argument '" + Utf8(inv.script) + "' to the -File parameter does not exist.\r\n");
        return 0xFFFD0000;  // what PowerShell reports for a missing script
    }
    const std::string marker = "#standin ";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, marker.size(), marker) != 0) continue;
        line = Expand(line.substr(marker.size()), inv);
        const size_t blank = line.find(' ');
        const std::string command = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        const std::vector<std::string> w = Words(rest, 3);
        if (command == "record" && !rest.empty()) Record(Wide(rest), inv);
        else if (command == "out") Write(STD_OUTPUT_HANDLE, Unescape(rest) + "\r\n");
        else if (command == "err") Write(STD_ERROR_HANDLE, Unescape(rest) + "\r\n");
        else if (command == "raw") Write(STD_OUTPUT_HANDLE, Unescape(rest));
        else if (command == "lines" && w.size() >= 2) WriteLines(std::atol(w[0].c_str()), std::strtoul(w[1].c_str(), nullptr, 10));
        else if (command == "long") WriteLongLine(std::strtoul(rest.c_str(), nullptr, 10));
        else if (command == "sleep") Sleep(static_cast<DWORD>(std::atol(rest.c_str())));
        else if (command == "wait-file") WaitForFile(Wide(rest));
        else if (command == "grandchild" && w.size() >= 2) StartGrandchild(Wide(w[0]), Wide(rest.substr(rest.find(' ') + 1)));
        else if (command == "copy" && rest.find(" | ") != std::string::npos) {
            std::error_code error;
            const fs::path from = Wide(rest.substr(0, rest.find(" | ")));
            const fs::path to = Wide(rest.substr(rest.find(" | ") + 3));
            fs::create_directories(to.parent_path(), error);
            fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
            if (error) {  // as a script stopping at its first error does
                Write(STD_ERROR_HANDLE, "copy failed: " + Utf8(from.wstring()) + ": " + error.message() + "\r\n");
                return 1;
            }
        } else if (command == "write" && rest.find(" | ") != std::string::npos) {
            const fs::path file = Wide(rest.substr(0, rest.find(" | ")));
            std::error_code error;
            fs::create_directories(file.parent_path(), error);
            std::ofstream(file, std::ios::binary) << Unescape(rest.substr(rest.find(" | ") + 3));
        } else if (command == "exit") return std::atoi(rest.c_str());
    }
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"--grandchild") {
        Sleep(static_cast<DWORD>(_wtol(argv[2])));
        Write(STD_OUTPUT_HANDLE, "grandchild done\r\n");
        return 0;
    }
    if (argc >= 4 && std::wstring(argv[1]) == L"--lines") {
        WriteLines(_wtol(argv[2]), static_cast<size_t>(_wtol(argv[3])));
        return 0;
    }
    const Invocation inv = ReadInvocation();
    if (inv.script.empty()) {
        Write(STD_ERROR_HANDLE, "tlvr_standin_powershell: no -File given\r\n");
        return 1;
    }
    return RunScript(inv);
}
