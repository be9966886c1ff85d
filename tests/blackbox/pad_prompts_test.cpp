// The buttons of the controller in the player's hands, through the scripted pad ("--qa-pad"):
// the home hint shows a PlayStation pad's buttons once it is pressed and the key names again
// after a key; with the confirm/back swap on, the east button opens the focused window and the
// south one leaves it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kOptions = 208;

fs::path WriteScript(const Installation& installation, const std::string& lines) {
    const fs::path file = installation.root() / L"pad.txt";
    WriteFileBytes(file, lines);
    return file;
}

bool HasVisibleWindowOfClass(const Process& process, const wchar_t* className) {
    for (const Window& window : process.TopLevelWindows()) {
        if (window.className == className && IsWindowVisible(window.hwnd)) return true;
    }
    return false;
}

// The pixels of the home window's hint line (design canvas 40,118 to 420,152), copied from the
// screen.
std::vector<COLORREF> HintPixels(HWND home) {
    const RECT client = ClientRect(home);
    const float w = static_cast<float>(client.right), h = static_cast<float>(client.bottom);
    const float scale = std::min(w / 1280.0f, h / 800.0f);
    const int x0 = static_cast<int>(40 * scale + (w - 1280 * scale) / 2);
    const int y0 = static_cast<int>(118 * scale + (h - 800 * scale) / 2);
    const int width = static_cast<int>(380 * scale), height = static_cast<int>(34 * scale);
    POINT origin = {x0, y0};
    ClientToScreen(home, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A pixel near our PlayStation cross's colour (RGB 125,167,232), as anti-aliasing leaves it.
bool HasCrossColour(const std::vector<COLORREF>& pixels) {
    for (COLORREF p : pixels) {
        if (std::abs(GetRValue(p) - 125) < 24 && std::abs(GetGValue(p) - 167) < 24 && std::abs(GetBValue(p) - 232) < 24) {
            return true;
        }
    }
    return false;
}
}  // namespace

TEST(PadPrompts, APlayStationPadBringsItsButtonsAndAKeyTheKeyNames) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path script = WriteScript(installation, "family playstation\nwait 2500\ntap dpdown\n");
    Process launcher = StartLauncher(installation, L"--qa-pad " + Quote(script));
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    Sleep(1500);  // painted, the pad not yet pressed
    const std::vector<COLORREF> keys = HintPixels(home);
    EXPECT_FALSE(HasCrossColour(keys)) << "the hint shows a cross before any pad was pressed";

    EXPECT_TRUE(WaitUntil([&] { return HintPixels(home) != keys; }, 10s))
        << "the hint did not change when the PlayStation pad was pressed";
    Sleep(300);
    const std::vector<COLORREF> pad = HintPixels(home);
    EXPECT_TRUE(HasCrossColour(pad)) << "no cross (the button that confirms) in the hint after the pad";

    PressKey(home, VK_SHIFT);
    EXPECT_TRUE(WaitUntil([&] { return HintPixels(home) == keys; }, 5s))
        << "a key press did not bring the key names back";

    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(PadPrompts, WithTheSwapTheEastButtonOpensAndTheSouthOneLeaves) {
    Installation installation;
    installation.InstallStandInGame(1);
    WriteLauncherIni(installation, "swap_confirm_back=1\nbutton_prompts=auto\n");
    const fs::path script = WriteScript(installation,
                                        "wait 1500\n"
                                        "tap dpup\nwait 400\n"  // card 1 -> Options, the last control
                                        "tap a\nwait 1500\n"    // south: back, which does nothing at home
                                        "tap b\nwait 3000\n"    // east: confirm, opens Options
                                        "tap a\n");             // south: leaves it
    Process launcher = StartLauncher(installation, L"--qa-pad " + Quote(script));
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == ChildWithId(home, kOptions); }, 10s))
        << "d-pad up from the first card did not reach Options";
    Sleep(1000);
    EXPECT_FALSE(HasVisibleWindowOfClass(launcher, L"TLVROptions")) << "the south button confirmed with the swap on";
    EXPECT_TRUE(WaitUntil([&] { return HasVisibleWindowOfClass(launcher, L"TLVROptions"); }, 10s))
        << "the east button did not open Options with the swap on";
    EXPECT_TRUE(WaitUntil([&] { return !HasVisibleWindowOfClass(launcher, L"TLVROptions"); }, 10s))
        << "the south button did not leave Options with the swap on";
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
