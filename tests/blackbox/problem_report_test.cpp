// "--report" end to end: beside an open Launcher, the real executable writes the report, names
// it in a message box and exits 0; the zip opens in a standard reader and holds what a helper
// needs and nothing private.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "play_support.h"
#include "zip_reader.h"

using namespace bb;

namespace {
// The player's profile folder as the environment names it: the Launcher asks the shell, so the
// two answers come from different places.
std::wstring ProfileFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
    return length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

std::string ComputerName() {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(buffer, &size) ? Utf8(std::wstring(buffer, size)) : std::string();
}

std::string Doubled(std::string path) {
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2)) path.insert(at, 1, '\\');
    return path;
}
}  // namespace

TEST(ProblemReportRun, WritesTheReportBesideAnOpenLauncherAndExitsZero) {
    Installation installation;
    installation.InstallStandInGame(1);
    const std::string profile = Utf8(ProfileFolder());
    ASSERT_FALSE(profile.empty());
    const std::string computer = ComputerName();
    ASSERT_FALSE(computer.empty());
    WriteLauncherIni(installation, "aspect=2\r\n");
    WriteFileBytes(installation.local() / L"controls.ini", "[controls]\r\ndead_zone=12\r\n");
    WriteFileBytes(installation.local() / L"logs" / L"tlvr1-latest.log",
                   "loading " + profile + "\\Games\\roms\\tlvr1.bin\nshader missing: crt.slangp\n"
                   "on " + computer + ": '" + Doubled(profile) + "\\\\x.py'\n");

    // An open Launcher holds the installation lock; the report needs none.
    Process open = StartLauncher(installation);
    ASSERT_NE(WaitForHome(open), nullptr);

    Process report = StartLauncher(installation, L"--report");
    const auto box = WaitForMessageBox(report, 60s);
    ASSERT_TRUE(box.has_value()) << "no message box from --report";
    const std::wstring reports = (installation.local() / L"reports").wstring() + L"\\report-";
    const size_t at = box->text.find(reports);
    ASSERT_NE(at, std::wstring::npos) << Utf8(box->text);
    const fs::path zipFile = box->text.substr(at, box->text.find(L".zip", at) + 4 - at);
    PressMessageBoxButton(*box);
    EXPECT_EQ(report.WaitForExit(30s), std::optional<DWORD>(0));
    EXPECT_TRUE(open.Running()) << "the open Launcher was disturbed";

    const ZipContents zip = ReadZipFile(zipFile);
    ASSERT_TRUE(zip.opened) << Utf8(zipFile.wstring());
    EXPECT_TRUE(zip.intact) << "an entry does not read back whole";
    for (const char* name : {"report.txt", "launcher.ini", "controls.ini", "logs/tlvr1-latest.log"}) {
        EXPECT_EQ(zip.entries.count(name), 1u) << name << " is missing";
    }
    for (const auto& [name, content] : zip.entries) {
        EXPECT_EQ(name.find(".bin"), std::string::npos) << "a ROM travelled: " << name;
        EXPECT_EQ(name.find(".exe"), std::string::npos) << "an executable travelled: " << name;
        EXPECT_EQ(content.find("stand-in ROM input"), std::string::npos) << name << " holds the ROM's bytes";
        EXPECT_EQ(content.find(profile), std::string::npos) << name << " shows the profile path";
        EXPECT_EQ(content.find(computer), std::string::npos) << name << " shows the computer's name";
    }
    EXPECT_EQ(zip.entries.at("logs/tlvr1-latest.log"),
              "loading %USERPROFILE%\\Games\\roms\\tlvr1.bin\nshader missing: crt.slangp\n"
              "on %COMPUTERNAME%: '%USERPROFILE%\\\\x.py'\n");
    const std::string& text = zip.entries.at("report.txt");
    for (const char* part : {"Version: 0.60", "Windows: ", "Wine: ", "Processor: ", "Memory: ", "Monitors: ",
                             "== Game controllers ==", "Game 1: ", "  Installed: yes", "Game 2: ", "  Installed: no",
                             "== Last game sessions ==", "Aspect: 21:9", "== Files in this report =="}) {
        EXPECT_NE(text.find(part), std::string::npos) << "report.txt lacks \"" << part << "\"\n" << text;
    }
}

TEST(ProblemReportRun, AReportKilledAtAnyMomentLeavesNoBrokenZipUnderAReportsName) {
    Installation installation;
    // Four logs just under the 2 MB a report takes, of text that compresses badly: a report
    // that takes long enough to be cut in many places.
    std::string log;
    unsigned seed = 12345;
    while (log.size() < 1900000) {
        seed = seed * 1103515245u + 12345u;
        log += static_cast<char>('!' + (seed >> 16) % 90);
        if (log.size() % 100 == 99) log += '\n';
    }
    for (const fs::path& file : {installation.local() / L"logs" / L"tlvr1-latest.log",
                                 installation.local() / L"logs" / L"tlvr2-latest.log",
                                 installation.local() / L"install-0.60.log",
                                 installation.local() / L"updates" / L"update.log"}) {
        WriteFileBytes(file, log);
    }
    const fs::path reports = installation.local() / L"reports";
    auto filesIn = [&reports] {
        size_t count = 0;
        std::error_code error;
        for (fs::directory_iterator it(reports, error), end; !error && it != end; it.increment(error)) ++count;
        return count;
    };
    // Ten runs, each killed at another moment after its report file appears (0 to 2 s later): the
    // first kills fall within the writing, the last ones after the report is whole.
    for (int run = 0; run < 10; ++run) {
        const size_t before = filesIn();
        Process report = StartLauncher(installation, L"--report");
        const auto start = std::chrono::steady_clock::now();
        while (filesIn() == before && report.Running() && std::chrono::steady_clock::now() - start < 60s) Sleep(1);
        Sleep(static_cast<DWORD>(run * run * 25));
        report.Kill();
    }
    int zips = 0, partials = 0;
    for (const auto& entry : fs::directory_iterator(reports)) {
        const std::wstring name = entry.path().filename().wstring();
        if (entry.path().extension() == L".zip") {
            ++zips;
            const ZipContents zip = ReadZipFile(entry.path());
            EXPECT_TRUE(zip.opened && zip.intact && zip.entries.count("report.txt") == 1)
                << Utf8(name) << " is a broken zip under a report's name";
        } else {
            ++partials;
        }
    }
    EXPECT_GE(partials, 1) << "no kill fell within a report's writing";
    std::printf("%d whole reports, %d cut short under a temporary name\n", zips, partials);

    // The next start removes what the kills left, and a dump cut short the same way.
    const fs::path cutDump = installation.local() / L"crashes" / L"launcher-20240101-000000.dmp.partial";
    WriteFileBytes(cutDump, "MDMP cut short");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    for (const auto& entry : fs::directory_iterator(reports)) {
        EXPECT_EQ(entry.path().extension(), L".zip") << Utf8(entry.path().filename().wstring()) << " was left";
    }
    EXPECT_FALSE(fs::exists(cutDump)) << "the dump cut short was left";
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
