// The capture run through the home window's timer: which window is photographed, and the exit
// code that says whether the picture was written.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

namespace {
constexpr unsigned kMargin = 0xFF101315;
constexpr unsigned kHeaderBand = 0xFF171A1C;
constexpr unsigned kDivider = 0xFF3E4241;
constexpr unsigned kWindowBackground = 0xFF1A1D1F;

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Where the client area's top-left corner lands in a whole-window capture. On Windows the
// picture has the frame; Wine's PrintWindow draws the client area alone at the top-left.
POINT ClientOrigin(DWORD style, DWORD exStyle) {
    if (RunningUnderWine()) return POINT{0, 0};
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return POINT{-frame.left, -frame.top};
}

SIZE OuterSizeForClient(int width, int height) {
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, FALSE, 0);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::optional<DWORD> RunCapture(const Installation& installation, const fs::path& file, const std::wstring& extra) {
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(file) + L" " + extra);
    return launcher.WaitForExit(kLaunchTimeout);
}

std::string Where(int x, int y) { return "at " + std::to_string(x) + "," + std::to_string(y); }
}  // namespace


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
    const POINT o = ClientOrigin(WS_POPUPWINDOW | WS_CAPTION, WS_EX_DLGMODALFRAME | WS_EX_NOACTIVATE);
    EXPECT_EQ(HexColour(image.Pixel(o.x + 10, o.y + 10)), HexColour(kWindowBackground)) << "dark background";
}

TEST(HomeCapture, PictureThatCannotBeWrittenEndsWithFour) {
    Installation installation;
    WriteFileBytes(installation.root() / L"blocked", "a file where a folder is needed");
    const fs::path picture = installation.root() / L"blocked" / L"home.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture));
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(4));
    EXPECT_FALSE(fs::exists(picture));
}

TEST(HomeCapture, HomeWindowAtDesignSizeShowsTheCanvasElementsWhereTheyBelong) {
    Installation installation;
    fs::remove(installation.root() / L"assets" / L"launcher" / L"masthead.png");  // plain header band
    const SIZE outer = OuterSizeForClient(1280, 800);
    const fs::path file = installation.root() / L"shots" / L"home.png";
    const std::optional<DWORD> exitCode = RunCapture(installation, file, L"--qa-size " + std::to_wstring(outer.cx) + L" " +
                                                                 std::to_wstring(outer.cy));
    ASSERT_EQ(exitCode, std::optional<DWORD>(0));
    PngImage png(file);
    ASSERT_TRUE(png.loaded()) << "no PNG written";
    EXPECT_EQ(png.width(), outer.cx);
    EXPECT_EQ(png.height(), outer.cy);
    const POINT o = ClientOrigin(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_NOACTIVATE);
    // Client 1280 x 800: design units are pixels.
    EXPECT_EQ(HexColour(png.Pixel(o.x + 860, o.y + 100)), HexColour(kHeaderBand)) << Where(860, 100);
    EXPECT_EQ(HexColour(png.Pixel(o.x + 600, o.y + 117)), HexColour(kDivider)) << "header rule";
    EXPECT_EQ(HexColour(png.Pixel(o.x + 924, o.y + 500)), HexColour(kDivider)) << "column rule";
    EXPECT_EQ(HexColour(png.Pixel(o.x + 20, o.y + 500)), HexColour(kMargin)) << "canvas outside the elements";
    // The title "TALVARO" is light ink somewhere in its box.
    bool ink = false;
    for (int x = 44; x < 300 && !ink; ++x) {
        const unsigned p = png.Pixel(o.x + x, o.y + 70);
        ink = ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200;
    }
    EXPECT_TRUE(ink) << "no title ink on row 70";
}

TEST(HomeCapture, WideClientLetterboxesWithTheMarginColour) {
    Installation installation;
    const SIZE outer = OuterSizeForClient(1900, 600);
    const fs::path file = installation.root() / L"wide.png";
    const std::optional<DWORD> exitCode = RunCapture(installation, file, L"--qa-size " + std::to_wstring(outer.cx) + L" " +
                                                                 std::to_wstring(outer.cy));
    ASSERT_EQ(exitCode, std::optional<DWORD>(0));
    PngImage png(file);
    ASSERT_TRUE(png.loaded());
    const POINT o = ClientOrigin(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_NOACTIVATE);
    // Scale 0.75: the canvas is 960 wide, centred, leaving 470 px on each side.
    for (int y : {10, 300, 590}) {
        EXPECT_EQ(HexColour(png.Pixel(o.x + 5, o.y + y)), HexColour(kMargin)) << Where(5, y);
        EXPECT_EQ(HexColour(png.Pixel(o.x + 465, o.y + y)), HexColour(kMargin)) << Where(465, y);
        EXPECT_EQ(HexColour(png.Pixel(o.x + 1435, o.y + y)), HexColour(kMargin)) << Where(1435, y);
    }
    // Inside the canvas: the header band's top row (masthead or band, never the margin).
    EXPECT_NE(HexColour(png.Pixel(o.x + 480, o.y + 2)), HexColour(kMargin));
}
