// A game that crashes: the "Game session ended" dialog says why in words and shows the game's last
// lines; "Save a report" writes a report of that session from the dialog, and the session is
// recorded.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>

#include "play_support.h"
#include "zip_reader.h"

using namespace bb;

namespace {
constexpr int kPlay = 200;

std::wstring ProfileFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
    return length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

std::optional<fs::path> ReportIn(const fs::path& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == L".zip") return entry.path();
    }
    return std::nullopt;
}

// Processes named explorer.exe: the report opens its folder in Explorer.
std::set<DWORD> ExplorerProcesses() {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"explorer.exe") == 0) ids.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

// The folder window the report opened is ended, so that it stays out of later tests (it would
// also hold the test's output pipe open).
void EndExplorerStartedSince(const std::set<DWORD>& before) {
    WaitUntil([&] {
        bool ended = false;
        for (DWORD id : ExplorerProcesses()) {
            if (before.count(id)) continue;
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
                ended = TerminateProcess(process, 0) != FALSE;
                CloseHandle(process);
            }
        }
        return ended;
    }, 10s);
}
}  // namespace

TEST(SessionEnded, CrashedGameIsExplainedWithItsLastLinesReportedFromTheDialogAndRecorded) {
    Installation installation;
    installation.InstallStandInGame(1);
    WriteFileBytes(installation.local() / L"controls.ini", "[controls]\r\ndead_zone=12\r\n");  // a player's own keys
    const std::wstring profile = ProfileFolder();
    ASSERT_FALSE(profile.empty());
    // Games name files under the player's profile; a report must not.
    const std::wstring lastWords = L"ROM check failed: " + profile + L"\\Games\\tlvr1.bin is not the expected ROM";
    Process launcher = StartLauncher(installation, L"",
                                     {{L"TLVR_STANDIN_RECORD", (installation.root() / L"record.txt").wstring()},
                                      {L"TLVR_STANDIN_EXIT", L"0xC0000005"},
                                      {L"TLVR_STANDIN_LAST_WORDS", lastWords}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    // Taken once a window shows: Wine's desktop process, also an explorer.exe, runs by then.
    const std::set<DWORD> explorersBefore = ExplorerProcesses();
    ClickButton(ChildWithId(home, kPlay));

    const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
    ASSERT_TRUE(box.has_value()) << "the crashed session was not reported";
    EXPECT_EQ(box->caption, L"Game session ended");
    EXPECT_EQ(box->text,
              L"The game exited with an error. Diagnostic logs are available in the .local/logs folder.\n\n"
              L"The game stopped with an access violation (0xC0000005).");
    // The last three non-empty lines, in the order the game wrote them.
    EXPECT_EQ(box->details,
              L"stand-in game: line on standard output\nstand-in game: line on standard error\n" + lastWords);
    for (const wchar_t* button : {L"OK", L"Open logs folder", L"Save a report"}) {
        EXPECT_NE(std::find(box->buttons.begin(), box->buttons.end(), button), box->buttons.end())
            << "no button " << Utf8(button);
    }

    const std::string sessions = ReadFileBytes(installation.local() / L"sessions.csv");
    EXPECT_NE(sessions.find(",1,"), std::string::npos) << sessions;
    EXPECT_NE(sessions.find(",3221225477\r\n"), std::string::npos) << "the session line is missing: " << sessions;

    // "Save a report" writes the zip and leaves the dialog open.
    ASSERT_TRUE(PressDialogButton(*box, L"Save a report"));
    std::optional<fs::path> report;
    ASSERT_TRUE(WaitUntil([&] {
        report = ReportIn(installation.local() / L"reports");
        return report && IsWindowEnabled(box->hwnd);
    }, 60s)) << "no report was written";
    EXPECT_TRUE(IsWindowVisible(box->hwnd)) << "the dialog closed";
    const ZipContents zip = ReadZipFile(*report);
    ASSERT_TRUE(zip.opened) << Utf8(report->wstring());
    EXPECT_TRUE(zip.intact) << "an entry does not read back whole";
    for (const char* name : {"report.txt", "launcher.ini", "controls.ini", "logs/tlvr1-latest.log"}) {
        EXPECT_EQ(zip.entries.count(name), 1u) << name << " is missing";
    }
    for (const auto& [name, content] : zip.entries) {
        EXPECT_EQ(content.find("stand-in ROM input"), std::string::npos) << name << " holds the ROM's bytes";
        EXPECT_EQ(content.find(Utf8(profile)), std::string::npos) << name << " shows the profile path";
    }
    if (zip.entries.count("logs/tlvr1-latest.log")) {
        EXPECT_NE(zip.entries.at("logs/tlvr1-latest.log").find("ROM check failed: %USERPROFILE%\\Games\\tlvr1.bin"),
                  std::string::npos);
    }
    if (zip.entries.count("report.txt")) {
        const std::string& text = zip.entries.at("report.txt");
        for (const char* part : {"== Last game sessions ==", "access violation (0xC0000005)", "Game 1: "}) {
            EXPECT_NE(text.find(part), std::string::npos) << "report.txt lacks \"" << part << "\"\n" << text;
        }
    }
    EndExplorerStartedSince(explorersBefore);

    // Esc answers it as it answers a message box.
    PressKey(FocusedWindowOf(box->hwnd), VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, 5s)) << "Esc did not close it";
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
