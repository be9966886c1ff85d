// The launch run end to end: the real Launcher starts our stand-in game unattended, and the
// test reads what the game received, the game's log, the launch-run record and the exit code.
#include <gtest/gtest.h>

#include <algorithm>

#include "play_support.h"

using namespace bb;

namespace {
struct LaunchRun {
    std::optional<DWORD> exitCode;
    std::map<std::string, std::string> record;  // what the stand-in saw
};

// Runs "--qa-launch n" with the stand-in writing its record into the installation.
LaunchRun RunLaunch(const Installation& installation, int game, std::map<std::wstring, std::wstring> env = {}) {
    const fs::path record = installation.root() / L"standin-record.txt";
    env[L"TLVR_STANDIN_RECORD"] = record.wstring();
    Process launcher = StartLauncher(installation, L"--qa-launch " + std::to_wstring(game), env);
    LaunchRun run;
    run.exitCode = launcher.WaitForExit(kLaunchTimeout);
    run.record = ReadRecord(record);
    return run;
}

std::string Text(const fs::path& path) { return Utf8(path.wstring()); }
}  // namespace

TEST(LaunchRun, RecordsTheGameExitCodeAndEndsWithIt) {
    Installation installation;
    installation.InstallStandInGame(1);
    const LaunchRun run = RunLaunch(installation, 1, {{L"TLVR_STANDIN_EXIT", L"3"}});
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(3));
    EXPECT_FALSE(run.record.empty()) << "the game was not started";
    EXPECT_EQ(ReadFileBytes(installation.local() / L"qa-launch-tlvr1.json"),
              R"({"game":1,"exit_code":3,"launched_by_native_ui":true})");
    EXPECT_FALSE(fs::exists(installation.local() / L"qa-launch-tlvr2.json"));
}

TEST(LaunchRun, AccessViolationOfGameTwoIsRecordedAsAnUnsignedCode) {
    Installation installation;
    installation.InstallStandInGame(2);
    // A stale record from an earlier run is replaced, not appended to.
    WriteFileBytes(installation.local() / L"qa-launch-tlvr2.json", std::string(300, ' '));
    const LaunchRun run = RunLaunch(installation, 2, {{L"TLVR_STANDIN_EXIT", L"0xC0000005"}});
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0xC0000005));
    EXPECT_EQ(ReadFileBytes(installation.local() / L"qa-launch-tlvr2.json"),
              R"({"game":2,"exit_code":3221225477,"launched_by_native_ui":true})");
}

namespace {
struct ContractCase {
    const char* name;
    std::string ini;                  // [launcher] lines
    std::map<std::wstring, std::wstring> env;  // TLVR_QA_FRAMES / TLVR_QA_SCRIPT
    std::string tail;                 // expected end of the command line after the fixed part
    std::map<std::string, std::string> expected;  // record keys and values
    std::vector<std::string> missing;             // variables the game must not see
};
}  // namespace

TEST(LaunchRun, GameReceivesTheContractForEachSetting) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path root = installation.root();
    const std::string controls = Text(root / L".local" / L"controls.ini");
    const std::string presets = Text(root / L"assets" / L"shaders" / L"koko-aio" / L"Presets-ng");
    const std::string script = Text(root / L"qa scripts" / L"lap.txt");

    const ContractCase cases[] = {
        {"defaults, no frames or script", "", {}, " --turbo --max-frames 1500",
         {{"env.TLVR_ASPECT", "16:9"}, {"env.TLVR_ORIGINAL", "0"}, {"env.QUENDAL_SCREEN", "raw"},
          {"env.RR_OUTPUT_WIDTH", "1280"}, {"env.RR_OUTPUT_HEIGHT", "720"},
          {"ini.video.fullscreen", "0"}, {"ini.video.linear_filter", "0"}},
         {"RR_SHADER_PATH"}},
        {"linear, full screen, frames and script", "filter=1\r\nfullscreen=1\r\nsize=0\r\naspect=0\r\n",
         {{L"TLVR_QA_FRAMES", L"240"}, {L"TLVR_QA_SCRIPT", (root / L"qa scripts" / L"lap.txt").wstring()}},
         " --turbo --max-frames 240 --input-script \"" + script + "\"",
         {{"env.TLVR_ASPECT", "4:3"}, {"env.QUENDAL_SCREEN", "linear"}, {"env.RR_OUTPUT_WIDTH", "960"},
          {"env.RR_OUTPUT_HEIGHT", "540"}, {"ini.video.fullscreen", "1"}, {"ini.video.linear_filter", "1"}},
         {"RR_SHADER_PATH"}},
        {"koko-aio ambilight, zoom off, unreadable frames", "filter=3\r\nzoom=0\r\nsize=2\r\naspect=2\r\n",
         {{L"TLVR_QA_FRAMES", L"lots"}}, " --turbo --max-frames 0",
         {{"env.TLVR_ASPECT", "21:9"}, {"env.TLVR_ORIGINAL", "1"}, {"env.QUENDAL_SCREEN", "raw"},
          {"env.RR_SHADER_PATH", presets + "\\Monitor-Ambilight-immersive.slangp"},
          {"env.RR_OUTPUT_WIDTH", "1920"}, {"env.RR_OUTPUT_HEIGHT", "1080"}, {"ini.video.linear_filter", "0"}},
         {}},
        {"trinitron, 2560 x 1440, 32:9", "filter=6\r\nsize=3\r\naspect=3\r\n", {}, " --turbo --max-frames 1500",
         {{"env.TLVR_ASPECT", "32:9"}, {"env.QUENDAL_SCREEN", "trinitron"}, {"env.RR_OUTPUT_WIDTH", "2560"},
          {"env.RR_OUTPUT_HEIGHT", "1440"}},
         {"RR_SHADER_PATH"}},
        {"classic CRT preset, 3840 x 2160", "filter=4\r\nsize=4\r\n", {{L"TLVR_QA_FRAMES", L"12"}},
         " --turbo --max-frames 12",
         {{"env.QUENDAL_SCREEN", "raw"}, {"env.RR_SHADER_PATH", presets + "\\Base.slangp"},
          {"env.RR_OUTPUT_WIDTH", "3840"}, {"env.RR_OUTPUT_HEIGHT", "2160"}},
         {}},
    };

    const fs::path gameFolder = root / L"games" / L"tlvr1";
    const std::string fixed = "\"" + Text(gameFolder / L"tlvr1.exe") + "\" \"" + Text(root / L"roms" / L"tlvr1.bin") +
                              "\" --no-launcher --pacing accurate";
    for (const ContractCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLauncherIni(installation, c.ini);
        const LaunchRun run = RunLaunch(installation, 1, c.env);
        ASSERT_EQ(run.exitCode, std::optional<DWORD>(0));
        ASSERT_FALSE(run.record.empty()) << "the game was not started";
        std::map<std::string, std::string> record = run.record;
        EXPECT_EQ(record["commandline"], fixed + c.tail);
        EXPECT_EQ(record["cwd"], Text(gameFolder));
        EXPECT_EQ(record["stdin"], "eof") << "standard input must read from NUL";
        EXPECT_EQ(record["env.RR_CONTROLS_PROFILE"], "1");
        EXPECT_EQ(record["env.TLVR_CONTROLS_FILE"], controls);
        EXPECT_EQ(record["ini.rewind.enabled"], "0");
        for (const auto& [key, value] : c.expected) EXPECT_EQ(record[key], value) << key;
        for (const std::string& name : c.missing) {
            EXPECT_EQ(record.count("env." + name), 0u) << name << " reached the game: " << record["env." + name];
        }
        // Every variable not listed as missing reached the game.
        for (const wchar_t* name : kGameVariableNames) {
            const std::string key = Utf8(name);
            if (std::find(c.missing.begin(), c.missing.end(), key) == c.missing.end()) {
                EXPECT_EQ(record.count("env." + key), 1u) << key << " did not reach the game";
            }
        }
        // A launch run never writes the launcher settings.
        EXPECT_EQ(ReadFileBytes(installation.local() / L"launcher.ini"), "[launcher]\r\n" + c.ini);
    }
}

TEST(LaunchRun, LogHoldsBothOutputStreamsAndOtherSettingsKeysSurvive) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path log = installation.local() / L"logs" / L"tlvr1-latest.log";
    WriteFileBytes(log, "output of an earlier start that must not survive\n");
    const fs::path settings = installation.root() / L"games" / L"tlvr1" / L"settings.ini";
    WriteFileBytes(settings, "[video]\r\nscale=3\r\nfullscreen=1\r\n[audio]\r\nvolume=7\r\n");

    const LaunchRun run = RunLaunch(installation, 1);
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(ReadFileBytes(log),
              "stand-in game: line on standard output\nstand-in game: line on standard error\n");
    const auto read = [&](const wchar_t* section, const wchar_t* key) {
        wchar_t buffer[64] = {};
        GetPrivateProfileStringW(section, key, L"(none)", buffer, 64, settings.c_str());
        return std::wstring(buffer);
    };
    EXPECT_EQ(read(L"video", L"scale"), L"3");
    EXPECT_EQ(read(L"audio", L"volume"), L"7");
    EXPECT_EQ(read(L"video", L"fullscreen"), L"0");
    EXPECT_EQ(read(L"video", L"linear_filter"), L"0");
    EXPECT_EQ(read(L"rewind", L"enabled"), L"0");
}

TEST(LaunchRun, GameNotInstalledEndsWithFiveAndWritesNoRecord) {
    Installation installation;
    // The executable without a ROM input is not installed.
    fs::create_directories(installation.root() / L"games" / L"tlvr1");
    fs::copy_file(BinFolder() / L"tlvr_standin_game.exe", installation.root() / L"games" / L"tlvr1" / L"tlvr1.exe");
    Process launcher = StartLauncher(installation, L"--qa-launch 1",
                                     {{L"TLVR_STANDIN_RECORD", (installation.root() / L"record.txt").wstring()}});
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(5));
    EXPECT_FALSE(fs::exists(installation.local() / L"qa-launch-tlvr1.json"));
    EXPECT_FALSE(fs::exists(installation.root() / L"record.txt")) << "the game ran";
}

TEST(LaunchRun, GameThatCannotStartEndsWithSixAndLeavesAnEmptyLog) {
    Installation installation;
    installation.InstallStandInGame(1);
    // Not a program: CreateProcessW refuses it.
    WriteFileBytes(installation.root() / L"games" / L"tlvr1" / L"tlvr1.exe", "this is not an executable\n");
    const fs::path log = installation.local() / L"logs" / L"tlvr1-latest.log";
    WriteFileBytes(log, "old output\n");
    Process launcher = StartLauncher(installation, L"--qa-launch 1");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(6));
    EXPECT_FALSE(fs::exists(installation.local() / L"qa-launch-tlvr1.json"));
    ASSERT_TRUE(fs::exists(log));
    EXPECT_EQ(fs::file_size(log), 0u) << "a failed start leaves the log empty";
}

TEST(LaunchRun, LogsFolderThatCannotBeCreatedStopsTheStart) {
    Installation installation;
    installation.InstallStandInGame(1);
    WriteFileBytes(installation.local() / L"logs", "a file where the logs folder belongs");
    const fs::path record = installation.root() / L"record.txt";
    Process launcher = StartLauncher(installation, L"--qa-launch 1", {{L"TLVR_STANDIN_RECORD", record.wstring()}});
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(6));
    EXPECT_FALSE(fs::exists(record)) << "the game was started without its log";
}

TEST(LaunchRun, VariablesStaySetInTheLauncherWhileItsGameRuns) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path record = installation.root() / L"record.txt";
    const fs::path release = installation.root() / L"release.txt";
    Process launcher = StartLauncher(installation, L"--qa-launch 1",
                                     {{L"TLVR_STANDIN_RECORD", record.wstring()},
                                      {L"TLVR_STANDIN_WAIT_FILE", release.wstring()}});
    const bool started = WaitUntil([&] { return fs::exists(record); }, kLaunchTimeout);
    std::optional<std::map<std::wstring, std::wstring>> environment;
    if (started) environment = EnvironmentOf(launcher);
    WriteFileBytes(release, "7");
    ASSERT_TRUE(started) << "the game was not started";
    ASSERT_TRUE(environment.has_value()) << "the launcher's environment could not be read";
    for (const wchar_t* name : {L"TLVR_ASPECT", L"TLVR_ORIGINAL", L"QUENDAL_SCREEN", L"RR_CONTROLS_PROFILE",
                                L"TLVR_CONTROLS_FILE", L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT"}) {
        EXPECT_EQ(environment->count(name), 1u) << Utf8(name) << " was removed in a launch run";
    }
    EXPECT_EQ((*environment)[L"RR_OUTPUT_WIDTH"], L"1280");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(7));
    EXPECT_EQ(ReadFileBytes(installation.local() / L"qa-launch-tlvr1.json"),
              R"({"game":1,"exit_code":7,"launched_by_native_ui":true})");
}

TEST(LaunchRun, DemoGameOpensItsWindowAndEndsWithZeroWhenClosed) {
    Installation installation;
    installation.InstallStandInGame(1, BinFolder() / L"tlvr_demo_game.exe");
    Process launcher = StartLauncher(installation, L"--qa-launch 1");
    HWND game = nullptr;
    const bool shown = WaitUntil([&] {
        game = FindWindowW(L"TlvrDemoGame", L"Talvaro Ovra demo game");
        return game != nullptr && IsWindowVisible(game);
    }, kLaunchTimeout);
    ASSERT_TRUE(shown) << "the demo game showed no window";
    EXPECT_TRUE(launcher.Running()) << "the launch run ended while its game was open";
    PostMessageW(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFileBytes(installation.local() / L"qa-launch-tlvr1.json"),
              R"({"game":1,"exit_code":0,"launched_by_native_ui":true})");
    EXPECT_EQ(ReadFileBytes(installation.local() / L"logs" / L"tlvr1-latest.log"), "demo game: started\n");
}
