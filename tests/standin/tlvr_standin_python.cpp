// Stands in for the package's Python interpreter running the update helper. Placed at
// ".tools/python/python.exe" in a test installation, it plays one job per start by a scenario.
//
// Beside itself it reads "standin-scenario.ini" (UTF-16 with a byte-order mark) and appends its
// whole command line, UTF-8, as one line to "standin-calls.log" before doing anything else.
// The job is the fifth word of the command line ("python -X utf8 script JOB --root ...").
// Section "JOB#N" plays the job's Nth start when that section exists, otherwise section "JOB".
// Its entries run in order:
//   line=TEXT         print TEXT and a line feed to standard output
//   tail=TEXT         print TEXT without a line feed
//   sleep=MS          pause
//   wait_file=PATH    wait until PATH exists (at most 120 s)
//   pending=create    create ".local/updates/pending.json" under the root; pending=remove deletes it
//   copy=FROM>TO      copy a file (creating TO's folders): replace or restore an installation file
//   result.KEY=VALUE  write KEY into section "update" of the file given with --result
//   hang=1            never end (until killed)
//   exit=N            end now with code N (the end of the section ends with 0)
// In every value {root}, {job} and {asset} stand for the words after --root, --job and --asset.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "standin_text.h"

namespace {
std::wstring ExeFolder() {
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), 32768);
    buffer.resize(length);
    return buffer.substr(0, buffer.find_last_of(L'\\'));
}

std::wstring Option(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 0; i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == name) return argv[i + 1];
    }
    return {};
}

void Replace(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Entries of a section in file order, duplicates kept.
std::vector<std::pair<std::wstring, std::wstring>> Section(const std::wstring& file, const std::wstring& name) {
    std::vector<wchar_t> buffer(65536, L'\0');
    const DWORD length = GetPrivateProfileSectionW(name.c_str(), buffer.data(), 65536, file.c_str());
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    for (DWORD at = 0; at < length && buffer[at];) {
        const std::wstring entry(&buffer[at]);
        at += static_cast<DWORD>(entry.size()) + 1;
        const size_t equals = entry.find(L'=');
        if (equals != std::wstring::npos) entries.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    }
    return entries;
}

void Print(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void CreateFolders(const std::wstring& folder) {
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

void WriteResult(const std::wstring& file, const std::wstring& key, const std::wstring& value) {
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // UTF-16, so the profile functions keep every letter of a path.
        CreateFolders(Parent(file));
        std::ofstream out(std::filesystem::path(file), std::ios::binary);
        out.write("\xFF\xFE", 2);
    }
    WritePrivateProfileStringW(L"update", key.c_str(), value.c_str(), file.c_str());
}

int CountCalls(const std::wstring& log, const std::string& job) {
    std::ifstream in(std::filesystem::path(log), std::ios::binary);
    std::string line;
    int count = 0;
    const std::string needle = " " + job + " --root ";
    while (std::getline(in, line)) {
        if (line.find(needle) != std::string::npos) ++count;
    }
    return count;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = ExeFolder();
    const std::wstring callLog = folder + L"\\standin-calls.log";
    {
        std::ofstream out(std::filesystem::path(callLog), std::ios::binary | std::ios::app);
        out << Utf8(GetCommandLineW()) << "\n";
    }
    if (argc < 5) return 2;
    const std::wstring job = argv[4];
    const std::wstring root = Option(argc, argv, L"--root");
    const std::wstring jobFolder = Option(argc, argv, L"--job");
    const std::wstring asset = Option(argc, argv, L"--asset");
    const std::wstring resultFile = Option(argc, argv, L"--result");
    const std::wstring scenario = folder + L"\\standin-scenario.ini";

    auto entries = Section(scenario, job + L"#" + std::to_wstring(CountCalls(callLog, Utf8(job))));
    if (entries.empty()) entries = Section(scenario, job);
    for (auto& [key, rawValue] : entries) {
        std::wstring value = rawValue;
        Replace(value, L"{root}", root);
        Replace(value, L"{job}", jobFolder);
        Replace(value, L"{asset}", asset);
        const std::wstring pending = root + L"\\.local\\updates\\pending.json";
        if (key == L"line") {
            Print(Utf8(value) + "\n");
        } else if (key == L"tail") {
            Print(Utf8(value));
        } else if (key == L"sleep") {
            Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
        } else if (key == L"wait_file") {
            for (int i = 0; i < 1200 && GetFileAttributesW(value.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
        } else if (key == L"pending") {
            if (value == L"create") {
                CreateFolders(Parent(pending));
                std::ofstream(std::filesystem::path(pending), std::ios::binary) << "{\"standin\": true}\n";
            } else {
                DeleteFileW(pending.c_str());
            }
        } else if (key == L"copy") {
            const size_t arrow = value.find(L'>');
            const std::wstring to = value.substr(arrow + 1);
            CreateFolders(Parent(to));
            CopyFileW(value.substr(0, arrow).c_str(), to.c_str(), FALSE);
        } else if (key.rfind(L"result.", 0) == 0) {
            WriteResult(resultFile, key.substr(7), value);
        } else if (key == L"hang") {
            Sleep(INFINITE);
        } else if (key == L"exit") {
            return _wtoi(value.c_str());
        }
    }
    return 0;
}
