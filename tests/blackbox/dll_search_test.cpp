// DLLs beside the Launcher are never loaded into it: our marking DLL, planted under every name
// the controller library loads at run time, leaves no mark when the controls editor starts it.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

namespace {
// The names SDL 2.32 (as 2.26 before it) passes to LoadLibrary when its game-controller and HID
// code starts (core/windows/SDL_xinput.c, core/windows/SDL_hid.c, hidapi/windows/hid.c,
// joystick/windows/SDL_windowsjoystick.c); its combase.dll it loads from System32 only.
constexpr const wchar_t* kRunTimeDllNames[] = {
    L"XInput1_4.dll", L"XInput1_3.dll", L"bin\\XInput1_3.dll", L"XInput9_1_0.dll", L"hid.dll", L"cfgmgr32.dll",
};

std::vector<fs::path> MarksUnder(const fs::path& folder) {
    std::vector<fs::path> marks;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == L".loaded") marks.push_back(entry.path());
    }
    return marks;
}
}  // namespace

TEST(DllSearch, DllsBesideTheLauncherAreNotLoadedWhenTheControllerLibraryStarts) {
    const fs::path markDll = BinFolder() / L"tlvr_mark_dll.dll";
    ASSERT_TRUE(fs::exists(markDll)) << "the marking DLL was not built";
    Installation installation;
    const fs::path folder = installation.launcher().parent_path();
    for (const wchar_t* name : kRunTimeDllNames) {
        fs::create_directories((folder / name).parent_path());
        fs::copy_file(markDll, folder / name, fs::copy_options::overwrite_existing);
    }
    {
        // The marking works: a load by full path leaves its mark.
        const fs::path probe = installation.root() / L"probe" / L"mark-probe.dll";
        fs::create_directories(probe.parent_path());
        fs::copy_file(markDll, probe);
        HMODULE loaded = LoadLibraryW(probe.c_str());
        ASSERT_NE(loaded, nullptr);
        FreeLibrary(loaded);
        ASSERT_TRUE(fs::exists(fs::path(probe.wstring() + L".loaded"))) << "the marking DLL leaves no mark";
        fs::remove_all(probe.parent_path());
    }

    const fs::path picture = installation.root() / L"controls.png";
    Process launcher = StartLauncher(installation, L"--qa-capture " + Quote(picture) + L" --qa-page controls");
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    EXPECT_TRUE(fs::exists(picture)) << "the controls editor did not open";
    for (const fs::path& mark : MarksUnder(installation.root())) {
        ADD_FAILURE() << "loaded into the Launcher: " << Utf8(mark.wstring());
    }
}
