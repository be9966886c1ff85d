// The capture run through the home window's timer: which window is photographed, and the exit
// code that says whether the picture was written.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

TEST(HomeCapture, MainPagePhotographsTheHomeWindowAndEndsWithZero) {
    Installation installation;
    const fs::path picture = installation.root() / L"new folder" / L"home.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture) + L" --qa-size 1000 700");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    const PngImage image(picture);
    ASSERT_TRUE(image.loaded()) << "no picture was written";
    EXPECT_EQ(image.width(), 1000);
    EXPECT_EQ(image.height(), 700);
}

TEST(HomeCapture, VideoPagePhotographsTheVideoWindow) {
    Installation installation;
    const fs::path picture = installation.root() / L"video.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture) + L" --qa-page video");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    const PngImage image(picture);
    ASSERT_TRUE(image.loaded()) << "no picture was written";
    // The video window's outer size at this display's scale, not the home window's.
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const float dpiScale = static_cast<float>(GetDpiForSystem()) / 96.0f;
    const float fit = static_cast<float>(work.bottom - work.top) / 540.0f;
    const float scale = fit < dpiScale ? fit : dpiScale;
    EXPECT_EQ(image.width(), static_cast<int>(510 * scale));
    EXPECT_EQ(image.height(), static_cast<int>(540 * scale));
}

TEST(HomeCapture, PictureThatCannotBeWrittenEndsWithFour) {
    Installation installation;
    WriteFileBytes(installation.root() / L"blocked", "a file where a folder is needed");
    const fs::path picture = installation.root() / L"blocked" / L"home.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture));
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(4));
    EXPECT_FALSE(fs::exists(picture));
}
