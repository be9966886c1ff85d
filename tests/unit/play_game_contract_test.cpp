// What a game receives: its command line, the eight variables and its settings.ini keys.
#include <gtest/gtest.h>

#include <map>

#include "play/game_launch.h"

namespace fs = std::filesystem;

namespace {
const fs::path kExe = L"C:\\Games\\Talvaro Ovra\\games\\tlvr1\\tlvr1.exe";
const fs::path kRom = L"C:\\Games\\Talvaro Ovra\\roms\\tlvr1.bin";
const fs::path kRoot = L"C:\\Games\\Talvaro Ovra";
const std::wstring kFixed =
    L"\"C:\\Games\\Talvaro Ovra\\games\\tlvr1\\tlvr1.exe\" \"C:\\Games\\Talvaro Ovra\\roms\\tlvr1.bin\""
    L" --no-launcher --pacing accurate";

std::map<std::wstring, std::optional<std::wstring>> AsMap(const GameEnvironment& environment) {
    return {environment.begin(), environment.end()};
}

LauncherSettings With(int aspect, int size, int filter, bool zoom, bool fullScreen = false) {
    LauncherSettings settings;
    settings.aspect = aspect;
    settings.size = size;
    settings.filter = filter;
    settings.zoom = zoom;
    settings.fullScreen = fullScreen;
    return settings;
}
}  // namespace

TEST(GameCommandLine, NormalRunHasOnlyTheFixedPart) {
    EXPECT_EQ(GameCommandLine(kExe, kRom, std::nullopt), kFixed);
}

TEST(GameCommandLine, LaunchRunAddsTurboFramesAndTheQuotedScript) {
    EXPECT_EQ(GameCommandLine(kExe, kRom, ReadLaunchRunAdditions(std::nullopt, std::nullopt)),
              kFixed + L" --turbo --max-frames 1500");
    EXPECT_EQ(GameCommandLine(kExe, kRom, ReadLaunchRunAdditions(std::wstring(L"240"), std::nullopt)),
              kFixed + L" --turbo --max-frames 240");
    EXPECT_EQ(GameCommandLine(kExe, kRom,
                              ReadLaunchRunAdditions(std::nullopt, std::wstring(L"D:\\qa\\lap one.txt"))),
              kFixed + L" --turbo --max-frames 1500 --input-script \"D:\\qa\\lap one.txt\"");
}

TEST(GameCommandLine, FramesReadLikeWtoiOnceTheVariableIsSet) {
    // Set but unreadable or empty reads as 0, not as the default.
    EXPECT_EQ(ReadLaunchRunAdditions(std::wstring(L"abc"), std::nullopt).frames, 0);
    EXPECT_EQ(ReadLaunchRunAdditions(std::wstring(L""), std::nullopt).frames, 0);
    EXPECT_EQ(ReadLaunchRunAdditions(std::wstring(L"  77 frames"), std::nullopt).frames, 77);
    EXPECT_EQ(ReadLaunchRunAdditions(std::wstring(L"-5"), std::nullopt).frames, -5);
    // An empty script variable is still set.
    const LaunchRunAdditions empty = ReadLaunchRunAdditions(std::nullopt, std::wstring());
    ASSERT_TRUE(empty.script.has_value());
    EXPECT_EQ(GameCommandLine(kExe, kRom, empty), kFixed + L" --turbo --max-frames 1500 --input-script \"\"");
}

TEST(GameEnvironment, AllEightVariablesInTheirOrder) {
    const GameEnvironment environment = GameEnvironmentFor(LauncherSettings{}, kRoot);
    const std::vector<std::wstring> expected = {
        L"TLVR_ASPECT",        L"TLVR_ORIGINAL",   L"QUENDAL_SCREEN",   L"RR_CONTROLS_PROFILE",
        L"TLVR_CONTROLS_FILE", L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT", L"RR_SHADER_PATH"};
    ASSERT_EQ(environment.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(environment[i].first, expected[i]) << i;

    // Defaults: 16:9, 1280 x 720, original pixels, zoom on.
    auto values = AsMap(environment);
    EXPECT_EQ(values[L"TLVR_ASPECT"], L"16:9");
    EXPECT_EQ(values[L"TLVR_ORIGINAL"], L"0");
    EXPECT_EQ(values[L"QUENDAL_SCREEN"], L"raw");
    EXPECT_EQ(values[L"RR_CONTROLS_PROFILE"], L"1");
    EXPECT_EQ(values[L"TLVR_CONTROLS_FILE"], L"C:\\Games\\Talvaro Ovra\\.local\\controls.ini");
    EXPECT_EQ(values[L"RR_OUTPUT_WIDTH"], L"1280");
    EXPECT_EQ(values[L"RR_OUTPUT_HEIGHT"], L"720");
    EXPECT_FALSE(values[L"RR_SHADER_PATH"].has_value()) << "no shader for original pixels: removed";
}

TEST(GameEnvironment, FiltersGiveTheirScreenModeAndShaderPreset) {
    auto linear = AsMap(GameEnvironmentFor(With(1, 1, 1, true), kRoot));
    EXPECT_EQ(linear[L"QUENDAL_SCREEN"], L"linear");
    EXPECT_FALSE(linear[L"RR_SHADER_PATH"].has_value());

    auto ambilight = AsMap(GameEnvironmentFor(With(1, 1, 3, true), kRoot));
    EXPECT_EQ(ambilight[L"QUENDAL_SCREEN"], L"raw");
    EXPECT_EQ(ambilight[L"RR_SHADER_PATH"],
              L"C:\\Games\\Talvaro Ovra\\assets\\shaders\\koko-aio\\Presets-ng\\Monitor-Ambilight-immersive.slangp");

    const std::pair<int, const wchar_t*> shaders[] = {{2, L"Monitor-Balanced.slangp"}, {4, L"Base.slangp"}};
    for (const auto& [filter, preset] : shaders) {
        auto values = AsMap(GameEnvironmentFor(With(0, 0, filter, true), kRoot));
        ASSERT_TRUE(values[L"RR_SHADER_PATH"].has_value()) << filter;
        EXPECT_EQ(fs::path(*values[L"RR_SHADER_PATH"]).filename(), preset) << filter;
        EXPECT_EQ(values[L"QUENDAL_SCREEN"], L"raw") << filter;
    }
    const std::pair<int, const wchar_t*> modes[] = {{5, L"crt"}, {6, L"trinitron"}, {7, L"composite"}};
    for (const auto& [filter, mode] : modes) {
        auto values = AsMap(GameEnvironmentFor(With(0, 0, filter, true), kRoot));
        EXPECT_EQ(values[L"QUENDAL_SCREEN"], mode) << filter;
        EXPECT_FALSE(values[L"RR_SHADER_PATH"].has_value()) << filter;
    }
}

TEST(GameEnvironment, ZoomOffAspectsAndEverySize) {
    EXPECT_EQ(AsMap(GameEnvironmentFor(With(1, 1, 0, false), kRoot))[L"TLVR_ORIGINAL"], L"1");
    const wchar_t* aspects[] = {L"4:3", L"16:9", L"21:9", L"32:9"};
    for (int aspect = 0; aspect < 4; ++aspect) {
        EXPECT_EQ(AsMap(GameEnvironmentFor(With(aspect, 1, 0, true), kRoot))[L"TLVR_ASPECT"], aspects[aspect]);
    }
    const std::pair<const wchar_t*, const wchar_t*> sizes[] = {
        {L"960", L"540"}, {L"1280", L"720"}, {L"1920", L"1080"}, {L"2560", L"1440"}, {L"3840", L"2160"}};
    for (int size = 0; size < 5; ++size) {
        auto values = AsMap(GameEnvironmentFor(With(1, size, 0, true), kRoot));
        EXPECT_EQ(values[L"RR_OUTPUT_WIDTH"], sizes[size].first) << size;
        EXPECT_EQ(values[L"RR_OUTPUT_HEIGHT"], sizes[size].second) << size;
    }
}

TEST(GameSettingsFile, ThreeKeysFollowFullScreenAndTheLinearFilter) {
    auto text = [](const std::vector<GameSettingsKey>& keys) {
        std::wstring out;
        for (const GameSettingsKey& k : keys) out += std::wstring(k.section) + L"." + k.key + L"=" + k.value + L";";
        return out;
    };
    EXPECT_EQ(text(GameSettingsKeysFor(With(1, 1, 0, true, false))),
              L"video.fullscreen=0;video.linear_filter=0;rewind.enabled=0;");
    EXPECT_EQ(text(GameSettingsKeysFor(With(1, 1, 1, true, true))),
              L"video.fullscreen=1;video.linear_filter=1;rewind.enabled=0;");
    // Only "Linear" is the linear filter: the shader and CRT looks are not.
    for (int filter : {0, 2, 3, 4, 5, 6, 7}) {
        EXPECT_STREQ(GameSettingsKeysFor(With(1, 1, filter, true))[1].value, L"0") << filter;
    }
}

TEST(GameLogFile, OneLatestLogPerGameUnderLocalLogs) {
    EXPECT_EQ(GameLogFile(kRoot, 0), kRoot / L".local" / L"logs" / L"tlvr1-latest.log");
    EXPECT_EQ(GameLogFile(kRoot, 1), kRoot / L".local" / L"logs" / L"tlvr2-latest.log");
}

TEST(EnvironmentVariables, SetEmptyAndMissingAreToldApart) {
    const wchar_t name[] = L"TLVR_UNIT_PROBE_VARIABLE";
    SetEnvironmentVariableW(name, nullptr);
    EXPECT_FALSE(ReadEnvironmentVariable(name).has_value());
    SetEnvironmentVariableW(name, L"");
    EXPECT_EQ(ReadEnvironmentVariable(name), std::optional<std::wstring>(L""));
    const std::wstring longValue(300, L'x');
    SetEnvironmentVariableW(name, longValue.c_str());
    EXPECT_EQ(ReadEnvironmentVariable(name), longValue);
    SetEnvironmentVariableW(name, nullptr);
}
