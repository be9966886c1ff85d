// The Launcher's import table. Windows resolves static imports before any of our code runs, from
// the program's own folder first unless the DLL is one of the KnownDLLs: a DLL of that name in a
// Downloads folder would be loaded before SetDefaultDllDirectories could say otherwise. So the
// program imports only KnownDLLs (and the common controls, which its manifest redirects to the
// system's side-by-side copy); anything else is delay-loaded or loaded from System32 at run time.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>
#include <mmsystem.h>
#include <winver.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/win_owners.h"

namespace fs = std::filesystem;

namespace {
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs on Windows 10 and 11, plus
// ntdll (always mapped first) and COMCTL32 (redirected by the manifest).
const std::set<std::string> kAllowed = {
    "ADVAPI32.DLL", "CLBCATQ.DLL", "COMBASE.DLL", "COMDLG32.DLL", "COML2.DLL",    "DIFXAPI.DLL",
    "GDI32.DLL",    "GDIPLUS.DLL", "IMAGEHLP.DLL", "IMM32.DLL",   "KERNEL32.DLL", "MSCTF.DLL",
    "MSVCRT.DLL",   "NORMALIZ.DLL", "NSI.DLL",     "OLE32.DLL",   "OLEAUT32.DLL", "PSAPI.DLL",
    "RPCRT4.DLL",   "SECHOST.DLL", "SETUPAPI.DLL", "SHCORE.DLL",  "SHELL32.DLL",  "SHLWAPI.DLL",
    "USER32.DLL",   "WLDAP32.DLL", "WS2_32.DLL",   "NTDLL.DLL",   "COMCTL32.DLL",
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The DLL names of a program's import directory, upper case, read from the file as it lies on disk.
std::vector<std::string> ImportedDlls(const fs::path& program) {
    std::vector<std::string> names;
    const UniqueHandle file(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const UniqueHandle mapping(file ? CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
    void* base = mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!base) return names;
    ULONG size = 0;
    auto* descriptor = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        ImageDirectoryEntryToData(base, FALSE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size));
    for (; descriptor && descriptor->Name != 0; ++descriptor) {
        const auto* name = static_cast<const char*>(ImageRvaToVa(ImageNtHeader(base), base, descriptor->Name, nullptr));
        if (!name) break;
        names.push_back(Upper(name));
    }
    UnmapViewOfFile(base);
    return names;
}

fs::path LauncherProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / L"TalvaroOvraRecomp.exe";
}
}  // namespace

TEST(ImportTable, TheLoaderResolvesOnlyKnownDllsAndTheCommonControls) {
    const std::vector<std::string> imported = ImportedDlls(LauncherProgram());
    ASSERT_NE(std::find(imported.begin(), imported.end(), "KERNEL32.DLL"), imported.end())
        << "the import table was not read";
    for (const std::string& dll : imported) {
        EXPECT_EQ(kAllowed.count(dll), 1u) << dll << " is resolved by the search order before start-up";
    }
}

TEST(ImportTable, DelayLoadedDllsLoadFromTheSystemFolderAtTheirFirstCall) {
    // This test program is linked like the Launcher: these calls go through the delay-import
    // thunks, which load the DLL under the search the program has set (System32 only, as main does).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    waveOutGetNumDevs();
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring kernel = std::wstring(system) + L"\\kernel32.dll";
    EXPECT_GT(GetFileVersionInfoSizeW(kernel.c_str(), nullptr), 0u) << "VERSION's first call failed";
    for (const wchar_t* dll : {L"winmm.dll", L"version.dll"}) {
        HMODULE module = GetModuleHandleW(dll);
        ASSERT_NE(module, nullptr) << fs::path(dll).string() << " was not loaded by its first call";
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(module, path, MAX_PATH);
        EXPECT_EQ(Upper(fs::path(path).parent_path().string()), Upper(fs::path(system).string()));
    }
}
