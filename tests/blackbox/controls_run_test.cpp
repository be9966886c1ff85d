// The controls capture run ("--qa-controls") and the capture page "controls": exit codes, the
// profile they leave and the pictures they write.
#include <gtest/gtest.h>

#include "controls_support.h"

using namespace bb;

namespace {
constexpr unsigned kEditorBackground = 0xFF1A1D1F;

std::optional<DWORD> RunLauncher(const Installation& installation, const std::wstring& arguments,
                                 const std::map<std::wstring, std::wstring>& env = {}) {
    Process launcher = StartLauncher(installation, arguments, env);
    const std::optional<DWORD> code = launcher.WaitForExit(60s);
    if (!code) launcher.Kill();
    return code;
}
}  // namespace

TEST(ControlsRun, CheckRunPassesAndLeavesTheProfileAndThePicture) {
    Installation installation;
    const fs::path folder = installation.root() / L"qa";
    fs::create_directories(folder);
    const fs::path picture = folder / L"editor.png";
    ASSERT_EQ(RunLauncher(installation, L"--qa-controls " + Quote(picture)), std::optional<DWORD>(0));

    const fs::path profile = folder / L"controls-qa.ini";
    ASSERT_TRUE(fs::exists(profile));
    // The run saved the defaults last; its cancelled change (T on "Shift down") is not there.
    EXPECT_EQ(ReadControlsKey(profile, L"version"), 1);
    EXPECT_EQ(ReadControlsKey(profile, L"shift_up_key"), 8);
    EXPECT_EQ(ReadControlsKey(profile, L"shift_down_key"), 20);
    EXPECT_EQ(ReadControlsKey(profile, L"shift_down_code"), 9);
    EXPECT_FALSE(fs::exists(installation.local() / L"controls.ini")) << "the user's profile was touched";

    const PngImage image(picture);
    ASSERT_TRUE(image.loaded()) << "no picture of the editor";
    // The client area of the 850 x 820 window (96 DPI): a little smaller than the window.
    EXPECT_GT(image.width(), 800);
    EXPECT_LT(image.width(), 850);
    EXPECT_GT(image.height(), 740);
    EXPECT_LT(image.height(), 820);
    EXPECT_EQ(HexColour(image.Pixel(4, 4)), HexColour(kEditorBackground));

    // The check run's size override applies to the picture.
    const fs::path larger = folder / L"larger.png";
    ASSERT_EQ(RunLauncher(installation, L"--qa-controls " + Quote(larger), {{L"TLVR_QA_EDITOR_SIZE", L"1000x700"}}),
              std::optional<DWORD>(0));
    const PngImage big(larger);
    ASSERT_TRUE(big.loaded());
    EXPECT_GT(big.width(), 950);
    EXPECT_LE(big.width(), 1000);
    EXPECT_GT(big.height(), 620);
    EXPECT_LE(big.height(), 700);
}

TEST(ControlsRun, AProfileThatCannotBeWrittenEndsWithTheFailedStep) {
    Installation installation;
    // No folder for the profile: the first save (step 4) fails and the run says so with 3.
    const fs::path missing = installation.root() / L"absent" / L"editor.png";
    EXPECT_EQ(RunLauncher(installation, L"--qa-controls " + Quote(missing)), std::optional<DWORD>(3));
    EXPECT_FALSE(fs::exists(installation.root() / L"absent"));

    // A folder whose temporary profile cannot be written: the same step fails.
    const fs::path folder = installation.root() / L"blocked";
    fs::create_directories(folder / L"controls-qa.ini.tmp");
    EXPECT_EQ(RunLauncher(installation, L"--qa-controls " + Quote(folder / L"editor.png")), std::optional<DWORD>(3));
    EXPECT_FALSE(fs::exists(folder / L"controls-qa.ini"));
}

TEST(ControlsCapturePage, PhotographsTheEditorAndWritesNoProfile) {
    Installation installation;
    const fs::path picture = installation.root() / L"shots" / L"controls.png";
    ASSERT_EQ(RunLauncher(installation, L"--qa-capture " + Quote(picture) + L" --qa-page controls"),
              std::optional<DWORD>(0));
    const PngImage image(picture);
    ASSERT_TRUE(image.loaded());
    // The editor's outer size at 96 DPI, not the home window's 1300 x 850.
    EXPECT_EQ(image.width(), 850);
    EXPECT_EQ(image.height(), 820);
    EXPECT_FALSE(fs::exists(installation.local() / L"controls-qa.ini"));
    EXPECT_FALSE(fs::exists(installation.local() / L"controls.ini"));
}
