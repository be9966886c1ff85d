// An installation on a drive that has just filled up: saving the controls, saving a video
// setting, closing the Launcher and starting a game leave every file as it was, and the failed
// controls save says so. scripts/test.sh maps a small file system of its own as the drive named
// by TLVR_TEST_FULL_DRIVE; without one the test is skipped with the reason.
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls_support.h"

using namespace bb;

namespace {
constexpr int kVideoCommand = 201;
constexpr int kAspectList = 1;
constexpr int kThrottleClear = 844;
constexpr wchar_t kVideoClass[] = L"TLVRSettings";
constexpr wchar_t kCouldNotSave[] = L"Could not save. Check that the .local folder is writable and try again.";

// Takes every free byte of the drive into one file; the drive is free again once it is gone.
class DriveFiller {
public:
    explicit DriveFiller(const fs::path& file) : file_(file) {
        const HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return;
        const std::string chunk(1 << 20, 'f');
        for (DWORD size = static_cast<DWORD>(chunk.size()); size > 0; size /= 16) {
            DWORD written = 0;
            while (WriteFile(out, chunk.data(), size, &written, nullptr) && written == size) {
            }
        }
        CloseHandle(out);
    }
    ~DriveFiller() { DeleteFileW(file_.c_str()); }
    DriveFiller(const DriveFiller&) = delete;
    DriveFiller& operator=(const DriveFiller&) = delete;

private:
    fs::path file_;
};

// True when not even one byte fits into a new file there.
bool DriveIsFull(const fs::path& folder) {
    const fs::path probe = folder / L"probe.bin";
    const HANDLE out = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return true;
    DWORD written = 0;
    const std::string page(4096, 'p');
    const bool took = WriteFile(out, page.data(), 4096, &written, nullptr) && written > 0 && FlushFileBuffers(out);
    CloseHandle(out);
    DeleteFileW(probe.c_str());
    return !took;
}

// Every file of the installation with its bytes, the game logs aside (each start replaces them).
std::map<fs::path, std::string> Snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path relative = fs::relative(entry.path(), root);
        const bool gameLog = *relative.begin() == L".local" && relative.parent_path().filename() == L"logs";
        if (entry.is_regular_file() && !gameLog) files[relative] = ReadFileBytes(entry.path());
    }
    return files;
}

// `head`, a long filler line, then `tail`: 4090 bytes, so that the file fills most of one 4 KiB
// block and a rewrite that adds keys needs a block the full drive no longer has.
std::string NearlyOneBlock(const std::string& head, const std::string& tail) {
    const std::string opening = head + "notes=";
    return opening + std::string(4090 - opening.size() - 2 - tail.size(), 'n') + "\r\n" + tail;
}

HWND ButtonLabelled(HWND window, const std::wstring& label) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Button" && WindowText(child) == label) return child;
    }
    return nullptr;
}
}  // namespace

TEST(FullDisk, SavesAndAGameStartOnAFullDriveLeaveEveryFileAsItWas) {
    const wchar_t* drive = _wgetenv(L"TLVR_TEST_FULL_DRIVE");
    if (!drive || !*drive) {
        const wchar_t* reason = _wgetenv(L"TLVR_TEST_FULL_DRIVE_SKIP");
        GTEST_SKIP() << (reason ? Utf8(reason) : std::string("no small drive to fill: run through scripts/test.sh"));
    }
    const fs::path driveRoot = fs::path(std::wstring(drive) + L"\\");
    Installation::Options options;
    options.base = driveRoot;
    Installation installation(options);
    installation.InstallStandInGame(1);
    const fs::path gameSettings = installation.root() / L"games" / L"tlvr1" / L"settings.ini";
    const fs::path record = installation.local() / L"qa-launch-tlvr1.json";
    WriteFileBytes(installation.local() / L"controls.ini", "[controls]\r\nversion=1\r\ndeadzone=30\r\nthrottle_key=27\r\n");
    // Both lack keys the Launcher writes, and keys the Launcher does not write come after them.
    WriteFileBytes(installation.local() / L"launcher.ini",
                   NearlyOneBlock("[launcher]\r\ngame=0\r\naspect=1\r\nsize=1\r\nfilter=0\r\nzoom=1\r\npad_navigation=1\r\n"
                                  "[window]\r\n",
                                  "left=40\r\n"));
    WriteFileBytes(gameSettings, NearlyOneBlock("[video]\r\nfullscreen=1\r\n[player]\r\n", "name=Ana\r\n"));
    WriteFileBytes(record, R"({"game":1,"exit_code":0,"launched_by_native_ui":true})");
    const auto before = Snapshot(installation.root());
    TempFolder elsewhere(L"tlvr-full-disk");
    const std::map<std::wstring, std::wstring> gameEnv = {
        {L"TLVR_STANDIN_RECORD", (elsewhere.path() / L"game.txt").wstring()}, {L"TLVR_STANDIN_EXIT", L"3"}};

    {
        DriveFiller filler(driveRoot / (L"filler-" + std::to_wstring(GetCurrentProcessId()) + L".bin"));
        ASSERT_TRUE(DriveIsFull(installation.root())) << "the drive still takes data";

        Process launcher = StartLauncher(installation);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);

        ClickButton(ChildWithId(home, kVideoCommand));
        const auto video = launcher.FindWindowOfClass(kVideoClass, 10s);
        ASSERT_TRUE(video) << "Video & CRT opened no window";
        SendMessageW(ChildWithId(video->hwnd, kAspectList), CB_SETCURSEL, 3, 0);
        ClickButton(ButtonLabelled(video->hwnd, L"Save"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(video->hwnd); }, 10s)) << "Save did not close the video window";

        HWND editor = OpenControlsEditorFrom(launcher, home);
        ASSERT_NE(editor, nullptr) << "Controls opened no editor";
        ClickButton(ChildWithId(editor, kThrottleClear));
        ClickButton(ChildWithId(editor, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return EditorStatus(editor) == kCouldNotSave; }, 10s))
            << "status: " << Utf8(EditorStatus(editor));
        EXPECT_TRUE(IsWindow(editor)) << "the editor closed as if it had saved";
        ClickButton(ChildWithId(editor, IDCANCEL));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }, 10s));

        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));

        Process run = StartLauncher(installation, L"--qa-launch 1", gameEnv);
        EXPECT_EQ(run.WaitForExit(kLaunchTimeout), std::optional<DWORD>(3)) << "the game did not run to its end";
        EXPECT_FALSE(ReadRecord(elsewhere.path() / L"game.txt").empty()) << "the game did not start";

        const auto after = Snapshot(installation.root());
        for (const auto& [file, bytes] : before) {
            const auto now = after.find(file);
            if (now == after.end()) {
                ADD_FAILURE() << Utf8(file.wstring()) << " is gone";
            } else {
                EXPECT_EQ(now->second, bytes) << Utf8(file.wstring()) << " changed (" << bytes.size() << " bytes, now "
                                              << now->second.size() << ")";
            }
        }
        for (const auto& [file, bytes] : after) {
            EXPECT_TRUE(before.count(file)) << "left behind: " << Utf8(file.wstring()) << " (" << bytes.size() << " bytes)";
        }
    }

    // With room again, the same saves go through and keep the keys the Launcher does not write.
    Process run = StartLauncher(installation, L"--qa-launch 1", gameEnv);
    EXPECT_EQ(run.WaitForExit(kLaunchTimeout), std::optional<DWORD>(3));
    EXPECT_EQ(ReadFileBytes(record), R"({"game":1,"exit_code":3,"launched_by_native_ui":true})");
    EXPECT_EQ(GetPrivateProfileIntW(L"video", L"fullscreen", -1, gameSettings.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"rewind", L"enabled", -1, gameSettings.c_str()), 0u);
    wchar_t name[16] = {};
    GetPrivateProfileStringW(L"player", L"name", L"", name, 16, gameSettings.c_str());
    EXPECT_STREQ(name, L"Ana");
}
