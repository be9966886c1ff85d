// A child for the helper process runner's tests. Each argument is one step, done in order:
//   o:TEXT   write TEXT to standard output (escapes: \r \n \\)
//   e:TEXT   write TEXT to standard error
//   big:N    write a line of N 'x' and a LF, in three separate writes
//   lines:N  write N numbered lines ("line 1" ...) as fast as possible
//   stdin    read standard input and write "eof" and a LF when it ends at once
//   pid      write this process's id and a LF
//   grand:MS start a copy of this program, sharing our output, that sleeps MS and writes its id
//   sleep:MS pause
//   exit:N   end with exit code N (the default is 0)
#include <windows.h>

#include <string>

namespace {
void Write(HANDLE to, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(to, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string Unescape(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\\' && i + 1 < text.size()) {
            const wchar_t next = text[++i];
            out += next == L'r' ? '\r' : next == L'n' ? '\n' : static_cast<char>(next);
        } else {
            char utf8[8];
            const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, utf8, sizeof(utf8), nullptr, nullptr);
            out.append(utf8, static_cast<size_t>(n > 0 ? n : 0));
        }
    }
    return out;
}

bool Starts(const std::wstring& word, const wchar_t* prefix, std::wstring& rest) {
    const std::wstring p = prefix;
    if (word.compare(0, p.size(), p) != 0) return false;
    rest = word.substr(p.size());
    return true;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    int exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring word = argv[i];
        std::wstring value;
        if (Starts(word, L"o:", value)) {
            Write(out, Unescape(value));
        } else if (Starts(word, L"e:", value)) {
            Write(err, Unescape(value));
        } else if (Starts(word, L"big:", value)) {
            const std::string line(static_cast<size_t>(_wtoi(value.c_str())), 'x');
            const size_t third = line.size() / 3;
            Write(out, line.substr(0, third));
            Sleep(20);
            Write(out, line.substr(third, third));
            Sleep(20);
            Write(out, line.substr(2 * third) + "\n");
        } else if (Starts(word, L"lines:", value)) {
            const int count = _wtoi(value.c_str());
            std::string chunk;
            for (int n = 1; n <= count; ++n) {
                chunk += "line " + std::to_string(n) + "\n";
                if (chunk.size() > 3000) { Write(out, chunk); chunk.clear(); }
            }
            Write(out, chunk);
        } else if (word == L"stdin") {
            char byte;
            DWORD got = 0;
            const BOOL ok = ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr);
            if (!ok || got == 0) Write(out, "eof\n");
        } else if (word == L"pid") {
            Write(out, std::to_string(GetCurrentProcessId()) + "\n");
        } else if (Starts(word, L"grand:", value)) {
            wchar_t self[MAX_PATH];
            GetModuleFileNameW(nullptr, self, MAX_PATH);
            std::wstring commandLine = L"\"" + std::wstring(self) + L"\" pid sleep:" + value;
            STARTUPINFOW startup = {sizeof(startup)};
            startup.dwFlags = STARTF_USESTDHANDLES;  // our inherited pipe, so it stays open
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = out;
            startup.hStdError = err;
            PROCESS_INFORMATION info = {};
            if (CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &info)) {
                CloseHandle(info.hThread);
                CloseHandle(info.hProcess);
            }
        } else if (Starts(word, L"sleep:", value)) {
            Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
        } else if (Starts(word, L"exit:", value)) {
            exitCode = _wtoi(value.c_str());
        }
    }
    return exitCode;
}
