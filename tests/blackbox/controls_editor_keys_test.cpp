// The controls editor opened from the home window and driven with keys and clicks, the way a
// person would: key capture through the Launcher's message loop, refusals, Save, Esc, close box.
#include <gtest/gtest.h>

#include "controls_support.h"

using namespace bb;

namespace {
constexpr LPARAM kExtended = 1 << 24;
constexpr int kKeyButton = 800;
constexpr int kClearButton = 840;

LPARAM Scan(UINT scan) { return 1 | (static_cast<LPARAM>(scan) << 16); }

class ControlsEditorKeys : public ::testing::Test {
protected:
    void SetUp() override {
        launcher_ = StartLauncher(installation_);
        home_ = WaitForHome(launcher_);
        ASSERT_NE(home_, nullptr);
    }
    void TearDown() override {
        if (editor_ && IsWindow(editor_)) PostMessageW(editor_, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(editor_); }, 10s);
        PostMessageW(home_, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher_.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    }
    bool Open() {
        editor_ = OpenControlsEditorFrom(launcher_, home_);
        return editor_ != nullptr;
    }
    HWND Button(int id) { return ChildWithId(editor_, id); }
    // Starts a key capture on `row`, sends the key, and waits for the button to show `shown`.
    bool Capture(int row, UINT vk, LPARAM lParam, const std::wstring& shown) {
        ClickButton(Button(kKeyButton + row));
        if (!WaitUntil([&] { return WindowText(Button(kKeyButton + row)) == L"Press a key\u2026"; }, 5s)) return false;
        PostKeyDown(Button(kKeyButton + row), vk, lParam);
        return WaitUntil([&] { return WindowText(Button(kKeyButton + row)) == shown; }, 5s);
    }
    fs::path Profile() const { return installation_.local() / L"controls.ini"; }

    Installation installation_;
    Process launcher_;
    HWND home_ = nullptr;
    HWND editor_ = nullptr;
};
}  // namespace

TEST_F(ControlsEditorKeys, KeysAreCapturedThroughTheMessageLoopAndSaved) {
    ASSERT_TRUE(Open()) << "Controls opened no editor";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(home_); }, 5s));

    const std::wstring reserved = L"That key is reserved or not recognised. Choose another key. Esc cancels.";
    const std::wstring idle = L"Click a key or button to change it. Changes apply when a game starts.";
    for (const UINT key : {static_cast<UINT>(VK_TAB), static_cast<UINT>(VK_F5)}) {
        ClickButton(Button(kKeyButton + 4));
        ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 4)) == L"Press a key\u2026"; }, 5s));
        PostKeyDown(Button(kKeyButton + 4), key, Scan(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)));
        EXPECT_TRUE(WaitUntil([&] { return EditorStatus(editor_) == reserved; }, 5s)) << "key " << key;
        EXPECT_EQ(WindowText(Button(kKeyButton + 4)), L"Press a key\u2026") << "the capture must go on";
        PostKeyDown(Button(kKeyButton + 4), VK_ESCAPE, Scan(0x01));
        ASSERT_TRUE(WaitUntil([&] { return EditorStatus(editor_) == idle; }, 5s));
    }
    ClickButton(Button(kKeyButton + 4));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 4)) == L"Press a key\u2026"; }, 5s));
    PostKeyDown(Button(kKeyButton + 4), VK_SHIFT, Scan(0x36));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 4)) == L"Right Shift"; }, 5s))
        << "seen: " << Utf8(WindowText(Button(kKeyButton + 4)));

    EXPECT_TRUE(Capture(5, VK_SHIFT, Scan(0x2A), L"Left Shift"));
    EXPECT_TRUE(Capture(9, VK_RETURN, Scan(0x1C) | kExtended, L"Keypad Enter"));
    EXPECT_TRUE(Capture(8, 'X', Scan(0x2D), L"X"));

    // A key already held when the capture starts only repeats: nothing is taken until a new press.
    ClickButton(Button(kKeyButton + 7));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 7)) == L"Press a key\u2026"; }, 5s));
    for (int i = 0; i < 3; ++i) PostKeyDown(Button(kKeyButton + 7), 'T', Scan(0x14) | (1 << 30));
    Sleep(400);
    EXPECT_EQ(WindowText(Button(kKeyButton + 7)), L"Press a key\u2026");
    PostKeyDown(Button(kKeyButton + 7), 'T', Scan(0x14));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 7)) == L"T"; }, 5s));

    // Esc during a capture only ends it.
    ClickButton(Button(kKeyButton + 0));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton)) == L"Press a key\u2026"; }, 5s));
    PostKeyDown(Button(kKeyButton), VK_ESCAPE, Scan(0x01));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton)) == L"Up"; }, 5s));
    EXPECT_TRUE(IsWindow(editor_));

    // "Menu: up" may share Up with "Shift up", not with "Steer left".
    EXPECT_TRUE(Capture(6, VK_UP, Scan(0x48) | kExtended, L"Up"));
    EXPECT_TRUE(Capture(2, VK_UP, Scan(0x48) | kExtended, L"Up"));
    ClickButton(Button(IDOK));
    EXPECT_TRUE(WaitUntil([&] {
        return EditorStatus(editor_) ==
               L"The same key is assigned to \u201CMenu: up\u201D and \u201CSteer left\u201D. "
               L"Change or clear one of them before saving.";
    }, 5s)) << "seen: " << Utf8(EditorStatus(editor_));
    EXPECT_FALSE(fs::exists(Profile()));
    ClickButton(Button(kClearButton + 2));
    ClickButton(Button(IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor_); }, 10s)) << "Save did not close the editor";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home_) != FALSE; }, 5s));

    EXPECT_EQ(ReadControlsKey(Profile(), L"throttle_key"), 229);
    EXPECT_EQ(ReadControlsKey(Profile(), L"brake_key"), 225);
    EXPECT_EQ(ReadControlsKey(Profile(), L"start_key"), 88);
    EXPECT_EQ(ReadControlsKey(Profile(), L"aux_c_key"), 27);
    EXPECT_EQ(ReadControlsKey(Profile(), L"shift_down_key"), 23);
    EXPECT_EQ(ReadControlsKey(Profile(), L"shift_up_key"), 82);
    EXPECT_EQ(ReadControlsKey(Profile(), L"left_key"), 0);
    EXPECT_EQ(ReadControlsKey(Profile(), L"menu_up_key"), 82);
}

TEST_F(ControlsEditorKeys, EscAndTheCloseBoxDiscardEveryChange) {
    const std::string previous = "[controls]\r\nversion=1\r\ndeadzone=40\r\nleft_key=4\r\n";
    WriteFileBytes(Profile(), previous);
    ASSERT_TRUE(Open());
    EXPECT_EQ(WindowText(Button(kKeyButton + 2)), L"A");
    ClickButton(Button(kClearButton + 2));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 2)) == L"No key"; }, 5s));
    PostKeyDown(Button(kKeyButton + 4), VK_ESCAPE, Scan(0x01));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor_); }, 10s)) << "Esc did not close the editor";

    ASSERT_TRUE(Open());
    EXPECT_EQ(WindowText(Button(kKeyButton + 2)), L"A") << "the discarded change came back";
    ClickButton(Button(kClearButton + 2));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Button(kKeyButton + 2)) == L"No key"; }, 5s));
    PostMessageW(editor_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor_); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home_) != FALSE; }, 5s));
    EXPECT_EQ(ReadFileBytes(Profile()), previous);
}

// WINMM, which SDL needs, disabled: the Launcher starts and runs without controllers, its editor
// says why, and it closes normally instead of ending 0xC06D007E. Wine reads WINEDLLOVERRIDES from
// the Unix side when a process is made, so a child's Windows environment cannot set it:
// scripts/test_suites.sh runs this in a leg of its own with the override exported.
TEST(ControlsWithoutWinmm, TheLauncherRunsWithoutControllersAndTheEditorSaysWhy) {
    wchar_t leg[8] = {};
    if (GetEnvironmentVariableW(L"TLVR_TEST_NO_WINMM", leg, 8) == 0)
        GTEST_SKIP() << "runs in the leg of scripts/test_suites.sh that disables WINMM (WINEDLLOVERRIDES=winmm=d)";
    if (HMODULE winmm = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        FreeLibrary(winmm);
        FAIL() << "WINMM.DLL still loads in this leg: the override is not in effect";
    }
    Installation installation;
    Process launcher = StartLauncher(installation, L"");
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    Sleep(1500);  // past the idle timer that starts the controllers after the first paint
    ASSERT_TRUE(launcher.Running()) << "the Launcher ended when WINMM could not be loaded";
    HWND editor = OpenControlsEditorFrom(launcher, home);
    ASSERT_NE(editor, nullptr) << "Controls opened no editor";
    const std::wstring unavailable =
        L"Controllers are unavailable: Windows could not load WINMM.DLL or VERSION.DLL. Keys can still be changed.";
    EXPECT_TRUE(WaitUntil([&] { return EditorStatus(editor) == unavailable; }, 5s)) << Utf8(EditorStatus(editor));
    PostMessageW(editor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(editor); }, 10s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
