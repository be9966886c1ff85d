#include "report/problem_report.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <system_error>

#include "app/game_table.h"
#include "app/installation_root.h"
#include "report/machine_facts.h"
#include "report/partial_files.h"
#include "app/output_lines.h"
#include "report/profile_redaction.h"
#include "report/report_zip.h"
#include "app/sha256.h"
#include "app/win_owners.h"
#include "controls/controller_input.h"
#include "controls/controller_listing.h"
#include "play/exit_code_words.h"
#include "play/launcher_settings.h"
#include "play/session_record.h"
#include "texts/texts.h"

namespace fs = std::filesystem;

namespace {
constexpr DWORD kCopyPiece = 1u << 20;
constexpr int kNameAttempts = 20;

// How a file travels into the zip.
enum class CopyKind {
    Text,  // redacted, and when cut it starts at a whole line
    Dump,  // unchanged; a dump cut short would be unreadable, so a larger one stays out
};

struct ReportFile {
    fs::path source;
    std::wstring zipName;
    CopyKind kind;
};

std::wstring Timestamp(const wchar_t* format, const SYSTEMTIME& t) {
    wchar_t buffer[40] = {};
    std::swprintf(buffer, 40, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buffer;
}

std::wstring YesNo(bool value) { return value ? L"yes" : L"no"; }
std::wstring OnOff(bool value) { return value ? L"on" : L"off"; }

// A regular file of the installation: links and junctions could lead outside it.
bool IsPlainFile(const fs::path& file, WIN32_FILE_ATTRIBUTE_DATA* data) {
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, data)) return false;
    return (data->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

unsigned long long FileSize(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FileFacts(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return L"not present";
    const auto digest = Sha256OfFile(file);
    return std::to_wstring(FileSize(data)) + L" bytes, SHA-256 " + (digest ? *digest : std::wstring(L"unreadable"));
}

// The regular files of a folder, each as (path, last write time), newest first.
std::vector<std::pair<fs::path, FILETIME>> FilesIn(const fs::path& folder, const wchar_t* extension) {
    std::vector<std::pair<fs::path, FILETIME>> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& file = it->path();
        if (extension && _wcsicmp(file.extension().c_str(), extension) != 0) continue;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!IsPlainFile(file, &data)) continue;
        files.emplace_back(file, data.ftLastWriteTime);
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return CompareFileTime(&a.second, &b.second) > 0;
    });
    return files;
}

std::vector<ReportFile> FilesToCopy(const fs::path& root) {
    const fs::path local = root / L".local";
    std::vector<ReportFile> files = {
        {local / L"launcher.ini", L"launcher.ini", CopyKind::Text},
        {local / L"controls.ini", L"controls.ini", CopyKind::Text},
    };
    auto logs = FilesIn(local / L"logs", nullptr);
    std::sort(logs.begin(), logs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [file, time] : logs) {
        files.push_back({file, L"logs/" + file.filename().wstring(), CopyKind::Text});
    }
    files.push_back({local / L"install-0.60.log", L"install-0.60.log", CopyKind::Text});
    files.push_back({local / L"updates" / L"update.log", L"updates/update.log", CopyKind::Text});
    const auto dumps = FilesIn(local / L"crashes", L".dmp");
    for (size_t i = 0; i < dumps.size() && i < kReportDumps; ++i) {
        files.push_back({dumps[i].first, L"crashes/" + dumps[i].first.filename().wstring(), CopyKind::Dump});
    }
    return files;
}

// Copies one file into the zip; returns the line that report.txt gives it. Sets *failed when the
// zip itself could not be written (a file that cannot be read is only noted).
std::wstring CopyIntoReport(ReportZip& zip, const ReportFile& file, const RedactionTerms& terms, bool* failed) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!IsPlainFile(file.source, &data)) return file.zipName + L": not present";
    const unsigned long long size = FileSize(data);
    if (file.kind == CopyKind::Dump && size > kReportFileLimit) {
        return file.zipName + L": left out, " + std::to_wstring(size) + L" bytes is more than 2 MB";
    }
    const UniqueHandle handle(CreateFileW(file.source.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return file.zipName + L": could not be read (error " + std::to_wstring(GetLastError()) + L")";

    const bool cut = size > kReportFileLimit;
    if (cut) {
        LARGE_INTEGER start = {};
        start.QuadPart = static_cast<LONGLONG>(size - kReportFileLimit);
        SetFilePointerEx(handle.get(), start, nullptr, FILE_BEGIN);
    }
    if (!zip.BeginEntry(file.zipName, data.ftLastWriteTime)) {
        *failed = true;
        return {};
    }
    ProfilePathRedactor redactor(file.kind == CopyKind::Text ? terms : RedactionTerms{});
    std::vector<char> buffer(kCopyPiece);
    std::string out;
    unsigned long long left = cut ? kReportFileLimit : size;
    bool atWholeLine = !cut || file.kind != CopyKind::Text;
    while (left > 0) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(left < kCopyPiece ? left : kCopyPiece);
        if (!ReadFile(handle.get(), buffer.data(), want, &read, nullptr) || read == 0) break;
        left -= read;
        size_t from = 0;
        if (!atWholeLine) {
            // A cut text starts after its first line end: no half line, no half character.
            const char* newline = static_cast<const char*>(std::memchr(buffer.data(), '\n', read));
            if (!newline) continue;
            from = static_cast<size_t>(newline - buffer.data()) + 1;
            atWholeLine = true;
        }
        out.clear();
        redactor.Feed(buffer.data() + from, read - from, out);
        if (!zip.Write(out.data(), out.size())) {
            *failed = true;
            return {};
        }
    }
    out.clear();
    redactor.Finish(out);
    if (!zip.Write(out.data(), out.size()) || !zip.EndEntry()) {
        *failed = true;
        return {};
    }
    std::wstring line = file.zipName + L": " + std::to_wstring(size) + L" bytes";
    if (cut) line += L", cut to its last 2 MB";
    return line;
}

std::wstring SettingsText(const LauncherSettings& raw) {
    const LauncherSettings settings = ClampSettings(raw);
    const Resolution& resolution = kResolutions[settings.size];
    std::wstring text;
    text += L"Selected game: " + std::to_wstring(settings.selectedGame + 1) + L"\r\n";
    text += L"Aspect: " + std::wstring(kAspectLabels[settings.aspect]) + L"\r\n";
    text += L"Output: " + std::to_wstring(resolution.width) + L" x " + std::to_wstring(resolution.height) + L"\r\n";
    text += L"Filter: " + std::wstring(kFilters[settings.filter].label) + L"\r\n";
    text += L"Zoom and arcade art: " + OnOff(settings.zoom) + L"\r\n";
    text += L"Full screen: " + OnOff(settings.fullScreen) + L"\r\n";
    text += L"Pad navigation: " + OnOff(settings.padNavigation) + L"\r\n";
    return text;
}

std::wstring GamesText(const ProblemReportSource& source) {
    const GamePlaces places{source.root, source.launcherFolder};
    std::wstring text;
    for (int index = 0; index < kGameCount; ++index) {
        const fs::path executable = GameExecutable(places, index);
        const fs::path rom = RomInput(places, index);
        std::error_code error;
        text += L"Game " + std::to_wstring(index + 1) + L": " + kGames[index].title + L"\r\n";
        text += L"  Installed: " + YesNo(IsGameInstalled(places, index)) + L"\r\n";
        text += L"  Folder: " + executable.parent_path().wstring() +
                (fs::is_regular_file(executable, error) ? L"" : L" (no executable there)") + L"\r\n";
        text += L"  Executable: " + executable.filename().wstring() + L", " + FileFacts(executable) + L"\r\n";
        text += L"  ROM input: " + rom.wstring() + L", " + FileFacts(rom) + L"\r\n";
    }
    return text;
}

std::wstring SessionsText(const fs::path& root) {
    const std::vector<GameSession> sessions = ReadLastGameSessions(root, kReportSessions);
    if (sessions.empty()) return L"(none recorded)\r\n";
    std::wstring text;
    for (const GameSession& session : sessions) {
        text += session.startUtc + L"  game " + std::to_wstring(session.gameNumber) + L"  " +
                std::to_wstring(session.seconds) + L" s  ";
        if (session.cutBySessionEnd) {
            text += L"session-end: Windows ended the session while the game ran";
        } else {
            text += L"exit code " + std::to_wstring(session.exitCode);
            if (session.exitCode != 0) text += L": " + DescribeExitCode(session.exitCode, Wording::English);
        }
        text += L"\r\n";
    }
    return text;
}

std::wstring ControllersText(const ProblemReportSource& source) {
    if (!source.controllersStarted) return L"(SDL has not started in this run; no list)\r\n";
    if (source.controllers.empty()) return L"(none connected)\r\n";
    std::wstring text;
    for (const std::wstring& line : source.controllers) text += line + L"\r\n";
    return text;
}

std::wstring ReportText(const ProblemReportSource& source, const SYSTEMTIME& utc, const std::wstring& filesText) {
    std::wstring text = std::wstring(kProductName) + L" problem report\r\n";
    text += L"Written: " + Timestamp(L"%04u-%02u-%02uT%02u:%02u:%02uZ", utc) + L"\r\n\r\n";
    text += L"== Launcher ==\r\nVersion: " + std::wstring(kVersionText) + L"\r\nInstallation: " +
            source.root.wstring() + L"\r\n\r\n";
    text += L"== Machine ==\r\n" + MachineFactsText(ReadMachineFacts()) + L"\r\n";
    text += L"== Game controllers ==\r\n" + ControllersText(source) + L"\r\n";
    text += L"== Games ==\r\n" + GamesText(source) + L"\r\n";
    text += L"== Last game sessions ==\r\n" + SessionsText(source.root) + L"\r\n";
    text += L"== Settings in force ==\r\n" + SettingsText(source.settings) + L"\r\n";
    text += L"== Files in this report ==\r\n" + filesText;
    return text;
}

// A new name: a second report within the same second gets a number. The zip is written under
// that name + kPartialSuffix and takes the name only once whole.
bool CreateReportZip(ReportZip& zip, const fs::path& folder, const SYSTEMTIME& local, fs::path* file,
                     fs::path* partial) {
    const std::wstring stem = Timestamp(L"report-%04u%02u%02u-%02u%02u%02u", local);
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        *file = folder / (stem + (attempt == 1 ? L"" : L"-" + std::to_wstring(attempt)) + L".zip");
        *partial = file->native() + kPartialSuffix;
        if (GetFileAttributesW(file->c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (zip.Create(*partial)) return true;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool Fail(std::wstring* error, const std::wstring& reason) {
    if (error) *error = reason;
    return false;
}
}  // namespace

RedactionTerms CurrentRedactionTerms() {
    RedactionTerms terms;
    PWSTR path = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path)) && path) terms.profilePath = path;
    CoTaskMemFree(path);
    if (!terms.profilePath.empty()) {
        const DWORD needed = GetShortPathNameW(terms.profilePath.c_str(), nullptr, 0);
        if (needed > 0) {
            std::wstring shortPath(needed, L'\0');
            const DWORD written = GetShortPathNameW(terms.profilePath.c_str(), shortPath.data(), needed);
            if (written > 0 && written < needed) {
                shortPath.resize(written);
                if (_wcsicmp(shortPath.c_str(), terms.profilePath.c_str()) != 0) terms.profileShortPath = shortPath;
            }
        }
    }
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(computer, &computerSize)) terms.computerName.assign(computer, computerSize);
    wchar_t user[257] = {};
    DWORD userSize = 257;
    if (GetUserNameW(user, &userSize) && userSize > 1) terms.userName.assign(user, userSize - 1);
    return terms;
}

ProblemReportSource CurrentProblemReportSource() {
    ProblemReportSource source;
    source.root = g_launcher.root;
    source.launcherFolder = LauncherFolder();
    source.settings = g_launcher.settings;
    source.controllersStarted = ControllersStarted();
    source.controllers = ConnectedControllerLines();
    source.redaction = CurrentRedactionTerms();
    return source;
}

bool WriteProblemReport(const ProblemReportSource& source, std::wstring* zipPath, std::wstring* error) {
    try {
        const fs::path folder = source.root / L".local" / L"reports";
        std::error_code made;
        fs::create_directories(folder, made);
        if (!fs::is_directory(folder, made)) {
            return Fail(error, Text("report.error.folder"));
        }
        SYSTEMTIME utc = {}, local = {};
        GetSystemTime(&utc);
        GetLocalTime(&local);
        ReportZip zip;
        fs::path file, partial;
        if (!CreateReportZip(zip, folder, local, &file, &partial)) {
            return Fail(error, FormatText("report.error.create", {{"error", std::to_wstring(GetLastError())}}));
        }
        bool failed = false;
        std::wstring filesText;
        for (const ReportFile& entry : FilesToCopy(source.root)) {
            filesText += CopyIntoReport(zip, entry, source.redaction, &failed) + L"\r\n";
            if (failed) break;
        }
        if (!failed) {
            const std::string text = RedactProfilePath(source.redaction, WideToUtf8(ReportText(source, utc, filesText)));
            FILETIME now = {};
            SystemTimeToFileTime(&utc, &now);
            failed = !zip.BeginEntry(L"report.txt", now) || !zip.Write(text.data(), text.size()) || !zip.EndEntry();
        }
        if (!zip.Close() || failed || !CompletePartialFile(partial.c_str(), file.c_str())) {
            const DWORD code = GetLastError();
            DeleteFileW(partial.c_str());
            return Fail(error, FormatText("report.error.write", {{"file", file.filename().wstring()},
                                                                 {"error", std::to_wstring(code)}}));
        }
        if (zipPath) *zipPath = file.wstring();
        return true;
    } catch (const std::exception&) {
        return Fail(error, Text("report.error.memory"));
    }
}
