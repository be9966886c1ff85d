// The Launcher's import table. Windows resolves static imports before any of our code runs, from
// the program's own folder first unless the DLL is one of the KnownDLLs: a DLL of that name in a
// Downloads folder would be loaded before SetDefaultDllDirectories could say otherwise. So the
// program imports only KnownDLLs (and the common controls, which its manifest redirects to the
// system's side-by-side copy); anything else is delay-loaded or loaded from System32 at run time.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <winver.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

// A PE32+ file read from the disk, as far as its import directory.
class PeFile {
public:
    explicit PeFile(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        nt_ = At<IMAGE_NT_HEADERS64>(static_cast<size_t>(dos->e_lfanew));
        if (nt_ && (nt_->Signature != IMAGE_NT_SIGNATURE ||
                    nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)) {
            nt_ = nullptr;
        }
    }
    bool valid() const { return nt_ != nullptr; }

    // The names of the import directory's DLLs, upper case.
    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& entry = nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (entry.VirtualAddress == 0) return names;
        for (size_t at = Offset(entry.VirtualAddress); at != kNowhere; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (!descriptor || descriptor->Name == 0) break;
            const size_t name = Offset(descriptor->Name);
            if (name == kNowhere) break;
            names.push_back(Upper(std::string(bytes_.data() + name, strnlen(bytes_.data() + name, bytes_.size() - name))));
        }
        return names;
    }

private:
    static constexpr size_t kNowhere = static_cast<size_t>(-1);
    template <typename T>
    const T* At(size_t offset) const {
        return offset + sizeof(T) <= bytes_.size() ? reinterpret_cast<const T*>(bytes_.data() + offset) : nullptr;
    }
    size_t Offset(DWORD rva) const {
        const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
            reinterpret_cast<const char*>(&nt_->OptionalHeader) + nt_->FileHeader.SizeOfOptionalHeader);
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (reinterpret_cast<const char*>(&section + 1) > bytes_.data() + bytes_.size()) break;
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
                return section.PointerToRawData + (rva - section.VirtualAddress);
            }
        }
        return kNowhere;
    }

    std::string bytes_;
    const IMAGE_NT_HEADERS64* nt_ = nullptr;
};

fs::path LauncherProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / L"TalvaroOvraRecomp.exe";
}
}  // namespace

TEST(ImportTable, TheLoaderResolvesOnlyKnownDllsAndTheCommonControls) {
    const PeFile launcher(LauncherProgram());
    ASSERT_TRUE(launcher.valid()) << "not a PE32+ program: " << LauncherProgram().string();
    const std::vector<std::string> imported = launcher.ImportedDlls();
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
