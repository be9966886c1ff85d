// The shipped executable as Windows sees it: PE header, resources, and no runtime DLLs beside it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "harness.h"

using namespace bb;

namespace {
fs::path LauncherExe() { return BinFolder() / L"TalvaroOvraRecomp.exe"; }

std::vector<unsigned char> ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

class DataModule {
public:
    explicit DataModule(const fs::path& file)
        : module_(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~DataModule() { if (module_) FreeLibrary(module_); }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

std::string Resource(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return {};
    HGLOBAL data = LoadResource(module, info);
    const auto* bytes = static_cast<const char*>(LockResource(data));
    return bytes ? std::string(bytes, SizeofResource(module, info)) : std::string();
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
}  // namespace

TEST(Executable, IsAnX64GuiProgramWithoutMinGwRuntimeDlls) {
    const std::vector<unsigned char> image = ReadAll(LauncherExe());
    ASSERT_GT(image.size(), 4096u);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    // The names of imported DLLs sit in the file as plain text.
    const std::string text(image.begin(), image.end());
    for (const char* runtime : {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll", "SDL2.dll"}) {
        EXPECT_EQ(text.find(runtime), std::string::npos) << "imports " << runtime;
    }
}

TEST(Executable, CarriesTheIconInSevenSizes) {
    DataModule module(LauncherExe());
    ASSERT_NE(module.get(), nullptr);
    const std::string group = Resource(module.get(), MAKEINTRESOURCEW(101), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u) << "no icon group 101";
    const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    ASSERT_EQ(count, 7);
    ASSERT_GE(group.size(), 6u + 7 * sizeof(IconDirectoryEntry));
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const auto* entry = reinterpret_cast<const IconDirectoryEntry*>(group.data() + 6 + i * sizeof(IconDirectoryEntry));
        sizes.push_back(entry->width == 0 ? 256 : entry->width);
        EXPECT_FALSE(Resource(module.get(), MAKEINTRESOURCEW(entry->id), RT_ICON).empty());
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 128, 256}));
}

TEST(Executable, VersionIs0601) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(LauncherExe().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(LauncherExe().c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    EXPECT_EQ(info->dwFileVersionMS, MAKELONG(60, 0));
    EXPECT_EQ(info->dwFileVersionLS, MAKELONG(0, 1));
    EXPECT_EQ(info->dwProductVersionMS, MAKELONG(60, 0));
    EXPECT_EQ(info->dwProductVersionLS, MAKELONG(0, 1));
}

TEST(Executable, ManifestDeclaresDpiLongPathsUtf8ControlsAndInvoker) {
    DataModule module(LauncherExe());
    ASSERT_NE(module.get(), nullptr);
    const std::string manifest = Resource(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    for (const char* needle : {"PerMonitorV2", "<longPathAware", ">true</longPathAware>",
                               "<activeCodePage", ">UTF-8</activeCodePage>",
                               "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                               "level=\"asInvoker\""}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << "manifest lacks " << needle;
    }
}
