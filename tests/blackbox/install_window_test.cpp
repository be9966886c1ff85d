// The installer window driven like a person: the input checks, what the installation script
// receives, its stage progress, the three ends, stopping, and the home window's refusal to close
// while a run is active. Wine has no PowerShell: our stand-in runs the scripts written here.
#include <gtest/gtest.h>

#include "install_support.h"
#include "play_support.h"

#include <tlhelp32.h>

#include <algorithm>

using namespace bb;

namespace {
constexpr auto kRunTimeout = 60s;
constexpr wchar_t kStoppingText[] = L"Stopping installation. Your original ROM folders will be kept.";

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in, placed in a Wine prefix only";
    }
    // Starts the launcher and opens the installer from the home window.
    InstallerControls Open(const std::map<std::wstring, std::wstring>& env = {}) {
        launcher_ = StartLauncher(installation_, L"", env);
        home_ = WaitForHome(launcher_);
        if (!home_) return {};
        return OpenInstallerFromHome(launcher_, home_);
    }
    void Script(const std::string& commands) { WriteStandInScript(installation_.root(), commands); }
    std::string RootText() const { return Utf8(installation_.root().wstring()); }
    // Closes the installer, then the launcher, and expects a normal end.
    void CloseAll(const InstallerControls& installer) {
        if (IsWindow(installer.window)) {
            PostMessageW(installer.window, WM_CLOSE, 0, 0);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(installer.window); }, 10s)) << "the installer stayed open";
        }
        PostMessageW(home_, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher_.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    }

    Installation installation_;
    Process launcher_;
    HWND home_ = nullptr;
};
}  // namespace

TEST_F(Installer, InputChecksSetTheirStatusAndStartNothing) {
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr) << "Install games opened no installer";
    EXPECT_FALSE(IsWindowEnabled(home_)) << "the home window stays usable under the installer";
    EXPECT_NE(WindowText(installer.destination).find(L"\\Programs\\TalvaroOvraRecomp"), std::wstring::npos)
        << "default folder: " << Utf8(WindowText(installer.destination));

    ClickButton(installer.install);
    EXPECT_TRUE(WaitForStatus(installer, L"Select at least one folder containing your compatible ROMs.", 5s))
        << Utf8(WindowText(installer.status));
    SetText(installer.rom2, L"C:\\roms");
    SetText(installer.destination, L"");
    ClickButton(installer.install);
    EXPECT_TRUE(WaitForStatus(installer, L"Choose a new empty installation folder.", 5s));
    SetText(installer.destination, (installation_.root() / L"dest").wstring());
    ClickButton(installer.install);
    EXPECT_TRUE(WaitForStatus(installer, L"Installer files are missing. Extract the complete release ZIP and try again.", 5s));
    EXPECT_FALSE(fs::exists(installation_.local() / L"install-0.60.log")) << "a check failed but something ran";
    EXPECT_EQ(WindowText(installer.close), L"Close");
    CloseAll(installer);
}

TEST_F(Installer, TwoRomFoldersReachTheScriptExactlyAndSuccessOffersTheInstalledLauncher) {
    const fs::path destination = installation_.root() / L"new install";
    // The installed copy's launcher: our stand-in game, which records how it was started.
    fs::create_directories(destination);
    fs::copy_file(BinFolder() / L"tlvr_standin_game.exe", destination / L"TalvaroOvraRecomp.exe");
    const fs::path opened = installation_.root() / L"opened.txt";
    Script("record {Root}\\record.txt\nout Checking ROMs\nerr warning on the error stream\nraw half\\r\\n\n"
           "out [STAGE 8/8] Finishing\nexit 0\n");
    InstallerControls installer = Open({{L"TLVR_STANDIN_RECORD", opened.wstring()}});
    ASSERT_NE(installer.window, nullptr);
    const std::wstring rom1 = (installation_.root() / L"My ROMs").wstring();
    const std::wstring rom2 = (installation_.root() / L"usa").wstring() + L"\\";
    SetText(installer.rom1, rom1);
    SetText(installer.rom2, rom2);
    SetText(installer.destination, destination.wstring());
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout)) << "the run did not end";
    EXPECT_EQ(WindowText(installer.status), kCompleteText);
    EXPECT_EQ(ProgressOf(installer), 100);
    EXPECT_EQ(FullText(installer.log),
              L"Checking ROMs\r\nwarning on the error stream\r\nhalf\r\n[STAGE 8/8] Finishing\r\n");
    EXPECT_EQ(ReadFileBytes(installation_.local() / L"install-0.60.log"),
              "Checking ROMs\r\nwarning on the error stream\r\nhalf\r\n[STAGE 8/8] Finishing\r\n");

    std::map<std::string, std::string> seen = ReadRecord(installation_.root() / L"record.txt");
    ASSERT_FALSE(seen.empty()) << "the script never ran";
    EXPECT_EQ(seen["argc"], "12") << seen["commandline"];
    EXPECT_EQ(seen["arg.1"] + " " + seen["arg.2"] + " " + seen["arg.3"] + " " + seen["arg.4"],
              "-NoProfile -ExecutionPolicy Bypass -File");
    EXPECT_EQ(seen["arg.5"], RootText() + "\\scripts\\install.ps1");
    EXPECT_EQ(seen["arg.6"], "-Destination");
    EXPECT_EQ(seen["arg.7"], Utf8(destination.wstring()));
    EXPECT_EQ(seen["arg.8"], "-RomFolder1");
    EXPECT_EQ(seen["arg.9"], Utf8(rom1));
    EXPECT_EQ(seen["arg.10"], "-RomFolder2");
    EXPECT_EQ(seen["arg.11"], Utf8(rom2)) << "the trailing backslash did not survive";
    EXPECT_EQ(seen["cwd"], RootText());
    EXPECT_EQ(seen["stdin"], "eof");

    EXPECT_EQ(WindowText(installer.install), L"Open launcher");
    ClickButton(installer.install);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(installer.window); }, 10s)) << "Open launcher left the window open";
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(opened); }, kLaunchTimeout)) << "Open launcher started nothing";
    EXPECT_EQ(ReadRecord(opened)["cwd"], Utf8(destination.wstring()));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home_) != FALSE; }, 5s));
    CloseAll(installer);
}

TEST_F(Installer, OnlyTheSecondFolderIsPassedAloneAndAFailureSaysSo) {
    Script("record {Root}\\record.txt\nout [STAGE 2/8] Reading\nexit 3\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom2, L"C:\\only second");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout));
    EXPECT_EQ(WindowText(installer.status), kFailedText);
    EXPECT_EQ(ProgressOf(installer), 14) << "a failed run keeps the last stage's progress";
    EXPECT_EQ(WindowText(installer.install), L"Install games");
    std::map<std::string, std::string> seen = ReadRecord(installation_.root() / L"record.txt");
    EXPECT_EQ(seen["argc"], "10") << seen["commandline"];
    EXPECT_EQ(seen["arg.8"], "-RomFolder2");
    EXPECT_EQ(seen["arg.9"], "C:\\only second");
    CloseAll(installer);
}

TEST_F(Installer, StageLinesMoveTheProgressBarAndSetTheStatus) {
    const std::string go = RootText() + "\\go";
    Script("out [STAGE 3/8] Compiling\nwait-file " + go + "1\nout [STAGE 9] Done\nwait-file " + go +
           "2\nout [STAGE 5\nout [STAGE 2]\nwait-file " + go + "3\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForStatus(installer, L"Compiling", kRunTimeout)) << Utf8(WindowText(installer.status));
    EXPECT_EQ(ProgressOf(installer), 28);
    // While running: the inputs and "Install games" are disabled, "Close" stops.
    EXPECT_FALSE(IsWindowEnabled(installer.rom1));
    EXPECT_FALSE(IsWindowEnabled(installer.browse[2]));
    EXPECT_FALSE(IsWindowEnabled(installer.install));
    EXPECT_EQ(WindowText(installer.close), L"Stop installation");

    WriteFileBytes(go + "1", "");
    ASSERT_TRUE(WaitForStatus(installer, L"Done", 10s));
    EXPECT_EQ(ProgressOf(installer), 95) << "only the end shows 100";
    WriteFileBytes(go + "2", "");
    ASSERT_TRUE(WaitForStatus(installer, L"[STAGE 2]", 10s)) << "a stage line without \"] \" shows whole";
    EXPECT_EQ(ProgressOf(installer), 14);
    // The status changes with the line; the log box takes its text a moment later.
    const std::wstring log = L"[STAGE 3/8] Compiling\r\n[STAGE 9] Done\r\n[STAGE 5\r\n[STAGE 2]\r\n";
    EXPECT_TRUE(WaitUntil([&] { return FullText(installer.log) == log; }, 5s)) << Utf8(FullText(installer.log));
    WriteFileBytes(go + "3", "");
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout));
    EXPECT_EQ(ProgressOf(installer), 100);
    EXPECT_TRUE(IsWindowEnabled(installer.rom1));
    CloseAll(installer);
}

TEST_F(Installer, AStoppedRunReportsStoppedEvenWhenTheScriptExitedWithZero) {
    // The script ends with 0 at once, but a grandchild keeps the output open: the run is still
    // active when Stop is pressed, and the exit code it ends with is the script's 0.
    const fs::path pidFile = installation_.root() / L"grandchild.pid";
    Script("out started\ngrandchild 30000 " + Utf8(pidFile.wstring()) + "\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(pidFile).empty(); }, kRunTimeout)) << "no grandchild";
    Sleep(1000);  // the script itself has ended by now
    EXPECT_EQ(WindowText(installer.close), L"Stop installation");
    ClickButton(installer.close);
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout)) << "stopping did not end the run";
    EXPECT_EQ(WindowText(installer.status), kStoppedText);
    EXPECT_EQ(WindowText(installer.install), L"Install games") << "a stopped run offered the launcher";
    HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(ReadFileBytes(pidFile))));
    if (grandchild) {
        EXPECT_EQ(WaitForSingleObject(grandchild, 5000), WAIT_OBJECT_0) << "stopping left the grandchild running";
        CloseHandle(grandchild);
    }
    // Pressed again, the button starts a new run instead of opening anything.
    Script("out second run\nexit 0\n");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(installer.install) == L"Open launcher"; }, kRunTimeout))
        << Utf8(WindowText(installer.status));
    EXPECT_EQ(FullText(installer.log), L"second run\r\n") << "the next start clears the log box";
    CloseAll(installer);
}

TEST_F(Installer, ClosingDuringARunStopsItAndTheHomeWindowWaits) {
    Script("out running\nwait-file " + RootText() + "\\never\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitUntil([&] { return FullText(installer.log) == L"running\r\n"; }, kRunTimeout));

    PostMessageW(home_, WM_CLOSE, 0, 0);
    Sleep(1000);
    EXPECT_TRUE(launcher_.Running()) << "the launcher closed during an installation";
    EXPECT_TRUE(IsWindow(home_));
    EXPECT_EQ(GetForegroundWindow(), installer.window) << "the installer was not brought forward";

    PostMessageW(installer.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(installer.status) == kStoppingText || WindowText(installer.status) == kStoppedText; }, 10s));
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout));
    EXPECT_TRUE(IsWindow(installer.window)) << "closing during a run closed the window";
    EXPECT_EQ(WindowText(installer.status), kStoppedText);
    CloseAll(installer);
}

TEST_F(Installer, PlayOnAMissingGameOpensItAndASecondRequestRaisesIt) {
    launcher_ = StartLauncher(installation_);
    home_ = WaitForHome(launcher_);
    ASSERT_NE(home_, nullptr);
    ClickButton(ChildWithId(home_, 200));  // PLAY: game 1 is not installed
    const std::optional<Window> opened = launcher_.FindWindowOfClass(kInstallerClass, 10s);
    ASSERT_TRUE(opened) << "PLAY on a missing game opened no installer";
    EXPECT_EQ(WindowText(opened->hwnd), L"Install Talvaro Ovra-Remix Recomp 0.60");
    for (int i = 0; i < 2; ++i) {
        PostMessageW(home_, WM_COMMAND, MAKEWPARAM(kHomeInstallCommand, BN_CLICKED),
                     reinterpret_cast<LPARAM>(ChildWithId(home_, kHomeInstallCommand)));
    }
    Sleep(1000);
    int count = 0;
    for (const Window& w : launcher_.TopLevelWindows()) count += w.className == kInstallerClass ? 1 : 0;
    EXPECT_EQ(count, 1) << "a second installer window opened";
    EXPECT_EQ(GetForegroundWindow(), opened->hwnd);
    CloseAll(ControlsOf(opened->hwnd));
}

TEST_F(Installer, ALongLogKeepsEveryByteInTheFileAndItsNewestPartInABoxAnyoneCanRead) {
    const int lines = 3000;  // 246,000 characters: far past an edit box's default 32,767
    // Then one line of 2,000,000 characters that never ends, as a progress display drawn with
    // carriage returns makes: under Wine 10 a box holding it whole overflowed the stack, and a
    // reader asking for 1,500,000 characters from outside ended the Launcher.
    const size_t longLine = 2000000;
    const std::string lastShort = "the last short line";
    Script("lines " + std::to_string(lines) + " 80\nout " + lastShort + "\nlong " + std::to_string(longLine) +
           "\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForRunEnd(installer, 3 * kRunTimeout));
    EXPECT_EQ(WindowText(installer.status), kCompleteText);
    const fs::path logFile = installation_.local() / L"install-0.60.log";
    const std::string file = ReadFileBytes(logFile);
    std::string endless(longLine, ' ');
    for (size_t i = 0; i < longLine; ++i) endless[i] = static_cast<char>('a' + i % 26);
    const std::string shortLines = file.substr(0, file.size() - std::min(file.size(), longLine));
    EXPECT_EQ(shortLines.size(), static_cast<size_t>(lines) * 82 + lastShort.size() + 2) << "the file lost or gained bytes";
    EXPECT_TRUE(file.size() >= longLine && file.compare(shortLines.size(), longLine, endless) == 0)
        << "the file does not end with the endless line, byte for byte";

    // The box, read whole in one message as a screen reader reads it: the note naming the file,
    // then the newest part of the endless line, folded, in order.
    const std::wstring log = FullText(installer.log);
    ASSERT_TRUE(launcher_.Running()) << "reading the log box whole ended the Launcher";
    EXPECT_LE(log.size(), 500000u);
    const size_t noteEnd = log.find(L"\r\n");
    ASSERT_NE(noteEnd, std::wstring::npos);
    EXPECT_NE(log.substr(0, noteEnd).find(logFile.wstring()), std::wstring::npos)
        << "the first line does not name the log file: " << log.substr(0, std::min<size_t>(noteEnd, 200));
    std::wstring unfolded;
    size_t longest = 0;
    for (size_t start = noteEnd + 2; start < log.size();) {
        size_t end = log.find(L"\r\n", start);
        if (end == std::wstring::npos) end = log.size();
        longest = std::max(longest, end - start);
        unfolded.append(log, start, end - start);
        start = end + 2;
    }
    EXPECT_LE(longest, 4096u) << "a line of the box is longer than 4,096 characters";
    EXPECT_GT(unfolded.size(), 300000u) << "the box kept far less than its newest part";
    EXPECT_TRUE(unfolded.size() <= longLine &&
                std::wstring(endless.end() - static_cast<std::ptrdiff_t>(unfolded.size()), endless.end()) == unfolded)
        << "the box's lines are not the newest part of the endless line, in order (" << unfolded.size()
        << " characters)";
    CloseAll(installer);
}

TEST_F(Installer, OutputInTheOemCodePageReadsAsTheScriptMeantIt) {
    // Windows PowerShell 5.1 writes "Zoë" to a pipe in the console's code page (850 here: ë is
    // 0x89), and a script that asks for UTF-8 writes it in UTF-8. This prefix's OEM code page
    // must read 0x89 as ë (437 and 850 both do), or the first line cannot come out right.
    wchar_t oem = 0;
    MultiByteToWideChar(GetOEMCP(), 0, "\x89", 1, &oem, 1);
    ASSERT_EQ(oem, L'\u00EB') << "the OEM code page " << GetOEMCP() << " has no \u00EB at 0x89";
    Script("out Zo\\x89\nout Zo\\xC3\\xAB\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout));
    EXPECT_EQ(FullText(installer.log), L"Zo\u00EB\r\nZo\u00EB\r\n");
    EXPECT_EQ(ReadFileBytes(installation_.local() / L"install-0.60.log"), "Zo\x89\r\nZo\xC3\xAB\r\n")
        << "the log file must keep the bytes as written";
    CloseAll(installer);
}

TEST(InstallerCapture, InstallPageIsPhotographed) {
    Installation installation;
    const fs::path picture = installation.root() / L"install.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture) + L" --qa-page install");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    const PngImage image(picture);
    ASSERT_TRUE(image.loaded()) << "no picture was written";
    // 96 DPI on a 1080-pixel screen: the design size.
    EXPECT_EQ(image.width(), 782);
    EXPECT_EQ(image.height(), 732);
    // Wine's PrintWindow puts the client area at the top-left; Windows draws the frame first.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    RECT frame = {0, 0, 0, 0};
    if (!wine) AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(HexColour(image.Pixel(8 - frame.left, 8 - frame.top)), "FF1A1D1F") << "not the dark background";
}

TEST_F(Installer, TheDemoScriptLeavesAWorkingCopyThatOpenLauncherStarts) {
    fs::create_directories(installation_.root() / L"scripts");
    fs::copy_file(DemoFolder() / L"scripts" / L"install.ps1", installation_.root() / L"scripts" / L"install.ps1");
    installation_.InstallStandInGame(1);
    const fs::path destination = installation_.root() / L"installed copy";
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, installation_.root().wstring());
    SetText(installer.destination, destination.wstring());
    ClickButton(installer.install);
    ASSERT_TRUE(WaitForRunEnd(installer, kRunTimeout));
    ASSERT_EQ(WindowText(installer.status), kCompleteText) << Utf8(FullText(installer.log));
    for (const wchar_t* file : {L"TalvaroOvraRecomp.exe", L"assets\\launcher\\tlvr1.png", L"games\\tlvr1\\tlvr1.exe",
                                L"roms\\tlvr1.bin", L".local\\installation.json"}) {
        EXPECT_TRUE(fs::exists(destination / file)) << Utf8(file) << " is missing from the installed copy";
    }

    ClickButton(installer.install);  // "Open launcher"
    HWND installedHome = nullptr;
    DWORD installedId = 0;
    WaitUntil([&] {
        for (HWND w = FindWindowW(kHomeClass, nullptr); w; w = FindWindowExW(nullptr, w, kHomeClass, nullptr)) {
            DWORD id = 0;
            GetWindowThreadProcessId(w, &id);
            if (id != launcher_.id() && IsWindowVisible(w)) {
                installedHome = w;
                installedId = id;
                return true;
            }
        }
        return false;
    }, kLaunchTimeout);
    ASSERT_NE(installedHome, nullptr) << "the installed launcher did not open";
    HANDLE installed = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, installedId);
    ASSERT_NE(installed, nullptr);
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameW(installed, 0, image, &size);
    EXPECT_EQ(fs::path(image).parent_path(), destination);
    PostMessageW(installedHome, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(installed, 30000), WAIT_OBJECT_0);
    CloseHandle(installed);
    CloseAll(installer);
}

TEST_F(Installer, TheFolderPickerNamesItsPurposeAndACancelChangesNothing) {
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    const std::wstring before = WindowText(installer.destination);
    ClickButton(installer.browse[2]);
    const std::optional<MessageBoxInfo> picker = WaitForMessageBox(launcher_, 20s);
    ASSERT_TRUE(picker) << "Browse... opened no folder picker";
    EXPECT_EQ(picker->caption, L"Choose installation parent folder");
    PostMessageW(picker->hwnd, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker->hwnd); }, 10s)) << "the picker did not close";
    EXPECT_EQ(WindowText(installer.destination), before);

    // Picking a folder: typed into the picker's name box and confirmed.
    ClickButton(installer.browse[2]);
    const std::optional<MessageBoxInfo> again = WaitForMessageBox(launcher_, 20s);
    ASSERT_TRUE(again);
    HWND name = nullptr;
    EnumChildWindows(again->hwnd, [](HWND child, LPARAM found) -> BOOL {
        if (ClassName(child) == L"Edit" && IsWindowVisible(child)) {
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&name));
    ASSERT_NE(name, nullptr) << "no name box in the picker";
    const fs::path parent = installation_.root() / L"Games";
    fs::create_directories(parent);
    SetText(name, parent.wstring());
    PostMessageW(again->hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(installer.destination) == (parent / L"TalvaroOvraRecomp").wstring(); }, 10s))
        << Utf8(WindowText(installer.destination));
    if (IsWindow(again->hwnd)) PostMessageW(again->hwnd, WM_COMMAND, IDCANCEL, 0);
    CloseAll(installer);
}

TEST_F(Installer, APowerShellThatCannotStartIsReportedAndNothingRuns) {
    // Only in the Wine prefix (the fixture skips elsewhere): the stand-in is moved aside for the
    // test and put back by the next test's set-up at the latest.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const fs::path powerShell = fs::path(system) / L"WindowsPowerShell" / L"v1.0" / L"powershell.exe";
    const fs::path aside = powerShell.wstring() + L".aside";
    fs::rename(powerShell, aside);
    Script("out should never run\nexit 0\n");
    InstallerControls installer = Open();
    if (installer.window) {
        SetText(installer.rom1, L"C:\\roms");
        ClickButton(installer.install);
        EXPECT_TRUE(WaitForStatus(installer, L"Could not start PowerShell. Check permissions and extract the full package.", 10s))
            << Utf8(WindowText(installer.status));
        EXPECT_EQ(WindowText(installer.close), L"Close") << "a failed start left the window running";
        EXPECT_TRUE(IsWindowEnabled(installer.install));
    }
    fs::rename(aside, powerShell);
    ASSERT_NE(installer.window, nullptr);
    CloseAll(installer);
}

namespace {
// Processes of this session whose program file is named `image`.
int ProcessesNamed(const wchar_t* image) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, image) == 0) ++count;
    }
    CloseHandle(snapshot);
    return count;
}
}  // namespace

TEST_F(Installer, ALauncherThatEndsAbruptlyTakesTheScriptAndItsChildrenWithIt) {
    const fs::path pidFile = installation_.root() / L"grandchild.pid";
    Script("out started\ngrandchild 60000 " + Utf8(pidFile.wstring()) + "\nwait-file " + RootText() +
           "\\never\nexit 0\n");
    InstallerControls installer = Open();
    ASSERT_NE(installer.window, nullptr);
    SetText(installer.rom1, L"C:\\roms");
    ClickButton(installer.install);
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(pidFile).empty(); }, kRunTimeout)) << "no grandchild";
    HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(ReadFileBytes(pidFile))));
    ASSERT_NE(grandchild, nullptr);
    EXPECT_GE(ProcessesNamed(L"powershell.exe"), 2) << "the script and its grandchild should be running";

    launcher_.Kill();  // as a crash or the task manager would end it: no clean-up of ours runs
    EXPECT_EQ(WaitForSingleObject(grandchild, 10000), WAIT_OBJECT_0) << "the grandchild outlived the Launcher";
    CloseHandle(grandchild);
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"powershell.exe") == 0; }, 10s)) << "the script outlived the Launcher";
}
