// A first run with nothing but a controller ("--qa-pad"): PLAY on the game that is not
// installed, the suggested ROM folder filled in, both other folders chosen in the pad's folder
// browser (X: the highlighted folder, Y: the folder shown), and the installation started with
// those folders, without a key or a click.
#include <gtest/gtest.h>

#include "install_support.h"
#include "play_support.h"

using namespace bb;

namespace {
constexpr wchar_t kBrowserClass[] = L"TLVRFolderBrowser";

HWND VisibleWindowOfClass(const Process& process, const wchar_t* className) {
    for (const Window& window : process.TopLevelWindows()) {
        if (window.className == className && IsWindowVisible(window.hwnd)) return window.hwnd;
    }
    return nullptr;
}
}  // namespace

TEST(PadFirstRun, OnlyAPadGoesFromTheFirstStartThroughTheFolderBrowserToTheInstallation) {
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in, placed in a Wine prefix only";
    TempFolder places(L"tlvr-padrun");
    Installation::Options options;
    options.base = places.path();
    Installation installation(options);  // no game installed: PLAY reads INSTALL GAMES
    const fs::path roms = places.path() / L"roms";
    WriteFileBytes(roms / L"talvaro.bin", std::string(300 * 1024, 'r'));
    fs::create_directories(roms / L"usa");
    fs::create_directories(places.path() / L"games");
    WriteStandInScript(installation.root(), "record {Root}\\record.txt\nout [STAGE 8/8] Finishing\nexit 0\n");

    // In the browser, a folder's rows are "..", then its folders by name: games, roms, tlvr-install-*.
    const fs::path script = installation.root() / L"pad.txt";
    WriteFileBytes(script,
                   "wait 2500\ntap start\nwait 4000\n"                    // PLAY; the search fills ROM edit 1
                   "tap dpdown\nwait 300\ntap dpdown\nwait 300\n"        // ROM edit 1, its Browse...
                   "tap dpdown\nwait 300\ntap dpdown\nwait 300\n"        // ROM edit 2, its Browse...
                   "tap a\nwait 2500\n"                                   // the browser: the suggestion first
                   "tap a\nwait 1000\ntap dpdown\nwait 300\ntap x\nwait 2000\n"  // roms, then usa chosen
                   "tap dpdown\nwait 300\ntap dpdown\nwait 300\ntap a\nwait 2500\n"  // the destination's Browse...
                   "tap a\nwait 1000\ntap b\nwait 1000\n"                // into roms and back up to its parent
                   "tap dpup\nwait 300\ntap a\nwait 1000\ntap y\nwait 2000\n"  // games, shown and chosen
                   "tap dpdown\nwait 300\ntap dpdown\nwait 300\ntap dpdown\nwait 300\n"  // log, Open logs, Install
                   "tap a\n");
    Process launcher = StartLauncher(installation, L"--qa-pad " + Quote(script),
                                     {{L"TLVR_QA_ROM_PLACES", places.path().wstring()}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND installerWindow = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (installerWindow = VisibleWindowOfClass(launcher, kInstallerClass)) != nullptr; }, 15s))
        << "the pad's PLAY on a game that is not installed opened no installer";
    const InstallerControls installer = ControlsOf(installerWindow);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(installer.rom1) == roms.wstring(); }, 10s))
        << "the one folder found was not filled in: " << Utf8(WindowText(installer.rom1));
    EXPECT_NE(WindowText(installer.status).find(L"found and filled in"), std::wstring::npos)
        << Utf8(WindowText(installer.status));

    HWND browser = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (browser = VisibleWindowOfClass(launcher, kBrowserClass)) != nullptr; }, 15s))
        << "Browse... pressed on the pad opened no folder browser";
    EXPECT_FALSE(WaitForMessageBox(launcher, 0s)) << "the system's picker opened as well";
    EXPECT_FALSE(IsWindowEnabled(installerWindow)) << "the installer stays usable under the browser";
    EXPECT_TRUE(WaitUntil([&] { return WindowText(installer.rom2) == (roms / L"usa").wstring(); }, 15s))
        << "X in the browser did not fill ROM edit 2: " << Utf8(WindowText(installer.rom2));
    const std::wstring destination = (places.path() / L"games" / L"TalvaroOvraRecomp").wstring();
    EXPECT_TRUE(WaitUntil([&] { return WindowText(installer.destination) == destination; }, 20s))
        << "Y in the browser did not choose the installation folder: " << Utf8(WindowText(installer.destination));

    ASSERT_TRUE(WaitForRunEnd(installer, 60s)) << "the pad's Install games ran nothing: "
                                               << Utf8(WindowText(installer.status));
    const std::map<std::string, std::string> seen = ReadRecord(installation.root() / L"record.txt");
    ASSERT_FALSE(seen.empty()) << "the installation script never ran";
    EXPECT_EQ(seen.at("arg.7"), Utf8(destination));
    EXPECT_EQ(seen.at("arg.9"), Utf8(roms.wstring())) << "the suggested ROM folder did not reach the script";
    EXPECT_EQ(seen.at("arg.11"), Utf8((roms / L"usa").wstring()));
    EXPECT_EQ(WindowText(installer.status), kCompleteText);

    PostMessageW(installer.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(installer.window); }, 10s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
