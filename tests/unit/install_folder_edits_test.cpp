// The installer's three folder edits: folders dropped onto the window, with drops built here as
// Explorer builds them (a DROPFILES block in global memory) and sent to the window in this
// process, and folder-name completion.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "install/folder_completion.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "launcher_windows_fixture.h"
#include "standin_powershell.h"

namespace fs = std::filesystem;

namespace {
// One dropped path at a point of the window's client area.
HDROP MakeDrop(const std::wstring& path, POINT point) {
    const size_t chars = path.size() + 2;  // the path's terminator and the list's
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

POINT CentreOf(HWND installer, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(installer, id), &r);
    MapWindowPoints(nullptr, installer, reinterpret_cast<POINT*>(&r), 2);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::wstring Text(HWND installer, int id) { return WindowText(GetDlgItem(installer, id)); }

class InstallerDrop : public LauncherWindows {};
}  // namespace

TEST_F(InstallerDrop, DroppedFoldersFillTheEditUnderThemOrTheFirstEmptyRomEdit) {
    const fs::path romsA = root_.path() / L"roms A";
    const fs::path romsB = root_.path() / L"roms B";
    const fs::path parent = root_.path() / L"games here";
    WriteFileBytes(romsB / L"kastri.bin", "rom");
    fs::create_directories(romsA);
    fs::create_directories(parent);
    OpenInstallerWindow(Home());
    HWND installer = InstallerWindow();
    ASSERT_NE(installer, nullptr);
    const std::wstring defaultDestination = Text(installer, kDestinationEditId);
    const POINT elsewhere = CentreOf(installer, kLogBoxId);

    struct Case {
        const char* what;
        fs::path dropped;
        POINT at;
        const wchar_t* rom1;
        const wchar_t* rom2;
        std::wstring destination;
    };
    const std::wstring a = romsA.wstring(), b = romsB.wstring();
    const Case cases[] = {
        {"a folder on ROM edit 2", romsA, CentreOf(installer, kRomEdit2Id), L"", a.c_str(), defaultDestination},
        {"a file elsewhere: its folder, into the first empty ROM edit", romsB / L"kastri.bin", elsewhere, b.c_str(),
         a.c_str(), defaultDestination},
        {"a folder elsewhere with both ROM edits filled: nothing", parent, elsewhere, b.c_str(), a.c_str(),
         defaultDestination},
        {"a folder on the installation folder: the new folder inside it, as Browse... gives", parent,
         CentreOf(installer, kDestinationEditId), b.c_str(), a.c_str(), (parent / L"TalvaroOvraRecomp").wstring()},
        {"a folder on a filled ROM edit replaces it", romsA, CentreOf(installer, kRomEdit1Id), a.c_str(), a.c_str(),
         (parent / L"TalvaroOvraRecomp").wstring()},
    };
    for (const Case& c : cases) {
        SendMessageW(installer, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.dropped.wstring(), c.at)), 0);
        EXPECT_EQ(Text(installer, kRomEdit1Id), c.rom1) << c.what;
        EXPECT_EQ(Text(installer, kRomEdit2Id), c.rom2) << c.what;
        EXPECT_EQ(Text(installer, kDestinationEditId), c.destination) << c.what;
    }
    EXPECT_NE(GetWindowLongPtrW(installer, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "Explorer would not drop here";

    // While a run is active nothing is dropped.
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "the run needs the PowerShell stand-in, placed in a Wine prefix only";
    WriteStandInScript(root_.path(), "wait-file {Root}\\never\n");
    CreateDirectoryW((root_.path() / L".local").c_str(), nullptr);
    SetWindowTextW(GetDlgItem(installer, kRomEdit2Id), L"");
    Command(installer, kInstallButtonId);
    ASSERT_TRUE(IsInstallationRunActive()) << Text(installer, kLogBoxId);
    SendMessageW(installer, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(romsB.wstring(), CentreOf(installer, kRomEdit2Id))), 0);
    EXPECT_EQ(Text(installer, kRomEdit2Id), L"") << "a drop during the run changed an edit";
    Command(installer, kCloseButtonId);  // stops the run
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (IsInstallationRunActive() && std::chrono::steady_clock::now() < end) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_FALSE(IsInstallationRunActive()) << "the stopped run never ended";
}

namespace {
std::vector<std::pair<HWND, DWORD>> g_completions;
HRESULT WINAPI RecordCompletion(HWND edit, DWORD flags) {
    g_completions.emplace_back(edit, flags);
    return S_OK;
}

class InstallerCompletion : public LauncherWindows {
protected:
    void TearDown() override {
        LauncherWindows::TearDown();
        SetAutoCompleteSwitch(nullptr);
    }
};
}  // namespace

// Wine's SHAutoComplete answers S_FALSE and leaves the edit as it was, so what is asked is
// recorded through the seam.
TEST_F(InstallerCompletion, TheThreeFolderEditsAndNothingElseCompleteFileSystemFolders) {
    g_completions.clear();
    SetAutoCompleteSwitch(RecordCompletion);
    OpenInstallerWindow(Home());
    HWND installer = InstallerWindow();
    ASSERT_NE(installer, nullptr);
    ASSERT_EQ(g_completions.size(), 3u);
    const int ids[] = {kRomEdit1Id, kRomEdit2Id, kDestinationEditId};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(g_completions[i].first, GetDlgItem(installer, ids[i])) << "edit " << i;
        EXPECT_EQ(g_completions[i].second, static_cast<DWORD>(SHACF_FILESYS_DIRS)) << "edit " << i;
    }
}
