// Root finding and game discovery on real temporary folders.
#include <gtest/gtest.h>

#include "app/game_table.h"
#include "texts/texts.h"
#include "app/installation_root.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
void Touch(const fs::path& file) { WriteFileBytes(file, "x"); }
}  // namespace

TEST(InstallationRoot, FoundAtTheLauncherFolderOrUpToFourAncestors) {
    TempFolder temp;
    const fs::path root = temp.path() / L"pkg";
    fs::create_directories(root / L"assets");
    EXPECT_EQ(FindInstallationRoot(root), root);
    EXPECT_EQ(FindInstallationRoot(root / L"a"), root);
    EXPECT_EQ(FindInstallationRoot(root / L"a" / L"b" / L"c" / L"d"), root);
}

TEST(InstallationRoot, FiveLevelsDownStopsAtTheFourthAncestor) {
    TempFolder temp;
    const fs::path root = temp.path() / L"pkg";
    fs::create_directories(root / L"assets");
    EXPECT_EQ(FindInstallationRoot(root / L"a" / L"b" / L"c" / L"d" / L"e"), root / L"a");
}

TEST(InstallationRoot, AFileNamedAssetsAlsoMarksTheRoot) {
    // Existence, not type, decides.
    TempFolder temp;
    Touch(temp.path() / L"assets");
    EXPECT_EQ(FindInstallationRoot(temp.path() / L"x"), temp.path());
}

TEST(InstallationRoot, RunningExecutablePathIsAbsoluteAndNamesThisProgram) {
    const fs::path self = RunningExecutablePath();
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.extension(), L".exe");
    EXPECT_EQ(LauncherFolder(), self.parent_path());
}

class GameDiscovery : public ::testing::Test {
protected:
    TempFolder temp;
    GamePlaces places{temp.path() / L"root", temp.path() / L"launcher-folder"};
};

TEST_F(GameDiscovery, GamesFolderAndRomsMakeAGameInstalled) {
    Touch(places.root / L"games" / L"tlvr1" / L"tlvr1.exe");
    Touch(places.root / L"roms" / L"tlvr1.bin");
    EXPECT_TRUE(IsGameInstalled(places, 0));
    EXPECT_FALSE(IsGameInstalled(places, 1));
    EXPECT_EQ(GameExecutable(places, 0), places.root / L"games" / L"tlvr1" / L"tlvr1.exe");
}

TEST_F(GameDiscovery, ExecutableWithoutRomInputIsNotInstalled) {
    Touch(places.root / L"games" / L"tlvr1" / L"tlvr1.exe");
    EXPECT_FALSE(IsGameInstalled(places, 0));
    // A prepared build input counts as the ROM input.
    Touch(places.root / L".local" / L"build-inputs" / L"tlvr1" / L"game.bin");
    EXPECT_TRUE(IsGameInstalled(places, 0));
}

TEST_F(GameDiscovery, SearchOrderOfTheGameFolder) {
    const fs::path fallback = places.root / L"build" / L"native06" / L"bin" / L"tlvr2";
    EXPECT_EQ(GameFolder(places, 1), fallback) << "nothing found: the last place, untested";

    Touch(places.root / L"build" / L"native20" / L"bin" / L"tlvr2" / L"tlvr2.exe");
    EXPECT_EQ(GameFolder(places, 1), places.root / L"build" / L"native20" / L"bin" / L"tlvr2");

    Touch(places.root / L"games" / L"tlvr2" / L"tlvr2.exe");
    EXPECT_EQ(GameFolder(places, 1), places.root / L"games" / L"tlvr2");

    Touch(places.launcherFolder / L"tlvr2" / L"tlvr2.exe");
    EXPECT_EQ(GameFolder(places, 1), places.launcherFolder / L"tlvr2");

    // A folder without the executable in it does not count.
    fs::create_directories(places.launcherFolder / L"tlvr1");
    EXPECT_EQ(GameFolder(places, 0), places.root / L"build" / L"native06" / L"bin" / L"tlvr1");
}

TEST_F(GameDiscovery, RomsFolderWinsOverBuildInputs) {
    Touch(places.root / L".local" / L"build-inputs" / L"tlvr2" / L"game.bin");
    EXPECT_EQ(RomInput(places, 1), places.root / L".local" / L"build-inputs" / L"tlvr2" / L"game.bin");
    Touch(places.root / L"roms" / L"tlvr2.bin");
    EXPECT_EQ(RomInput(places, 1), places.root / L"roms" / L"tlvr2.bin");
}

TEST_F(GameDiscovery, InstallingWhileRunningIsSeenAtTheNextQuery) {
    EXPECT_FALSE(IsGameInstalled(places, 0));
    Touch(places.root / L"games" / L"tlvr1" / L"tlvr1.exe");
    Touch(places.root / L"roms" / L"tlvr1.bin");
    EXPECT_TRUE(IsGameInstalled(places, 0));
    fs::remove(places.root / L"roms" / L"tlvr1.bin");
    EXPECT_FALSE(IsGameInstalled(places, 0));
}

TEST_F(GameDiscovery, DeepInstallationBeyondTheOldPathLimitIsFound) {
    // Deeper than MAX_PATH: the program declares itself long-path aware, so discovery must work.
    fs::path deep = places.root;
    while (deep.native().size() < 300) deep /= L"deeper-folder-name";
    GamePlaces deepPlaces{deep, deep / L"launcher"};
    const fs::path exe = deep / L"games" / L"tlvr1" / L"tlvr1.exe";
    std::error_code error;
    fs::create_directories(exe.parent_path(), error);
    if (error) GTEST_SKIP() << "this file system refuses paths of " << exe.native().size() << " characters";
    Touch(exe);
    Touch(deep / L"roms" / L"tlvr1.bin");
    EXPECT_TRUE(IsGameInstalled(deepPlaces, 0));
    EXPECT_EQ(GameFolder(deepPlaces, 0), deep / L"games" / L"tlvr1");
}

TEST(GameTable, TextsAreTheGamesOwn) {
    EXPECT_STREQ(kGames[0].stem, L"tlvr1");
    EXPECT_STREQ(kGames[1].stem, L"tlvr2");
    EXPECT_STREQ(kGames[1].title, L"ORLEN KASTRI\u2019S TALVARO GP II");
    EXPECT_NE(Text(kGames[0].blurbKey).find(L'\n'), std::wstring::npos);
}
