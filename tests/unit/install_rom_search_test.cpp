// Suggested ROM folders: the ROM-like file rule (zip files by their directory), the bounded walk,
// and the installer filling an empty ROM edit 1 from a search on its worker thread.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "report/report_zip.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "install/rom_search.h"
#include "launcher_windows_fixture.h"

namespace fs = std::filesystem;

namespace {
constexpr std::uint64_t kKb = 1024;

void WriteSized(const fs::path& file, std::uint64_t bytes) { WriteFileBytes(file, std::string(bytes, 'r')); }

void WriteZip(const fs::path& file, const wchar_t* entry, std::uint64_t bytes) {
    fs::create_directories(file.parent_path());
    ReportZip zip;
    ASSERT_TRUE(zip.Create(file));
    const FILETIME when = {0, 0x01D00000};
    ASSERT_TRUE(zip.BeginEntry(entry, when));
    const std::string data(bytes, 'z');
    ASSERT_TRUE(zip.Write(data.data(), data.size()));
    ASSERT_TRUE(zip.EndEntry());
    ASSERT_TRUE(zip.Close());
}

std::vector<fs::path> g_places;
std::vector<fs::path> TestPlaces(const fs::path&) { return g_places; }

class RomSuggestion : public LauncherWindows {
protected:
    void TearDown() override {
        LauncherWindows::TearDown();
        SetRomSearchPlacesQuery(nullptr);
        g_places.clear();
    }
    // Opens the installer and waits for the search's end to reach it.
    HWND OpenAndWait(const std::function<bool(HWND)>& done) {
        OpenInstallerWindow(Home());
        HWND installer = InstallerWindow();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (installer && !done(installer) && std::chrono::steady_clock::now() < deadline) {
            Pump();
            Sleep(20);
        }
        return installer;
    }
};
}  // namespace

TEST(RomLikeFiles, NameAndSizeDecideAndZipsByWhatTheyHold) {
    const struct {
        const wchar_t* name;
        std::uint64_t size;
        bool romLike;
    } files[] = {
        {L"talvaro.bin", 256 * kKb, true},        {L"TALVARO.BIN", 8 * 1024 * kKb, true},
        {L"kastri.md", 256 * kKb - 1, false},     {L"kastri.gen", 8 * 1024 * kKb + 1, false},
        {L"kastri.smd", 1024 * kKb, true},        {L"Kastri.Gen", 512 * kKb, true},
        {L"kastri.rom", 1024 * kKb, false},       {L"bin", 1024 * kKb, false},
        {L"kastri.bin.txt", 1024 * kKb, false},   {L"kastri.md5", 1024 * kKb, false},
    };
    for (const auto& f : files) EXPECT_EQ(IsRomLikeFile(f.name, f.size), f.romLike) << testing::PrintToString(std::wstring(f.name));

    TempFolder folder(L"tlvr-roms");
    const struct {
        const wchar_t* zip;
        const wchar_t* entry;
        std::uint64_t size;
        bool holdsRom;
    } zips[] = {
        {L"a.zip", L"talvaro.bin", 300 * kKb, true},
        {L"b.zip", L"sub/Kastri.MD", 600 * kKb, true},
        {L"c.zip", L"readme.txt", 300 * kKb, false},
        {L"d.zip", L"talvaro.bin", 10, false},
    };
    for (const auto& z : zips) {
        WriteZip(folder.path() / z.zip, z.entry, z.size);
        EXPECT_EQ(IsZipHoldingRom(folder.path() / z.zip), z.holdsRom) << testing::PrintToString(std::wstring(z.zip));
    }
    WriteFileBytes(folder.path() / L"fake.zip", std::string(400 * kKb, 'x'));
    EXPECT_FALSE(IsZipHoldingRom(folder.path() / L"fake.zip"));
    EXPECT_FALSE(IsZipHoldingRom(folder.path() / L"missing.zip"));
}

TEST(RomLikeFiles, TheWalkFindsEachFolderOnceWithinItsDepthAndStopsAtItsLimits) {
    TempFolder folder(L"tlvr-roms");
    const fs::path base = folder.path();
    WriteSized(base / L"a" / L"one.bin", 300 * kKb);
    WriteSized(base / L"a" / L"two.gen", 300 * kKb);
    WriteSized(base / L"a" / L"small.bin", 20 * kKb);
    WriteSized(base / L"b" / L"c" / L"d" / L"deep.md", 300 * kKb);             // level 3: found
    WriteSized(base / L"b" / L"c" / L"d" / L"e" / L"deeper.md", 300 * kKb);    // level 4: not
    WriteZip(base / L"z" / L"pack.zip", L"game.smd", 300 * kKb);
    fs::create_directories(base / L"empty");

    const std::atomic<bool> go{false};
    const RomSearchResult found = FindRomFolders({base, base / L"a"}, RomSearchLimits{}, go);
    EXPECT_FALSE(found.cutShort);
    std::vector<std::pair<std::wstring, int>> seen;
    for (const RomFolder& f : found.folders) seen.emplace_back(fs::relative(f.folder, base).wstring(), f.romFiles);
    const std::vector<std::pair<std::wstring, int>> expected = {{L"a", 2}, {L"z", 1}, {L"b\\c\\d", 1}};
    EXPECT_EQ(seen, expected);

    RomSearchLimits few;
    few.entries = 3;
    const RomSearchResult cut = FindRomFolders({base}, few, go);
    EXPECT_TRUE(cut.cutShort);
    EXPECT_EQ(cut.entriesSeen, 3);

    const std::atomic<bool> stop{true};
    const RomSearchResult stopped = FindRomFolders({base}, RomSearchLimits{}, stop);
    EXPECT_TRUE(stopped.cutShort);
    EXPECT_TRUE(stopped.folders.empty());
}

TEST_F(RomSuggestion, OneFolderFillsAnEmptyRomEditAndSeveralAreCounted) {
    const fs::path one = root_.path() / L"my roms";
    WriteSized(one / L"talvaro.bin", 512 * kKb);
    g_places = {one};
    SetRomSearchPlacesQuery(TestPlaces);
    HWND installer = OpenAndWait([](HWND w) { return !WindowText(GetDlgItem(w, kRomEdit1Id)).empty(); });
    ASSERT_NE(installer, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(installer, kRomEdit1Id)), one.wstring());
    EXPECT_NE(WindowText(g_installer.statusText).find(L"found and filled in: " + one.wstring()), std::wstring::npos)
        << testing::PrintToString(WindowText(g_installer.statusText));
    Close(installer);

    const fs::path two = root_.path() / L"more roms";
    WriteSized(two / L"kastri.md", 512 * kKb);
    g_places = {one, two};
    installer = OpenAndWait([](HWND) { return WindowText(g_installer.statusText).find(L"folders") != std::wstring::npos; });
    ASSERT_NE(installer, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(installer, kRomEdit1Id)), L"") << "with several nothing is filled in";
    EXPECT_EQ(WindowText(g_installer.statusText).rfind(L"2 folders with ROM files were found", 0), 0u)
        << testing::PrintToString(WindowText(g_installer.statusText));
}
