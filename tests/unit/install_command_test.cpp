// What the installer hands to the installation script and reads back from its output.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/command_line.h"
#include "install/installation_command.h"
#include "install/installer_layout.h"

namespace {
// The words a program started with `commandLine` sees.
std::vector<std::wstring> Split(const std::wstring& commandLine) { return SplitCommandLine(commandLine.c_str()); }
}  // namespace

TEST(InstallCommand, EveryPathComesBackWhole) {
    const std::filesystem::path powerShell = PowerShellPath(L"C:\\Windows\\system32");
    EXPECT_EQ(powerShell.wstring(), L"C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe");
    const std::wstring destination = L"D:\\My Games\\Talvaro \"Recomp\"\\";
    const std::wstring rom1 = L"E:\\roms with blanks";
    const std::wstring rom2 = L"F:\\usa\\\\";
    const std::wstring line =
        InstallationCommandLine(powerShell, L"C:\\pkg\\scripts\\install.ps1", destination, rom1, rom2);
    const std::vector<std::wstring> expected = {
        powerShell.wstring(), L"-NoProfile", L"-ExecutionPolicy", L"Bypass", L"-File",
        L"C:\\pkg\\scripts\\install.ps1", L"-Destination", destination, L"-RomFolder1", rom1,
        L"-RomFolder2", rom2};
    EXPECT_EQ(Split(line), expected) << std::string(line.begin(), line.end());
    // A trailing backslash is doubled inside the quotes, not left to escape the closing one.
    EXPECT_NE(line.find(L"\"F:\\usa\\\\\\\\\""), std::wstring::npos);
}

TEST(InstallCommand, OnlyNonEmptyRomFoldersArePassedUnderTheirOwnNumber) {
    const std::vector<std::wstring> second = Split(InstallationCommandLine(L"C:\\ps.exe", L"C:\\s.ps1", L"C:\\d", L"", L"C:\\r2"));
    ASSERT_EQ(second.size(), 10u);
    EXPECT_EQ(second[8], L"-RomFolder2");
    EXPECT_EQ(second[9], L"C:\\r2");
    const std::vector<std::wstring> first = Split(InstallationCommandLine(L"C:\\ps.exe", L"C:\\s.ps1", L"C:\\d", L"C:\\r1", L""));
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first[8], L"-RomFolder1");
}

TEST(InstallCommand, StageLinesGiveProgressAndStatus) {
    struct Case {
        const wchar_t* line;
        bool stage;
        int progress;
        const wchar_t* status;
    };
    const Case cases[] = {
        {L"[STAGE 1/8] Checking ROMs", true, 0, L"Checking ROMs"},
        {L"[STAGE 3/8] Compiling", true, 28, L"Compiling"},
        {L"[STAGE 5/8] x", true, 57, L"x"},
        {L"[STAGE 7] Linking", true, 85, L"Linking"},
        {L"[STAGE 8] Copying", true, 95, L"Copying"},
        {L"[STAGE 9] Done", true, 95, L"Done"},
        {L"[STAGE 2]", true, 14, L"[STAGE 2]"},                      // no "] ": the whole line
        {L"[STAGE 0] zero", true, 0, L"zero"},                      // below the digit 1
        {L"[STAGE 4] a] b", true, 42, L"a] b"},                     // the first "] " counts
        {L"[STAGE 5", false, 0, L""},                               // eight characters
        {L"[stage 3] lower case", false, 0, L""},
        {L" [STAGE 3] indented", false, 0, L""},
    };
    for (const Case& c : cases) {
        const std::optional<StageReport> report = ReadStageLine(c.line);
        ASSERT_EQ(report.has_value(), c.stage) << std::wstring(c.line).size();
        if (!report) continue;
        EXPECT_EQ(report->progress, c.progress);
        EXPECT_EQ(report->status, c.status);
    }
}

TEST(InstallCommand, DefaultAndPickedInstallationFolders) {
    EXPECT_EQ(DefaultInstallationFolder(L"C:/Users/Ann/AppData/Local"),
              L"C:\\Users\\Ann\\AppData\\Local\\Programs\\TalvaroOvraRecomp");
    EXPECT_EQ(InstallationFolderIn(L"D:\\Games"), L"D:\\Games\\TalvaroOvraRecomp");
    EXPECT_EQ(InstallationFolderIn(L"D:\\"), L"D:\\TalvaroOvraRecomp");
}

TEST(InstallerLayout, ScaleFitsTheWorkAreaAndPlacementCentresOnTheOwner) {
    EXPECT_FLOAT_EQ(InstallerScale(1080, 96), 1.0f);
    EXPECT_FLOAT_EQ(InstallerScale(700, 96), 700.0f / 738.0f);
    EXPECT_FLOAT_EQ(InstallerScale(2000, 144), 1.5f);

    const RECT workArea = {0, 0, 1920, 1040};
    WindowPlacement place = PlaceInstaller(RECT{100, 50, 1400, 900}, workArea, 1.0f);
    EXPECT_EQ(place.width, 782);
    EXPECT_EQ(place.height, 732);
    EXPECT_EQ(place.x, 100 + (1300 - 782) / 2);
    EXPECT_EQ(place.y, 50 + (850 - 732) / 2);
    // An owner smaller than the window at the work area's corner: the window stays inside it.
    place = PlaceInstaller(RECT{0, 10, 400, 300}, RECT{0, 30, 1920, 1040}, 1.0f);
    EXPECT_EQ(place.y, 30);
    EXPECT_EQ(place.x, 0);
    const float small = 700.0f / 738.0f;
    place = PlaceInstaller(RECT{0, 0, 1000, 700}, RECT{0, 0, 1000, 700}, small);
    EXPECT_EQ(place.width, static_cast<int>(782 * small));
    EXPECT_EQ(place.height, static_cast<int>(732 * small));
}
